#include "support/placement.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// As CenterWindowOnScreen combines them: centre in single precision, truncate, offset, clamp.
TEST(Placement, CentresTruncatingTowardZeroAndClampsOnlyOnTheScreen) {
    const struct { int screen, low, high, offset, expected; } cases[] = {
        {1024, 0, 481, 0, 271}, {100, 0, 103, 2, 1} /* -1.5 truncates to -1 */, {1024, 300, 780, 0, 272},
        {1024, 0, 1500, 0, 0}, {1024, 0, 480, -400, 0}, {1024, 0, 480, 700, 972} /* overhangs, stays */,
        {1024, 0, 480, 752, 1024} /* at the edge, stays */, {1024, 0, 480, 800, 544} /* past it, moves back */,
    };
    for (const auto& c : cases) {
        const int x = AddOffset(CenterOnScreenExtent(c.screen, c.low, c.high), c.offset);
        EXPECT_EQ(ClampToScreen(x, c.screen, c.high - c.low), c.expected) << c.high - c.low << " + " << c.offset;
    }
    // Over a window no clamp; beyond the int range sums wrap and results saturate.
    EXPECT_EQ(CenterOverSpan(272, 752, 0, 530), 247);
    EXPECT_EQ(CenterOverSpan(-500, -20, 50, 580), -525);
    EXPECT_EQ(CenterOverSpan(INT_MAX, INT_MAX, INT_MIN, INT_MAX), INT_MIN);
    EXPECT_EQ(CenterOnScreenExtent(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
}

}  // namespace
