// JPEG compression of captures: encoded through the project's encoder,
// decoded back with libjpeg here.
#include "capture/jpeg_encoder.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <vector>
// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

namespace {

struct Rgb {
    int r, g, b;
};

const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kYellow{255, 255, 0};

constexpr uint8_t kPadByte = 0xEE;  // GetDIBits leaves zeros; this shows misread padding

// A picture as GetDIBits delivers it: bottom-up rows of blue, green, red.
struct Dib {
    int32_t width = 0, height = 0;
    uint32_t stride = 0;
    std::vector<uint8_t> bytes;
};

Dib makeDib(int32_t width, int32_t height, const std::function<Rgb(int32_t, int32_t)>& pixel) {
    Dib d;
    d.width = width;
    d.height = height;
    d.stride = static_cast<uint32_t>((width * 3 + 3) / 4 * 4);
    d.bytes.assign(static_cast<std::size_t>(d.stride) * height, kPadByte);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = d.bytes.data() + static_cast<std::size_t>(height - 1 - y) * d.stride;
        for (int32_t x = 0; x < width; ++x) {
            const Rgb c = pixel(x, y);
            row[x * 3 + 0] = static_cast<uint8_t>(c.b);
            row[x * 3 + 1] = static_cast<uint8_t>(c.g);
            row[x * 3 + 2] = static_cast<uint8_t>(c.r);
        }
    }
    return d;
}

std::vector<uint8_t> encode(Dib& d, int quality) {
    std::FILE* f = std::tmpfile();
    if (f == nullptr) {
        ADD_FAILURE() << "no temporary file";
        return {};
    }
    EXPECT_TRUE(encodeJpegStream(f, d.width, d.height, quality, d.bytes.data(), d.stride));
    std::vector<uint8_t> out;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;)
        out.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return out;
}

// --- Decoding, with an error manager that returns instead of exiting. ---

struct DecodeError {
    jpeg_error_mgr standard;
    std::jmp_buf back;
};

[[noreturn]] void decodeFailed(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<DecodeError*>(cinfo->err)->back, 1);
}

void quiet(j_common_ptr) {}

struct Decoded {
    uint32_t width = 0, height = 0;
    bool jfif = false;
    int jfifMajor = 0, jfifMinor = 0;
    int lumaQuant[64] = {};
    std::vector<uint8_t> rgb;  // top-down rows, three bytes a pixel

    Rgb at(int32_t x, int32_t y) const {
        const uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
        return {p[0], p[1], p[2]};
    }
};

struct Decompression {
    jpeg_decompress_struct cinfo;
    DecodeError error;
};

// Trivially destructible locals only: a decoding error longjmps back here.
bool decodeWith(Decompression* const d, const std::vector<uint8_t>* jpeg, Decoded* out) {
    d->cinfo.err = jpeg_std_error(&d->error.standard);
    d->error.standard.error_exit = decodeFailed;
    d->error.standard.output_message = quiet;
    if (setjmp(d->error.back)) {
        jpeg_destroy_decompress(&d->cinfo);
        return false;
    }
    jpeg_create_decompress(&d->cinfo);
    jpeg_mem_src(&d->cinfo, jpeg->data(), static_cast<unsigned long>(jpeg->size()));
    jpeg_read_header(&d->cinfo, TRUE);
    out->jfif = d->cinfo.saw_JFIF_marker;
    out->jfifMajor = d->cinfo.JFIF_major_version;
    out->jfifMinor = d->cinfo.JFIF_minor_version;
    if (d->cinfo.quant_tbl_ptrs[0] != nullptr) {
        for (int i = 0; i < 64; ++i)
            out->lumaQuant[i] = d->cinfo.quant_tbl_ptrs[0]->quantval[i];
    }
    d->cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d->cinfo);
    out->width = d->cinfo.output_width;
    out->height = d->cinfo.output_height;
    out->rgb.resize(static_cast<std::size_t>(out->width) * out->height * 3);
    while (d->cinfo.output_scanline < d->cinfo.output_height) {
        JSAMPROW row =
            out->rgb.data() + static_cast<std::size_t>(d->cinfo.output_scanline) * out->width * 3;
        jpeg_read_scanlines(&d->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&d->cinfo);
    jpeg_destroy_decompress(&d->cinfo);
    return true;
}

