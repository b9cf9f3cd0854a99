// Writes that fail after the file was opened, as on a full disk: this
// program runs with a file-size limit, so a whole-screen picture cannot be
// written. Such a capture must be reported, leave no partial file and give
// no record.
// ctest-file-size-limit-kb: 64
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "capture/capturer_win.h"
#include "history/history.h"
#include "settings/settings_store.h"
#include "tests/win32/support/capture_fixture.h"

using testsupport::DialogAnswerer;
using testsupport::FileExists;

namespace {

// Random pixels do not compress: the JPEG of this window is far over the limit.
LRESULT CALLBACK NoiseProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        std::vector<uint32_t> pixels(static_cast<size_t>(r.right) * r.bottom);
        std::mt19937 random(7);
        for (auto& p : pixels)
            p = random() & 0xFFFFFF;
        BITMAPINFO info{};
        info.bmiHeader = {
            sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        SetDIBitsToDevice(dc, 0, 0, r.right, r.bottom, 0, 0, 0, r.bottom, pixels.data(), &info,
                          DIB_RGB_COLORS);
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

class WriteFailureTest : public testsupport::CaptureFixture {};

TEST_F(WriteFailureTest, BmpWriteFailureIsReportedAndRemovesThePartialFile) {
    DialogAnswerer answers;
    answers.press(IDOK);
    EXPECT_EQ(capturer.capture(owner_, 103).target, -1);
    EXPECT_EQ(capturer.nextNumber(), 2);  // the number is used up
    EXPECT_FALSE(FileExists(InFolder("1.bmp")));
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "ファイルの書き込みに失敗しました");
    EXPECT_EQ(answers.seen()[0].caption, "S00011 <SYSTEM ERROR>");

    // A small picture still fits under the limit and is written.
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "ZelcapSmall";
    RegisterClassA(&wc);
    HWND small = CreateWindowExA(WS_EX_TOPMOST, "ZelcapSmall", "", WS_POPUP | WS_VISIBLE, 10, 10,
                                 40, 40, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(small);
    testsupport::PumpPending();
    EXPECT_EQ(capturer.capture(owner_, 102).target, 1);
    EXPECT_TRUE(FileExists(InFolder("2.bmp")));
    DestroyWindow(small);
}

TEST_F(WriteFailureTest, JpegWriteFailureIsReportedAndRemovesThePartialFile) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = NoiseProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZelcapNoise";
    RegisterClassA(&wc);
    HWND noise = CreateWindowExA(WS_EX_TOPMOST, "ZelcapNoise", "noise", WS_POPUP | WS_VISIBLE, 0, 0,
                                 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(noise);
    UpdateWindow(noise);
    testsupport::PumpPending();
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.jpegMode = 1; });
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.jpegQuality = 95; });
    DialogAnswerer answers;
    answers.press(IDOK);
    EXPECT_EQ(capturer.capture(owner_, 102).target, -1);
    EXPECT_FALSE(FileExists(InFolder("1.jpg")));
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "ファイルの書き込みに失敗しました");
    DestroyWindow(noise);
}

}  // namespace
