#include "app/placement.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct ScreenCase {
    const char* name;
    int screen, low, high, offset;
    int expected;  // after the offset and the clamp
};

// The screen's arithmetic, the offset and the clamp, as CenterWindowOnScreen combines them.
int PlaceOnScreen(const ScreenCase& c) {
    int x = AddOffset(CenterOnScreenExtent(c.screen, c.low, c.high), c.offset);
    return ClampToScreen(x, c.screen, c.high - c.low);
}

TEST(Placement, CentresOnTheScreenTruncatingTowardZeroAndClamps) {
    const ScreenCase cases[] = {
        {"odd remainder truncates", 1024, 0, 481, 0, 271},
        {"negative half truncates toward zero", 100, 0, 103, 0, 0},
        {"-1.5 plus offset 2", 100, 0, 103, 2, 1},
        {"main window on 1024", 1024, 0, 480, 0, 272},
        {"offset past the edge moves back", 1024, 0, 480, 800, 544},
        {"offset overhanging stays", 1024, 0, 480, 700, 972},
        {"start exactly at the edge stays", 1024, 0, 480, 752, 1024},
        {"wider than the screen", 1024, 0, 1500, 0, 0},
        {"as wide as the screen", 1024, 0, 1024, 0, 0},
        {"position of the window does not matter", 1024, 300, 780, 0, 272},
        {"negative offset clamps to 0", 1024, 0, 480, -400, 0},
    };
    for (const ScreenCase& c : cases) EXPECT_EQ(PlaceOnScreen(c), c.expected) << c.name;
}

TEST(Placement, UnclampedCentreIsTheTruncatedHalfDifference) {
    EXPECT_EQ(CenterOnScreenExtent(100, 0, 103), -1);  // -1.5 -> -1, not -2
    EXPECT_EQ(CenterOnScreenExtent(100, 0, 105), -2);  // -2.5 -> -2
    EXPECT_EQ(CenterOnScreenExtent(768, 0, 360), 204);
    // Below 2^22 the float steps are exact: the integer formula must agree everywhere.
    for (int screen : {0, 1, 2, 640, 1023, 1024, 1920, 4000000}) {
        for (int width : {0, 1, 2, 3, 479, 480, 481, 1500, 3999999}) {
            EXPECT_EQ(CenterOnScreenExtent(screen, 0, width), (screen - width) / 2)
                << screen << " " << width;
        }
    }
}

TEST(Placement, CentresOverABaseWithoutClamping) {
    struct {
        int baseLow, baseHigh, low, high, expected;
    } const cases[] = {
        {272, 752, 0, 530, 247},       // about window over the main window
        {100, 200, 0, 300, 0},         // base narrower: moved left of the base
        {-500, -20, 0, 530, -525},     // base off the left edge: no clamp
        {900, 1380, 50, 580, 875},     // base near the right edge: overhangs, stays
        {0, 0, 0, 1, 0},               // -0.5 truncates to 0
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CenterOverSpan(c.baseLow, c.baseHigh, c.low, c.high), c.expected)
            << c.baseLow << ".." << c.baseHigh;
        // The integer form that holds while every value is exact in single precision.
        EXPECT_EQ(c.expected, (c.baseLow + c.baseHigh - (c.high - c.low)) / 2);
    }
}

TEST(Placement, HugeCoordinatesNeitherOverflowNorTrapUnderSanitizers) {
    EXPECT_EQ(AddOffset(INT_MAX, 1), INT_MIN);
    // The sums wrap and the float results saturate instead of converting out of range.
    EXPECT_EQ(CenterOverSpan(INT_MAX, INT_MAX, INT_MIN, INT_MAX), INT_MIN);
    EXPECT_EQ(CenterOnScreenExtent(INT_MAX, 0, 0), 1073741824);  // 2^31 / 2 in single precision
    EXPECT_EQ(CenterOnScreenExtent(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
}

}  // namespace
