// Placement of the tab control, the page containers and the history page's
// split between the list pane and the image frame.
#include "view/pane_layout.h"

#include <gtest/gtest.h>

#include <ostream>

static bool operator==(const PaneRect& a, const PaneRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

static std::ostream& operator<<(std::ostream& os, const PaneRect& r) {
    return os << "{" << r.x << ", " << r.y << ", " << r.width << " x " << r.height << "}";
}

namespace {

constexpr int kF = 4;  // SM_CXFRAME and SM_CYFRAME
constexpr int kE = 2;  // SM_CYEDGE

void expectLimits(const TrackLimits& t, int minW, int minH, int maxW, int maxH) {
    EXPECT_EQ(t.minWidth, minW);
    EXPECT_EQ(t.minHeight, minH);
    EXPECT_EQ(t.maxWidth, maxW);
    EXPECT_EQ(t.maxHeight, maxH);
}

TEST(PaneLayout, TabControlAndPageContainers) {
    EXPECT_EQ(tabControlRect(800, 600, 28, 22, kF, kE), (PaneRect{2, 34, 794, 538}));
    // Header: three frame heights plus the font's height.
    EXPECT_EQ(pageContainerRect(794, 538, kF, 12), (PaneRect{4, 28, 786, 506}));
    // A client area smaller than the bars leaves empty windows, not negative ones.
    EXPECT_EQ(tabControlRect(5, 20, 28, 22, kF, kE), (PaneRect{2, 34, 0, 0}));
    EXPECT_EQ(pageContainerRect(0, 0, kF, 12), (PaneRect{4, 28, 0, 0}));
}

TEST(PaneLayout, FirstLayoutHalvesThePageListTakingTheOddPixel) {
    ImagePageLayout l = layoutImagePage(600, 401, kF, 10, false);
    EXPECT_TRUE(l.placeListPane);
    EXPECT_EQ(l.listPane, (PaneRect{0, 0, 600, 201}));
    EXPECT_EQ(l.frame, (PaneRect{-4 * kF, 201, 600 + 8 * kF, 200 + kF}));
    // The view's re-layout after the frame moves agrees with that split.
    EXPECT_EQ(listPaneRectAboveFrame(600, 401, l.frame.height, kF), l.listPane);
    // The view inside it, clear of the frame's borders.
    EXPECT_EQ(viewRectInFrame(l.frame.width, l.frame.height, kF), (PaneRect{12, 0, 600, 196}));
    EXPECT_EQ(viewRectInFrame(20, 5, kF), (PaneRect{12, 0, 0, 0}));
    // A frame taller than the page leaves the list nothing.
    EXPECT_EQ(listPaneRectAboveFrame(600, 100, 300, kF), (PaneRect{0, 0, 600, 0}));

    l = layoutImagePage(600, 400, kF, 10, false);
    EXPECT_EQ(l.listPane.height, 200);
    EXPECT_EQ(l.frame.y, 200);
    EXPECT_EQ(l.frame.height, 200 + kF);
}

TEST(PaneLayout, LaterLayoutsKeepTheFrameHeightAgainstTheBottom) {
    const int frameHeight = 200 + kF;
    ImagePageLayout l = layoutImagePage(700, 601, kF, frameHeight, true);
    EXPECT_FALSE(l.placeListPane);
    EXPECT_EQ(l.frame, (PaneRect{-4 * kF, 401, 700 + 8 * kF, frameHeight}));
    EXPECT_EQ(listPaneRectAboveFrame(700, 601, frameHeight, kF), (PaneRect{0, 0, 700, 401}));
    // Just high enough: the frame's top stays one pixel below the page's top.
    l = layoutImagePage(700, 201, kF, frameHeight, true);
    EXPECT_EQ(l.frame.y, 1);
    EXPECT_EQ(l.frame.height, frameHeight);
}

TEST(PaneLayout, PageLowerThanTheFrameIsSplitInHalfAgain) {
    const ImagePageLayout l = layoutImagePage(700, 200, kF, 200 + kF, true);
    EXPECT_FALSE(l.placeListPane);
    EXPECT_EQ(l.frame, (PaneRect{-4 * kF, 100, 700 + 8 * kF, 100}));
}

TEST(PaneLayout, FrameSqueezedOutOfSightComesBack) {
    // A page of height 0 leaves a frame of height 0.
    ImagePageLayout l = layoutImagePage(700, 0, kF, 200 + kF, true);
    EXPECT_EQ(l.frame, (PaneRect{-4 * kF, 0, 700 + 8 * kF, 0}));
    // Kept against the bottom, it would lie wholly below the page for good.
    for (int height : {0, kF}) {
        l = layoutImagePage(700, 500, kF, height, true);
        EXPECT_EQ(l.frame.y, 250) << height;
        EXPECT_EQ(l.frame.height, 250) << height;
    }
    // One pixel showing is enough to drag it.
    l = layoutImagePage(700, 500, kF, kF + 1, true);
    EXPECT_EQ(l.frame.y, 499);
    EXPECT_EQ(l.frame.height, kF + 1);
}

TEST(PaneLayout, TrackingLimits) {
    expectLimits(frameTrackLimits(600, 401, 3, kF), 30, 40, 624, 361);
    expectLimits(listPaneTrackLimits(600, 401, 3, kF, 17), 30, 57, 600, 361);
    expectLimits(viewTrackLimits(600, 401, 3, kF), 30, 40, 600, 361);
    // On a tiny page the maximum never falls below the minimum.
    expectLimits(frameTrackLimits(10, 50, 3, kF), 30, 40, 34, 40);
    expectLimits(listPaneTrackLimits(10, 50, 3, kF, 17), 30, 57, 30, 57);
}

TEST(PaneLayout, OnlyTheTopEdgeSizes) {
    EXPECT_EQ(mapEdgeHitTest(kHtTop), kHtTop);
    EXPECT_EQ(mapEdgeHitTest(kHtTopLeft), kHtTop);
    EXPECT_EQ(mapEdgeHitTest(kHtTopRight), kHtTop);
    for (int edge : {kHtLeft, kHtRight, kHtBottom, kHtBottomLeft, kHtBottomRight})
        EXPECT_EQ(mapEdgeHitTest(edge), kHtBorder) << edge;
    // Client area, caption, nowhere, a plain border, an error: unchanged.
    for (int other : {1, 2, 0, kHtBorder, -2})
        EXPECT_EQ(mapEdgeHitTest(other), other) << other;
}

}  // namespace
