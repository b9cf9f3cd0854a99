// Decoding JPEG files for the image pane: pictures come out bottom-up in
// blue-green-red rows, and damaged or unsuitable files are refused without
// harm.
#include "view/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/bmp_format.h"
#include "capture/jpeg_encoder.h"
#include "tests/fuzz/sample_images.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Bgr {
    int b, g, r;
};

// Pixel (x, y) of the picture, y = 0 the top row.
Bgr at(const PackedDib& dib, int x, int y) {
    const uint8_t* p = dib.bits() + std::size_t(dib.height() - 1 - y) * dib.stride() + x * 3;
    return {p[0], p[1], p[2]};
}

::testing::AssertionResult near(const Bgr& got, const Bgr& want, int tolerance = 6) {
    if (std::abs(got.b - want.b) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.r - want.r) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got B" << got.b << " G" << got.g << " R" << got.r << ", want B" << want.b << " G"
           << want.g << " R" << want.r;
}

// What the painter relies on, whatever the file held.
::testing::AssertionResult wellFormed(const PackedDib& dib) {
    if (dib.empty() || dib.width() <= 0 || dib.height() <= 0)
        return ::testing::AssertionFailure() << "no picture";
    if (dib.stride() != dibStride(dib.width()))
        return ::testing::AssertionFailure() << "stride " << dib.stride();
    if (dib.size() != 40 + std::size_t{dib.stride()} * dib.height())
        return ::testing::AssertionFailure() << "size " << dib.size();
    const uint8_t* h = dib.data();
    const uint32_t headerWidth = h[4] | h[5] << 8 | h[6] << 16 | uint32_t{h[7]} << 24;
    if (headerWidth != uint32_t(dib.width()))
        return ::testing::AssertionFailure() << "header width " << headerWidth;
    for (int32_t row = 0; row < dib.height(); ++row)
        for (uint32_t i = uint32_t(dib.width()) * 3; i < dib.stride(); ++i)
            if (dib.bits()[std::size_t(row) * dib.stride() + i] != 0)
                return ::testing::AssertionFailure() << "padding in row " << row;
    return ::testing::AssertionSuccess();
}

Bytes rgbPicture(int width, int height, const std::vector<Bgr>& topDown) {
    auto j = samples::picture(width, height, JCS_RGB, 3, [&](int x, int y, int c) {
        const Bgr& p = topDown[std::size_t(y) * width + x];
        return c == 0 ? p.r : c == 1 ? p.g : p.b;
    });
    return samples::encode(j);
}

bool decode(const Bytes& file, PackedDib& out) {
    return decodeJpegBytes(file.data(), file.size(), out);
}

const Bgr kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0}, kWhite{255, 255, 255},
    kBlack{0, 0, 0}, kYellow{0, 255, 255}, kCyan{255, 255, 0}, kMagenta{255, 0, 255};

TEST(JpegDecoder, WidthOneRowsArePaddedAndStoredBottomUp) {
    const Bytes file = rgbPicture(1, 3, {kRed, kGreen, kBlue});
    PackedDib dib;
    ASSERT_TRUE(decode(file, dib));
    ASSERT_TRUE(wellFormed(dib));
    EXPECT_EQ(dib.width(), 1);
    EXPECT_EQ(dib.height(), 3);
    EXPECT_EQ(dib.stride(), 4u);
    EXPECT_EQ(dib.size(), 40u + 12u);
    // The top row is the last in the block.
    const uint8_t* rows = dib.bits();
    EXPECT_TRUE(near({rows[8], rows[9], rows[10]}, kRed));
    EXPECT_TRUE(near({rows[4], rows[5], rows[6]}, kGreen));
    EXPECT_TRUE(near({rows[0], rows[1], rows[2]}, kBlue));
}

TEST(JpegDecoder, WidthFourRowsNeedNoPaddingAndKeepTheirOrder) {
    const Bytes file =
        rgbPicture(4, 2, {kRed, kGreen, kBlue, kWhite, kBlack, kYellow, kCyan, kMagenta});
    PackedDib dib;
    ASSERT_TRUE(decode(file, dib));
    ASSERT_TRUE(wellFormed(dib));
    EXPECT_EQ(dib.stride(), 12u);
    EXPECT_EQ(dib.size(), 40u + 24u);
    const Bgr top[] = {kRed, kGreen, kBlue, kWhite};
    const Bgr bottom[] = {kBlack, kYellow, kCyan, kMagenta};
    for (int x = 0; x < 4; ++x) {
        EXPECT_TRUE(near(at(dib, x, 0), top[x])) << x;
        EXPECT_TRUE(near(at(dib, x, 1), bottom[x])) << x;
    }
    // Bottom row first in memory.
    EXPECT_TRUE(near({dib.bits()[0], dib.bits()[1], dib.bits()[2]}, kBlack));
}

