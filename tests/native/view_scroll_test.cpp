// The image view's scroll bars: their ranges for a picture, and where scroll
// requests, keys and the wheel move them.
#include "view/scroll_math.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

constexpr int kHScroll = 17;  // SM_CYHSCROLL

std::uint32_t request(int code, unsigned thumb = 0) {
    return static_cast<std::uint32_t>(code) | (std::uint32_t{thumb} << 16);
}

std::uint32_t wheel(int delta, std::uint32_t keys = 0) {
    return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(delta)) << 16) | keys;
}

void expectBar(const ScrollBar& bar, int max, int page) {
    EXPECT_EQ(bar.min, 0);
    EXPECT_EQ(bar.max, max);
    EXPECT_EQ(bar.page, page);
    EXPECT_EQ(bar.pos, 0);
}

TEST(ScrollRanges, PictureSmallerThanTheViewNeedsNoScrolling) {
    const ScrollRanges r = computeScrollRanges(500, 400, 300, 200, kHScroll);
    expectBar(r.vertical, 400, 400);
    expectBar(r.horizontal, 320, 320);
    const ViewPoint at = pictureOrigin(0, 0);
    EXPECT_EQ(at.x, 10);
    EXPECT_EQ(at.y, 10);
}

TEST(ScrollRanges, ScrollingStartsOnlyWhenThePictureIsLargerThanTheView) {
    // Exactly as high (and wide) as the view: no room added.
    ScrollRanges r = computeScrollRanges(300, 400, 300, 400, kHScroll);
    expectBar(r.vertical, 400, 400);
    expectBar(r.horizontal, 320, 320);
    // One pixel more: room for the horizontal bar and 30 below, the view a page.
    r = computeScrollRanges(300, 400, 301, 401, kHScroll);
    expectBar(r.vertical, 401 + kHScroll + 30, 400);
    expectBar(r.horizontal, 321, 300);
    // The furthest the bar lets the picture go is its overhang plus margins.
    const int last = settledScrollPos(r.horizontal, r.horizontal.max);
    EXPECT_EQ(last, 321 - 300 + 1);
    EXPECT_EQ(pictureOrigin(last, 0).x, 10 - 22);
}

TEST(ScrollRanges, MalformedHeadersNeverGiveABackwardRange) {
    // A top-down picture stores its height negated.
    ScrollRanges r = computeScrollRanges(100, 100, 50, -300, kHScroll);
    expectBar(r.vertical, 300 + kHScroll + 30, 100);
    r = computeScrollRanges(100, 100, -5, INT_MIN, kHScroll);
    expectBar(r.horizontal, 20, 20);
    expectBar(r.vertical, INT_MAX, 100);
    r = computeScrollRanges(-1, -1, INT_MAX, INT_MAX, kHScroll);
    expectBar(r.horizontal, INT_MAX, 0);
    expectBar(r.vertical, INT_MAX, 0);
}

TEST(ScrollRanges, OnlyABarWhosePageFallsShortOfItsRangeIsShown) {
    const struct {
        int viewWidth, viewHeight, pictureWidth, pictureHeight;
        bool horizontal, vertical;
    } cases[] = {
        {500, 400, 300, 200, false, false},  // fits both ways
        {300, 400, 300, 400, false, false},  // exactly the view's size
        {310, 400, 300, 400, false, false},  // wider than the picture, not its margins
        {299, 400, 300, 200, true, false},
        {500, 399, 300, 400, false, true},
        {100, 100, 3000, 2000, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.viewWidth << "x" << c.viewHeight << " "
                                          << c.pictureWidth << "x" << c.pictureHeight);
        const ScrollRanges r = computeScrollRanges(c.viewWidth, c.viewHeight, c.pictureWidth,
                                                   c.pictureHeight, kHScroll);
        EXPECT_EQ(scrollBarShown(r.horizontal), c.horizontal);
        EXPECT_EQ(scrollBarShown(r.vertical), c.vertical);
    }
    EXPECT_TRUE(scrollBarShown(ScrollBar{10, 111, 100, 0}));
    EXPECT_FALSE(scrollBarShown(ScrollBar{10, 110, 100, 0}));
    EXPECT_FALSE(scrollBarShown(ScrollBar{0, INT_MAX, INT_MAX, 0}));
    EXPECT_TRUE(scrollBarShown(ScrollBar{INT_MIN, INT_MAX, INT_MAX, 0}));
}

TEST(ScrollRequest, LineIsATenthOfThePageRoundedDown) {
    const ScrollBar nine{0, 1000, 9, 40};
    EXPECT_EQ(scrollRequestPos(nine, request(kSbLineDown)), 40);
    EXPECT_EQ(scrollRequestPos(nine, request(kSbLineUp)), 40);
    const ScrollBar wide{0, 1000, 95, 40};
    EXPECT_EQ(scrollRequestPos(wide, request(kSbLineDown)), 49);
    EXPECT_EQ(scrollRequestPos(wide, request(kSbLineUp)), 31);
    EXPECT_EQ(scrollRequestPos(wide, request(kSbPageDown)), 135);
    EXPECT_EQ(scrollRequestPos(wide, request(kSbPageUp)), 0);
}

