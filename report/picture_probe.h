// What the workbook needs to know of a record's picture before embedding it:
// its format, size in pixels and resolution. Platform-free; the bytes may be
// anything.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PictureKind { none, jpeg, bmp, png };

struct PictureInfo {
    PictureKind kind = PictureKind::none;
    uint32_t width = 0;
    uint32_t height = 0;
    // Dots per inch as the workbook library reads them (96 when the file
    // names none), so that sizes computed here match the picture it draws.
    double dpiX = 96;
    double dpiY = 96;
};

// kind none for anything but a JPEG with a frame header before its scan,
// a BMP with a 40-byte or larger info header, a positive width and a height
// other than 0 (negative: rows stored top-down), or a PNG whose first chunk is a whole
// IHDR with positive width and height. A PNG's resolution comes from a pHYs
// chunk in metres, wherever it stands before IEND, as the workbook library
// looks for it.
PictureInfo probePicture(const uint8_t* bytes, std::size_t size);
