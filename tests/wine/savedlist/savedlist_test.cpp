// The saved list file on the real main window: what a load shows, what a save writes, the
// delete command, and what happens to data.ini when the input is bad or a save fails.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/wine/savedlist/savedfiles.h"

namespace {

TEST_F(SavedList, PathIsTheStartUpDirectorysDataIni) {
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    EXPECT_EQ(path_, std::string(directory) + "\\data.ini");
}

TEST_F(SavedList, EachLoadAndSaveReversesTheStoredOrder) {
    Load(ExampleFile());
    EXPECT_EQ(Rows(), (std::vector<Row>{kBell, kAlarm}));
    ASSERT_TRUE(SaveSoundList());
    const std::string swapped =
        "[LISTNUM]\r\nLIST=2\r\n"
        "[LIST0]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n"
        "[LIST1]\r\nkey1=17\r\nkey2=88\r\npath=C:\\sounds\\alarm.wav\r\n";
    EXPECT_EQ(ReadBytes(path_), swapped);
    Load(swapped);
    EXPECT_EQ(Rows(), (std::vector<Row>{kAlarm, kBell}));
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(ReadBytes(path_), ExampleFile());
    EXPECT_FALSE(FileExists(Temporary()));
}

TEST_F(SavedList, SaveWithoutAFileWritesTheExampleByteForByte) {
    SetRows({kAlarm, kBell});
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(ReadBytes(path_), ExampleFile());
    EXPECT_EQ(Rows(), (std::vector<Row>{kAlarm, kBell})) << "the save changes nothing in the list";
}

struct LoadCase {
    const char* name;
    std::string file;
    std::vector<Row> rows;  // top first
};

void PrintTo(const LoadCase& loadCase, std::ostream* out) { *out << loadCase.name; }

class SavedListLoad : public SavedList, public testing::WithParamInterface<LoadCase> {};

TEST_P(SavedListLoad, ShowsTheRows) {
    Load(GetParam().file);
    EXPECT_EQ(Rows(), GetParam().rows);
    EXPECT_EQ(Rows(), PlatformRows(path_, 1000)) << "as the platform's private-profile functions read it";
}

const Row kDefaults = {"17", "88", "Beep"};

INSTANTIATE_TEST_SUITE_P(
    Counts, SavedListLoad,
    testing::Values(
        LoadCase{"ThreeWithTwoSections", "[LISTNUM]\r\nLIST=3\r\n[LIST0]\r\nkey1=1\r\nkey2=2\r\npath=a\r\n"
                 "[LIST1]\r\nkey1=3\r\nkey2=4\r\npath=b\r\n", {kDefaults, {"3", "4", "b"}, {"1", "2", "a"}}},
        LoadCase{"Zero", "[LISTNUM]\r\nLIST=0\r\n[LIST0]\r\nkey1=1\r\n", {}},
        LoadCase{"Negative", "[LISTNUM]\r\nLIST=-2\r\n[LIST0]\r\nkey1=1\r\n", {}},
        LoadCase{"NotANumber", "[LISTNUM]\r\nLIST=two\r\n[LIST0]\r\nkey1=1\r\n", {}},
        LoadCase{"NoCount", "[LIST0]\r\nkey1=1\r\n", {}},
        LoadCase{"StaleSectionsBeyondTheCount", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=1\r\nkey2=-1\r\npath=a\r\n"
                 "[LIST1]\r\nkey1=2\r\nkey2=-1\r\npath=b\r\n", {{"1", "-1", "a"}}},
        LoadCase{"OneKeyEntry", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=112\r\nkey2=-1\r\npath=x.wav\r\n",
                 {{"112", "-1", "x.wav"}}},
        LoadCase{"EmptyKey1StaysEmpty", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=\r\npath=x.wav\r\n",
                 {{"", "88", "x.wav"}}},
        LoadCase{"MissingKeysGetDefaults", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey2=5\r\n", {{"17", "5", "Beep"}}},
        LoadCase{"HandEdited", "; my sounds\r\n[listnum]\r\n list = 1 \r\n\r\n[ LIST0 ]\r\nKEY1 = 65\r\n"
                 "path = \"C:\\my sounds\\a.wav\"\r\n", {{"65", "88", "C:\\my sounds\\a.wav"}}},
        LoadCase{"LfAndCrLineEnds", "[LISTNUM]\nLIST=2\n[LIST0]\rkey1=1\rpath=a\n[LIST1]\nkey1=2\npath=b",
                 {{"2", "88", "b"}, {"1", "88", "a"}}},
        LoadCase{"LongValuesCut", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=" + std::string(300, '1') +
                 "\r\npath=" + std::string(2000, 'p') + "\r\n",
                 {{std::string(255, '1'), "88", std::string(1023, 'p')}}},
        LoadCase{"DoubleByteTexts", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=17\r\nkey2=-1\r\n"
                 "path=C:\\\x83\x5C\x83\x74\x83\x67\\\x89\xB9.wav\r\n",
                 {{"17", "-1", "C:\\\x83\x5C\x83\x74\x83\x67\\\x89\xB9.wav"}}}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

std::string Garbage(size_t size) {
    std::string bytes;
    unsigned seed = 7;
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes += static_cast<char>(seed >> 16);
    }
    return bytes;
}

std::string Utf16(const std::wstring& text, bool littleEndian) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (wchar_t c : text) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        bytes += littleEndian ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

// "効果音" (sound effect) in each encoding; the list holds it in code page 932.
const std::string kSoundEffectAnsi = "\x8C\xF8\x89\xCA\x89\xB9";

INSTANTIATE_TEST_SUITE_P(
    BadInput, SavedListLoad,
    testing::Values(
        LoadCase{"EmptyFile", "", {}},
        LoadCase{"BinaryGarbage", Garbage(20000), {}},
        LoadCase{"GarbageAfterTheList", ExampleFile() + Garbage(5000), {kBell, kAlarm}},
        LoadCase{"NulBytes", Bytes("[LISTNUM]\r\nLIST=1\0009\r\n[LIST0]\r\nkey1=1\0002\r\n"),
                 {{"1", "88", "Beep"}}},
        LoadCase{"TenMegabyteLine", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\npath=" + std::string(10 << 20, 'v') +
                 "\r\nkey1=5\r\n", {{"5", "88", std::string(1023, 'v')}}},
        LoadCase{"Utf8Mark", "\xEF\xBB\xBF[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\npath=\xE5\x8A\xB9\xE6\x9E\x9C\xE9\x9F\xB3\r\n",
                 {{"17", "88", kSoundEffectAnsi}}},
        LoadCase{"Utf16LittleEndian", Utf16(L"[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=9\r\npath=\x52B9\x679C\x97F3\r\n", true),
                 {{"9", "88", kSoundEffectAnsi}}},
        LoadCase{"Utf16BigEndian", Utf16(L"[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=9\r\n", false), {{"9", "88", "Beep"}}},
        LoadCase{"Utf16WithoutMark", Utf16(L"[LISTNUM]\r\nLIST=1\r\n", true).substr(2), {}},
        LoadCase{"DuplicateSectionsAndKeys", "[LISTNUM]\r\nLIST=1\r\nLIST=3\r\n[LIST0]\r\nkey1=1\r\nkey1=2\r\n"
                 "[LIST0]\r\nkey2=7\r\n[LISTNUM]\r\nLIST=2\r\n", {{"1", "88", "Beep"}}}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

// After any of these inputs a save writes a file that loads back the same rows, in the other
// order as every load after a save does, through the program and through the platform.
TEST_P(SavedListLoad, SaveAfterwardsWritesAValidFile) {
    Load(GetParam().file);
    const std::vector<Row> loaded = Rows();
    const std::vector<Row> reloaded(loaded.rbegin(), loaded.rend());
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(PlatformRows(path_, 1000), reloaded);
    EXPECT_EQ(static_cast<int>(PlatformCount(path_)), static_cast<int>(reloaded.size()));
    SendMessageA(SoundListControl(), LVM_DELETEALLITEMS, 0, 0);
    LoadSoundList();
    EXPECT_EQ(Rows(), reloaded);
}

TEST_F(SavedList, HugeCountLoadsAtMostTheBoundWithDefaultsBelowIt) {
    HWND list = SoundListControl();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);  // only to keep the test short
    Load("[LISTNUM]\r\nLIST=2147483647\r\n[LIST0]\r\nkey1=65\r\nkey2=-1\r\npath=a.wav\r\n");
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ASSERT_EQ(RowCount(), 100000);
    EXPECT_EQ(RowAt(0), kDefaults);
    EXPECT_EQ(RowAt(99998), kDefaults);
    EXPECT_EQ(RowAt(99999), (Row{"65", "-1", "a.wav"}));
}

TEST_F(SavedList, ShorterSaveLeavesLaterSectionsThatTheNextLoadSkips) {
    std::vector<Row> five;
    for (int i = 0; i < 5; ++i) five.push_back({std::to_string(i), "-1", "p" + std::to_string(i)});
    SetRows(five);
    ASSERT_TRUE(SaveSoundList());
    SetRows({five[0], five[1], five[2]});
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(PlatformCount(path_), 3u);
    char stale[16] = {};
    GetPrivateProfileStringA("LIST4", "key1", "", stale, sizeof stale, path_.c_str());
    EXPECT_STREQ(stale, "4");
    SendMessageA(SoundListControl(), LVM_DELETEALLITEMS, 0, 0);
    LoadSoundList();
    EXPECT_EQ(Rows(), (std::vector<Row>{five[2], five[1], five[0]}));
}

TEST_F(SavedList, AnEmptyListIsSavedAsTheCountAlone) {
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(ReadBytes(path_), "[LISTNUM]\r\nLIST=0\r\n");
}

TEST_F(SavedList, DeleteAsksAndYesDeletesTheFileUntilTheNextSave) {
    WriteBytes(path_, ExampleFile());
    SetRows({kAlarm});
    {
        BoxAnswerer yes("確認", IDYES);
        DeleteSavedData();
        EXPECT_EQ(yes.Count(), 1);
        EXPECT_EQ(yes.Text(), "保存データを削除します。よろしいですか？");
        EXPECT_EQ(yes.Owner(), AppWindow());
    }
    EXPECT_FALSE(FileExists(path_));
    EXPECT_EQ(Rows(), (std::vector<Row>{kAlarm})) << "the list is not touched";
    {
        BoxAnswerer yes("確認", IDYES);
        DeleteSavedData();  // no file: nothing happens
    }
    SendMessageA(SoundListControl(), LVM_DELETEALLITEMS, 0, 0);
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(ReadBytes(path_), "[LISTNUM]\r\nLIST=0\r\n");
}

TEST_F(SavedList, DeleteAnsweredNoKeepsTheFile) {
    WriteBytes(path_, ExampleFile());
    BoxAnswerer no("確認", IDNO);
    DeleteSavedData();
    EXPECT_EQ(no.Count(), 1);
    EXPECT_EQ(ReadBytes(path_), ExampleFile());
}

// In the open-file dialog, goes into a folder and chooses a file there, as a user would, from a
// thread of its own. Going into the folder is what moves the process's current directory.
class FileChooser {
  public:
    FileChooser(std::string folder, std::string name)
        : folder_(std::move(folder)), name_(std::move(name)), thread_([this] { Run(); }) {}
    ~FileChooser() { thread_.join(); }
    FileChooser(const FileChooser&) = delete;
    FileChooser& operator=(const FileChooser&) = delete;

  private:
    static bool Poll(const std::function<bool()>& done) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > 10000) return false;
            Sleep(10);
        }
        return true;
    }
    void Type(const std::string& text) {
        HWND edit = GetDlgItem(dialog_, 0x480);  // the file name field
        if (edit == nullptr) edit = GetDlgItem(dialog_, 0x47C);
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        PostMessageA(dialog_, WM_COMMAND, IDOK, 0);
    }
    void Run() {
        if (!Poll([&] { return (dialog_ = FindWindowA("#32770", "ウェイヴ ファイルを開く")) != nullptr; })) return;
        Type(folder_);
        Poll([&] {
            char current[MAX_PATH] = {};
            GetCurrentDirectoryA(sizeof current, current);
            return folder_ == current;
        });
        Type(name_);
    }

    std::string folder_, name_;
    HWND dialog_ = nullptr;
    std::thread thread_;
};

TEST_F(SavedList, SaveUsesTheStartUpDirectoryAfterTheFileDialogChangedIt) {
    char startUp[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof startUp, startUp);
    const std::string elsewhere = MakeTempDir("elsewhere");
    const std::string sound = elsewhere + "\\chosen.wav";
    WriteBytes(sound, "RIFF");
    {
        FileChooser chooser(elsewhere, "chosen.wav");
        BrowseSoundFile();
    }
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof current, current);
    SetRows({kBell});
    const bool saved = SaveSoundList();
    SetCurrentDirectoryA(startUp);
    EXPECT_EQ(WindowText(Control(IDC_PATH_EDIT)), sound);
    EXPECT_EQ(std::string(current), elsewhere) << "the dialog moved the current directory";
    ASSERT_TRUE(saved);
    EXPECT_FALSE(FileExists(elsewhere + "\\data.ini"));
    EXPECT_EQ(PlatformRows(path_, 10), (std::vector<Row>{kBell}));
    DeleteFileA(sound.c_str());
    RemoveDirectoryA(elsewhere.c_str());
}

TEST_F(SavedList, DriveRootGivesTwoBackslashes) {
    char startUp[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof startUp, startUp);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    InitSavedListPath();
    const std::string atRoot = SavedListPath();
    SetCurrentDirectoryA(startUp);
    InitSavedListPath();
    EXPECT_EQ(atRoot, "C:\\\\data.ini");
    EXPECT_EQ(SavedListPath(), path_);
}

}  // namespace
