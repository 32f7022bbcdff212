// One run of the real program from start to exit, driven from outside as a user would drive it:
// a prepared list, the window and its controls, a new entry made through the controls and the
// open-file dialog, its sound played on its keys, the tray, the about window, and the file it
// saves. The 32-bit build's test command runs exactly this, as a single long-lived process, so
// it passes every place where the program hands the system a structure whose size differs
// between 32 and 64 bits.
//
// The steps share one running program and run in the order written; once one fails, the later
// ones are skipped, since they would only report its consequences.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "tests/wine/common/harness.h"
#include "tests/wine/common/sound.h"
#include "tests/wine/scenario/program.h"

namespace {

// Starting a 32-bit process under emulation costs about a minute of CPU before its first window.
constexpr DWORD kStartMs = 600000;
constexpr DWORD kStepMs = 180000;

constexpr WORD kKey1 = 'J';  // 74
constexpr WORD kKey2 = 'K';  // 75
constexpr int kSoundMs = 60;

const char kDialogTitle[] = "ウェイヴ ファイルを開く";
constexpr int kFileNameEdit = 0x480;   // edt1
constexpr int kFileNameCombo = 0x47C;  // cmb13, where the dialog has one
constexpr int kFileTypeCombo = 0x470;  // cmb1

// A list saved by an earlier run: LIST0 is the bottom row once loaded.
const char kPreparedList[] =
    "[LISTNUM]\r\nLIST=2\r\n"
    "[LIST0]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n"
    "[LIST1]\r\nkey1=17\r\nkey2=88\r\npath=C:\\サウンド\\アラーム.wav\r\n";

struct Row {
    std::string key1, key2, path;
    bool operator==(const Row& other) const {
        return key1 == other.key1 && key2 == other.key2 && path == other.path;
    }
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << "{" << row.key1 << ", " << row.key2 << ", " << row.path << "}";
}

struct ControlSpec {
    int id;
    const char* className;
    const char* text;
    bool enabledAtStart;
    RECT rect;  // in the main window's client area
};

const ControlSpec kControls[] = {
    {IDC_SOUND_LIST, "SysListView32", "", true, {145, 165, 465, 305}},
    {IDC_KEY1_EDIT, "Edit", "", false, {168, 40, 238, 61}},
    {IDC_KEY2_EDIT, "Edit", "", false, {295, 40, 365, 61}},
    {IDC_INPUT_GROUP, "Button", "キーの登録", true, {9, 4, 464, 159}},
    {IDC_KEY1_LABEL, "Static", "仮想キー1", true, {153, 22, 212, 34}},
    {IDC_KEY2_LABEL, "Static", "仮想キー2", true, {275, 22, 334, 34}},
    {IDC_PATH_LABEL, "Static", "サウンドファイルパス", true, {30, 91, 140, 103}},
    {IDC_PATH_EDIT, "Edit", "", false, {145, 88, 375, 109}},
    {IDC_BROWSE_BUTTON, "Button", "参照", true, {382, 86, 457, 111}},
    {IDC_ADD_BUTTON, "Button", "リストへ追加", false, {305, 119, 445, 149}},
    {IDC_EDIT_BUTTON, "Button", "リストの編集", true, {18, 164, 133, 219}},
    {IDC_DELETE_BUTTON, "Button", "リストの削除", true, {18, 225, 133, 280}},
    {IDC_REGISTER_TOGGLE, "Button", "登録開始", true, {28, 22, 133, 77}},
    {IDC_KEYCODE_LABEL, "Static", "仮想キー番号：", true, {54, 130, 137, 142}},
    {IDC_KEYCODE_DISPLAY, "Edit", "", true, {145, 126, 215, 147}},
    {IDC_HIDE_BUTTON, "Button", "触るな！危険！！", true, {18, 284, 133, 304}},
    {IDC_RESET_BUTTON, "Button", "リセット", false, {398, 15, 458, 50}},
};

bool SameClass(const std::string& actual, const char* expected) {
    return lstrcmpiA(actual.c_str(), expected) == 0;
}

// What the run has reached so far; every step builds on the ones before.
struct Session {
    Program program;
    std::string dir;
    std::string wav;
    int soundId = 0;
    HWND main = nullptr;
    bool broken = false;
};

std::unique_ptr<Session> g_run;

class Scenario : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { g_run = std::make_unique<Session>(); }
    static void TearDownTestSuite() { g_run.reset(); }

