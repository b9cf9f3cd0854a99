#include "capture/jpeg_encoder.h"

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <new>
// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

namespace {

// libjpeg's standard error_exit prints and ends the process. The program has
// no console and must not die over one capture, so errors jump back to the
// encoder instead and warnings are dropped.
struct JumpingErrorManager {
    jpeg_error_mgr standard;  // first: libjpeg sees only this part
    std::jmp_buf back;
};

[[noreturn]] void jumpBack(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JumpingErrorManager*>(cinfo->err)->back, 1);
}

void dropMessage(j_common_ptr) {}

// Lives in the caller's frame, not in the one that calls setjmp: what libjpeg
// changes in it before a longjmp is then still well-defined afterwards. The
// memory destination keeps its buffer here; libjpeg allocates and grows it
// with malloc, and the caller frees it whatever happened.
struct Compression {
    jpeg_compress_struct cinfo;
    JumpingErrorManager error;
    unsigned char* buffer;
    unsigned long bufferSize;
};

void swapBlueRed(uint8_t* row, uint32_t pixels) {
    for (uint32_t i = 0; i < pixels; ++i) {
        uint8_t* p = row + std::size_t{i} * 3;
        const uint8_t blue = p[0];
        p[0] = p[2];
        p[2] = blue;
    }
}

// Only trivially destructible locals here: a longjmp skips destructors. After
// the jump only `c` is used, which is not changed after setjmp. `file` null
// means the memory destination.
bool compress(Compression* const c, FILE* const file, uint32_t width, uint32_t height, int quality,
              uint8_t* bottomUpBgr, std::size_t stride) {
    jpeg_compress_struct* const cinfo = &c->cinfo;
    cinfo->err = jpeg_std_error(&c->error.standard);
    c->error.standard.error_exit = jumpBack;
    c->error.standard.output_message = dropMessage;
    if (setjmp(c->error.back)) {
        // Safe even when jpeg_create_compress itself failed: the struct was
        // zeroed, and destroy skips a compressor without a memory manager.
        jpeg_destroy_compress(cinfo);
        return false;
    }
    jpeg_create_compress(cinfo);
    cinfo->image_width = width;
    cinfo->image_height = height;
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    if (file != nullptr)
        jpeg_stdio_dest(cinfo, file);
    else
        jpeg_mem_dest(cinfo, &c->buffer, &c->bufferSize);
    jpeg_set_quality(cinfo, quality, TRUE);
    cinfo->dct_method = JDCT_IFAST;
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        // The block is bottom-up: picture row r is block row height - 1 - r.
        const std::size_t blockRow = height - 1 - cinfo->next_scanline;
        JSAMPROW row = bottomUpBgr + blockRow * stride;
        swapBlueRed(row, width);
        // The stdio destination never suspends; a row not taken would be
        // swapped back on the retry, so it counts as a failure.
        if (jpeg_write_scanlines(cinfo, &row, 1) != 1) {
            jpeg_destroy_compress(cinfo);
            return false;
        }
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    return true;
}

}  // namespace

namespace {

bool acceptable(int32_t width, int32_t height, const uint8_t* bottomUpBgr, uint32_t stride) {
    if (bottomUpBgr == nullptr || width <= 0 || height <= 0)
        return false;
    const uint64_t rowBytes = uint64_t{3} * static_cast<uint64_t>(width);
    const uint64_t blockBytes = uint64_t{stride} * static_cast<uint64_t>(height);
    return stride >= rowBytes && blockBytes <= SIZE_MAX;
}

}  // namespace

bool encodeJpegStream(FILE* file, int32_t width, int32_t height, int quality, uint8_t* bottomUpBgr,
                      uint32_t stride) {
    if (file == nullptr || !acceptable(width, height, bottomUpBgr, stride))
        return false;

    Compression c{};
    const bool encoded = compress(&c, file, static_cast<uint32_t>(width),
                                  static_cast<uint32_t>(height), quality, bottomUpBgr, stride);
    // libjpeg checks the stream when it finishes, but only for its own writes.
    const bool streamOk = std::fflush(file) == 0 && !std::ferror(file);
    return encoded && streamOk;
}

bool encodeJpegBytes(int32_t width, int32_t height, int quality, uint8_t* bottomUpBgr,
                     uint32_t stride, std::vector<uint8_t>& out) {
    out.clear();
    if (!acceptable(width, height, bottomUpBgr, stride))
        return false;
    Compression c{};
    bool encoded = compress(&c, nullptr, static_cast<uint32_t>(width),
                            static_cast<uint32_t>(height), quality, bottomUpBgr, stride);
    if (encoded) {
        try {
            out.assign(c.buffer, c.buffer + c.bufferSize);
        } catch (const std::bad_alloc&) {
            out.clear();
            encoded = false;
        }
    }
    std::free(c.buffer);
    return encoded;
}
