// The real main window and About window in this process, checked as a user sees them.
#include "tests/wine/harness.h"

#include <gtest/gtest.h>

#include <tuple>

#include "about/about.h"
#include "chordbell_version.h"

namespace {

RECT RectIn(HWND window, HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Holds(const RECT& outer, const RECT& inner) {
    RECT both = {};
    return IntersectRect(&both, &outer, &inner) && EqualRect(&both, &inner);
}

// Every caption fits its control at the control's own font (the internal leading is room for
// accents these texts do not have); every control lies in the client area, and none overlaps
// another, but for a group box that holds whatever it touches.
void ExpectReadable(HWND window) {
    RECT client = {}, both = {};
    GetClientRect(window, &client);
    for (HWND control = GetWindow(window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        const std::string text = Text(control);
        const RECT r = RectIn(window, control);
        RECT inner = {};
        SIZE size = {};
        TEXTMETRICA metrics = {};
        GetClientRect(control, &inner);
        HDC dc = GetDC(control);
        const auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
        HGDIOBJ previous = SelectObject(dc, font);
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, previous);
        ReleaseDC(control, dc);
        EXPECT_TRUE(text.empty() || (font && size.cx <= inner.right && size.cy - metrics.tmInternalLeading <= inner.bottom))
            << text << " needs " << size.cx << "x" << size.cy << ", has " << inner.right << "x" << inner.bottom;
        EXPECT_TRUE(Holds(client, r)) << text << " leaves the window";
        for (HWND other = GetWindow(window, GW_CHILD); other != control; other = GetWindow(other, GW_HWNDNEXT)) {
            const RECT o = RectIn(window, other);
            const auto isBox = [](HWND w) { return (GetWindowLongA(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX; };
            EXPECT_TRUE(!IntersectRect(&both, &r, &o) || (isBox(control) && Holds(r, o)) || (isBox(other) && Holds(o, r)))
                << text << " overlaps " << Text(other) << " (" << GetDlgCtrlID(other) << ")";
        }
    }
}

TEST(MainWindow, ShowsSeventeenReadableControlsCentredInAWindowOfFixedSize) {
    const char* const captions[] = {"", "", "", "キーの登録", "仮想キー1", "仮想キー2", "サウンドファイルパス", "", "参照",
                                    "リストへ追加", "リストの編集", "リストの削除", "登録開始", "仮想キー番号：", "",
                                    "触るな！危険！！", "リセット"};
    std::string shown;
    for (HWND child = GetWindow(AppWindow(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        shown += std::to_string(GetDlgCtrlID(child)) + (IsWindowVisible(child) ? "" : " hidden") + " " + Text(child) + "|";
    }
    std::string expected;
    for (int id = IDC_SOUND_LIST; id <= IDC_RESET_BUTTON; ++id) expected += std::to_string(id) + " " + captions[id - 1000] + "|";
    EXPECT_EQ(shown, expected);
    ExpectReadable(AppWindow());
    const RECT r = RectIn(nullptr, AppWindow());
    EXPECT_LE(std::abs(r.left + r.right - GetSystemMetrics(SM_CXSCREEN)) + std::abs(r.top + r.bottom - GetSystemMetrics(SM_CYSCREEN)), 2);
    EXPECT_EQ(GetWindowLongA(AppWindow(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) << "moved and minimised, never resized";
}

// Every editing command on four rows, from the state given: the box it shows (answered as given),
// then the rows, the fields and whether registration is on. Add needs registration, Key 1 and a
// path, stores an empty Key 2 as -1 and adds on top; Edit and Delete take the topmost selected
// row, Edit asking first while registration is on; Reset asks; the menu's Clear takes every row.
TEST(MainWindow, EditingCommandsActOnTheSelectionOrSayWhatIsMissing) {
    const Rows four = {{"1", "-1", "a"}, {"2", "-1", "b"}, {"3", "-1", "c"}, {"4", "-1", "d"}};
    const Row typed = {"17", "", "C:\\t.wav"}, none = {"", "", ""};
    const char* const kAsk = "すでに登録が開始されていますが、この情報をクリアしてもよろしいですか？";
    const auto without = [&](int row) { Rows rows = four; rows.erase(rows.begin() + row); return rows; };
    const struct { int command; bool mode; std::vector<int> selected; const char* title; int answer; const char* box;
                   Rows rows; Row fields; bool modeAfter; Row start = {"17", "", "C:\\t.wav"}; } cases[] = {
        {IDC_ADD_BUTTON, false, {}, "Error", IDOK, nullptr, four, typed, false},
        {IDC_ADD_BUTTON, true, {}, "Error", IDOK, "〝仮想キー1〟は必ず入力してください", four, {"", "9", "p"}, true, {"", "9", "p"}},
        {IDC_ADD_BUTTON, true, {}, "Error", IDOK, "〝サウンドファイルパス〟は必ず入力してください", four, {"8", "", ""}, true, {"8", "", ""}},
        {IDC_ADD_BUTTON, true, {1}, "Error", IDOK, nullptr, {{"17", "-1", "C:\\t.wav"}, four[0], four[1], four[2], four[3]}, none, false},
        {IDC_EDIT_BUTTON, false, {3, 1, 2}, "エラー", IDOK, nullptr, without(1), four[1], true},
        {IDC_EDIT_BUTTON, false, {}, "エラー", IDOK, "ERROR!!\r\nリストを選択してください", four, typed, false},
        {IDC_EDIT_BUTTON, true, {0}, "確認", IDNO, kAsk, four, typed, true},
        {IDC_EDIT_BUTTON, true, {0}, "確認", IDYES, kAsk, without(0), four[0], true},
        {IDC_DELETE_BUTTON, false, {2, 1}, "確認", IDOK, nullptr, without(1), typed, false},
        {IDC_DELETE_BUTTON, false, {}, "確認", IDOK, nullptr, four, typed, false},
        {IDC_RESET_BUTTON, true, {}, "確認", IDCANCEL, "入力項目をリセットします。よろしいですか？", four, typed, true},
        {IDC_RESET_BUTTON, true, {}, "確認", IDOK, "入力項目をリセットします。よろしいですか？", four, none, true},
        {IDM_CLEAR_LIST, true, {2}, "", IDOK, nullptr, {}, typed, true}};
    for (const auto& c : cases) {
        ResetMainWindow();
        FillList(four);
        for (int row : c.selected) SelectRow(Control(IDC_SOUND_LIST), row);
        if (c.mode) Click(IDC_REGISTER_TOGGLE);
        int field = 0;
        for (int id : {IDC_KEY1_EDIT, IDC_KEY2_EDIT, IDC_PATH_EDIT}) SetDlgItemTextA(AppWindow(), id, c.start[field++].c_str());
        BoxAnswerer box("", c.answer);
        SendMessageA(AppWindow(), WM_COMMAND, c.command, 0);  // as a click, also on a disabled button
        EXPECT_EQ(std::make_tuple(box.Count(), box.Count() ? box.Text() : "", box.Owner()),
                  std::make_tuple(c.box ? 1 : 0, c.box ? c.title + std::string("|") + c.box : "", c.box ? AppWindow() : nullptr))
            << &c - cases;
        EXPECT_EQ(ListRows(Control(IDC_SOUND_LIST)), c.rows) << &c - cases;
        EXPECT_EQ(Fields(AppWindow()), c.fields) << &c - cases;
        EXPECT_EQ(IsDlgButtonChecked(AppWindow(), IDC_REGISTER_TOGGLE) && IsWindowEnabled(Control(IDC_ADD_BUTTON)), c.modeAfter);
    }
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

std::vector<std::string> g_opened;  // the shell's requests, as "file|verb|parameters"

void RecordShellRequest(const char* file, const char* verb, const char* parameters) {
    g_opened.push_back(file + std::string("|") + verb + "|" + (parameters ? parameters : ""));
}

// Runs inside the About window's own modal loop, from a timer; the test closes the window after.
VOID CALLBACK CheckAbout(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = FindWindowA("NORMALDLG", "Version");
    if (about == nullptr) return;
    KillTimer(nullptr, timer);
    const RECT m = RectIn(nullptr, AppWindow()), a = RectIn(nullptr, about);
    EXPECT_TRUE(GetWindow(about, GW_OWNER) == AppWindow() && !IsWindowEnabled(AppWindow()));
    EXPECT_EQ(std::make_pair(a.left + a.right, a.top + a.bottom), std::make_pair(m.left + m.right, m.top + m.bottom));
    std::string texts;
    for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) texts += Text(c) + "|";
    EXPECT_EQ(texts, "Chord Bell|by 鐘の音|Version|" CB_VERSION_TEXT "|Edition.|アイコンは|Mirune様に描いて頂きました|http://mirune.example/||");
    ExpectReadable(about);
    EXPECT_TRUE(PumpUntil([&] { return PictureMismatches(about) == 0; }));
    PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0x00010001);  // Escape and other commands do nothing
    for (int id : {IDOK, IDCANCEL, 1004, 1013, 1020}) PostMessageA(about, WM_COMMAND, id, 0);
    PostMessageA(about, WM_COMMAND, MAKEWPARAM(1008, BN_DOUBLECLICKED), 0);
    for (int answer : {IDCANCEL, IDOK}) {  // the link asks first
        BoxAnswerer box("確認", answer);
        SendMessageA(GetDlgItem(about, 1008), BM_CLICK, 0, 0);
        EXPECT_TRUE(box.Count() == 1 && box.Text() == "確認|Mirune様のサイトを開きます" && box.Owner() == about);
        EXPECT_EQ(g_opened.size(), answer == IDOK ? 1u : 0u);
    }
    EXPECT_TRUE(IsWindowVisible(about));
    PostMessageA(about, WM_CLOSE, 0, 0);
}

TEST(About, OpensCentredOverTheDisabledMainWindowAndOnlyTheLinkActs) {
    ResetMainWindow();
    g_opened.clear();
    g_shellExecute = RecordShellRequest;
    SetTimer(nullptr, 0, 15, CheckAbout);
    SendMessageA(AppWindow(), WM_COMMAND, IDM_VERSION, 0);
    EXPECT_TRUE(FindWindowA("NORMALDLG", "Version") == nullptr && IsWindowEnabled(AppWindow()));
    EXPECT_EQ(g_opened, std::vector<std::string>{"http://mirune.example/|open|"});
}

// A right double-click on a row opens its sound's folder in Explorer with the file selected, or
// the folder alone once the file is gone; nothing without such a folder or a selected row. The
// file's name ends its first character in a backslash byte, as "ソ" does in code page 932.
TEST(MainWindow, ExploreOpensTheSoundsFolder) {
    const std::string folder = MakeTempDir("explore"), wav = folder + "\\ソ.wav";
    WriteBytes(wav, "");
    const struct { std::string path; bool selected; std::vector<std::string> opened; } cases[] = {
        {wav, true, {std::getenv("windir") + std::string("\\explorer.exe|open|/select,\"") + wav + "\""}},
        {folder + "\\gone.wav", true, {folder + "\\|explore|"}}, {folder + "\\gone\\a.wav", true, {}}, {"", true, {}}, {wav, false, {}}};
    g_shellExecute = RecordShellRequest;
    for (const auto& c : cases) {
        ResetMainWindow();
        g_opened.clear();
        FillList({{"1", "-1", c.path}});
        if (c.selected) SelectRow(Control(IDC_SOUND_LIST), 0);
        SendMessageA(Control(IDC_SOUND_LIST), WM_RBUTTONDBLCLK, 0, 0);
        EXPECT_EQ(g_opened, c.opened) << c.path;
    }
}

}  // namespace
