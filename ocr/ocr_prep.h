// What is done to a capture's pixels before the engine reads them, where it
// is not the engine's own work. Platform-free.
//
// The Japanese UI fonts draw small text from bitmaps: a zero with a dot
// inside it, a slash across it or, at 9 pixels, a bar (which the models
// read as 6, 8, 9 or Q), and at 9 pixels a comma one pixel wide and two tall
// that ends on the baseline (which they read as a full stop). Both are put
// in the form the models were trained on: the zero is cleared inside, and
// the comma gets the tail below the baseline that it has at larger sizes. Only dark text on a light ground is changed; nothing else moves.
// Before that, the frames of edit boxes and other long thin lines, which the
// models read as a '|' beside the text, are taken away, and a dark ground
// (a title bar, a selection) is turned over, which the engine's sparse-text
// layout would otherwise leave unread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ocr_prep {

struct GreyImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;  // row by row from the top, width bytes a row

    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint8_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Blue, green, red (and an ignored fourth byte) to grey (ITU-R 601 luma),
// from `top`, rows `rowStep` bytes apart (negative for a bottom-up DIB).
GreyImage greyFromBgr(const std::uint8_t* top, int width, int height, std::ptrdiff_t rowStep, int bytesPerPixel);

struct Repairs {
    int zeros = 0;   // dots taken out of zeros
    int commas = 0;  // commas given their tail
    int rules = 0;   // frames and rules taken away
    int grounds = 0; // dark grounds turned light
};

// Both repairs; what they changed. With `zeroBarOffCentre`, a zero's bar
// may lie on the third row from its top or bottom (IPAGothic at 9 pixels)
// as well as on a middle row.
Repairs repairBitmapGlyphs(GreyImage& image, bool zeroBarOffCentre = true);

}  // namespace ocr_prep
