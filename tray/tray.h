// The task tray icon: storing the main window in the notification area and bringing it back.
#pragma once

#include <windows.h>

void StoreInTray();

// The outer procedure's tray steps, taken for every message before the main window sees it.
void HandleTrayMessage(UINT message, WPARAM wParam, LPARAM lParam);
