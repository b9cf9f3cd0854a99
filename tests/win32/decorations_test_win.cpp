// The decorated capture kinds on the real screen under Wine: the cursor is put
// over a test window of a known colour and the saved picture is read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/app_state_win.h"
#include "capture/capturer_win.h"
#include "capture/decoration_math.h"
#include "capture/decorations_win.h"
#include "history/history.h"
#include "settings/settings_store.h"
#include "tests/win32/support/capture_fixture.h"

using testsupport::Bmp;
using testsupport::ReadFileBytes;

namespace {

constexpr uint32_t kFrameRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000C8;
constexpr COLORREF kBlueRef = RGB(0, 0, 200);

LRESULT CALLBACK FillProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        HBRUSH b = CreateSolidBrush(kBlueRef);
        FillRect(dc, &r, b);
        DeleteObject(b);
        EndPaint(w, &ps);
        return 0;
    }
    if (m == WM_ERASEBKGND)
        return 1;
    return DefWindowProcA(w, m, wp, lp);
}

// A titled, borderless blue window on top, made the foreground window.
class BlueWindow {
  public:
    BlueWindow(int x, int y, int width, int height) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = FillProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = "ZelcapTestBlue";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "blue", WS_POPUP, x, y, width,
                                  height, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
        RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
        testsupport::PumpPending();
        GdiFlush();
        Sleep(50);
        testsupport::PumpPending();
    }
    ~BlueWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

  private:
    HWND window_ = nullptr;
};

class DecorationTest : public testsupport::CaptureFixture {
  protected:
    // Captures with the cursor at (x, y) and reads the file back.
    Bmp CaptureAt(int hotKeyId, int x, int y) {
        EXPECT_TRUE(SetCursorPos(x, y));
        testsupport::PumpPending();
        capturer.setNextNumber(1);
        const int result = capturer.capture(owner_, hotKeyId).target;
        EXPECT_EQ(result, hotKeyId % 2 == 0 ? 1 : 2);
        Bmp bmp;
        EXPECT_TRUE(bmp.load(folder_->path() + "\\1.bmp"));
        return bmp;
    }
};

TEST_F(DecorationTest, ScreenFrameOutlinesTheWholeWindowUnderTheCursor) {
    BlueWindow window(100, 120, 64, 48);
    const Bmp bmp = CaptureAt(105, 130, 140);
    ASSERT_GT(bmp.width, 200);
    EXPECT_EQ(bmp.at(100, 144), kFrameRed);  // left edge
    EXPECT_EQ(bmp.at(130, 120), kFrameRed);  // top edge
    EXPECT_EQ(bmp.at(164, 144), kFrameRed);  // right edge, on the rectangle's right
    EXPECT_EQ(bmp.at(130, 168), kFrameRed);  // bottom edge
    EXPECT_EQ(bmp.at(130, 144), kBlue);      // inside untouched
    EXPECT_EQ(bmp.at(110, 130), kBlue);
}

TEST_F(DecorationTest, WindowFrameNeedsTheCursorPastTheScreenOrigin) {
    BlueWindow window(0, 100, 64, 48);
    const Bmp plain = CaptureAt(104, 0, 120);
    ASSERT_EQ(plain.width, 64);
    for (int y = 0; y < 48; y += 4) {
        ASSERT_EQ(plain.at(0, y), kBlue) << y;
        ASSERT_EQ(plain.at(63, y), kBlue) << y;
    }
    SetForegroundWindow(window.get());
    const Bmp framed = CaptureAt(104, 10, 120);
    ASSERT_EQ(framed.width, 64);
    EXPECT_EQ(framed.at(0, 24), kFrameRed);
    EXPECT_EQ(framed.at(30, 0), kFrameRed);
    EXPECT_EQ(framed.at(30, 24), kBlue);
}

// Every pixel of the 20 x 20 block is either the window's blue (white cell
// pixels let it through) or the marker's red; returns the red count.
int CountMarkerRed(const Bmp& bmp, int x0, int y0) {
    int red = 0;
    for (int y = y0; y < y0 + 20; ++y)
        for (int x = x0; x < x0 + 20; ++x) {
            const uint32_t c = bmp.at(x, y);
            EXPECT_TRUE(c == kBlue || c == kFrameRed) << x << "," << y << " " << std::hex << c;
            red += c == kFrameRed;
        }
    return red;
}

