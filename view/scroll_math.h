// Scrolling of the image view: the ranges of its two bars, where a scroll-bar
// request, a key or the wheel moves them, and where the picture is drawn.
// Platform-free: the window procedure reads the bars and metrics, asks these
// functions, and sets what they return.
#pragma once

#include <cstdint>

// WM_HSCROLL / WM_VSCROLL request codes (low word of wParam), the platform's
// values. The LEFT/RIGHT names of the horizontal bar share these numbers.
constexpr int kSbLineUp = 0;
constexpr int kSbLineDown = 1;
constexpr int kSbPageUp = 2;
constexpr int kSbPageDown = 3;
constexpr int kSbThumbPosition = 4;
constexpr int kSbThumbTrack = 5;
constexpr int kSbTop = 6;
constexpr int kSbBottom = 7;
constexpr int kSbEndScroll = 8;

// Virtual keys the view reacts to, and the wheel's Shift flag and notch size.
constexpr int kVkTab = 0x09;
constexpr int kVkLeft = 0x25;
constexpr int kVkUp = 0x26;
constexpr int kVkRight = 0x27;
constexpr int kVkDown = 0x28;
constexpr std::uint32_t kMkShift = 0x0004;
constexpr int kWheelDelta = 120;

// The blank margin left and above the picture at scroll position 0.
constexpr int kPictureMargin = 10;

// One scroll bar as the platform keeps it: SCROLLINFO's nMin, nMax, nPage
// (never negative here) and nPos.
struct ScrollBar {
    int min, max, page, pos;
};

inline bool operator==(const ScrollBar& a, const ScrollBar& b) {
    return a.min == b.min && a.max == b.max && a.page == b.page && a.pos == b.pos;
}

struct ScrollRanges {
    ScrollBar horizontal, vertical;
};

// Whether a bar set to these values is to be seen: not when its page covers
// its range (page >= max - min), as for a picture that fits the view. The
// platform itself would still show such a bar, thumb filling it.
bool scrollBarShown(const ScrollBar& bar);

// The bars for a picture of pictureWidth x pictureHeight (as in its header) in
// a view whose outer size is viewWidth x viewHeight; hScrollHeight is
// SM_CYHSCROLL. Both positions are 0.
//  vertical:   max = pictureHeight + hScrollHeight + 30 when the view is lower
//              than the picture, else viewHeight; page = viewHeight.
//  horizontal: max = pictureWidth + 20; page = viewWidth when the view is
//              narrower than the picture, else max.
// A bottom-up header can carry a negative height (a top-down picture): its
// magnitude is used. A negative width or view size counts as 0, and sums that
// would not fit an int stop at INT_MAX, so no range ever runs backwards.
ScrollRanges computeScrollRanges(int viewWidth, int viewHeight, int pictureWidth, int pictureHeight,
                                 int hScrollHeight);

// The distance of one line: a tenth of the page, rounded down (a page below 10
// pixels has no line step at all).
int scrollLineStep(const ScrollBar& bar);

// The position one line back (lines < 0, stopping at 0) or forward (lines > 0,
// stopping at max). Used for the arrow keys and the LINE requests.
int lineScrollPos(const ScrollBar& bar, int lines);

// The position a WM_HSCROLL / WM_VSCROLL asks for; wParam is the message's
// (low word the request code, high word the 16-bit thumb position). Line and
// page steps stop at 0 and max; TOP gives min, BOTTOM max; an unknown code
// (SB_ENDSCROLL) keeps pos. The system narrows the result further when it is
// set (settledScrollPos).
int scrollRequestPos(const ScrollBar& bar, std::uint32_t wParam);

// True when a WM_MOUSEWHEEL with this wParam scrolls the horizontal bar
// (Shift held) rather than the vertical one.
bool wheelScrollsHorizontally(std::uint32_t wParam);

// The position after a WM_MOUSEWHEEL: whole notches of the signed delta in the
// high word (a part notch counts for nothing), one line step each, the wheel
// turned away from the user scrolling back; the result stops at max and 0.
int wheelScrollPos(const ScrollBar& bar, std::uint32_t wParam);

// What a key pressed in the view does.
enum class ScrollAxis { kNone, kHorizontal, kVertical };
struct ViewKeyAction {
    bool focusList;   // Tab: the history list takes the focus
    ScrollAxis axis;  // the bar an arrow key moves
    int lines;        // -1 back, +1 forward, with axis
    bool repaint;     // every key but Tab invalidates the view
};
ViewKeyAction viewKeyAction(int virtualKey);

// The position the platform keeps when pos is set into bar: within
// [min, max - (page - 1)] (SetScrollInfo's own rule, page first limited to the
// range). This is what the next read of the bar, and so the paint, sees.
int settledScrollPos(const ScrollBar& bar, int pos);

// Where the picture's top-left corner goes in the view's client area for the
// bars' positions: the margin less the position, on each axis.
struct ViewPoint {
    int x, y;
};
ViewPoint pictureOrigin(int horizontalPos, int verticalPos);

// Checked only where the platform's headers are already in.
#if defined(SB_LINEUP) && defined(SB_ENDSCROLL)
static_assert(kSbLineUp == SB_LINEUP && kSbLineDown == SB_LINEDOWN && kSbPageUp == SB_PAGEUP &&
                  kSbPageDown == SB_PAGEDOWN && kSbThumbPosition == SB_THUMBPOSITION &&
                  kSbThumbTrack == SB_THUMBTRACK && kSbTop == SB_TOP && kSbBottom == SB_BOTTOM &&
                  kSbEndScroll == SB_ENDSCROLL,
              "scroll request codes");
#endif
#if defined(VK_TAB) && defined(MK_SHIFT) && defined(WHEEL_DELTA)
static_assert(kVkTab == VK_TAB && kVkLeft == VK_LEFT && kVkUp == VK_UP && kVkRight == VK_RIGHT &&
                  kVkDown == VK_DOWN && kMkShift == MK_SHIFT && kWheelDelta == WHEEL_DELTA,
              "key and wheel codes");
#endif
