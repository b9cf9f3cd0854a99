// Reading BMP files for the image pane: what the capture writer makes is
// taken as it is, and anything the headers cannot back up is refused.
#include "view/bmp_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "base/bmp_format.h"
#include "tests/fuzz/sample_images.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, std::size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put32(Bytes& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Every byte different, so a shifted or reordered copy shows.
Bytes capture(int32_t width, int32_t height) {
    return samples::bmp(width, height, [](int x, int y, int c) { return 1 + x * 31 + y * 7 + c; });
}

BmpLoad load(const Bytes& file, PackedDib& out) {
    return loadBmpBytes(file.data(), file.size(), out);
}

TEST(BmpLoader, TakesACapturedFileByteForByte) {
    // One picture for all: a block kept from the last file (4 and 3 pixels
    // wide make blocks of one size) must not show through the next.
    PackedDib dib;
    for (int32_t width : {4, 3, 5, 1}) {
        const Bytes file = capture(width, 3);
        ASSERT_EQ(load(file, dib), BmpLoad::ok) << width;
        EXPECT_EQ(dib.width(), width);
        EXPECT_EQ(dib.height(), 3);
        EXPECT_EQ(dib.stride(), dibStride(width));
        ASSERT_EQ(dib.size(), file.size() - 14) << width;
        EXPECT_EQ(std::memcmp(dib.data(), file.data() + 14, dib.size()), 0) << width;
    }
}

// Valid files from other writers: the pixels are found through bfOffBits and
// the picture gets a plain 40-byte header.
TEST(BmpLoader, FindsThePixelsOfOtherHeaderVersionsAndColourTables) {
    const Bytes plain = capture(3, 2);
    const Bytes expected(plain.begin() + 14, plain.end());
    const uint32_t pixels = static_cast<uint32_t>(plain.size() - 54);

    struct Variant {
        const char* name;
        uint32_t infoSize;
        uint32_t gap;  // bytes between info header and pixels
    };
    for (const Variant v : {Variant{"V5 header", 124, 0}, Variant{"V4 header", 108, 0},
                            Variant{"colour table", 40, 1024}, Variant{"V5 and gap", 124, 4}}) {
        Bytes file(plain.begin(), plain.begin() + 54);
        file.resize(14 + v.infoSize + v.gap, 0xCC);
        put32(file, 14, v.infoSize);
        put32(file, 46, 256);  // biClrUsed: must not reach the painter
        file.insert(file.end(), plain.begin() + 54, plain.end());
        put32(file, 2, static_cast<uint32_t>(file.size()));
        put32(file, 10, 14 + v.infoSize + v.gap);
        ASSERT_EQ(file.size(), 14 + v.infoSize + v.gap + pixels);

        PackedDib dib;
        ASSERT_EQ(load(file, dib), BmpLoad::ok) << v.name;
        ASSERT_EQ(dib.size(), expected.size()) << v.name;
        EXPECT_EQ(std::memcmp(dib.data(), expected.data(), expected.size()), 0) << v.name;
    }
}

// Rows stored top to bottom (a negative height), as other programs write
// them: the same picture as the bottom-up file.
TEST(BmpLoader, TurnsATopDownPictureOver) {
    for (int32_t width : {1, 5}) {
        const Bytes bottomUp = capture(width, 3);
        const std::size_t stride = dibStride(width);
        Bytes topDown(bottomUp.begin(), bottomUp.begin() + 54);
        for (int row = 2; row >= 0; --row)
            topDown.insert(topDown.end(), bottomUp.begin() + 54 + row * stride,
                           bottomUp.begin() + 54 + (row + 1) * stride);
        put32(topDown, 22, static_cast<uint32_t>(-3));
        PackedDib expected, dib;
        ASSERT_EQ(load(bottomUp, expected), BmpLoad::ok);
        ASSERT_EQ(load(topDown, dib), BmpLoad::ok) << width;
        EXPECT_EQ(dib.height(), 3);
        ASSERT_EQ(dib.size(), expected.size());
        EXPECT_EQ(std::memcmp(dib.data(), expected.data(), dib.size()), 0) << width;
    }
}

TEST(BmpLoader, IgnoresBytesBeyondBfSize) {
    Bytes file = capture(2, 2);
    const std::size_t declared = file.size();
    file.resize(declared + 3, 0xAB);
    PackedDib dib;
    ASSERT_EQ(load(file, dib), BmpLoad::ok);
    EXPECT_EQ(dib.size(), declared - 14);
}

struct Refusal {
    const char* name;
    BmpLoad expected;
    std::function<void(Bytes&)> change;
};

