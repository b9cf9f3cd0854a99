// The layout of 24-bit bottom-up DIBs and of the BMP files made from them.
// Platform-free.
#pragma once

#include <cstdint>

// 14-byte file header followed by the 40-byte BITMAPINFOHEADER.
constexpr uint32_t kBmpHeaderSize = 54;

// The headers' fields are little-endian whatever the machine.
inline void putLe16(uint8_t* at, uint16_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}

inline void putLe32(uint8_t* at, uint32_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
    at[2] = static_cast<uint8_t>(v >> 16);
    at[3] = static_cast<uint8_t>(v >> 24);
}

// Bytes per row: w pixels of three bytes, padded to a multiple of 4, that is
// ((24 * w + 31) / 32) * 4. 0 when width < 1 or the row does not fit in
// 32 bits.
uint32_t dibStride(int32_t width);

// The pixel bytes S = stride * height. False, with *size 0, when width or
// height is not positive or S (or the whole file, 54 + S) does not fit in
// 32 bits.
bool dibImageSize(int32_t width, int32_t height, uint32_t* size);

// The file and information headers of an uncompressed 24-bit BMP file,
// little-endian: "BM", file size 54 + S, offset 54, header size 40, width,
// positive height (rows bottom-up), 1 plane, 24 bits, BI_RGB, image size S,
// zero resolution and colour counts. For sizes dibImageSize refuses, both size
// fields are 0.
void makeBmpHeaders(int32_t width, int32_t height, uint8_t (&out)[kBmpHeaderSize]);