    void SetUp() override {
        if (g_run->broken) GTEST_SKIP() << "an earlier step failed";
    }
    void TearDown() override {
        if (HasFailure()) g_run->broken = true;
    }

    static Session& R() { return *g_run; }
    static HWND Item(int id) { return GetDlgItem(R().main, id); }
    static std::string Text(int id) { return TextOf(Item(id)); }

    static int RowCount() {
        DWORD_PTR count = 0;
        if (!SendWithin(Item(IDC_SOUND_LIST), LVM_GETITEMCOUNT, 0, 0, kStepMs, &count)) return -1;
        return static_cast<int>(count);
    }

    static std::vector<Row> Rows() {
        std::vector<Row> rows;
        const int count = RowCount();
        for (int i = 0; i < count; ++i) {
            Row row;
            HWND list = Item(IDC_SOUND_LIST);
            if (!R().program.ReadListCell(list, i, 0, &row.key1) ||
                !R().program.ReadListCell(list, i, 1, &row.key2) ||
                !R().program.ReadListCell(list, i, 2, &row.path)) {
                row.key1 = "<unreadable>";
            }
            rows.push_back(row);
        }
        return rows;
    }

    static bool Click(int id) { return SendWithin(Item(id), BM_CLICK, 0, 0, kStepMs); }

    static bool IsChecked(int id) {
        DWORD_PTR state = 0;
        return SendWithin(Item(id), BM_GETCHECK, 0, 0, kStepMs, &state) && state == BST_CHECKED;
    }

    static bool BringToFront() {
        return WaitFor([] {
            SetForegroundWindow(R().main);
            return GetForegroundWindow() == R().main;
        }, kStepMs);
    }

    static void TypeKey(WORD vk) {
        PressKey(vk, true);
        PressKey(vk, false);
    }

