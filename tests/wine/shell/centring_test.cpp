// Centring real windows: the screen clamp, and the base-window centring that never clamps.
#include <gtest/gtest.h>

#include "app/app.h"
#include "tests/wine/common/harness.h"

namespace {

// A bare top-level window of a given outer size, destroyed with the object.
class Probe {
  public:
    Probe(int width, int height)
        : window_(CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 10, 10, width, height, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr)) {}
    ~Probe() { DestroyWindow(window_); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;
    HWND get() const { return window_; }
    RECT rect() const {
        RECT r;
        GetWindowRect(window_, &r);
        return r;
    }

  private:
    HWND window_;
};

TEST(CenterWindowOnScreen, LargerEqualAndSmallerWindows) {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    struct {
        int width, height, xOffset, yOffset, x, y;
    } const cases[] = {
        {sw + 300, sh + 200, 0, 0, 0, 0},            // larger: left and top edges on the screen's
        {sw, sh, 0, 0, 0, 0},                        // equal
        {480, 360, 0, 0, (sw - 480) / 2, (sh - 360) / 2},
        {481, 361, 0, 0, (sw - 481) / 2, (sh - 361) / 2},
        {480, 360, 800 + (1024 - sw) / 2, 0, sw - 480, (sh - 360) / 2},  // past the edge: back
        {480, 360, 700, 0, (sw - 480) / 2 + 700, (sh - 360) / 2},  // overhangs: stays
        {480, 360, sw - (sw - 480) / 2, 0, sw, (sh - 360) / 2},  // exactly at the edge: stays
        {480, 360, 0, -sh, (sw - 480) / 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " +" << c.xOffset);
        Probe probe(c.width, c.height);
        EXPECT_EQ(CenterWindowOnScreen(probe.get(), c.xOffset, c.yOffset), 1);
        RECT r = probe.rect();
        EXPECT_EQ(r.left, c.x);
        EXPECT_EQ(r.top, c.y);
        EXPECT_EQ(r.right - r.left, c.width) << "never resized";
    }
}

TEST(CenterWindowOnScreen, OverhangingTheRightEdgeIsLeftAlone) {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    Probe probe(480, 360);
    int centred = (sw - 480) / 2;
    CenterWindowOnScreen(probe.get(), sw - 200 - centred, 0);  // left edge at sw - 200
    EXPECT_EQ(probe.rect().left, sw - 200);
}

TEST(CenterWindowOnWindow, CentresOverTheBaseWithoutClamping) {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    struct {
        int baseX, baseY, baseW, baseH, width, height;
    } const cases[] = {
        {272, 204, 480, 360, 530, 340},     // the about window over the main window
        {100, 100, 100, 80, 300, 200},      // base smaller: left of the base's left edge
        {sw - 50, 10, 480, 360, 530, 340},  // base near the right edge: off the screen
        {-400, -300, 480, 360, 530, 340},   // base off the top left
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.baseX << "," << c.baseY);
        Probe base(c.baseW, c.baseH);
        SetWindowPos(base.get(), nullptr, c.baseX, c.baseY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Probe moved(c.width, c.height);
        CenterWindowOnWindow(base.get(), moved.get(), 0, 0);
        RECT r = moved.rect();
        EXPECT_EQ(r.left, (2 * c.baseX + c.baseW - c.width) / 2);
        EXPECT_EQ(r.top, (2 * c.baseY + c.baseH - c.height) / 2);
        EXPECT_EQ(r.right - r.left, c.width);
    }
}

TEST(CenterWindowOnWindow, AddsOffsets) {
    Probe base(480, 360);
    SetWindowPos(base.get(), nullptr, 200, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Probe moved(100, 60);
    CenterWindowOnWindow(base.get(), moved.get(), -7, 9);
    RECT r = moved.rect();
    EXPECT_EQ(r.left, 200 + 190 - 7);
    EXPECT_EQ(r.top, 100 + 150 + 9);
}

}  // namespace
