// The BMP file layout of captures: row stride, image size and the headers.
#include "base/bmp_format.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

namespace {

std::array<uint8_t, kBmpHeaderSize> headers(int32_t width, int32_t height) {
    uint8_t raw[kBmpHeaderSize];
    makeBmpHeaders(width, height, raw);
    std::array<uint8_t, kBmpHeaderSize> out{};
    for (uint32_t i = 0; i < kBmpHeaderSize; ++i)
        out[i] = raw[i];
    return out;
}

uint32_t read32(const std::array<uint8_t, kBmpHeaderSize>& h, int at) {
    return uint32_t{h[at]} | uint32_t{h[at + 1]} << 8 | uint32_t{h[at + 2]} << 16 |
           uint32_t{h[at + 3]} << 24;
}

TEST(DibStride, RowsArePaddedToFourBytes) {
    EXPECT_EQ(dibStride(1), 4u);  // 3 pixel bytes and one pad byte
    EXPECT_EQ(dibStride(2), 8u);
    EXPECT_EQ(dibStride(3), 12u);
    EXPECT_EQ(dibStride(4), 12u);  // a multiple of 4 needs no padding
    EXPECT_EQ(dibStride(5), 16u);
    EXPECT_EQ(dibStride(1024), 3072u);
    EXPECT_EQ(dibStride(1366), 4100u);
}

TEST(DibStride, NoStrideForEmptyOrUnrepresentableRows) {
    EXPECT_EQ(dibStride(0), 0u);
    EXPECT_EQ(dibStride(-1), 0u);
    // The widest row that still fits in 32 bits, and the next one.
    EXPECT_EQ(dibStride(1431655764), 4294967292u);
    EXPECT_EQ(dibStride(1431655765), 0u);
    EXPECT_EQ(dibStride(std::numeric_limits<int32_t>::max()), 0u);
}

TEST(DibImageSize, StrideTimesHeight) {
    uint32_t size = 1;
    ASSERT_TRUE(dibImageSize(5, 3, &size));
    EXPECT_EQ(size, 48u);
    ASSERT_TRUE(dibImageSize(1024, 768, &size));
    EXPECT_EQ(size, 3072u * 768u);
}

TEST(DibImageSize, RefusesEmptyAndOverflowingPictures) {
    uint32_t size = 1;
    EXPECT_FALSE(dibImageSize(0, 10, &size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(dibImageSize(10, 0, &size));
    EXPECT_FALSE(dibImageSize(-10, 10, &size));
    EXPECT_FALSE(dibImageSize(10, -10, &size));
    // Beyond 32 bits as a product.
    EXPECT_FALSE(dibImageSize(40000, 40000, &size));
    EXPECT_FALSE(dibImageSize(std::numeric_limits<int32_t>::max(), 1, &size));
    // S itself fits, but not the file of 54 + S bytes.
    EXPECT_FALSE(dibImageSize(1431655764, 1, &size));
    // Stride 4: the tallest picture whose file still fits, and one row more.
    ASSERT_TRUE(dibImageSize(1, 1073741810, &size));
    EXPECT_EQ(size, 4294967240u);
    EXPECT_FALSE(dibImageSize(1, 1073741811, &size));
    EXPECT_EQ(size, 0u);
}

TEST(BmpHeaders, ThreeByTwoPicture) {
    // stride 12, S = 24, file 78 bytes
    const std::array<uint8_t, kBmpHeaderSize> expected = {
        0x42, 0x4D, 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,        // file header
        40,   0,    0,  0,                                       // header size
        3,    0,    0,  0,                                       // width
        2,    0,    0,  0,                                       // height, bottom-up
        1,    0,                                                 // planes
        24,   0,                                                 // bits per pixel
        0,    0,    0,  0,                                       // BI_RGB
        24,   0,    0,  0,                                       // image size
        0,    0,    0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0,  // resolutions, colours
    };
    EXPECT_EQ(headers(3, 2), expected);
}

TEST(BmpHeaders, MultiByteFieldsAreLittleEndian) {
    // 1366 x 768: stride 4100, S = 3148800 (0x00300C00), file 0x00300C36.
    const std::array<uint8_t, kBmpHeaderSize> expected = {
        0x42, 0x4D, 0x36, 0x0C, 0x30, 0x00, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0,    0,
        0x56, 0x05, 0,    0,    0,    0x03, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 0x00, 0x0C,
        0x30, 0x00, 0,    0,    0,    0,    0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0,    0,
    };
    EXPECT_EQ(headers(1366, 768), expected);
}

TEST(BmpHeaders, SizeFieldsAgreeWithTheImageSize) {
    for (int32_t w : {1, 2, 3, 4, 5, 641}) {
        uint32_t size = 0;
        ASSERT_TRUE(dibImageSize(w, 7, &size));
        const auto h = headers(w, 7);
        EXPECT_EQ(read32(h, 2), 54u + size) << w;
        EXPECT_EQ(read32(h, 34), size) << w;
        EXPECT_EQ(read32(h, 18), static_cast<uint32_t>(w));
        EXPECT_EQ(read32(h, 22), 7u);
    }
}

TEST(BmpHeaders, UnrepresentableSizesAreWrittenAsZero) {
    const auto h = headers(40000, 40000);
    EXPECT_EQ(h[0], 0x42);
    EXPECT_EQ(read32(h, 2), 0u);
    EXPECT_EQ(read32(h, 34), 0u);
    EXPECT_EQ(read32(h, 18), 40000u);
}

}  // namespace
