// Decoding JPEG files into the picture of the image pane through libjpeg.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "view/packed_dib.h"

// Decodes a JPEG file into a 24-bit bottom-up picture: blue, green, red
// bytes, the picture's top row last in the block, padding bytes zero.
// Colour, RGB and grayscale files are accepted (grayscale comes out with
// equal blue, green and red); CMYK, YCCK and other colour spaces are
// refused. So are, before any pixel memory is taken, sizes beyond
// PackedDib's limits, and progressive files with more than 500 scans, whose
// decoding would take minutes.
// Damaged files never end the process: whatever libjpeg reports as an error
// is a refusal, and so is data that ends before the EOI marker (libjpeg
// would show the missing rows grey). Warnings about corrupt data that
// libjpeg recovers from are not refusals: the picture is shown as libjpeg
// decodes it.
// `out` holds the picture only when the result is true, and is empty
// otherwise. Its block is used again when it already has the picture's
// size; else it is freed before the new one is taken.

// From the file's bytes in memory.
bool decodeJpegBytes(const uint8_t* data, std::size_t size, PackedDib& out);
// From an open stream, read from its current position; the stream stays
// open and its position afterwards is unspecified.
bool decodeJpegFile(std::FILE* file, PackedDib& out);
