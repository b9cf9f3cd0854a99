// The capture pipeline and the three writers on the real screen under Wine:
// test windows of known colours are made the foreground window and captured.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <algorithm>
#include <iterator>
#include <utility>

#include <jpeglib.h>
#include <png.h>

#include "base/app_state_win.h"
#include "base/bmp_format.h"
#include "capture/capturer_win.h"
#include "history/history.h"
#include "settings/settings_store.h"
#include "tests/win32/support/capture_fixture.h"

using testsupport::Bmp;
using testsupport::DialogAnswerer;
using testsupport::ReadFileBytes;

namespace {

constexpr uint32_t kRgbRed = 0xC81E3C;  // R 200, G 30, B 60

struct Colours {
    COLORREF top, bottom;
};

// Paints the upper half in one colour and the lower half in another.
LRESULT CALLBACK ColourProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        const auto* c = reinterpret_cast<const Colours*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        RECT r;
        GetClientRect(w, &r);
        RECT upper = r, lower = r;
        upper.bottom = lower.top = r.bottom / 2;
        HBRUSH a = CreateSolidBrush(c ? c->top : 0);
        HBRUSH b = CreateSolidBrush(c ? c->bottom : 0);
        FillRect(dc, &upper, a);
        FillRect(dc, &lower, b);
        DeleteObject(a);
        DeleteObject(b);
        EndPaint(w, &ps);
        return 0;
    }
    if (m == WM_ERASEBKGND)
        return 1;
    return DefWindowProcA(w, m, wp, lp);
}

// A borderless window of known colours, made the foreground window.
class ColourWindow {
  public:
    ColourWindow(int x, int y, int width, int height, COLORREF colour, const char* title = "test",
                 COLORREF bottom = CLR_INVALID)
        : colours_{colour, bottom == CLR_INVALID ? colour : bottom} {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ColourProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZelcapTestColour";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, title, WS_POPUP, x, y, width,
                                  height, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&colours_));
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
        RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
        testsupport::PumpPending();
        GdiFlush();
        Sleep(50);
        testsupport::PumpPending();
    }
    ~ColourWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

  private:
    Colours colours_;
    HWND window_ = nullptr;
};

class CaptureTest : public testsupport::CaptureFixture {};

TEST_F(CaptureTest, ActiveWindowBecomesABmpOfItsSizeAndColour) {
    ColourWindow window(100, 120, 64, 48, RGB(200, 30, 60), "赤いウィンドウ");
    ASSERT_EQ(GetForegroundWindow(), window.get());
    const CaptureResult captured = capturer.capture(owner_, 102);
    EXPECT_EQ(captured.target, 1);
    EXPECT_EQ(captured.number, 1);
    EXPECT_EQ(captured.nextNumber, 2);
    EXPECT_EQ(captured.path, InFolder("1.bmp"));
    EXPECT_EQ(captured.file.size(), 54u + 192u * 48u);
    EXPECT_EQ(captured.heading, "赤いウィンドウ");

    Bmp bmp;
    ASSERT_TRUE(bmp.load(InFolder("1.bmp")));
    EXPECT_EQ(bmp.width, 64);
    EXPECT_EQ(bmp.height, 48);
    EXPECT_EQ(bmp.bytes.size(), 54u + 192u * 48u);
    for (int y = 0; y < 48; y += 7)
        for (int x = 0; x < 64; x += 9)
            ASSERT_EQ(bmp.at(x, y), kRgbRed) << x << "," << y;
}

TEST_F(CaptureTest, CommentIsTheTitleCutTo128BytesOrTheFixedText) {
    // 70 two-byte characters: 140 bytes, cut after the 64th character.
    std::string title;
    for (int i = 0; i < 70; ++i)
        title += "表";
    ColourWindow window(100, 100, 32, 32, RGB(1, 2, 3), title.c_str());
    EXPECT_EQ(capturer.capture(owner_, 102).heading, title.substr(0, 128));
    settingsStore.settings.commentSource = 1;
    std::snprintf(settingsStore.settings.comment, kCommentSize, "固定の見出し");
    EXPECT_EQ(capturer.capture(owner_, 102).heading, "固定の見出し");
}

