#include "view/scroll_math.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// Sums are formed in 64 bits: a picture header is read from a file as it is,
// so its sizes can be anything an int holds.
int toInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

int atLeastZero(int v) {
    return v < 0 ? 0 : v;
}

int magnitude(int v) {
    return toInt(v < 0 ? -int64_t{v} : int64_t{v});
}

// Room below the picture for the horizontal bar plus this much.
constexpr int kBottomRoom = 30;

int backward(const ScrollBar& bar, int64_t distance) {
    return toInt(std::max<int64_t>(int64_t{bar.pos} - distance, 0));
}

int forward(const ScrollBar& bar, int64_t distance) {
    return toInt(std::min<int64_t>(int64_t{bar.pos} + distance, bar.max));
}

}  // namespace

ScrollRanges computeScrollRanges(int viewWidth, int viewHeight, int pictureWidth, int pictureHeight,
                                 int hScrollHeight) {
    const int wv = atLeastZero(viewWidth), hv = atLeastZero(viewHeight);
    const int wi = atLeastZero(pictureWidth), hi = magnitude(pictureHeight);

    ScrollRanges r{};
    r.vertical.max = hv < hi ? toInt(int64_t{hi} + atLeastZero(hScrollHeight) + kBottomRoom) : hv;
    r.vertical.page = hv;
    r.horizontal.max = toInt(int64_t{wi} + 2 * kPictureMargin);
    r.horizontal.page = wv < wi ? wv : r.horizontal.max;
    return r;
}

bool scrollBarShown(const ScrollBar& bar) {
    return int64_t{bar.page} < int64_t{bar.max} - bar.min;
}

int scrollLineStep(const ScrollBar& bar) {
    return atLeastZero(bar.page) / 10;
}

int lineScrollPos(const ScrollBar& bar, int lines) {
    const int64_t distance = int64_t{scrollLineStep(bar)} * (lines < 0 ? -int64_t{lines} : lines);
    if (lines < 0)
        return backward(bar, distance);
    if (lines > 0)
        return forward(bar, distance);
    return bar.pos;
}

int scrollRequestPos(const ScrollBar& bar, std::uint32_t wParam) {
    const int code = static_cast<int>(wParam & 0xFFFF);
    const int thumb = static_cast<int>(wParam >> 16);
    const int page = atLeastZero(bar.page);
    switch (code) {
        case kSbLineUp:
            return lineScrollPos(bar, -1);
        case kSbLineDown:
            return lineScrollPos(bar, 1);
        case kSbPageUp:
            return backward(bar, page);
        case kSbPageDown:
            return forward(bar, page);
        case kSbTop:
            return bar.min;
        case kSbBottom:
            return bar.max;
        case kSbThumbPosition:
        case kSbThumbTrack:
            return thumb;
        default:
            return bar.pos;
    }
}

bool wheelScrollsHorizontally(std::uint32_t wParam) {
    return (wParam & kMkShift) != 0;
}

int wheelScrollPos(const ScrollBar& bar, std::uint32_t wParam) {
    const int delta = static_cast<int16_t>(static_cast<uint16_t>(wParam >> 16));
    const int notches = delta / kWheelDelta;  // toward zero: half a notch is none
    const int64_t p = int64_t{bar.pos} - int64_t{notches} * scrollLineStep(bar);
    return toInt(std::max<int64_t>(std::min<int64_t>(p, bar.max), 0));
}

ViewKeyAction viewKeyAction(int virtualKey) {
    switch (virtualKey) {
        case kVkTab:
            return {true, ScrollAxis::kNone, 0, false};
        case kVkUp:
            return {false, ScrollAxis::kVertical, -1, true};
        case kVkDown:
            return {false, ScrollAxis::kVertical, 1, true};
        case kVkLeft:
            return {false, ScrollAxis::kHorizontal, -1, true};
        case kVkRight:
            return {false, ScrollAxis::kHorizontal, 1, true};
        default:
            return {false, ScrollAxis::kNone, 0, true};
    }
}

int settledScrollPos(const ScrollBar& bar, int pos) {
    if (bar.max <= bar.min)
        return bar.min;
    const int64_t range = int64_t{bar.max} - bar.min + 1;
    const int64_t page = std::min<int64_t>(atLeastZero(bar.page), range);
    const int64_t highest = std::max<int64_t>(bar.max - std::max<int64_t>(page - 1, 0), bar.min);
    return toInt(std::clamp<int64_t>(pos, bar.min, highest));
}

ViewPoint pictureOrigin(int horizontalPos, int verticalPos) {
    return {toInt(int64_t{kPictureMargin} - horizontalPos),
            toInt(int64_t{kPictureMargin} - verticalPos)};
}
