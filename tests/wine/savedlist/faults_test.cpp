// Saves that are cut short or cannot write: the previous data.ini survives whole, and a failed
// save at close is put to the user instead of closing silently.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine/savedlist/savedfiles.h"

namespace {

struct Snapshot {
    bool taken = false;
    std::string saved;
    std::string temporary;
};

Snapshot g_snapshot;
std::string g_snapshotPath;

// What a crash at this moment would leave on disk.
void TakeSnapshot(const char* temporaryPath) {
    g_snapshot = {true, ReadBytes(g_snapshotPath), ReadBytes(temporaryPath)};
}

TEST_F(SavedList, ACrashBeforeTheReplaceLeavesTheOldFileWhole) {
    WriteBytes(path_, ExampleFile());
    SetRows({kBell});
    g_snapshotPath = path_;
    g_snapshot = {};
    g_beforeSavedListReplace = TakeSnapshot;
    ASSERT_TRUE(SaveSoundList());
    ASSERT_TRUE(g_snapshot.taken);
    EXPECT_EQ(g_snapshot.saved, ExampleFile()) << "data.ini is still the old file";
    EXPECT_EQ(g_snapshot.temporary, ReadBytes(path_)) << "the new text is complete beside it";
    EXPECT_FALSE(FileExists(Temporary()));
}

TEST_F(SavedList, WhatACrashedSaveLeftBehindIsIgnoredAndReplaced) {
    WriteBytes(path_, ExampleFile());
    WriteBytes(Temporary(), "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=1");
    LoadSoundList();
    EXPECT_EQ(Rows(), (std::vector<Row>{kBell, kAlarm}));
    ASSERT_TRUE(SaveSoundList());
    EXPECT_FALSE(FileExists(Temporary()));
    EXPECT_EQ(PlatformRows(path_, 10), (std::vector<Row>{kAlarm, kBell}));
}

TEST_F(SavedList, AReadOnlyFileIsNotWritten) {
    WriteBytes(path_, ExampleFile());
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    SetRows({kBell});
    EXPECT_FALSE(SaveSoundList());
    EXPECT_EQ(ReadBytes(path_), ExampleFile());
    EXPECT_FALSE(FileExists(Temporary()));
}

TEST_F(SavedList, AFileThatCannotBeReadIsNotOverwritten) {
    WriteBytes(path_, ExampleFile());
    HANDLE locked = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    LoadSoundList();
    const int loaded = RowCount();
    SetRows({kBell});
    const bool saved = SaveSoundList();
    CloseHandle(locked);
    EXPECT_EQ(loaded, 0);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadBytes(path_), ExampleFile());
}

std::string UnixPath(const std::string& windowsPath) {
    using Convert = char*(CDECL*)(const WCHAR*);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) return {};
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unixPath = convert(wide);
    if (unixPath == nullptr) return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

bool CanCreateFileIn(const std::string& folder) {
    const std::string probe = folder + "\\probe";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    DeleteFileA(probe.c_str());
    return true;
}

// A folder in which no file can be made. The tests run with the rights of root, which no
// permission bit stops, so this sets the file system's immutable flag with the host's chattr.
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(std::string folder) : folder_(std::move(folder)) {
        effective_ = Chattr("+i") && PumpUntil([&] { return !CanCreateFileIn(folder_); }, 5000);
    }
    ~ReadOnlyFolder() {
        Chattr("-i");
        PumpUntil([&] { return CanCreateFileIn(folder_); }, 5000);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool effective() const { return effective_; }

  private:
    bool Chattr(const char* flag) {
        const std::string folder = UnixPath(folder_);
        if (folder.empty() || !FileExists("Z:\\usr\\bin\\chattr")) return false;
        std::string command = std::string("Z:\\usr\\bin\\chattr ") + flag + " \"" + folder + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            return false;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    std::string folder_;
    bool effective_ = false;
};

TEST_F(SavedList, AReadOnlyFolderKeepsTheOldFile) {
    WriteBytes(path_, ExampleFile());
    SetRows({kBell});
    ReadOnlyFolder folder(path_.substr(0, path_.find_last_of('\\')));
    if (!folder.effective()) GTEST_SKIP() << "this machine cannot make a folder read-only for root";
    EXPECT_FALSE(SaveSoundList());
    EXPECT_EQ(ReadBytes(path_), ExampleFile());
    EXPECT_FALSE(FileExists(Temporary()));
}

TEST_F(SavedList, AFailedSaveAtCloseAsksAndNoKeepsTheWindow) {
    WriteBytes(path_, ExampleFile());
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    SetRows({kBell});
    BoxAnswerer no("Error", IDNO);
    SendMessageA(AppWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(no.Count(), 1);
    EXPECT_EQ(no.Text(), "リストを保存できませんでした。\r\n" + path_ + "\r\n\r\n保存せずに終了してもよろしいですか？");
    EXPECT_EQ(no.Owner(), AppWindow());
    EXPECT_TRUE(IsWindowVisible(AppWindow()));
    EXPECT_EQ(Rows(), (std::vector<Row>{kBell}));
    EXPECT_EQ(ReadBytes(path_), ExampleFile());
}

}  // namespace
