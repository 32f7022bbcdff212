// The real chordbell.exe driven from start to exit by another process, as a user and the shell
// would. The 32-bit test command runs it to reach every structure whose size differs in 32 bits.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <fstream>
#include <iterator>

#include "app/app.h"
#include "tests/wine/common/harness.h"
#include "tests/wine/common/sound.h"

namespace {

// Under emulation the first window takes about a minute and each new code path seconds.
constexpr DWORD kStartMs = 600000, kStepMs = 180000;

const char kPreparedList[] = "[LISTNUM]\r\nLIST=2\r\n"  // LIST0 is the bottom row once loaded
    "[LIST0]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n"
    "[LIST1]\r\nkey1=17\r\nkey2=88\r\npath=C:\\サウンド\\アラーム.wav\r\n";

struct ControlSpec { int id; const char* className; const char* text; bool enabled; RECT rect; };
const ControlSpec kControls[] = {  // rectangles in the main window's client area
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

PROCESS_INFORMATION g_program = {};  // terminated after the last step if still running
std::string g_dir, g_wav;
int g_soundId = 0;
HWND g_main = nullptr;

bool WaitFor(const std::function<bool()>& done) { return PumpUntil(done, kStepMs); }

DWORD_PTR Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kStepMs, &result);
    return result;
}

std::string TextOf(HWND window) {  // WM_GETTEXT: GetWindowTextA would not ask another process
    char text[2048] = {};
    Send(window, WM_GETTEXT, sizeof text - 1, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND Item(int id) { return GetDlgItem(g_main, id); }
std::string Text(int id) { return TextOf(Item(id)); }
DWORD_PTR Rows() { return Send(Item(IDC_SOUND_LIST), LVM_GETITEMCOUNT); }

HWND FindShown(const char* className, const char* title) {  // only the program makes these
    HWND window = FindWindowA(className, title);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

bool TrayIconExists() {  // NIM_MODIFY succeeds only for an icon the shell holds
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;  // changes nothing: no uFlags
    probe.hWnd = g_main;
    probe.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

void Type(BYTE vk) { KeyDown(vk); KeyUp(vk); }

bool BringToFront() {
    return WaitFor([] { SetForegroundWindow(g_main); return GetForegroundWindow() == g_main; });
}

// Foreground is not enough for typing: until the program's own thread has put the focus on the
// window, its key-ups would reach no window or a control.
bool WindowHasFocus() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(g_main, nullptr), &info) &&
           info.hwndFocus == g_main;
}

// Menu mode starts on the bar's first popup (a posted message is taken before input); Right to
// the wanted one (Left would reach the system menu), Down into it, Enter on its first item.
bool ChooseFirstItemOfPopup(int popup) {
    if (!BringToFront()) return false;
    PostMessageA(g_main, WM_SYSCOMMAND, SC_KEYMENU, 0);
    for (int i = 0; i < popup; ++i) Type(VK_RIGHT);
    Type(VK_DOWN);
    if (!WaitFor([] { return FindShown("#32768", nullptr) != nullptr; })) return false;
    Type(VK_RETURN);
    return true;
}

// The steps share one running program; after a failure the rest would only report its effects.
class Scenario : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { GTEST_FLAG_SET(fail_fast, true); }
    static void TearDownTestSuite() { TerminateProcess(g_program.hProcess, 99); }
};

TEST_F(Scenario, StartsWithThePreparedListInItsWindowAndSeventeenControls) {
    g_dir = MakeTempDir("scenario");
    std::ofstream(g_dir + "\\data.ini", std::ios::binary) << kPreparedList;
    g_wav = WriteTestSound(g_dir, g_soundId = NextSoundId());
    char command[] = "chordbell.exe";  // found first in this program's own folder
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr,
                               g_dir.c_str(), &startup, &g_program));
    // The rows' texts are checked in the saved file: reading them from here needs a buffer in the
    // program's own memory, which was slow and unreliable under emulation.
    auto started = [] { return (g_main = FindShown("NORMAL0", "ChordBell")) && Rows() == 2; };
    ASSERT_TRUE(PumpUntil(started, kStartMs)) << "no main window with the two saved rows";

    RECT rect = {};
    GetWindowRect(g_main, &rect);
    EXPECT_TRUE(rect.right - rect.left == 480 && rect.bottom - rect.top == 360);
    // Registered from a WNDCLASSEXA; of the class, only its style is readable across processes.
    EXPECT_EQ(GetClassLongA(g_main, GCL_STYLE), DWORD{CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS});
    for (const ControlSpec& want : kControls) {
        HWND control = Item(want.id);
        char className[64] = {};
        GetClassNameA(control, className, sizeof className);
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, g_main, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_TRUE(lstrcmpiA(className, want.className) == 0 && TextOf(control) == want.text &&
                    IsWindowVisible(control) && !IsWindowEnabled(control) == !want.enabled &&
                    EqualRect(&rect, &want.rect)) << "control " << want.id;
    }
}

