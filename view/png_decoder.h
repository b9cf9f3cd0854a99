// Decoding PNG files into the picture of the image pane through libpng.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "view/packed_dib.h"

// Decodes the bytes of a PNG file into a 24-bit bottom-up picture: blue,
// green, red bytes, the picture's top row last in the block, padding bytes
// zero, as the JPEG decoder makes them.
// Every PNG colour type and bit depth is accepted: palettes are looked up,
// gray comes out with equal blue, green and red, 16-bit samples are scaled
// to 8 bits, interlaced files are put together from their passes, and
// transparency (an alpha channel or a tRNS chunk) is laid over white, the
// colour of the empty pane. Gamma and colour-profile chunks are ignored:
// the samples are shown as stored, as a capture stores them.
// Refused, before any pixel memory is taken, are sizes beyond PackedDib's
// limits and interlaced pictures whose passes would need more than
// kMaxDibBlockSize bytes of rows. Whatever libpng reports as an error is a
// refusal (a bad signature, a broken critical chunk, a damaged zlib stream),
// and so is data that ends before the IEND chunk.
// `out` holds the picture only when the result is true, and is empty
// otherwise. Its block is used again when it already has the picture's
// size; else it is freed before the new one is taken.
bool decodePngBytes(const uint8_t* data, std::size_t size, PackedDib& out);
