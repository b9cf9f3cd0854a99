// One tall picture from the pictures of a window taken after each scroll
// step: each new picture is laid under the ones before by finding where its
// rows repeat the last picture's rows exactly. Rows that stay in place from
// one picture to the next (a fixed header above the scrolled part, a footer
// or status line below it) are kept once. Platform-free; the Win32 side
// scrolls the window and takes the pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stitch {

// Pixels top-down, a row after another, one 32-bit value each.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    const uint32_t* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

enum class Outcome {
    added,        // rows below the last picture's were added
    unchanged,    // the same picture again: the end of the page (or, by hand, no scroll yet)
    backwards,    // scrolled up: nothing added (a hand scroll that went back)
    noOverlap,    // no exact overlap: the page changed while scrolling, or scrolled too far
    otherSize,    // the window changed size
    heightLimit,  // the rows that fit under the limit were added; no more will be
};

class Stitcher {
  public:
    // `maxHeight`: the tallest picture made, fixed rows included.
    explicit Stitcher(int maxHeight) : maxHeight_(maxHeight) {}

    // The first picture starts the page; each further one is matched against
    // the one before. `expectedShift` (rows the content moved up, when the
    // caller knows it from the scroll position) breaks ties where several
    // shifts match, as on a page of repeated rows; 0 when unknown.
    Outcome add(const Picture& picture, int expectedShift = 0);

    // Takes the memory of the tallest page for pictures `width` wide at once,
    // so that a page too tall for the address space is refused before the
    // window is scrolled; false when it cannot be had.
    bool reserve(int width);

    bool empty() const { return height_ == 0; }
    // The page so far: the first picture's top, every row added, and the
    // last picture's fixed rows below.
    Picture result() const;
    // The same, its pixels moved out rather than copied (a tall page is
    // large); the stitcher takes nothing more after it.
    Picture take();
    int fixedTop() const { return top_; }
    int fixedBottom() const { return bottom_; }

  private:
    int findShift(const Picture& next, int expectedShift, bool& backwards) const;
    void appendRows(const Picture& from, int first, int count);

    int maxHeight_;
    Picture last_;
    std::vector<uint64_t> lastHashes_;
    std::vector<uint32_t> page_;  // rows above the last picture's fixed bottom rows
    int height_ = 0;              // rows in page_
    int top_ = -1;                // fixed rows at the top, known after the second picture
    int bottom_ = -1;
    bool full_ = false;
};

}  // namespace stitch
