#include "app/app.h"

#include <commctrl.h>
#include <shellapi.h>

#include "about/about.h"
#include "soundlist/soundlist.h"
#include "tray/tray.h"
#include "watcher/watcher.h"

namespace {

const DWORD kListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
const DWORD kKeyFieldStyle = WS_CHILD | WS_VISIBLE | WS_DISABLED | ES_NUMBER | ES_CENTER;
const DWORD kPathFieldStyle = WS_CHILD | WS_VISIBLE | WS_DISABLED | ES_AUTOHSCROLL;
const DWORD kDisplayStyle = WS_CHILD | WS_VISIBLE | ES_READONLY | ES_CENTER;
const DWORD kGroupStyle = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
const DWORD kPlainStyle = WS_CHILD | WS_VISIBLE;  // a left-aligned label or a push button
const DWORD kDisabledButtonStyle = WS_CHILD | WS_VISIBLE | WS_DISABLED;
const DWORD kToggleStyle = WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | BS_CENTER | BS_PUSHLIKE;

// Creation order is table order.
const ControlDef kControls[] = {
    {IDC_SOUND_LIST, "SysListView32", "", WS_EX_CLIENTEDGE, kListStyle, 145, 165, 320, 140},
    {IDC_KEY1_EDIT, "EDIT", "", WS_EX_CLIENTEDGE, kKeyFieldStyle, 168, 40, 70, 21},
    {IDC_KEY2_EDIT, "EDIT", "", WS_EX_CLIENTEDGE, kKeyFieldStyle, 295, 40, 70, 21},
    {IDC_INPUT_GROUP, "BUTTON", "キーの登録", 0, kGroupStyle, 9, 4, 455, 155},
    {IDC_KEY1_LABEL, "STATIC", "仮想キー1", 0, kPlainStyle, 153, 22, 59, 12},
    {IDC_KEY2_LABEL, "STATIC", "仮想キー2", 0, kPlainStyle, 275, 22, 59, 12},
    {IDC_PATH_LABEL, "STATIC", "サウンドファイルパス", 0, kPlainStyle, 30, 91, 110, 12},
    {IDC_PATH_EDIT, "EDIT", "", WS_EX_CLIENTEDGE, kPathFieldStyle, 145, 88, 230, 21},
    {IDC_BROWSE_BUTTON, "BUTTON", "参照", WS_EX_STATICEDGE, kPlainStyle, 382, 86, 75, 25},
    {IDC_ADD_BUTTON, "BUTTON", "リストへ追加", WS_EX_STATICEDGE, kDisabledButtonStyle, 305, 119,
     140, 30},
    {IDC_EDIT_BUTTON, "BUTTON", "リストの編集", WS_EX_STATICEDGE, kPlainStyle, 18, 164, 115, 55},
    {IDC_DELETE_BUTTON, "BUTTON", "リストの削除", WS_EX_STATICEDGE, kPlainStyle, 18, 225, 115, 55},
    {IDC_REGISTER_TOGGLE, "BUTTON", "登録開始", WS_EX_STATICEDGE, kToggleStyle, 28, 22, 105, 55},
    {IDC_KEYCODE_LABEL, "STATIC", "仮想キー番号：", 0, kPlainStyle, 54, 130, 83, 12},
    {IDC_KEYCODE_DISPLAY, "EDIT", "", WS_EX_CLIENTEDGE, kDisplayStyle, 145, 126, 70, 21},
    {IDC_HIDE_BUTTON, "BUTTON", "触るな！危険！！", WS_EX_STATICEDGE, kPlainStyle, 18, 284, 115, 20},
    {IDC_RESET_BUTTON, "BUTTON", "リセット", WS_EX_STATICEDGE, kDisabledButtonStyle, 398, 15, 60,
     35},
};

struct CommandDef {
    int id;
    bool buttonClickOnly;  // buttons act on BN_CLICKED alone; menu commands whatever the code
    void (*run)();
};

void ShowVersionWindow() { ShowModalWindow(g_shared.mainWindow, "Version"); }

const CommandDef kCommands[] = {
    {IDC_BROWSE_BUTTON, true, BrowseSoundFile},
    {IDC_ADD_BUTTON, true, AddEntry},
    {IDC_EDIT_BUTTON, true, EditEntry},
    {IDC_DELETE_BUTTON, true, DeleteEntry},
    {IDC_REGISTER_TOGGLE, true, ApplyRegistrationMode},
    {IDC_HIDE_BUTTON, true, HideEditingButtons},
    {IDC_RESET_BUTTON, true, ResetFields},
    {IDM_DELETE_SAVED_DATA, false, DeleteSavedData},
    {IDM_STORE_IN_TRAY, false, StoreInTray},
    {IDM_CLEAR_LIST, false, ClearList},
    {IDM_VERSION, false, ShowVersionWindow},
};

// The watcher starts before the saved list is loaded; its first question is served only once
// the UI thread retrieves messages again, so its first pass sees the loaded list.
void OnCreate(HWND window) {
    g_shared.mainWindow = window;
    SetMenu(window, g_shared.menuBar);
    CreateControls(window, kControls, g_shared.controlFont);
    CenterWindowOnScreen(window, 0, 0);
    InitListColumns();
    StartKeyWatcher();
    InitSavedListPath();
    LoadSoundList();
}

// A failed save would lose every change: the user may keep the window open to try again. A
// data.ini that could not be read at start is kept unless the user agrees to replace it.
void OnClose(HWND window) {
    if (!MayReplaceSavedList(true) || SaveSoundList() || ConfirmCloseAfterFailedSave()) DestroyWindow(window);
}

// Logging off or shutting down ends the process without a WM_CLOSE, and nobody can be asked.
void OnEndSession(WPARAM ending) {
    if (ending && MayReplaceSavedList(false)) SaveSoundList();
}

void OnDestroy(HWND window) {
    ReleaseSharedResources();
    PostQuitMessage(0);
    SetMenu(window, nullptr);
}

void OnNotify(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) != IDC_SOUND_LIST) return;  // the sender is taken from wParam alone
    switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case NM_DBLCLK: PreviewEntry(); break;
        case NM_RDBLCLK: ExploreEntry(); break;
    }
}

