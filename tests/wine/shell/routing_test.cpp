// Routing: buttons act on BN_CLICKED alone, menu commands whatever the notification code.
#include <gtest/gtest.h>

#include "app/app.h"
#include "soundlist/soundlist.h"
#include "tests/wine/common/harness.h"

#include <commctrl.h>

namespace {

class Routing : public testing::Test {
  protected:
    void SetUp() override { ResetMainWindow(); }

    static void Command(int id, int code) {
        SendMessageA(AppWindow(), WM_COMMAND, MAKEWPARAM(id, code), 0);
        PumpMessages();
    }
    static void TurnRegistrationOn() {
        SendMessageA(Control(IDC_REGISTER_TOGGLE), BM_SETCHECK, BST_CHECKED, 0);
        ApplyRegistrationMode();
    }
    static int Rows() {
        return static_cast<int>(SendMessageA(Control(IDC_SOUND_LIST), LVM_GETITEMCOUNT, 0, 0));
    }
};

TEST_F(Routing, ToggleActsOnlyOnAClick) {
    SendMessageA(Control(IDC_REGISTER_TOGGLE), BM_SETCHECK, BST_CHECKED, 0);
    for (int code : {1, 5, 0x8000}) {
        Command(IDC_REGISTER_TOGGLE, code);
        EXPECT_FALSE(IsWindowEnabled(Control(IDC_KEY1_EDIT))) << code;
    }
    Command(IDC_REGISTER_TOGGLE, BN_CLICKED);
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_KEY1_EDIT)));
}

TEST_F(Routing, HideButtonActsOnlyOnAClick) {
    Command(IDC_HIDE_BUTTON, 1);
    EXPECT_TRUE(IsWindowVisible(Control(IDC_HIDE_BUTTON)));
    Command(IDC_HIDE_BUTTON, BN_CLICKED);
    EXPECT_FALSE(IsWindowVisible(Control(IDC_HIDE_BUTTON)));
}

TEST_F(Routing, ResetButtonActsOnlyOnAClick) {
    TurnRegistrationOn();
    SetDlgItemTextA(AppWindow(), IDC_KEY1_EDIT, "17");
    BoxAnswerer answer("確認", IDOK);
    Command(IDC_RESET_BUTTON, 2);
    EXPECT_EQ(answer.Count(), 0);
    EXPECT_EQ(WindowText(Control(IDC_KEY1_EDIT)), "17");
    Command(IDC_RESET_BUTTON, BN_CLICKED);
    EXPECT_EQ(answer.Count(), 1);
    EXPECT_EQ(WindowText(Control(IDC_KEY1_EDIT)), "");
}

TEST_F(Routing, DeleteButtonActsOnlyOnAClick) {
    InsertEntryRow(Control(IDC_SOUND_LIST), "65", "-1", "a.wav");
    ListView_SetItemState(Control(IDC_SOUND_LIST), 0, LVIS_SELECTED, LVIS_SELECTED);
    Command(IDC_DELETE_BUTTON, 1);
    EXPECT_EQ(Rows(), 1);
    Command(IDC_DELETE_BUTTON, BN_CLICKED);
    EXPECT_EQ(Rows(), 0);
}

TEST_F(Routing, MenuCommandsActWhateverTheCode) {
    for (int code : {0, 1, 0xFFFF}) {
        SCOPED_TRACE(code);
        InsertEntryRow(Control(IDC_SOUND_LIST), "65", "-1", "a.wav");
        Command(IDM_CLEAR_LIST, code);
        EXPECT_EQ(Rows(), 0);

        BoxAnswerer answer("確認", IDNO);
        Command(IDM_DELETE_SAVED_DATA, code);
        EXPECT_EQ(answer.Count(), 1);
    }
}

TEST_F(Routing, UnknownCommandsAndForeignNotificationsDoNothing) {
    InsertEntryRow(Control(IDC_SOUND_LIST), "65", "-1", "a.wav");
    Command(1003, BN_CLICKED);  // the group box
    Command(1020, 0);
    Command(0, 0);
    NMHDR fromField = {Control(IDC_KEY1_EDIT), IDC_KEY1_EDIT, static_cast<UINT>(NM_RDBLCLK)};
    EXPECT_EQ(SendMessageA(AppWindow(), WM_NOTIFY, IDC_KEY1_EDIT,
                           reinterpret_cast<LPARAM>(&fromField)), 0);
    NMHDR otherCode = {Control(IDC_SOUND_LIST), IDC_SOUND_LIST, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(SendMessageA(AppWindow(), WM_NOTIFY, IDC_SOUND_LIST,
                           reinterpret_cast<LPARAM>(&otherCode)), 0);
    EXPECT_EQ(Rows(), 1);
    EXPECT_TRUE(IsWindowVisible(AppWindow()));
}

// A real right double-click on the window's own client area: the class's CS_DBLCLKS is what
// turns the second click into WM_RBUTTONDBLCLK, which brings the editing buttons back.
TEST_F(Routing, RightDoubleClickOnTheClientAreaShowsTheEditingButtons) {
    HideEditingButtons();
    ASSERT_FALSE(IsWindowVisible(Control(IDC_ADD_BUTTON)));
    POINT point = {8, 200};  // left of the button column, on no control
    ClientToScreen(AppWindow(), &point);
    SetForegroundWindow(AppWindow());
    SetCursorPos(point.x, point.y);
    INPUT clicks[4] = {};
    for (int i = 0; i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = (i % 2 == 0) ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    }
    SendInput(4, clicks, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([] { return IsWindowVisible(Control(IDC_ADD_BUTTON)) != FALSE; }));
    for (int id : {1008, 1009, 1010, 1011, 1012, 1015, 1016}) {
        EXPECT_TRUE(IsWindowVisible(Control(id))) << id;
    }
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_ADD_BUTTON))) << "enabled states do not change";
}

}  // namespace
