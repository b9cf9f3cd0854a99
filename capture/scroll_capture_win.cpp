#include "capture/scroll_capture_win.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bmp_format.h"
#include "capture/step_recorder_win.h"

namespace {

// The client area as it is on the screen now, top-down.
bool Take(HWND window, stitch::Picture& picture) {
    RECT client{};
    GetClientRect(window, &client);
    POINT corner{0, 0};
    ClientToScreen(window, &corner);
    const RECT rect{corner.x, corner.y, corner.x + client.right, corner.y + client.bottom};
    std::vector<uint8_t> bottomUp;
    if (!StepRecorder::grab(rect, bottomUp))
        return false;
    const int width = client.right, height = client.bottom;
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
    // The repaint the scroll asked for, before the picture.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, answerMs, &result) != 0;
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
    if (!GetScrollInfo(window, SB_VERT, &info) ||
        info.nMax - info.nMin + 1 <= static_cast<int>(info.nPage)) {
        out.end = ScrollEnd::cannotScroll;
        out.page = std::move(visible);
        return out;
    }
    stitch::Stitcher stitcher(maxHeight);
    if (!stitcher.reserve(visible.width)) {
        out.end = ScrollEnd::noMemory;
        return out;
    }
    const int original = info.nPos;
    out.end = ScrollEnd::end;
    stitch::Picture picture;
    if (!Scroll(window, SB_TOP, answerMs)) {
        out.end = ScrollEnd::hung;
    } else if (!Take(window, picture)) {
        out.end = ScrollEnd::noPicture;
    } else {
        stitcher.add(picture);
        for (;;) {
            if (cancelled && cancelled()) {
                out.end = ScrollEnd::cancelled;
                break;
            }
            const int before = Position(window);
            if (!Scroll(window, SB_PAGEDOWN, answerMs)) {
                out.end = ScrollEnd::hung;
                break;
            }
            if (Position(window) == before || !Take(window, picture))
                break;
            const stitch::Outcome outcome = stitcher.add(picture);
            if (outcome == stitch::Outcome::added)
                continue;
            out.end = EndOf(outcome);
            break;
        }
    }
    // Back where the user had it; a window that hangs is asked nothing more.
    if (out.end != ScrollEnd::hung)
        Scroll(window, MAKEWPARAM(SB_THUMBPOSITION, original), answerMs);
    out.page = out.end == ScrollEnd::changed ? std::move(visible) : stitcher.result();
    return out;
}
