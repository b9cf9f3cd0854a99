#include "view/picture_window_win.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/file_io_win.h"
#include "base/win_handles_win.h"
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

int CALLBACK NoteFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found) {
    // Faces named with '@' are the vertical ones.
    if (font->lfFaceName[0] == '@')
        return 1;
    cp932::copyText(*reinterpret_cast<char(*)[LF_FACESIZE]>(found), font->lfFaceName);
    return 0;
}

// A face of `dc`'s fonts with Shift-JIS glyphs: `face` itself when it has
// them, else the usual Japanese UI face, else the first such face found.
// Empty when the system has none (the font mapper then chooses).
void ShiftJisFace(HDC dc, char (&face)[LF_FACESIZE]) {
    const char* const candidates[] = {face, "MS UI Gothic", ""};
    for (const char* candidate : candidates) {
        LOGFONTA query{};
        query.lfCharSet = SHIFTJIS_CHARSET;
        cp932::copyText(query.lfFaceName, candidate);
        char found[LF_FACESIZE] = "";
        EnumFontFamiliesExA(dc, &query, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
        if (found[0]) {
            cp932::copyText(face, found);
            return;
        }
    }
    face[0] = '\0';
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
    LOGFONTA font = metrics.lfMessageFont;
    if (font.lfCharSet != SHIFTJIS_CHARSET) {
        win::WindowDc screen(nullptr);
        ShiftJisFace(screen.get(), font.lfFaceName);
        font.lfCharSet = SHIFTJIS_CHARSET;
    }
    return CreateFontIndirectA(&font);
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

void SetScrollBars(HWND canvas, SIZE content, SIZE shown, int& scrollX, int& scrollY) {
    scrollX = std::max(0, std::min(scrollX, static_cast<int>(content.cx - shown.cx)));
    scrollY = std::max(0, std::min(scrollY, static_cast<int>(content.cy - shown.cy)));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = static_cast<int>(content.cx) - 1;
    info.nPage = static_cast<UINT>(shown.cx);
    info.nPos = scrollX;
    SetScrollInfo(canvas, SB_HORZ, &info, TRUE);
    info.nMax = static_cast<int>(content.cy) - 1;
    info.nPage = static_cast<UINT>(shown.cy);
    info.nPos = scrollY;
    SetScrollInfo(canvas, SB_VERT, &info, TRUE);
}

POINT WheelTarget(WPARAM wParam, int scrollX, int scrollY) {
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT)
        return {scrollX - delta, scrollY};
    return {scrollX, scrollY - delta};
}

void PaintBuffered(HWND canvas,
                   const std::function<void(HDC, const RECT& client, const RECT& update)>& paint) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(canvas, &ps);
    RECT client;
    GetClientRect(canvas, &client);
    win::MemoryDc memory(CreateCompatibleDC(dc));
    win::Bitmap buffer(
        CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom)));
    if (memory && buffer) {
        win::SelectGuard selected(memory.get(), buffer.get());
        paint(memory.get(), client, ps.rcPaint);
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, memory.get(), ps.rcPaint.left, ps.rcPaint.top,
               SRCCOPY);
    } else {
        paint(dc, client, ps.rcPaint);
    }
    EndPaint(canvas, &ps);
}

}  // namespace picture_window
