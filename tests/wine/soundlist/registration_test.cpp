// Registration mode, key capture, adding, editing, deleting, clearing and resetting, on the real
// main window with its real controls.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/wine/soundlist/listcheck.h"

namespace {

const char kKey1Missing[] = "〝仮想キー1〟は必ず入力してください";
const char kPathMissing[] = "〝サウンドファイルパス〟は必ず入力してください";
const char kNoSelection[] = "ERROR!!\r\nリストを選択してください";
const char kEditConfirm[] = "すでに登録が開始されていますが、この情報をクリアしてもよろしいですか？";
const char kResetConfirm[] = "入力項目をリセットします。よろしいですか？";

const int kRegistrationControls[] = {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_ADD_BUTTON,
                                     IDC_RESET_BUTTON};
const int kNeverDisabled[] = {IDC_BROWSE_BUTTON, IDC_EDIT_BUTTON,    IDC_DELETE_BUTTON,
                              IDC_HIDE_BUTTON,   IDC_KEYCODE_DISPLAY, IDC_SOUND_LIST};
const int kEditingButtons[] = {IDC_BROWSE_BUTTON, IDC_ADD_BUTTON,  IDC_EDIT_BUTTON,
                               IDC_DELETE_BUTTON, IDC_HIDE_BUTTON, IDC_RESET_BUTTON,
                               IDC_REGISTER_TOGGLE};

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMainWindow();
        SetForegroundWindow(AppWindow());
        SetFocus(AppWindow());
        PumpMessages();
    }

    static void ExpectRegistrationMode(bool on) {
        EXPECT_EQ(IsChecked(IDC_REGISTER_TOGGLE), on);
        for (int id : kRegistrationControls) EXPECT_EQ(IsWindowEnabled(Control(id)) != 0, on) << id;
        for (int id : kNeverDisabled) EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
    }

    static void ExpectFields(const char* key1, const char* key2, const char* path) {
        EXPECT_EQ(Field(IDC_KEY1_EDIT), key1);
        EXPECT_EQ(Field(IDC_KEY2_EDIT), key2);
        EXPECT_EQ(Field(IDC_PATH_EDIT), path);
    }

    static void FillFields(const char* key1, const char* key2, const char* path) {
        SetField(IDC_KEY1_EDIT, key1);
        SetField(IDC_KEY2_EDIT, key2);
        SetField(IDC_PATH_EDIT, path);
    }
};

