#include "report/picture_probe.h"

#include <cstring>

namespace {

uint32_t be16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 8 | p[1];
}

uint32_t be32(const uint8_t* p) {
    return be16(p) << 16 | be16(p + 2);
}

int32_t le32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
}

bool isFrameMarker(uint8_t m) {
    // SOF0-SOF15 less DHT (C4), JPG (C8) and DAC (CC).
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

PictureInfo probeJpeg(const uint8_t* b, std::size_t size) {
    PictureInfo info;
    double dpiX = 96, dpiY = 96;
    std::size_t i = 2;
    while (i + 4 <= size) {
        if (b[i] != 0xFF)
            return {};
        const uint8_t marker = b[i + 1];
        if (marker == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            i += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA)  // end, or the scan before any frame
            return {};
        const std::size_t length = be16(b + i + 2);
        if (length < 2 || i + 2 + length > size)
            return {};
        const uint8_t* seg = b + i + 4;
        if (marker == 0xE0 && length >= 16 && seg[0] == 'J' && seg[1] == 'F' && seg[2] == 'I' &&
            seg[3] == 'F' && seg[4] == 0) {
            const uint8_t units = seg[7];
            const double x = be16(seg + 8), y = be16(seg + 10);
            if (units == 1) {
                dpiX = x;
                dpiY = y;
            } else if (units == 2) {
                dpiX = x * 2.54;
                dpiY = y * 2.54;
            }
        }
        if (isFrameMarker(marker)) {
            if (length < 7)
                return {};
            info.height = be16(seg + 1);
            info.width = be16(seg + 3);
            if (info.width == 0 || info.height == 0)
                return {};
            info.kind = PictureKind::jpeg;
            info.dpiX = dpiX > 0 ? dpiX : 96;
            info.dpiY = dpiY > 0 ? dpiY : 96;
            return info;
        }
        i += 2 + length;
    }
    return {};
}

PictureInfo probeBmp(const uint8_t* b, std::size_t size) {
    if (size < 54 || le32(b + 14) < 40)
        return {};
    const int32_t width = le32(b + 18);
    const int32_t height = le32(b + 22);
    // A negative height is a top-down picture of that many rows.
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return {};
    PictureInfo info;
    info.kind = PictureKind::bmp;
    info.width = static_cast<uint32_t>(width);
    info.height = height > 0 ? static_cast<uint32_t>(height) : 0u - static_cast<uint32_t>(height);
    return info;
}

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool isChunk(const uint8_t* chunk, const char* type) {
    return std::memcmp(chunk + 4, type, 4) == 0;
}

PictureInfo probePng(const uint8_t* b, std::size_t size) {
    // Signature, then IHDR: length 13, type, width, height.
    if (size < 8 + 8 + 13 || be32(b + 8) != 13 || !isChunk(b + 8, "IHDR"))
        return {};
    PictureInfo info;
    info.width = be32(b + 16);
    info.height = be32(b + 20);
    if (info.width == 0 || info.height == 0)
        return {};
    info.kind = PictureKind::png;
    // Each chunk: length, type, data, CRC. Checked against what is left, so
    // a length near 2^32 cannot wrap the position.
    std::size_t i = 8;
    while (size - i >= 8) {
        const uint32_t length = be32(b + i);
        if (isChunk(b + i, "IEND") || length > size - i - 8)
            break;
        if (isChunk(b + i, "pHYs") && length >= 9 && b[i + 16] == 1) {
            const double x = be32(b + i + 8) * 0.0254, y = be32(b + i + 12) * 0.0254;
            info.dpiX = x > 0 ? x : 96;
            info.dpiY = y > 0 ? y : 96;
        }
        if (size - i - 8 - length < 4)
            break;
        i += 8 + std::size_t{length} + 4;
    }
    return info;
}

}  // namespace

PictureInfo probePicture(const uint8_t* bytes, std::size_t size) {
    if (size >= 4 && bytes[0] == 0xFF && bytes[1] == 0xD8)
        return probeJpeg(bytes, size);
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return probeBmp(bytes, size);
    if (size >= 8 && std::memcmp(bytes, kPngSignature, 8) == 0)
        return probePng(bytes, size);
    return {};
}
