// Floor of a whole-screen capture: the least a Win32 program does to turn a
// hot key into a JPEG file of the screen, with the display and memory
// device contexts, the bitmap and the pixel block made once and kept:
// BitBlt from the screen, GetDIBits, and libjpeg (quality 75, fast integer
// DCT) through a stdio stream.
//   floor_capture.exe loop DATA RUNS      times captures called in a loop over
//                                         the busy picture; prints medians
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
          pixels_(static_cast<size_t>(stride_) * height_) {}
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
    bool readBack() {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, height_, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        return GetDIBits(display_, bitmap_, 0, height_, pixels_.data(), &info, DIB_RGB_COLORS) ==
               height_;
    }
    bool toJpeg(const std::string& path) {
        grab();
        return readBack() && bench::WriteJpeg(path.c_str(), width_, height_, 75, pixels_.data());
    }

  private:
    int width_, height_, stride_;
    HDC display_;
    HDC memory_;
    HBITMAP bitmap_;
    std::vector<uint8_t> pixels_;
};

int Loop(const std::string& data, int runs) {
    HWND scene = bench::CreateSceneWindow();
    KeptCapture capture;
    std::vector<double> grab, file;
    for (int i = 0; i <= runs; ++i) {
        double start = bench::NowMs();
        capture.grab();
        GdiFlush();
        const double grabbed = bench::NowMs();
        if (!capture.toJpeg(data + "\\floor" + std::to_string(i % 4) + ".jpg"))
            return 1;
        const double written = bench::NowMs();
        if (i > 0) {
            grab.push_back(grabbed - start);
            file.push_back(written - grabbed);
        }
    }
    bench::Report("floor: screen grab", bench::Median(grab));
    bench::Report("floor: hot key -> file", bench::Median(file));
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
    if (command == "loop")
        return Loop(argv[2], std::atoi(argv[3]));
    if (command == "hotkeys")
        return HotKeys(argv[2], std::atoi(argv[3]));
    return 2;
}
