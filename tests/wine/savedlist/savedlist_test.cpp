// The saved list file on the real main window and in the real program: what a load shows, what
// a save writes, the delete command, bad input, and saves that fail or are cut short.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/app.h"
#include "soundlist/soundlist.h"
#include "tests/wine/common/harness.h"


using namespace std::string_literals;

namespace {

using Row = std::array<std::string, 3>;  // key1, key2, path
using Rows = std::vector<Row>;

HWND List() { return Control(IDC_SOUND_LIST); }

Rows ListRows() {
    Rows rows(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
    for (size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < 3; ++column) {
            char buffer[PATH_TEXT_LIMIT];
            memset(buffer, 0xCC, sizeof buffer);
            GetListItemText(List(), static_cast<int>(row), column, buffer, PATH_TEXT_LIMIT);
            rows[row][column].assign(buffer, strnlen(buffer, sizeof buffer));
        }
    }
    return rows;
}

void SetRows(const Rows& rows) {  // the first at the top, as the add command leaves them
    SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        InsertEntryRow((*row)[0].c_str(), (*row)[1].c_str(), (*row)[2].c_str());
    }
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The rows the platform's private-profile functions read from the file, in the order a load
// shows them. The first call drops the platform's cache, which two saves in one tick would fool.
Rows PlatformRows(const std::string& path) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    Rows rows;
    for (int i = 0, count = GetPrivateProfileIntA("LISTNUM", "LIST", 0, path.c_str()); i < count; ++i) {
        const std::string section = "LIST" + std::to_string(i);
        Row row;
        const char* defaults[][2] = {{"key1", "17"}, {"key2", "88"}, {"path", "Beep"}};
        for (int k = 0; k < 3; ++k) {
            char value[PATH_TEXT_LIMIT] = {};
            GetPrivateProfileStringA(section.c_str(), defaults[k][0], defaults[k][1], value,
                                     k == 2 ? PATH_TEXT_LIMIT : KEY_TEXT_LIMIT, path.c_str());
            row[k] = value;
        }
        rows.insert(rows.begin(), row);
    }
    return rows;
}

const std::string kExample = "[LISTNUM]\r\nLIST=2\r\n[LIST0]\r\nkey1=17\r\nkey2=88\r\npath=C:\\sounds\\alarm.wav\r\n"
                             "[LIST1]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n";
const std::string kSwapped = "[LISTNUM]\r\nLIST=2\r\n[LIST0]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n"
                             "[LIST1]\r\nkey1=17\r\nkey2=88\r\npath=C:\\sounds\\alarm.wav\r\n";
const Row kAlarm = {"17", "88", "C:\\sounds\\alarm.wav"}, kBell = {"112", "-1", "C:\\sounds\\bell.wav"};
const Row kDefaults = {"17", "88", "Beep"};

class SavedList : public testing::Test {
  protected:
    void SetUp() override {
        AppWindow();
        ResetMainWindow();
        path_ = SavedListPath();
        tmp_ = path_ + ".tmp";
        Remove();
    }
    void TearDown() override {
        g_beforeSavedListReplace = nullptr;
        Remove();
    }
    void Remove() {
        for (const std::string& file : {path_, tmp_}) {
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file.c_str());
        }
    }
    void Load(const std::string& bytes) {
        WriteBytes(path_, bytes);
        SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
        LoadSoundList();
    }

    std::string path_, tmp_;
};

TEST_F(SavedList, EachLoadAndSaveReversesTheStoredOrder) {
    Load(kExample);
    EXPECT_EQ(ListRows(), (Rows{kBell, kAlarm}));
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(ReadBytes(path_), kSwapped);
    Load(kSwapped);
    EXPECT_EQ(ListRows(), (Rows{kAlarm, kBell}));
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(ReadBytes(path_), kExample);
}

struct LoadCase {
    const char* name;
    std::string file;
    Rows rows;  // top first
};

class SavedListLoad : public SavedList, public testing::WithParamInterface<LoadCase> {};

// Whatever the file held, the load agrees with the platform, and a save afterwards writes a
// file that both read back, in the other order as after every save.
TEST_P(SavedListLoad, ShowsWhatCanBeReadAndSavesAValidFile) {
    Load(GetParam().file);
    EXPECT_EQ(ListRows(), GetParam().rows);
    EXPECT_EQ(ListRows(), PlatformRows(path_));
    ASSERT_TRUE(SaveSoundList());
    const Rows reversed(GetParam().rows.rbegin(), GetParam().rows.rend());
    EXPECT_EQ(PlatformRows(path_), reversed);
    SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
    LoadSoundList();
    EXPECT_EQ(ListRows(), reversed);
}

std::string Garbage(size_t size) {
    std::string bytes;
    for (unsigned seed = 7; bytes.size() < size; seed = seed * 1103515245u + 12345u) bytes += char(seed >> 16);
    return bytes;
}

std::string Utf16(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) bytes += {char(c & 0xFF), char(c >> 8)};
    return bytes;
}

