#include "view/png_decoder.h"

#include <csetjmp>
#include <cstring>
#include <new>
#include <png.h>
#include <vector>

namespace {

constexpr std::size_t kRgba = 4;

void jumpBack(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// libpng warns about what it recovers from (an ancillary chunk with a bad
// CRC, say); the picture is shown as it decodes. There is no console.
void dropWarning(png_structp, png_const_charp) {}

struct Source {
    const uint8_t* data;
    std::size_t size;
    std::size_t at;
};

void readBytes(png_structp png, png_bytep to, png_size_t length) {
    auto* const source = static_cast<Source*>(png_get_io_ptr(png));
    if (length > source->size - source->at)
        png_error(png, "data ends early");
    std::memcpy(to, source->data + source->at, length);
    source->at += length;
}

// Lives in the caller's frame, not in the one that calls setjmp: what
// libpng changes in it before a longjmp is then still well-defined
// afterwards, and the caller frees it on every way out.
struct Decompression {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Source source{};
    // One row, or every row of an interlaced picture, whose passes each
    // fill in part of all of them.
    std::vector<uint8_t> rows;
};

[[noreturn]] void refuse(Decompression* d) {
    png_longjmp(d->png, 1);
}

// A pixel laid over white; opaque pixels keep their value exactly.
inline uint8_t overWhite(unsigned value, unsigned alpha) {
    return static_cast<uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

void toBgr(const uint8_t* from, uint8_t* to, std::size_t width) {
    for (std::size_t x = 0; x < width; ++x, from += kRgba, to += 3) {
        const unsigned alpha = from[3];
        to[0] = overWhite(from[2], alpha);
        to[1] = overWhite(from[1], alpha);
        to[2] = overWhite(from[0], alpha);
    }
}

// Only trivially destructible locals here: a longjmp skips destructors.
// The row buffer may throw bad_alloc, which the caller catches; no libpng
// frame is on the stack then.
bool decompress(Decompression* const d, PackedDib* const out) {
    d->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, dropWarning);
    if (d->png == nullptr)
        return false;
    d->info = png_create_info_struct(d->png);
    if (d->info == nullptr)
        return false;
    if (setjmp(png_jmpbuf(d->png))) {
        out->reset();
        return false;
    }
    // libpng itself refuses larger sides while it reads the header.
    png_set_user_limits(d->png, kMaxDibSide, kMaxDibSide);
    // Of the ancillary chunks only tRNS changes the picture. The others are
    // skipped unread: libpng takes a buffer of the size a chunk declares for
    // some of them (sCAL, iCCP, the texts) and only warns when that is
    // gigabytes; skipped data goes through readBytes, which stops at the end.
    static const png_byte kIgnored[] =
        "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0"
        "pHYs\0sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";
    png_set_keep_unknown_chunks(d->png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(d->png, PNG_HANDLE_CHUNK_NEVER, kIgnored,
                                static_cast<int>(sizeof kIgnored / 5));
    png_set_read_fn(d->png, &d->source, readBytes);
    png_read_info(d->png, d->info);
    const png_uint_32 width = png_get_image_width(d->png, d->info);
    const png_uint_32 height = png_get_image_height(d->png, d->info);
    std::size_t blockSize = 0;
    if (!PackedDib::blockSizeFor(static_cast<int32_t>(width), static_cast<int32_t>(height),
                                 &blockSize))
        refuse(d);
    const png_byte colorType = png_get_color_type(d->png, d->info);
    const bool interlaced = png_get_interlace_type(d->png, d->info) != PNG_INTERLACE_NONE;
    const std::size_t rowBytes = kRgba * width;
    if (interlaced && rowBytes * height > kMaxDibBlockSize)
        refuse(d);

    // Every kind of file becomes 8-bit RGBA rows.
    png_set_expand(d->png);  // palettes, gray below 8 bits, tRNS as alpha
    png_set_scale_16(d->png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb(d->png);
    png_set_filler(d->png, 0xFF, PNG_FILLER_AFTER);  // opaque where no alpha came
    const int passes = png_set_interlace_handling(d->png);
    png_read_update_info(d->png, d->info);
    if (png_get_rowbytes(d->png, d->info) != rowBytes)
        refuse(d);

    d->rows.assign(interlaced ? rowBytes * height : rowBytes, 0);
    out->recreate(static_cast<int32_t>(width), static_cast<int32_t>(height));
    if (out->empty())
        refuse(d);
    uint8_t* const pixels = out->bits();
    const std::size_t stride = out->stride();
    // The picture's first row is the block's last: the DIB is bottom-up.
    if (interlaced) {
        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < height; ++y)
                png_read_row(d->png, d->rows.data() + y * rowBytes, nullptr);
        for (png_uint_32 y = 0; y < height; ++y)
            toBgr(d->rows.data() + y * rowBytes, pixels + (height - 1 - y) * stride, width);
    } else {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(d->png, d->rows.data(), nullptr);
            toBgr(d->rows.data(), pixels + (height - 1 - y) * stride, width);
        }
    }
    // The chunks after the pixels, up to IEND: a file cut short there is
    // as damaged as one cut in its pixels.
    png_read_end(d->png, nullptr);
    return true;
}

}  // namespace

bool decodePngBytes(const uint8_t* data, std::size_t size, PackedDib& out) {
    if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        out.reset();
        return false;
    }
    Decompression d;
    d.source = Source{data, size, 0};
    bool decoded = false;
    try {
        decoded = decompress(&d, &out);
    } catch (const std::bad_alloc&) {
        decoded = false;
    }
    png_destroy_read_struct(&d.png, &d.info, nullptr);
    if (!decoded)
        out.reset();
    return decoded;
}
