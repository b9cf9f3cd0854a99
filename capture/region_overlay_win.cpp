#include "capture/region_overlay_win.h"

#include <windowsx.h>

#include <cstdio>
#include <cstring>

#include "base/win_handles_win.h"

const char kRegionOverlayTitle[] = "範囲指定";

namespace {

const char kOverlayClass[] = "ZelcapRegionOverlay";
const char kHint[] = "ドラッグで範囲を指定してください（Escで取り消し）";
constexpr COLORREF kFrameColour = RGB(255, 0, 0);
constexpr COLORREF kLabelColour = RGB(255, 255, 225);

struct Overlay {
    HBITMAP frozen = nullptr;
    int width = 0, height = 0;
    // The overlay's client (0, 0) in screen coordinates: the virtual
    // screen's corner. Drags are kept in client coordinates.
    int originX = 0, originY = 0;
    win::MemoryDc frozenDc;
    win::MemoryDc backDc;
    win::Bitmap back;
    bool dragging = false;
    POINT start{}, current{};
    bool done = false, cancelled = false;
    CaptureRegion region;
};

void DrawLabel(HDC dc, int x, int y, const char* text) {
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &extent);
    RECT box{x, y, x + extent.cx + 8, y + extent.cy + 4};
    win::GdiObject brush(CreateSolidBrush(kLabelColour));
    FillRect(dc, &box, static_cast<HBRUSH>(brush.get()));
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, x + 4, y + 2, text, static_cast<int>(std::strlen(text)));
}

// The frozen screen, the frame and the label drawn off screen, then shown
// in one copy: drawing onto the window itself flickers at every move.
void Paint(HWND window, Overlay& o) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (o.backDc && o.frozenDc) {
        HDC back = o.backDc.get();
        BitBlt(back, 0, 0, o.width, o.height, o.frozenDc.get(), 0, 0, SRCCOPY);
        win::SelectGuard font(back, GetStockObject(DEFAULT_GUI_FONT));
        if (o.dragging) {
            const CaptureRegion r = capture_extras::dragRegion(o.start.x, o.start.y, o.current.x,
                                                               o.current.y, o.width, o.height);
            if (!r.empty()) {
                win::GdiObject brush(CreateSolidBrush(kFrameColour));
                RECT frame{r.left, r.top, r.right, r.bottom};
                FrameRect(back, &frame, static_cast<HBRUSH>(brush.get()));
                char size[48];
                std::snprintf(size, sizeof size, "%d × %d", r.width(), r.height());
                DrawLabel(back, o.current.x + 16, o.current.y + 16, size);
            }
        } else {
            // On the primary monitor, where the user looks first.
            DrawLabel(back, 8 - o.originX, 8 - o.originY, kHint);
        }
        BitBlt(dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
               paint.rcPaint.bottom - paint.rcPaint.top, back, paint.rcPaint.left,
               paint.rcPaint.top, SRCCOPY);
    }
    EndPaint(window, &paint);
}

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

LRESULT CALLBACK OverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* o = reinterpret_cast<Overlay*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (!o)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint(window, *o);
            return 0;
        case WM_LBUTTONDOWN:
            o->dragging = true;
            o->start = o->current = PointOf(lParam);
            SetCapture(window);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_MOUSEMOVE:
            if (o->dragging) {
                o->current = PointOf(lParam);
                InvalidateRect(window, nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONUP:
            if (o->dragging) {
                o->dragging = false;
                ReleaseCapture();
                o->current = PointOf(lParam);
                const CaptureRegion r = capture_extras::dragRegion(
                    o->start.x, o->start.y, o->current.x, o->current.y, o->width, o->height);
                // A click without a drag picks nothing: the user may start again.
                if (r.width() >= 2 && r.height() >= 2) {
                    o->region = {r.left + o->originX, r.top + o->originY, r.right + o->originX,
                                 r.bottom + o->originY};
                    o->done = true;
                }
                InvalidateRect(window, nullptr, FALSE);
            }
            return 0;
        case WM_RBUTTONDOWN:
            o->cancelled = true;
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE)
                o->cancelled = true;
            return 0;
        case WM_CAPTURECHANGED:
            o->dragging = false;
            return 0;
        case WM_CLOSE:
            o->cancelled = true;
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterOverlayClass(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, kOverlayClass, &wc))
        return true;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = OverlayProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    wc.lpszClassName = kOverlayClass;
    return RegisterClassExA(&wc) != 0;
}

}  // namespace

bool PickRegionIn(HINSTANCE instance, HBITMAP frozen, const CaptureRegion& screen,
                  CaptureRegion& region) {
    const int width = screen.width(), height = screen.height();
    if (!frozen || screen.empty() || !RegisterOverlayClass(instance))
        return false;
    Overlay o;
    o.frozen = frozen;
    o.width = width;
    o.height = height;
    o.originX = screen.left;
    o.originY = screen.top;
    {
        win::WindowDc display(nullptr);
        o.frozenDc.reset(CreateCompatibleDC(display.get()));
        o.backDc.reset(CreateCompatibleDC(display.get()));
        o.back.reset(CreateCompatibleBitmap(display.get(), width, height));
    }
    if (!o.frozenDc || !o.backDc || !o.back)
        return false;
    win::SelectGuard frozenSelected(o.frozenDc.get(), frozen);
    win::SelectGuard backSelected(o.backDc.get(), o.back.get());

    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kOverlayClass,
                                  kRegionOverlayTitle, WS_POPUP | WS_VISIBLE, screen.left,
                                  screen.top, width, height, nullptr, nullptr, instance, &o);
    if (!window)
        return false;
    SetForegroundWindow(window);
    SetFocus(window);
    bool quit = false;
    int exitCode = 0;
    MSG message;
    while (!o.done && !o.cancelled) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the loop that called us must see it.
            quit = got == 0;
            exitCode = static_cast<int>(message.wParam);
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyWindow(window);
    if (quit)
        PostQuitMessage(exitCode);
    if (!o.done)
        return false;
    region = o.region;
    return true;
}
