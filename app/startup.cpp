#include <cstddef>

#include "app/app.h"

#include <commctrl.h>

SharedState g_shared;

#if defined(__i386__)
// The 32-bit layouts the program relies on.
static_assert(sizeof(WNDCLASSEXA) == 48, "WNDCLASSEXA");
static_assert(offsetof(MENUITEMINFOA, hbmpItem) == 44, "MENUITEMINFOA without hbmpItem");
#endif

namespace {

HFONT CreateUiFont() {
    return CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS,
                       CLIP_STROKE_PRECIS, DRAFT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       "ＭＳ Ｐゴシック");
}

struct MenuItemDef {
    const char* text;  // null for a separator
    UINT commandId;
};

struct PopupDef {
    const char* barText;
    HMENU SharedState::*popup;
    const MenuItemDef* items;
    size_t itemCount;
};

template <size_t N>
constexpr PopupDef Popup(const char* barText, HMENU SharedState::*popup,
                         const MenuItemDef (&items)[N]) {
    return {barText, popup, items, N};
}

const MenuItemDef kFileItems[] = {{"保存データを削除", IDM_DELETE_SAVED_DATA}};
const MenuItemDef kWindowItems[] = {
    {"タスクトレイに格納", IDM_STORE_IN_TRAY},
    {nullptr, 0},
    {"リストデータ全削除", IDM_CLEAR_LIST},
};
const MenuItemDef kInfoItems[] = {{"バージョン情報", IDM_VERSION}};

// Left to right, top to bottom, as the user sees them.
const PopupDef kMenuBar[] = {
    Popup("ファイル", &SharedState::filePopup, kFileItems),
    Popup("ウインドウ", &SharedState::windowPopup, kWindowItems),
    Popup("情報", &SharedState::infoPopup, kInfoItems),
};

void AddMenuItem(HMENU menu, UINT position, UINT byPosition, const char* text, UINT commandId,
                 HMENU submenu, UINT state) {
    MENUITEMINFOA item = {};
    item.cbSize = offsetof(MENUITEMINFOA, hbmpItem);  // the form without hbmpItem
    if (text == nullptr) {
        item.fMask = MIIM_TYPE;
        item.fType = MFT_SEPARATOR;
    } else {
        item.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID;
        item.fType = MFT_STRING;
        item.dwTypeData = const_cast<char*>(text);  // the system copies the text
        item.wID = commandId;
        item.fState = state;
        if (submenu != nullptr) {
            item.fMask |= MIIM_SUBMENU;
            item.hSubMenu = submenu;
        }
    }
    InsertMenuItemA(menu, position, byPosition != 0, &item);
}

LRESULT CALLBACK DefaultDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// Every item goes in at position 0, in front of the others, so each menu is filled from its
// last item to its first.
void BuildMenus() {
    g_shared.menuBar = CreateMenu();
    for (int p = static_cast<int>(sizeof kMenuBar / sizeof kMenuBar[0]) - 1; p >= 0; --p) {
        const PopupDef& def = kMenuBar[p];
        HMENU popup = CreatePopupMenu();
        g_shared.*def.popup = popup;
        for (size_t i = def.itemCount; i-- > 0;) {
            AddMenuItem(popup, 0, MF_BYPOSITION, def.items[i].text, def.items[i].commandId,
                        nullptr, 0);
        }
        AddMenuItem(g_shared.menuBar, 0, MF_BYPOSITION, def.barText, 0, popup, 0);
    }
}

void RegisterWindowClass(const char* name, WNDPROC procedure, HICON icon, HICON smallIcon) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;  // double clicks bring the buttons back
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = g_shared.faceBrush;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

}  // namespace

void CreateSharedResources() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, 0xFF};
    InitCommonControlsEx(&icc);
    g_shared.controlFont = CreateUiFont();
    g_shared.aboutFont = CreateUiFont();
    g_shared.faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    BuildMenus();

    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterWindowClass(kDialogClassName, DefaultDialogProc, LoadIconA(nullptr, IDI_APPLICATION),
                        LoadIconA(nullptr, IDI_WINLOGO));
    HICON appIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP_ICON));
    RegisterWindowClass(kMainClassName, OuterWindowProc, appIcon, appIcon);
}

HWND CreateMainWindow() {
    return CreateWindowExA(0, kMainClassName, "ChordBell",
                           WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                           CW_USEDEFAULT, 480, 360, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

void RunMessageLoop() {
    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) return;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Destroying the bar destroys its popups too, so the later calls may fail; that is harmless.
void ReleaseSharedResources() {
    DestroyMenu(g_shared.menuBar);
    DestroyMenu(g_shared.infoPopup);
    DestroyMenu(g_shared.windowPopup);
    DestroyMenu(g_shared.filePopup);
    DeleteObject(g_shared.controlFont);
    DeleteObject(g_shared.aboutFont);
    DeleteObject(g_shared.faceBrush);
}
