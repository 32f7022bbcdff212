// Registration mode, key capture, adding, editing, deleting, clearing and resetting, on the real
// main window with its real controls.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/wine/soundlist/listcheck.h"

namespace {

const char kEditConfirm[] = "すでに登録が開始されていますが、この情報をクリアしてもよろしいですか？";
const char kNoSelection[] = "ERROR!!\r\nリストを選択してください";

const int kRegistrationControls[] = {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_ADD_BUTTON,
                                     IDC_RESET_BUTTON};
const int kNeverDisabled[] = {IDC_BROWSE_BUTTON, IDC_EDIT_BUTTON,    IDC_DELETE_BUTTON,
                              IDC_HIDE_BUTTON,   IDC_KEYCODE_DISPLAY, IDC_SOUND_LIST};
const int kEditingButtons[] = {IDC_BROWSE_BUTTON, IDC_ADD_BUTTON,  IDC_EDIT_BUTTON,
                               IDC_DELETE_BUTTON, IDC_HIDE_BUTTON, IDC_RESET_BUTTON,
                               IDC_REGISTER_TOGGLE};
const std::vector<Row> kFourRows = {{"1", "-1", "C:\\1.wav"}, {"2", "-1", "C:\\2.wav"},
                                    {"3", "-1", "C:\\3.wav"}, {"4", "-1", "C:\\4.wav"}};

class Registration : public ::testing::Test {
protected:
    void SetUp() override { FreshMainWindow(); }

    static void ExpectRegistrationMode(bool on) {
        EXPECT_EQ(IsChecked(IDC_REGISTER_TOGGLE), on);
        for (int id : kRegistrationControls) EXPECT_EQ(IsWindowEnabled(Control(id)) != 0, on) << id;
        for (int id : kNeverDisabled) EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
    }

    static void ExpectFields(const Row& row) {
        EXPECT_EQ((Row{Field(IDC_KEY1_EDIT), Field(IDC_KEY2_EDIT), Field(IDC_PATH_EDIT)}), row);
    }

