// The about window as it opens from the real main window's menu: the window, its nine controls,
// its place over the main window, and what every opening leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/about.h"
#include "app/app.h"
#include "tests/wine/about/session.h"
#include "tests/wine/common/harness.h"

namespace {

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    DWORD exStyle;
    DWORD style;
    int x, y, width, height;
};

// In creation order; the version box reads "0.05" by the time the window shows.
const ExpectedControl kControls[] = {
    {1004, "Static", "Chord Bell", 0, 0x50000000, 330, 52, 75, 12},
    {1005, "Static", "by 鐘の音", 0, 0x50000000, 457, 99, 57, 12},
    {1006, "Static", "Version", 0, 0x50000000, 347, 78, 43, 12},
    {1013, "Static", "0.05", WS_EX_STATICEDGE, 0x50000001, 396, 78, 50, 15},
    {1017, "Static", "Edition.", 0, 0x50000000, 457, 78, 50, 12},
    {1018, "Static", "アイコンは", 0, 0x50000000, 330, 171, 59, 12},
    {1019, "Static", "Mirune様に描いて頂きました", 0, 0x50000000, 347, 188, 161, 12},
    {1008, "Button", "http://mirune.example/", WS_EX_DLGMODALFRAME, 0x50000000, 329, 205, 181, 30},
    {1020, "Static", "", 0, 0x50000012, 5, 4, 303, 303},
};

RECT Rect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

std::string ClassName(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The system adds WS_EX_WINDOWEDGE to every window with a modal dialog frame.
DWORD ActualExStyle(DWORD requested) {
    return requested & WS_EX_DLGMODALFRAME ? requested | WS_EX_WINDOWEDGE : requested;
}

void ExpectControls(HWND about) {
    HWND child = GetWindow(about, GW_CHILD);  // the first one created is on top
    for (const ExpectedControl& c : kControls) {
        SCOPED_TRACE(c.id);
        ASSERT_NE(child, nullptr) << "fewer than nine controls";
        EXPECT_EQ(GetDlgCtrlID(child), c.id);
        EXPECT_EQ(lstrcmpiA(ClassName(child).c_str(), c.className), 0) << ClassName(child);
        EXPECT_EQ(WindowText(child), c.text);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE)), ActualExStyle(c.exStyle));
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)), c.style);
        RECT rect = Rect(child);
        MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, c.x);
        EXPECT_EQ(rect.top, c.y);
        EXPECT_EQ(rect.right - rect.left, c.width);
        EXPECT_EQ(rect.bottom - rect.top, c.height);
        // A frame without text keeps no font: the static control ignores WM_SETFONT then.
        if (c.id != 1020) {
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)),
                      g_shared.aboutFont);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more than nine controls";
}

class AboutWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetMainWindow();
        CenterWindowOnScreen(AppWindow(), 0, 0);
    }
    void TearDown() override {
        CenterWindowOnScreen(AppWindow(), 0, 0);
        ASSERT_EQ(FindAboutWindow(), nullptr);
    }
};

TEST_F(AboutWindow, OpensFromTheMenuWhateverTheCodeAndClosesBackToTheMainWindow) {
    for (WORD code : {0, 1, 0x1234, 0xFFFF}) {
        SCOPED_TRACE(code);
        bool checked = false;
        AboutSession session = RunAboutFromMenu(
            {[&](HWND about) {
                EXPECT_TRUE(IsWindowVisible(about));
                EXPECT_EQ(GetWindow(about, GW_OWNER), AppWindow());
                EXPECT_EQ(GetParent(about), nullptr) << "an owned top-level window, not a child";
                EXPECT_FALSE(IsWindowEnabled(AppWindow())) << "the owner is disabled while open";
                checked = true;
                return true;
            }},
            code);
        ASSERT_NE(session.about, nullptr) << "no about window opened";
        EXPECT_TRUE(checked);
        EXPECT_EQ(session.result, 0);
        EXPECT_FALSE(IsWindow(session.about));
        EXPECT_TRUE(IsWindowEnabled(AppWindow()));
        // Its quit message ended its own loop and is not left for the main loop.
        MSG msg;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_TRUE(IsWindow(AppWindow()));
    }
}