TEST_F(DecorationTest, ScreenMarkerLaysTheCircleFromTheCursorPoint) {
    settingsStore.settings.hotKeys[5].markerChoice = 1;
    BlueWindow window(100, 120, 100, 100);
    const Bmp bmp = CaptureAt(107, 140, 150);
    EXPECT_GT(CountMarkerRed(bmp, 140, 150), 30);
    EXPECT_EQ(bmp.at(140, 150), kBlue);      // the cell's white corner
    EXPECT_EQ(bmp.at(150, 160), kBlue);      // the circle's inside
    EXPECT_EQ(bmp.at(150, 151), kFrameRed);  // the circle's top
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(bmp.at(139, 150 + i), kBlue);
        ASSERT_EQ(bmp.at(160, 150 + i), kBlue);
        ASSERT_EQ(bmp.at(140 + i, 170), kBlue);
    }
}

TEST_F(DecorationTest, WindowMarkerSitsWhereTheNonClientEstimatePutsIt) {
    settingsStore.settings.hotKeys[4].markerChoice = 1;
    BlueWindow window(100, 100, 160, 160);
    const Bmp bmp = CaptureAt(106, 110, 110);
    ASSERT_EQ(bmp.width, 160);
    const NonClientMetrics m{GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CXBORDER),
                             GetSystemMetrics(SM_CYMENU),     GetSystemMetrics(SM_CYCAPTION),
                             GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYBORDER)};
    // A popup's client area is its window, so the client point is (10, 10).
    const DecorationPoint p = estimateNonClient(10, 10, m, 160, 160);
    ASSERT_LE(p.x + 20, 160);
    ASSERT_LE(p.y + 20, 160);
    EXPECT_GT(CountMarkerRed(bmp, p.x, p.y), 30);
    EXPECT_EQ(bmp.at(p.x + 10, p.y + 1), kFrameRed);
    EXPECT_EQ(bmp.at(p.x - 1, p.y + 10), kBlue);
}

TEST(DecorationDraw, CursorIsDrawnWithItsHotspotOnThePoint) {
    win::WindowDc screen(nullptr);
    win::MemoryDc dc(CreateCompatibleDC(screen.get()));
    win::Bitmap picture(CreateCompatibleBitmap(screen.get(), 100, 100));
    win::SelectGuard selected(dc.get(), picture.get());
    RECT all{0, 0, 100, 100};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(arrow, &info));
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    drawCursor(nullptr, dc.get(), 50, 50, DecorationMode::Screen, arrow);
    const int left = 50 - static_cast<int>(info.xHotspot),
              top = 50 - static_cast<int>(info.yHotspot);
    int changed = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            if (GetPixel(dc.get(), x, y) == RGB(255, 255, 255))
                continue;
            ++changed;
            ASSERT_GE(x, left) << x << "," << y;
            ASSERT_GE(y, top) << x << "," << y;
        }
    EXPECT_GT(changed, 20);
}

TEST_F(DecorationTest, DecoratedCapturesLeakNoGdiObject) {
    BlueWindow window(100, 100, 64, 48);
    SetCursorPos(120, 120);
    const int kinds[] = {104, 105, 106, 107, 108, 109};
    for (int id : kinds)
        ASSERT_GT(capturer.capture(owner_, id).target, 0) << id;
    capturer.dropPicture();
    const std::vector<int> before = testsupport::GdiProbeSlots();
    for (int i = 0; i < 300; ++i) {
        capturer.setNextNumber(1);
        ASSERT_GT(capturer.capture(owner_, kinds[i % 6]).target, 0) << i;
    }
    capturer.dropPicture();
    const std::vector<int> after = testsupport::GdiProbeSlots();
    std::vector<int> common;
    std::set_intersection(before.begin(), before.end(), after.begin(), after.end(),
                          std::back_inserter(common));
    EXPECT_GE(common.size(), before.size() - 8);
}

}  // namespace
