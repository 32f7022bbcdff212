// The application shell: shared state, control and command IDs, start-up and the main window.
// Every other subsystem reaches the main window and its controls through what is declared here.
#pragma once

#include <windows.h>

#include "resources/resource.h"

// Controls of the main window, in creation order.
enum MainControlId : int {
    IDC_SOUND_LIST = 1000,
    IDC_KEY1_EDIT = 1001,
    IDC_KEY2_EDIT = 1002,
    IDC_INPUT_GROUP = 1003,
    IDC_KEY1_LABEL = 1004,
    IDC_KEY2_LABEL = 1005,
    IDC_PATH_LABEL = 1006,
    IDC_PATH_EDIT = 1007,
    IDC_BROWSE_BUTTON = 1008,
    IDC_ADD_BUTTON = 1009,
    IDC_EDIT_BUTTON = 1010,
    IDC_DELETE_BUTTON = 1011,
    IDC_REGISTER_TOGGLE = 1012,
    IDC_KEYCODE_LABEL = 1013,
    IDC_KEYCODE_DISPLAY = 1014,
    IDC_HIDE_BUTTON = 1015,
    IDC_RESET_BUTTON = 1016,
};

// Menu commands.
enum MenuCommandId : int {
    IDM_DELETE_SAVED_DATA = 1021,
    IDM_STORE_IN_TRAY = 1022,
    IDM_CLEAR_LIST = 1023,
    IDM_VERSION = 1024,
};

// One per process. Start-up writes it; the main window's WM_CREATE writes mainWindow.
struct SharedState {
    HWND mainWindow;    // recorded in WM_CREATE before any control exists; the watcher reads it
    HFONT controlFont;  // created at start-up, deleted by ReleaseSharedResources
    HFONT aboutFont;    // created at start-up, deleted by ReleaseSharedResources
    HBRUSH faceBrush;   // created at start-up, deleted by ReleaseSharedResources
    HMENU menuBar;      // created at start-up, destroyed by ReleaseSharedResources
    HMENU infoPopup;    // "情報"; attached to menuBar for the whole run
    HMENU windowPopup;  // "ウインドウ"
    HMENU filePopup;    // "ファイル"
};

extern SharedState g_shared;

// A second copy on the same data.ini: true when a running copy has taken over and this one
// must end; PublishMainWindow tells later copies where the window is.
bool HandOverToRunningCopy();
void PublishMainWindow(HWND mainWindow);

// Start-up, split so that tests can build the real main window inside their own process.
void CreateSharedResources();  // common controls, fonts, brush, menus, both window classes
HWND CreateMainWindow();       // the visible main window; its WM_CREATE runs the initialisation
void RunMessageLoop();
void ReleaseSharedResources();
LRESULT CALLBACK OuterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The main window's class, and the plain class that the about window is made of.
constexpr char kMainClassName[] = "NORMAL0";
constexpr char kDialogClassName[] = "NORMALDLG";

// A child window of a window built at run time: one row of a control table.
struct ControlDef {
    int id;
    const char* className;
    const char* text;
    DWORD exStyle;
    DWORD style;
    int x, y, width, height;
};

// Creates the controls in table order, each with the given font.
void CreateControls(HWND parent, const ControlDef* controls, size_t count, HFONT font);
template <size_t N>
void CreateControls(HWND parent, const ControlDef (&controls)[N], HFONT font) {
    CreateControls(parent, controls, N, font);
}

// Every ShellExecute request goes through this pointer, so that a test can see it without
// starting Explorer or a browser.
extern void (*g_shellExecute)(const char* file, const char* verb, const char* parameters);

int CenterWindowOnScreen(HWND window, int xOffset, int yOffset);
void CenterWindowOnWindow(HWND baseWindow, HWND window, int xOffset, int yOffset);

// A control of the main window, looked up afresh at every use.
inline HWND MainControl(int id) { return GetDlgItem(g_shared.mainWindow, id); }
