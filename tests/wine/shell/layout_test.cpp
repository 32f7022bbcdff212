// The main window as start-up leaves it: class, frame, menus and the seventeen controls.
#include <gtest/gtest.h>

#include "app/app.h"
#include "tests/wine/common/harness.h"

#include <commctrl.h>

namespace {

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    DWORD exStyle;
    DWORD style;
    RECT rect;  // client coordinates of the main window
};

// The layout written out as the numbers the user sees, not as the program's own table.
const ExpectedControl kExpected[] = {
    {1000, "SysListView32", "", 0x200, 0x50008009, {145, 165, 465, 305}},
    {1001, "Edit", "", 0x200, 0x58002001, {168, 40, 238, 61}},
    {1002, "Edit", "", 0x200, 0x58002001, {295, 40, 365, 61}},
    {1003, "Button", "キーの登録", 0, 0x50000007, {9, 4, 464, 159}},
    {1004, "Static", "仮想キー1", 0, 0x50000000, {153, 22, 212, 34}},
    {1005, "Static", "仮想キー2", 0, 0x50000000, {275, 22, 334, 34}},
    {1006, "Static", "サウンドファイルパス", 0, 0x50000000, {30, 91, 140, 103}},
    {1007, "Edit", "", 0x200, 0x58000080, {145, 88, 375, 109}},
    {1008, "Button", "参照", 0x20000, 0x50000000, {382, 86, 457, 111}},
    {1009, "Button", "リストへ追加", 0x20000, 0x58000000, {305, 119, 445, 149}},
    {1010, "Button", "リストの編集", 0x20000, 0x50000000, {18, 164, 133, 219}},
    {1011, "Button", "リストの削除", 0x20000, 0x50000000, {18, 225, 133, 280}},
    {1012, "Button", "登録開始", 0x20000, 0x50001303, {28, 22, 133, 77}},
    {1013, "Static", "仮想キー番号：", 0, 0x50000000, {54, 130, 137, 142}},
    {1014, "Edit", "", 0x200, 0x50000801, {145, 126, 215, 147}},
    {1015, "Button", "触るな！危険！！", 0x20000, 0x50000000, {18, 284, 133, 304}},
    {1016, "Button", "リセット", 0x20000, 0x58000000, {398, 15, 458, 50}},
};

class MainWindowLayout : public testing::Test {
  protected:
    void SetUp() override { ResetMainWindow(); }
};

RECT ClientRectOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(MainWindowLayout, SeventeenControlsInCreationOrderWithTheirAttributes) {
    HWND child = GetWindow(AppWindow(), GW_CHILD);
    for (const ExpectedControl& e : kExpected) {
        SCOPED_TRACE(e.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), e.id) << "creation order";
        char className[64] = {};
        GetClassNameA(child, className, sizeof className);
        EXPECT_STRCASEEQ(className, e.className);
        EXPECT_EQ(WindowText(child), e.text);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)), e.style);
        // Edit controls add WS_EX_CLIENTEDGE handling bits of their own; compare ours only.
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE)) & 0x20201, e.exStyle);
        RECT rect = ClientRectOf(child);
        EXPECT_EQ(rect.left, e.rect.left);
        EXPECT_EQ(rect.top, e.rect.top);
        EXPECT_EQ(rect.right, e.rect.right);
        EXPECT_EQ(rect.bottom, e.rect.bottom);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)),
                  g_shared.controlFont);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no control beyond the seventeen";
}

TEST_F(MainWindowLayout, RegistrationModeIsOffAtStart) {
    for (int id : {1001, 1002, 1007, 1009, 1016}) EXPECT_FALSE(IsWindowEnabled(Control(id))) << id;
    for (int id : {1000, 1008, 1010, 1011, 1012, 1014, 1015}) {
        EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
    }
    EXPECT_EQ(SendMessageA(Control(1012), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(GetWindowLongA(Control(1014), GWL_STYLE) & ES_READONLY);
}

TEST(MainWindowFrame, FixedSizeCaptionSystemMenuMinimiseOnly) {
    HWND window = AppWindow();
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 480);
    EXPECT_EQ(rect.bottom - rect.top, 360);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CHILD | WS_POPUP), 0);
    EXPECT_EQ(WindowText(window), "ChordBell");
}

TEST(MainWindowFrame, CentredOnTheScreen) {
    RECT rect;
    GetWindowRect(AppWindow(), &rect);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 480) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 360) / 2);
}

TEST(WindowClasses, BothClassesCarryTheirFields) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    AppWindow();
    struct {
        const char* name;
        bool appIcon;
    } const classes[] = {{"NORMAL0", true}, {"NORMALDLG", false}};
    for (const auto& c : classes) {
        SCOPED_TRACE(c.name);
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        ASSERT_TRUE(GetClassInfoExA(instance, c.name, &wc));
        EXPECT_EQ(wc.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
        EXPECT_EQ(wc.cbClsExtra, 0);
        EXPECT_EQ(wc.cbWndExtra, 0);
        EXPECT_EQ(wc.lpszMenuName, nullptr);
        EXPECT_EQ(wc.hbrBackground, g_shared.faceBrush);
        EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, IDC_ARROW));
        HICON expectedIcon = c.appIcon ? LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP_ICON))
                                       : LoadIconA(nullptr, IDI_APPLICATION);
        EXPECT_EQ(wc.hIcon, expectedIcon);
        EXPECT_NE(wc.hIconSm, nullptr);
    }
}

