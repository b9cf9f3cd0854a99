// The text reader on pictures drawn here with GDI in the machine's Japanese
// font: the words and where they were drawn come back, bad pictures and
// missing or damaged models give a status, and the worker posts one result a
// picture and stops in the middle of one.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/ocr_road_win.h"
#include "base/bmp_format.h"
#include "base/win_handles_win.h"
#include "ocr/ocr_engine_win.h"
#include "ocr/ocr_worker_win.h"
#include "tests/win32/support/win_test_support.h"
#include "tools/bench/ocr_pages_win.h"
#include "view/picture_window_win.h"

namespace {

struct DrawnLine {
    const char* text;  // CP932
    int x, y;
    int height;  // pixels of the font's cell
};

// A white DIB section with black text lines, kept as GDI left it.
class Canvas {
  public:
    Canvas(int width, int height, int bitsPerPixel, bool topDown)
        : width_(width), height_(height), bytesPerPixel_(bitsPerPixel / 8) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = topDown ? -height : height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
        dc_.reset(CreateCompatibleDC(nullptr));
        bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        stride_ = ((width * bitsPerPixel + 31) / 32) * 4;
        SelectObject(dc_.get(), bitmap_.get());
        RECT all{0, 0, width, height};
        FillRect(dc_.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        top_ = static_cast<uint8_t*>(bits_) + (topDown ? 0 : std::ptrdiff_t{stride_} * (height - 1));
        step_ = topDown ? stride_ : -std::ptrdiff_t{stride_};
    }

    // Draws the line and returns the rectangle its text covers.
    RECT draw(const DrawnLine& line) {
        win::Font font(CreateFontA(-line.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                   DEFAULT_PITCH, "IPAPGothic"));
        HGDIOBJ old = SelectObject(dc_.get(), font.get());
        SetBkMode(dc_.get(), TRANSPARENT);
        const int length = static_cast<int>(std::strlen(line.text));
        TextOutA(dc_.get(), line.x, line.y, line.text, length);
        SIZE size{};
        GetTextExtentPoint32A(dc_.get(), line.text, length, &size);
        SelectObject(dc_.get(), old);
        GdiFlush();
        return RECT{line.x, line.y, line.x + size.cx, line.y + size.cy};
    }

    ocr::OcrPixels pixels() const { return ocr::OcrPixels{top_, width_, height_, step_, bytesPerPixel_}; }

    // A 24-bit bottom-up canvas as a BMP file.
    bool save(const std::string& path) const {
        uint8_t headers[kBmpHeaderSize];
        makeBmpHeaders(width_, height_, headers);
        std::string file(reinterpret_cast<const char*>(headers), kBmpHeaderSize);
        file.append(static_cast<const char*>(bits_), static_cast<std::size_t>(stride_) * height_);
        return testsupport::WriteFileBytes(path, file);
    }

  private:
    int width_, height_, bytesPerPixel_;
    int stride_ = 0;
    win::MemoryDc dc_;
    win::Bitmap bitmap_;
    void* bits_ = nullptr;
    const uint8_t* top_ = nullptr;
    std::ptrdiff_t step_ = 0;
};

// The line whose text holds `words`, or null.
const OcrLine* LineWith(const OcrResult& result, const std::string& words) {
    for (const OcrLine& line : result.lines)
        if (line.text.find(words) != std::string::npos)
            return &line;
    return nullptr;
}

std::string AllText(const OcrResult& result) {
    std::string all;
    for (const OcrLine& line : result.lines)
        all += "[" + line.text + "]";
    return all;
}

// The box is where the text was drawn: within a few pixels on every side.
void ExpectAround(const OcrLine& line, const RECT& drawn) {
    const int slack = 6;
    EXPECT_NEAR(line.left, drawn.left, slack) << line.text;
    EXPECT_NEAR(line.right, drawn.right, slack) << line.text;
    EXPECT_GE(line.top, drawn.top - slack) << line.text;
    EXPECT_LE(line.bottom, drawn.bottom + slack) << line.text;
    EXPECT_LT(line.top, line.bottom) << line.text;
}

// Figures stand in the English line: the Japanese model reads digits and
// their comma beside 円 poorly at screen sizes (see docs/performance.md).
const DrawnLine kLines[] = {
    {"金額の確認", 20, 12, 16},
    {"Total 1,100", 20, 44, 16},
    {"請求書の確認", 20, 76, 16},
};

TEST(OcrEngine, ReadsJapaneseAndEnglishLinesWhereTheyWereDrawn) {
    struct Layout {
        int bitsPerPixel;
        bool topDown;
    };
    ocr::OcrEngine engine(ocr::TessdataBesideProgram());
    for (const Layout layout : {Layout{32, true}, Layout{24, false}}) {
        Canvas canvas(300, 100, layout.bitsPerPixel, layout.topDown);
        std::vector<RECT> drawn;
        for (const DrawnLine& line : kLines)
            drawn.push_back(canvas.draw(line));
        const ocr::OcrOutcome outcome = engine.recognise(canvas.pixels());
        ASSERT_EQ(outcome.status, ocr::OcrStatus::Ok) << outcome.message;
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            const OcrLine* line = LineWith(outcome.result, kLines[i].text);
            ASSERT_NE(line, nullptr) << kLines[i].text << " in " << AllText(outcome.result);
            ExpectAround(*line, drawn[i]);
        }
    }
}

