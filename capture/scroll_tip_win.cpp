#include "capture/scroll_tip_win.h"

#include <algorithm>

#include "base/win_handles_win.h"

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
        InflateRect(&client, -kPadding, -kPadding);
        {
            win::SelectGuard font(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
            const auto* text = reinterpret_cast<const std::string*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            if (text)
                DrawTextA(dc, text->c_str(), -1, &client, DT_WORDBREAK | DT_NOPREFIX);
        }
        EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    return DefWindowProcA(window, message, wParam, lParam);
}

SIZE TextSize(const std::string& text) {
    win::WindowDc screen(nullptr);
    RECT rect{0, 0, kTextWidth, 0};
    win::SelectGuard font(screen.get(), GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(screen.get(), text.c_str(), -1, &rect, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    return SIZE{rect.right + 2 * kPadding + 2, rect.bottom + 2 * kPadding + 2};
}

// Under the window, else over it, to its right or to its left, within the
// work area of its monitor; the work area's bottom left corner when the
// window fills it.
POINT Place(HWND target, SIZE size) {
    RECT around{};
    GetWindowRect(GetAncestor(target, GA_ROOT), &around);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(target, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    const POINT tries[] = {
        {around.left, around.bottom + kGap},
        {around.left, around.top - kGap - size.cy},
        {around.right + kGap, around.top},
        {around.left - kGap - size.cx, around.top},
    };
    for (POINT p : tries) {
        p.x = std::max(work.left, std::min(p.x, work.right - size.cx));
        p.y = std::max(work.top, std::min(p.y, work.bottom - size.cy));
        const RECT tip{p.x, p.y, p.x + size.cx, p.y + size.cy};
        RECT overlap{};
        if (!IntersectRect(&overlap, &tip, &around))
            return p;
    }
    return POINT{work.left, work.bottom - size.cy};
}

}  // namespace

ScrollTip::ScrollTip(HWND target, const std::string& text) : text_(text) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TipProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kTipClass;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    const SIZE size = TextSize(text_);
    const POINT at = Place(target, size);
    window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kTipClass,
                              "スクロールキャプチャー", WS_POPUP | WS_BORDER, at.x, at.y, size.cx,
                              size.cy, nullptr, nullptr, wc.hInstance, &text_);
    if (window_) {
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
    }
}

ScrollTip::~ScrollTip() {
    if (window_)
        DestroyWindow(window_);
}
