#include "picture/png_encoder.h"

#include <csetjmp>
#include <cstddef>
#include <new>
#include <png.h>

static_assert(PngSettings{}.filters == PNG_FILTER_UP, "the default filter is Up");

namespace {

// libpng reports an error through a longjmp to the setjmp of its struct;
// the default handler would print to a console the program does not have.
void jumpBack(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void dropWarning(png_structp, png_const_charp) {}

// The output grows inside a C callback: a bad_alloc may not cross libpng's
// frames, so it becomes a libpng error once the handler is left.
void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* const out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bool grown = true;
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        grown = false;
    }
    if (!grown)
        png_error(png, "out of memory");
}

void flushNothing(png_structp) {}

// Lives in the caller's frame, not in the one that calls setjmp, so that
// what libpng sets in it before a longjmp is still well-defined afterwards.
struct Compression {
    png_structp png = nullptr;
    png_infop info = nullptr;
};

// Only trivially destructible locals here: a longjmp skips destructors.
bool compress(Compression* const c, png_uint_32 width, png_uint_32 height,
              const uint8_t* const bottomUpBgr, std::size_t stride, std::vector<uint8_t>* out,
              const PngSettings* const settings) {
    c->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, dropWarning);
    if (c->png == nullptr)
        return false;
    c->info = png_create_info_struct(c->png);
    if (c->info == nullptr)
        return false;
    if (setjmp(png_jmpbuf(c->png)))
        return false;
    png_set_write_fn(c->png, out, appendBytes, flushNothing);
    png_set_IHDR(c->png, c->info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(c->png, PNG_FILTER_TYPE_BASE, settings->filters);
    png_set_compression_level(c->png, settings->zlibLevel);
    png_write_info(c->png, c->info);
    // The DIB's byte order; libpng swaps in its own row copy.
    png_set_bgr(c->png);
    for (png_uint_32 y = 0; y < height; ++y)
        png_write_row(c->png, bottomUpBgr + (height - 1 - y) * stride);
    png_write_end(c->png, nullptr);
    return true;
}

}  // namespace

bool encodePngBytes(int32_t width, int32_t height, const uint8_t* bottomUpBgr, uint32_t stride,
                    std::vector<uint8_t>& out, const PngSettings& settings) {
    out.clear();
    if (bottomUpBgr == nullptr || width <= 0 || height <= 0)
        return false;
    const uint64_t rowBytes = uint64_t{3} * static_cast<uint64_t>(width);
    if (stride < rowBytes || uint64_t{stride} * static_cast<uint64_t>(height) > SIZE_MAX)
        return false;
    Compression c;
    const bool encoded =
        compress(&c, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bottomUpBgr,
                 stride, &out, &settings);
    png_destroy_write_struct(&c.png, &c.info);
    if (!encoded)
        out.clear();
    return encoded;
}
