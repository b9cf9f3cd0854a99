// Paints annotation objects into a 24-bit picture: everything but the
// glyphs of texts and of the marks' numbers, which the Win32 half draws
// with GDI in between. Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "picture/annotation.h"

namespace annotation {

// A 24-bit BGR picture of width x height pixels, rows `stride` bytes
// apart, bottom row first in memory (as a DIB section's or PackedDib's).
struct Canvas {
    uint8_t* bits = nullptr;
    int32_t width = 0, height = 0;
    uint32_t stride = 0;
};

// Paints one object, clipped to the canvas and to `clip` (the part being
// repainted; pass the whole canvas for all of it):
//   rectangle: a frame `width` pixels wide inside its box;
//   arrow: a line `width` wide from the tail to the head, with a filled
//     head (length 4 * width + 8, half-width 2 * width + 4) at the head;
//   mark: a filled circle of its colour with a white ring one pixel wide
//     (the number is drawn over it by the caller);
//   highlight: its colour multiplied into the pixels (a highlighter: dark
//     text stays readable);
//   mask: every pixel of its box set to its colour;
//   text: its balloon when it has one (white fill, a 1-pixel border of its
//     colour), else nothing;
//   stamp: every pixel of its box set to its background (its text is
//     drawn over it by the caller);
//   crop: nothing.
// Every pixel is painted solid (a blend only for highlight); nothing is
// anti-aliased, so a mask's pixels are exactly its colour.
void paintShape(const Object& object, Canvas& canvas, const Rect& clip);

// Copies the kept area (keptArea) of `source` into `out`, a picture of the
// area's size (bottom-up BGR, stride rounded up to 4 bytes).
void copyArea(const Canvas& source, const Rect& area, std::vector<uint8_t>& out,
              uint32_t* outStride);

}  // namespace annotation
