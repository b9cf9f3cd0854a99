// The size and placement of an active-window capture. Platform-free.
#pragma once

#include <cstdint>
#include <vector>

struct CaptureRect {
    int32_t left, top, right, bottom;
};

// A block painted black after the copy, in picture coordinates.
struct BlackStrip {
    int32_t x, y, width, height;
};

struct WindowCapturePlan {
    int32_t width, height;     // picture size; <= 0 means an empty area (no picture)
    int32_t sourceX, sourceY;  // the screen point copied to picture (0,0)
    int32_t stripCount;
    BlackStrip strips[4];  // filled black after the copy
};

// How a window rectangle becomes a picture. offscreenBlack 0 cuts the window
// down to the screen: w = min(R,W) - max(L,0), h likewise, copied from
// (max(L,0), max(T,0)), no strips. 1 keeps the whole window, copied from (L,T),
// and blacks out what lay off the screen, in this order: left (L < 0), right
// (R > W), top (T < 0), bottom (B > H), each across the full other side.
// A strip never reaches outside the picture: a window wholly beyond an edge is
// black over its whole width or height. A size that does not fit in 32 bits
// cannot be a bitmap and is reported as an empty area. Callers refuse
// offscreenBlack values other than 0 and 1; any nonzero value keeps the window.
WindowCapturePlan planWindowCapture(const CaptureRect& window, int32_t screenWidth,
                                    int32_t screenHeight, int32_t offscreenBlack);
// The same rule against a screen whose corner need not be (0, 0): the
// virtual screen of several monitors, which reaches into negative
// coordinates when a monitor lies left of or above the primary one. With
// bounds {0, 0, W, H} it is planWindowCapture.
WindowCapturePlan planWindowCaptureIn(const CaptureRect& window, const CaptureRect& bounds,
                                      int32_t offscreenBlack);

// The picture size the writers derive from the capture rectangle, by the same
// rule (offscreenBlack 0 cuts, anything else does not).
void pictureSize(const CaptureRect& rect, int32_t offscreenBlack, int32_t screenWidth,
                 int32_t screenHeight, int32_t* width, int32_t* height);
void pictureSizeIn(const CaptureRect& rect, int32_t offscreenBlack, const CaptureRect& bounds,
                   int32_t* width, int32_t* height);

// The parts of `area` (screen coordinates) that lie on none of the
// monitors, as blocks in the coordinates of a picture whose (0, 0) is the
// area's top-left corner: the gaps of a virtual screen whose monitors
// differ in size or do not touch, and whatever lies beyond it. Rows of
// cells are merged left to right; an empty area has none.
std::vector<BlackStrip> uncoveredBlocks(const CaptureRect& area,
                                        const std::vector<CaptureRect>& monitors);