    static void FillFields(const Row& row) {
        SetField(IDC_KEY1_EDIT, row.key1.c_str());
        SetField(IDC_KEY2_EDIT, row.key2.c_str());
        SetField(IDC_PATH_EDIT, row.path.c_str());
    }
};

// Released keys fill Key 1, then Key 2, whatever order they went down in; the display follows
// every key. All orders of three keys down and up.
TEST_F(Registration, ReleaseOrderDecidesTheKeyFields) {
    std::vector<BYTE> press = {VK_CONTROL, 'X', VK_F2};
    std::sort(press.begin(), press.end());
    do {
        std::vector<BYTE> release = press;
        std::sort(release.begin(), release.end());
        do {
            std::vector<std::string> codes;
            std::string order = "pressed";
            for (BYTE vk : press) order += " " + std::to_string(vk);
            for (BYTE vk : release) codes.push_back(std::to_string(vk));
            SCOPED_TRACE(order + ", released " + codes[0] + " " + codes[1] + " " + codes[2]);
            FreshMainWindow();
            SetRegistrationMode(true);
            ASSERT_EQ(GetFocus(), AppWindow());
            for (BYTE vk : press) KeyDown(vk);
            for (BYTE vk : release) KeyUp(vk);
            EXPECT_TRUE(PumpUntil([&] {
                return Field(IDC_KEY1_EDIT) == codes[0] && Field(IDC_KEY2_EDIT) == codes[1] &&
                       Field(IDC_KEYCODE_DISPLAY) == codes[2];
            })) << Field(IDC_KEY1_EDIT) << " " << Field(IDC_KEY2_EDIT) << " "
                << Field(IDC_KEYCODE_DISPLAY);
        } while (std::next_permutation(release.begin(), release.end()));
    } while (std::next_permutation(press.begin(), press.end()));
}

TEST_F(Registration, OnlyRegistrationModeCapturesAndAddsAndAddEndsIt) {
    FillList({{"65", "-1", "C:\\old.wav"}});
    SetField(IDC_KEYCODE_DISPLAY, "5");
    const SHORT before = GetKeyState('X');
    KeyDown('X');
    KeyUp('X');
    ASSERT_TRUE(PumpUntilReleaseHandled('X', before));
    ExpectFields({"", "", ""});
    FillFields({"17", "88", "C:\\alarm.wav"});
    {
        BoxAnswerer error("Error", IDOK);
        SendMessageA(AppWindow(), WM_COMMAND, MAKEWPARAM(IDC_ADD_BUTTON, BN_CLICKED), 0);
        PumpMessages();
        EXPECT_EQ(error.Count(), 0);
    }
    EXPECT_EQ(RowCount(), 1);
    ExpectRegistrationMode(false);

    Click(IDC_REGISTER_TOGGLE);
    ExpectRegistrationMode(true);
    EXPECT_EQ(GetFocus(), AppWindow());
    Click(IDC_ADD_BUTTON);
    EXPECT_EQ(Rows(), (std::vector<Row>{{"17", "88", "C:\\alarm.wav"}, {"65", "-1", "C:\\old.wav"}}));
    ExpectFields({"", "", ""});
    ExpectRegistrationMode(false);
    EXPECT_EQ(GetFocus(), AppWindow());
    EXPECT_EQ(Field(IDC_KEYCODE_DISPLAY), "5");
}

TEST_F(Registration, AddWithEmptyKey2StoresMinusOneAndFullFieldsOnlyFollowTheDisplay) {
    SetRegistrationMode(true);
    FillFields({"112", "", "C:\\bell.wav"});
    Click(IDC_ADD_BUTTON);
    ASSERT_EQ(Rows(), (std::vector<Row>{{"112", "-1", "C:\\bell.wav"}}));

    SelectRows({0});
    Click(IDC_EDIT_BUTTON);
    KeyDown('X');
    KeyUp('X');
    EXPECT_TRUE(PumpUntil([] { return Field(IDC_KEYCODE_DISPLAY) == "88"; }));
    ExpectFields({"112", "-1", "C:\\bell.wav"});
}

TEST_F(Registration, AddErrorsNameTheFirstMissingFieldAndChangeNothing) {
    const char kKey1Missing[] = "〝仮想キー1〟は必ず入力してください";
    const struct { const char* key1; const char* path; const char* message; } cases[] = {
        {"", "", kKey1Missing},
        {"", "C:\\a.wav", kKey1Missing},
        {"17", "", "〝サウンドファイルパス〟は必ず入力してください"},
    };
    FillList({{"65", "-1", "C:\\old.wav"}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        SetRegistrationMode(true);
        FillFields({c.key1, "88", c.path});
        BoxAnswerer error("Error", IDOK);
        Click(IDC_ADD_BUTTON);
        EXPECT_EQ(error.Count(), 1);
        EXPECT_EQ(error.Text(), c.message);
        EXPECT_EQ(error.Owner(), AppWindow());
        EXPECT_EQ(Rows(), (std::vector<Row>{{"65", "-1", "C:\\old.wav"}}));
        ExpectFields({c.key1, "88", c.path});
        ExpectRegistrationMode(true);
    }
}

// Outside registration mode the edit asks nothing; inside it asks first. Either way it moves
// the topmost selected row into the fields, or reports that nothing is selected.
TEST_F(Registration, EditMovesTheTopmostSelectedRowIntoTheFields) {
    const struct {
        const char* name;
        bool mode;
        int answer;
        std::vector<int> selected;
        int edited;  // the row that moves into the fields, or -1
    } cases[] = {
        {"off", false, IDYES, {2}, 2},
        {"off, several selected", false, IDYES, {3, 1, 2}, 1},
        {"off, no selection", false, IDYES, {}, -1},
        {"on, No", true, IDNO, {0}, -1},
        {"on, Yes", true, IDYES, {0}, 0},
        {"on, Yes, no selection", true, IDYES, {}, -1},
    };
    const Row typed = {"7", "8", "C:\\typed.wav"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FreshMainWindow();
        FillList(kFourRows);
        SelectRows(c.selected);
        SetRegistrationMode(c.mode);
        FillFields(typed);
        BoxAnswerer confirm("確認", c.answer);
        BoxAnswerer error("エラー", IDOK);
        Click(IDC_EDIT_BUTTON);
        EXPECT_EQ(confirm.Count(), c.mode ? 1 : 0);
        if (c.mode) {
            EXPECT_EQ(confirm.Text(), kEditConfirm);
            EXPECT_EQ(confirm.Owner(), AppWindow());
        }
        const bool reported = c.selected.empty() && c.answer == IDYES;
        EXPECT_EQ(error.Count(), reported ? 1 : 0);
        if (reported) {
            EXPECT_EQ(error.Text(), kNoSelection);
            EXPECT_EQ(error.Owner(), AppWindow());
        }
        std::vector<Row> rest = kFourRows;
        if (c.edited >= 0) rest.erase(rest.begin() + c.edited);
        EXPECT_EQ(Rows(), rest);
        ExpectFields(c.edited >= 0 ? kFourRows[c.edited] : typed);
        ExpectRegistrationMode(c.mode || c.edited >= 0);
        if (c.edited >= 0) {
            EXPECT_EQ(GetFocus(), AppWindow());
        }
    }
}

TEST_F(Registration, DeleteTakesTheTopmostSelectedRowAndClearTakesAll) {
    FillList(kFourRows);
    SetRegistrationMode(true);
    FillFields({"7", "8", "C:\\typed.wav"});
    Click(IDC_DELETE_BUTTON);
    EXPECT_EQ(Rows(), kFourRows);
    SelectRows({2, 1});
    Click(IDC_DELETE_BUTTON);
    EXPECT_EQ(Rows(), (std::vector<Row>{kFourRows[0], kFourRows[2], kFourRows[3]}));

    SendMessageA(AppWindow(), WM_COMMAND, IDM_CLEAR_LIST, 0);
    EXPECT_EQ(RowCount(), 0);
    ExpectFields({"7", "8", "C:\\typed.wav"});
    ExpectRegistrationMode(true);
}

TEST_F(Registration, ResetAsksAndEmptiesTheFieldsOnlyOnOk) {
    SetRegistrationMode(true);
    SetField(IDC_KEYCODE_DISPLAY, "88");
    const Row typed = {"17", "88", "C:\\a.wav"};
    FillFields(typed);
    for (int answer : {IDCANCEL, IDOK}) {
        BoxAnswerer confirm("確認", answer);
        Click(IDC_RESET_BUTTON);
        EXPECT_EQ(confirm.Count(), 1);
        EXPECT_EQ(confirm.Text(), "入力項目をリセットします。よろしいですか？");
        EXPECT_EQ(confirm.Owner(), AppWindow());
        ExpectFields(answer == IDOK ? Row{"", "", ""} : typed);
    }
    EXPECT_EQ(GetFocus(), AppWindow());
    EXPECT_EQ(Field(IDC_KEYCODE_DISPLAY), "88");
    ExpectRegistrationMode(true);
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
    // Keys are still captured while the buttons are hidden.
    KeyDown('X');
    KeyUp('X');
    EXPECT_TRUE(PumpUntil([] { return Field(IDC_KEY1_EDIT) == "88"; }));

    Click(IDC_REGISTER_TOGGLE);  // hidden, but still a toggle; turning it off keeps the fields
    ExpectRegistrationMode(false);
    EXPECT_EQ(Field(IDC_KEY1_EDIT), "88");
    POINT between = {139, 200};  // between the button column and the list
    ClientToScreen(AppWindow(), &between);
    DoubleClickAt(between, true);
    EXPECT_TRUE(PumpUntil([] { return AllEditingButtonsVisible(true); }));
}

}  // namespace
