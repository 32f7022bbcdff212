#include "app/app.h"
#include "support/placement.h"

int CenterWindowOnScreen(HWND window, int xOffset, int yOffset) {
    RECT rect = {};
    GetWindowRect(window, &rect);  // on failure the zero rectangle centres the corner
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (screenWidth == 0 || screenHeight == 0) return 0;

    int x = AddOffset(CenterOnScreenExtent(screenWidth, rect.left, rect.right), xOffset);
    int y = AddOffset(CenterOnScreenExtent(screenHeight, rect.top, rect.bottom), yOffset);
    x = ClampToScreen(x, screenWidth, rect.right - rect.left);
    y = ClampToScreen(y, screenHeight, rect.bottom - rect.top);
    return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE) ? 1 : 0;
}

// No clamping: the moved window may end up partly or wholly off the screen.
void CenterWindowOnWindow(HWND baseWindow, HWND window, int xOffset, int yOffset) {
    RECT base = {};
    RECT moved = {};
    GetWindowRect(baseWindow, &base);
    GetWindowRect(window, &moved);
    int x = AddOffset(CenterOverSpan(base.left, base.right, moved.left, moved.right), xOffset);
    int y = AddOffset(CenterOverSpan(base.top, base.bottom, moved.top, moved.bottom), yOffset);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE);
}