TEST(ScrollRequest, StopsAtBothEnds) {
    const ScrollBar nearTop{0, 500, 100, 5};
    EXPECT_EQ(scrollRequestPos(nearTop, request(kSbLineUp)), 0);
    EXPECT_EQ(scrollRequestPos(nearTop, request(kSbPageUp)), 0);
    const ScrollBar nearEnd{0, 500, 100, 495};
    EXPECT_EQ(scrollRequestPos(nearEnd, request(kSbLineDown)), 500);
    EXPECT_EQ(scrollRequestPos(nearEnd, request(kSbPageDown)), 500);
    EXPECT_EQ(scrollRequestPos(nearEnd, request(kSbTop)), 0);
    EXPECT_EQ(scrollRequestPos(nearTop, request(kSbBottom)), 500);
    // The bar itself keeps a page's worth short of max.
    EXPECT_EQ(settledScrollPos(nearEnd, 500), 401);
    EXPECT_EQ(settledScrollPos(nearEnd, -7), 0);
    const ScrollBar huge{0, INT_MAX, INT_MAX, INT_MAX - 3};
    EXPECT_EQ(scrollRequestPos(huge, request(kSbPageDown)), INT_MAX);
}

TEST(ScrollRequest, ThumbTakesTheSixteenBitHighWordAndEndScrollKeepsPos) {
    const ScrollBar bar{0, 100000, 100, 12};
    EXPECT_EQ(scrollRequestPos(bar, request(kSbThumbTrack, 345)), 345);
    EXPECT_EQ(scrollRequestPos(bar, request(kSbThumbPosition, 0xFFFF)), 65535);
    EXPECT_EQ(scrollRequestPos(bar, request(kSbEndScroll, 345)), 12);
    EXPECT_EQ(scrollRequestPos(bar, request(99)), 12);
}

TEST(ScrollKeys, TabHandsFocusOverAndArrowsMoveALine) {
    ViewKeyAction k = viewKeyAction(kVkTab);
    EXPECT_TRUE(k.focusList);
    EXPECT_EQ(k.axis, ScrollAxis::kNone);
    EXPECT_FALSE(k.repaint);

    const ScrollBar bar{0, 1000, 200, 10};
    const struct {
        int key;
        ScrollAxis axis;
        int expectedPos;
    } arrows[] = {{kVkUp, ScrollAxis::kVertical, 0},
                  {kVkDown, ScrollAxis::kVertical, 30},
                  {kVkLeft, ScrollAxis::kHorizontal, 0},
                  {kVkRight, ScrollAxis::kHorizontal, 30}};
    for (const auto& a : arrows) {
        k = viewKeyAction(a.key);
        EXPECT_FALSE(k.focusList) << a.key;
        EXPECT_EQ(k.axis, a.axis) << a.key;
        EXPECT_TRUE(k.repaint) << a.key;
        EXPECT_EQ(lineScrollPos(bar, k.lines), a.expectedPos) << a.key;
    }
    k = viewKeyAction('A');
    EXPECT_EQ(k.axis, ScrollAxis::kNone);
    EXPECT_FALSE(k.focusList);
    EXPECT_TRUE(k.repaint);
}

TEST(ScrollWheel, WholeNotchesOnlyTowardTheUserScrollsDown) {
    const ScrollBar bar{0, 1000, 200, 100};  // step 20
    EXPECT_EQ(wheelScrollPos(bar, wheel(60)), 100);
    EXPECT_EQ(wheelScrollPos(bar, wheel(-60)), 100);
    EXPECT_EQ(wheelScrollPos(bar, wheel(-240)), 140);
    EXPECT_EQ(wheelScrollPos(bar, wheel(120)), 80);
    EXPECT_EQ(wheelScrollPos(bar, wheel(-359)), 140);  // 2.99 notches are 2
    // Stops at both ends.
    EXPECT_EQ(wheelScrollPos(bar, wheel(1200)), 0);
    EXPECT_EQ(wheelScrollPos(ScrollBar{0, 1000, 200, 990}, wheel(-240)), 1000);
    EXPECT_EQ(wheelScrollPos(bar, wheel(-32768)), 1000);
}

TEST(ScrollWheel, ShiftTurnsItHorizontal) {
    EXPECT_TRUE(wheelScrollsHorizontally(wheel(-240, kMkShift)));
    EXPECT_TRUE(wheelScrollsHorizontally(wheel(120, kMkShift | 0x0008)));
    EXPECT_FALSE(wheelScrollsHorizontally(wheel(-240)));
    EXPECT_FALSE(wheelScrollsHorizontally(wheel(-240, 0x0008)));  // Ctrl alone
    // The flag does not leak into the delta.
    const ScrollBar bar{0, 1000, 200, 100};
    EXPECT_EQ(wheelScrollPos(bar, wheel(-240, kMkShift)), 140);
}

}  // namespace