const char kEffectAnsi[] = "\x8C\xF8\x89\xCA\x89\xB9";  // "効果音" in code page 932

INSTANTIATE_TEST_SUITE_P(Files, SavedListLoad, testing::Values(
    LoadCase{"ThreeWithTwoSections", "[LISTNUM]\r\nLIST=3\r\n[LIST0]\r\nkey1=1\r\nkey2=2\r\npath=a\r\n"
             "[LIST1]\r\nkey1=3\r\nkey2=4\r\npath=b\r\n", {kDefaults, {"3", "4", "b"}, {"1", "2", "a"}}},
    LoadCase{"Zero", "[LISTNUM]\r\nLIST=0\r\n[LIST0]\r\nkey1=1\r\n", {}},
    LoadCase{"Negative", "[LISTNUM]\r\nLIST=-2\r\n[LIST0]\r\nkey1=1\r\n", {}},
    LoadCase{"StaleSections", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=1\r\nkey2=-1\r\npath=a\r\n"
             "[LIST1]\r\nkey1=2\r\n", {{"1", "-1", "a"}}},
    LoadCase{"EmptyKey1", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=\r\npath=x\r\n", {{"", "88", "x"}}},
    LoadCase{"EmptyFile", "", {}},
    LoadCase{"Garbage", Garbage(20000), {}},
    LoadCase{"NulBytes", "[LISTNUM]\r\nLIST=1\0009\r\n[LIST0]\r\nkey1=1\0002\r\n"s, {{"1", "88", "Beep"}}},
    LoadCase{"TenMegabyteLine", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\npath=" + std::string(10 << 20, 'v') +
             "\r\nkey1=5\r\n", {{"5", "88", std::string(1023, 'v')}}},
    LoadCase{"Utf8Mark", "\xEF\xBB\xBF[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\npath=\xE5\x8A\xB9\xE6\x9E\x9C\xE9\x9F\xB3\r\n",
             {{"17", "88", kEffectAnsi}}},
    LoadCase{"Utf16", Utf16(L"[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=9\r\npath=\x52B9\x679C\x97F3\r\n"),
             {{"9", "88", kEffectAnsi}}},
    LoadCase{"Duplicates", "[LISTNUM]\r\nLIST=1\r\nLIST=3\r\n[LIST0]\r\nkey1=1\r\nkey1=2\r\n"
             "[LIST0]\r\nkey2=7\r\n[LISTNUM]\r\nLIST=2\r\n", {{"1", "88", "Beep"}}}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(SavedList, HugeCountLoadsAtMostTheBoundWithDefaultsBelowIt) {
    SendMessageA(List(), WM_SETREDRAW, FALSE, 0);  // only to keep the test short
    Load("[LISTNUM]\r\nLIST=2147483647\r\n[LIST0]\r\nkey1=65\r\nkey2=-1\r\npath=a.wav\r\n");
    SendMessageA(List(), WM_SETREDRAW, TRUE, 0);
    const Rows rows = ListRows();
    ASSERT_EQ(rows.size(), 100000u);
    EXPECT_EQ(rows[0], kDefaults);
    EXPECT_EQ(rows[99999], (Row{"65", "-1", "a.wav"}));
}

TEST_F(SavedList, AShorterSaveLeavesTheLaterSections) {
    SetRows({kAlarm, kBell, kAlarm});
    ASSERT_TRUE(SaveSoundList());
    SetRows({kBell});
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(PlatformRows(path_), (Rows{kBell}));
    char stale[16] = {};
    GetPrivateProfileStringA("LIST2", "key1", "", stale, sizeof stale, path_.c_str());
    EXPECT_STREQ(stale, "17");
}

TEST_F(SavedList, DeleteAsksAndOnlyYesDeletesTheFile) {
    WriteBytes(path_, kExample);
    SetRows({kAlarm});
    for (int answer : {IDNO, IDYES}) {
        BoxAnswerer box("確認", answer);
        DeleteSavedData();
        EXPECT_EQ(box.Count(), 1);
        EXPECT_EQ(box.Text(), "保存データを削除します。よろしいですか？");
        EXPECT_EQ(box.Owner(), AppWindow());
        EXPECT_EQ(Exists(path_), answer == IDNO);
    }
    EXPECT_EQ(ListRows(), (Rows{kAlarm})) << "the list is not touched";
}

// The open-file dialog moves the current directory; the save still goes to the start-up one.
TEST_F(SavedList, SaveGoesToTheStartUpDirectory) {
    char startUp[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof startUp, startUp);
    EXPECT_EQ(path_, std::string(startUp) + "\\data.ini");
    const std::string elsewhere = MakeTempDir("elsewhere");
    SetCurrentDirectoryA(elsewhere.c_str());
    SetRows({kBell});
    const bool saved = SaveSoundList();
    SetCurrentDirectoryA(startUp);
    EXPECT_TRUE(saved);
    EXPECT_FALSE(Exists(elsewhere + "\\data.ini"));
    EXPECT_EQ(PlatformRows(path_), (Rows{kBell}));
    RemoveDirectoryA(elsewhere.c_str());
}

std::string g_atReplace[2];  // data.ini and the temporary file, as a crash there would leave them

TEST_F(SavedList, ASaveKilledBeforeTheReplaceLeavesTheOldFileWhole) {
    WriteBytes(tmp_, "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=1");  // left by an earlier such save
    Load(kExample);
    EXPECT_EQ(ListRows(), (Rows{kBell, kAlarm}));
    g_beforeSavedListReplace = [](const char* temporary) {
        g_atReplace[0] = ReadBytes(SavedListPath());
        g_atReplace[1] = ReadBytes(temporary);
    };
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(g_atReplace[0], kExample);
    EXPECT_EQ(g_atReplace[1], kSwapped);
    EXPECT_EQ(ReadBytes(path_), kSwapped);
    EXPECT_FALSE(Exists(tmp_));
}

PROCESS_INFORMATION Start(std::string command, const char* folder = nullptr) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process);
    return process;
}

DWORD WaitAndClose(const PROCESS_INFORMATION& process) {
    DWORD code = STILL_ACTIVE;
    PumpUntil([&] { return GetExitCodeProcess(process.hProcess, &code) && code != STILL_ACTIVE; }, 20000);
    TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

bool CanCreateFileIn(const std::string& folder) {
    const std::string probe = folder + "\\probe";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return DeleteFileA(probe.c_str());
}

// Root passes every permission bit, so the folder is made immutable with the host's chattr;
// true once files can (-i) or cannot (+i) be made in it.
bool Chattr(const std::string& folder, const char* flag) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH);
    char* unixPath = toUnix ? toUnix(wide) : nullptr;
    if (unixPath == nullptr) return false;
    WaitAndClose(Start(std::string("Z:\\usr\\bin\\chattr ") + flag + " \"" + unixPath + "\""));
    HeapFree(GetProcessHeap(), 0, unixPath);
    return PumpUntil([&] { return CanCreateFileIn(folder) == (flag[0] == '-'); });
}

