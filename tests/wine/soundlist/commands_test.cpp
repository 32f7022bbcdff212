// The editing commands on the real main window, the real open-file dialog and the preview.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "tests/wine/common/sound.h"
#include "tests/wine/soundlist/listcheck.h"

namespace {

const int kModeControls[] = {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_ADD_BUTTON,
                             IDC_RESET_BUTTON};
const int kHideable[] = {IDC_BROWSE_BUTTON, IDC_ADD_BUTTON, IDC_EDIT_BUTTON, IDC_DELETE_BUTTON,
                         IDC_HIDE_BUTTON,   IDC_RESET_BUTTON, IDC_REGISTER_TOGGLE};
const Rows kFourRows = {{"1", "-1", "a"}, {"2", "-1", "b"}, {"3", "-1", "c"}, {"4", "-1", "d"}};
const Row kEmpty = {"", "", ""}, kTyped = {"17", "88", "C:\\typed.wav"};

template <size_t N>
bool AllAre(const int (&ids)[N], BOOL(WINAPI* probe)(HWND), bool on) {
    return std::all_of(ids, ids + N, [&](int id) { return (probe(Control(id)) != 0) == on; });
}

bool InMode() { return IsDlgButtonChecked(AppWindow(), IDC_REGISTER_TOGGLE) == BST_CHECKED; }
bool ModeIs(bool on) { return InMode() == on && AllAre(kModeControls, IsWindowEnabled, on); }

Row KeyFields() { return {Field(IDC_KEY1_EDIT), Field(IDC_KEY2_EDIT), Field(IDC_KEYCODE_DISPLAY)}; }

void ExpectBox(const BoxAnswerer& box, int count, const char* text) {
    EXPECT_EQ(box.Count(), count);
    EXPECT_EQ(box.Text(), count ? text : "");
    EXPECT_EQ(box.Owner(), count ? AppWindow() : nullptr);
}

// The first two keys released fill Key 1 and Key 2, however they went down; the display shows all.
TEST(Commands, ReleaseOrderDecidesTheKeyFields) {
    std::vector<BYTE> down = {VK_CONTROL, 'X', VK_F2}, up = down;
    do {
        do {
            FreshMainWindow();
            Click(IDC_REGISTER_TOGGLE);
            for (BYTE vk : down) KeyDown(vk);
            for (BYTE vk : up) KeyUp(vk);
            const Row codes = {std::to_string(up[0]), std::to_string(up[1]), std::to_string(up[2])};
            EXPECT_TRUE(PumpUntil([&] { return KeyFields() == codes; }))
                << ::testing::PrintToString(down) << ::testing::PrintToString(up);
        } while (std::next_permutation(up.begin(), up.end()));
    } while (std::next_permutation(down.begin(), down.end()));
}

// Browse works outside registration mode; Add names the first missing field or adds on top.
TEST(Commands, BrowseAddClearResetHideAndShow) {
    static const char kTitle[] = "ウェイヴ ファイルを開く";
    FreshMainWindow();
    const std::string wav = WriteTestSound(MakeTempDir("browse"), NextSoundId());
    std::thread user([&] {
        HWND dialog = nullptr;
        PumpUntil([&] { return (dialog = FindWindowA("#32770", kTitle)) != nullptr; }, 9000);
        SetDlgItemTextA(dialog, 0x47C, wav.c_str());  // cmb13, the file name
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Click(IDC_BROWSE_BUTTON);
    user.join();
    EXPECT_EQ(Field(IDC_PATH_EDIT), wav);
    BoxAnswerer cancel(kTitle, IDCANCEL);
    Click(IDC_BROWSE_BUTTON);
    EXPECT_EQ(cancel.Count(), 1);
    EXPECT_EQ(Field(IDC_PATH_EDIT), wav);

    FillList({{"65", "-1", "C:\\old.wav"}});
    const struct { bool mode; Row fields; const char* error; } cases[] = {
        {false, {"17", "", "C:\\new.wav"}, nullptr}, {true, kEmpty, "〝仮想キー1〟は必ず入力してください"},
        {true, {"17", "88", ""}, "〝サウンドファイルパス〟は必ず入力してください"},
        {true, {"17", "", "C:\\new.wav"}, nullptr}};
    for (const auto& c : cases) {
        if (c.mode != InMode()) Click(IDC_REGISTER_TOGGLE);
        SetFields(c.fields);
        BoxAnswerer box("Error", IDOK);
        SendMessageA(AppWindow(), WM_COMMAND, IDC_ADD_BUTTON, 0);  // even with the button disabled
        ExpectBox(box, c.error ? 1 : 0, c.error);
        const bool added = c.mode && !c.error;
        EXPECT_EQ(Fields(), added ? kEmpty : c.fields);
        EXPECT_TRUE(ModeIs(c.mode && !added)) << &c - cases;
    }
    EXPECT_EQ(ListRows(), (Rows{{"17", "-1", "C:\\new.wav"}, {"65", "-1", "C:\\old.wav"}}));
    SendMessageA(AppWindow(), WM_COMMAND, IDM_CLEAR_LIST, 0);
    EXPECT_EQ(RowCount(), 0);

    Click(IDC_REGISTER_TOGGLE);
    SetFields(kTyped);
    for (int answer : {IDCANCEL, IDOK}) {
        BoxAnswerer confirm("確認", answer);
        Click(IDC_RESET_BUTTON);
        ExpectBox(confirm, 1, "入力項目をリセットします。よろしいですか？");
        EXPECT_EQ(Fields(), answer == IDOK ? kEmpty : kTyped);
    }

    Click(IDC_HIDE_BUTTON);
    EXPECT_TRUE(AllAre(kHideable, IsWindowVisible, false));
    EXPECT_TRUE(GetClassLongA(AppWindow(), GCL_STYLE) & CS_DBLCLKS);  // or no double-click arrives
    SendMessageA(AppWindow(), WM_RBUTTONDBLCLK, 0, MAKELPARAM(139, 200));
    EXPECT_TRUE(AllAre(kHideable, IsWindowVisible, true));
}

TEST(Commands, EditMovesTheTopmostSelectedRowIntoTheFields) {
    const struct { bool mode; int answer; std::vector<int> selected; int edited; } cases[] = {
        {false, IDYES, {2}, 2}, {false, IDYES, {3, 1, 2}, 1}, {false, IDYES, {}, -1},
        {true, IDNO, {0}, -1},  {true, IDYES, {0}, 0},        {true, IDYES, {}, -1}};
    for (const auto& c : cases) {
        FreshMainWindow();
        FillList(kFourRows);
        SelectRows(c.selected);
        if (c.mode) Click(IDC_REGISTER_TOGGLE);
        SetFields(kTyped);
        BoxAnswerer confirm("確認", c.answer), error("エラー", IDOK);
        Click(IDC_EDIT_BUTTON);
        ExpectBox(confirm, c.mode, "すでに登録が開始されていますが、この情報をクリアしてもよろしいですか？");
        ExpectBox(error, c.selected.empty() && c.answer == IDYES, "ERROR!!\r\nリストを選択してください");
        Rows rest = kFourRows;
        if (c.edited >= 0) rest.erase(rest.begin() + c.edited);
        EXPECT_EQ(ListRows(), rest) << &c - cases;
        EXPECT_EQ(Fields(), c.edited >= 0 ? kFourRows[c.edited] : kTyped);
        EXPECT_TRUE(ModeIs(c.mode || c.edited >= 0));
    }
}

TEST(Commands, PreviewPlaysAsynchronouslyAndTheNextStopsIt) {
    FreshMainWindow();
    const int first = NextSoundId(), second = NextSoundId();
    FillList({{"0", "-1", WriteTestSound(MakeTempDir("preview"), second, 200)},
              {"0", "-1", WriteTestSound(MakeTempDir("preview"), first, 2000)}});
    Capture capture;
    for (int row : {1, 0}) {  // row 0 is then the topmost selected
        SelectRows({row});
        SendMessageA(List(), WM_LBUTTONDBLCLK, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return capture.Count(row ? first : second) == 1; }));
    }
    ASSERT_TRUE(PumpUntilCaptureQuiet(300));
    EXPECT_EQ(capture.Starts(), (std::vector<int>{first, second}));
    EXPECT_LT(capture.Samples(first), SoundSamples(2000));  // neither waited for nor left playing
}

}  // namespace
