#include "capture/scroll_tip_win.h"

#include <algorithm>

#include "base/win_handles_win.h"
#include "capture/scroll_capture_win.h"

// What the tip paints, and how: wrapped in a box, or one line.
struct TipText {
    std::string text;
    UINT format = DT_WORDBREAK | DT_NOPREFIX;
};

namespace {

constexpr const char* kTipClass = "ZelcapScrollTip";
constexpr int kTextWidth = 300, kPadding = 8, kGap = 6;

LRESULT CALLBACK TipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(
                                                     reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client{};
        GetClientRect(window, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
        const auto* tip = reinterpret_cast<const TipText*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (tip) {
            const int padding = (tip->format & DT_SINGLELINE) ? 2 : kPadding;
            InflateRect(&client, -padding, -padding);
            win::SelectGuard font(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
            DrawTextA(dc, tip->text.c_str(), -1, &client, tip->format);
        }
        EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    return DefWindowProcA(window, message, wParam, lParam);
}

SIZE TextSize(const std::string& text, UINT format, int width) {
    win::WindowDc screen(nullptr);
    RECT rect{0, 0, width, 0};
    win::SelectGuard font(screen.get(), GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(screen.get(), text.c_str(), -1, &rect, (format & ~DT_END_ELLIPSIS) | DT_CALCRECT);
    return SIZE{rect.right, rect.bottom};
}

// Under the window, else over it, to its right or to its left, within the
// work area of its monitor and clear of the client area the pictures are
// taken of; for a window that fills the work area, one line over its title
// bar; the work area's bottom left corner when not even that is free.
RECT Place(HWND target, const std::string& text, TipText& tip) {
    RECT around{};
    GetWindowRect(GetAncestor(target, GA_ROOT), &around);
    const RECT client = ClientOnScreen(target);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(target, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    SIZE size = TextSize(text, tip.format, kTextWidth);
    size.cx += 2 * kPadding + 2;
    size.cy += 2 * kPadding + 2;
    const POINT tries[] = {
        {around.left, around.bottom + kGap},
        {around.left, around.top - kGap - size.cy},
        {around.right + kGap, around.top},
        {around.left - kGap - size.cx, around.top},
    };
    for (POINT p : tries) {
        p.x = std::max(work.left, std::min(p.x, work.right - size.cx));
        p.y = std::max(work.top, std::min(p.y, work.bottom - size.cy));
        const RECT rect{p.x, p.y, p.x + size.cx, p.y + size.cy};
        RECT overlap{};
        if (!IntersectRect(&overlap, &rect, &client))
            return rect;
    }
    tip.format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER;
    std::replace(tip.text.begin(), tip.text.end(), '\n', ' ');
    const SIZE line = TextSize(tip.text, tip.format, 0);
    const RECT strip{std::max(around.left, work.left), std::max(around.top, work.top),
                     std::min(client.right, work.right), client.top};
    if (strip.bottom - strip.top >= line.cy + 4 && strip.right > strip.left)
        return RECT{strip.left, strip.top, std::min(strip.right, strip.left + line.cx + 6),
                    strip.bottom};
    tip.format = DT_WORDBREAK | DT_NOPREFIX;
    tip.text = text;
    return RECT{work.left, work.bottom - size.cy, work.left + size.cx, work.bottom};
}

}  // namespace

ScrollTip::ScrollTip(HWND target, const std::string& text) : tip_(std::make_unique<TipText>()) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TipProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kTipClass;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    tip_->text = text;
    // The single line over a title bar goes without the border.
    const RECT at = Place(target, text, *tip_);
    const DWORD border = (tip_->format & DT_SINGLELINE) ? 0 : WS_BORDER;
    window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kTipClass,
                              "スクロールキャプチャー", WS_POPUP | border, at.left, at.top,
                              at.right - at.left, at.bottom - at.top, nullptr, nullptr,
                              wc.hInstance, tip_.get());
    if (window_) {
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
    }
}

ScrollTip::~ScrollTip() {
    if (window_)
        DestroyWindow(window_);
}
