#include "capture/decoration_math.h"

#include <limits>

namespace {

int32_t Clamp32(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

}  // namespace

DecorationPoint estimateNonClient(int32_t x, int32_t y, const NonClientMetrics& m,
                                  int32_t windowHeight, int32_t clientHeight) {
    const int64_t menu = m.menuY;
    int64_t outX = int64_t{x} + m.dlgFrameX + m.borderX;
    int64_t outY = int64_t{y} + menu + m.captionY + m.dlgFrameY + m.borderY;
    const int64_t base =
        int64_t{clientHeight} + m.captionY + 2 * (int64_t{m.dlgFrameY} + m.borderY);
    int64_t lines = windowHeight == base ? 0 : 1;
    // Each wrapped menu line adds one menu height less the shared edge. Counted
    // in one step rather than line by line: a menu height of 0 or less would
    // never let a line-by-line count end.
    const int64_t excess = int64_t{windowHeight} - (base + menu * lines);
    if (excess > 0 && menu > 0) {
        const int64_t extra = (excess + menu - 1) / menu;
        outY += extra * (menu - 1);
        lines += extra;
    }
    if (lines == 0)
        outY -= menu;
    return {Clamp32(outX), Clamp32(outY)};
}

bool containsInclusive(const CaptureRect& r, int32_t x, int32_t y) {
    return r.left <= x && x <= r.right && r.top <= y && y <= r.bottom;
}

bool withinClientSize(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight) {
    return 0 <= x && x <= clientWidth && 0 <= y && y <= clientHeight;
}

CaptureRect rectAtOrigin(const CaptureRect& window) {
    return {0, 0, Clamp32(int64_t{window.right} - window.left),
            Clamp32(int64_t{window.bottom} - window.top)};
}

CaptureRect rectRelativeTo(const CaptureRect& child, const CaptureRect& topLevel) {
    return {Clamp32(int64_t{child.left} - topLevel.left),
            Clamp32(int64_t{child.top} - topLevel.top),
            Clamp32(int64_t{child.right} - topLevel.left),
            Clamp32(int64_t{child.bottom} - topLevel.top)};
}