TEST_F(AboutWindow, HasItsTitleClassStyleSizeAndSmallIcon) {
    AboutSession session = RunAboutFromMenu({[](HWND about) {
        EXPECT_EQ(WindowText(about), "Version");
        EXPECT_EQ(ClassName(about), "NORMALDLG");
        // The system gives every top-level window WS_CLIPSIBLINGS.
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(about, GWL_STYLE)) & ~WS_CLIPSIBLINGS,
                  WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
        RECT rect = Rect(about);
        EXPECT_EQ(rect.right - rect.left, 530);
        EXPECT_EQ(rect.bottom - rect.top, 340);
        HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP_ICON));
        EXPECT_NE(icon, nullptr);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(about, WM_GETICON, ICON_SMALL, 0)), icon);
        EXPECT_NE(GetWindowLongPtrA(about, GWLP_WNDPROC),
                  reinterpret_cast<LONG_PTR>(DefaultDialogProc));
        return true;
    }});
    EXPECT_NE(session.about, nullptr);
    EXPECT_TRUE(session.allStepsDone);
}

TEST_F(AboutWindow, HasTheNineControlsInOrderEveryTimeItOpens) {
    std::vector<HWND> firstControls;
    AboutSession first = RunAboutFromMenu({[&](HWND about) {
        ExpectControls(about);
        for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            firstControls.push_back(c);
        }
        return true;
    }});
    ASSERT_TRUE(first.allStepsDone);
    for (HWND c : firstControls) EXPECT_FALSE(IsWindow(c)) << "a control outlived its window";

    AboutSession second = RunAboutFromMenu({[](HWND about) {
        ExpectControls(about);
        return true;
    }});
    ASSERT_TRUE(second.allStepsDone);
    EXPECT_FALSE(IsWindow(first.about));
    EXPECT_FALSE(IsWindow(second.about));
}

// The texts chosen for this program must fit their controls in the about font, or the static
// control wraps them out of sight. (Under Wine the font is a fixed-pitch substitute, wider than
// the original.)
TEST_F(AboutWindow, CreditAndLinkTextsFitTheirControls) {
    HDC dc = GetDC(AppWindow());
    HGDIOBJ previous = SelectObject(dc, g_shared.aboutFont);
    for (const ExpectedControl& c : {kControls[1], kControls[7]}) {
        SIZE size = {};
        GetTextExtentPoint32A(dc, c.text, lstrlenA(c.text), &size);
        int room = c.id == 1008 ? c.width - 10 : c.width;  // the button's frame and margins
        EXPECT_LE(size.cx, room) << c.text;
    }
    SelectObject(dc, previous);
    ReleaseDC(AppWindow(), dc);
}

// Left: (base left + base right - 530) / 2, truncated toward zero; no clamping to the screen.
TEST_F(AboutWindow, OpensCentredOverTheMainWindowAlsoPartlyOffTheScreen) {
    const POINT places[] = {{272, 204}, {0, 0}, {-301, 150}, {700, 600}, {-480, -361}, {900, -5}};
    for (POINT place : places) {
        SCOPED_TRACE(testing::Message() << place.x << "," << place.y);
        SetWindowPos(AppWindow(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT base = Rect(AppWindow());
        ASSERT_EQ(base.left, place.x);
        ASSERT_EQ(base.top, place.y);
        RECT seen = {};
        AboutSession session = RunAboutFromMenu({[&](HWND about) {
            seen = Rect(about);
            return true;
        }});
        ASSERT_TRUE(session.allStepsDone);
        EXPECT_EQ(seen.left, (base.left + base.right - 530) / 2);
        EXPECT_EQ(seen.top, (base.top + base.bottom - 340) / 2);
        EXPECT_EQ(seen.right - seen.left, 530);
        EXPECT_EQ(seen.bottom - seen.top, 340);
    }
}

TEST_F(AboutWindow, OtherNamesOpenNothing) {
    for (const char* name : {"version", "VERSION", "Version ", "Versio", "", "バージョン情報"}) {
        SCOPED_TRACE(name);
        AboutSession session = RunAboutSession(
            [name] { return ShowModalWindow(AppWindow(), name); }, {});
        EXPECT_EQ(session.result, 0);
        EXPECT_EQ(session.about, nullptr);
        EXPECT_TRUE(IsWindowEnabled(AppWindow()));
    }
}

}  // namespace
