// The scrolling capture on a window of our own: a page of rows each of its
// own colour under a fixed header, scrolled by the page; the tall picture
// must be the page's whole content with the header once, and the scroll
// position as the user had it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "capture/scroll_capture_win.h"
#include "capture/scroll_tip_win.h"
#include "tests/win32/fixtures/scroll_page_win.h"

namespace {

using namespace scroll_page;

int position = 0;
bool frozen = false;  // paints no scroll (a page that ignores it)
int paints = 0;       // a page that changes at each paint (an animation) when > 0
int footer = 0;       // rows of a fixed footer

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_VSCROLL: {
            const int page = kView - kHeader, last = kContent - page;
            switch (LOWORD(wParam)) {
                case SB_TOP:
                    position = 0;
                    break;
                case SB_PAGEDOWN:
                    position += page - 24;
                    break;
                case SB_THUMBPOSITION:
                    position = HIWORD(wParam);
                    break;
            }
            position = std::clamp(position, 0, last);
            if (frozen)
                return 0;
            SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, position, 0};
            SetScrollInfo(window, SB_VERT, &info, TRUE);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            Paint(dc, position, paints > 0 ? paints++ : 0, footer);
            EndPaint(window, &ps);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakePage() {
    HWND window = MakeWindow(PageProc, "ZelcapScrollPage", 40, 40, kWidth, kView, kContent,
                             kView - kHeader);
    UpdateWindow(window);
    return window;
}

struct Case {
    const char* what;
    bool frozen;
    bool animated;
    int maxHeight;
    ScrollEnd end;
    int height;  // of the page taken
};

TEST(ScrollCapture, ThePagesWholeContentWithItsHeaderOnceAndThePositionPutBack) {
    const Case cases[] = {
        {"the whole page", false, false, 20000, ScrollEnd::end, kHeader + kContent},
        {"cut at the limit", false, false, 500, ScrollEnd::heightLimit, 500},
        {"a page that ignores the scroll", true, false, 20000, ScrollEnd::ignored, kView},
        {"an animation", false, true, 20000, ScrollEnd::changed, kView},
    };
    for (const Case& c : cases) {
        HWND window = MakePage();
        position = 37;
        frozen = false;
        SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 37), 0);
        UpdateWindow(window);
        frozen = c.frozen;
        paints = c.animated ? 1 : 0;
        const ScrollCapture taken = CaptureScrolling(window, c.maxHeight, nullptr);
        frozen = false;
        EXPECT_EQ(taken.end, c.end) << c.what;
        ASSERT_EQ(taken.page.height, c.height) << c.what;
        ASSERT_EQ(taken.page.width, kWidth) << c.what;
        EXPECT_EQ(position, 37) << c.what;
        if (c.end == ScrollEnd::end && !c.frozen) {
            int wrong = 0;
            for (int y = kHeader; y < taken.page.height; ++y)
                wrong += taken.page.row(y)[kWidth / 2] != RowColour(y - kHeader);
            EXPECT_EQ(wrong, 0) << c.what;
            EXPECT_EQ(taken.page.row(0)[0], kHeaderGrey) << c.what;
        }
        DestroyWindow(window);
    }
}

// What was painted, on the screen: Wine shows a window a moment after it is
// made, and puts what a thread painted there while the thread looks at its
// messages.
void OnScreen() {
    for (int i = 0; i < 6; ++i) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(15);
    }
}

struct HandCase {
    const char* what;
    std::vector<int> positions;  // where the user scrolls, one a look
    int maxHeight;
    ScrollEnd end;
    int height;
};

TEST(ScrollCapture, ByHandThePagesTheUserScrolledWithHeaderAndFooterOnce) {
    const int view = kView - kHeader - kFooter, last = kContent - view;
    const HandCase cases[] = {
        {"a page at a time to the end", {140, 280, 420, 560, 700, 840, last, last}, 20000,
         ScrollEnd::end, kView + kContent - view},
        {"back a little, too far at once, on again",
         {100, 40, 200, 900, 340, 480, 620, 760, last}, 20000, ScrollEnd::end,
         kView + kContent - view},
        {"not scrolled at all", {0, 0}, 20000, ScrollEnd::end, kView},
        {"cut at the limit", {140, 280, 420, 560, 700, 840, last}, 400, ScrollEnd::heightLimit,
         400},
    };
    footer = kFooter;
    paints = 0;
    for (const HandCase& c : cases) {
        position = 0;
        HWND window = MakePage();
        OnScreen();
        std::size_t next = 0;
        const ScrollCapture taken = CaptureScrollingByHand(window, c.maxHeight, [&] {
            if (next == c.positions.size())
                return true;
            position = c.positions[next++];
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            OnScreen();
            return false;
        });
        EXPECT_EQ(taken.end, c.end) << c.what;
        ASSERT_EQ(taken.page.height, c.height) << c.what;
        if (c.end == ScrollEnd::end) {
            // The header, the rows from the top as far as they went, the footer.
            const int h = taken.page.height;
            int wrong = 0;
            for (int y = 0; y < h; ++y)
                wrong += taken.page.row(y)[kWidth / 2] !=
                         (y >= h - kFooter ? kFooterGrey : WholePageColour(y));
            EXPECT_EQ(wrong, 0) << c.what;
        }
        DestroyWindow(window);
    }
    footer = 0;
}

TEST(ScrollCapture, TheTipByHandStandsClearOfTheClientArea) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    struct TipCase {
        const char* what;
        RECT window;
    } const cases[] = {
        {"a small window", {60, 60, 300, 300}},
        {"a window at the bottom right", {work.right - 240, work.bottom - 240, work.right, work.bottom}},
        {"a window filling the work area", work},
    };
    for (const TipCase& c : cases) {
        HWND window = CreateWindowExA(0, "STATIC", "長いページ", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                                      c.window.left, c.window.top, c.window.right - c.window.left,
                                      c.window.bottom - c.window.top, nullptr, nullptr, nullptr,
                                      nullptr);
        const RECT client = ClientOnScreen(window);
        {
            const ScrollTip tip(window, "ウィンドウを手でスクロールしてください。\n撮り終えたら Esc キーを押してください。");
            ASSERT_TRUE(tip.window()) << c.what;
            RECT at{}, overlap{};
            GetWindowRect(tip.window(), &at);
            EXPECT_FALSE(IntersectRect(&overlap, &at, &client)) << c.what;
            EXPECT_GT(at.right - at.left, 40) << c.what;
            EXPECT_NE(GetForegroundWindow(), tip.window()) << c.what;
        }
        DestroyWindow(window);
    }
}

TEST(ScrollCapture, AWindowWithoutAScrollBarIsItsVisiblePart) {
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "固定", WS_POPUP | WS_VISIBLE, 40, 40,
                                  120, 80, nullptr, nullptr, nullptr, nullptr);
    UpdateWindow(window);
    const ScrollCapture taken = CaptureScrolling(window, 20000, nullptr);
    EXPECT_EQ(taken.end, ScrollEnd::cannotScroll);
    EXPECT_EQ(taken.page.height, 80);
    DestroyWindow(window);
}

}  // namespace
