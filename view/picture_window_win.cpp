#include "view/picture_window_win.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/file_io_win.h"
#include "view/bmp_loader.h"
#include "view/image_names.h"
#include "view/jpeg_decoder.h"
#include "view/png_decoder.h"

namespace picture_window {

namespace {

constexpr int kLineStep = 20;  // pixels a scroll arrow moves

bool RegisterOnce(const WNDCLASSA& wc) {
    WNDCLASSA existing{};
    return GetClassInfoA(wc.hInstance, wc.lpszClassName, &existing) || RegisterClassA(&wc);
}

}  // namespace

const char* FileNamePart(const std::string& path) {
    const char* slash = cp932::findLastChar(path.c_str(), '\\');
    return slash ? slash + 1 : path.c_str();
}

bool LoadPictureFile(const std::string& path, PackedDib& out) {
    std::string bytes;
    if (!win::ReadWholeFile(path.c_str(), bytes, static_cast<int64_t>(kMaxDibBlockSize) + 4096))
        return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (isPngName(path.c_str()))
        return decodePngBytes(data, bytes.size(), out);
    if (isJpegName(path.c_str()))
        return decodeJpegBytes(data, bytes.size(), out);
    if (isBmpName(path.c_str()))
        return loadBmpBytes(data, bytes.size(), out) == BmpLoad::ok;
    return false;
}

bool RegisterClasses(HINSTANCE instance, const char* frameClass, WNDPROC frameProc,
                     const char* canvasClass, WNDPROC canvasProc, UINT canvasStyle) {
    WNDCLASSA frame{};
    frame.hInstance = instance;
    frame.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    frame.lpfnWndProc = frameProc;
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame.lpszClassName = frameClass;
    frame.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(107));
    WNDCLASSA canvas{};
    canvas.hInstance = instance;
    canvas.style = canvasStyle;
    canvas.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    canvas.lpfnWndProc = canvasProc;
    canvas.lpszClassName = canvasClass;
    return RegisterOnce(frame) && RegisterOnce(canvas);
}

HFONT CreateMessageFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return CreateFontIndirectA(&metrics.lfMessageFont);
}

int LabelWidth(HDC dc, const char* label) {
    std::string shown = label;
    shown.erase(std::remove(shown.begin(), shown.end(), '&'), shown.end());
    SIZE size{};
    GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    return static_cast<int>(size.cx);
}

int ScrollTarget(HWND canvas, int bar, WPARAM code) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(canvas, bar, &info);
    switch (LOWORD(code)) {
        case SB_LINEUP:
            return info.nPos - kLineStep;
        case SB_LINEDOWN:
            return info.nPos + kLineStep;
        case SB_PAGEUP:
            return info.nPos - static_cast<int>(info.nPage);
        case SB_PAGEDOWN:
            return info.nPos + static_cast<int>(info.nPage);
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return info.nMax;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            return info.nTrackPos;
        default:
            return info.nPos;
    }
}

}  // namespace picture_window
