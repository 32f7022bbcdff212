// The real main window stored in the notification area and back; NIM_MODIFY finds only real icons.
#include <gtest/gtest.h>

#include "app/app.h"
#include "soundlist/soundlist.h"
#include "tests/wine/common/harness.h"
#include "tests/wine/common/sound.h"

#include <shellapi.h>

namespace {

// True if the shell had the icon (main window, id).
bool IconCall(DWORD action, UINT id = 1) {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = AppWindow();
    icon.uID = id;
    return Shell_NotifyIconA(action, &icon) != FALSE;
}

// Hidden, with the one icon (main window, 1).
bool Stored() {
    return !IsWindowVisible(AppWindow()) && IconCall(NIM_MODIFY) && !IconCall(NIM_MODIFY, 0) &&
           !IconCall(NIM_MODIFY, 2);
}

// What the shell sends when the mouse acts on the icon.
void IconEvent(LPARAM mouse, WPARAM id = 1) { SendMessageA(AppWindow(), 0x200, id, mouse); }

// Store, restore, store again, then "TaskbarCreated" while shown and while stored.
TEST(Tray, StoresAndRestoresTheWindowAndItsKeysStillPlay) {
    ResetMainWindow();
    int sound = NextSoundId();
    InsertEntryRow("124", "-1",  // F13
                   WriteTestSound(MakeTempDir("tray"), sound).c_str());
    RECT before = {}, after = {};
    GetWindowRect(AppWindow(), &before);
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    for (UINT store : {UINT(WM_COMMAND), UINT(WM_COMMAND), taskbarCreated}) {
        SCOPED_TRACE(store);
        SendMessageA(AppWindow(), store, IDM_STORE_IN_TRAY, 0);
        EXPECT_TRUE(Stored());
        Capture capture;
        KeyDown(VK_F13);
        EXPECT_TRUE(PumpUntil([&] { return capture.Count(sound) > 0; }));
        KeyUp(VK_F13);
        IconCall(NIM_DELETE);  // as if the icon had gone with the old taskbar
        SendMessageA(AppWindow(), taskbarCreated, 0, 0);
        EXPECT_TRUE(Stored());
        for (LPARAM ignored : {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP}) IconEvent(ignored);
        IconEvent(WM_LBUTTONDOWN, 2);  // not this program's icon
        EXPECT_TRUE(Stored());
        IconEvent(WM_LBUTTONDOWN);
        EXPECT_TRUE(IsWindowVisible(AppWindow()) && !IconCall(NIM_MODIFY));
        GetWindowRect(AppWindow(), &after);
        EXPECT_TRUE(EqualRect(&before, &after));
    }
}

}  // namespace
