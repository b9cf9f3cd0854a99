#include "view/jpeg_decoder.h"

#include <climits>
#include <csetjmp>
// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg decodes any number of scans, and each scan of a progressive file
// walks the whole picture again: a small file of thousands of scans keeps
// the pane busy for minutes. Real files have about ten; 500 is the limit
// that libjpeg-turbo's TurboJPEG interface applies.
constexpr int kMaxScans = 500;

// Working memory libjpeg may take for whole-picture buffers (progressive
// files keep every coefficient): past it, it reports an error instead of
// growing. Twice the picture limit fits a 4:4:4 progressive picture of that
// size.
constexpr long kMaxWorkMemory = static_cast<long>(2 * kMaxDibBlockSize);

// libjpeg's standard error_exit prints and ends the process, and its
// warnings go to stderr. The program has no console and must not die over
// one file, so errors jump back to the decoder and messages are dropped.
struct JumpingErrorManager {
    jpeg_error_mgr standard;  // first: libjpeg sees only this part
    std::jmp_buf back;
    void (*standardEmit)(j_common_ptr, int);
};

// Lives in the caller's frame, not in the one that calls setjmp: what libjpeg
// changes in it before a longjmp is then still well-defined afterwards.
struct Decompression {
    jpeg_decompress_struct cinfo;
    JumpingErrorManager error;
    jpeg_progress_mgr progress;
};

[[noreturn]] void jumpBack(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JumpingErrorManager*>(cinfo->err)->back, 1);
}

void dropMessage(j_common_ptr) {}

// The source managers meet the end of the data with a warning, make up an
// EOI marker and let the rest of the picture come out grey: a file cut short
// is no better than a broken one.
void emitMessage(j_common_ptr common, int level) {
    auto* const error = reinterpret_cast<JumpingErrorManager*>(common->err);
    if (level < 0 && error->standard.msg_code == JWRN_JPEG_EOF)
        jumpBack(common);
    error->standardEmit(common, level);
}

void limitScans(j_common_ptr common) {
    if (reinterpret_cast<j_decompress_ptr>(common)->input_scan_number > kMaxScans)
        jumpBack(common);
}

[[noreturn]] void refuse(Decompression* d) {
    jumpBack(reinterpret_cast<j_common_ptr>(&d->cinfo));
}

// Only trivially destructible locals here: a longjmp skips destructors. After
// the jump only `d` and `out` are used, neither of which changes after
// setjmp. `file` null means the memory source.
bool decompress(Decompression* const d, std::FILE* const file, const uint8_t* const data,
                const unsigned long size, PackedDib* const out) {
    j_decompress_ptr const cinfo = &d->cinfo;
    cinfo->err = jpeg_std_error(&d->error.standard);
    d->error.standard.error_exit = jumpBack;
    d->error.standard.output_message = dropMessage;
    d->error.standardEmit = d->error.standard.emit_message;
    d->error.standard.emit_message = emitMessage;
    if (setjmp(d->error.back)) {
        // Safe even when jpeg_create_decompress itself failed: the struct was
        // zeroed, and destroy skips a decompressor without a memory manager.
        jpeg_destroy_decompress(cinfo);
        out->reset();
        return false;
    }
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = kMaxWorkMemory;
    d->progress.progress_monitor = limitScans;
    cinfo->progress = &d->progress;
    if (file != nullptr)
        jpeg_stdio_src(cinfo, file);
    else
        jpeg_mem_src(cinfo, data, size);
    jpeg_read_header(cinfo, TRUE);

    // Checked before jpeg_start_decompress, which allocates for the size.
    std::size_t blockSize = 0;
    if (cinfo->image_width > static_cast<JDIMENSION>(kMaxDibSide) ||
        cinfo->image_height > static_cast<JDIMENSION>(kMaxDibSide) ||
        !PackedDib::blockSizeFor(static_cast<int32_t>(cinfo->image_width),
                                 static_cast<int32_t>(cinfo->image_height), &blockSize))
        refuse(d);
    // libjpeg converts these to RGB itself; CMYK and YCCK it cannot.
    if (cinfo->jpeg_color_space != JCS_GRAYSCALE && cinfo->jpeg_color_space != JCS_YCbCr &&
        cinfo->jpeg_color_space != JCS_RGB)
        refuse(d);
    cinfo->out_color_space = JCS_RGB;
    jpeg_start_decompress(cinfo);
    // The row conversion reads three bytes a pixel and no more.
    if (cinfo->output_components != 3)
        refuse(d);

    out->recreate(static_cast<int32_t>(cinfo->output_width),
                  static_cast<int32_t>(cinfo->output_height));
    if (out->empty())
        refuse(d);
    JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                 cinfo->output_width * 3, 1);
    uint8_t* const pixels = out->bits();
    const std::size_t stride = out->stride();
    const std::size_t width = cinfo->output_width;
    while (cinfo->output_scanline < cinfo->output_height) {
        // The picture's first row is the block's last: the DIB is bottom-up.
        const std::size_t blockRow = cinfo->output_height - 1 - cinfo->output_scanline;
        // Neither source suspends, so a row not delivered is an error.
        if (jpeg_read_scanlines(cinfo, row, 1) != 1)
            refuse(d);
        const JSAMPLE* from = row[0];
        uint8_t* to = pixels + blockRow * stride;
        for (std::size_t x = 0; x < width; ++x, from += 3, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return true;
}

}  // namespace

bool decodeJpegBytes(const uint8_t* data, std::size_t size, PackedDib& out) {
    // jpeg_mem_src takes an unsigned long, which is 32 bits on Windows.
    if (data == nullptr || size == 0 || size > ULONG_MAX) {
        out.reset();
        return false;
    }
    Decompression d{};
    return decompress(&d, nullptr, data, static_cast<unsigned long>(size), &out);
}

bool decodeJpegFile(std::FILE* file, PackedDib& out) {
    if (file == nullptr) {
        out.reset();
        return false;
    }
    Decompression d{};
    return decompress(&d, file, nullptr, 0, &out);
}
