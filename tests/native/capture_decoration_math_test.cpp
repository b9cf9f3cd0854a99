// Where the decorations land: the non-client estimate with its menu-bar
// correction, the inclusive rectangle test and the window-mode rectangles.
#include "capture/decoration_math.h"

#include <gtest/gtest.h>

namespace {

// Frame 3 + border 1 across; menu 19, caption 18, frame 3, border 1 down.
constexpr NonClientMetrics kMetrics{3, 1, 19, 18, 3, 1};
constexpr int32_t kClientHeight = 100;
constexpr int32_t kBase = kClientHeight + 18 + 2 * (3 + 1);  // no menu bar: 126

TEST(DecorationMath, WindowWithoutMenuBarLosesTheMenuHeight) {
    const DecorationPoint p = estimateNonClient(10, 20, kMetrics, kBase, kClientHeight);
    EXPECT_EQ(p.x, 10 + 3 + 1);
    EXPECT_EQ(p.y, 20 + 18 + 3 + 1);
}

TEST(DecorationMath, OneAndSeveralMenuLinesAddTheirHeightLessOne) {
    EXPECT_EQ(estimateNonClient(0, 0, kMetrics, kBase + 19, kClientHeight).y, 19 + 18 + 3 + 1);
    // Two lines (one more menu height less the shared edge), then three.
    EXPECT_EQ(estimateNonClient(0, 0, kMetrics, kBase + 19 + 18, kClientHeight).y,
              19 + 18 + 3 + 1 + 18);
    EXPECT_EQ(estimateNonClient(0, 0, kMetrics, kBase + 2 * 19 + 1, kClientHeight).y,
              19 + 18 + 3 + 1 + 2 * 18);
    // A window shorter than the standard frame counts as having a menu bar.
    EXPECT_EQ(estimateNonClient(0, 5, kMetrics, kBase - 4, kClientHeight).y, 5 + 19 + 18 + 3 + 1);
}

TEST(DecorationMath, ZeroMenuHeightStillEnds) {
    NonClientMetrics noMenu = kMetrics;
    noMenu.menuY = 0;
    const DecorationPoint p = estimateNonClient(0, 0, noMenu, kBase + 500, kClientHeight);
    EXPECT_EQ(p.y, 18 + 3 + 1);
    const DecorationPoint tall = estimateNonClient(0, 0, kMetrics, INT32_MAX, kClientHeight);
    EXPECT_GT(tall.y, 1000000);
}

TEST(DecorationMath, ContainmentIsInclusiveOnEveryEdge) {
    const CaptureRect r{10, 20, 30, 40};
    EXPECT_TRUE(containsInclusive(r, 10, 20));
    EXPECT_TRUE(containsInclusive(r, 30, 40));
    EXPECT_FALSE(containsInclusive(r, 9, 25));
    EXPECT_FALSE(containsInclusive(r, 31, 25));
    EXPECT_FALSE(containsInclusive(r, 15, 19));
    EXPECT_FALSE(containsInclusive(r, 15, 41));
    EXPECT_TRUE(withinClientSize(0, 0, 50, 60));
    EXPECT_TRUE(withinClientSize(50, 60, 50, 60));
    EXPECT_FALSE(withinClientSize(51, 10, 50, 60));
    EXPECT_FALSE(withinClientSize(10, -1, 50, 60));
}

TEST(DecorationMath, WindowModeRectanglesAreRelativeToTheCapturedWindow) {
    const CaptureRect top{100, 50, 300, 250};
    const CaptureRect atOrigin = rectAtOrigin(top);
    EXPECT_EQ(atOrigin.left, 0);
    EXPECT_EQ(atOrigin.top, 0);
    EXPECT_EQ(atOrigin.right, 200);
    EXPECT_EQ(atOrigin.bottom, 200);
    const CaptureRect child = rectRelativeTo(CaptureRect{120, 80, 160, 100}, top);
    EXPECT_EQ(child.left, 20);
    EXPECT_EQ(child.top, 30);
    EXPECT_EQ(child.right, 60);
    EXPECT_EQ(child.bottom, 50);
}

}  // namespace
