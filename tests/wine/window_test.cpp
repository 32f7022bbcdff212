// The real main window, tray icon and About window in this process, checked as a user sees them.
#include "tests/wine/harness.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <set>

#include "about/about.h"
#include "app/app.h"

namespace {

// The command of the menu item that reads so, in whichever popup it is.
WPARAM MenuCommand(const char* itemText) {
    HMENU bar = GetMenu(AppWindow());
    for (int popup = 0; popup < GetMenuItemCount(bar); ++popup) {
        for (int item = 0; item < GetMenuItemCount(GetSubMenu(bar, popup)); ++item) {
            char text[64] = {};
            GetMenuStringA(GetSubMenu(bar, popup), item, text, sizeof text, MF_BYPOSITION);
            if (std::string(text) == itemText) return GetMenuItemID(GetSubMenu(bar, popup), item);
        }
    }
    return 0;
}

// Every caption fits its control at the control's own font; every control lies in the client
// area, and none overlaps another, but for a group box that holds whatever it touches.
void ExpectReadable(HWND window) {
    RECT client = {}, both = {};
    GetClientRect(window, &client);
    std::vector<std::pair<HWND, RECT>> seen;
    for (HWND control = GetWindow(window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        const std::string text = Text(control);
        RECT r = {}, inner = {};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        GetClientRect(control, &inner);
        if (!text.empty()) {
            HDC dc = GetDC(control);
            const auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
            EXPECT_NE(font, nullptr) << text << ": the system font";
            HGDIOBJ previous = SelectObject(dc, font);
            SIZE size = {};
            GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
            TEXTMETRICA metrics = {};
            GetTextMetricsA(dc, &metrics);  // the internal leading is room for accents these texts have none of
            SelectObject(dc, previous);
            ReleaseDC(control, dc);
            EXPECT_TRUE(size.cx <= inner.right && size.cy - metrics.tmInternalLeading <= inner.bottom)
                << text << " needs " << size.cx << "x" << size.cy << ", has " << inner.right << "x" << inner.bottom;
        }
        EXPECT_TRUE(IntersectRect(&both, &r, &client) && EqualRect(&both, &r)) << text << " leaves the window";
        for (const auto& [other, o] : seen) {
            const auto holds = [&](HWND box, const RECT& outer, const RECT& held) {
                return (GetWindowLongA(box, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX &&
                       IntersectRect(&both, &outer, &held) && EqualRect(&both, &held);
            };
            EXPECT_TRUE(!IntersectRect(&both, &r, &o) || holds(control, r, o) || holds(other, o, r))
                << text << " overlaps " << Text(other) << " (" << GetDlgCtrlID(other) << ")";
        }
        seen.emplace_back(control, r);
    }
}

std::set<int> Where(BOOL(WINAPI* probe)(HWND)) {
    std::set<int> ids;
    for (int id = IDC_SOUND_LIST; id <= IDC_RESET_BUTTON; ++id) {
        if (probe(Control(id))) ids.insert(id);
    }
    return ids;
}

std::set<int> Minus(std::set<int> all, const std::set<int>& some) {
    for (int id : some) all.erase(id);
    return all;
}

TEST(MainWindow, ShowsSeventeenReadableControlsCentredInAWindowOfFixedSize) {
    const char* const captions[] = {"", "", "", "キーの登録", "仮想キー1", "仮想キー2", "サウンドファイルパス", "",
                                    "参照", "リストへ追加", "リストの編集", "リストの削除", "登録開始", "仮想キー番号：",
                                    "", "触るな！危険！！", "リセット"};
    HWND window = AppWindow();
    int count = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++count;
    EXPECT_EQ(count, 17);
    for (int id = IDC_SOUND_LIST; id <= IDC_RESET_BUTTON; ++id) {
        EXPECT_EQ(Text(Control(id)), captions[id - IDC_SOUND_LIST]) << id;
        EXPECT_TRUE(IsWindowVisible(Control(id))) << id;
    }
    std::string headers;
    for (int column = 0; column < 4; ++column) {
        char text[32] = {};
        LVCOLUMNA info = {};
        info.mask = LVCF_TEXT, info.pszText = text, info.cchTextMax = sizeof text;
        if (SendMessageA(Control(IDC_SOUND_LIST), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info))) {
            headers += text + std::string("|");
        }
    }
    EXPECT_EQ(headers, "キー1|キー2|ファイルパス|");
    ExpectReadable(window);

    RECT r = {};
    GetWindowRect(window, &r);
    EXPECT_LE(std::abs(r.left + r.right - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(std::abs(r.top + r.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) << "only moved and minimised, never resized";
}

// Keys are taken as they are released: the first two fill Key 1 and Key 2, the display shows the last.
TEST(MainWindow, RegistrationEnablesItsControlsAndTakesKeysInReleaseOrder) {
    ResetMainWindow();
    const std::set<int> usable = Where(IsWindowEnabled);
    for (bool down : {true, false}) {  // a key released before registration, its messages served
        down ? KeyDown('Q') : KeyUp('Q');
        PumpUntil([&] { return (GetKeyState('Q') < 0) == down; });
    }
    Click(IDC_REGISTER_TOGGLE);
    EXPECT_EQ(Minus(Where(IsWindowEnabled), usable),
              (std::set<int>{IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT, IDC_ADD_BUTTON, IDC_RESET_BUTTON}));
    EXPECT_TRUE(std::includes(Where(IsWindowEnabled).begin(), Where(IsWindowEnabled).end(), usable.begin(), usable.end()));
    EXPECT_EQ(GetFocus(), AppWindow());
    EXPECT_EQ(Text(Control(IDC_KEY1_EDIT)) + Text(Control(IDC_KEYCODE_DISPLAY)), "") << "a key before registration";
    std::vector<BYTE> up = {VK_CONTROL, 'X', VK_F2};
    do {
        for (int id : {IDC_KEY1_EDIT, IDC_KEY2_EDIT}) SetDlgItemTextA(AppWindow(), id, "");
        for (BYTE vk : {BYTE(VK_F2), BYTE('X'), BYTE(VK_CONTROL)}) KeyDown(vk);
        for (BYTE vk : up) KeyUp(vk);
        const Row codes = {std::to_string(up[0]), std::to_string(up[1]), std::to_string(up[2])};
        EXPECT_TRUE(PumpUntil([&] {
            return Row{Text(Control(IDC_KEY1_EDIT)), Text(Control(IDC_KEY2_EDIT)), Text(Control(IDC_KEYCODE_DISPLAY))} == codes;
        })) << int(up[0]) << " " << int(up[1]) << " " << int(up[2]) << ": " << Text(Control(IDC_KEY1_EDIT)) << " "
            << Text(Control(IDC_KEY2_EDIT)) << " " << Text(Control(IDC_KEYCODE_DISPLAY));
    } while (std::next_permutation(up.begin(), up.end()));
    Click(IDC_REGISTER_TOGGLE);
    EXPECT_EQ(Where(IsWindowEnabled), usable);
}

Row Fields() {
    return {Text(Control(IDC_KEY1_EDIT)), Text(Control(IDC_KEY2_EDIT)), Text(Control(IDC_PATH_EDIT))};
}

void SetFields(const Row& row) {
    const int ids[] = {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT};
    for (int i = 0; i < 3; ++i) SetDlgItemTextA(AppWindow(), ids[i], row[i].c_str());
}

bool InRegistration() { return IsDlgButtonChecked(AppWindow(), IDC_REGISTER_TOGGLE) && IsWindowEnabled(Control(IDC_ADD_BUTTON)); }

void ExpectBox(const BoxAnswerer& box, bool shown, const char* text) {
    EXPECT_EQ(box.Count(), shown ? 1 : 0) << text;
    EXPECT_EQ(shown ? box.Text() : "", shown ? text : "");
    EXPECT_EQ(box.Owner(), shown ? AppWindow() : nullptr);
}

const Row kEmpty = {"", "", ""}, kTyped = {"17", "88", "C:\\typed.wav"};

// Add needs registration, Key 1 and a path; an empty Key 2 is stored as -1, the row goes on top.
TEST(MainWindow, AddNamesWhatIsMissingOrAddsOnTop) {
    ResetMainWindow();
    FillList({{"65", "-1", "C:\\old.wav"}});
    const struct { bool mode; Row fields; const char* error; } cases[] = {
        {false, {"17", "", "C:\\new.wav"}, nullptr}, {true, kEmpty, "〝仮想キー1〟は必ず入力してください"},
        {true, {"17", "88", ""}, "〝サウンドファイルパス〟は必ず入力してください"}, {true, {"17", "", "C:\\new.wav"}, nullptr}};
    for (const auto& c : cases) {
        if (c.mode != InRegistration()) Click(IDC_REGISTER_TOGGLE);
        SetFields(c.fields);
        BoxAnswerer box("Error", IDOK);
        SendMessageA(AppWindow(), WM_COMMAND, IDC_ADD_BUTTON, 0);  // even with the button disabled
        ExpectBox(box, c.error != nullptr, c.error);
        const bool added = c.mode && !c.error;
        EXPECT_EQ(Fields(), added ? kEmpty : c.fields);
        EXPECT_EQ(InRegistration(), c.mode && !added) << &c - cases;
    }
    EXPECT_EQ(ListRows(Control(IDC_SOUND_LIST)), (Rows{{"17", "-1", "C:\\new.wav"}, {"65", "-1", "C:\\old.wav"}}));
}

// Edit moves the topmost selected row into the fields, asking first if registration is under way.
TEST(MainWindow, EditDeleteClearAndResetActOnWhatIsSelectedOrAsked) {
    const Rows four = {{"1", "-1", "a"}, {"2", "-1", "b"}, {"3", "-1", "c"}, {"4", "-1", "d"}};
    const struct { bool mode; int answer; std::vector<int> selected; int edited; } cases[] = {
        {false, IDYES, {2}, 2}, {false, IDYES, {3, 1, 2}, 1}, {false, IDYES, {}, -1},
        {true, IDNO, {0}, -1},  {true, IDYES, {0}, 0},        {true, IDYES, {}, -1}};
    for (const auto& c : cases) {
        ResetMainWindow();
        FillList(four);
        for (int row : c.selected) SelectRow(Control(IDC_SOUND_LIST), row);
        if (c.mode) Click(IDC_REGISTER_TOGGLE);
        SetFields(kTyped);
        BoxAnswerer confirm("確認", c.answer), error("エラー", IDOK);
        Click(IDC_EDIT_BUTTON);
        ExpectBox(confirm, c.mode, "すでに登録が開始されていますが、この情報をクリアしてもよろしいですか？");
        ExpectBox(error, c.selected.empty() && c.answer == IDYES, "ERROR!!\r\nリストを選択してください");
        Rows rest = four;
        if (c.edited >= 0) rest.erase(rest.begin() + c.edited);
        EXPECT_EQ(ListRows(Control(IDC_SOUND_LIST)), rest) << &c - cases;
        EXPECT_EQ(Fields(), c.edited >= 0 ? four[c.edited] : kTyped);
        EXPECT_EQ(InRegistration(), c.mode || c.edited >= 0);
    }
    for (std::vector<int> selected : {std::vector<int>{}, {2, 1}}) {
        ResetMainWindow();
        FillList(four);
        for (int row : selected) SelectRow(Control(IDC_SOUND_LIST), row);
        Click(IDC_DELETE_BUTTON);
        EXPECT_EQ(ListRows(Control(IDC_SOUND_LIST)), (selected.empty() ? four : Rows{four[0], four[2], four[3]}));
    }
    SendMessageA(AppWindow(), WM_COMMAND, MenuCommand("リストデータ全削除"), 0);
    EXPECT_EQ(ListRows(Control(IDC_SOUND_LIST)), Rows{});
    Click(IDC_REGISTER_TOGGLE);
    for (int answer : {IDCANCEL, IDOK}) {
        SetFields(kTyped);
        BoxAnswerer confirm("確認", answer);
        Click(IDC_RESET_BUTTON);
        ExpectBox(confirm, true, "入力項目をリセットします。よろしいですか？");
        EXPECT_EQ(Fields(), answer == IDOK ? kEmpty : kTyped);
    }
}

// A double-click on a row plays it at once; the next one stops it.
TEST(MainWindow, PreviewPlaysTheSelectedRowAndTheNextStopsIt) {
    ResetMainWindow();
    const std::string dir = MakeTempDir("preview");
    const int first = NextSoundId(), second = NextSoundId();
    FillList({{"0", "-1", WriteTestSound(dir, second, 200)}, {"0", "-1", WriteTestSound(dir, first, 2000)}});
    Capture capture;
    for (int row : {1, 0}) {  // row 0 is then the topmost selected
        SelectRow(Control(IDC_SOUND_LIST), row);
        SendMessageA(Control(IDC_SOUND_LIST), WM_LBUTTONDBLCLK, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return capture.Count(row ? first : second) == 1; }));
    }
    ASSERT_TRUE(PumpUntil([&] { return capture.Samples(second) == SoundSamples(200); }));
    EXPECT_EQ(capture.Starts(), (std::vector<int>{first, second}));
    EXPECT_LT(capture.Samples(first), SoundSamples(2000));
}

// The hide button hides the editing buttons, itself among them; a right double-click brings them back.
TEST(MainWindow, HiddenButtonsComeBackOnARightDoubleClick) {
    ResetMainWindow();
    const std::set<int> shown = Where(IsWindowVisible);
    Click(IDC_HIDE_BUTTON);
    EXPECT_EQ(Minus(shown, Where(IsWindowVisible)),
              (std::set<int>{IDC_BROWSE_BUTTON, IDC_ADD_BUTTON, IDC_EDIT_BUTTON, IDC_DELETE_BUTTON,
                             IDC_REGISTER_TOGGLE, IDC_HIDE_BUTTON, IDC_RESET_BUTTON}));
    POINT face = {240, 162};  // between the group box and the list
    ClientToScreen(AppWindow(), &face);
    SetCursorPos(face.x, face.y);
    for (DWORD button : {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP}) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = button;
        SendInput(1, &input, sizeof input);
    }
    EXPECT_TRUE(PumpUntil([&] { return Where(IsWindowVisible) == shown; }));
}

// Only a left click on the program's own icon brings the window back; a new taskbar gets the icon again.
TEST(Tray, StoresTheWindowAndAClickOnItsIconBringsItBack) {
    ResetMainWindow();
    HWND window = AppWindow();
    RECT before = {}, after = {};
    GetWindowRect(window, &before);
    SendMessageA(window, WM_COMMAND, MenuCommand("タスクトレイに格納"), 0);
    const auto stored = [&] { return !IsWindowVisible(window) && TrayIcon(window); };
    EXPECT_TRUE(stored());
    TrayIcon(window, NIM_DELETE);
    SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(stored()) << "no icon after the taskbar came back";
    for (auto [id, mouse] : {std::pair{1, WM_MOUSEMOVE}, {1, WM_RBUTTONDOWN}, {1, WM_LBUTTONUP}, {2, WM_LBUTTONDOWN}}) {
        SendMessageA(window, 0x200, id, mouse);
        EXPECT_TRUE(stored()) << id << " " << mouse;
    }
    SendMessageA(window, 0x200, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(TrayIcon(window));
    GetWindowRect(window, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

// The About window is modal: these steps run inside its own loop, one per timer tick.
std::vector<std::function<void(HWND)>> g_steps;
size_t g_next;

VOID CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    static bool busy = false;  // a step waiting in a message box's loop is not entered again
    HWND about = FindWindowA("NORMALDLG", "Version");
    if (about == nullptr || busy || g_next > g_steps.size()) return;
    busy = true;
    if (g_next < g_steps.size()) g_steps[g_next](about);
    else PostMessageA(about, WM_CLOSE, 0, 0);
    ++g_next;
    busy = false;
}

// The picture's pixels that the frame does not show one pixel inside its etched edge.
int PictureMismatches(HWND about) {
    HWND frame = GetDlgItem(about, 1020);
    HDC shown = GetDC(frame), bitmap = CreateCompatibleDC(shown);
    HGDIOBJ previous = SelectObject(bitmap, LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT_PICTURE)));
    int mismatches = 0;
    for (int y = 1; y < 300; ++y) {
        for (int x = 1; x < 300; ++x) mismatches += GetPixel(shown, x + 1, y + 1) != GetPixel(bitmap, x, y);
    }
    DeleteObject(SelectObject(bitmap, previous));
    DeleteDC(bitmap);
    ReleaseDC(frame, shown);
    return mismatches;
}

std::vector<std::string> g_opened;

TEST(About, OpensCentredOverTheDisabledMainWindowAndOnlyTheLinkActs) {
    ResetMainWindow();
    g_openWithShell = [](const char* target, const char* parameters) {
        g_opened.push_back(std::string(target) + (parameters ? " with parameters" : ""));
    };
    auto answer = std::make_unique<BoxAnswerer>("確認", IDCANCEL);
    g_steps = {
        [](HWND about) {
            RECT m = {}, a = {};
            GetWindowRect(AppWindow(), &m);
            GetWindowRect(about, &a);
            EXPECT_EQ(GetWindow(about, GW_OWNER), AppWindow());
            EXPECT_FALSE(IsWindowEnabled(AppWindow()));
            EXPECT_EQ(a.left + a.right - m.left - m.right, 0);
            EXPECT_EQ(a.top + a.bottom - m.top - m.bottom, 0);
            std::string texts;
            for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) texts += Text(c) + "|";
            EXPECT_EQ(texts, "Chord Bell|by 鐘の音|Version|0.05|Edition.|アイコンは|Mirune様に描いて頂きました|"
                             "http://mirune.example/||");
            ExpectReadable(about);
        },
        [](HWND about) {  // Wine keeps the window's pixels: the test blackens them and invalidates it
            HWND frame = GetDlgItem(about, 1020);
            HDC dc = GetDC(frame);
            PatBlt(dc, 0, 0, 303, 303, BLACKNESS);
            ReleaseDC(frame, dc);
            EXPECT_GT(PictureMismatches(about), 80000) << "a blank frame passes for the picture";
            RedrawWindow(about, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        },
        [](HWND about) { EXPECT_TRUE(PumpUntil([&] { return PictureMismatches(about) == 0; })); },
        [](HWND about) {
            PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            for (int id : {IDOK, IDCANCEL, 1004, 1013, 1020}) SendMessageA(about, WM_COMMAND, id, 0);
            SendMessageA(about, WM_COMMAND, MAKEWPARAM(1008, BN_DOUBLECLICKED), 0);
        },
        [&](HWND about) {
            EXPECT_EQ(answer->Count(), 0);
            SendMessageA(GetDlgItem(about, 1008), BM_CLICK, 0, 0);
            EXPECT_EQ(answer->Text(), "Mirune様のサイトを開きます");
            EXPECT_EQ(answer->Owner(), about);
            EXPECT_TRUE(g_opened.empty()) << "opened on Cancel";
            answer = std::make_unique<BoxAnswerer>("確認", IDOK);
            SendMessageA(GetDlgItem(about, 1008), BM_CLICK, 0, 0);
        },
        [](HWND about) { EXPECT_TRUE(IsWindowVisible(about)); }};
    g_next = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 15, OnTick);
    SendMessageA(AppWindow(), WM_COMMAND, MenuCommand("バージョン情報"), 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_next, g_steps.size() + 1) << "closed before step " << g_next;
    EXPECT_EQ(FindWindowA("NORMALDLG", "Version"), nullptr);
    EXPECT_TRUE(IsWindowEnabled(AppWindow()));
    EXPECT_EQ(answer->Count(), 1);
    EXPECT_EQ(g_opened, std::vector<std::string>{"http://mirune.example/"});
}

}  // namespace
