// Second opinions for the image fuzzers: the system's own libjpeg and libpng
// (Debian's shared builds), opened with dlopen so that their symbols stay
// apart from the instrumented copies the decoders under test are linked
// with. Each decodes the file the plain way of its library
// into top-down rows of blue, green, red; the fuzzers then compare those
// with the picture the program's decoder made.
#pragma once

#include <dlfcn.h>

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// jpeglib.h uses FILE and size_t without declaring them.
#include <jpeglib.h>
#include <png.h>

#include "view/packed_dib.h"

namespace reference {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // top row first, no padding
};

// The named function of a system library; a fuzzer without its second
// opinion would check nothing, so a missing library ends the run.
inline void* symbol(const char* library, const char* name) {
    static void* jpeg = nullptr;
    static void* png = nullptr;
    const bool isJpeg = std::strcmp(library, "jpeg") == 0;
    void*& handle = isJpeg ? jpeg : png;
    if (handle == nullptr) {
        // The instrumented libjpeg is built without SIMD code, and on damaged
        // data (coefficients out of range) the SIMD inverse DCT saturates
        // where the C one wraps: the system library must take the C paths
        // too for the two to agree byte for byte.
        if (isJpeg)
            setenv("JSIMD_FORCENONE", "1", 1);
        handle = dlopen(isJpeg ? "libjpeg.so.62" : "libpng16.so.16", RTLD_NOW | RTLD_LOCAL);
    }
    void* found = handle != nullptr ? dlsym(handle, name) : nullptr;
    if (found == nullptr) {
        std::fprintf(stderr, "reference decoder: no %s in the system lib%s\n", name, library);
        std::abort();
    }
    return found;
}

