// Comparing two pictures of a screen: which pixels changed beyond a
// tolerance, the regions they make, the share that changed, and the overlay
// picture that shows it. Platform-free; the pictures are 24-bit bottom-up
// blocks as PackedDib holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "view/packed_dib.h"

namespace picture_diff {

constexpr int kMaxTolerance = 64;
constexpr int kDefaultTolerance = 8;
// Two changed pixels belong to one region when at most this many pixels lie
// between them across and down: the letters of a word, the words of a line
// and the lines of a paragraph make one region, two separate fields do not.
constexpr int32_t kMergeGap = 8;

// One picture as the comparison reads it: `height` rows of `stride` bytes,
// the bottom row first, blue, green, red.
struct Picture {
    const uint8_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t stride = 0;
};
Picture of(const PackedDib& dib);

struct Options {
    // A pixel changed when one of its channels differs by more than this.
    int tolerance = kDefaultTolerance;
    // Rows at the top left out (a clock in a title bar); 0 compares all.
    int32_t ignoreTop = 0;
};

// In picture coordinates, the top row 0; right and bottom exclusive.
struct Box {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const Box& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct Result {
    // The area compared: what the two pictures have in common, from their
    // top-left corners.
    int32_t width = 0;
    int32_t height = 0;
    bool sizesDiffer = false;
    int32_t ignoredRows = 0;  // of the band, the rows within the area
    uint64_t compared = 0;    // pixels compared: the area less the band
    uint64_t changed = 0;
    // The smallest box around each region's changed pixels, top to bottom,
    // then left to right.
    std::vector<Box> regions;
};

// Whether the pixel (x, y) of the common area changed (the band is not
// looked at: the caller leaves it out).
bool changedAt(const Picture& first, const Picture& second, int32_t x, int32_t y, int tolerance);

Result compare(const Picture& first, const Picture& second, const Options& options);

// The overlay picture of the common area into `out` (its block used again
// when it has the size): the second picture, and at each changed pixel the
// two pictures half and half, tinted red. Empty when the area is or memory
// runs out.
void overlay(const Picture& first, const Picture& second, const Options& options, PackedDib& out);
// The tint of one changed pixel (blue, green, red of each picture).
void tint(const uint8_t* first, const uint8_t* second, uint8_t* out);

// "変化 2.4 %": tenths of a percent, never 0.0 while anything changed nor
// 100.0 while anything did not.
std::string changeFigure(uint64_t changed, uint64_t compared);
// "比較: <first> ⇔ <second> (<figure>)" in at most maxBytes bytes: the two
// headings are shortened (ending in "…") so that the figure always stays.
std::string comparisonHeading(const std::string& first, const std::string& second,
                              const std::string& figure, std::size_t maxBytes);
// "領域 1: 左 120 上 40 幅 260 高さ 18" (index from 1).
std::string regionLine(std::size_t index, const Box& box);
// The line about the sizes when they differ, else "".
std::string sizeNote(const Picture& first, const Picture& second, const Result& result);
// "<stem>_diff.png": the file part of the picture's path without its last
// extension (CP932-aware).
std::string diffFileName(const std::string& picturePath);

}  // namespace picture_diff
