// Where a hit of a read text line lies in the picture. The engine gives one
// box a line, and bytes are a poor measure of where a character is drawn: in
// a proportional font a label before the data ("メール taro@...") moves a
// byte estimate by a character or more, and a mask that leaves "4" of a card
// number bare is a leak. So the hit is found in the line's ink: the blanks of
// the text are matched to the widest gaps between the ink's runs, in order,
// and a hit that is whole words gets its words' ink columns. Where the ink
// cannot tell, the mask errs towards covering more, never less.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ocr/ocr_text.h"
#include "view/packed_dib.h"

namespace mask_fit {

// A channel this far from the background colour is ink: antialiased edges
// count, the noise of a JPEG's flat areas mostly not.
constexpr int kInkTolerance = 16;

// The columns of a line's box (as far as it lies on the picture) that show
// ink, where ink is a pixel away from the colour around the box.
struct LineInk {
    int32_t left = 0;          // x of ink[0]
    int32_t height = 0;        // rows of the box on the picture
    std::vector<uint8_t> ink;  // 1 for a column with ink
};

LineInk inkOf(const PackedDib& picture, const OcrLine& line);
// One per line, in order.
std::vector<LineInk> inkOfLines(const PackedDib& picture, const OcrResult& result);

// Columns, right exclusive.
struct Columns {
    int32_t left, right;
};

// The columns of the bytes [begin, end) of the line's text. `estimate` (the
// byte estimate, within the line's box) stands where no ink is seen at all:
// nothing is there to cover. Where the ink shows the hit's words, their ink;
// where it cannot tell them apart, the estimate widened to what the least
// width a character takes allows. Always within the line's box.
Columns fit(const OcrLine& line, const LineInk& ink, std::size_t begin, std::size_t end,
            Columns estimate);

}  // namespace mask_fit
