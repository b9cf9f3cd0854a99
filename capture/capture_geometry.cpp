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

Span span(int32_t low, int32_t high, int32_t screenLow, int32_t screenHigh, bool cut) {
    if (!cut)
        return {int64_t{high} - low, low};
    const int64_t start = std::max<int64_t>(low, screenLow);
    return {std::min<int64_t>(high, screenHigh) - start, start};
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
    return planWindowCaptureIn(window, {0, 0, screenWidth, screenHeight}, offscreenBlack);
}

WindowCapturePlan planWindowCaptureIn(const CaptureRect& window, const CaptureRect& bounds,
                                      int32_t offscreenBlack) {
    WindowCapturePlan plan{};
    const bool cut = offscreenBlack == 0;
    const Span x = span(window.left, window.right, bounds.left, bounds.right, cut);
    const Span y = span(window.top, window.bottom, bounds.top, bounds.bottom, cut);
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
    if (window.left < bounds.left)
        vertical(0, int64_t{bounds.left} - left);
    if (window.right > bounds.right)
        vertical(int64_t{bounds.right} - left, w);
    if (window.top < bounds.top)
        horizontal(0, int64_t{bounds.top} - top);
    if (window.bottom > bounds.bottom)
        horizontal(int64_t{bounds.bottom} - top, h);
    return plan;
}

void pictureSize(const CaptureRect& rect, int32_t offscreenBlack, int32_t screenWidth,
                 int32_t screenHeight, int32_t* width, int32_t* height) {
    const WindowCapturePlan plan =
        planWindowCapture(rect, screenWidth, screenHeight, offscreenBlack);
    *width = plan.width;
    *height = plan.height;
}

void pictureSizeIn(const CaptureRect& rect, int32_t offscreenBlack, const CaptureRect& bounds,
                   int32_t* width, int32_t* height) {
    const WindowCapturePlan plan = planWindowCaptureIn(rect, bounds, offscreenBlack);
    *width = plan.width;
    *height = plan.height;
}

std::vector<BlackStrip> uncoveredBlocks(const CaptureRect& area,
                                        const std::vector<CaptureRect>& monitors) {
    std::vector<BlackStrip> blocks;
    if (area.right <= area.left || area.bottom <= area.top)
        return blocks;
    // The monitors' edges cut the area into cells, each wholly on a
    // monitor or wholly off every one.
    std::vector<int64_t> xs{area.left, area.right}, ys{area.top, area.bottom};
    for (const CaptureRect& m : monitors) {
        for (int64_t x : {int64_t{m.left}, int64_t{m.right}})
            if (x > area.left && x < area.right)
                xs.push_back(x);
        for (int64_t y : {int64_t{m.top}, int64_t{m.bottom}})
            if (y > area.top && y < area.bottom)
                ys.push_back(y);
    }
    for (auto* edges : {&xs, &ys}) {
        std::sort(edges->begin(), edges->end());
        edges->erase(std::unique(edges->begin(), edges->end()), edges->end());
    }
    const auto covered = [&](int64_t x, int64_t y) {
        return std::any_of(monitors.begin(), monitors.end(), [&](const CaptureRect& m) {
            return x >= m.left && x < m.right && y >= m.top && y < m.bottom;
        });
    };
    for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
        std::size_t i = 0;
        while (i + 1 < xs.size()) {
            if (covered(xs[i], ys[j])) {
                ++i;
                continue;
            }
            std::size_t end = i + 1;
            while (end + 1 < xs.size() && !covered(xs[end], ys[j]))
                ++end;
            blocks.push_back(
                {static_cast<int32_t>(xs[i] - area.left), static_cast<int32_t>(ys[j] - area.top),
                 static_cast<int32_t>(xs[end] - xs[i]), static_cast<int32_t>(ys[j + 1] - ys[j])});
            i = end;
        }
    }
    return blocks;
}
