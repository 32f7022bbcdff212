// The about window opened from the real main window and driven from inside its own modal loop
// by a thread timer; then the real program, as a process of its own, going on after it.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "about/about.h"
#include "app/app.h"
#include "tests/wine/common/harness.h"

namespace {

using Steps = std::vector<std::function<void(HWND about)>>;
Steps g_steps;
size_t g_next;
bool g_busy;  // a step waiting in a message box's loop must not be re-entered

// One step a tick, each returning to the window's own loop, then WM_CLOSE.
VOID CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND about = FindWindowA("NORMALDLG", "Version");
    if (about == nullptr || g_busy || g_next > g_steps.size()) return;
    g_busy = true;
    if (g_next < g_steps.size()) g_steps[g_next](about);
    else PostMessageA(about, WM_CLOSE, 0, 0);
    ++g_next;
    g_busy = false;
}

// Opens the about window by the menu command and runs the steps inside its loop.
void RunAbout(Steps steps, WORD code = 0) {
    g_steps = std::move(steps);
    g_next = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 15, OnTick);
    SendMessageA(AppWindow(), WM_COMMAND, MAKEWPARAM(IDM_VERSION, code), 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_next, g_steps.size() + 1) << "closed before step " << g_next;
    EXPECT_EQ(FindWindowA("NORMALDLG", "Version"), nullptr) << "not destroyed";
}

using Box = std::array<LONG, 4>;  // left, top, width, height

Box BoxOf(HWND window, HWND relativeTo = nullptr) {
    RECT r = {};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, relativeTo, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

const struct { int id; const char *wndClass, *text; DWORD exStyle, style; Box box; } kControls[] = {
    {1004, "Static", "Chord Bell", 0, 0x50000000, {330, 52, 75, 12}},
    {1005, "Static", "by 鐘の音", 0, 0x50000000, {457, 99, 57, 12}},
    {1006, "Static", "Version", 0, 0x50000000, {347, 78, 43, 12}},
    {1013, "Static", "0.05", WS_EX_STATICEDGE, 0x50000001, {396, 78, 50, 15}},
    {1017, "Static", "Edition.", 0, 0x50000000, {457, 78, 50, 12}},
    {1018, "Static", "アイコンは", 0, 0x50000000, {330, 171, 59, 12}},
    {1019, "Static", "Mirune様に描いて頂きました", 0, 0x50000000, {347, 188, 161, 12}},
    {1008, "Button", "http://mirune.example/", WS_EX_DLGMODALFRAME, 0x50000000,
     {329, 205, 181, 30}},
    {1020, "Static", "", 0, 0x50000012, {5, 4, 303, 303}},
};

void ExpectControls(HWND about) {
    HWND child = GetWindow(about, GW_CHILD);
    for (const auto& c : kControls) {
        SCOPED_TRACE(c.id);
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        EXPECT_EQ(GetDlgCtrlID(child), c.id);
        EXPECT_EQ(lstrcmpiA(className, c.wndClass), 0) << className;
        EXPECT_EQ(WindowText(child), c.text);
        // The system adds WS_EX_WINDOWEDGE to a modal dialog frame.
        EXPECT_EQ(GetWindowLongA(child, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, c.exStyle);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)), c.style);
        EXPECT_EQ(BoxOf(child, about), c.box);
        // A frame without text keeps no font.
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)),
                  c.id == 1020 ? nullptr : g_shared.aboutFont);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more than nine controls";
}

// Every opening, whatever the code, builds the same window centred over the main window, unclamped.
TEST(About, OpensCentredWithItsNineControls) {
    for (auto [code, x, y] : {std::array{0, 272, 204}, {1, -480, -361}, {0xFFFF, 900, -5}}) {
        SCOPED_TRACE(code);
        SetWindowPos(AppWindow(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT m = {};
        GetWindowRect(AppWindow(), &m);
        RunAbout({[&](HWND about) {
            EXPECT_EQ(GetWindow(about, GW_OWNER), AppWindow());
            EXPECT_FALSE(IsWindowEnabled(AppWindow()));
            EXPECT_EQ(BoxOf(about),
                      (Box{(m.left + m.right - 530) / 2, (m.top + m.bottom - 340) / 2, 530, 340}));
            ExpectControls(about);
        }}, static_cast<WORD>(code));
    }
    CenterWindowOnScreen(AppWindow(), 0, 0);
}

// Bitmap 101's pixels not shown one pixel inside the frame, whose edge covers row and column 0.
int PictureMismatches(HWND about) {
    HWND frame = GetDlgItem(about, 1020);
    HDC shown = GetDC(frame), bitmap = CreateCompatibleDC(shown);
    HGDIOBJ previous = SelectObject(
        bitmap, LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT_PICTURE)));
    int mismatches = 0;
    for (int y = 1; y < 300; ++y) {
        for (int x = 1; x < 300; ++x) {
            mismatches += GetPixel(shown, x + 1, y + 1) != GetPixel(bitmap, x, y);
        }
    }
    DeleteObject(SelectObject(bitmap, previous));
    DeleteDC(bitmap);
    ReleaseDC(frame, shown);
    return mismatches;
}

