// Reading a BMP file's bytes into the picture of the image pane.
// Platform-free: the caller reads the file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "view/packed_dib.h"

enum class BmpLoad {
    ok,
    notBmp,       // shorter than the 54 bytes of headers, or no "BM"
    badFileSize,  // bfSize below 54 or beyond the bytes there are
    unsupported,  // not a 24-bit uncompressed picture of one plane with an
                  // info header of at least 40 bytes
    badLayout,    // info header or pixel rows outside the bytes bfSize covers
    tooLarge,     // beyond PackedDib's limits
    outOfMemory,
};

// Takes the `size` bytes of a BMP file, which may come from anywhere, and
// makes `out` its picture. Accepted are files whose
//   - bfSize covers the 54 bytes of headers and at most the bytes given
//     (trailing bytes beyond bfSize are ignored),
//   - info header is at least the 40 bytes of a BITMAPINFOHEADER (later
//     versions such as 108 or 124 bytes are read through their first 40),
//     and ends at or before bfOffBits,
//   - picture is 24 bits, BI_RGB, 1 plane, width > 0 and height other than
//     0 (negative: rows stored top-down, turned over into the picture),
//   - stride * height pixel bytes start at bfOffBits and end within bfSize.
// biSizeImage is not examined: BI_RGB files may leave it 0.
// The picture gets PackedDib's own header followed by the rows as stored.
// For a file as the BMP writer makes it (54 bytes of headers, pixels right
// after them) the block is thus byte for byte the file from offset 14 on.
// `out` holds the picture when the result is ok and is empty otherwise. Its
// block is used again when it already has the picture's size; else it is
// freed before the new one is taken.
BmpLoad loadBmpBytes(const uint8_t* file, std::size_t size, PackedDib& out);