bool decode(const std::vector<uint8_t>& jpeg, Decoded* out) {
    if (jpeg.empty())
        return false;
    Decompression d{};
    return decodeWith(&d, &jpeg, out);
}

// The marker codes up to the start of the scan.
std::vector<int> headerMarkers(const std::vector<uint8_t>& jpeg) {
    std::vector<int> markers;
    std::size_t i = 2;  // after SOI
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF) {
        const int code = jpeg[i + 1];
        markers.push_back(code);
        if (code == 0xDA)
            break;
        i += 2 + (std::size_t{jpeg[i + 2]} << 8 | jpeg[i + 3]);
    }
    return markers;
}

int distance(const Rgb& a, const Rgb& b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

::testing::AssertionResult colourNear(const Rgb& actual, const Rgb& expected, int tolerance) {
    if (distance(actual, expected) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got (" << actual.r << "," << actual.g << "," << actual.b << ") want (" << expected.r
           << "," << expected.g << "," << expected.b << ")";
}

// Red top left, green top right, yellow bottom left, blue bottom right: a
// picture fed bottom-up, with blue and red left unswapped, or both, differs
// in every quadrant.
Rgb quadrant(int32_t x, int32_t y, int32_t size) {
    const bool top = y < size / 2;
    const bool left = x < size / 2;
    return top ? (left ? kRed : kGreen) : (left ? kYellow : kBlue);
}

TEST(JpegEncoder, QuadrantsComeBackWhereTheyWerePut) {
    // Quadrants of 16 fill whole 4:2:0 blocks, so even the coarsest quality
    // keeps their colours; the tolerance grows with the quantisation step.
    const struct {
        int quality;
        int tolerance;
    } cases[] = {{75, 8}, {150, 4}, {0, 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quality);
        Dib dib = makeDib(32, 32, [](int32_t x, int32_t y) { return quadrant(x, y, 32); });
        Decoded out;
        ASSERT_TRUE(decode(encode(dib, c.quality), &out));
        ASSERT_EQ(out.width, 32u);
        ASSERT_EQ(out.height, 32u);
        for (int32_t y : {3, 12, 19, 28}) {
            for (int32_t x : {3, 12, 19, 28})
                EXPECT_TRUE(colourNear(out.at(x, y), quadrant(x, y, 32), c.tolerance));
        }
    }
}

TEST(JpegEncoder, SmallQuadrantPicture) {
    Dib dib = makeDib(16, 16, [](int32_t x, int32_t y) { return quadrant(x, y, 16); });
    Decoded out;
    ASSERT_TRUE(decode(encode(dib, 75), &out));
    ASSERT_EQ(out.width, 16u);
    ASSERT_EQ(out.height, 16u);
    // Chroma is shared by the four quadrants here; the corners stay closest.
    for (int32_t y : {0, 15}) {
        for (int32_t x : {0, 15})
            EXPECT_TRUE(colourNear(out.at(x, y), quadrant(x, y, 16), 24));
    }
}

TEST(JpegEncoder, BaselineJfifWithTheRequestedQuality) {
    // Quality scales the standard luminance table (first entry 16); out of
    // range values are clamped by libjpeg, and forced baseline caps entries at
    // 255 where quality 1 would ask for 800.
    const struct {
        int quality;
        int firstEntry;
        int largestEntry;
    } cases[] = {{75, 8, 61},   {150, 1, 1},   {100, 1, 1},
                 {0, 255, 255}, {1, 255, 255}, {-20, 255, 255}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quality);
        Dib dib = makeDib(8, 8, [](int32_t x, int32_t y) { return Rgb{x * 30, y * 30, 100}; });
        const std::vector<uint8_t> jpeg = encode(dib, c.quality);
        ASSERT_GE(jpeg.size(), 4u);
        EXPECT_EQ(jpeg[0], 0xFF);
        EXPECT_EQ(jpeg[1], 0xD8);
        EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
        EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
        const std::vector<int> markers = headerMarkers(jpeg);
        ASSERT_FALSE(markers.empty());
        EXPECT_EQ(markers.front(), 0xE0);                                           // APP0, JFIF
        EXPECT_NE(std::find(markers.begin(), markers.end(), 0xC0), markers.end());  // SOF0
        EXPECT_EQ(std::find(markers.begin(), markers.end(), 0xC1), markers.end());
        EXPECT_EQ(std::find(markers.begin(), markers.end(), 0xC2), markers.end());

        Decoded out;
        ASSERT_TRUE(decode(jpeg, &out));
        EXPECT_TRUE(out.jfif);
        EXPECT_EQ(out.jfifMajor, 1);
        EXPECT_EQ(out.jfifMinor, 1);
        EXPECT_EQ(out.lumaQuant[0], c.firstEntry);
        EXPECT_EQ(*std::max_element(out.lumaQuant, out.lumaQuant + 64), c.largestEntry);
    }
}

TEST(JpegEncoder, PaddedRowsOfNarrowPictures) {
    // Widths 1 and 5 have a pad byte at the end of every row; the top half is
    // red and the bottom half green, so a wrong stride or order shows.
    for (int32_t width : {1, 5}) {
        SCOPED_TRACE(width);
        Dib dib = makeDib(width, 32, [](int32_t, int32_t y) { return y < 16 ? kRed : kGreen; });
        Decoded out;
        ASSERT_TRUE(decode(encode(dib, 90), &out));
        ASSERT_EQ(out.width, static_cast<uint32_t>(width));
        ASSERT_EQ(out.height, 32u);
        for (int32_t y = 0; y < 32; ++y) {
            if (y >= 13 && y < 19)
                continue;  // the edge blurs
            for (int32_t x = 0; x < width; ++x)
                EXPECT_TRUE(colourNear(out.at(x, y), y < 16 ? kRed : kGreen, 12)) << x << "," << y;
        }
    }
}

TEST(JpegEncoder, OddSizedGradient) {
    // 37 x 23: one pad byte per row, partial blocks at the right and bottom.
    auto pixel = [](int32_t x, int32_t y) { return Rgb{x * 6, y * 10, 200 - x * 2}; };
    Dib dib = makeDib(37, 23, pixel);
    Decoded out;
    ASSERT_TRUE(decode(encode(dib, 90), &out));
    ASSERT_EQ(out.width, 37u);
    ASSERT_EQ(out.height, 23u);
    long total = 0;
    for (int32_t y = 0; y < 23; ++y) {
        for (int32_t x = 0; x < 37; ++x) {
            const int d = distance(out.at(x, y), pixel(x, y));
            EXPECT_LE(d, 16) << x << "," << y;
            total += d;
        }
    }
    EXPECT_LE(total / (37 * 23), 3);
}

TEST(JpegEncoder, BlockComesBackAsRgbWithPaddingUntouched) {
    Dib dib = makeDib(5, 3, [](int32_t x, int32_t y) { return Rgb{10 + x, 100 + y, 200}; });
    std::vector<uint8_t> expected = dib.bytes;
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t x = 0; x < 5; ++x)
            std::swap(expected[row * dib.stride + x * 3], expected[row * dib.stride + x * 3 + 2]);
    }
    encode(dib, 75);
    EXPECT_EQ(dib.bytes, expected);
}