// Wine keeps a copy of every top-level window's pixels, so uncovering repaints nothing by
// itself: the test blackens the frame and invalidates the window as Windows does.
void BlackenAndUncover(HWND about) {
    HWND frame = GetDlgItem(about, 1020);
    HDC dc = GetDC(frame);
    PatBlt(dc, 0, 0, 303, 303, BLACKNESS);
    ReleaseDC(frame, dc);
    EXPECT_GT(PictureMismatches(about), 80000) << "a blank frame passes for the picture";
    RedrawWindow(about, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

std::vector<std::string> g_shellRequests;

// Escape and every command but the link's click leave the window open; the link asks first.
TEST(About, PaintsThePictureAndOnlyTheLinkClickActs) {
    g_openWithShell = [](const char* target, const char* parameters) {
        g_shellRequests.push_back(std::string(target) + (parameters ? " with parameters" : ""));
    };
    auto box = std::make_unique<BoxAnswerer>("確認", IDCANCEL);
    auto picture = [](HWND about) {
        EXPECT_TRUE(PumpUntil([&] { return PictureMismatches(about) == 0; }));
    };
    RunAbout({picture, BlackenAndUncover, picture,
        [](HWND about) {
            PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageA(GetDlgItem(about, 1008), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            for (int id : {IDOK, IDCANCEL, 1004, 1005, 1006, 1013, 1017, 1018, 1019, 1020, 1024}) {
                SendMessageA(about, WM_COMMAND, id, 0);
            }
            SendMessageA(about, WM_COMMAND, MAKEWPARAM(1008, BN_DOUBLECLICKED), 0);
        },
        [&](HWND about) {
            EXPECT_EQ(box->Count(), 0);
            SendMessageA(GetDlgItem(about, 1008), BM_CLICK, 0, 0);  // back once it is answered
            EXPECT_EQ(box->Text(), "Mirune様のサイトを開きます");
            EXPECT_EQ(box->Owner(), about);
            EXPECT_TRUE(g_shellRequests.empty());
            box = std::make_unique<BoxAnswerer>("確認", IDOK);
            SendMessageA(GetDlgItem(about, 1008), BM_CLICK, 0, 0);
        },
        [](HWND about) { EXPECT_TRUE(IsWindowVisible(about)); }});
    EXPECT_EQ(box->Count(), 1);
    EXPECT_EQ(g_shellRequests, std::vector<std::string>{"http://mirune.example/"});
}

// The about window's quit message ends its own loop only: the program still saves and exits 0.
TEST(About, TheProgramGoesOnAfterItCloses) {
    char command[] = "chordbell.exe";  // found beside this test program
    std::string dir = MakeTempDir("program");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                               &startup, &process));
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    ASSERT_TRUE(PumpUntil([&] {
        return GetGUIThreadInfo(process.dwThreadId, &thread) && thread.hwndActive;
    }, 15000));
    HWND main = thread.hwndActive, about = nullptr;
    PostMessageA(main, WM_COMMAND, IDM_VERSION, 0);
    // This process has no about window open: this one is the program's.
    ASSERT_TRUE(PumpUntil([&] { return (about = FindWindowA("NORMALDLG", "Version")); }));
    PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about) && IsWindowEnabled(main); }));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 5000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &exitCode) && exitCode == 0) << exitCode;
    EXPECT_EQ(GetPrivateProfileIntA("LISTNUM", "LIST", -1, (dir + "\\data.ini").c_str()), 0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace
