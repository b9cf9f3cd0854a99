// The scrolling capture of a page 20 screens long, in one process under
// Wine, each part against its floor measured in the same run:
//   scroll_bench [ROUNDS]
// - the stitch alone: the pictures the page scrolls through, made in
//   memory, stitched into the tall page, against copying the same pixels
//   once into a buffer of the page's size;
// - scroll + grab + stitch: CaptureScrolling on a window of this process,
//   against the same page downs and screen reads with no stitching;
// - the process's peak working set and peak pagefile use
//   (GetProcessMemoryInfo) before and after, against the page's own size.
// Prints "name: value unit" lines (medians over the rounds).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "capture/scroll_capture_win.h"
#include "capture/scroll_stitch.h"
#include "capture/step_recorder_win.h"
#include "tests/win32/fixtures/scroll_page_win.h"
#include "tools/bench/bench_support_win.h"

namespace {

constexpr int kWidth = 1280, kView = 960, kHeader = 48, kFooter = 24, kScreens = 20;
constexpr int kScrolled = kView - kHeader - kFooter, kContent = kScreens * kScrolled;
constexpr int kStep = kScrolled - 24;  // a page down keeps a line
constexpr uint32_t kHeaderGrey = 0x5A5A5A, kFooterGrey = 0x3C3C3C;
int position = 0;

uint32_t RowColour(int y) {
    return (static_cast<uint32_t>(y) * 2654435761u >> 8) & 0xFCFCFCu;
}

uint32_t ColourAt(int y, int at) {
    if (y < kHeader)
        return kHeaderGrey;
    return y >= kView - kFooter ? kFooterGrey : RowColour(at + y - kHeader);
}

void Fill(HDC dc, int top, int bottom, uint32_t c) {
    HBRUSH brush = CreateSolidBrush(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF));
    RECT rect{0, top, kWidth, bottom};
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_VSCROLL) {
        const int code = LOWORD(wParam);
        position = code == SB_TOP ? 0 : code == SB_PAGEDOWN ? position + kStep
                                   : code == SB_THUMBPOSITION ? HIWORD(wParam) : position;
        position = std::clamp(position, 0, kContent - kScrolled);
        SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, position, 0};
        SetScrollInfo(window, SB_VERT, &info, TRUE);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        for (int y = 0; y < kView; ++y)
            Fill(dc, y, y + 1, ColourAt(y, position));
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakePage() {
    HWND window = scroll_page::MakeWindow(PageProc, "ZelcapScrollBenchPage", 0, 0, kWidth, kView,
                                          kContent, kScrolled);
    bench::PaintNow(window);
    return window;
}

// The pictures a capture of the page takes, top to bottom.
std::vector<stitch::Picture> Pictures() {
    std::vector<stitch::Picture> out;
    for (int at = 0;; at = std::min(at + kStep, kContent - kScrolled)) {
        stitch::Picture p;
        p.width = kWidth;
        p.height = kView;
        p.pixels.resize(static_cast<std::size_t>(kWidth) * kView);
        for (int y = 0; y < kView; ++y)
            std::fill_n(p.pixels.begin() + static_cast<std::ptrdiff_t>(y) * kWidth, kWidth, ColourAt(y, at));
        out.push_back(std::move(p));
        if (at == kContent - kScrolled)
            return out;
    }
}

struct Memory {
    double peakWorkingSet = 0, peakPagefile = 0;  // MB
};

Memory Peaks() {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return {static_cast<double>(c.PeakWorkingSetSize) / 1048576.0,
            static_cast<double>(c.PeakPagefileUsage) / 1048576.0};
}

// The floor of the scroll: the same page downs and screen reads.
int ScrollAndGrab(HWND window) {
    const RECT rect = ClientOnScreen(window);
    std::vector<uint8_t> pixels;
    int grabs = 0;
    SendMessageA(window, WM_VSCROLL, SB_TOP, 0);
    for (int before = -1; position != before; ++grabs) {
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
        StepRecorder::grab(rect, pixels);
        before = position;
        SendMessageA(window, WM_VSCROLL, SB_PAGEDOWN, 0);
    }
    return grabs;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    // The capture first, so that its peak is its own.
    const Memory start = Peaks();
    HWND window = MakePage();
    std::vector<double> stitchMs, copyMs, captureMs, floorMs;
    int captured = 0, grabs = 0;
    for (int round = 0; round < rounds; ++round) {
        double t = bench::NowMs();
        captured = CaptureScrolling(window, 20000, nullptr).page.height;
        captureMs.push_back(bench::NowMs() - t);
        t = bench::NowMs();
        grabs = ScrollAndGrab(window);
        floorMs.push_back(bench::NowMs() - t);
    }
    const Memory captureEnd = Peaks();
    DestroyWindow(window);
    const std::vector<stitch::Picture> pictures = Pictures();
    const Memory made = Peaks();
    int height = 0;
    for (int round = 0; round < rounds; ++round) {
        double t = bench::NowMs();
        {
            stitch::Stitcher stitcher(20000);
            stitcher.reserve(kWidth);
            for (const stitch::Picture& p : pictures)
                stitcher.add(p);
            height = stitcher.take().height;
        }
        stitchMs.push_back(bench::NowMs() - t);
        t = bench::NowMs();
        {
            std::vector<uint32_t> page(static_cast<std::size_t>(kWidth) * height);
            std::size_t at = 0;
            for (const stitch::Picture& p : pictures) {
                const std::size_t n = std::min(p.pixels.size(), page.size() - at);
                std::memcpy(page.data() + at, p.pixels.data(), n * sizeof(uint32_t));
                at = (at + n) % page.size();
            }
        }
        copyMs.push_back(bench::NowMs() - t);
    }
    const Memory end = Peaks();
    const double pageMb = static_cast<double>(kWidth) * height * 4 / 1048576.0;
    std::printf("page: %d x %d from %zu pictures of %d x %d (capture: %d rows, %d grabs)\n", kWidth,
                height, pictures.size(), kWidth, kView, captured, grabs);
    bench::Report("scroll + grab + stitch", bench::Median(captureMs));
    bench::Report("floor: page downs and grabs alone", bench::Median(floorMs));
    bench::Report("stitch alone", bench::Median(stitchMs));
    bench::Report("floor: the same pixels copied once", bench::Median(copyMs));
    bench::Report("the page's own pixels", pageMb, "MB");
    bench::Report("peak working set at the start", start.peakWorkingSet, "MB");
    bench::Report("peak working set after the capture", captureEnd.peakWorkingSet, "MB");
    bench::Report("peak working set, the pictures made", made.peakWorkingSet, "MB");
    bench::Report("peak working set after the stitch", end.peakWorkingSet, "MB");
    bench::Report("peak pagefile use at the start", start.peakPagefile, "MB");
    bench::Report("peak pagefile use after the capture", captureEnd.peakPagefile, "MB");
    bench::Report("peak pagefile use after the stitch", end.peakPagefile, "MB");
    return captured == height ? 0 : 1;
}
