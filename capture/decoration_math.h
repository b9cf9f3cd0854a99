// The arithmetic behind the capture decorations: where a window-relative
// point lands, the inclusive rectangle test and the window-mode rectangles.
// Platform-free.
#pragma once

#include <cstdint>

#include "capture/capture_geometry.h"

struct DecorationPoint {
    int32_t x, y;
};

// The system metrics the non-client estimate adds up.
struct NonClientMetrics {
    int32_t dlgFrameX, borderX;                   // SM_CXDLGFRAME, SM_CXBORDER
    int32_t menuY, captionY, dlgFrameY, borderY;  // SM_CYMENU, SM_CYCAPTION, ...
};

// Moves a client point to where it lies in the window's picture by adding a
// standard frame, caption and menu bar, then corrects for a window without a
// menu bar or with one wrapped onto several lines, judged from the window
// height against the client height.
DecorationPoint estimateNonClient(int32_t x, int32_t y, const NonClientMetrics& m,
                                  int32_t windowHeight, int32_t clientHeight);

// Inclusive on all four edges.
bool containsInclusive(const CaptureRect& r, int32_t x, int32_t y);

// 0 <= x <= width and 0 <= y <= height.
bool withinClientSize(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight);

// A top-level window's rectangle moved to the picture origin.
CaptureRect rectAtOrigin(const CaptureRect& window);

// A child's rectangle relative to the top-level window's top-left corner.
CaptureRect rectRelativeTo(const CaptureRect& child, const CaptureRect& topLevel);
