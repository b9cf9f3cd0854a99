// Writes the fuzzers' seed corpus: a few tiny BMP, JPEG and PNG files, valid ones
// of each kind the loaders accept and some they refuse, so that fuzzing
// starts from both sides of each check. Run through `make fuzz-seeds`.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/bmp_format.h"
#include "capture/jpeg_encoder.h"
#include "picture/png_encoder.h"
#include "tests/fuzz/sample_images.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool save(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

int colour(int x, int y, int c) {
    return (x * 40 + y * 25 + c * 80) & 0xFF;
}

// A captured block as GetDIBits gives it.
Bytes captureBlock(int32_t width, int32_t height) {
    const uint32_t stride = dibStride(width);
    Bytes dib(std::size_t{stride} * height, 0);
    for (int32_t row = 0; row < height; ++row)
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                dib[std::size_t(row) * stride + x * 3 + c] =
                    static_cast<uint8_t>(colour(x, row, c));
    return dib;
}

// The capture writer's own output, through a temporary file as it writes one.
Bytes captureJpeg(int32_t width, int32_t height) {
    const uint32_t stride = dibStride(width);
    Bytes dib = captureBlock(width, height);
    Bytes file;
    std::FILE* f = std::tmpfile();
    if (f == nullptr || !encodeJpegStream(f, width, height, 75, dib.data(), stride))
        return file;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;)
        file.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return file;
}

// The PNG capture writer's output.
Bytes capturePng(int32_t width, int32_t height) {
    const Bytes dib = captureBlock(width, height);
    Bytes file;
    encodePngBytes(width, height, dib.data(), dibStride(width), file);
    return file;
}

// A PNG of the other kinds a history may hold, its bytes made up.
Bytes otherPng(int colorType, int bitDepth, bool interlaced, bool transparency) {
    samples::Png p;
    p.width = 9;
    p.height = 9;
    p.colorType = colorType;
    p.bitDepth = bitDepth;
    p.interlaced = interlaced;
    p.rows.resize(p.rowBytes() * p.height);
    for (std::size_t i = 0; i < p.rows.size(); ++i)
        p.rows[i] = static_cast<uint8_t>(colour(static_cast<int>(i), static_cast<int>(i / 7), 0));
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < (1 << bitDepth); ++i)
            p.palette.push_back(png_color{static_cast<png_byte>(i * 16), 80, 200});
        if (transparency)
            p.paletteAlpha = {0, 128};
    } else if (transparency) {
        p.grayKey = true;
        p.keyValue = 1;
    }
    return samples::encode(p);
}

void put32(Bytes& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A 40-byte-header file turned into one with a V5 header and a gap before
// the pixels.
Bytes withV5Header(const Bytes& plain) {
    Bytes file(plain.begin(), plain.begin() + 54);
    file.resize(14 + 124 + 4, 0);
    put32(file, 14, 124);
    file.insert(file.end(), plain.begin() + 54, plain.end());
    put32(file, 2, static_cast<uint32_t>(file.size()));
    put32(file, 10, 14 + 124 + 4);
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds CORPUS_DIR (with bmp/, jpeg/ and png/ in it)\n");
        return 2;
    }
    const std::string bmpDir = std::string(argv[1]) + "/bmp/";
    const std::string jpegDir = std::string(argv[1]) + "/jpeg/";
    const std::string pngDir = std::string(argv[1]) + "/png/";

    const Bytes capture3x2 = samples::bmp(3, 2, colour);
    Bytes eightBit = samples::bmp(4, 2, colour);
    eightBit[28] = 8;
    bool ok = save(bmpDir + "capture_3x2.bmp", capture3x2) &&
              save(bmpDir + "capture_1x1.bmp", samples::bmp(1, 1, colour)) &&
              save(bmpDir + "v5_header_gap.bmp", withV5Header(capture3x2)) &&
              save(bmpDir + "refused_8bit.bmp", eightBit);

    auto rgb = samples::picture(9, 6, JCS_RGB, 3, colour);
    rgb.quality = 75;
    auto progressive = rgb;
    progressive.progressive = true;
    progressive.fullChroma = false;
    auto gray = samples::picture(8, 8, JCS_GRAYSCALE, 1, colour);
    gray.quality = 75;
    auto cmyk = samples::picture(8, 8, JCS_CMYK, 4, colour);
    cmyk.quality = 50;
    ok = ok && save(jpegDir + "capture_16x9.jpg", captureJpeg(16, 9)) &&
         save(jpegDir + "capture_width1.jpg", captureJpeg(1, 5)) &&
         save(jpegDir + "rgb444_9x6.jpg", samples::encode(rgb)) &&
         save(jpegDir + "progressive_9x6.jpg", samples::encode(progressive)) &&
         save(jpegDir + "gray_8x8.jpg", samples::encode(gray)) &&
         save(jpegDir + "refused_cmyk.jpg", samples::encode(cmyk));
    // The corpus also keeps regress_*.png, inputs the fuzzer found, as they were.
    const Bytes png16x9 = capturePng(16, 9);
    ok = ok && save(pngDir + "capture_16x9.png", png16x9) &&
         save(pngDir + "capture_width1.png", capturePng(1, 5)) &&
         save(pngDir + "palette4_trns.png", otherPng(PNG_COLOR_TYPE_PALETTE, 4, false, true)) &&
         save(pngDir + "gray1.png", otherPng(PNG_COLOR_TYPE_GRAY, 1, false, false)) &&
         save(pngDir + "gray16_key_adam7.png", otherPng(PNG_COLOR_TYPE_GRAY, 16, true, true)) &&
         save(pngDir + "gray_alpha8.png", otherPng(PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false)) &&
         save(pngDir + "rgba16_adam7.png", otherPng(PNG_COLOR_TYPE_RGB_ALPHA, 16, true, false)) &&
         save(pngDir + "refused_cut.png", Bytes(png16x9.begin(), png16x9.end() - 20));
    if (!ok) {
        std::fprintf(stderr, "make_seeds: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