TEST_F(Registration, ListHasThreeColumnsWithGridAndFullRowSelection) {
    const struct { const char* header; int width; } expected[] = {
        {"キー1", 50}, {"キー2", 50}, {"ファイルパス", 200}};
    HWND header = reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);
    for (int i = 0; i < 3; ++i) {
        char text[64] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(List(), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(text, expected[i].header);
        EXPECT_EQ(column.cx, expected[i].width);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    EXPECT_EQ(SendMessageA(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
              LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

TEST_F(Registration, ToggleSwitchesTheFiveControlsAndFocusesTheWindow) {
    ExpectRegistrationMode(false);
    Click(IDC_REGISTER_TOGGLE);
    ExpectRegistrationMode(true);
    EXPECT_EQ(GetFocus(), AppWindow());
    FillFields("17", "88", "C:\\a.wav");
    Click(IDC_REGISTER_TOGGLE);
    ExpectRegistrationMode(false);
    EXPECT_EQ(GetFocus(), AppWindow());
    ExpectFields("17", "88", "C:\\a.wav");
}

// Released keys fill Key 1, then Key 2; once both hold text only the display follows.
struct CaptureCase {
    std::vector<BYTE> pressOrder;
    std::vector<BYTE> releaseOrder;
};

std::string KeyName(BYTE vk) {
    switch (vk) {
        case VK_CONTROL: return "Ctrl";
        case VK_F2: return "F2";
        default: return std::string(1, static_cast<char>(vk));
    }
}

std::string CaseName(const ::testing::TestParamInfo<CaptureCase>& info) {
    std::string name = "Press";
    for (BYTE vk : info.param.pressOrder) name += KeyName(vk);
    name += "Release";
    for (BYTE vk : info.param.releaseOrder) name += KeyName(vk);
    return name;
}

std::vector<CaptureCase> AllOrders() {
    std::vector<CaptureCase> cases;
    std::vector<BYTE> press = {VK_CONTROL, 'X', VK_F2};
    std::sort(press.begin(), press.end());
    do {
        std::vector<BYTE> release = press;
        std::sort(release.begin(), release.end());
        do {
            cases.push_back({press, release});
        } while (std::next_permutation(release.begin(), release.end()));
    } while (std::next_permutation(press.begin(), press.end()));
    return cases;
}

class KeyCapture : public Registration, public ::testing::WithParamInterface<CaptureCase> {};

TEST_P(KeyCapture, ReleaseOrderDecidesTheFields) {
    SetRegistrationMode(true);
    ASSERT_EQ(GetFocus(), AppWindow());
    for (BYTE vk : GetParam().pressOrder) KeyDown(vk);
    for (BYTE vk : GetParam().releaseOrder) KeyUp(vk);
    const std::string first = std::to_string(GetParam().releaseOrder[0]);
    const std::string second = std::to_string(GetParam().releaseOrder[1]);
    const std::string last = std::to_string(GetParam().releaseOrder[2]);
    EXPECT_TRUE(PumpUntil([&] {
        return Field(IDC_KEY1_EDIT) == first && Field(IDC_KEY2_EDIT) == second &&
               Field(IDC_KEYCODE_DISPLAY) == last;
    })) << Field(IDC_KEY1_EDIT) << " " << Field(IDC_KEY2_EDIT) << " " << Field(IDC_KEYCODE_DISPLAY);
}

INSTANTIATE_TEST_SUITE_P(AllPressAndReleaseOrders, KeyCapture, ::testing::ValuesIn(AllOrders()),
                         CaseName);

TEST_F(Registration, KeysOutsideRegistrationModeAreNotCaptured) {
    SetField(IDC_KEYCODE_DISPLAY, "5");
    const SHORT before = GetKeyState('X');
    KeyDown('X');
    KeyUp('X');
    ASSERT_TRUE(PumpUntilReleaseHandled('X', before));
    ExpectFields("", "", "");
    EXPECT_EQ(Field(IDC_KEYCODE_DISPLAY), "5");
}

TEST_F(Registration, AddMakesTheTopRowAndEndsRegistration) {
    FillList({{"65", "-1", "C:\\old.wav"}});
    SetRegistrationMode(true);
    SetField(IDC_KEYCODE_DISPLAY, "88");
    FillFields("17", "88", "C:\\alarm.wav");
    Click(IDC_ADD_BUTTON);
    EXPECT_EQ(Rows(), (std::vector<Row>{{"17", "88", "C:\\alarm.wav"}, {"65", "-1", "C:\\old.wav"}}));
    ExpectFields("", "", "");
    ExpectRegistrationMode(false);
    EXPECT_EQ(GetFocus(), AppWindow());
    EXPECT_EQ(Field(IDC_KEYCODE_DISPLAY), "88");
}

TEST_F(Registration, AddWithEmptyKey2StoresMinusOneAndEditBringsItBack) {
    SetRegistrationMode(true);
    FillFields("112", "", "C:\\bell.wav");
    Click(IDC_ADD_BUTTON);
    ASSERT_EQ(Rows(), (std::vector<Row>{{"112", "-1", "C:\\bell.wav"}}));

    SelectRows({0});
    Click(IDC_EDIT_BUTTON);
    ExpectFields("112", "-1", "C:\\bell.wav");
    // Both key fields hold text now, so a released key only reaches the display.
    KeyDown('X');
    KeyUp('X');
    EXPECT_TRUE(PumpUntil([] { return Field(IDC_KEYCODE_DISPLAY) == "88"; }));
    ExpectFields("112", "-1", "C:\\bell.wav");
}

TEST_F(Registration, AddErrorsNameTheFirstMissingFieldAndChangeNothing) {
    const struct { const char* key1; const char* path; const char* message; } cases[] = {
        {"", "", kKey1Missing},
        {"", "C:\\a.wav", kKey1Missing},
        {"17", "", kPathMissing},
    };
    FillList({{"65", "-1", "C:\\old.wav"}});
    const std::vector<Row> before = Rows();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        SetRegistrationMode(true);
        FillFields(c.key1, "88", c.path);
        BoxAnswerer error("Error", IDOK);
        Click(IDC_ADD_BUTTON);
        EXPECT_EQ(error.Count(), 1);
        EXPECT_EQ(error.Text(), c.message);
        EXPECT_EQ(error.Owner(), AppWindow());
        EXPECT_EQ(Rows(), before);
        ExpectFields(c.key1, "88", c.path);
        ExpectRegistrationMode(true);
    }
}

TEST_F(Registration, AddOutsideRegistrationModeDoesNothing) {
    FillFields("17", "88", "C:\\a.wav");
    BoxAnswerer error("Error", IDOK);
    SendMessageA(AppWindow(), WM_COMMAND, MAKEWPARAM(IDC_ADD_BUTTON, BN_CLICKED), 0);
    PumpMessages();
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(error.Count(), 0);
    ExpectFields("17", "88", "C:\\a.wav");
}

TEST_F(Registration, EditOutsideRegistrationModeMovesTheRowIntoTheFields) {
    FillList({{"17", "88", "C:\\a.wav"}, {"65", "-1", "C:\\b.wav"}});
    SelectRows({1});
    BoxAnswerer confirm("確認", IDYES);
    Click(IDC_EDIT_BUTTON);
    EXPECT_EQ(confirm.Count(), 0);
    ExpectFields("65", "-1", "C:\\b.wav");
    EXPECT_EQ(Rows(), (std::vector<Row>{{"17", "88", "C:\\a.wav"}}));
    ExpectRegistrationMode(true);
    EXPECT_EQ(GetFocus(), AppWindow());
}

TEST_F(Registration, EditInRegistrationModeAsksFirst) {
    const struct { const char* name; int answer; bool selected; bool edited; bool error; } cases[] = {
        {"No keeps everything", IDNO, true, false, false},
        {"Yes edits the row", IDYES, true, true, false},
        {"Yes without a selection reports it", IDYES, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetMainWindow();
        FillList({{"17", "88", "C:\\a.wav"}, {"65", "-1", "C:\\b.wav"}});
        SelectRows(c.selected ? std::vector<int>{0} : std::vector<int>{});
        SetRegistrationMode(true);
        FillFields("1", "2", "C:\\typed.wav");
        BoxAnswerer confirm("確認", c.answer);
        BoxAnswerer error("エラー", IDOK);
        Click(IDC_EDIT_BUTTON);
        EXPECT_EQ(confirm.Count(), 1);
        EXPECT_EQ(confirm.Text(), kEditConfirm);
        EXPECT_EQ(confirm.Owner(), AppWindow());
        EXPECT_EQ(error.Count(), c.error ? 1 : 0);
        if (c.error) {
            EXPECT_EQ(error.Text(), kNoSelection);
        }
        if (c.edited) {
            ExpectFields("17", "88", "C:\\a.wav");
            EXPECT_EQ(Rows(), (std::vector<Row>{{"65", "-1", "C:\\b.wav"}}));
        } else {
            ExpectFields("1", "2", "C:\\typed.wav");
            EXPECT_EQ(RowCount(), 2);
        }
        ExpectRegistrationMode(true);
    }
}

TEST_F(Registration, EditWithoutSelectionReportsAndKeepsTheModeOff) {
    FillList({{"17", "88", "C:\\a.wav"}});
    BoxAnswerer error("エラー", IDOK);
    Click(IDC_EDIT_BUTTON);
    EXPECT_EQ(error.Count(), 1);
    EXPECT_EQ(error.Text(), kNoSelection);
    EXPECT_EQ(error.Owner(), AppWindow());
    EXPECT_EQ(RowCount(), 1);
    ExpectRegistrationMode(false);
}

TEST_F(Registration, EditAndDeleteTakeTheTopmostOfSeveralSelectedRows) {
    const std::vector<Row> rows = {{"1", "-1", "C:\\1.wav"}, {"2", "-1", "C:\\2.wav"},
                                   {"3", "-1", "C:\\3.wav"}, {"4", "-1", "C:\\4.wav"}};
    FillList(rows);
    SelectRows({3, 1, 2});
    Click(IDC_EDIT_BUTTON);
    ExpectFields("2", "-1", "C:\\2.wav");
    EXPECT_EQ(Rows(), (std::vector<Row>{rows[0], rows[2], rows[3]}));

    SelectRows({2, 1});
    Click(IDC_DELETE_BUTTON);
    EXPECT_EQ(Rows(), (std::vector<Row>{rows[0], rows[3]}));
}

TEST_F(Registration, DeleteWithoutSelectionAndClearLeaveTheRest) {
    FillList({{"1", "-1", "C:\\1.wav"}, {"2", "-1", "C:\\2.wav"}});
    SetRegistrationMode(true);
    FillFields("7", "8", "C:\\typed.wav");
    Click(IDC_DELETE_BUTTON);
    EXPECT_EQ(RowCount(), 2);

    SendMessageA(AppWindow(), WM_COMMAND, IDM_CLEAR_LIST, 0);
    EXPECT_EQ(RowCount(), 0);
    ExpectFields("7", "8", "C:\\typed.wav");
    ExpectRegistrationMode(true);
}

TEST_F(Registration, ResetAsksAndEmptiesOnlyOnOk) {
    SetRegistrationMode(true);
    SetField(IDC_KEYCODE_DISPLAY, "88");
    FillFields("17", "88", "C:\\a.wav");
    {
        BoxAnswerer confirm("確認", IDCANCEL);
        Click(IDC_RESET_BUTTON);
        EXPECT_EQ(confirm.Count(), 1);
        EXPECT_EQ(confirm.Text(), kResetConfirm);
        EXPECT_EQ(confirm.Owner(), AppWindow());
        ExpectFields("17", "88", "C:\\a.wav");
    }
    {
        BoxAnswerer confirm("確認", IDOK);
        Click(IDC_RESET_BUTTON);
        EXPECT_EQ(confirm.Count(), 1);
        ExpectFields("", "", "");
        EXPECT_EQ(GetFocus(), AppWindow());
        EXPECT_EQ(Field(IDC_KEYCODE_DISPLAY), "88");
        ExpectRegistrationMode(true);
    }
}

void RightDoubleClick(POINT client) {
    ClientToScreen(AppWindow(), &client);
    DoubleClickAt(client, true);
}

bool AllEditingButtonsVisible(bool visible) {
    for (int id : kEditingButtons) {
        if ((IsWindowVisible(Control(id)) != 0) != visible) return false;
    }
    return true;
}

TEST_F(Registration, HiddenButtonsComeBackOnARightDoubleClick) {
    SetRegistrationMode(true);
    Click(IDC_HIDE_BUTTON);
    EXPECT_TRUE(AllEditingButtonsVisible(false));
    for (int id : {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_KEYCODE_DISPLAY, IDC_SOUND_LIST}) {
        EXPECT_TRUE(IsWindowVisible(Control(id))) << id;
    }
    ExpectRegistrationMode(true);
    // Keys are still captured while the buttons are hidden.
    KeyDown('X');
    KeyUp('X');
    EXPECT_TRUE(PumpUntil([] { return Field(IDC_KEY1_EDIT) == "88"; }));

    Click(IDC_REGISTER_TOGGLE);  // hidden, but still a toggle
    RightDoubleClick({139, 200});  // between the button column and the list
    EXPECT_TRUE(PumpUntil([] { return AllEditingButtonsVisible(true); }));
    ExpectRegistrationMode(false);
}

}  // namespace
