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
    ignored,       // the window moved at no scroll message: the visible part, for the hand
    noMemory,      // the tallest page could not be had: nothing
    noPicture,     // the screen could not be read: nothing
};

struct ScrollCapture {
    ScrollEnd end = ScrollEnd::noPicture;
    stitch::Picture page;
};

// The window's client area on the screen.
RECT ClientOnScreen(HWND window);

// `cancelled` is asked between the steps (Esc); each scroll message waits
// at most `answerMs` for the window.
ScrollCapture CaptureScrolling(HWND window, int maxHeight, const std::function<bool()>& cancelled,
                               UINT answerMs = 2000);

// The same by hand, for a program that scrolls at no message: the window
// is asked nothing and read again whenever `finished` returns false (the
// caller waits there for a moment, for Esc or the hot key again), each new
// picture stitched under the ones before. A picture that scrolled back or
// too far at once is left out; the page ends at `finished` (end), at the
// height limit, or when the window changes size (changed: the first
// picture alone).
ScrollCapture CaptureScrollingByHand(HWND window, int maxHeight,
                                     const std::function<bool()>& finished);