TEST(SharedFonts, TwoDistinctFontsWithTheGivenAttributes) {
    AppWindow();
    ASSERT_NE(g_shared.controlFont, g_shared.aboutFont);
    for (HFONT font : {g_shared.controlFont, g_shared.aboutFont}) {
        LOGFONTA lf = {};
        ASSERT_EQ(GetObjectA(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
        EXPECT_EQ(lf.lfHeight, -12);
        EXPECT_EQ(lf.lfWidth, 0);
        EXPECT_EQ(lf.lfEscapement, 0);
        EXPECT_EQ(lf.lfOrientation, 0);
        EXPECT_EQ(lf.lfWeight, FW_NORMAL);
        EXPECT_EQ(lf.lfItalic | lf.lfUnderline | lf.lfStrikeOut, 0);
        EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
        EXPECT_EQ(lf.lfOutPrecision, OUT_STROKE_PRECIS);
        EXPECT_EQ(lf.lfClipPrecision, CLIP_STROKE_PRECIS);
        EXPECT_EQ(lf.lfQuality, DRAFT_QUALITY);
        EXPECT_EQ(lf.lfPitchAndFamily, DEFAULT_PITCH | FF_SWISS);
        // "ＭＳ Ｐゴシック" as code page 932 bytes, with an ASCII blank after Ｓ.
        const unsigned char face[] = {0x82, 0x6C, 0x82, 0x72, 0x20, 0x82, 0x6F, 0x83,
                                      0x53, 0x83, 0x56, 0x83, 0x62, 0x83, 0x4E, 0};
        EXPECT_STREQ(lf.lfFaceName, reinterpret_cast<const char*>(face));
    }
}

struct ExpectedItem {
    const char* text;  // null: separator
    UINT id;
};

void ExpectMenu(HMENU menu, const ExpectedItem* items, int count) {
    ASSERT_EQ(GetMenuItemCount(menu), count);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        char text[64] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ASSERT_TRUE(GetMenuItemInfoA(menu, i, TRUE, &info));
        if (items[i].text == nullptr) {
            EXPECT_EQ(info.fType, static_cast<UINT>(MFT_SEPARATOR));
            continue;
        }
        EXPECT_EQ(info.fType, static_cast<UINT>(MFT_STRING));
        EXPECT_STREQ(text, items[i].text);
        EXPECT_EQ(info.wID, items[i].id);
        EXPECT_EQ(info.fState, 0u) << "enabled and unchecked";
    }
}

TEST(Menus, BarAndPopupsReadLeftToRightTopToBottom) {
    HMENU bar = GetMenu(AppWindow());
    ASSERT_EQ(bar, g_shared.menuBar);
    const ExpectedItem barItems[] = {{"ファイル", 0}, {"ウインドウ", 0}, {"情報", 0}};
    ExpectMenu(bar, barItems, 3);
    EXPECT_EQ(GetSubMenu(bar, 0), g_shared.filePopup);
    EXPECT_EQ(GetSubMenu(bar, 1), g_shared.windowPopup);
    EXPECT_EQ(GetSubMenu(bar, 2), g_shared.infoPopup);

    const ExpectedItem file[] = {{"保存データを削除", 1021}};
    const ExpectedItem window[] = {{"タスクトレイに格納", 1022}, {nullptr, 0}, {"リストデータ全削除", 1023}};
    const ExpectedItem info[] = {{"バージョン情報", 1024}};
    ExpectMenu(GetSubMenu(bar, 0), file, 1);
    ExpectMenu(GetSubMenu(bar, 1), window, 3);
    ExpectMenu(GetSubMenu(bar, 2), info, 1);
}

TEST(Menus, AddMenuItemMakesSeparatorsOnlyForANullTextAndPassesTheState) {
    HMENU menu = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    AddMenuItem(menu, 0, MF_BYPOSITION, "", 7, nullptr, 0);
    AddMenuItem(menu, 0, MF_BYPOSITION, nullptr, 9, nullptr, 0);
    AddMenuItem(menu, 0, 0x400, "sub", 5, sub, 0);
    const ExpectedItem items[] = {{"sub", 5}, {nullptr, 0}, {"", 7}};
    ExpectMenu(menu, items, 3);
    EXPECT_EQ(GetSubMenu(menu, 0), sub);
    AddMenuItem(menu, 0, MF_BYPOSITION, "checked", 11, nullptr, MFS_CHECKED);
    EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    DestroyMenu(menu);
}

}  // namespace
