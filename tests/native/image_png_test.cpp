// PNG captures and the PNG loader: the writer's files are lossless and read
// the same by libpng's own simplified reader, every colour type comes out as
// blue-green-red rows over white, and damaged files are refused.
#include "picture/png_encoder.h"
#include "view/png_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/bmp_format.h"
#include "tests/fuzz/sample_images.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kPadByte = 0xEE;  // GetDIBits leaves zeros; this shows misread padding

// A bottom-up BGR block as GetDIBits delivers it, every byte different
// enough that a swapped channel or a row off by one shows.
Bytes makeBlock(int32_t width, int32_t height) {
    const uint32_t stride = dibStride(width);
    Bytes block(std::size_t{stride} * height, kPadByte);
    for (int32_t row = 0; row < height; ++row)
        for (int32_t i = 0; i < width * 3; ++i)
            block[std::size_t(row) * stride + i] = static_cast<uint8_t>(row * 31 + i * 7 + i / 3);
    return block;
}

// The picture's rows without their padding, bottom row first.
Bytes rowsOf(const uint8_t* bits, int32_t width, int32_t height) {
    Bytes rows;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* from = bits + std::size_t(row) * dibStride(width);
        rows.insert(rows.end(), from, from + width * 3);
    }
    return rows;
}

TEST(PngImage, RoundTripIsExactAndMatchesLibpng) {
    for (const int32_t width : {1, 3, 1921}) {
        const int32_t height = 5;
        Bytes block = makeBlock(width, height);
        const Bytes original = block;
        Bytes file;
        ASSERT_TRUE(encodePngBytes(width, height, block.data(), dibStride(width), file)) << width;
        EXPECT_EQ(block, original) << "the writer must leave the kept block alone";

        PackedDib dib = PackedDib::create(2, 2);
        ASSERT_TRUE(decodePngBytes(file.data(), file.size(), dib)) << width;
        ASSERT_EQ(dib.width(), width);
        ASSERT_EQ(dib.height(), height);
        EXPECT_EQ(rowsOf(dib.bits(), width, height), rowsOf(block.data(), width, height)) << width;
        for (int32_t row = 0; row < height; ++row)
            for (uint32_t i = uint32_t(width) * 3; i < dib.stride(); ++i)
                ASSERT_EQ(dib.bits()[std::size_t(row) * dib.stride() + i], 0) << "padding";

        // An independent reader: a fault shared by writer and loader (red
        // and blue swapped, rows upside down) shows here.
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&image, file.data(), file.size()));
        image.format = PNG_FORMAT_BGR;
        Bytes theirs(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, theirs.data(),
                                          -static_cast<png_int_32>(width * 3), nullptr));
        EXPECT_EQ(theirs, rowsOf(block.data(), width, height)) << width;
    }
}

TEST(PngImage, WriterRefusesWhatIsNoPicture) {
    Bytes block = makeBlock(4, 2);
    Bytes file{1, 2, 3};
    EXPECT_FALSE(encodePngBytes(0, 2, block.data(), 12, file));
    EXPECT_FALSE(encodePngBytes(4, -1, block.data(), 12, file));
    EXPECT_FALSE(encodePngBytes(4, 2, block.data(), 11, file));  // stride below 3 * width
    EXPECT_FALSE(encodePngBytes(4, 2, nullptr, 12, file));
    EXPECT_TRUE(file.empty());
}

struct KindCase {
    const char* what;
    int colorType, bitDepth;
    bool interlaced;
    Bytes row;  // the file's first row; the others repeat it
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;
    bool grayKey;
    uint16_t key;
    std::vector<int> bgr;  // the first row's pixels as the pane gets them
};

