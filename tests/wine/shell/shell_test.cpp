// The application shell on real windows: start-up, centring, routing and closing the program.
#include <gtest/gtest.h>

#include "app/app.h"

#include <commctrl.h>

#include <tuple>

#include "soundlist/soundlist.h"
#include "tests/wine/common/harness.h"

namespace {

// ID, class, text, style, extended style, client rectangle: the numbers the user sees.
using Attributes = std::tuple<int, std::string, std::string, LONG, LONG, LONG, LONG, LONG, LONG>;
const Attributes kControls[] = {
    {1000, "SysListView32", "", 0x50008009, 0x200, 145, 165, 465, 305},
    {1001, "Edit", "", 0x58002001, 0x200, 168, 40, 238, 61},
    {1002, "Edit", "", 0x58002001, 0x200, 295, 40, 365, 61},
    {1003, "Button", "キーの登録", 0x50000007, 0, 9, 4, 464, 159},
    {1004, "Static", "仮想キー1", 0x50000000, 0, 153, 22, 212, 34},
    {1005, "Static", "仮想キー2", 0x50000000, 0, 275, 22, 334, 34},
    {1006, "Static", "サウンドファイルパス", 0x50000000, 0, 30, 91, 140, 103},
    {1007, "Edit", "", 0x58000080, 0x200, 145, 88, 375, 109},
    {1008, "Button", "参照", 0x50000000, 0x20000, 382, 86, 457, 111},
    {1009, "Button", "リストへ追加", 0x58000000, 0x20000, 305, 119, 445, 149},
    {1010, "Button", "リストの編集", 0x50000000, 0x20000, 18, 164, 133, 219},
    {1011, "Button", "リストの削除", 0x50000000, 0x20000, 18, 225, 133, 280},
    {1012, "Button", "登録開始", 0x50001303, 0x20000, 28, 22, 133, 77},
    {1013, "Static", "仮想キー番号：", 0x50000000, 0, 54, 130, 137, 142},
    {1014, "Edit", "", 0x50000801, 0x200, 145, 126, 215, 147},
    {1015, "Button", "触るな！危険！！", 0x50000000, 0x20000, 18, 284, 133, 304},
    {1016, "Button", "リセット", 0x58000000, 0x20000, 398, 15, 458, 50},
};

// "text=id" per item, "-" a separator, "{...}" its popup, "!" anything but an enabled string.
std::string Describe(HMENU menu) {
    std::string out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        MENUITEMINFOA info = {sizeof info, MIIM_TYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU, 0, 0,
                              0, nullptr, nullptr, nullptr, 0, text, sizeof text, nullptr};
        GetMenuItemInfoA(menu, i, TRUE, &info);
        out += (i > 0 ? " " : "") +
               (info.fType == MFT_SEPARATOR ? "-" : text + ("=" + std::to_string(info.wID)));
        if (info.hSubMenu) out += "{" + Describe(info.hSubMenu) + "}";
        if ((info.fType & ~MFT_SEPARATOR) != MFT_STRING || info.fState != 0) out += '!';
    }
    return out;
}

// First in the file, so it sees what start-up left (WS_DISABLED and ES_READONLY are in styles).
TEST(StartUp, ControlsFrameClassesAndMenus) {
    HWND child = GetWindow(AppWindow(), GW_CHILD);
    for (const Attributes& expected : kControls) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        RECT r = {};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, AppWindow(), reinterpret_cast<POINT*>(&r), 2);
        // Edit controls add edge bits of their own: compare only those the program can set.
        LONG style = GetWindowLongA(child, GWL_STYLE), ex = GetWindowLongA(child, GWL_EXSTYLE);
        EXPECT_EQ(Attributes(GetDlgCtrlID(child), name, WindowText(child), style, ex & 0x20201,
                             r.left, r.top, r.right, r.bottom), expected);
        EXPECT_EQ(SendMessageA(child, WM_GETFONT, 0, 0), (LRESULT)g_shared.controlFont);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no control beyond the seventeen";
    EXPECT_EQ(SendMessageA(Control(IDC_REGISTER_TOGGLE), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Caption, system menu, minimise box (and WS_CLIPSIBLINGS): no sizing border, no maximise box.
    EXPECT_EQ(GetWindowLongA(AppWindow(), GWL_STYLE), 0x14CA0000);
    const std::pair<const char*, HICON> classes[] = {
        {"NORMAL0", LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP_ICON))},
        {"NORMALDLG", LoadIconA(nullptr, IDI_APPLICATION)}};
    for (const auto& c : classes) {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        GetClassInfoExA(GetModuleHandleA(nullptr), c.first, &wc);
        EXPECT_EQ(std::make_tuple(wc.style, wc.hbrBackground, wc.hCursor, wc.hIcon),
                  std::make_tuple(UINT(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS), g_shared.faceBrush,
                                  LoadCursorA(nullptr, IDC_ARROW), c.second)) << c.first;
    }
    EXPECT_EQ(Describe(GetMenu(AppWindow())), "ファイル=0{保存データを削除=1021} ウインドウ=0{"
              "タスクトレイに格納=1022 - リストデータ全削除=1023} 情報=0{バージョン情報=1024}");
}