// A capture goes out through the writer and comes back as the block it was.
TEST(JpegDecoder, ReadsBackWhatTheCaptureWriterWrote) {
    const int32_t width = 13, height = 10;
    const uint32_t stride = dibStride(width);
    Bytes dib(std::size_t{stride} * height, 0);
    for (int32_t row = 0; row < height; ++row)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = dib.data() + std::size_t(row) * stride + x * 3;
            p[0] = 96;
            p[1] = static_cast<uint8_t>(40 + row * 16);  // darker towards the top
            p[2] = static_cast<uint8_t>(30 + x * 14);
        }
    Bytes scratch = dib;  // the writer swaps channels in place
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(encodeJpegStream(f, width, height, 100, scratch.data(), stride));

    std::rewind(f);
    PackedDib fromStream;
    ASSERT_TRUE(decodeJpegFile(f, fromStream));
    std::fclose(f);
    ASSERT_TRUE(wellFormed(fromStream));
    ASSERT_EQ(fromStream.size(), 40 + dib.size());
    int worst = 0;
    for (std::size_t i = 0; i < dib.size(); ++i)
        worst = std::max(worst, std::abs(fromStream.bits()[i] - dib[i]));
    EXPECT_LE(worst, 12);
}

TEST(JpegDecoder, StreamAndMemoryGiveTheSamePicture) {
    const Bytes file = rgbPicture(3, 2, {kRed, kGreen, kBlue, kCyan, kMagenta, kYellow});
    PackedDib fromMemory;
    ASSERT_TRUE(decode(file, fromMemory));

    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fwrite(file.data(), 1, file.size(), f);
    std::rewind(f);
    PackedDib fromStream;
    EXPECT_TRUE(decodeJpegFile(f, fromStream));
    std::fclose(f);
    ASSERT_EQ(fromStream.size(), fromMemory.size());
    EXPECT_EQ(std::memcmp(fromStream.data(), fromMemory.data(), fromMemory.size()), 0);

    PackedDib none = PackedDib::create(1, 1);
    EXPECT_FALSE(decodeJpegFile(nullptr, none));
    EXPECT_TRUE(none.empty());
    none = PackedDib::create(1, 1);
    EXPECT_FALSE(decodeJpegBytes(nullptr, 0, none));
    EXPECT_TRUE(none.empty());
    EXPECT_FALSE(decodeJpegBytes(file.data(), 0, none));
}

TEST(JpegDecoder, GrayscaleComesOutAsEqualBlueGreenRed) {
    const int width = 9, height = 5;  // stride 28: one padding byte
    const auto gray = samples::picture(width, height, JCS_GRAYSCALE, 1,
                                       [](int x, int y, int) { return 20 + x * 20 + y * 5; });
    PackedDib dib;
    ASSERT_TRUE(decode(samples::encode(gray), dib));
    ASSERT_TRUE(wellFormed(dib));
    EXPECT_EQ(dib.stride(), 28u);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Bgr p = at(dib, x, y);
            EXPECT_EQ(p.b, p.g) << x << "," << y;
            EXPECT_EQ(p.g, p.r) << x << "," << y;
            EXPECT_NEAR(p.g, 20 + x * 20 + y * 5, 3) << x << "," << y;
        }
}

TEST(JpegDecoder, RefusesCmyk) {
    const auto cmyk = samples::picture(8, 8, JCS_CMYK, 4, [](int x, int, int c) { return x * c; });
    const Bytes file = samples::encode(cmyk);
    PackedDib dib = PackedDib::create(2, 2);  // the previous picture goes in any case
    EXPECT_FALSE(decode(file, dib));
    EXPECT_TRUE(dib.empty());
}

// Offset of the first SOFn marker segment of a file libjpeg wrote.
std::size_t frameHeader(const Bytes& file) {
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF) {
        const uint8_t marker = file[at + 1];
        if (marker >= 0xC0 && marker <= 0xC2)
            return at;
        at += 2 + (std::size_t{file[at + 2]} << 8 | file[at + 3]);
    }
    ADD_FAILURE() << "no frame header";
    return 0;
}