TEST(PngImage, EveryKindComesOutBgrOverWhite) {
    const std::vector<png_color> palette{{10, 20, 30}, {200, 100, 0}, {1, 2, 3}};
    // One case a line or two reads better than one field a line.
    // clang-format off
    const KindCase cases[] = {
        {"gray 8", PNG_COLOR_TYPE_GRAY, 8, false, {7, 250}, {}, {}, false, 0,
         {7, 7, 7, 250, 250, 250}},
        {"gray 1", PNG_COLOR_TYPE_GRAY, 1, false, {0x80}, {}, {}, false, 0,
         {255, 255, 255, 0, 0, 0}},
        {"gray 16 scaled", PNG_COLOR_TYPE_GRAY, 16, false, {0x12, 0x12, 0xFF, 0xFF}, {}, {},
         false, 0, {0x12, 0x12, 0x12, 255, 255, 255}},
        {"gray key clear", PNG_COLOR_TYPE_GRAY, 8, false, {9, 5}, {}, {}, true, 5,
         {9, 9, 9, 255, 255, 255}},
        {"gray alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {100, 255, 100, 0}, {}, {}, false, 0,
         {100, 100, 100, 255, 255, 255}},
        {"rgb 16", PNG_COLOR_TYPE_RGB, 16, false, {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6}, {}, {},
         false, 0, {3, 2, 1, 6, 5, 4}},
        {"rgba half", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {0, 100, 255, 128, 0, 0, 0, 255}, {},
         {}, false, 0, {255, 177, 127, 0, 0, 0}},
        {"palette 2 with tRNS", PNG_COLOR_TYPE_PALETTE, 2, false, {0x10}, palette, {0, 255},
         false, 0, {255, 255, 255, 0, 100, 200}},
        {"palette 8 interlaced", PNG_COLOR_TYPE_PALETTE, 8, true, {2, 0}, palette, {}, false, 0,
         {3, 2, 1, 30, 20, 10}},
        {"rgb interlaced", PNG_COLOR_TYPE_RGB, 8, true, {1, 2, 3, 4, 5, 6}, {}, {}, false, 0,
         {3, 2, 1, 6, 5, 4}},
    };
    // clang-format on
    for (const KindCase& c : cases) {
        samples::Png p;
        // Two pixels a row; 9 rows reach every pass of Adam7.
        p.width = 2;
        p.height = 9;
        p.colorType = c.colorType;
        p.bitDepth = c.bitDepth;
        p.interlaced = c.interlaced;
        ASSERT_EQ(c.row.size(), p.rowBytes()) << c.what;
        for (png_uint_32 y = 0; y < p.height; ++y)
            p.rows.insert(p.rows.end(), c.row.begin(), c.row.end());
        p.palette = c.palette;
        p.paletteAlpha = c.paletteAlpha;
        p.grayKey = c.grayKey;
        p.keyValue = c.key;
        const Bytes file = samples::encode(p);
        PackedDib dib;
        ASSERT_TRUE(decodePngBytes(file.data(), file.size(), dib)) << c.what;
        ASSERT_EQ(dib.width(), 2) << c.what;
        ASSERT_EQ(dib.height(), 9) << c.what;
        for (int32_t row = 0; row < 9; ++row) {
            const uint8_t* bits = dib.bits() + std::size_t(row) * dib.stride();
            EXPECT_EQ(std::vector<int>(bits, bits + 6), c.bgr) << c.what << " row " << row;
        }
    }
}

// Rewrites a chunk's CRC after its bytes were changed.
void fixCrc(Bytes& file, std::size_t chunk) {
    const uint32_t length = uint32_t{file[chunk]} << 24 | file[chunk + 1] << 16 |
                            file[chunk + 2] << 8 | file[chunk + 3];
    uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = chunk + 4; i < chunk + 8 + length; ++i) {
        crc ^= file[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    crc ^= 0xFFFFFFFF;
    for (int i = 0; i < 4; ++i)
        file[chunk + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
}

TEST(PngImage, LoaderRefusesDamagedAndOversizedFiles) {
    Bytes block = makeBlock(16, 9);
    Bytes good;
    ASSERT_TRUE(encodePngBytes(16, 9, block.data(), dibStride(16), good));
    constexpr std::size_t kIhdr = 8;  // the chunk after the signature
    auto withSize = [&](uint32_t width, uint32_t height) {
        Bytes f = good;
        for (int i = 0; i < 4; ++i) {
            f[kIhdr + 8 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
            f[kIhdr + 12 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
        }
        fixCrc(f, kIhdr);
        return f;
    };
    Bytes badCrc = good;
    badCrc[kIhdr + 9] ^= 1;
    Bytes badZlib = good;
    badZlib[33 + 8 + 2] ^= 0xFF;  // inside the IDAT data, its CRC kept right
    fixCrc(badZlib, 33);
    Bytes notPng = good;
    notPng[1] = 'Q';
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"empty", {}},
        {"signature only", Bytes(good.begin(), good.begin() + 8)},
        {"not a PNG", notPng},
        {"cut in the pixels", Bytes(good.begin(), good.begin() + 60)},
        {"cut before IEND", Bytes(good.begin(), good.end() - 12)},
        {"IHDR CRC broken", badCrc},
        {"zlib data broken", badZlib},
        {"width 0", withSize(0, 9)},
        {"wider than the pane takes", withSize(kMaxDibSide + 1, 9)},
        {"block beyond 256 MiB", withSize(20000, 20000)},
    };
    ASSERT_TRUE(std::memcmp(good.data() + 33 + 4, "IDAT", 4) == 0);
    for (const auto& c : cases) {
        PackedDib dib = PackedDib::create(3, 3);
        EXPECT_FALSE(decodePngBytes(c.file.data(), c.file.size(), dib)) << c.what;
        EXPECT_TRUE(dib.empty()) << c.what;
    }
}

}  // namespace