    // Chooses a menu item with the keyboard, as a user without a mouse would: F10's menu mode
    // on the bar's first popup, Right to the wanted one (Left would reach the system menu),
    // Down into it, and Enter on its first item.
    static ::testing::AssertionResult ChooseFirstItemOfPopup(int popup) {
        if (!BringToFront()) return ::testing::AssertionFailure() << "main window not in front";
        PostMessageA(R().main, WM_SYSCOMMAND, SC_KEYMENU, 0);
        const DWORD thread = GetWindowThreadProcessId(R().main, nullptr);
        auto inMenuMode = [thread] {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE) != 0;
        };
        if (!WaitFor(inMenuMode, kStepMs)) {
            return ::testing::AssertionFailure() << "the menu bar did not take the keyboard";
        }
        for (int i = 0; i < popup; ++i) TypeKey(VK_RIGHT);
        TypeKey(VK_DOWN);
        const DWORD pid = R().program.Pid();
        if (!WaitFor([pid] {
                HWND popup = FindProcessWindow(pid, "#32768", nullptr);
                return popup != nullptr && IsWindowVisible(popup);
            }, kStepMs)) {
            return ::testing::AssertionFailure() << "no popup menu opened";
        }
        TypeKey(VK_RETURN);
        if (!WaitFor([&] { return !inMenuMode(); }, kStepMs)) {
            return ::testing::AssertionFailure() << "the menu stayed open";
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(Scenario, StartsInAFreshFolderAndLoadsThePreparedList) {
    ASSERT_NE(GetFileAttributesA(ProgramPath().c_str()), INVALID_FILE_ATTRIBUTES) << ProgramPath();
    ASSERT_TRUE(Capture::Available()) << "CB_CAPTURE_FILE must name the sound capture file";
    R().dir = MakeTempDir("scenario");
    ASSERT_TRUE(WriteWholeFile(R().dir + "\\data.ini", kPreparedList));
    R().soundId = NextSoundId();
    R().wav = WriteTestSound(R().dir, R().soundId, kSoundMs);

    ASSERT_TRUE(R().program.Start(R().dir)) << ProgramPath();
    const DWORD pid = R().program.Pid();
    ASSERT_TRUE(WaitFor([&] {
        R().main = FindProcessWindow(pid, "NORMAL0", nullptr);
        return R().main != nullptr && IsWindowVisible(R().main) && RowCount() == 2;
    }, kStartMs)) << "the main window with the two saved rows did not appear";

    EXPECT_EQ(Rows(), (std::vector<Row>{{"17", "88", "C:\\サウンド\\アラーム.wav"},
                                        {"112", "-1", "C:\\sounds\\bell.wav"}}));
}

// The window class was registered from a 48-byte WNDCLASSEXA: a wrong size would have made
// the registration fail and left no window at all.
TEST_F(Scenario, ShowsTheMainWindowOfItsOwnClass) {
    EXPECT_EQ(TextOf(R().main), "ChordBell");
    RECT rect = {};
    GetWindowRect(R().main, &rect);
    EXPECT_EQ(rect.right - rect.left, 480);
    EXPECT_EQ(rect.bottom - rect.top, 360);
    const LONG style = GetWindowLongA(R().main, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(GetMenu(R().main), nullptr) << "the menu bar is attached";
    // Of the class, only its style can be read from another process under Wine (its icons,
    // and WM_GETICON's answer, come back as 0 across processes).
    EXPECT_EQ(GetClassLongA(R().main, GCL_STYLE), static_cast<DWORD>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
}

TEST_F(Scenario, HasTheSeventeenControlsInPlace) {
    int children = 0;
    for (HWND child = GetWindow(R().main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ++children;
    }
    EXPECT_EQ(children, 17);
    for (const ControlSpec& spec : kControls) {
        SCOPED_TRACE(spec.id);
        HWND control = Item(spec.id);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(SameClass(ClassName(control), spec.className)) << ClassName(control);
        EXPECT_EQ(Text(spec.id), spec.text);
        EXPECT_TRUE(IsWindowVisible(control));
        EXPECT_EQ(IsWindowEnabled(control) != FALSE, spec.enabledAtStart);
        RECT rect = {};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, R().main, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, spec.rect.left);
        EXPECT_EQ(rect.top, spec.rect.top);
        EXPECT_EQ(rect.right, spec.rect.right);
        EXPECT_EQ(rect.bottom, spec.rect.bottom);
    }
}

// Keys released in registration mode fill the key fields; the path comes through the real
// open-file dialog, which the program describes with a 76-byte OPENFILENAMEA.
TEST_F(Scenario, AddsAnEntryThroughTheControlsAndTheFileDialog) {
    ASSERT_TRUE(Click(IDC_REGISTER_TOGGLE));
    ASSERT_TRUE(IsChecked(IDC_REGISTER_TOGGLE));
    for (int id : {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_ADD_BUTTON, IDC_RESET_BUTTON}) {
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    }

    ASSERT_TRUE(BringToFront());
    TypeKey(kKey1);
    ASSERT_TRUE(WaitFor([] { return Text(IDC_KEY1_EDIT) == "74"; }, kStepMs))
        << "Key 1 field: " << Text(IDC_KEY1_EDIT);
    TypeKey(kKey2);
    ASSERT_TRUE(WaitFor([] { return Text(IDC_KEY2_EDIT) == "75"; }, kStepMs))
        << "Key 2 field: " << Text(IDC_KEY2_EDIT);
    EXPECT_EQ(Text(IDC_KEYCODE_DISPLAY), "75");

    // The dialog is modal inside the program: the click is posted, not sent.
    PostMessageA(Item(IDC_BROWSE_BUTTON), BM_CLICK, 0, 0);
    const DWORD pid = R().program.Pid();
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        dialog = FindProcessWindow(pid, "#32770", kDialogTitle);
        return dialog != nullptr && IsWindowVisible(dialog);
    }, kStepMs)) << "the open-file dialog did not open";
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), R().main);
    EXPECT_FALSE(IsWindowEnabled(R().main));
    EXPECT_EQ(TextOf(GetDlgItem(dialog, kFileTypeCombo)), "wav ファイル(*.wav)");
    HWND name = GetDlgItem(dialog, kFileNameEdit);
    if (name == nullptr) name = GetDlgItem(dialog, kFileNameCombo);
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(SendWithin(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(R().wav.c_str()), kStepMs));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([] { return Text(IDC_PATH_EDIT) == R().wav; }, kStepMs))
        << "path field: " << Text(IDC_PATH_EDIT);
    EXPECT_FALSE(IsWindow(dialog));

    ASSERT_TRUE(Click(IDC_ADD_BUTTON));
    EXPECT_EQ(Rows(), (std::vector<Row>{{"74", "75", R().wav},
                                        {"17", "88", "C:\\サウンド\\アラーム.wav"},
                                        {"112", "-1", "C:\\sounds\\bell.wav"}}));
    for (int id : {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT}) {
        EXPECT_EQ(Text(id), "") << id;
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    }
    EXPECT_FALSE(IsChecked(IDC_REGISTER_TOGGLE));
}