// On the screen (baseX 0) the left edge is clamped by the screen's width, so an overhang stays.
TEST(Centring, MainWindowAndProbesOnTheScreenAndOverTheMainWindow) {
    const LONG sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const LONG cx = (sw - 480) / 2, cy = (sh - 360) / 2;
    RECT r = {}, centred = {cx, cy, cx + 480, cy + 360};
    GetWindowRect(AppWindow(), &r);
    EXPECT_TRUE(EqualRect(&r, &centred)) << "the main window at start-up";
    const struct { LONG width, height, dx, dy, baseX, baseY, x, y; } cases[] = {
        {sw + 300, sh + 200, 0, 0, 0, 0, 0, 0},
        {sw, sh, 0, 0, 0, 0, 0, 0},
        {480, 360, sw, -sh, 0, 0, sw - 480, 0},
        {480, 360, 700, 0, 0, 0, cx + 700, cy},
        {481, 361, -7, 9, -400, -300, -407, -291},  // over the main window: -400.5 truncated, not clamped
    };
    for (const auto& c : cases) {
        HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 10, 10, c.width, c.height,
                                     nullptr, nullptr, nullptr, nullptr);
        SetWindowPos(AppWindow(), nullptr, c.baseX, c.baseY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        if (c.baseX != 0) CenterWindowOnWindow(AppWindow(), probe, c.dx, c.dy);
        else EXPECT_EQ(CenterWindowOnScreen(probe, c.dx, c.dy), 1);
        GetWindowRect(probe, &r);
        EXPECT_EQ(std::make_tuple(r.left, r.top, r.right - r.left),
                  std::make_tuple(c.x, c.y, c.width)) << c.width << '+' << c.dx;
        DestroyWindow(probe);
    }
}

void Command(int id, int code) { SendMessageA(AppWindow(), WM_COMMAND, MAKEWPARAM(id, code), 0); }

TEST(Routing, ButtonsActOnAClickAloneMenuCommandsWhateverTheCode) {
    ResetMainWindow();
    SendMessageA(Control(IDC_REGISTER_TOGGLE), BM_SETCHECK, BST_CHECKED, 0);
    const int buttons[] = {IDC_REGISTER_TOGGLE, IDC_HIDE_BUTTON};
    for (int id : buttons) for (int code : {1, 5, 0x8000}) Command(id, code);
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_KEY1_EDIT)));
    EXPECT_TRUE(IsWindowVisible(Control(IDC_HIDE_BUTTON)));
    for (int id : buttons) Command(id, BN_CLICKED);
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_KEY1_EDIT)));
    EXPECT_FALSE(IsWindowVisible(Control(IDC_HIDE_BUTTON)));
    for (int code : {0, 1, 0xFFFF}) {
        InsertEntryRow("65", "-1", "a.wav");
        Command(IDM_CLEAR_LIST, code);
        EXPECT_EQ(ListView_GetItemCount(Control(IDC_SOUND_LIST)), 0) << code;
    }
}

// The real program in a folder of its own: each way of closing ends it with exit code 0.
TEST(Closing, ByWmCloseTheSystemMenuAndAltF4) {
    const std::pair<UINT, WPARAM> ways[] = {{WM_CLOSE, 0}, {WM_SYSCOMMAND, SC_CLOSE}, {0, 0}};
    for (const auto& way : ways) {
        char command[] = "chordbell.exe";  // found beside this test program
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr,
                                   MakeTempDir("closing").c_str(), &startup, &process));
        GUITHREADINFO ui = {sizeof ui, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
        PumpUntil([&] { return GetGUIThreadInfo(process.dwThreadId, &ui) && ui.hwndActive; },
                  20000);
        if (way.first != 0) {
            PostMessageA(ui.hwndActive, way.first, way.second, 0);
        } else if (SetForegroundWindow(ui.hwndActive) &&
                   PumpUntil([&] { return GetForegroundWindow() == ui.hwndActive; })) {
            KeyDown(VK_MENU), KeyDown(VK_F4), KeyUp(VK_F4), KeyUp(VK_MENU);  // Alt+F4
        }
        // Under Wine the process, and the window with it, ends about 2 s after the close.
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0) << way.first;
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code) && code == 0) << code;
        TerminateProcess(process.hProcess, 99);  // one that hangs; nothing once it has ended
        CloseHandle(process.hProcess), CloseHandle(process.hThread);
    }
}

}  // namespace
