// The modal "Version" window.
#pragma once

#include <windows.h>

int ShowModalWindow(HWND owner, const char* windowName);

// Test seam: the link button's shell request goes through this pointer, so a test can see it
// without starting a browser.
extern void (*g_openWithShell)(const char* target, const char* parameters);
