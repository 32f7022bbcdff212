// Storing the real main window in the notification area and bringing it back, observed through
// the shell: a NIM_MODIFY probe succeeds only for an icon that exists.
#include <gtest/gtest.h>

#include "app/app.h"
#include "soundlist/soundlist.h"
#include "tests/wine/common/harness.h"
#include "tests/wine/common/sound.h"
#include "tray/tray.h"

#include <shellapi.h>

namespace {

constexpr UINT kCallback = 0x200;

NOTIFYICONDATAA IconRecord(UINT id) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = AppWindow();
    record.uID = id;
    return record;
}

bool IconPresent(UINT id = 1) {
    NOTIFYICONDATAA probe = IconRecord(id);
    probe.uFlags = NIF_TIP;
    lstrcpyA(probe.szTip, "ChordBell");
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

bool DeleteIcon(UINT id = 1) {
    NOTIFYICONDATAA record = IconRecord(id);
    return Shell_NotifyIconA(NIM_DELETE, &record) != FALSE;
}

RECT WindowRect() {
    RECT rect = {};
    GetWindowRect(AppWindow(), &rect);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

UINT TaskbarCreated() { return RegisterWindowMessageA("TaskbarCreated"); }

void Store() { SendMessageA(AppWindow(), WM_COMMAND, MAKEWPARAM(IDM_STORE_IN_TRAY, 0), 0); }

// What the shell sends when the mouse acts on the icon.
void IconEvent(UINT mouseMessage, WPARAM id = 1) {
    SendMessageA(AppWindow(), kCallback, id, mouseMessage);
}

class Tray : public ::testing::Test {
  protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    static void Clean() {
        DeleteIcon();
        ResetMainWindow();
        ASSERT_TRUE(IsWindowVisible(AppWindow()));
        ASSERT_FALSE(IconPresent());
    }

    static void ExpectStored() {
        EXPECT_FALSE(IsWindowVisible(AppWindow()));
        EXPECT_TRUE(IconPresent(1));
        EXPECT_FALSE(IconPresent(0));
        EXPECT_FALSE(IconPresent(2));
    }

    // Exactly one icon: after one delete there is none left under the same identifier.
    static void ExpectOneIconThenRemove() {
        EXPECT_TRUE(DeleteIcon());
        EXPECT_FALSE(IconPresent());
        EXPECT_FALSE(DeleteIcon());
    }
};

TEST_F(Tray, StoreCommandHidesTheWindowAndAddsOneIconWhateverTheCode) {
    for (WORD code : {0, 1, 0xFFFF}) {
        SCOPED_TRACE(code);
        SendMessageA(AppWindow(), WM_COMMAND, MAKEWPARAM(IDM_STORE_IN_TRAY, code), 0);
        ExpectStored();
        ExpectOneIconThenRemove();
        Clean();
    }
}

TEST_F(Tray, LeftPressRestoresAtTheOldPlaceAndRemovesTheIcon) {
    SetWindowPos(AppWindow(), nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT before = WindowRect();
    Store();
    ExpectStored();

    IconEvent(WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(AppWindow()));
    EXPECT_TRUE(SameRect(WindowRect(), before));
    EXPECT_EQ(GetActiveWindow(), AppWindow());
    EXPECT_FALSE(IconPresent());
    EXPECT_FALSE(DeleteIcon()) << "the restore left an icon behind";
    CenterWindowOnScreen(AppWindow(), 0, 0);
}

// Of a double click only the first press acts; the rest finds the window already shown.
TEST_F(Tray, DoubleClickRestoresOnItsFirstPress) {
    Store();
    IconEvent(WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(AppWindow()));
    EXPECT_FALSE(IconPresent());
    for (UINT rest : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) IconEvent(rest);
    EXPECT_TRUE(IsWindowVisible(AppWindow()));
    EXPECT_FALSE(IconPresent());
}

TEST_F(Tray, OtherMouseEventsOnTheIconDoNothing) {
    Store();
    for (UINT event : {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_LBUTTONUP,
                       WM_MBUTTONDOWN, WM_CONTEXTMENU}) {
        SCOPED_TRACE(event);
        IconEvent(event);
        ExpectStored();
    }
    IconEvent(WM_LBUTTONDOWN, 2);  // not this program's icon
    ExpectStored();
}

// The click test looks at the parameters only, whatever the message number.
TEST_F(Tray, AnyMessageWithTheIconAndALeftPressRestores) {
    const UINT messages[] = {kCallback, WM_USER + 1, WM_APP + 7};
    for (UINT message : messages) {
        SCOPED_TRACE(message);
        Store();
        SendMessageA(AppWindow(), message, 1, WM_LBUTTONDOWN);
        EXPECT_TRUE(IsWindowVisible(AppWindow()));
        EXPECT_FALSE(IconPresent());
    }
}

TEST_F(Tray, RestoreWithoutAnIconShowsTheWindowAnyway) {
    IconEvent(WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(AppWindow()));
    EXPECT_FALSE(IconPresent());
}

TEST_F(Tray, TaskbarCreatedWhileShownStoresTheWindow) {
    SendMessageA(AppWindow(), TaskbarCreated(), 0, 0);
    ExpectStored();
    ExpectOneIconThenRemove();
}

TEST_F(Tray, TaskbarCreatedWhileStoredPutsTheIconBack) {
    Store();
    DeleteIcon();  // as if the icon had gone with the old taskbar
    ASSERT_FALSE(IconPresent());
    SendMessageA(AppWindow(), TaskbarCreated(), 0, 0);
    ExpectStored();

    // With the icon still there the second add is refused, and one icon remains.
    SendMessageA(AppWindow(), TaskbarCreated(), 0, 0);
    ExpectStored();
    ExpectOneIconThenRemove();
}

TEST_F(Tray, StoreRestoreStoreAddsTheIconAnew) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Store();
        ExpectStored();
        IconEvent(WM_LBUTTONDOWN);
        EXPECT_TRUE(IsWindowVisible(AppWindow()));
        EXPECT_FALSE(IconPresent());
    }
}

TEST_F(Tray, RegisteredKeyStillPlaysWhileStored) {
    ASSERT_TRUE(Capture::Available()) << "CB_CAPTURE_FILE names no readable capture file";
    int id = NextSoundId();
    std::string sound = WriteTestSound(MakeTempDir("tray"), id);
    InsertEntryRow(MainControl(IDC_SOUND_LIST), "124", "-1", sound.c_str());  // F13
    Store();
    ExpectStored();

    Capture capture;
    KeyDown(VK_F13);
    bool played = PumpUntil([&] { return capture.Count(id) > 0; });
    KeyUp(VK_F13);
    EXPECT_TRUE(played) << "no sound while the window was stored";
    PumpUntilCaptureQuiet(200);
}

}  // namespace
