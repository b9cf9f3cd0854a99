#include "view/pane_layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

int toInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

// A size the platform would take as 0 is given as 0.
int size(int64_t v) {
    return toInt(std::max<int64_t>(v, 0));
}

PaneRect rect(int64_t x, int64_t y, int64_t width, int64_t height) {
    return {toInt(x), toInt(y), size(width), size(height)};
}

TrackLimits limits(int64_t minWidth, int64_t minHeight, int64_t maxWidth, int64_t maxHeight) {
    TrackLimits t{toInt(minWidth), toInt(minHeight), toInt(maxWidth), toInt(maxHeight)};
    t.maxWidth = std::max(t.maxWidth, t.minWidth);
    t.maxHeight = std::max(t.maxHeight, t.minHeight);
    return t;
}

}  // namespace

PaneRect tabControlRect(int clientWidth, int clientHeight, int toolbarHeight, int statusHeight,
                        int cyFrame, int cyEdge) {
    const int64_t f = cyFrame, e = cyEdge;
    const int64_t top = int64_t{toolbarHeight} + f + e;
    return rect(e, top, int64_t{clientWidth} - f - e,
                int64_t{clientHeight} - top - f - e - statusHeight);
}

PaneRect pageContainerRect(int tabWidth, int tabHeight, int cyFrame, int fontHeight) {
    const int64_t f = cyFrame;
    const int64_t header = 3 * f + fontHeight;
    return rect(f, header + f, int64_t{tabWidth} - 2 * f, int64_t{tabHeight} - header - 2 * f);
}

ImagePageLayout layoutImagePage(int containerWidth, int containerHeight, int cyFrame,
                                int frameHeight, bool layoutDone) {
    const int64_t w = std::max(containerWidth, 0), h = std::max(containerHeight, 0);
    const int64_t f = cyFrame;
    const int64_t frameX = -4 * f, frameWidth = w + 8 * f;

    ImagePageLayout out{};
    if (!layoutDone) {
        const int64_t half = h / 2;
        out.frame = rect(frameX, h - half, frameWidth, half + f);
        out.placeListPane = true;
        out.listPane = rect(0, 0, w, h - half);
        return out;
    }
    int64_t a = int64_t{frameHeight} - f;  // the frame's height inside the page
    int64_t top = h - a;
    if (top < 1 || a < 1) {
        top = h / 2;
        a = h - top - f;
    }
    out.frame = rect(frameX, top, frameWidth, a + f);
    return out;
}

PaneRect viewRectInFrame(int frameWidth, int frameHeight, int cxFrame) {
    const int64_t f = cxFrame;
    return rect(3 * f, 0, int64_t{frameWidth} - 8 * f, int64_t{frameHeight} - 2 * f);
}

PaneRect listPaneRectAboveFrame(int containerWidth, int containerHeight, int frameHeight,
                                int cxFrame) {
    return rect(0, 0, containerWidth, int64_t{containerHeight} - (int64_t{frameHeight} - cxFrame));
}

TrackLimits frameTrackLimits(int containerWidth, int containerHeight, int cxFrame, int cyFrame) {
    return limits(10 * int64_t{cxFrame}, 10 * int64_t{cyFrame},
                  int64_t{containerWidth} + 8 * int64_t{cxFrame},
                  int64_t{containerHeight} - 10 * int64_t{cyFrame});
}

TrackLimits listPaneTrackLimits(int containerWidth, int containerHeight, int cxFrame, int cyFrame,
                                int hScrollHeight) {
    return limits(10 * int64_t{cxFrame}, 10 * int64_t{cyFrame} + hScrollHeight, containerWidth,
                  int64_t{containerHeight} - 10 * int64_t{cyFrame});
}

TrackLimits viewTrackLimits(int containerWidth, int containerHeight, int cxFrame, int cyFrame) {
    return limits(10 * int64_t{cxFrame}, 10 * int64_t{cyFrame}, containerWidth,
                  int64_t{containerHeight} - 10 * int64_t{cyFrame});
}

int mapEdgeHitTest(int hit) {
    switch (hit) {
        case kHtTop:
        case kHtTopLeft:
        case kHtTopRight:
            return kHtTop;
        case kHtLeft:
        case kHtRight:
        case kHtBottom:
        case kHtBottomLeft:
        case kHtBottomRight:
            return kHtBorder;
        default:
            return hit;
    }
}
