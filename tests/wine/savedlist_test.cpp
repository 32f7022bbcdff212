// The saved list file on the real main window: what a load shows, what a save writes, and the
// saves that fail or are cut short.
#include "tests/wine/harness.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/inifile.h"
#include "watcher/watcher.h"

using namespace std::string_literals;

namespace {

const std::string kExample = "[LISTNUM]\r\nLIST=2\r\n[LIST0]\r\nkey1=17\r\nkey2=88\r\npath=C:\\sounds\\alarm.wav\r\n"
                             "[LIST1]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n";
const std::string kSwapped = "[LISTNUM]\r\nLIST=2\r\n[LIST0]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n"
                             "[LIST1]\r\nkey1=17\r\nkey2=88\r\npath=C:\\sounds\\alarm.wav\r\n";
const Row kAlarm = {"17", "88", "C:\\sounds\\alarm.wav"}, kBell = {"112", "-1", "C:\\sounds\\bell.wav"};

HWND List() { return Control(IDC_SOUND_LIST); }

class SavedList : public testing::Test {
  protected:
    void SetUp() override {
        ResetMainWindow();
        path_ = SavedListPath();
        TearDown();
    }
    void TearDown() override {
        g_beforeSavedListReplace = nullptr;
        for (const std::string& file : {path_, path_ + ".tmp"}) {
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file.c_str());
        }
    }
    void Load(const std::string& bytes) {
        WriteBytes(path_, bytes);
        SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
        LoadSoundList();
    }
    std::string path_;
};

std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) bytes += bigEndian ? std::string{char(c >> 8), char(c)} : std::string{char(c), char(c >> 8)};
    return bytes;
}

// Whatever the file holds, the load shows what can be read, and a save afterwards writes a file
// that loads again, in the other order as after every save.
TEST_F(SavedList, ShowsWhatCanBeReadAndSavesAFileThatLoads) {
    std::string garbage;
    for (unsigned seed = 7; garbage.size() < 20000; seed = seed * 1103515245u + 12345u) garbage += char(seed >> 16);
    const char effect[] = "\x8C\xF8\x89\xCA\x89\xB9";  // "効果音" in code page 932
    const std::wstring wide = L"[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=9\r\npath=\x52B9\x679C\x97F3\r\n";
    const struct { std::string file; Rows rows; } cases[] = {
        {"[LISTNUM]\r\nLIST=3\r\n[LIST0]\r\nkey1=1\r\nkey2=2\r\npath=a\r\n[LIST1]\r\nkey1=3\r\nkey2=4\r\npath=b\r\n",
         {{"17", "88", "Beep"}, {"3", "4", "b"}, {"1", "2", "a"}}},
        {"[LISTNUM]\r\nLIST=-2\r\n[LIST0]\r\nkey1=1\r\n", {}},
        {"[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=\r\npath=x\r\n[LIST1]\r\nkey1=2\r\n", {{"", "88", "x"}}},
        {"", {}}, {garbage, {}},
        {"[LISTNUM]\r\nLIST=1\0009\r\n[LIST0]\r\nkey1=1\0002\r\n"s, {{"1", "88", "Beep"}}},
        {"[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\npath=" + std::string(10 << 20, 'v') + "\r\nkey1=" + std::string(300, '5') +
         "\r\n", {{std::string(255, '5'), "88", std::string(1023, 'v')}}},
        {"\xEF\xBB\xBF[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\npath=\xE5\x8A\xB9\xE6\x9E\x9C\xE9\x9F\xB3\r\n", {{"17", "88", effect}}},
        {Utf16(wide, false), {{"9", "88", effect}}}, {Utf16(wide, true), {{"9", "88", effect}}},
        {"[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\npath=\xE9\x9F\xB3\xE5\xA3\xB0\\\xE3\x83\x89.wav\r\n", {{"17", "88", "音声\\ド.wav"}}},  // Notepad's UTF-8
        {"[LISTNUM]\r\nLIST=1\r\nLIST=3\r\n[LIST0]\r\nkey1=1\r\nkey1=2\r\n[LIST0]\r\nkey2=7\r\n", {{"1", "88", "Beep"}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.substr(0, 40));
        Load(c.file);
        EXPECT_EQ(ListRows(List()), c.rows);
        ASSERT_TRUE(SaveSoundList());
        Load(ReadBytes(path_));
        EXPECT_EQ(ListRows(List()), Rows(c.rows.rbegin(), c.rows.rend()));
    }
}

// One row over the bound: a count like LIST=2147483647 would keep start-up busy for hours. The
// list, filled with its redraw off, still paints once the load is done.
TEST_F(SavedList, ACountBeyondTheBoundLoadsTheBound) {
    PauseKeyWatcher();  // or its next pass would read 100,000 rows, deleted or not, for half a minute
    Load("[LISTNUM]\r\nLIST=100001\r\n");
    EXPECT_EQ(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0), 100000);
    EXPECT_TRUE(PumpUntil([&] { return !GetUpdateRect(List(), nullptr, FALSE); }));
    SendMessageA(List(), LVM_REDRAWITEMS, 0, 0);
    EXPECT_TRUE(GetUpdateRect(List(), nullptr, FALSE)) << "the list takes no repaint";
    SendMessageA(List(), LVM_DELETEALLITEMS, 0, 0);
    ResumeKeyWatcher();
}