TEST_F(Scenario, PlaysTheNewEntrysSoundWhileItsKeysAreDown) {
    Capture capture;
    PressKey(kKey1, true);
    PressKey(kKey2, true);
    const bool played = WaitFor([&] { return capture.Count(R().soundId) >= 1; }, kStepMs);
    PressKey(kKey2, false);
    PressKey(kKey1, false);
    ASSERT_TRUE(played) << "nothing of the entry's sound reached the capture file";
    // Every play that started runs to its end.
    ASSERT_TRUE(WaitFor([&] {
        return capture.Samples(R().soundId) ==
               static_cast<size_t>(capture.Count(R().soundId)) * SoundSamples(kSoundMs);
    }, kStepMs)) << capture.Samples(R().soundId) << " samples in " << capture.Count(R().soundId)
                 << " plays";
    for (int id : capture.Starts()) EXPECT_EQ(id, R().soundId);
}

// The shell receives the icon as the 88-byte first form of NOTIFYICONDATAA; the menu that
// leads there was built from 44-byte MENUITEMINFOA records.
TEST_F(Scenario, StoresItselfInTheTrayFromTheMenuAndComesBackOnAClick) {
    ASSERT_FALSE(TrayIconExists(R().main, 1));
    ASSERT_TRUE(ChooseFirstItemOfPopup(1)) << "ウインドウ > タスクトレイに格納";
    ASSERT_TRUE(WaitFor([] { return !IsWindowVisible(R().main); }, kStepMs));
    ASSERT_TRUE(WaitFor([] { return TrayIconExists(R().main, 1); }, kStepMs))
        << "no tray icon (main window, 1)";
    EXPECT_FALSE(TrayIconExists(R().main, 2));

    // What the shell posts for a left click on the icon.
    PostMessageA(R().main, 0x200, 1, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitFor([] { return IsWindowVisible(R().main) != FALSE; }, kStepMs));
    EXPECT_TRUE(WaitFor([] { return !TrayIconExists(R().main, 1); }, kStepMs));
}

TEST_F(Scenario, OpensTheAboutWindowFromTheMenuAndClosesIt) {
    ASSERT_TRUE(ChooseFirstItemOfPopup(2)) << "情報 > バージョン情報";
    const DWORD pid = R().program.Pid();
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        about = FindProcessWindow(pid, "NORMALDLG", "Version");
        return about != nullptr && IsWindowVisible(about);
    }, kStepMs)) << "no about window";
    EXPECT_EQ(GetWindow(about, GW_OWNER), R().main);
    EXPECT_FALSE(IsWindowEnabled(R().main));
    EXPECT_EQ(TextOf(GetDlgItem(about, 1004)), "Chord Bell");
    EXPECT_EQ(TextOf(GetDlgItem(about, 1013)), "0.05");
    RECT rect = {};
    GetWindowRect(about, &rect);
    EXPECT_EQ(rect.right - rect.left, 530);
    EXPECT_EQ(rect.bottom - rect.top, 340);

    PostMessageA(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }, kStepMs));
    EXPECT_TRUE(WaitFor([] { return IsWindowEnabled(R().main) != FALSE; }, kStepMs));
    EXPECT_TRUE(SendWithin(R().main, WM_NULL, 0, 0, kStepMs)) << "the main loop still runs";
}

TEST_F(Scenario, ClosesOnWmCloseSavingTheListAndExitsWithZero) {
    PostMessageA(R().main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(R().program.WaitForExit(kStepMs)) << "still running after WM_CLOSE";
    EXPECT_EQ(R().program.ExitCode(), 0u);
    const std::string expected =
        "[LISTNUM]\r\nLIST=3\r\n"
        "[LIST0]\r\nkey1=74\r\nkey2=75\r\npath=" + R().wav + "\r\n"
        "[LIST1]\r\nkey1=17\r\nkey2=88\r\npath=C:\\サウンド\\アラーム.wav\r\n"
        "[LIST2]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n";
    EXPECT_EQ(ReadWholeFile(R().dir + "\\data.ini"), expected);
}

}  // namespace
