#include "view/image_pane_win.h"

#include "settings/settings_store.h"
#include "view/pane_layout.h"

ImagePane* imagePane = nullptr;

namespace {

void Move(HWND window, const PaneRect& r) {
    MoveWindow(window, r.x, r.y, r.width, r.height, TRUE);
}

}  // namespace

void MakePaneFont(win::Font& font, TEXTMETRICA& metrics, HWND target, int weight, int italic) {
    const FontEntry& f = settingsStore.settings.generalFont;
    font.reset(CreateFontA(f.pointSize, 0, 0, 0, weight, italic, 0, 0, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                           FIXED_PITCH | FF_MODERN, f.faceName));
    {
        win::WindowDc dc(target);
        win::SelectGuard selected(dc.get(), font.get());
        GetTextMetricsA(dc.get(), &metrics);
    }
    PostMessageA(target, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
}

SIZE PaneWindowSize(HWND window) {
    RECT r{};
    if (window)
        GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

void AnswerTrackLimits(MINMAXINFO* info, const TrackLimits& limits) {
    info->ptMinTrackSize = {limits.minWidth, limits.minHeight};
    info->ptMaxTrackSize = {limits.maxWidth, limits.maxHeight};
}

void ImagePane::makeFont() {
    MakePaneFont(font, metrics, container, 400, 0);
}

void ImagePane::layoutPage() {
    if (!container)
        return;
    if (!fontMade) {
        makeFont();
        fontMade = 1;
    }
    const SIZE c = PaneWindowSize(container);
    const int f = GetSystemMetrics(SM_CYFRAME);
    const ImagePageLayout layout =
        layoutImagePage(c.cx, c.cy, f, PaneWindowSize(frame).cy, layoutDone != 0);
    if (layout.placeListPane)
        Move(listPane, layout.listPane);
    Move(frame, layout.frame);
    layoutDone = 1;
}

LRESULT CALLBACK ImageFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOVE:
        case WM_SIZE:
            if (imagePane && imagePane->frame && imagePane->view) {
                RECT client;
                GetClientRect(window, &client);
                MoveWindow(imagePane->view, 0, 0, client.right, client.bottom, TRUE);
                return 0;
            }
            break;
        case WM_GETMINMAXINFO:
            if (imagePane && imagePane->tabControl) {
                const SIZE c = PaneWindowSize(imagePane->container);
                AnswerTrackLimits(reinterpret_cast<MINMAXINFO*>(lParam),
                                  frameTrackLimits(c.cx, c.cy, GetSystemMetrics(SM_CXFRAME),
                                                   GetSystemMetrics(SM_CYFRAME)));
                return 0;
            }
            break;
        case WM_NCHITTEST:
            return mapEdgeHitTest(
                static_cast<int>(DefWindowProcA(window, message, wParam, lParam)));
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
