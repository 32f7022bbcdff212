// The real program, as a process of its own: the about window's quit message must end only its
// own loop, so the program goes on and still saves and exits 0 when its main window closes.
#include <gtest/gtest.h>

#include <string>

#include "tests/wine/common/harness.h"

namespace {

struct Found {
    DWORD pid;
    const char* className;
    HWND window;
};

BOOL CALLBACK FindByClass(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (pid == found->pid && lstrcmpA(className, found->className) == 0 &&
        IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD pid, const char* className) {
    Found found = {pid, className, nullptr};
    PumpUntil([&] {
        EnumWindows(FindByClass, reinterpret_cast<LPARAM>(&found));
        return found.window != nullptr;
    }, 15000);
    return found.window;
}

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "chordbell.exe";
}

// Round trip through the program's main loop: if that loop had taken the about window's quit
// message, the process would be gone by now.
bool MainLoopAnswers(HWND main) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

TEST(AboutInTheProgram, ClosingItLeavesTheProgramRunningUntilItsMainWindowCloses) {
    std::string program = ProgramPath();
    ASSERT_NE(GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES) << program;
    std::string dir = MakeTempDir("program");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               dir.c_str(), &startup, &process));
    HWND main = WaitForWindow(process.dwProcessId, "NORMAL0");
    ASSERT_NE(main, nullptr) << "the program showed no main window";

    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(1024, 0), 0);
        HWND about = WaitForWindow(process.dwProcessId, "NORMALDLG");
        ASSERT_NE(about, nullptr) << "command 1024 opened no about window";
        EXPECT_EQ(GetWindow(about, GW_OWNER), main);
        // Shown first, the owner disabled right after.
        EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(main); }));
        PostMessageA(about, WM_CLOSE, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about) && IsWindowEnabled(main); }));
        EXPECT_TRUE(MainLoopAnswers(main));
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    std::string saved = dir + "\\data.ini";
    EXPECT_EQ(GetPrivateProfileIntA("LISTNUM", "LIST", -1, saved.c_str()), 0)
        << "the empty list was not saved";
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace
