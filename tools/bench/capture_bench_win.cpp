// Times whole-screen captures with each writer: prints the median
// milliseconds per capture (grab, conversion and file) at the screen size it
// runs on. The screen is first covered with a picture of gradients, blocks
// and text, so that the encoder has real work to do.
//   capture_bench.exe N OUTPUT_FOLDER
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "capture/capturer_win.h"
#include "history/history.h"
#include "settings/settings_store.h"

extern History history;
extern SettingsStore settingsStore;

namespace {

LRESULT CALLBACK SceneProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m != WM_PAINT)
        return DefWindowProcA(w, m, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    for (int y = 0; y < r.bottom; y += 4) {
        HBRUSH b = CreateSolidBrush(RGB(y * 255 / r.bottom, 128, 255 - y * 255 / r.bottom));
        RECT band{0, y, r.right, y + 4};
        FillRect(dc, &band, b);
        DeleteObject(b);
    }
    srand(1);
    for (int i = 0; i < 120; ++i) {
        HBRUSH b = CreateSolidBrush(RGB(rand() % 256, rand() % 256, rand() % 256));
        const int x = rand() % r.right, y = rand() % r.bottom;
        RECT block{x, y, x + 40 + rand() % 300, y + 20 + rand() % 200};
        FillRect(dc, &block, b);
        DeleteObject(b);
    }
    SetBkMode(dc, TRANSPARENT);
    for (int y = 0; y < r.bottom; y += 18) {
        char line[160];
        std::snprintf(
            line, sizeof line,
            "%04d  The quick brown fox jumps over the lazy dog 0123456789 画面キャプチャー", y);
        TextOutA(dc, 8 + (y % 7) * 40, y, line, lstrlenA(line));
    }
    EndPaint(w, &ps);
    return 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    const char* out = argc > 2 ? argv[2] : ".";
    WNDCLASSA wc{};
    wc.lpfnWndProc = SceneProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZelcapBenchScene";
    RegisterClassA(&wc);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND scene = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0,
                                 width, height, nullptr, nullptr, wc.hInstance, nullptr);
    UpdateWindow(scene);
    GdiFlush();
    Sleep(200);

    Settings& s = settingsStore.settings;
    std::snprintf(s.saveFolder, sizeof s.saveFolder, "%s", out);
    capturer.reset();
    capturer.prime(s, history);
    capturer.jpegQuality = 75;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::printf("screen %dx%d, %d captures per writer\n", width, height, runs);
    for (int jpeg = 0; jpeg < 2; ++jpeg) {
        capturer.jpegMode = jpeg;
        std::vector<double> ms;
        for (int i = 0; i <= runs; ++i) {
            capturer.nextNumber = 1;
            LARGE_INTEGER a, b;
            QueryPerformanceCounter(&a);
            if (capturer.capture(scene, 103) != 2) {
                std::fprintf(stderr, "capture failed\n");
                return 1;
            }
            QueryPerformanceCounter(&b);
            if (i > 0)
                ms.push_back(1000.0 * (b.QuadPart - a.QuadPart) / frequency.QuadPart);
        }
        std::printf("%s median %.1f ms per capture\n", jpeg ? "jpeg" : "bmp ", Median(ms));
    }
    // Where the JPEG road's time goes: the pixels read back from the picture
    // and encoded (no screen grab), and the grab alone.
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\encode.jpg", out);
    std::vector<double> encode, grab;
    for (int i = 0; i <= runs; ++i) {
        LARGE_INTEGER a, b, c;
        QueryPerformanceCounter(&a);
        capturer.encodeJpeg(scene, path, 75);
        QueryPerformanceCounter(&b);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, capturer.image.get());
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        QueryPerformanceCounter(&c);
        if (i > 0) {
            encode.push_back(1000.0 * (b.QuadPart - a.QuadPart) / frequency.QuadPart);
            grab.push_back(1000.0 * (c.QuadPart - b.QuadPart) / frequency.QuadPart);
        }
    }
    std::printf("of which: screen grab %.1f ms, pixel read-back + JPEG encode + file %.1f ms\n",
                Median(grab), Median(encode));
    DestroyWindow(scene);
    return 0;
}
