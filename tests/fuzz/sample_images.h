// Small BMP, JPEG and PNG files made in memory, for the image loaders' tests and
// for the fuzzers' seed corpus.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <png.h>

#include "base/bmp_format.h"

namespace samples {

// A BMP file exactly as the capture writer lays it out: makeBmpHeaders, then
// `height` rows of `width` blue-green-red pixels, bottom row first, zero
// padding. `bgr(x, y, c)` gives channel c (0 blue) of pixel (x, y), y = 0 the
// top row.
template <typename Pixel>
std::vector<uint8_t> bmp(int32_t width, int32_t height, Pixel bgr) {
    uint8_t headers[kBmpHeaderSize];
    makeBmpHeaders(width, height, headers);
    const uint32_t stride = dibStride(width);
    std::vector<uint8_t> file(headers, headers + kBmpHeaderSize);
    file.resize(kBmpHeaderSize + std::size_t{stride} * height, 0);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = file.data() + kBmpHeaderSize + std::size_t{stride} * (height - 1 - y);
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                row[x * 3 + c] = static_cast<uint8_t>(bgr(x, y, c));
    }
    return file;
}

struct Jpeg {
    int width = 0;
    int height = 0;
    J_COLOR_SPACE colorSpace = JCS_RGB;  // of `samples`; libjpeg picks the file's own
    int components = 3;
    std::vector<uint8_t> samples;  // top row first, `components` bytes a pixel
    int quality = 100;
    bool fullChroma = true;             // no chroma subsampling
    bool progressive = false;           // libjpeg's standard progressive script
    std::vector<jpeg_scan_info> scans;  // a script of one's own, if not empty
};

// Encodes with libjpeg's standard error manager: a libjpeg error here is a
// broken test and ends the process with libjpeg's message.
inline std::vector<uint8_t> encode(const Jpeg& j) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(j.width);
    cinfo.image_height = static_cast<JDIMENSION>(j.height);
    cinfo.input_components = j.components;
    cinfo.in_color_space = j.colorSpace;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, j.quality, TRUE);
    if (j.fullChroma) {
        for (int c = 0; c < cinfo.num_components; ++c) {
            cinfo.comp_info[c].h_samp_factor = 1;
            cinfo.comp_info[c].v_samp_factor = 1;
        }
    }
    if (j.progressive)
        jpeg_simple_progression(&cinfo);
    if (!j.scans.empty()) {
        cinfo.scan_info = j.scans.data();
        cinfo.num_scans = static_cast<int>(j.scans.size());
    }
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t rowBytes = std::size_t(j.width) * j.components;
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPLE*>(j.samples.data() + cinfo.next_scanline * rowBytes);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

// A picture whose samples `value(x, y, c)` gives.
template <typename Value>
Jpeg picture(int width, int height, J_COLOR_SPACE colorSpace, int components, Value value) {
    Jpeg j;
    j.width = width;
    j.height = height;
    j.colorSpace = colorSpace;
    j.components = components;
    j.samples.resize(std::size_t(width) * height * components);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                j.samples[(std::size_t(y) * width + x) * components + c] =
                    static_cast<uint8_t>(value(x, y, c));
    return j;
}

// A PNG of any colour type, bit depth and interlacing, with the rows given
// as the file stores them (packed samples, 16-bit ones big-endian).
struct Png {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> rows;  // top row first, rowBytes() each
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;  // tRNS of a palette picture
    bool grayKey = false;                // tRNS of a gray picture: this value is clear
    uint16_t keyValue = 0;
    std::size_t rowBytes() const {
        int channels = 1;
        if (colorType == PNG_COLOR_TYPE_RGB)
            channels = 3;
        else if (colorType == PNG_COLOR_TYPE_RGB_ALPHA)
            channels = 4;
        else if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
            channels = 2;
        return (std::size_t{width} * channels * bitDepth + 7) / 8;
    }
};

// A libpng error here is a broken test: it ends the process.
inline void pngSampleFailed(png_structp, png_const_charp message) {
    std::fprintf(stderr, "samples::encode: %s\n", message);
    std::abort();
}

inline void pngSampleWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline void pngSampleFlush(png_structp) {}

inline std::vector<uint8_t> encode(const Png& p) {
    std::vector<uint8_t> file;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngSampleFailed, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, pngSampleWrite, pngSampleFlush);
    png_set_IHDR(png, info, p.width, p.height, p.bitDepth, p.colorType,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty())
        png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
    if (!p.paletteAlpha.empty())
        png_set_tRNS(png, info, p.paletteAlpha.data(), static_cast<int>(p.paletteAlpha.size()),
                     nullptr);
    if (p.grayKey) {
        png_color_16 key{};
        key.gray = p.keyValue;
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < p.height; ++y)
            png_write_row(png, p.rows.data() + y * p.rowBytes());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

}  // namespace samples
