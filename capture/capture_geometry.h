// The size and placement of an active-window capture. Platform-free.
#pragma once

#include <cstdint>

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

// The picture size the writers derive from the capture rectangle, by the same
// rule (offscreenBlack 0 cuts, anything else does not).
void pictureSize(const CaptureRect& rect, int32_t offscreenBlack, int32_t screenWidth,
                 int32_t screenHeight, int32_t* width, int32_t* height);
