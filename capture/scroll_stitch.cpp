#include "capture/scroll_stitch.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace stitch {

namespace {

uint64_t RowHash(const uint32_t* row, int width) {
    uint64_t h = 1469598103934665603ull;
    for (int x = 0; x < width; ++x) {
        h ^= row[x];
        h *= 1099511628211ull;
    }
    return h;
}

std::vector<uint64_t> RowHashes(const Picture& p) {
    std::vector<uint64_t> out(static_cast<std::size_t>(p.height));
    for (int y = 0; y < p.height; ++y)
        out[static_cast<std::size_t>(y)] = RowHash(p.row(y), p.width);
    return out;
}

bool SameRow(const Picture& a, int ya, const Picture& b, int yb) {
    return std::memcmp(a.row(ya), b.row(yb), sizeof(uint32_t) * static_cast<std::size_t>(a.width)) == 0;
}

}  // namespace

bool Stitcher::reserve(int width) {
    try {
        page_.reserve(static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(maxHeight_, 0)));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

void Stitcher::appendRows(const Picture& from, int first, int count) {
    const auto* begin = from.pixels.data() + static_cast<std::size_t>(first) * from.width;
    page_.insert(page_.end(), begin, begin + static_cast<std::size_t>(count) * from.width);
    height_ += count;
}

// Rows the content moved up from the last picture to `next` (B[y] == A[y +
// shift] over the scrolled part), or 0 when no shift fits; `backwards` is set
// when only an upward scroll fits.
int Stitcher::findShift(const Picture& next, int expectedShift, bool& backwards) const {
    const int height = next.height;
    const int first = top_, end = height - bottom_;  // the scrolled part, [first, end)
    const int span = end - first;
    // Too short an overlap matches by chance (two blank rows); a page-down
    // scroll still keeps a line or so, which in a tall window is far less
    // than its sixteenth.
    const int minOverlap = std::max(2, std::min(span / 16, 8));
    const std::vector<uint64_t> hashes = RowHashes(next);
    auto fits = [&](int shift) {
        const int from = std::max(first, first - shift), to = std::min(end, end - shift);
        if (to - from < minOverlap)
            return false;
        for (int y = from; y < to; ++y)
            if (hashes[static_cast<std::size_t>(y)] != lastHashes_[static_cast<std::size_t>(y + shift)])
                return false;
        for (int y = from; y < to; ++y)
            if (!SameRow(next, y, last_, y + shift))
                return false;
        return true;
    };
    backwards = false;
    if (expectedShift > 0 && expectedShift < span && fits(expectedShift))
        return expectedShift;
    for (int shift = 1; shift < span; ++shift)
        if (fits(shift))
            return shift;
    for (int shift = 1; shift < span; ++shift)
        if (fits(-shift)) {
            backwards = true;
            return 0;
        }
    return 0;
}

Outcome Stitcher::add(const Picture& picture, int expectedShift) {
    if (full_)
        return Outcome::heightLimit;
    if (height_ == 0) {
        last_ = picture;
        lastHashes_ = RowHashes(picture);
        const int rows = std::min(picture.height, maxHeight_);
        appendRows(picture, 0, rows);
        full_ = rows < picture.height || rows == maxHeight_;
        return full_ ? Outcome::heightLimit : Outcome::added;
    }
    if (picture.width != last_.width || picture.height != last_.height)
        return Outcome::otherSize;
    const int height = picture.height;
    int equalTop = 0, equalBottom = 0;
    while (equalTop < height && SameRow(picture, equalTop, last_, equalTop))
        ++equalTop;
    if (equalTop == height)
        return Outcome::unchanged;
    while (SameRow(picture, height - 1 - equalBottom, last_, height - 1 - equalBottom))
        ++equalBottom;
    // Rows first taken for fixed that moved after all were content: the page
    // already holds them in order at its end, so only the count changes.
    top_ = top_ < 0 ? equalTop : std::min(top_, equalTop);
    bottom_ = bottom_ < 0 ? equalBottom : std::min(bottom_, equalBottom);
    bool backwards = false;
    int shift = findShift(picture, expectedShift, backwards);
    if (shift == 0 && !backwards && top_ + bottom_ > 0) {
        // A page of alike rows (an empty grid) looks fixed where it is not
        // and can leave too little to match: match the whole height. The
        // page ends with every row of the last picture, so nothing is lost
        // by taking no fixed rows from here on.
        const int top = top_, bottom = bottom_;
        top_ = bottom_ = 0;
        shift = findShift(picture, expectedShift, backwards);
        if (shift == 0) {
            top_ = top;
            bottom_ = bottom;
        }
    }
    if (backwards)
        return Outcome::backwards;
    if (shift == 0)
        return Outcome::noOverlap;
    const int rows = std::min(shift, maxHeight_ - height_);
    if (rows > 0) {
        // The last picture's fixed bottom rows leave the end of the page; the
        // new rows and the new picture's bottom rows take their place.
        page_.resize(page_.size() - static_cast<std::size_t>(bottom_) * picture.width);
        height_ -= bottom_;
        appendRows(picture, height - bottom_ - shift, rows);
        appendRows(picture, height - bottom_, bottom_);
    }
    last_ = picture;
    lastHashes_ = RowHashes(picture);
    if (rows < shift || height_ >= maxHeight_) {
        full_ = true;
        return Outcome::heightLimit;
    }
    return Outcome::added;
}

Picture Stitcher::result() const {
    Picture out;
    out.width = last_.width;
    out.height = height_;
    out.pixels = page_;
    return out;
}

Picture Stitcher::take() {
    Picture out;
    out.width = last_.width;
    out.height = height_;
    out.pixels = std::move(page_);
    page_.clear();
    full_ = true;
    return out;
}

}  // namespace stitch