TEST(BmpLoader, RefusesFilesTheHeadersDoNotDescribe) {
    const Refusal refusals[] = {
        {"no signature", BmpLoad::notBmp, [](Bytes& f) { f[1] = 'A'; }},
        {"shorter than the headers", BmpLoad::notBmp, [](Bytes& f) { f.resize(53); }},
        {"bfSize 0", BmpLoad::badFileSize, [](Bytes& f) { put32(f, 2, 0); }},
        {"bfSize 13", BmpLoad::badFileSize, [](Bytes& f) { put32(f, 2, 13); }},
        {"bfSize 53", BmpLoad::badFileSize, [](Bytes& f) { put32(f, 2, 53); }},
        {"bfSize beyond the file", BmpLoad::badFileSize,
         [](Bytes& f) { put32(f, 2, static_cast<uint32_t>(f.size() + 1)); }},
        {"bfSize 0xFFFFFFFF", BmpLoad::badFileSize, [](Bytes& f) { put32(f, 2, 0xFFFFFFFF); }},
        {"last pixel byte missing", BmpLoad::badLayout,
         [](Bytes& f) {
             f.pop_back();
             put32(f, 2, static_cast<uint32_t>(f.size()));
         }},
        {"rows beyond bfSize", BmpLoad::badLayout,
         [](Bytes& f) { put32(f, 2, static_cast<uint32_t>(f.size() - 1)); }},
        {"offset past the end", BmpLoad::badLayout,
         [](Bytes& f) { put32(f, 10, static_cast<uint32_t>(f.size() + 4)); }},
        {"offset 0xFFFFFFFF", BmpLoad::badLayout, [](Bytes& f) { put32(f, 10, 0xFFFFFFFF); }},
        {"offset inside the headers", BmpLoad::badLayout, [](Bytes& f) { put32(f, 10, 50); }},
        {"offset 0", BmpLoad::badLayout, [](Bytes& f) { put32(f, 10, 0); }},
        {"info header beyond the file", BmpLoad::badLayout,
         [](Bytes& f) { put32(f, 14, static_cast<uint32_t>(f.size())); }},
        {"info header over the pixels", BmpLoad::badLayout, [](Bytes& f) { put32(f, 14, 44); }},
        {"core header", BmpLoad::unsupported, [](Bytes& f) { put32(f, 14, 12); }},
        {"width 0", BmpLoad::unsupported, [](Bytes& f) { put32(f, 18, 0); }},
        {"height 0", BmpLoad::unsupported, [](Bytes& f) { put32(f, 22, 0); }},
        {"negative width", BmpLoad::unsupported, [](Bytes& f) { put32(f, 18, 0xFFFFFFFD); }},
        {"height -2^31", BmpLoad::unsupported, [](Bytes& f) { put32(f, 22, 0x80000000); }},
        {"planes 0", BmpLoad::unsupported, [](Bytes& f) { put16(f, 26, 0); }},
        {"8 bits", BmpLoad::unsupported, [](Bytes& f) { put16(f, 28, 8); }},
        {"32 bits", BmpLoad::unsupported, [](Bytes& f) { put16(f, 28, 32); }},
        {"16 bits", BmpLoad::unsupported, [](Bytes& f) { put16(f, 28, 16); }},
        {"RLE8", BmpLoad::unsupported, [](Bytes& f) { put32(f, 30, 1); }},
        {"bit fields", BmpLoad::unsupported, [](Bytes& f) { put32(f, 30, 3); }},
        {"embedded JPEG", BmpLoad::unsupported, [](Bytes& f) { put32(f, 30, 4); }},
        // Stride arithmetic that wraps in 32 bits would make these look small.
        {"width 0x40000000", BmpLoad::tooLarge, [](Bytes& f) { put32(f, 18, 0x40000000); }},
        {"width 0x55555556", BmpLoad::tooLarge, [](Bytes& f) { put32(f, 18, 0x55555556); }},
        {"height 0x7FFFFFFF", BmpLoad::tooLarge, [](Bytes& f) { put32(f, 22, 0x7FFFFFFF); }},
        {"65536 x 65536", BmpLoad::tooLarge,
         [](Bytes& f) {
             put32(f, 18, 65536);
             put32(f, 22, 65536);
         }},
        {"32768 x 32768", BmpLoad::tooLarge,
         [](Bytes& f) {
             put32(f, 18, 32768);
             put32(f, 22, 32768);
         }},
        // Within the size limits, but more rows than the file holds.
        {"1000 x 1000", BmpLoad::badLayout,
         [](Bytes& f) {
             put32(f, 18, 1000);
             put32(f, 22, 1000);
         }},
    };
    for (const Refusal& r : refusals) {
        Bytes file = capture(3, 2);
        r.change(file);
        PackedDib dib = PackedDib::create(1, 1);  // a previous picture goes in any case
        EXPECT_EQ(load(file, dib), r.expected) << r.name;
        EXPECT_TRUE(dib.empty()) << r.name;
    }
}

TEST(BmpLoader, RefusesEveryCutOfACapturedFile) {
    const Bytes file = capture(5, 4);
    for (std::size_t size = 0; size < file.size(); ++size) {
        // A copy of exactly `size` bytes, so that ASan sees any read past it.
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        PackedDib dib;
        EXPECT_NE(loadBmpBytes(cut.data(), cut.size(), dib), BmpLoad::ok) << size;
        EXPECT_TRUE(dib.empty()) << size;
    }
    PackedDib dib;
    EXPECT_EQ(loadBmpBytes(nullptr, 0, dib), BmpLoad::notBmp);
}

}  // namespace
