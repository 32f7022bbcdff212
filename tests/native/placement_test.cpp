#include "support/placement.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Each step on its own; the window test checks how the program combines them.
TEST(Placement, CentresTruncatingTowardZeroOffsetsWrapAndOnlyAStartOffTheScreenMoves) {
    const struct { int result, expected; } cases[] = {
        {CenterOnScreenExtent(1024, 0, 481), 271}, {CenterOnScreenExtent(100, 0, 103), -1} /* -1.5 */,
        {CenterOnScreenExtent(1024, 300, 780), 272}, {CenterOnScreenExtent(1024, 0, 1500), -238},
        {CenterOnScreenExtent(33554435, 0, 1), 16777218} /* in double, 16777217 */, {CenterOnScreenExtent(INT_MAX, INT_MAX, INT_MAX), INT_MAX},
        {CenterOverSpan(272, 752, 0, 530), 247}, {CenterOverSpan(-500, -20, 50, 580), -525}, {CenterOverSpan(INT_MAX, INT_MAX, INT_MIN, INT_MAX), INT_MIN},
        {AddOffset(-1, 2), 1}, {AddOffset(INT_MAX, 1), INT_MIN}, {ClampToScreen(-1, 1024, 480), 0}, {ClampToScreen(1025, 1024, 480), 544},
        {ClampToScreen(972, 1024, 480), 972} /* overhangs, stays */, {ClampToScreen(1024, 1024, 480), 1024} /* at the edge, stays */};
    for (const auto& c : cases) EXPECT_EQ(c.result, c.expected) << "case " << &c - cases;
}

}  // namespace
