// Active-window captures: cutting a window to the screen or keeping it with
// black where it lay off the screen.
#include "capture/capture_geometry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <vector>

// Global, so that argument-dependent lookup finds them for BlackStrip; static,
// so that they stay out of other test files.
static bool operator==(const BlackStrip& a, const BlackStrip& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

static std::ostream& operator<<(std::ostream& os, const BlackStrip& s) {
    return os << "{x " << s.x << ", y " << s.y << ", w " << s.width << ", h " << s.height << "}";
}

namespace {

constexpr int32_t kW = 1024;
constexpr int32_t kH = 768;

std::vector<BlackStrip> strips(const WindowCapturePlan& plan) {
    EXPECT_GE(plan.stripCount, 0);
    EXPECT_LE(plan.stripCount, 4);
    return std::vector<BlackStrip>(plan.strips, plan.strips + plan.stripCount);
}

struct Expected {
    int32_t width, height, sourceX, sourceY;
};

void expectPlan(const CaptureRect& r, int32_t offscreenBlack, const Expected& e,
                const std::vector<BlackStrip>& expectedStrips) {
    const WindowCapturePlan plan = planWindowCapture(r, kW, kH, offscreenBlack);
    EXPECT_EQ(plan.width, e.width);
    EXPECT_EQ(plan.height, e.height);
    EXPECT_EQ(plan.sourceX, e.sourceX);
    EXPECT_EQ(plan.sourceY, e.sourceY);
    EXPECT_EQ(strips(plan), expectedStrips);
}

TEST(WindowCapturePlan, WindowInsideTheScreenIsTheSameEitherWay) {
    const CaptureRect r{100, 50, 500, 350};
    expectPlan(r, 0, {400, 300, 100, 50}, {});
    expectPlan(r, 1, {400, 300, 100, 50}, {});
}

TEST(WindowCapturePlan, MaximisedWindowPastEveryEdge) {
    const CaptureRect r{-4, -4, kW + 4, kH + 4};
    // Cut: exactly the visible screen.
    expectPlan(r, 0, {kW, kH, 0, 0}, {});
    // Kept: the whole window, black borders 4 wide, left, right, top, bottom.
    expectPlan(
        r, 1, {kW + 8, kH + 8, -4, -4},
        {{0, 0, 4, kH + 8}, {kW + 4, 0, 4, kH + 8}, {0, 0, kW + 8, 4}, {0, kH + 4, kW + 8, 4}});
}

TEST(WindowCapturePlan, PastOneEdge) {
    // Left: cut to the width R, from screen x 0.
    expectPlan({-100, 50, 300, 250}, 0, {300, 200, 0, 50}, {});
    expectPlan({-100, 50, 300, 250}, 1, {400, 200, -100, 50}, {{0, 0, 100, 200}});
    // Right: the strip starts at W - L.
    expectPlan({900, 100, 1100, 300}, 0, {124, 200, 900, 100}, {});
    expectPlan({900, 100, 1100, 300}, 1, {200, 200, 900, 100}, {{124, 0, 76, 200}});
    // Top.
    expectPlan({10, -30, 110, 70}, 0, {100, 70, 10, 0}, {});
    expectPlan({10, -30, 110, 70}, 1, {100, 100, 10, -30}, {{0, 0, 100, 30}});
    // Bottom: the strip starts at H - T.
    expectPlan({10, 700, 110, 800}, 0, {100, 68, 10, 700}, {});
    expectPlan({10, 700, 110, 800}, 1, {100, 100, 10, 700}, {{0, 68, 100, 32}});
}

TEST(WindowCapturePlan, PastTwoEdgesKeepsTheOrderLeftRightTopBottom) {
    expectPlan({1000, 700, 1100, 800}, 1, {100, 100, 1000, 700},
               {{24, 0, 76, 100}, {0, 68, 100, 32}});
    expectPlan({-10, -20, 90, 80}, 1, {100, 100, -10, -20}, {{0, 0, 10, 100}, {0, 0, 100, 20}});
    expectPlan({-10, -20, 90, 80}, 0, {90, 80, 0, 0}, {});
}

TEST(WindowCapturePlan, WhollyOffScreenIsEmptyWhenCut) {
    EXPECT_LE(planWindowCapture({-300, 10, -100, 110}, kW, kH, 0).width, 0);
    EXPECT_LE(planWindowCapture({1100, 10, 1300, 110}, kW, kH, 0).width, 0);
    EXPECT_LE(planWindowCapture({10, -300, 110, -100}, kW, kH, 0).height, 0);
    EXPECT_LE(planWindowCapture({10, 800, 110, 900}, kW, kH, 0).height, 0);
}

TEST(WindowCapturePlan, WhollyOffScreenIsAllBlackWhenKept) {
    // The strips stop at the picture's edge instead of running past it.
    expectPlan({-300, 10, -100, 110}, 1, {200, 100, -300, 10}, {{0, 0, 200, 100}});
    expectPlan({1100, 10, 1300, 110}, 1, {200, 100, 1100, 10}, {{0, 0, 200, 100}});
    expectPlan({10, -300, 110, -100}, 1, {100, 200, 10, -300}, {{0, 0, 100, 200}});
    expectPlan({10, 800, 110, 900}, 1, {100, 100, 10, 800}, {{0, 0, 100, 100}});
}

TEST(WindowCapturePlan, TouchingAnEdgeOnlyIsEmptyWhenCut) {
    EXPECT_EQ(planWindowCapture({-200, 0, 0, 100}, kW, kH, 0).width, 0);
    EXPECT_EQ(planWindowCapture({kW, 0, kW + 200, 100}, kW, kH, 0).width, 0);
    EXPECT_EQ(planWindowCapture({0, -100, 100, 0}, kW, kH, 0).height, 0);
    EXPECT_EQ(planWindowCapture({0, kH, 100, kH + 100}, kW, kH, 0).height, 0);
    // Kept, the same window is a full picture, black all over.
    expectPlan({kW, 0, kW + 200, 100}, 1, {200, 100, kW, 0}, {{0, 0, 200, 100}});
}

TEST(WindowCapturePlan, ReachingAnEdgeExactlyNeedsNoStrip) {
    expectPlan({0, 0, kW, kH}, 1, {kW, kH, 0, 0}, {});
    expectPlan({0, 0, kW, kH}, 0, {kW, kH, 0, 0}, {});
}

TEST(WindowCapturePlan, EmptyWindowHasNoStrips) {
    const WindowCapturePlan plan = planWindowCapture({-50, -50, -50, 10}, kW, kH, 1);
    EXPECT_EQ(plan.width, 0);
    EXPECT_EQ(plan.stripCount, 0);
}

TEST(WindowCapturePlan, SizesBeyond32BitsAreEmptyInsteadOfWrapping) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const WindowCapturePlan kept = planWindowCapture({kMin, 0, kMax, 10}, kW, kH, 1);
    EXPECT_LE(kept.width, 0);
    EXPECT_EQ(kept.stripCount, 0);
    // Cut to the screen, the same window is simply the screen's width.
    const WindowCapturePlan cut = planWindowCapture({kMin, 0, kMax, 10}, kW, kH, 0);
    EXPECT_EQ(cut.width, kW);
    EXPECT_EQ(cut.height, 10);
    // A strip as wide as -INT32_MIN still fits once kept inside the picture.
    expectPlan({kMin, 0, kMin + 100, 10}, 1, {100, 10, kMin, 0}, {{0, 0, 100, 10}});
}

TEST(PictureSize, FollowsThePlanAndTreatsAnyNonzeroValueAsKeep) {
    const CaptureRect rects[] = {
        {100, 50, 500, 350},   {-4, -4, kW + 4, kH + 4}, {-100, 50, 300, 250},
        {900, 100, 1100, 300}, {10, -30, 110, 70},       {10, 700, 110, 800},
        {-300, 10, -100, 110}, {kW, 0, kW + 200, 100},   {0, 0, kW, kH},
    };
    for (const CaptureRect& r : rects) {
        for (int32_t mode : {0, 1}) {
            const WindowCapturePlan plan = planWindowCapture(r, kW, kH, mode);
            int32_t w = -1, h = -1;
            pictureSize(r, mode, kW, kH, &w, &h);
            EXPECT_EQ(w, plan.width) << r.left << "," << r.top << " mode " << mode;
            EXPECT_EQ(h, plan.height) << r.left << "," << r.top << " mode " << mode;
        }
        int32_t w1 = -1, h1 = -1, w2 = -1, h2 = -1;
        pictureSize(r, 1, kW, kH, &w1, &h1);
        pictureSize(r, 2, kW, kH, &w2, &h2);
        EXPECT_EQ(w2, w1);
        EXPECT_EQ(h2, h1);
        EXPECT_EQ(w1, r.right - r.left);
        EXPECT_EQ(h1, r.bottom - r.top);
    }
    // A screen capture's rectangle gives the screen size.
    int32_t w = 0, h = 0;
    pictureSize({0, 0, kW, kH}, 0, kW, kH, &w, &h);
    EXPECT_EQ(w, kW);
    EXPECT_EQ(h, kH);
}

}  // namespace

