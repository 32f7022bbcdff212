#include "tray/tray.h"

#include <shellapi.h>

#include "app/app.h"

namespace {

#if defined(__i386__)
// The product describes its icon in the shell's first record form, the one with a 64-byte tip.
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "first form of NOTIFYICONDATAA");
#endif

constexpr char kTrayTip[] = "ChordBell";

// Written whole by every StoreInTray; the shell keeps its own copy.
NOTIFYICONDATAA g_trayIcon;
// RegisterWindowMessageA("TaskbarCreated"), from the main window's WM_CREATE on.
UINT g_taskbarCreatedMessage;

// Shown (brought to the top and activated) also when there was no icon to delete.
void RestoreFromTray() {
    NOTIFYICONDATAA removal = {};
    removal.cbSize = NOTIFYICONDATAA_V1_SIZE;
    removal.hWnd = g_shared.mainWindow;
    removal.uID = kTrayIconId;
    Shell_NotifyIconA(NIM_DELETE, &removal);
    SetWindowPos(g_shared.mainWindow, HWND_TOP, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace

// Hidden whether or not the shell took the icon: with no taskbar yet, the next
// "TaskbarCreated" adds it.
void StoreInTray() {
    g_trayIcon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    g_trayIcon.hWnd = g_shared.mainWindow;
    g_trayIcon.uID = kTrayIconId;
    g_trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_trayIcon.uCallbackMessage = kTrayCallbackMessage;
    g_trayIcon.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY_ICON));
    lstrcpynA(g_trayIcon.szTip, kTrayTip, sizeof g_trayIcon.szTip);
    Shell_NotifyIconA(NIM_ADD, &g_trayIcon);
    SetWindowPos(g_shared.mainWindow, HWND_TOP, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE);
}

// The click test ignores the message number on purpose: any message carrying the icon's
// identifier and a left-button press restores. A zero message number means registration
// failed, and must not turn every WM_NULL into a store.
void HandleTrayMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (wParam == kTrayIconId && lParam == WM_LBUTTONDOWN) RestoreFromTray();
    if (message == WM_CREATE) {
        g_taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    } else if (g_taskbarCreatedMessage != 0 && message == g_taskbarCreatedMessage) {
        StoreInTray();
    }
}