TEST(OcrEngine, RefusesPicturesItCannotRead) {
    ocr::OcrEngine engine(ocr::TessdataBesideProgram());
    const uint8_t pixel[4] = {255, 255, 255, 0};
    const ocr::OcrPixels cases[] = {
        {pixel, 1, 1, 4, 4},
        {pixel, 16000, 16000, 64000, 4},  // refused before a byte is read
        {pixel, 8, 8, 16, 2},
        {nullptr, 100, 100, 400, 4},
    };
    for (const ocr::OcrPixels& bad : cases) {
        const ocr::OcrOutcome outcome = engine.recognise(bad);
        EXPECT_EQ(outcome.status, ocr::OcrStatus::BadPicture) << bad.width << "x" << bad.height;
        EXPECT_FALSE(outcome.message.empty());
    }
}

TEST(OcrEngine, MissingOrDamagedModelsGiveAStatusNotACrash) {
    testsupport::ScopedWorkFolder work;
    const std::string models = ocr::TessdataBesideProgram();
    const std::string jpn = testsupport::ReadFileBytes(models + "jpn.traineddata");
    const std::string eng = testsupport::ReadFileBytes(models + "eng.traineddata");
    ASSERT_GT(jpn.size(), 100000u);
    // A program folder with a Japanese name reads its models as well.
    for (const char* folder : {"読み取りモデル", "欠けたモデル", "壊れたモデル"})
        CreateDirectoryA(folder, nullptr);
    ASSERT_TRUE(testsupport::WriteFileBytes("読み取りモデル\\jpn.traineddata", jpn));
    ASSERT_TRUE(testsupport::WriteFileBytes("読み取りモデル\\eng.traineddata", eng));
    ASSERT_TRUE(testsupport::WriteFileBytes("欠けたモデル\\jpn.traineddata", jpn));
    ASSERT_TRUE(testsupport::WriteFileBytes("壊れたモデル\\jpn.traineddata", jpn.substr(0, jpn.size() / 3)));
    ASSERT_TRUE(testsupport::WriteFileBytes("壊れたモデル\\eng.traineddata", std::string(5000, 'x')));
    struct Case {
        std::string folder;
        ocr::OcrStatus expected;
    };
    const Case cases[] = {
        {work.path() + "\\読み取りモデル", ocr::OcrStatus::Ok},
        {work.path() + "\\無い", ocr::OcrStatus::NoModels},
        {work.path() + "\\欠けたモデル", ocr::OcrStatus::NoModels},
        {work.path() + "\\壊れたモデル", ocr::OcrStatus::DamagedModels},
    };
    Canvas canvas(200, 60, 32, true);
    canvas.draw(kLines[1]);
    for (const Case& c : cases) {
        ocr::OcrEngine engine(c.folder);
        const ocr::OcrOutcome outcome = engine.recognise(canvas.pixels());
        EXPECT_EQ(outcome.status, c.expected) << c.folder << ": " << outcome.message;
        EXPECT_EQ(outcome.message, ocr::OcrStatusText(c.expected));
        EXPECT_EQ(LineWith(outcome.result, kLines[1].text) != nullptr, c.expected == ocr::OcrStatus::Ok);
    }
}

// A full screen of 12-pixel text: what it costs in time and memory is
// printed for docs/performance.md; what the test holds is that it is read.
const DrawnLine kScreenLine = {"ファイル(F) 編集(E) 表示(V) 合計金額 12,345円 Total amount 12345 OK キャンセル", 0, 0, 12};

Canvas ScreenOfText() {
    Canvas canvas(1920, 1080, 24, false);
    for (int row = 0; row < 40; ++row) {
        DrawnLine line = kScreenLine;
        line.x = 10 + (row % 2) * 960;
        line.y = 10 + row * 26;
        canvas.draw(line);
    }
    return canvas;
}

using ocr_pages::ThreadCpuMs;

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