TEST_F(CaptureTest, ScreenCaptureHasTheScreenSizeAndIsCalledScreen) {
    settingsStore.settings.zeroPadNumbers = 1;
    testsupport::EditFileOptions(
        [](Capturer::FileOptions& o) { std::snprintf(o.namePrefix, sizeof o.namePrefix, "AAA"); });
    capturer.setNextNumber(12);
    const CaptureResult captured = capturer.capture(owner_, 103);
    EXPECT_EQ(captured.target, 2);
    Bmp bmp;
    ASSERT_TRUE(bmp.load(InFolder("AAA000012.bmp")));
    EXPECT_EQ(bmp.width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(bmp.height, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(captured.heading, "SCREEN");
    EXPECT_EQ(capturer.lastTarget(), 2);
}

TEST_F(CaptureTest, WindowPastTheScreenEdgeIsCutOrFilledBlack) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    ColourWindow left(-20, 100, 64, 48, RGB(200, 30, 60));
    settingsStore.settings.offscreenBlack = 0;
    ASSERT_EQ(capturer.capture(owner_, 102).target, 1);
    Bmp cut;
    ASSERT_TRUE(cut.load(InFolder("1.bmp")));
    EXPECT_EQ(cut.width, 44);
    EXPECT_EQ(cut.height, 48);
    EXPECT_EQ(cut.at(0, 0), kRgbRed);

    settingsStore.settings.offscreenBlack = 1;
    ASSERT_EQ(capturer.capture(owner_, 102).target, 1);
    Bmp kept;
    ASSERT_TRUE(kept.load(InFolder("2.bmp")));
    EXPECT_EQ(kept.width, 64);
    EXPECT_EQ(kept.height, 48);
    EXPECT_EQ(kept.at(0, 10), 0u);
    EXPECT_EQ(kept.at(19, 47), 0u);
    EXPECT_EQ(kept.at(20, 0), kRgbRed);
    EXPECT_EQ(kept.at(63, 47), kRgbRed);

    ColourWindow right(screenWidth - 30, 50, 64, 48, RGB(200, 30, 60));
    ASSERT_EQ(capturer.capture(owner_, 102).target, 1);
    Bmp rightKept;
    ASSERT_TRUE(rightKept.load(InFolder("3.bmp")));
    EXPECT_EQ(rightKept.width, 64);
    EXPECT_EQ(rightKept.at(29, 5), kRgbRed);
    EXPECT_EQ(rightKept.at(30, 5), 0u);
    EXPECT_EQ(rightKept.at(63, 47), 0u);
}

TEST_F(CaptureTest, UnknownOffscreenValueIsReportedAndUsesNoNumber) {
    ColourWindow window(100, 100, 32, 32, RGB(200, 30, 60));
    settingsStore.settings.offscreenBlack = 2;
    DialogAnswerer answers;
    answers.press(IDOK);
    EXPECT_EQ(capturer.capture(owner_, 102).target, 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, "定義設定エラー");
    EXPECT_EQ(answers.seen()[0].text,
              "アクティブウィンドウキャプチャーでスクリーン外の扱いの値が不正です。");
    EXPECT_EQ(capturer.nextNumber(), 1);
    EXPECT_FALSE(testsupport::FileExists(InFolder("1.bmp")));
}

TEST_F(CaptureTest, OverwriteQuestionOkReplacesWholeAndCancelKeepsTheFile) {
    ColourWindow window(200, 200, 40, 30, RGB(200, 30, 60));
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.confirmOverwrite = 1; });
    const std::string big(100000, 'x');
    ASSERT_TRUE(testsupport::WriteFileBytes(InFolder("1.bmp"), big));
    ASSERT_TRUE(testsupport::WriteFileBytes(InFolder("2.bmp"), big));
    // Annotations of the old pictures: they go with a picture replaced.
    for (const char* name : {"1.bmp.zan", "1_ann.png", "2.bmp.zan", "2_ann.png"})
        ASSERT_TRUE(testsupport::WriteFileBytes(InFolder(name), "old"));

    DialogAnswerer answers;
    answers.press(IDOK);
    answers.press(IDCANCEL);
    EXPECT_EQ(capturer.capture(owner_, 102).target, 1);
    EXPECT_EQ(ReadFileBytes(InFolder("1.bmp")).size(), 54u + 120u * 30u);
    EXPECT_FALSE(testsupport::FileExists(InFolder("1.bmp.zan")));
    EXPECT_FALSE(testsupport::FileExists(InFolder("1_ann.png")));
    SetForegroundWindow(window.get());
    EXPECT_EQ(capturer.capture(owner_, 102).target, -1);
    EXPECT_EQ(ReadFileBytes(InFolder("2.bmp")), big);
    EXPECT_EQ(ReadFileBytes(InFolder("2.bmp.zan")), "old");
    EXPECT_EQ(ReadFileBytes(InFolder("2_ann.png")), "old");
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[1].caption, InFolder("2.bmp"));
    EXPECT_EQ(answers.seen()[1].text, "同じ名前のファイルがあります。上書きしますか？");
    // The declined number is used up.
    EXPECT_EQ(capturer.nextNumber(), 3);
    SetForegroundWindow(window.get());
    EXPECT_EQ(capturer.capture(owner_, 102).target, 1);
    EXPECT_TRUE(testsupport::FileExists(InFolder("3.bmp")));

    // Without the setting nothing is asked.
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.confirmOverwrite = 0; });
    capturer.setNextNumber(2);
    SetForegroundWindow(window.get());
    EXPECT_EQ(capturer.capture(owner_, 102).target, 1);
    EXPECT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(ReadFileBytes(InFolder("2.bmp")).size(), 54u + 120u * 30u);
}

