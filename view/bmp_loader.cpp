#include "view/bmp_loader.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "base/bmp_format.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;

uint16_t get16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t get32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

// The checks of loadBmpBytes; when they pass, the picture's sides (a
// negative height for a top-down picture) and where its rows start.
BmpLoad check(const uint8_t* file, std::size_t size, int32_t* pictureWidth, int32_t* pictureHeight,
              uint32_t* pixelStart) {
    if (file == nullptr || size < kBmpHeaderSize || file[0] != 'B' || file[1] != 'M')
        return BmpLoad::notBmp;

    // Everything below is checked against bfSize, so bfSize itself must not
    // claim more than the file holds.
    const uint32_t fileSize = get32(file + 2);
    if (fileSize < kBmpHeaderSize || fileSize > size)
        return BmpLoad::badFileSize;
    const uint32_t pixelOffset = get32(file + 10);

    const uint8_t* info = file + kFileHeaderSize;
    const uint32_t infoSize = get32(info + 0);
    const auto width = static_cast<int32_t>(get32(info + 4));
    const auto height = static_cast<int32_t>(get32(info + 8));
    const uint16_t planes = get16(info + 12);
    const uint16_t bitCount = get16(info + 14);
    const uint32_t compression = get32(info + 16);

    // Older headers (the 12-byte core header) lay out the fields differently.
    if (infoSize < kDibInfoHeaderSize)
        return BmpLoad::unsupported;
    // Pixels inside the info header would be read as both.
    if (infoSize > fileSize - kFileHeaderSize || pixelOffset < kFileHeaderSize + infoSize)
        return BmpLoad::badLayout;
    // A negative height is a top-down picture of that many rows; its rows
    // are turned over below, for the painter's header stays positive.
    if (planes != 1 || bitCount != 24 || compression != 0 || width <= 0 || height == 0 ||
        height == INT32_MIN)
        return BmpLoad::unsupported;
    const bool topDown = height < 0;
    const int32_t rows = topDown ? -height : height;

    std::size_t blockSize = 0;
    if (!PackedDib::blockSizeFor(width, rows, &blockSize))
        return BmpLoad::tooLarge;
    const std::size_t pixelBytes = blockSize - kDibInfoHeaderSize;
    if (pixelOffset > fileSize || pixelBytes > fileSize - pixelOffset)
        return BmpLoad::badLayout;
    *pictureWidth = width;
    *pictureHeight = height;
    *pixelStart = pixelOffset;
    return BmpLoad::ok;
}

}  // namespace

BmpLoad loadBmpBytes(const uint8_t* file, std::size_t size, PackedDib& out) {
    int32_t width = 0, height = 0;
    uint32_t pixelOffset = 0;
    const BmpLoad checked = check(file, size, &width, &height, &pixelOffset);
    if (checked != BmpLoad::ok) {
        out.reset();
        return checked;
    }
    const bool topDown = height < 0;
    const int32_t rows = topDown ? -height : height;
    out.recreate(width, rows);
    if (out.empty())
        return BmpLoad::outOfMemory;
    // The header is PackedDib's own: a later header version, colour counts or
    // a colour table left in the file would mislead the painter. The rows,
    // their pad bytes included, replace all the block held before.
    const std::size_t pixelBytes = out.size() - kDibInfoHeaderSize;
    if (topDown) {
        const std::size_t stride = out.stride();
        for (int32_t row = 0; row < rows; ++row)
            std::memcpy(out.bits() + static_cast<std::size_t>(rows - 1 - row) * stride,
                        file + pixelOffset + static_cast<std::size_t>(row) * stride, stride);
    } else {
        std::memcpy(out.bits(), file + pixelOffset, pixelBytes);
    }
    return BmpLoad::ok;
}