TEST(OcrEngine, ReadsAFullScreenAndSaysWhatItCost) {
    Canvas canvas = ScreenOfText();
    const SIZE_T before = PrivateBytes();
    PROCESS_MEMORY_COUNTERS start{};
    GetProcessMemoryInfo(GetCurrentProcess(), &start, sizeof start);
    ocr::OcrEngine engine(ocr::TessdataBesideProgram());
    ASSERT_EQ(engine.open(), ocr::OcrStatus::Ok);
    const SIZE_T opened = PrivateBytes();
    const auto began = std::chrono::steady_clock::now();
    const long long cpuBefore = ThreadCpuMs();
    const ocr::OcrOutcome outcome = engine.recognise(canvas.pixels());
    const long long cpu = ThreadCpuMs() - cpuBefore;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    ASSERT_EQ(outcome.status, ocr::OcrStatus::Ok) << outcome.message;
    EXPECT_GE(outcome.result.lines.size(), 40u) << AllText(outcome.result);
    EXPECT_NE(LineWith(outcome.result, "Total amount 12345"), nullptr) << AllText(outcome.result);
    std::printf("ocr 1920x1080: %lld ms (%lld ms of processor time), models %lu KiB, kept after the page %lu KiB, peak %lu KiB above the start\n",
                static_cast<long long>(ms.count()), cpu, static_cast<unsigned long>((opened - before) / 1024),
                static_cast<unsigned long>((PrivateBytes() - before) / 1024),
                static_cast<unsigned long>((counters.PeakPagefileUsage - start.PeakPagefileUsage) / 1024));
}

// The worker's window: a message-only window that keeps what arrives (the
// tests' message pump dispatches every message, so the window procedure is
// where a result is taken).
class Receiver {
  public:
    Receiver() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Receiver::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "OcrTestReceiver";
        RegisterClassA(&wc);
        window_ = CreateWindowA("OcrTestReceiver", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Receiver() { DestroyWindow(window_); }
    HWND window() const { return window_; }

    // Takes the results already queued, without waiting for a pump.
    void take() { testsupport::PumpPending(); }
    std::vector<ocr::OcrPosted> results;

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != ocr::OcrWorker::PostedMessage())
            return DefWindowProcA(window, message, wParam, lParam);
        auto* self = reinterpret_cast<Receiver*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        self->results.push_back(std::move(*ocr::OcrWorker::Take(lParam)));
        return 0;
    }
    HWND window_ = nullptr;
};

using ocr_road::ReadPicture;

TEST(OcrWorker, PostsOneResultForEachPictureInOrder) {
    testsupport::ScopedWorkFolder work;
    CreateDirectoryA("画面の記録", nullptr);
    const char* const words[] = {"金額の確認", "Total 1,100", "請求書の確認"};
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        Canvas canvas(300, 60, 24, false);
        canvas.draw(DrawnLine{words[i], 20, 20, 16});
        paths.push_back(work.path() + "\\画面の記録\\画面" + std::to_string(i + 1) + ".bmp");
        ASSERT_TRUE(canvas.save(paths.back()));
    }
    Receiver receiver;
    ocr::OcrWorker worker(receiver.window(), &ReadPicture);
    for (const std::string& path : paths)
        worker.enqueue(path);
    worker.enqueue(work.path() + "\\画面の記録\\無い.bmp");
    ASSERT_TRUE(testsupport::PumpUntil([&] { return receiver.results.size() == 4; }, 120000));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(receiver.results[i].path, paths[i]);
        ASSERT_EQ(receiver.results[i].outcome.status, ocr::OcrStatus::Ok) << receiver.results[i].outcome.message;
        EXPECT_NE(LineWith(receiver.results[i].outcome.result, words[i]), nullptr)
            << words[i] << " in " << AllText(receiver.results[i].outcome.result);
    }
    EXPECT_EQ(receiver.results[3].outcome.status, ocr::OcrStatus::Failed);
}

TEST(OcrWorker, StopAbandonsThePictureBeingRead) {
    testsupport::ScopedWorkFolder work;
    ASSERT_TRUE(ScreenOfText().save("全画面.bmp"));
    // How long the page takes when nothing stops it, through the same road.
    std::atomic<int> reads{0};
    const ocr::PictureReader counted = [&](const std::string& path, ocr::OcrPicture& out) {
        ++reads;
        return ReadPicture(path, out);
    };
    Receiver receiver;
    auto start = std::chrono::steady_clock::now();
    {
        ocr::OcrWorker whole(receiver.window(), counted);
        whole.enqueue(work.path() + "\\全画面.bmp");
        ASSERT_TRUE(testsupport::PumpUntil([&] { return receiver.results.size() == 1; }, 120000));
    }
    const auto full = std::chrono::steady_clock::now() - start;

    ocr::OcrWorker worker(receiver.window(), counted);
    for (int i = 0; i < 3; ++i)
        worker.enqueue(work.path() + "\\全画面.bmp");
    ASSERT_TRUE(testsupport::PumpUntil([&] { return reads.load() == 2; }, 10000));
    // Into the page's words, past its decoding and layout.
    Sleep(static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(full).count() / 2));
    EXPECT_EQ(worker.pending().size(), 2u);
    start = std::chrono::steady_clock::now();
    // From another thread, so that results it might still post stay queued
    // for the check below (on the window's thread, stop frees them).
    std::thread([&] { worker.stop(); }).join();
    const auto stopping = std::chrono::steady_clock::now() - start;
    EXPECT_LT(stopping, full / 3) << "a stop waited for the page to be read";
    EXPECT_TRUE(worker.pending().empty());
    receiver.take();
    EXPECT_EQ(receiver.results.size(), 1u) << "a stopped worker posted a result";
    EXPECT_EQ(reads.load(), 2);
}

}  // namespace