// An entry that "リストの編集" took out stays in the saved list, where it stood, until its edited
// version is added: through a save and a second edit. A reset puts it back; clearing takes it too.
TEST_F(SavedList, AnEditLeftUnfinishedLosesNoEntry) {
    FillList({{"1", "-1", "x"}, kAlarm, kBell});
    SelectRow(List(), 1), Click(IDC_EDIT_BUTTON);  // the alarm; then the row above it goes
    SelectRow(List(), 0), Click(IDC_DELETE_BUTTON);
    for (int edit : {1, 2}) {  // a second edit, on the bell, puts the alarm back first
        BoxAnswerer box("確認", IDYES);
        if (edit == 2) SelectRow(List(), 0), Click(IDC_EDIT_BUTTON);
        ASSERT_TRUE(SaveSoundList());
        EXPECT_EQ(ReadBytes(path_), kExample);
    }
    SetDlgItemTextA(AppWindow(), IDC_KEY1_EDIT, "113");
    Click(IDC_ADD_BUTTON);
    ASSERT_TRUE(SaveSoundList());
    Load(ReadBytes(path_));
    for (int command : {int{IDC_RESET_BUTTON}, int{IDM_CLEAR_LIST}}) {  // a reset puts the alarm back; clearing takes it
        EXPECT_EQ(ListRows(List()), (Rows{kAlarm, {"113", "-1", kBell[2]}}));
        BoxAnswerer box("確認", 0);
        SelectRow(List(), 0), Click(IDC_EDIT_BUTTON);
        SendMessageA(AppWindow(), WM_COMMAND, command, 0);
    }
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(ReadBytes(path_).substr(0, 19), "[LISTNUM]\r\nLIST=0\r\n");
}

// Code page 932 text is not taken for unmarked UTF-8: the program's captions and messages and the
// Japanese guides, line by line, as a hand-edited data.ini could hold them.
TEST(SavedListEncoding, CodePage932IsNotTakenForUtf8) {
    const char* root = std::getenv("CB_SOURCE_DIR");  // set by the test command
    int lines = 0;
    for (const char* file : {"app\\mainwindow.cpp", "app\\startup.cpp", "soundlist\\commands.cpp", "soundlist\\savedlist.cpp",
                             "about\\about.cpp", "packaging\\readme.txt", "README.md"}) {
        const std::string utf8 = ReadBytes(std::string(root ? root : "") + "\\" + file);
        std::wstring wide(utf8.size(), L'\0');
        wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), static_cast<int>(utf8.size())));
        std::wistringstream in(wide);
        for (std::wstring line; std::getline(in, line);) {
            char text[4096] = {};
            size_t mark = 0;
            WideCharToMultiByte(932, 0, line.c_str(), -1, text, sizeof text, nullptr, nullptr);
            if (std::any_of(line.begin(), line.end(), [](wchar_t c) { return c > 0x7F; }) && ++lines) {
                EXPECT_EQ(DetectIniTextEncoding(text, &mark), IniTextEncoding::Ansi) << text;
            }
        }
    }
    EXPECT_GT(lines, 200);
}

