// The task tray icon: storing the main window in the notification area and bringing it back.
#pragma once

#include <windows.h>

void StoreInTray();

// The icon's identifier and the message its clicks arrive as. The number is WM_MOUSEMOVE's too;
// the outer procedure tells the shell's calls apart by their parameters alone.
constexpr UINT kTrayIconId = 1;
constexpr UINT kTrayCallbackMessage = 0x200;

// The outer procedure's tray steps, taken for every message before the main window sees it.
void HandleTrayMessage(UINT message, WPARAM wParam, LPARAM lParam);