void OnCommand(WPARAM wParam) {
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    for (const CommandDef& command : kCommands) {
        if (command.id != id) continue;
        if (!command.buttonClickOnly || code == BN_CLICKED) command.run();
        return;
    }
}

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(window); return 0;
        case WM_DESTROY: OnDestroy(window); return 0;
        case WM_CLOSE: OnClose(window); return 0;
        case WM_ENDSESSION: OnEndSession(wParam); return 0;
        case WM_NOTIFY: OnNotify(wParam, lParam); return 0;
        case WM_KEYUP: CaptureKey(wParam); return 0;
        case WM_COMMAND: OnCommand(wParam); return 0;
        case WM_RBUTTONDBLCLK: ShowEditingButtons(); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void CreateControls(HWND parent, const ControlDef* controls, size_t count, HFONT font) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (size_t i = 0; i < count; ++i) {
        const ControlDef& c = controls[i];
        HWND control = CreateWindowExA(c.exStyle, c.className, c.text, c.style, c.x, c.y,
                                       c.width, c.height, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                       instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    }
}

namespace {

void ShellExecuteNormal(const char* file, const char* verb, const char* parameters) {
    ShellExecuteA(nullptr, verb, file, parameters, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void (*g_shellExecute)(const char* file, const char* verb, const char* parameters) = ShellExecuteNormal;

// Every message reaches the main window procedure, also one a tray step has acted on.
LRESULT CALLBACK OuterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HandleTrayMessage(message, wParam, lParam);
    return MainWindowProc(window, message, wParam, lParam);
}

