// The one picture layout every writer, the clipboard and the step grabs
// share: bottom-up rows of 24-bit BGR, as a DIB describes them.
#pragma once

#include <windows.h>

#include <cstdint>

inline BITMAPINFO BottomUpBgr24(int32_t width, int32_t height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}