TEST(JpegEncoder, FullDeviceFailsWithoutEndingTheProcess) {
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr)
        GTEST_SKIP() << "/dev/full is not available";
    // Enough noise to overflow libjpeg's and stdio's buffers mid-picture.
    uint32_t seed = 12345;
    Dib dib = makeDib(256, 256, [&seed](int32_t, int32_t) {
        seed = seed * 1103515245u + 12345u;
        return Rgb{static_cast<int>(seed >> 24), static_cast<int>(seed >> 16 & 0xFF),
                   static_cast<int>(seed >> 8 & 0xFF)};
    });
    EXPECT_FALSE(encodeJpegStream(full, dib.width, dib.height, 75, dib.bytes.data(), dib.stride));
    std::fclose(full);

    // A small picture fails only when libjpeg flushes at the end.
    full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    Dib tiny = makeDib(2, 2, [](int32_t, int32_t) { return kRed; });
    EXPECT_FALSE(encodeJpegStream(full, 2, 2, 75, tiny.bytes.data(), tiny.stride));
    std::fclose(full);
}

TEST(JpegEncoder, ReadOnlyStreamFails) {
    std::FILE* scratch = std::tmpfile();
    ASSERT_NE(scratch, nullptr);
    // Reopened for reading only, the stream refuses every write.
    std::FILE* readOnly = std::freopen(nullptr, "rb", scratch);
    if (readOnly == nullptr)
        GTEST_SKIP() << "cannot reopen the temporary file for reading";
    Dib dib = makeDib(16, 16, [](int32_t, int32_t) { return kBlue; });
    EXPECT_FALSE(encodeJpegStream(readOnly, 16, 16, 75, dib.bytes.data(), dib.stride));
    std::fclose(readOnly);
}