TEST_F(CaptureTest, StartNumberAboveTheMaximumIsRefused) {
    settingsStore.settings.startNumber = 11;
    settingsStore.settings.maxNumber = 10;
    DialogAnswerer answers;
    answers.press(IDOK);
    answers.press(IDCANCEL);  // the settings sheet offered after the warning
    EXPECT_EQ(capturer.capture(owner_, 103).target, 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[1].caption, "環境設定");
    EXPECT_EQ(answers.seen()[0].caption, "ファイル番号設定エラー");
    EXPECT_EQ(answers.seen()[0].text, "開始番号が最大番号を超えています");
    EXPECT_EQ(capturer.nextNumber(), 1);
}

TEST_F(CaptureTest, NumberRunningPastTheMaximumStartsAgainAtZero) {
    settingsStore.settings.startNumber = 5;
    settingsStore.settings.maxNumber = 5;
    capturer.setNextNumber(6);
    EXPECT_EQ(capturer.capture(owner_, 103).target, 2);
    EXPECT_TRUE(testsupport::FileExists(InFolder("0.bmp")));
    EXPECT_EQ(capturer.nextNumber(), 1);
}

TEST_F(CaptureTest, OpenFailuresAreReportedAndUseTheirNumber) {
    DialogAnswerer answers;
    // A folder that does not exist.
    std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s\\missing\\",
                  folder_->path().c_str());
    answers.press(IDOK);
    EXPECT_EQ(capturer.capture(owner_, 103).target, -1);
    EXPECT_EQ(capturer.nextNumber(), 2);

    // A file another handle holds open without sharing.
    std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s", folder_->path().c_str());
    HANDLE held = CreateFileA(InFolder("2.bmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    answers.press(IDOK);
    EXPECT_EQ(capturer.capture(owner_, 103).target, -1);
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(InFolder("2.bmp")), "");

    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[0].text, "ファイルのオープンに失敗しました");
    EXPECT_EQ(answers.seen()[0].caption, "S00011 <SYSTEM ERROR>");
    EXPECT_EQ(answers.seen()[1].text, "ファイルのオープンに失敗しました");
    EXPECT_EQ(capturer.nextNumber(), 3);
}

TEST_F(CaptureTest, EmptyAreaIsReportedAsNoCapture) {
    // Wholly off the screen and cut to the screen: nothing to take.
    ColourWindow window(-200, 100, 64, 48, RGB(200, 30, 60));
    settingsStore.settings.offscreenBlack = 0;
    DialogAnswerer answers;
    answers.press(IDOK);
    EXPECT_EQ(capturer.capture(owner_, 102).target, -1);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "スクリーンキャプチャが行われていません");
    EXPECT_EQ(capturer.nextNumber(), 2);
}

// Decodes a JPEG file to RGB rows, top row first.
bool DecodeJpeg(const std::string& path, int* width, int* height, std::string* rgb) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    *width = static_cast<int>(cinfo.output_width);
    *height = static_cast<int>(cinfo.output_height);
    rgb->assign(static_cast<size_t>(*width) * *height * 3, '\0');
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(&(*rgb)[cinfo.output_scanline * *width * 3]);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return true;
}

