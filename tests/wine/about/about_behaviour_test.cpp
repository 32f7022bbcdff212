// What the open about window does: which commands it answers, the link to the artist's site,
// its picture, and the program going on around it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/about.h"
#include "app/app.h"
#include "soundlist/soundlist.h"
#include "tests/wine/about/session.h"
#include "tests/wine/common/harness.h"
#include "tests/wine/common/sound.h"

namespace {

constexpr char kArtistSite[] = "http://mirune.example/";
constexpr char kConfirmText[] = "Mirune様のサイトを開きます";

struct ShellRequest {
    std::string target;
    bool hasParameters;
};
std::vector<ShellRequest> g_shellRequests;

void RecordShellRequest(const char* target, const char* parameters) {
    g_shellRequests.push_back({target ? target : "(null)", parameters != nullptr});
}

// Records the commands that reach a window of this thread, whoever sent them.
std::vector<std::pair<HWND, WPARAM>> g_commands;
LRESULT CALLBACK RecordCommand(int code, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_COMMAND) {
        g_commands.emplace_back(call->hwnd, call->wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class AboutBehaviour : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetMainWindow();
        CenterWindowOnScreen(AppWindow(), 0, 0);
        g_shellRequests.clear();
        g_openWithShell = RecordShellRequest;
    }
    void TearDown() override { ASSERT_EQ(FindAboutWindow(), nullptr); }
};

void PostKey(HWND window, WPARAM key) {
    PostMessageA(window, WM_KEYDOWN, key, 0x00010001);
    PostMessageA(window, WM_KEYUP, key, 0xC0010001);
}

TEST_F(AboutBehaviour, EscapeLeavesItOpen) {
    BoxAnswerer box("確認", IDOK);
    g_commands.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordCommand, nullptr, GetCurrentThreadId());
    bool stillOpen = false;
    AboutSession session = RunAboutFromMenu({
        [](HWND about) {
            PostKey(about, VK_ESCAPE);
            PostKey(GetDlgItem(about, 1008), VK_ESCAPE);  // with the focus on the link button
            return true;
        },
        [&](HWND about) {
            stillOpen = IsWindowVisible(about) && IsWindowEnabled(about);
            return true;
        },
    });
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(session.allStepsDone);
    EXPECT_TRUE(stillOpen);
    int cancels = 0;
    for (const auto& [window, wParam] : g_commands) {
        if (window == session.about && wParam == IDCANCEL) ++cancels;
    }
    EXPECT_EQ(cancels, 2) << "the modal loop should turn each Escape into IDCANCEL";
    EXPECT_EQ(box.Count(), 0);
    EXPECT_TRUE(g_shellRequests.empty());
}

TEST_F(AboutBehaviour, EveryCommandButTheLinkClickLeavesItOpen) {
    BoxAnswerer box("確認", IDOK);
    const WPARAM commands[] = {
        IDOK, IDCANCEL, 1004, 1005, 1006, 1013, 1017, 1018, 1019, 1020, 1021, 1022, 1023, 1024,
        MAKEWPARAM(1008, BN_DOUBLECLICKED), MAKEWPARAM(1008, BN_SETFOCUS),
        MAKEWPARAM(1008, 0x1234)};
    // One command a tick, so that whatever a command posts is served before the next look.
    std::vector<AboutStep> steps;
    WPARAM lastSent = 0;
    for (WPARAM command : commands) {
        steps.push_back([&lastSent, command](HWND about) {
            SendMessageA(about, WM_COMMAND, command, 0);
            lastSent = command;
            return true;
        });
    }
    bool openAtTheEnd = false;
    steps.push_back([&](HWND about) { return openAtTheEnd = IsWindowVisible(about) != FALSE; });
    AboutSession session = RunAboutFromMenu(steps);
    EXPECT_TRUE(session.allStepsDone) << "closed after command " << std::hex << lastSent;
    EXPECT_TRUE(openAtTheEnd);
    EXPECT_EQ(box.Count(), 0);
    EXPECT_TRUE(g_shellRequests.empty());
}

TEST_F(AboutBehaviour, LinkAsksFirstAndCancelOpensNothing) {
    BoxAnswerer box("確認", IDCANCEL);
    bool stillOpen = false;
    AboutSession session = RunAboutFromMenu({[&](HWND about) {
        SendMessageA(GetDlgItem(about, 1008), BM_CLICK, 0, 0);  // returns once the box is answered
        stillOpen = IsWindowVisible(about) != FALSE;
        return true;
    }});
    ASSERT_TRUE(session.allStepsDone);
    EXPECT_EQ(box.Count(), 1);
    EXPECT_EQ(box.Text(), kConfirmText);
    EXPECT_EQ(box.Owner(), session.about);
    EXPECT_TRUE(g_shellRequests.empty());
    EXPECT_TRUE(stillOpen);
}