TEST(JpegEncoder, LibraryErrorsReturnFalse) {
    // libjpeg refuses pictures wider than 65500; its error must come back as
    // false, with the compressor released (LeakSanitizer watches).
    const int32_t width = 70000;
    std::vector<uint8_t> row(static_cast<std::size_t>(width) * 3 + 2, 0);
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(encodeJpegStream(f, width, 1, 75, row.data(), static_cast<uint32_t>(row.size())));
    std::fclose(f);
}

TEST(JpegEncoder, RefusesPicturesItCannotRead) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> block(64, 0);
    EXPECT_FALSE(encodeJpegStream(f, 0, 4, 75, block.data(), 4));
    EXPECT_FALSE(encodeJpegStream(f, 4, 0, 75, block.data(), 12));
    EXPECT_FALSE(encodeJpegStream(f, -1, 4, 75, block.data(), 4));
    EXPECT_FALSE(encodeJpegStream(f, 4, 4, 75, block.data(), 11));  // stride below 3 x width
    EXPECT_FALSE(encodeJpegStream(f, 4, 4, 75, nullptr, 12));
    EXPECT_FALSE(encodeJpegStream(nullptr, 4, 4, 75, block.data(), 12));
    // Nothing was written for any of them.
    EXPECT_EQ(std::ftell(f), 0L);
    std::fclose(f);
}

TEST(JpegEncoderInMemory, BytesAreWhatTheStreamGets) {
    // Sizes that end inside a block and past libjpeg's first output buffer,
    // so the memory destination has to grow.
    const struct {
        int32_t width, height;
        int quality;
    } cases[] = {{5, 3, 75}, {37, 23, 90}, {640, 480, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        auto pixel = [](int32_t x, int32_t y) { return Rgb{(x * 7) & 0xFF, (y * 13) & 0xFF, 90}; };
        Dib forStream = makeDib(c.width, c.height, pixel);
        Dib forMemory = forStream;
        std::vector<uint8_t> bytes{1, 2, 3};  // replaced, not appended to
        ASSERT_TRUE(encodeJpegBytes(c.width, c.height, c.quality, forMemory.bytes.data(),
                                    forMemory.stride, bytes));
        EXPECT_EQ(bytes, encode(forStream, c.quality));
        // The block is converted in place in both.
        EXPECT_EQ(forMemory.bytes, forStream.bytes);
    }
}

TEST(JpegEncoderInMemory, FailuresLeaveNoBytes) {
    const int32_t wide = 70000;  // libjpeg's own refusal
    std::vector<uint8_t> row(static_cast<std::size_t>(wide) * 3 + 2, 0);
    std::vector<uint8_t> bytes{1};
    EXPECT_FALSE(
        encodeJpegBytes(wide, 1, 75, row.data(), static_cast<uint32_t>(row.size()), bytes));
    EXPECT_TRUE(bytes.empty());
    bytes = {1};
    EXPECT_FALSE(encodeJpegBytes(4, 4, 75, row.data(), 11, bytes));  // stride below 3 x width
    EXPECT_TRUE(bytes.empty());
    bytes = {1};
    EXPECT_FALSE(encodeJpegBytes(4, 4, 75, nullptr, 12, bytes));
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