TEST_F(CaptureTest, JpegCaptureKeepsRedRedAndTheTopRowFirst) {
    // Red over blue: a swapped channel or a flipped picture both show.
    ColourWindow window(300, 300, 64, 64, RGB(220, 20, 20), "jpeg", RGB(20, 20, 220));
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.jpegMode = 1; });
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.jpegQuality = 90; });
    ASSERT_EQ(capturer.capture(owner_, 102).target, 1);
    int width = 0, height = 0;
    std::string rgb;
    ASSERT_TRUE(DecodeJpeg(InFolder("1.jpg"), &width, &height, &rgb));
    ASSERT_EQ(width, 64);
    ASSERT_EQ(height, 64);
    auto pixel = [&](int x, int y, int c) {
        return static_cast<uint8_t>(rgb[(static_cast<size_t>(y) * width + x) * 3 + c]);
    };
    EXPECT_GT(pixel(32, 8, 0), 180);  // red on top
    EXPECT_LT(pixel(32, 8, 2), 60);
    EXPECT_GT(pixel(32, 56, 2), 180);  // blue below
    EXPECT_LT(pixel(32, 56, 0), 60);
}

TEST_F(CaptureTest, PngCaptureHoldsTheScreensPixelsExactly) {
    // Red over blue: a swapped channel or a flipped picture both show.
    ColourWindow window(300, 300, 61, 40, RGB(200, 30, 60), "png", RGB(20, 20, 220));
    testsupport::EditFileOptions(
        [&](Capturer::FileOptions& o) { o.jpegMode = 1; });  // PNG wins over the JPEG choice
    testsupport::EditExtras([&](CaptureExtras& e) { e.png = true; });
    const CaptureResult png = capturer.capture(owner_, 102);
    ASSERT_EQ(png.target, 1);
    ASSERT_EQ(png.path, InFolder("1.png"));
    const std::string file = ReadFileBytes(InFolder("1.png"));
    ASSERT_EQ(std::string(png.file.begin(), png.file.end()), file);

    // The same window through the BMP writer, whose pixels are the screen's.
    testsupport::EditExtras([&](CaptureExtras& e) { e.png = false; });
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.jpegMode = 0; });
    ASSERT_EQ(capturer.capture(owner_, 102).target, 1);
    Bmp bmp;
    ASSERT_TRUE(bmp.load(InFolder("2.bmp")));
    ASSERT_EQ(bmp.width, 61);
    ASSERT_EQ(bmp.at(30, 5), kRgbRed);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, file.data(), file.size()));
    ASSERT_EQ(image.width, 61u);
    ASSERT_EQ(image.height, 40u);
    image.format = PNG_FORMAT_BGR;
    std::vector<uint8_t> bgr(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, bgr.data(), 0, nullptr));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 61; ++x) {
            const uint8_t* p = &bgr[(static_cast<size_t>(y) * 61 + x) * 3];
            ASSERT_EQ(uint32_t{p[2]} << 16 | p[1] << 8 | p[0], bmp.at(x, y)) << x << "," << y;
        }
}

TEST_F(CaptureTest, HundredsOfCapturesLeakNoGdiObject) {
    ColourWindow window(100, 100, 48, 32, RGB(200, 30, 60));
    // Warm up Wine's own caches first.
    for (int jpeg = 0; jpeg < 2; ++jpeg) {
        testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.jpegMode = jpeg; });
        ASSERT_EQ(capturer.capture(owner_, 102).target, 1);
        ASSERT_EQ(capturer.capture(owner_, 103).target, 2);
    }
    capturer.dropPicture();  // the last picture is kept on purpose
    const std::vector<int> before = testsupport::GdiProbeSlots();
    for (int i = 0; i < 300; ++i) {
        testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.jpegMode = (i / 2) % 2; });
        capturer.setNextNumber(1);  // the same files over and over
        ASSERT_EQ(capturer.capture(owner_, 102 + i % 2).target, 1 + i % 2) << i;
    }
    capturer.dropPicture();
    const std::vector<int> after = testsupport::GdiProbeSlots();
    // Wine's own caches may swap a slot or two; a leak of one object per
    // capture would take every probe slot of before.
    std::vector<int> common;
    std::set_intersection(before.begin(), before.end(), after.begin(), after.end(),
                          std::back_inserter(common));
    EXPECT_GE(common.size(), before.size() - 8);
}