#define REFERENCE_FN(library, name) \
    reinterpret_cast<decltype(&name)>(::reference::symbol(library, #name))

inline std::jmp_buf& jumpBuffer() {
    static std::jmp_buf buffer;
    return buffer;
}

// --- JPEG -------------------------------------------------------------------

inline void jpegFails(j_common_ptr) {
    std::longjmp(jumpBuffer(), 1);
}

inline void jpegQuiet(j_common_ptr) {}

// The library's own conversion straight to blue-green-red rows, a picture
// at a time. What a longjmp passes over is static: no destructor is skipped.
inline bool decodeJpeg(const uint8_t* data, std::size_t size, Picture& out) {
    static const auto stdError = REFERENCE_FN("jpeg", jpeg_std_error);
    static const auto create = REFERENCE_FN("jpeg", jpeg_CreateDecompress);
    static const auto memorySource = REFERENCE_FN("jpeg", jpeg_mem_src);
    static const auto readHeader = REFERENCE_FN("jpeg", jpeg_read_header);
    static const auto start = REFERENCE_FN("jpeg", jpeg_start_decompress);
    static const auto readLines = REFERENCE_FN("jpeg", jpeg_read_scanlines);
    static const auto finish = REFERENCE_FN("jpeg", jpeg_finish_decompress);
    static const auto destroy = REFERENCE_FN("jpeg", jpeg_destroy_decompress);
    static jpeg_decompress_struct cinfo;
    static jpeg_error_mgr error;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = stdError(&error);
    error.error_exit = jpegFails;
    error.output_message = jpegQuiet;
    if (setjmp(jumpBuffer())) {
        destroy(&cinfo);
        return false;
    }
    create(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
    memorySource(&cinfo, data, static_cast<unsigned long>(size));
    readHeader(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    start(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    const std::size_t rowBytes = std::size_t{cinfo.output_width} * 3;
    out.bgr.assign(rowBytes * cinfo.output_height, 0);
    static std::vector<JSAMPROW> rows;
    rows.assign(cinfo.output_height, nullptr);
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = out.bgr.data() + y * rowBytes;
    while (cinfo.output_scanline < cinfo.output_height)
        readLines(&cinfo, rows.data() + cinfo.output_scanline,
                  cinfo.output_height - cinfo.output_scanline);
    finish(&cinfo);
    destroy(&cinfo);
    return true;
}

// --- PNG --------------------------------------------------------------------

struct PngSource {
    const uint8_t* data;
    std::size_t size;
    std::size_t at;
};

inline void pngFails(png_structp, png_const_charp) {
    std::longjmp(jumpBuffer(), 1);
}

inline void pngQuiet(png_structp, png_const_charp) {}

inline void pngRead(png_structp png, png_bytep to, png_size_t length) {
    static const auto ioPointer = REFERENCE_FN("png", png_get_io_ptr);
    auto* const source = static_cast<PngSource*>(ioPointer(png));
    if (length > source->size - source->at)
        std::longjmp(jumpBuffer(), 1);
    std::memcpy(to, source->data + source->at, length);
    source->at += length;
}

// The whole picture by png_read_png as 8-bit colour rows, laid over white
// here. Only the ancillary chunks are skipped as the program skips them:
// which chunks count is a choice of the program, not a question of
// decoding.
inline bool decodePng(const uint8_t* data, std::size_t size, Picture& out) {
    static const auto createRead = REFERENCE_FN("png", png_create_read_struct);
    static const auto createInfo = REFERENCE_FN("png", png_create_info_struct);
    static const auto destroy = REFERENCE_FN("png", png_destroy_read_struct);
    static const auto setRead = REFERENCE_FN("png", png_set_read_fn);
    static const auto keepChunks = REFERENCE_FN("png", png_set_keep_unknown_chunks);
    static const auto readPng = REFERENCE_FN("png", png_read_png);
    static const auto getRows = REFERENCE_FN("png", png_get_rows);
    static const auto getWidth = REFERENCE_FN("png", png_get_image_width);
    static const auto getHeight = REFERENCE_FN("png", png_get_image_height);
    static const auto getChannels = REFERENCE_FN("png", png_get_channels);
    static const auto getDepth = REFERENCE_FN("png", png_get_bit_depth);
    static png_structp png;
    static png_infop info;
    static PngSource source;
    png = createRead(PNG_LIBPNG_VER_STRING, nullptr, pngFails, pngQuiet);
    info = png != nullptr ? createInfo(png) : nullptr;
    if (info == nullptr) {
        destroy(&png, &info, nullptr);
        return false;
    }
    if (setjmp(jumpBuffer())) {
        destroy(&png, &info, nullptr);
        return false;
    }
    static const png_byte kIgnored[] =
        "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0"
        "pHYs\0sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";
    keepChunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    keepChunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnored, static_cast<int>(sizeof kIgnored / 5));
    source = PngSource{data, size, 0};
    setRead(png, &source, pngRead);
    readPng(png, info, PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_SCALE_16 | PNG_TRANSFORM_GRAY_TO_RGB,
            nullptr);
    const int channels = getChannels(png, info);
    if (getDepth(png, info) != 8 || (channels != 3 && channels != 4)) {
        destroy(&png, &info, nullptr);
        return false;
    }
    out.width = static_cast<int>(getWidth(png, info));
    out.height = static_cast<int>(getHeight(png, info));
    out.bgr.assign(std::size_t(out.width) * out.height * 3, 0);
    png_bytepp rows = getRows(png, info);
    uint8_t* to = out.bgr.data();
    for (int y = 0; y < out.height; ++y) {
        const png_byte* from = rows[y];
        for (int x = 0; x < out.width; ++x, from += channels, to += 3) {
            const unsigned alpha = channels == 4 ? from[3] : 255;
            for (int c = 0; c < 3; ++c) {
                // value × alpha + white × (1 − alpha), to the nearest.
                const unsigned value = from[2 - c];
                to[c] = static_cast<uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
            }
        }
    }
    destroy(&png, &info, nullptr);
    return true;
}

#undef REFERENCE_FN

// The picture the program made is the reference's, row for row (the DIB
// is bottom-up).
inline bool samePicture(const PackedDib& dib, const Picture& picture) {
    if (dib.width() != picture.width || dib.height() != picture.height)
        return false;
    const std::size_t rowBytes = std::size_t(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* ours = dib.bits() + std::size_t(picture.height - 1 - y) * dib.stride();
        if (std::memcmp(ours, picture.bgr.data() + y * rowBytes, rowBytes) != 0)
            return false;
    }
    return true;
}

}  // namespace reference
