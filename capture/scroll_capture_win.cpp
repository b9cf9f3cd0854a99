#include "capture/scroll_capture_win.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bmp_format.h"
#include "capture/step_recorder_win.h"

RECT ClientOnScreen(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT corner{0, 0};
    ClientToScreen(window, &corner);
    return RECT{corner.x, corner.y, corner.x + client.right, corner.y + client.bottom};
}

namespace {

// The client area as it is on the screen now, top-down.
bool Take(HWND window, stitch::Picture& picture) {
    const RECT rect = ClientOnScreen(window);
    std::vector<uint8_t> bottomUp;
    if (!StepRecorder::grab(rect, bottomUp))
        return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const std::size_t stride = dibStride(width);
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bottomUp.data() + static_cast<std::size_t>(height - 1 - y) * stride;
        uint32_t* out = picture.pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            out[x] = static_cast<uint32_t>(row[3 * x]) |
                     static_cast<uint32_t>(row[3 * x + 1]) << 8 |
                     static_cast<uint32_t>(row[3 * x + 2]) << 16;
    }
    return true;
}

bool Scroll(HWND window, WPARAM how, UINT answerMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_VSCROLL, how, 0, SMTO_ABORTIFHUNG, answerMs, &result))
        return false;
    // The repaint the scroll asked for, before the picture: at once for a
    // window of this thread, when its queue is empty for another one.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, answerMs, &result) != 0;
}

// The picture once the window has painted: another program paints after
// it answers, so the screen is read until two reads a moment apart agree
// (at most kSettleMs).
constexpr DWORD kSettleStepMs = 40, kSettleMs = 600;
bool Settle(HWND window, stitch::Picture& picture) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        return true;
    stitch::Picture again;
    for (DWORD waited = 0; waited < kSettleMs; waited += kSettleStepMs) {
        Sleep(kSettleStepMs);
        if (!Take(window, again))
            return false;
        if (again.pixels == picture.pixels)
            return true;
        picture = std::move(again);
    }
    return true;
}

bool TakeSettled(HWND window, stitch::Picture& picture) {
    return Take(window, picture) && Settle(window, picture);
}

int Position(HWND window) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    return GetScrollInfo(window, SB_VERT, &info) ? info.nPos : 0;
}

ScrollEnd EndOf(stitch::Outcome outcome) {
    switch (outcome) {
        case stitch::Outcome::unchanged:
            return ScrollEnd::end;
        case stitch::Outcome::heightLimit:
            return ScrollEnd::heightLimit;
        default:
            return ScrollEnd::changed;
    }
}

// From the top a page at a time, each picture stitched, until the end.
ScrollEnd stepDown(HWND window, stitch::Stitcher& stitcher, bool positionKnown,
                   const std::function<bool()>& cancelled, UINT answerMs) {
    stitch::Picture picture;
    if (!Scroll(window, SB_TOP, answerMs))
        return ScrollEnd::hung;
    if (!TakeSettled(window, picture))
        return ScrollEnd::noPicture;
    stitcher.add(picture);
    for (bool first = true;; first = false) {
        if (cancelled && cancelled())
            return ScrollEnd::cancelled;
        const int before = Position(window);
        if (!Scroll(window, SB_PAGEDOWN, answerMs))
            return ScrollEnd::hung;
        // The first page down that moves nothing: the program takes no
        // scroll message (or its page is one screen).
        if (positionKnown && Position(window) == before)
            return first ? ScrollEnd::ignored : ScrollEnd::end;
        if (!TakeSettled(window, picture))
            return ScrollEnd::end;
        const stitch::Outcome outcome = stitcher.add(picture);
        if (first && outcome == stitch::Outcome::unchanged)
            return ScrollEnd::ignored;
        if (outcome != stitch::Outcome::added)
            return EndOf(outcome);
    }
}

// Back to the picture the user had, a line at a time from the top, where
// the position cannot be read (Wine keeps another program's scroll bar
// out of reach).
void ScrollBackTo(HWND window, const stitch::Picture& visible, int maxHeight, UINT answerMs) {
    if (!Scroll(window, SB_TOP, answerMs))
        return;
    stitch::Picture now, before;
    for (int line = 0; line < maxHeight && TakeSettled(window, now); ++line) {
        if (now.pixels == visible.pixels || now.pixels == before.pixels)
            return;
        before = std::move(now);
        if (!Scroll(window, SB_LINEDOWN, answerMs))
            return;
    }
}

}  // namespace

ScrollCapture CaptureScrolling(HWND window, int maxHeight, const std::function<bool()>& cancelled,
                               UINT answerMs) {
    ScrollCapture out;
    stitch::Picture visible;
    if (!Take(window, visible))
        return out;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    const bool known = GetScrollInfo(window, SB_VERT, &info) != FALSE;
    const bool scrolls = known ? info.nMax - info.nMin + 1 > static_cast<int>(info.nPage)
                               : (GetWindowLongA(window, GWL_STYLE) & WS_VSCROLL) != 0;
    if (!scrolls) {
        out.end = ScrollEnd::cannotScroll;
        out.page = std::move(visible);
        return out;
    }
    stitch::Stitcher stitcher(maxHeight);
    if (!stitcher.reserve(visible.width)) {
        out.end = ScrollEnd::noMemory;
        return out;
    }
    out.end = stepDown(window, stitcher, known, cancelled, answerMs);
    // Back where the user had it; a window that hangs is asked nothing more.
    if (out.end != ScrollEnd::hung) {
        if (known)
            Scroll(window, MAKEWPARAM(SB_THUMBPOSITION, info.nPos), answerMs);
        else
            ScrollBackTo(window, visible, maxHeight, answerMs);
    }
    out.page = out.end == ScrollEnd::changed ? std::move(visible) : stitcher.take();
    return out;
}

ScrollCapture CaptureScrollingByHand(HWND window, int maxHeight,
                                     const std::function<bool()>& finished) {
    ScrollCapture out;
    stitch::Picture first;
    if (!TakeSettled(window, first))
        return out;
    stitch::Stitcher stitcher(maxHeight);
    if (!stitcher.reserve(first.width)) {
        out.end = ScrollEnd::noMemory;
        return out;
    }
    out.end = stitcher.add(first) == stitch::Outcome::heightLimit ? ScrollEnd::heightLimit
                                                                   : ScrollEnd::end;
    stitch::Picture seen = first, now;
    while (out.end == ScrollEnd::end && !finished()) {
        if (!IsWindow(window))
            break;
        // Read again only once the picture moves, and stitched once the
        // program has painted it all.
        if (!Take(window, now) || now.pixels == seen.pixels || !Settle(window, now))
            continue;
        switch (stitcher.add(now)) {
            case stitch::Outcome::heightLimit:
                out.end = ScrollEnd::heightLimit;
                break;
            case stitch::Outcome::otherSize:
                out.end = ScrollEnd::changed;
                break;
            default:
                break;
        }
        seen = std::move(now);
    }
    out.page = out.end == ScrollEnd::changed ? std::move(first) : stitcher.take();
    return out;
}