namespace {

// A desktop of three monitors: the primary 1920 x 1080 at the origin, one
// of 1280 x 1024 left of it and one of 640 x 480 right of it, 200 down.
const CaptureRect kLeft{-1280, 0, 0, 1024};
const CaptureRect kPrimary{0, 0, 1920, 1080};
const CaptureRect kRight{1920, 200, 2560, 680};
const CaptureRect kVirtual{-1280, 0, 2560, 1080};

struct BoundsCase {
    const char* what;
    CaptureRect window;
    int32_t offscreenBlack;
    Expected plan;
    std::vector<BlackStrip> strips;
};

TEST(WindowCapturePlan, AgainstAVirtualScreenWithANegativeOrigin) {
    const BoundsCase cases[] = {
        {"wholly on the left monitor", {-1000, 100, -400, 500}, 0, {600, 400, -1000, 100}, {}},
        {"spanning left and primary", {-300, 100, 300, 500}, 0, {600, 400, -300, 100}, {}},
        {"spanning left and primary, kept", {-300, 100, 300, 500}, 1, {600, 400, -300, 100}, {}},
        {"past the virtual left edge, cut", {-1300, 10, -1200, 60}, 0, {80, 50, -1280, 10}, {}},
        {"past the virtual left edge, kept",
         {-1300, 10, -1200, 60},
         1,
         {100, 50, -1300, 10},
         {{0, 0, 20, 50}}},
        {"past the right and bottom, kept",
         {2500, 1000, 2600, 1100},
         1,
         {100, 100, 2500, 1000},
         {{60, 0, 40, 100}, {0, 80, 100, 20}}},
        {"above the virtual top, cut", {0, -50, 100, 50}, 0, {100, 50, 0, 0}, {}},
    };
    for (const BoundsCase& c : cases) {
        SCOPED_TRACE(c.what);
        const WindowCapturePlan plan = planWindowCaptureIn(c.window, kVirtual, c.offscreenBlack);
        EXPECT_EQ(plan.width, c.plan.width);
        EXPECT_EQ(plan.height, c.plan.height);
        EXPECT_EQ(plan.sourceX, c.plan.sourceX);
        EXPECT_EQ(plan.sourceY, c.plan.sourceY);
        EXPECT_EQ(strips(plan), c.strips);
        int32_t w = 0, h = 0;
        pictureSizeIn(c.window, c.offscreenBlack, kVirtual, &w, &h);
        EXPECT_EQ(w, plan.width);
        EXPECT_EQ(h, plan.height);
    }
}

TEST(WindowCapturePlan, TheOriginBoundsAreThePrimaryScreenRule) {
    const CaptureRect windows[] = {{-4, -4, kW + 4, kH + 4}, {-300, 10, -100, 110}, {5, 6, 7, 8}};
    for (const CaptureRect& r : windows)
        for (int32_t mode : {0, 1}) {
            const WindowCapturePlan a = planWindowCapture(r, kW, kH, mode);
            const WindowCapturePlan b = planWindowCaptureIn(r, {0, 0, kW, kH}, mode);
            EXPECT_EQ(a.width, b.width);
            EXPECT_EQ(a.height, b.height);
            EXPECT_EQ(a.sourceX, b.sourceX);
            EXPECT_EQ(strips(a), strips(b));
        }
}

struct GapCase {
    const char* what;
    CaptureRect area;
    std::vector<BlackStrip> blocks;
};

TEST(UncoveredBlocks, TheGapsOfTheVirtualScreenInPictureCoordinates) {
    const std::vector<CaptureRect> monitors{kLeft, kPrimary, kRight};
    const GapCase cases[] = {
        {"on one monitor", {100, 100, 200, 200}, {}},
        {"across two monitors of one height", {-100, 100, 100, 200}, {}},
        // Above and below the right monitor, below the left one (1024 to
        // 1080), row by row.
        {"the whole virtual screen",
         kVirtual,
         {{3200, 0, 640, 200}, {3200, 680, 640, 344}, {0, 1024, 1280, 56}, {3200, 1024, 640, 56}}},
        {"a window from the primary into the corner above the right monitor",
         {1900, 100, 2000, 300},
         {{20, 0, 80, 100}}},
        {"beyond every monitor", {3000, 0, 3010, 5}, {{0, 0, 10, 5}}},
        {"empty", {10, 10, 10, 20}, {}},
    };
    for (const GapCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(uncoveredBlocks(c.area, monitors), c.blocks);
    }
}

}  // namespace