void setSize(Bytes& file, unsigned width, unsigned height) {
    const std::size_t sof = frameHeader(file);
    file[sof + 5] = static_cast<uint8_t>(height >> 8);
    file[sof + 6] = static_cast<uint8_t>(height);
    file[sof + 7] = static_cast<uint8_t>(width >> 8);
    file[sof + 8] = static_cast<uint8_t>(width);
}

TEST(JpegDecoder, RefusesHugeDeclaredSizes) {
    auto small = samples::picture(8, 8, JCS_RGB, 3, [](int x, int y, int c) { return x + y + c; });
    const Bytes baseline = samples::encode(small);
    small.progressive = true;  // would want the whole picture's coefficients at once
    const Bytes progressive = samples::encode(small);
    const struct {
        unsigned width, height;
    } sizes[] = {{40000, 8}, {8, 40000}, {32769, 1}, {30000, 30000}, {65535, 65535}};
    for (const Bytes& original : {baseline, progressive})
        for (const auto& s : sizes) {
            Bytes file = original;
            setSize(file, s.width, s.height);
            PackedDib dib;
            EXPECT_FALSE(decode(file, dib)) << s.width << " x " << s.height;
            EXPECT_TRUE(dib.empty());
        }
}

// A grayscale progressive script: the DC scan, then each AC coefficient on
// its own, first at point transform `shift` and refined bit by bit.
std::vector<jpeg_scan_info> oneCoefficientAtATime(int shift) {
    std::vector<jpeg_scan_info> scans;
    scans.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
    for (int k = 1; k < 64; ++k) {
        scans.push_back({1, {0, 0, 0, 0}, k, k, 0, shift});
        for (int al = shift - 1; al >= 0; --al)
            scans.push_back({1, {0, 0, 0, 0}, k, k, al + 1, al});
    }
    return scans;
}

TEST(JpegDecoder, ProgressiveFilesUpToFiveHundredScans) {
    auto gray = samples::picture(16, 16, JCS_GRAYSCALE, 1,
                                 [](int x, int y, int) { return (x * 37 + y * 11) % 256; });
    PackedDib baseline;
    ASSERT_TRUE(decode(samples::encode(gray), baseline));

    // Progression changes the order of the coefficients, not their values.
    gray.scans = oneCoefficientAtATime(1);
    ASSERT_EQ(gray.scans.size(), 127u);
    PackedDib progressive;
    ASSERT_TRUE(decode(samples::encode(gray), progressive));
    ASSERT_EQ(progressive.size(), baseline.size());
    EXPECT_EQ(std::memcmp(progressive.data(), baseline.data(), baseline.size()), 0);

    gray.scans = oneCoefficientAtATime(7);
    ASSERT_EQ(gray.scans.size(), 505u);
    EXPECT_FALSE(decode(samples::encode(gray), progressive));
    EXPECT_TRUE(progressive.empty());
}

TEST(JpegDecoder, RefusesEveryCutAndSurvivesDamage) {
    auto colour = samples::picture(24, 17, JCS_RGB, 3,
                                   [](int x, int y, int c) { return (x * 9 + y * 13) * (c + 1); });
    colour.quality = 75;
    colour.fullChroma = false;
    const Bytes baseline = samples::encode(colour);
    colour.progressive = true;
    const Bytes progressive = samples::encode(colour);

    for (const Bytes& file : {baseline, progressive}) {
        PackedDib dib;
        ASSERT_TRUE(decode(file, dib));
        // Each cut in a buffer of its own size, so that ASan sees reads past
        // it; even a file that lacks only the last byte of its EOI marker is
        // refused.
        for (std::size_t size = 1; size < file.size(); ++size) {
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
            EXPECT_FALSE(decode(cut, dib)) << size << " of " << file.size();
            EXPECT_TRUE(dib.empty());
        }
        // Anything may come of a flipped bit except a crash or a bad block.
        for (std::size_t i = 0; i < file.size(); ++i)
            for (const uint8_t mask : {uint8_t(1u << (i % 8)), uint8_t(0xFF)}) {
                Bytes damaged = file;
                damaged[i] ^= mask;
                if (decode(damaged, dib))
                    EXPECT_TRUE(wellFormed(dib)) << "byte " << i << " ^ " << int(mask);
                else
                    EXPECT_TRUE(dib.empty());
            }
    }
}

}  // namespace