// Copies started in two folders run side by side, each on its own data.ini, which a backup tool
// or a virus scan holds at start: after a short hold the first loads it; after a long one the
// second starts empty, and neither log-off nor a close the user does not confirm replaces it. A
// third on the first's data.ini (its folder named in another case) opens no window: it brings
// the first out of the tray to the front and ends with 0.
TEST(SecondCopy, RunsBesideTheFirstInAnotherFolderAndHandsOverInTheSame) {
    const std::string folders[] = {MakeTempDir("beside"), MakeTempDir("beside")};
    HANDLE held[2] = {};
    for (int i : {0, 1}) WriteBytes(folders[i] + "\\data.ini", kExample),
        held[i] = CreateFileA((folders[i] + "\\data.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Program first(folders[0]), second(folders[1]);
    ASSERT_TRUE(PumpUntil([&] { return ShownWindow(first.process.dwProcessId, "NORMAL0", nullptr, false); }));
    CloseHandle(held[0]);  // while the first loads, inside its window's creation
    ASSERT_TRUE(WaitForWindow(second));  // shown once its load has given up
    CloseHandle(held[1]);
    ASSERT_TRUE(WaitForWindow(first));
    EXPECT_EQ(ListRows(first.Item(IDC_SOUND_LIST)), (Rows{kBell, kAlarm}));
    EXPECT_EQ(Send(second.Item(IDC_SOUND_LIST), LVM_GETITEMCOUNT), 0);
    PostMessageA(first.window, WM_COMMAND, IDM_STORE_IN_TRAY, 0);
    ASSERT_TRUE(PumpUntil([&] { return TrayIcon(first.window); }));
    std::string sameFolder = folders[0];
    Program third(CharUpperA(&sameFolder[0]));
    EXPECT_EQ(ExitCode(third), 0u);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(first.window) && GetForegroundWindow() == first.window; }));
    EXPECT_FALSE(TrayIcon(first.window));
    Send(second.window, WM_ENDSESSION, TRUE);
    BoxAnswerer box("確認", 0);
    for (Program* copy : {&first, &second}) PostMessageA(copy->window, WM_CLOSE, 0, 0);
    for (Program* copy : {&first, &second}) EXPECT_EQ(ExitCode(*copy), 0u);
    EXPECT_TRUE(box.Count() == 1 && box.Text().find(folders[1]) != std::string::npos) << box.Text();
    EXPECT_EQ(ReadBytes(folders[0] + "\\data.ini"), kSwapped);
    EXPECT_EQ(ReadBytes(folders[1] + "\\data.ini"), kExample);
}

std::string g_atReplace[2];  // data.ini and the temporary file, as a crash there would leave them

// The new text goes to data.ini.tmp first, which then replaces the file; one that cannot be read
// at the save is left as it was.
TEST_F(SavedList, ASaveReplacesTheFileWholeOrLeavesItAsItWas) {
    WriteBytes(path_ + ".tmp", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=1");  // left by a save cut short
    Load(kExample);
    g_beforeSavedListReplace = [](const char* temporary) {
        g_atReplace[0] = ReadBytes(SavedListPath());
        g_atReplace[1] = ReadBytes(temporary);
    };
    ASSERT_TRUE(SaveSoundList());
    EXPECT_EQ(g_atReplace[0], kExample);
    EXPECT_EQ(g_atReplace[1], kSwapped);
    EXPECT_EQ(ReadBytes(path_), kSwapped);
    EXPECT_FALSE(Exists(path_ + ".tmp"));

    FillList({kBell});
    // Held without read sharing by a program that lets go a moment later, before the replace.
    static HANDLE held;
    held = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    g_beforeSavedListReplace = [](const char*) { CloseHandle(held), held = nullptr; };
    EXPECT_FALSE(SaveSoundList());
    if (held) CloseHandle(held);
    EXPECT_EQ(ReadBytes(path_), kSwapped);
    EXPECT_FALSE(Exists(path_ + ".tmp"));
}

}  // namespace
