// Floor of a whole-screen capture: the least a Win32 program does to turn a
// hot key into a JPEG file of the screen, with the display and memory
// device contexts, the bitmap and the pixel block made once and kept:
// BitBlt from the screen, GetDIBits, and libjpeg (quality 75, fast integer
// DCT) through a stdio stream. For a BMP file, GetDIBits reads into a kept
// block behind the headers, and one WriteFile writes it.
//   floor_capture.exe loop DATA RUNS      times captures called in a loop over
//                                         the busy picture; prints medians
//   floor_capture.exe loop-bmp DATA RUNS  the same, writing BMP files
//   floor_capture.exe hotkeys DATA COUNT  registers Ctrl+Shift+F8 and writes
//                                         DATA\f1.jpg ... on each press; ends
//                                         after COUNT files or 60 s
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/bench/bench_support_win.h"

namespace {

class KeptCapture {
  public:
    KeptCapture()
        : width_(GetSystemMetrics(SM_CXSCREEN)),
          height_(GetSystemMetrics(SM_CYSCREEN)),
          stride_(((width_ * 3 + 3) / 4) * 4),
          display_(CreateDCA("DISPLAY", nullptr, nullptr, nullptr)),
          memory_(CreateCompatibleDC(display_)),
          bitmap_(CreateCompatibleBitmap(display_, width_, height_)),
          pixels_(static_cast<size_t>(stride_) * height_),
          bmp_(kBmpHeaders + pixels_.size()) {
        // The headers of a 24-bit bottom-up BMP file; the rest stays zero.
        const auto put32 = [&](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                bmp_[at + i] = static_cast<uint8_t>(v >> (8 * i));
        };
        bmp_[0] = 'B';
        bmp_[1] = 'M';
        put32(2, static_cast<uint32_t>(bmp_.size()));
        put32(10, kBmpHeaders);
        put32(14, 40);
        put32(18, static_cast<uint32_t>(width_));
        put32(22, static_cast<uint32_t>(height_));
        bmp_[26] = 1;
        bmp_[28] = 24;
        put32(34, static_cast<uint32_t>(pixels_.size()));
    }
    ~KeptCapture() {
        DeleteDC(memory_);
        DeleteObject(bitmap_);
        DeleteDC(display_);
    }

    void grab() {
        HGDIOBJ old = SelectObject(memory_, bitmap_);
        BitBlt(memory_, 0, 0, width_, height_, display_, 0, 0, SRCCOPY);
        // GetDIBits wants the bitmap selected into no DC.
        SelectObject(memory_, old);
    }
    bool readBack(uint8_t* block) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, height_, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        return GetDIBits(display_, bitmap_, 0, height_, block, &info, DIB_RGB_COLORS) == height_;
    }
    bool toJpeg(const std::string& path) {
        grab();
        return readBack(pixels_.data()) &&
               bench::WriteJpeg(path.c_str(), width_, height_, 75, pixels_.data());
    }
    bool toBmp(const std::string& path) {
        grab();
        if (!readBack(bmp_.data() + kBmpHeaders))
            return false;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        DWORD wrote = 0;
        const bool ok =
            WriteFile(file, bmp_.data(), static_cast<DWORD>(bmp_.size()), &wrote, nullptr) &&
            wrote == bmp_.size();
        return CloseHandle(file) && ok;
    }

  private:
    static constexpr uint32_t kBmpHeaders = 54;
    int width_, height_, stride_;
    HDC display_;
    HDC memory_;
    HBITMAP bitmap_;
    std::vector<uint8_t> pixels_;
    std::vector<uint8_t> bmp_;  // headers and pixels, as the file holds them
};

int Loop(const std::string& data, int runs, bool bmp) {
    HWND scene = bench::CreateSceneWindow();
    KeptCapture capture;
    std::vector<double> grab, file;
    for (int i = 0; i <= runs; ++i) {
        double start = bench::NowMs();
        capture.grab();
        GdiFlush();
        const double grabbed = bench::NowMs();
        // A new file for every BMP, as Zelcap's numbered files are.
        const std::string path = data + "\\floor" + std::to_string(bmp ? i : i % 4);
        if (!(bmp ? capture.toBmp(path + ".bmp") : capture.toJpeg(path + ".jpg")))
            return 1;
        const double written = bench::NowMs();
        if (i > 0) {
            grab.push_back(grabbed - start);
            file.push_back(written - grabbed);
        }
        // Timed, a BMP file goes (but the one the script compares): its
        // pages need never be written out, and the next write is not held
        // back by the data waiting before it, whose amount would otherwise
        // decide the time more than the program does.
        if (bmp && i != 1)
            DeleteFileA((path + ".bmp").c_str());
    }
    bench::Report("floor: screen grab", bench::Median(grab));
    bench::Report(bmp ? "floor: hot key -> BMP file" : "floor: hot key -> file",
                  bench::Median(file));
    DestroyWindow(scene);
    return 0;
}

int HotKeys(const std::string& data, int count) {
    HWND window = CreateWindowExA(0, "STATIC", "floor hot keys", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, nullptr, nullptr);
    if (!RegisterHotKey(window, 1, MOD_CONTROL | MOD_SHIFT, VK_F8))
        return 1;
    KeptCapture capture;
    SetTimer(window, 1, 60000, nullptr);
    int written = 0;
    MSG message;
    while (written < count && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER)
            break;
        if (message.message == WM_HOTKEY &&
            capture.toJpeg(data + "\\f" + std::to_string(written + 1) + ".jpg"))
            ++written;
        DispatchMessageA(&message);
    }
    UnregisterHotKey(window, 1);
    DestroyWindow(window);
    std::printf("floor: %d files\n", written);
    return written == count ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    const std::string command = argv[1];
    if (command == "loop" || command == "loop-bmp")
        return Loop(argv[2], std::atoi(argv[3]), command == "loop-bmp");
    if (command == "hotkeys")
        return HotKeys(argv[2], std::atoi(argv[3]));
    return 2;
}
