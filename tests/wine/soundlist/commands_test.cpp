// The editing commands on the real main window: key capture, add, edit, clear, reset, hiding the
// buttons, the real open-file dialog and the preview.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "tests/wine/common/sound.h"
#include "tests/wine/soundlist/listcheck.h"

namespace {

const int kModeControls[] = {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_ADD_BUTTON,
                             IDC_RESET_BUTTON};
const int kEditingButtons[] = {IDC_BROWSE_BUTTON, IDC_ADD_BUTTON, IDC_EDIT_BUTTON, IDC_DELETE_BUTTON,
                               IDC_HIDE_BUTTON, IDC_RESET_BUTTON, IDC_REGISTER_TOGGLE};
const Rows kFourRows = {{"1", "-1", "C:\\1.wav"}, {"2", "-1", "C:\\2.wav"},
                        {"3", "-1", "C:\\3.wav"}, {"4", "-1", "C:\\4.wav"}};
const Row kEmpty = {"", "", ""}, kTyped = {"17", "88", "C:\\typed.wav"};

template <size_t N>
bool AllAre(const int (&ids)[N], BOOL(WINAPI* probe)(HWND), bool on) {
    return std::all_of(ids, ids + N, [&](int id) { return (probe(Control(id)) != 0) == on; });
}

bool ModeIs(bool on) {
    const bool checked = SendMessageA(Control(IDC_REGISTER_TOGGLE), BM_GETCHECK, 0, 0) == BST_CHECKED;
    return checked == on && AllAre(kModeControls, IsWindowEnabled, on);
}

void ExpectBox(const BoxAnswerer& box, int count, const char* text) {
    EXPECT_EQ(box.Count(), count);
    EXPECT_EQ(box.Text(), count ? text : "");
    EXPECT_EQ(box.Owner(), count ? AppWindow() : nullptr);
}

// Returns once the release is handled: GetKeyState follows the input this thread has retrieved.
void Tap(BYTE vk) {
    const SHORT before = GetKeyState(vk);
    KeyDown(vk);
    KeyUp(vk);
    EXPECT_TRUE(PumpUntil([=] { return ((GetKeyState(vk) ^ before) & 1) && GetKeyState(vk) >= 0; }));
}

// Released keys fill Key 1, then Key 2, whatever order they went down in; the display shows each,
// so the third one shows only there.
TEST(Commands, ReleaseOrderDecidesTheKeyFields) {
    std::vector<BYTE> down = {VK_CONTROL, 'X', VK_F2}, up = down;
    do {
        do {
            FreshMainWindow();
            Click(IDC_REGISTER_TOGGLE);
            for (BYTE vk : down) KeyDown(vk);
            for (BYTE vk : up) KeyUp(vk);
            const Row codes = {std::to_string(up[0]), std::to_string(up[1]), std::to_string(up[2])};
            EXPECT_TRUE(PumpUntil([&] {
                return Row{Field(IDC_KEY1_EDIT), Field(IDC_KEY2_EDIT), Field(IDC_KEYCODE_DISPLAY)} == codes;
            })) << ::testing::PrintToString(down) << ::testing::PrintToString(up);
        } while (std::next_permutation(up.begin(), up.end()));
    } while (std::next_permutation(down.begin(), down.end()));
}

// Outside registration mode keys fill nothing and Add adds nothing. In it, Add names the first
// missing field and changes nothing, or puts the row on top and ends the mode with empty fields.
TEST(Commands, AddInRegistrationModeOnly) {
    FreshMainWindow();
    FillList({{"65", "-1", "C:\\old.wav"}});
    Tap('X');
    EXPECT_EQ(Fields(), kEmpty);
    const char* const kKey1Missing = "〝仮想キー1〟は必ず入力してください";
    const struct { bool mode; Row fields; const char* error; } cases[] = {
        {false, {"17", "", "C:\\new.wav"}, nullptr}, {true, kEmpty, kKey1Missing},
        {true, {"", "88", "C:\\a.wav"}, kKey1Missing},
        {true, {"17", "88", ""}, "〝サウンドファイルパス〟は必ず入力してください"},
        {true, {"17", "", "C:\\new.wav"}, nullptr}};
    for (const auto& c : cases) {
        if (c.mode != ModeIs(true)) Click(IDC_REGISTER_TOGGLE);
        SetFields(c.fields);
        BoxAnswerer box("Error", IDOK);
        SendMessageA(AppWindow(), WM_COMMAND, IDC_ADD_BUTTON, 0);  // also when the button is disabled
        ExpectBox(box, c.error ? 1 : 0, c.error);
        const bool added = c.mode && !c.error;
        EXPECT_EQ(Fields(), added ? kEmpty : c.fields);
        EXPECT_TRUE(ModeIs(c.mode && !added)) << &c - cases;
    }
    EXPECT_EQ(ListRows(), (Rows{{"17", "-1", "C:\\new.wav"}, {"65", "-1", "C:\\old.wav"}}));
}

// Outside registration mode the edit asks nothing; in it, it asks first. Either way it moves the
// topmost selected row into the fields, or reports that nothing is selected.
TEST(Commands, EditMovesTheTopmostSelectedRowIntoTheFields) {
    const struct { bool mode; int answer; std::vector<int> selected; int edited; } cases[] = {
        {false, IDYES, {2}, 2}, {false, IDYES, {3, 1, 2}, 1}, {false, IDYES, {}, -1},
        {true, IDNO, {0}, -1},  {true, IDYES, {0}, 0},        {true, IDYES, {}, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
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
        EXPECT_EQ(ListRows(), rest);
        EXPECT_EQ(Fields(), c.edited >= 0 ? kFourRows[c.edited] : kTyped);
        EXPECT_TRUE(ModeIs(c.mode || c.edited >= 0));
    }
}

TEST(Commands, ClearResetAndHideLeaveTheRestAlone) {
    FreshMainWindow();
    FillList(kFourRows);
    Click(IDC_REGISTER_TOGGLE);
    SetFields(kTyped);
    SendMessageA(AppWindow(), WM_COMMAND, IDM_CLEAR_LIST, 0);
    EXPECT_EQ(RowCount(), 0);
    SetFocus(Control(IDC_KEY1_EDIT));
    for (int answer : {IDCANCEL, IDOK}) {
        BoxAnswerer confirm("確認", answer);
        Click(IDC_RESET_BUTTON);
        ExpectBox(confirm, 1, "入力項目をリセットします。よろしいですか？");
        EXPECT_EQ(Fields(), answer == IDOK ? kEmpty : kTyped);
    }
    EXPECT_EQ(GetFocus(), AppWindow());
    EXPECT_TRUE(ModeIs(true));

    Click(IDC_HIDE_BUTTON);
    EXPECT_TRUE(AllAre(kEditingButtons, IsWindowVisible, false));
    Tap('X');  // keys are still captured
    EXPECT_EQ(Field(IDC_KEY1_EDIT), "88");
    EXPECT_TRUE(GetClassLongA(AppWindow(), GCL_STYLE) & CS_DBLCLKS);  // or no double-click arrives
    SendMessageA(AppWindow(), WM_RBUTTONDBLCLK, 0, MAKELPARAM(139, 200));
    EXPECT_TRUE(AllAre(kEditingButtons, IsWindowVisible, true));
}

TEST(Commands, BrowseOutsideRegistrationModeFillsTheDisabledPathField) {
    static const char kTitle[] = "ウェイヴ ファイルを開く";
    FreshMainWindow();
    const std::string wav = WriteTestSound(MakeTempDir("browse"), NextSoundId());
    std::string fileType;
    std::thread user([&] {
        HWND dialog = nullptr;
        if (!PumpUntil([&] { return (dialog = FindWindowA("#32770", kTitle)) != nullptr; }, 10000)) return;
        char type[256] = {};
        GetDlgItemTextA(dialog, 0x470, type, sizeof type);  // cmb1, the file types
        fileType = type;
        HWND name = GetDlgItem(dialog, 0x480);  // edt1, or cmb13 where the dialog has one
        SendMessageA(name ? name : GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wav.c_str()));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Click(IDC_BROWSE_BUTTON);
    user.join();
    EXPECT_EQ(fileType, "wav ファイル(*.wav)");
    EXPECT_EQ(Field(IDC_PATH_EDIT), wav);
    BoxAnswerer cancel(kTitle, IDCANCEL);
    Click(IDC_BROWSE_BUTTON);
    EXPECT_EQ(cancel.Count(), 1);
    EXPECT_EQ(Field(IDC_PATH_EDIT), wav);
}

TEST(Commands, PreviewPlaysAsynchronouslyAndTheNextStopsIt) {
    FreshMainWindow();
    const std::string dir = MakeTempDir("preview");
    const int longId = NextSoundId(), shortId = NextSoundId();
    FillList({{"0", "-1", WriteTestSound(dir, longId, 2000)}, {"0", "-1", WriteTestSound(dir, shortId, 200)}});
    Capture capture;
    SelectRows({0});
    SendMessageA(List(), WM_LBUTTONDBLCLK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return capture.Count(longId) == 1; }));
    EXPECT_LT(capture.Samples(longId), SoundSamples(2000));  // a synchronous play would be whole
    SelectRows({1});
    SendMessageA(List(), WM_LBUTTONDBLCLK, 0, 0);
    ASSERT_TRUE(PumpUntilCaptureQuiet(300));
    EXPECT_EQ(capture.Starts(), (std::vector<int>{longId, shortId}));
    EXPECT_LT(capture.Samples(longId), SoundSamples(2000));
    EXPECT_GE(capture.Samples(shortId), SoundSamples(200));
}

}  // namespace
