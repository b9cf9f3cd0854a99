#include "capture/capture_geometry.h"

#include <algorithm>
#include <limits>

namespace {

// Window rectangles are the system's, but nothing stops them from lying at the
// ends of the 32-bit range, so every difference is taken in 64 bits.
bool fits32(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// One axis: the extent of the picture and the screen coordinate it starts at.
struct Span {
    int64_t size;
    int64_t source;
};

Span span(int32_t low, int32_t high, int32_t screenSize, bool cut) {
    if (!cut)
        return {int64_t{high} - low, low};
    const int64_t start = std::max<int64_t>(low, 0);
    return {std::min<int64_t>(high, screenSize) - start, start};
}

// The strip [from, to) along one axis, kept inside the picture [0, size).
void clipStrip(int64_t from, int64_t to, int64_t size, int32_t* at, int32_t* length) {
    from = std::max<int64_t>(from, 0);
    to = std::min<int64_t>(to, size);
    *at = static_cast<int32_t>(from);
    *length = static_cast<int32_t>(to - from);
}

}  // namespace

WindowCapturePlan planWindowCapture(const CaptureRect& window, int32_t screenWidth,
                                    int32_t screenHeight, int32_t offscreenBlack) {
    WindowCapturePlan plan{};
    const bool cut = offscreenBlack == 0;
    const Span x = span(window.left, window.right, screenWidth, cut);
    const Span y = span(window.top, window.bottom, screenHeight, cut);
    if (!fits32(x.size) || !fits32(y.size))
        return plan;  // width 0: no picture
    plan.width = static_cast<int32_t>(x.size);
    plan.height = static_cast<int32_t>(y.size);
    plan.sourceX = static_cast<int32_t>(x.source);
    plan.sourceY = static_cast<int32_t>(y.source);
    if (cut || plan.width <= 0 || plan.height <= 0)
        return plan;

    const int64_t w = x.size;
    const int64_t h = y.size;
    const int64_t left = window.left;
    const int64_t top = window.top;
    auto vertical = [&](int64_t from, int64_t to) {
        BlackStrip& s = plan.strips[plan.stripCount++];
        clipStrip(from, to, w, &s.x, &s.width);
        s.y = 0;
        s.height = plan.height;
    };
    auto horizontal = [&](int64_t from, int64_t to) {
        BlackStrip& s = plan.strips[plan.stripCount++];
        clipStrip(from, to, h, &s.y, &s.height);
        s.x = 0;
        s.width = plan.width;
    };
    if (window.left < 0)
        vertical(0, -left);
    if (window.right > screenWidth)
        vertical(screenWidth - left, w);
    if (window.top < 0)
        horizontal(0, -top);
    if (window.bottom > screenHeight)
        horizontal(screenHeight - top, h);
    return plan;
}

void pictureSize(const CaptureRect& rect, int32_t offscreenBlack, int32_t screenWidth,
                 int32_t screenHeight, int32_t* width, int32_t* height) {
    const WindowCapturePlan plan =
        planWindowCapture(rect, screenWidth, screenHeight, offscreenBlack);
    *width = plan.width;
    *height = plan.height;
}
