// Closing the real program, started as a process of its own: every way ends with exit code 0.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/wine/common/harness.h"

namespace {

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "chordbell.exe";
}

struct WindowSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (pid == search->pid && strcmp(className, "NORMAL0") == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The program in a folder of its own, so its data.ini is the test's.
class RunningProgram {
  public:
    RunningProgram() : dir_(MakeTempDir("closing")) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string command = "\"" + ProgramPath() + "\"";
        started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  dir_.c_str(), &startup, &process_);
    }
    ~RunningProgram() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 99);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    HWND WaitForWindow() {
        WindowSearch search = {process_.dwProcessId, nullptr};
        PumpUntil([&] {
            EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        }, 20000);
        return search.found;
    }
    bool WaitForExit(DWORD ms) { return WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() {
        DWORD code = 12345;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    bool started() const { return started_ != FALSE; }
    std::string DataFile() const { return dir_ + "\\data.ini"; }

  private:
    std::string dir_;
    PROCESS_INFORMATION process_ = {};
    BOOL started_ = FALSE;
};

void PressAltF4() {
    INPUT keys[4] = {};
    const WORD vks[4] = {VK_MENU, VK_F4, VK_F4, VK_MENU};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = vks[i];
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, keys, sizeof(INPUT));
}

enum class Way { CloseMessage, SystemMenu, AltF4 };

class Closing : public testing::TestWithParam<Way> {};

TEST_P(Closing, SavesAndEndsWithExitCodeZero) {
    RunningProgram program;
    ASSERT_TRUE(program.started()) << ProgramPath();
    HWND window = program.WaitForWindow();
    ASSERT_NE(window, nullptr);
    switch (GetParam()) {
        case Way::CloseMessage: PostMessageA(window, WM_CLOSE, 0, 0); break;
        case Way::SystemMenu: PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        case Way::AltF4:
            SetForegroundWindow(window);
            ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }));
            PressAltF4();
            break;
    }
    // Wine takes a moment to tear a process down; a hang would take far longer.
    ASSERT_TRUE(program.WaitForExit(3000));
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_NE(GetFileAttributesA(program.DataFile().c_str()), INVALID_FILE_ATTRIBUTES)
        << "the list is saved on the way out";
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Closing,
                         testing::Values(Way::CloseMessage, Way::SystemMenu, Way::AltF4),
                         [](const testing::TestParamInfo<Way>& info) {
                             switch (info.param) {
                                 case Way::CloseMessage: return "WmClose";
                                 case Way::SystemMenu: return "SystemMenu";
                                 case Way::AltF4: return "AltF4";
                             }
                             return "";
                         });

}  // namespace