// The bitmap and DCs are kept from one capture to the next: a picture of
// the size before must have every pixel new, one of another size its own
// size, and hundreds of captures of one size must make nothing that stays.
TEST_F(CaptureTest, KeptBitmapTakesEachCapturesSizeAndPixels) {
    const struct {
        int width, height;
        COLORREF colour;
        uint32_t rgb;
    } windows[] = {{64, 48, RGB(200, 30, 60), 0xC81E3C},
                   {64, 48, RGB(20, 180, 40), 0x14B428},
                   {40, 30, RGB(10, 20, 230), 0x0A14E6},
                   {96, 60, RGB(250, 250, 0), 0xFAFA00}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ColourWindow window(100, 120, windows[i].width, windows[i].height, windows[i].colour);
        ASSERT_EQ(capturer.capture(owner_, 102).target, 1);
        Bmp bmp;
        ASSERT_TRUE(bmp.load(InFolder((std::to_string(i + 1) + ".bmp").c_str())));
        ASSERT_EQ(bmp.width, windows[i].width);
        ASSERT_EQ(bmp.height, windows[i].height);
        for (int y = 0; y < bmp.height; y += bmp.height - 1)
            for (int x = 0; x < bmp.width; x += 3)
                ASSERT_EQ(bmp.at(x, y), windows[i].rgb) << x << "," << y;
    }

    ColourWindow window(100, 120, 48, 32, RGB(200, 30, 60));
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.jpegMode = 1; });
    ASSERT_EQ(capturer.capture(owner_, 102).target, 1);
    const std::vector<int> before = testsupport::GdiProbeSlots();
    for (int i = 0; i < 200; ++i) {
        capturer.setNextNumber(1);
        ASSERT_EQ(capturer.capture(owner_, 102).target, 1) << i;
    }
    EXPECT_LE(testsupport::GdiProbeSlotsLost(before), 8u);
}

// A file's block comes back for the next file (as the main window gives it
// back once the picture is shown): each file must hold its own headers and
// pixels and nothing of the one before, in particular zero pad bytes where
// the earlier file had pixels, whether the block is larger, smaller or new.
TEST_F(CaptureTest, FileBlockGivenBackHoldsOnlyTheNextFile) {
    const struct {
        int width, height;
        uint8_t r, g, b;
        bool png;
    } captures[] = {
        {64, 48, 200, 30, 60, false},  // rows without pad bytes
        {33, 20, 20, 180, 40, false},  // one pad byte a row, in the larger block
        {34, 21, 10, 20, 230, false},  // two pad bytes, still within the block
        {40, 30, 90, 90, 90, true},    // a PNG file made in the block
        {96, 60, 250, 250, 5, false},  // larger than the block: a new one
        {33, 20, 70, 140, 210, false},
    };
    for (size_t i = 0; i < std::size(captures); ++i) {
        SCOPED_TRACE(i);
        const auto& c = captures[i];
        ColourWindow window(100, 120, c.width, c.height, RGB(c.r, c.g, c.b));
        testsupport::EditExtras([&](CaptureExtras& e) { e.png = c.png; });
        CaptureResult captured = capturer.capture(owner_, 102);
        ASSERT_EQ(captured.target, 1);
        const std::string file = ReadFileBytes(captured.path);
        ASSERT_EQ(std::string(captured.file.begin(), captured.file.end()), file);
        if (c.png) {
            png_image image{};
            image.version = PNG_IMAGE_VERSION;
            ASSERT_TRUE(png_image_begin_read_from_memory(&image, file.data(), file.size()));
            EXPECT_EQ(image.width, static_cast<uint32_t>(c.width));
            png_image_free(&image);
        } else {
            uint8_t headers[kBmpHeaderSize];
            makeBmpHeaders(c.width, c.height, headers);
            std::string expected(headers, headers + kBmpHeaderSize);
            for (int y = 0; y < c.height; ++y) {
                for (int x = 0; x < c.width; ++x)
                    expected +=
                        {static_cast<char>(c.b), static_cast<char>(c.g), static_cast<char>(c.r)};
                expected.append(dibStride(c.width) - c.width * 3u, '\0');
            }
            ASSERT_EQ(file.size(), expected.size());
            // The first byte that differs, if any.
            EXPECT_EQ(
                std::mismatch(file.begin(), file.end(), expected.begin()).first - file.begin(),
                static_cast<std::ptrdiff_t>(file.size()));
        }
        capturer.reuseFileBlock(std::move(captured.file));
    }
}

}  // namespace