TEST_F(AboutBehaviour, LinkWithOkAsksTheShellOnceForTheAddress) {
    BoxAnswerer box("確認", IDOK);
    bool stillOpen = false;
    std::string caption;
    AboutSession session = RunAboutFromMenu({[&](HWND about) {
        caption = WindowText(GetDlgItem(about, 1008));
        SendMessageA(GetDlgItem(about, 1008), BM_CLICK, 0, 0);
        stillOpen = IsWindowVisible(about) != FALSE;
        return true;
    }});
    ASSERT_TRUE(session.allStepsDone);
    EXPECT_EQ(box.Count(), 1);
    EXPECT_EQ(box.Text(), kConfirmText);
    ASSERT_EQ(g_shellRequests.size(), 1u);
    EXPECT_EQ(g_shellRequests[0].target, kArtistSite);
    EXPECT_EQ(g_shellRequests[0].target, caption) << "caption and address must be one text";
    EXPECT_FALSE(g_shellRequests[0].hasParameters);
    EXPECT_TRUE(stillOpen);
}

// Bitmap 101 as 0x00RRGGBB values, top row first.
std::vector<DWORD> ResourcePicture() {
    std::vector<DWORD> pixels(300 * 300);
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT_PICTURE));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 300;
    info.bmiHeader.biHeight = -300;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, 300, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(bitmap);
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// What the frame control shows, from its own device context: a 303 x 303 square.
std::vector<DWORD> FramePixels(HWND frame) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 303;
    info.bmiHeader.biHeight = -303;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, section);
    HDC frameDc = GetDC(frame);
    BitBlt(memory, 0, 0, 303, 303, frameDc, 0, 0, SRCCOPY);
    ReleaseDC(frame, frameDc);
    GdiFlush();
    const DWORD* first = static_cast<const DWORD*>(bits);
    std::vector<DWORD> pixels(first, first + 303 * 303);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(section);
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// Pixels of the picture that differ from what the frame shows one pixel in. The etched frame
// is drawn over the picture's first row and column, so those are left out.
int PictureMismatches(HWND about, const std::vector<DWORD>& picture) {
    std::vector<DWORD> shown = FramePixels(GetDlgItem(about, 1020));
    int mismatches = 0;
    for (int y = 1; y < 300; ++y) {
        for (int x = 1; x < 300; ++x) {
            if (shown[(y + 1) * 303 + (x + 1)] != picture[y * 300 + x]) ++mismatches;
        }
    }
    return mismatches;
}

// Wine keeps a copy of every top-level window's pixels, so a window that goes away from above
// the about window leaves nothing to repaint there; the test invalidates the frame's area the
// way Windows does when it is uncovered, after blackening it so that only a repaint restores it.
TEST_F(AboutBehaviour, PaintsThePictureOnePixelInsideTheFrameAndAgainWhenUncovered) {
    const std::vector<DWORD> picture = ResourcePicture();
    ASSERT_NE(picture[150 * 300 + 150], picture[5 * 300 + 5]) << "bitmap 101 did not load";
    int firstPaint = -1, blackened = -1, repainted = -1;
    AboutSession session = RunAboutFromMenu({
        [&](HWND about) { return (firstPaint = PictureMismatches(about, picture)) == 0; },
        [&](HWND about) {
            HWND frame = GetDlgItem(about, 1020);
            HDC dc = GetDC(frame);
            PatBlt(dc, 0, 0, 303, 303, BLACKNESS);
            ReleaseDC(frame, dc);
            blackened = PictureMismatches(about, picture);
            RECT uncovered = {0, 0, 303, 303};
            MapWindowPoints(frame, about, reinterpret_cast<POINT*>(&uncovered), 2);
            RedrawWindow(about, &uncovered, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return true;
        },
        [&](HWND about) { return (repainted = PictureMismatches(about, picture)) == 0; },
    });
    ASSERT_TRUE(session.allStepsDone) << "first paint: " << firstPaint
                                      << " pixels differ; after uncovering: " << repainted;
    EXPECT_GT(blackened, 80000) << "the check could not tell a blank frame from the picture";
}

// A WM_CLOSE posted to the disabled owner from outside destroys both windows; the quit message
// that the owner's destruction posts must still reach the loop outside.
LRESULT CALLBACK QuittingOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(7);
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(AboutBehaviour, OwnerDestroyedWhileOpenLeavesItsQuitMessageForTheOuterLoop) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = QuittingOwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "AboutTestOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(0, "AboutTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 10, 10, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);
    AboutSession session = RunAboutSession([owner] { return ShowModalWindow(owner, "Version"); },
                                           {[owner](HWND) {
                                               DestroyWindow(owner);
                                               return true;
                                           }});
    EXPECT_FALSE(IsWindow(session.about));
    EXPECT_EQ(session.result, 7);
    MSG msg = {};
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_TRUE(IsWindowEnabled(AppWindow()));
}

TEST_F(AboutBehaviour, RegisteredKeyStillPlaysWhileOpen) {
    ASSERT_TRUE(Capture::Available()) << "CB_CAPTURE_FILE names no readable capture file";
    int id = NextSoundId();
    std::string sound = WriteTestSound(MakeTempDir("about"), id);
    InsertEntryRow(MainControl(IDC_SOUND_LIST), "125", "-1", sound.c_str());  // F14
    Capture capture;
    AboutSession session = RunAboutFromMenu({
        [](HWND) {
            KeyDown(VK_F14);
            return true;
        },
        [&](HWND) { return capture.Count(id) > 0; },
    });
    KeyUp(VK_F14);
    EXPECT_TRUE(session.allStepsDone) << "no sound while the about window was open";
    PumpUntilCaptureQuiet(200);
}

}  // namespace
