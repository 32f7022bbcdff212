// The real chordbell.exe in a process of its own, driven from this one as a user and the shell
// would: keys pressed anywhere with SendInput, window texts, list-view messages, the capture
// file. Both builds run the story; the 32-bit one so reaches every structure whose size differs.
// It runs from a download folder where DLLs named like system ones lie, none of which may load.
#include "tests/wine/harness.h"

#include <gtest/gtest.h>

namespace {

// The 32-bit build may run under emulation, where the first window takes about a minute and each
// new code path seconds. After a failed step the story stops: the rest would only show its effects.
constexpr DWORD kStartMs = sizeof(void*) == 4 ? 600000 : 60000, kStepMs = sizeof(void*) == 4 ? 180000 : 30000;

bool WaitFor(const std::function<bool()>& done) { return PumpUntil(done, kStepMs); }

// The IDs of the program's controls for which the probe holds.
std::string Where(const Program& p, BOOL(WINAPI* probe)(HWND)) {
    std::string ids;
    for (int id = IDC_SOUND_LIST; id <= IDC_RESET_BUTTON; ++id) ids += probe(p.Item(id)) ? std::to_string(id) + " " : "";
    return ids;
}

void Type(BYTE vk) { KeyDown(vk), KeyUp(vk); }

// In front, and the program's own thread has put the focus on the window: typed keys reach it.
bool InFront(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return WaitFor([&] {
        SetForegroundWindow(window);
        return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus == window;
    });
}

// Menu mode starts on the bar's first popup (a posted message is taken before input): Right to
// the wanted one, Down into it and on to the item (a separator is skipped), Enter.
bool Choose(HWND window, int popup, int item) {
    if (!InFront(window)) return false;
    PostMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
    for (int i = 0; i < popup; ++i) Type(VK_RIGHT);
    Type(VK_DOWN);
    if (!WaitFor([] { return FindWindowA("#32768", nullptr) != nullptr; })) return false;
    for (int i = 1; i < item; ++i) Type(VK_DOWN);
    Type(VK_RETURN);
    return true;
}

// Held as a keyboard holds keys, repeating: when the X focus comes back from a dialog, Wine may
// release keys that the X server never saw pressed, and only a repeat undoes that.
bool HoldUntilPlayed(const std::vector<BYTE>& keys, int id) {
    Capture capture;
    DWORD pressed = GetTickCount() - 1000;
    const bool played = WaitFor([&] {
        if (GetTickCount() - pressed >= 250) {
            for (BYTE vk : keys) KeyDown(vk);
            pressed = GetTickCount();
        }
        return capture.Count(id) > 0;
    });
    for (auto vk = keys.rbegin(); vk != keys.rend(); ++vk) KeyUp(*vk);
    return played;
}

// Answers the box that the action makes the program show; "title|text", once the program has
// gone on from it.
std::string Answer(HWND window, const char* title, int button, const std::function<void()>& action) {
    BoxAnswerer box(title, button);
    action();
    if (!WaitFor([&] { return box.Count() == 1 && FindWindowA("#32770", title) == nullptr; })) return "";
    Send(window, WM_NULL);
    return box.Text();
}

TEST(Story, AUsersSessionFromFirstStartToExit) {
    const std::string folder = MakeTempDir("story"), ini = folder + "\\data.ini";
    int chord = 0, edited = 0;
    const std::string chordWav = NewSound(&chord), editedWav = NewSound(&edited);
    std::vector<std::string> planted;
    Program p(folder, PlantedCopy(folder, &planted));
    const auto noneLoaded = [&] { return std::none_of(planted.begin(), planted.end(), [](auto& dll) { return Exists(dll + ".loaded"); }); };
    ASSERT_TRUE(WaitForWindow(p, kStartMs) && noneLoaded()) << "no main window, or a planted DLL loaded";
    const HWND list = p.Item(IDC_SOUND_LIST);
    EXPECT_EQ(Send(list, LVM_GETITEMCOUNT), 0);

    // Registration through the real controls: it enables the fields, Add and Reset; keys count
    // as they are released; the WAV is chosen in the real open-file dialog.
    EXPECT_EQ(Where(p, IsWindowEnabled), "1000 1003 1004 1005 1006 1008 1010 1011 1012 1013 1014 1015 ");
    Send(p.Item(IDC_REGISTER_TOGGLE), BM_CLICK);
    EXPECT_EQ(Where(p, IsWindowEnabled), "1000 1001 1002 1003 1004 1005 1006 1007 1008 1009 1010 1011 1012 1013 1014 1015 1016 ");
    for (int id : {IDC_KEY1_EDIT, IDC_KEY2_EDIT}) Send(p.Item(id), WM_CHAR, 'a', 1);  // no letter gets into a key field
    ASSERT_TRUE(InFront(p.window));
    KeyDown('J'), KeyDown('K'), KeyUp('K'), KeyUp('J');
    ASSERT_TRUE(WaitFor([&] { return Fields(p.window) == Row{"75", "74", ""} && Text(p.Item(IDC_KEYCODE_DISPLAY)) == "74"; }))
        << Fields(p.window)[0] << " " << Fields(p.window)[1];
    PostMessageA(p.Item(IDC_BROWSE_BUTTON), BM_CLICK, 0, 0);  // posted: the dialog is modal
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = ShownWindow(p.process.dwProcessId, "#32770", "ウェイヴ ファイルを開く")); }));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), p.window);
    EXPECT_EQ(Text(GetDlgItem(dialog, 0x470)), "wav ファイル(*.wav)");  // cmb1, the type
    Send(GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chordWav.c_str()));  // cmb13, the name
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return Fields(p.window)[2] == chordWav; })) << Fields(p.window)[2];
    Send(p.Item(IDC_ADD_BUTTON), BM_CLICK);
    EXPECT_TRUE(Fields(p.window) == Row({"", "", ""}) && !IsWindowEnabled(p.Item(IDC_KEY1_EDIT)));
    EXPECT_EQ(ListRows(list), (Rows{{"75", "74", chordWav}}));
    Capture preview;  // a double-click on the row plays it
    SelectRow(list, 0), Send(list, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitFor([&] { return preview.Count(chord) == 1; }));
    ASSERT_TRUE(HoldUntilPlayed({'J', 'K'}, chord));
    Send(p.window, WM_ENDSESSION, TRUE);  // logging off ends the program without a close
    const std::string saved = "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=75\r\nkey2=74\r\npath=" + chordWav + "\r\n";
    EXPECT_EQ(ReadBytes(ini), saved);

    SelectRow(list, 0);  // edited to another sound: the old one plays no more
    Send(p.Item(IDC_EDIT_BUTTON), BM_CLICK);
    EXPECT_EQ(Fields(p.window), Row({"75", "74", chordWav}));
    Send(p.Item(IDC_PATH_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(editedWav.c_str()));
    Send(p.Item(IDC_ADD_BUTTON), BM_CLICK);
    Capture capture;
    ASSERT_TRUE(InFront(p.window) && HoldUntilPlayed({'J', 'K'}, edited));  // typed into the window, too
    EXPECT_EQ(capture.Starts(), std::vector<int>{edited});

    // Stored in the tray, its keys still play; a new taskbar gets the icon again; only a left
    // click on it brings the window back.
    ASSERT_TRUE(Choose(p.window, 1, 1)) << "ウインドウ > タスクトレイに格納";
    const auto stored = [&] { return !IsWindowVisible(p.window) && TrayIcon(p.window); };
    ASSERT_TRUE(WaitFor(stored));
    EXPECT_EQ(Fields(p.window), Row({"", "", ""})) << "keys taken outside registration";  // the menu's came after
    ASSERT_TRUE(HoldUntilPlayed({'J', 'K'}, edited));
    TrayIcon(p.window, NIM_DELETE);
    Send(p.window, RegisterWindowMessageA("TaskbarCreated"));
    for (auto [id, mouse] : {std::pair{1, WM_MOUSEMOVE}, {1, WM_RBUTTONDOWN}, {1, WM_LBUTTONUP}, {2, WM_LBUTTONDOWN}}) {
        Send(p.window, 0x200, id, mouse);
        EXPECT_TRUE(stored()) << id << " " << mouse;
    }
    Send(p.window, 0x200, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(p.window) && !TrayIcon(p.window));

    // The hide button hides the editing buttons, itself among them; a right double-click on the
    // window brings them back.
    Send(p.Item(IDC_HIDE_BUTTON), BM_CLICK);
    EXPECT_EQ(Where(p, IsWindowVisible), "1000 1001 1002 1003 1004 1005 1006 1007 1013 1014 ");
    POINT face = {240, 162};  // between the group box and the list
    ClientToScreen(p.window, &face);
    ASSERT_TRUE(InFront(p.window) && SetCursorPos(face.x, face.y));
    for (DWORD button : {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP}) Input(INPUT_MOUSE, 0, button);
    ASSERT_TRUE(WaitFor([&] { return Where(p, IsWindowVisible) == Where(p, IsWindow); }));

    ASSERT_TRUE(Choose(p.window, 1, 2)) << "ウインドウ > リストデータ全削除";
    ASSERT_TRUE(WaitFor([&] { return Send(list, LVM_GETITEMCOUNT) == 0; }));
    for (int answer : {IDNO, IDYES}) {
        EXPECT_EQ(Answer(p.window, "確認", answer, [&] { ASSERT_TRUE(Choose(p.window, 0, 1)) << "ファイル > 保存データを削除"; }),
                  "確認|保存データを削除します。よろしいですか？");
        EXPECT_EQ(Exists(ini), answer == IDNO);
    }

    // A failed save asks, いいえ the default, and keeps the window open; once the file can be
    // written, Alt+F4 saves.
    WriteBytes(ini, saved);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Answer(p.window, "Error", 0, [&] { PostMessageA(p.window, WM_CLOSE, 0, 0); }),
              "Error|リストを保存できませんでした。\r\n" + ini + "\r\n\r\n保存せずに終了してもよろしいですか？");
    ASSERT_TRUE(IsWindowVisible(p.window));
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(InFront(p.window));
    KeyDown(VK_MENU), Type(VK_F4), KeyUp(VK_MENU);
    EXPECT_EQ(ExitCode(p, kStepMs), 0u);
    EXPECT_EQ(ReadBytes(ini), "[LISTNUM]\r\nLIST=0\r\n[LIST0]\r\nkey1=75\r\nkey2=74\r\npath=" + chordWav + "\r\n");
    EXPECT_TRUE(noneLoaded());
}

}  // namespace
