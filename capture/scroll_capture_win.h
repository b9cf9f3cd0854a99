// The scrolling capture's Win32 half: the window under the pointer is
// scrolled to its top, a picture of its client area taken after each page
// down, and the pictures stitched (capture/scroll_stitch.h) into one tall
// page; the scroll position is put back afterwards.
#pragma once

#include <windows.h>

#include <functional>

#include "capture/scroll_stitch.h"

enum class ScrollEnd {
    end,           // the page's end: the whole page was taken
    heightLimit,   // the page was cut at the height limit
    cancelled,     // Esc: what was stitched so far
    hung,          // the window stopped answering: what was stitched so far
    changed,       // the page changed while scrolling: the visible part alone
    cannotScroll,  // no vertical scroll bar: the visible part alone
    noMemory,      // the tallest page could not be had: nothing
    noPicture,     // the screen could not be read: nothing
};

struct ScrollCapture {
    ScrollEnd end = ScrollEnd::noPicture;
    stitch::Picture page;
};

// `cancelled` is asked between the steps (Esc); each scroll message waits
// at most `answerMs` for the window.
ScrollCapture CaptureScrolling(HWND window, int maxHeight, const std::function<bool()>& cancelled,
                               UINT answerMs = 2000);