// Keys released in registration mode fill the key fields; the real dialog gets an OPENFILENAMEA.
TEST_F(Scenario, AddsAnEntryThroughTheControlsAndTheFileDialogAndPlaysItOnItsKeys) {
    Send(Item(IDC_REGISTER_TOGGLE), BM_CLICK);
    ASSERT_TRUE(BringToFront());
    ASSERT_TRUE(WaitFor(WindowHasFocus));
    Type('J');
    ASSERT_TRUE(WaitFor([] { return Text(IDC_KEY1_EDIT) == "74"; })) << Text(IDC_KEY1_EDIT);
    Type('K');
    ASSERT_TRUE(WaitFor([] { return Text(IDC_KEY2_EDIT) == "75"; })) << Text(IDC_KEY2_EDIT);

    PostMessageA(Item(IDC_BROWSE_BUTTON), BM_CLICK, 0, 0);  // posted: the dialog is modal
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = FindShown("#32770", "ウェイヴ ファイルを開く")); }));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), g_main);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, 0x470 /* cmb1 */)), "wav ファイル(*.wav)");
    Send(GetDlgItem(dialog, 0x47C /* cmb13 */), WM_SETTEXT, 0, LPARAM(g_wav.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([] { return Text(IDC_PATH_EDIT) == g_wav; })) << Text(IDC_PATH_EDIT);

    Send(Item(IDC_ADD_BUTTON), BM_CLICK);
    ASSERT_EQ(Rows(), 3u);

    // Held as a keyboard holds keys, repeating: when the X focus comes back from the dialog,
    // Wine may release keys that the X server never saw pressed, and only a repeat undoes that.
    Capture capture;
    DWORD pressed = 0;
    ASSERT_TRUE(WaitFor([&] {
        if (GetTickCount() - pressed >= 250) {
            KeyDown('J');
            KeyDown('K');
            pressed = GetTickCount();
        }
        return capture.Count(g_soundId) >= 1;
    })) << "nothing of the sound reached the file CB_CAPTURE_FILE names";
    KeyUp('K');
    KeyUp('J');
    for (int id : capture.Starts()) EXPECT_EQ(id, g_soundId);
}

// The menu holds MENUITEMINFOA records; the shell gets the 88-byte (in 32 bits) NOTIFYICONDATAA.
TEST_F(Scenario, StoresItselfInTheTrayAndOpensTheAboutWindowFromTheMenu) {
    ASSERT_FALSE(TrayIconExists());
    ASSERT_TRUE(ChooseFirstItemOfPopup(1)) << "ウインドウ > タスクトレイに格納";
    ASSERT_TRUE(WaitFor([] { return !IsWindowVisible(g_main) && TrayIconExists(); }));
    PostMessageA(g_main, 0x200, 1, WM_LBUTTONDOWN);  // the icon's callback for a click
    ASSERT_TRUE(WaitFor([] { return IsWindowVisible(g_main) && !TrayIconExists(); }));

    ASSERT_TRUE(ChooseFirstItemOfPopup(2)) << "情報 > バージョン情報";
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (about = FindShown("NORMALDLG", "Version")); })) << "none";
    EXPECT_EQ(TextOf(GetDlgItem(about, 1013)), "0.05");
    PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }));
}

TEST_F(Scenario, ClosesOnWmCloseSavingTheListAndExitsWithZero) {
    PostMessageA(g_main, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(g_program.hProcess, kStepMs), WAIT_OBJECT_0);
    DWORD code = 99;
    EXPECT_TRUE(GetExitCodeProcess(g_program.hProcess, &code) && code == 0) << "exit code " << code;
    std::ifstream saved(g_dir + "\\data.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}),
              "[LISTNUM]\r\nLIST=3\r\n"
              "[LIST0]\r\nkey1=74\r\nkey2=75\r\npath=" + g_wav + "\r\n"
              "[LIST1]\r\nkey1=17\r\nkey2=88\r\npath=C:\\サウンド\\アラーム.wav\r\n"
              "[LIST2]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n");
}

}  // namespace
