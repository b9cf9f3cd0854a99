// A record's picture as an image of the PDF, at its own resolution: a JPEG
// goes in as its bytes are (DCTDecode), a PNG's compressed rows as they are
// when the PDF can take them (8-bit gray or colour, not interlaced, no
// transparency), any other PNG and a BMP decoded and compressed losslessly
// (FlateDecode). Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "pack/pdf_writer.h"

namespace pack::pdf {

struct ImageSize {
    int width = 0, height = 0;
};

// What the bytes of a picture file are, and how they go in; kind none when
// they are no picture this writer can take.
struct ImagePlan {
    enum class Kind { none, jpeg, pngRows, decode } kind = Kind::none;
    ImageSize size;
    int components = 3;  // JPEG and PNG rows: 1 gray, 3 colour (JPEG: 4 CMYK)
};
ImagePlan planImage(const uint8_t* data, std::size_t size);

// Writes the picture file's bytes as image object `number`; false, with
// nothing written, when they cannot be read as a picture. `label`: more
// entries of the image's dictionary (" /Key value"), for the pack's check.
bool writeImage(Writer& out, int number, const std::string& bytes, ImageSize& size,
                const std::string& label = std::string());

}  // namespace pack::pdf