TEST_F(SavedList, AReadOnlyFileOrFolderKeepsTheOldFile) {
    WriteBytes(path_, kExample);
    SetRows({kBell});
    const std::string folder = path_.substr(0, path_.find_last_of('\\'));
    for (int fault = 0; fault < 2; ++fault) {
        SetFileAttributesA(path_.c_str(), fault == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        if (fault == 1 && !Chattr(folder, "+i")) break;  // not every machine lets root do this
        EXPECT_FALSE(SaveSoundList());
        EXPECT_EQ(ReadBytes(path_), kExample);
        EXPECT_FALSE(Exists(tmp_));
    }
    EXPECT_TRUE(Chattr(folder, "-i"));
}

HWND WindowOf(DWORD pid, const char* className, const char* title) {
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, className, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == pid && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

// Answers the box with this title that the process shows; its text, empty if none came.
std::string Answer(DWORD pid, const char* title, int button) {
    HWND box = nullptr;
    if (!PumpUntil([&] { return (box = WindowOf(pid, "#32770", title)) != nullptr; }, 10000)) return {};
    char text[2048] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    PostMessageA(box, WM_COMMAND, button, 0);
    PumpUntil([&] { return !IsWindow(box); }, 10000);
    return text;
}

// The real program in a folder of its own: a failed save at close is put to the user, the end
// of the session saves, and so does the close after the saved data was deleted.
TEST(SavedListProgram, ClosingAndTheSessionEndSaveTheListOrTellTheUser) {
    const std::string dir = MakeTempDir("program"), data = dir + "\\data.ini";
    WriteBytes(data, kExample);
    SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_READONLY);
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    const PROCESS_INFORMATION process = Start("\"" + std::string(exe, strrchr(exe, '\\') + 1) + "chordbell.exe\"", dir.c_str());
    ASSERT_NE(process.hProcess, nullptr);
    const DWORD pid = process.dwProcessId;
    HWND window = nullptr;
    EXPECT_TRUE(PumpUntil([&] { return (window = WindowOf(pid, "NORMAL0", "ChordBell")) != nullptr; }, 30000));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Answer(pid, "Error", IDNO),
              "リストを保存できませんでした。\r\n" + data + "\r\n\r\n保存せずに終了してもよろしいですか？");
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
    EXPECT_TRUE(IsWindowVisible(window)) << "No keeps the program";

    SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_NORMAL);
    SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &result);
    EXPECT_EQ(ReadBytes(data), kSwapped);
    PostMessageA(window, WM_COMMAND, IDM_DELETE_SAVED_DATA, 0);
    EXPECT_FALSE(Answer(pid, "確認", IDYES).empty());
    EXPECT_TRUE(PumpUntil([&] { return !Exists(data); }));
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitAndClose(process), 0u);
    EXPECT_EQ(ReadBytes(data), kSwapped);
    DeleteFileA(data.c_str());
    RemoveDirectoryA(dir.c_str());
}

}  // namespace
