// The real program, started in a folder of its own: the file it writes when it closes or when
// the session ends, and a failed save at close that the user answers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/wine/savedlist/savedfiles.h"

namespace {

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "chordbell.exe";
}

struct Search {
    DWORD pid;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (pid == search->pid && strcmp(className, search->className) == 0 && IsWindowVisible(window) &&
        (search->title == nullptr || WindowText(window) == search->title)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

const std::string kSwapped =
    "[LISTNUM]\r\nLIST=2\r\n"
    "[LIST0]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n"
    "[LIST1]\r\nkey1=17\r\nkey2=88\r\npath=C:\\sounds\\alarm.wav\r\n";

class Program {
  public:
    explicit Program(const std::string& dataIni) : dir_(MakeTempDir("program")) {
        WriteBytes(DataFile(), dataIni);
    }
    ~Program() {
        if (process_.hProcess != nullptr) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        SetFileAttributesA(DataFile().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(DataFile().c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND Start() {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string command = "\"" + ProgramPath() + "\"";
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(), &startup,
                            &process_)) {
            return nullptr;
        }
        return WaitFor("NORMAL0", "ChordBell", 30000);
    }
    HWND WaitFor(const char* className, const char* title, DWORD timeoutMs) {
        Search search = {process_.dwProcessId, className, title, nullptr};
        PumpUntil([&] {
            EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        }, timeoutMs);
        return search.found;
    }
    // Answers the program's message box with this title; returns its text, empty if none came.
    std::string Answer(const char* title, int button) {
        HWND box = WaitFor("#32770", title, 10000);
        if (box == nullptr) return {};
        char text[2048] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
        PumpUntil([&] { return !IsWindow(box); }, 10000);
        return text;
    }
    bool WaitForExit() {
        return PumpUntil([&] { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }, 20000);
    }
    DWORD ExitCode() const {
        DWORD code = 12345;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    std::string DataFile() const { return dir_ + "\\data.ini"; }

  private:
    std::string dir_;
    PROCESS_INFORMATION process_ = {};
};

TEST(SavedListProgram, ClosingWritesTheListBackInTheOtherOrder) {
    Program program(ExampleFile());
    HWND window = program.Start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(GetDlgItem(window, IDC_SOUND_LIST), LVM_GETITEMCOUNT, 0, 0), 2);
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(ReadBytes(program.DataFile()), kSwapped);
}

TEST(SavedListProgram, AfterDeletingTheSavedDataClosingWritesTheFileAgain) {
    Program program(ExampleFile());
    HWND window = program.Start();
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_COMMAND, IDM_DELETE_SAVED_DATA, 0);
    EXPECT_EQ(program.Answer("確認", IDYES), "保存データを削除します。よろしいですか？");
    EXPECT_TRUE(PumpUntil([&] { return !FileExists(program.DataFile()); }));
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(ReadBytes(program.DataFile()), kSwapped);
}

TEST(SavedListProgram, TheEndOfTheSessionSavesTheList) {
    Program program(ExampleFile());
    HWND window = program.Start();
    ASSERT_NE(window, nullptr);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &result);
    EXPECT_EQ(ReadBytes(program.DataFile()), kSwapped);
}

TEST(SavedListProgram, AFailedSaveAnsweredNoKeepsTheProgramAndYesClosesIt) {
    Program program(ExampleFile());
    SetFileAttributesA(program.DataFile().c_str(), FILE_ATTRIBUTE_READONLY);
    HWND window = program.Start();
    ASSERT_NE(window, nullptr);

    PostMessageA(window, WM_CLOSE, 0, 0);
    const std::string text = program.Answer("Error", IDNO);
    EXPECT_NE(text.find(program.DataFile()), std::string::npos) << text;
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
    EXPECT_TRUE(IsWindow(window)) << "No keeps the window open";

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(program.Answer("Error", IDYES).empty());
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(ReadBytes(program.DataFile()), ExampleFile());
}

}  // namespace
