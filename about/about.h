// The modal "Version" window.
#pragma once

#include <windows.h>

int ShowModalWindow(HWND owner, const char* windowName);
