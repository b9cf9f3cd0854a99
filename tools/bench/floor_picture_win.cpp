// Floor of one selection step: the least a Win32 program does to show the
// next JPEG picture in a window of the image view's size: open the file,
// decode it with libjpeg into a 24-bit bottom-up DIB, and paint it with one
// SetDIBitsToDevice. Prints the median milliseconds.
//   floor_picture.exe DATA PICTURES STEPS VIEW_WIDTH VIEW_HEIGHT
// The pictures are DATA\p0.jpg ... DATA\p<PICTURES-1>.jpg.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <jpeglib.h>

#include "tools/bench/bench_support_win.h"

namespace {

struct Picture {
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> bits;
};
Picture shown;

bool Decode(const std::string& path, Picture& out) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    const size_t stride = ((width * 3 + 3) / 4) * 4;
    out.header = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB,
                  static_cast<DWORD>(stride * height), 0, 0, 0, 0};
    out.bits.assign(stride * height, 0);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        uint8_t* to = &out.bits[(height - 1 - cinfo.output_scanline) * stride];
        JSAMPROW from = row.data();
        jpeg_read_scanlines(&cinfo, &from, 1);
        for (int x = 0; x < width; ++x) {
            to[3 * x] = row[3 * x + 2];
            to[3 * x + 1] = row[3 * x + 1];
            to[3 * x + 2] = row[3 * x];
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return true;
}

LRESULT CALLBACK ViewProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m != WM_PAINT)
        return DefWindowProcA(w, m, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    if (!shown.bits.empty()) {
        SetDIBitsToDevice(dc, 10, 10, shown.header.biWidth, shown.header.biHeight, 0, 0, 0,
                          shown.header.biHeight, shown.bits.data(),
                          reinterpret_cast<const BITMAPINFO*>(&shown.header), DIB_RGB_COLORS);
    }
    EndPaint(w, &ps);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6)
        return 2;
    const std::string data = argv[1];
    const int pictures = std::atoi(argv[2]), steps = std::atoi(argv[3]);
    const int width = std::atoi(argv[4]), height = std::atoi(argv[5]);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ViewProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "FloorPictureView";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, "STATIC", "floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 width + 40, height + 80, nullptr, nullptr, nullptr, nullptr);
    HWND view = CreateWindowExA(WS_EX_CLIENTEDGE, wc.lpszClassName, "", WS_CHILD | WS_VISIBLE, 0,
                                0, width, height, frame, nullptr, wc.hInstance, nullptr);
    bench::PaintNow(frame);
    std::vector<double> ms;
    for (int i = 0; i <= steps; ++i) {
        const double start = bench::NowMs();
        if (!Decode(data + "\\p" + std::to_string((i + 1) % pictures) + ".jpg", shown))
            return 1;
        InvalidateRect(view, nullptr, TRUE);
        bench::PaintNow(frame);
        if (i > 0)
            ms.push_back(bench::NowMs() - start);
    }
    bench::Report("floor: decode + paint", bench::Median(ms));
    DestroyWindow(frame);
    return 0;
}
