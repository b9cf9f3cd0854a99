#include "view/picture_diff.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/cp932.h"

namespace picture_diff {

namespace {

// The changed pixels of one row, from x0 up to x1.
struct Run {
    int32_t x0, x1, y;
};

const uint8_t* rowOf(const Picture& p, int32_t y) {
    return p.bits + static_cast<std::size_t>(p.height - 1 - y) * p.stride;
}

bool differs(const uint8_t* a, const uint8_t* b, int tolerance) {
    return std::abs(a[0] - b[0]) > tolerance || std::abs(a[1] - b[1]) > tolerance ||
           std::abs(a[2] - b[2]) > tolerance;
}

bool usable(const Picture& p) {
    return p.bits && p.width > 0 && p.height > 0 && p.stride >= static_cast<uint32_t>(p.width) * 3;
}

class Sets {
  public:
    explicit Sets(std::size_t n) : parent_(n) {
        for (std::size_t i = 0; i < n; ++i)
            parent_[i] = static_cast<uint32_t>(i);
    }
    uint32_t find(uint32_t i) {
        while (parent_[i] != i) {
            parent_[i] = parent_[parent_[i]];
            i = parent_[i];
        }
        return i;
    }
    void unite(uint32_t a, uint32_t b) {
        a = find(a);
        b = find(b);
        if (a < b)
            parent_[b] = a;
        else if (b < a)
            parent_[a] = b;
    }

  private:
    std::vector<uint32_t> parent_;
};

int clampedTolerance(const Options& options) {
    return std::clamp(options.tolerance, 0, kMaxTolerance);
}

// A text cut to `room` bytes, ending in "…" when it was cut.
std::string shortened(const std::string& text, std::size_t room) {
    if (text.size() <= room)
        return text;
    static const char kEllipsis[] = "…";
    const std::size_t mark = sizeof kEllipsis - 1;
    if (room < mark)
        return std::string();
    return text.substr(0, cp932::cutLength(text.data(), text.size(), room - mark)) + kEllipsis;
}

}  // namespace

Picture of(const PackedDib& dib) {
    return {dib.bits(), dib.width(), dib.height(), dib.stride()};
}

bool changedAt(const Picture& first, const Picture& second, int32_t x, int32_t y, int tolerance) {
    return differs(rowOf(first, y) + static_cast<std::size_t>(x) * 3,
                   rowOf(second, y) + static_cast<std::size_t>(x) * 3, tolerance);
}

namespace {

// The changed runs of the rows compared, row by row.
struct ChangedRuns {
    std::vector<Run> runs;
    // The runs of row y are runs[rowStart[y - top], rowStart[y - top + 1]).
    std::vector<std::size_t> rowStart;
    int32_t top = 0;

    std::pair<std::size_t, std::size_t> row(int32_t y) const {
        return {rowStart[static_cast<std::size_t>(y - top)],
                rowStart[static_cast<std::size_t>(y - top) + 1]};
    }
};

ChangedRuns findRuns(const Picture& first, const Picture& second, const Result& area, int tolerance,
                     uint64_t& changed) {
    ChangedRuns found;
    found.top = area.ignoredRows;
    const int32_t top = found.top, width = area.width, height = area.height;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<Run>& runs = found.runs;
    found.rowStart.resize(static_cast<std::size_t>(height - top) + 1);
    for (int32_t y = top; y < height; ++y) {
        found.rowStart[static_cast<std::size_t>(y - top)] = runs.size();
        const uint8_t* a = rowOf(first, y);
        const uint8_t* b = rowOf(second, y);
        // Most rows of two screens of one program are the same byte for byte.
        if (std::memcmp(a, b, rowBytes) == 0)
            continue;
        for (int32_t x = 0; x < width;) {
            if (!differs(a + static_cast<std::size_t>(x) * 3, b + static_cast<std::size_t>(x) * 3,
                         tolerance)) {
                ++x;
                continue;
            }
            const int32_t start = x;
            while (x < width && differs(a + static_cast<std::size_t>(x) * 3,
                                        b + static_cast<std::size_t>(x) * 3, tolerance))
                ++x;
            runs.push_back({start, x, y});
            changed += static_cast<uint64_t>(x - start);
        }
    }
    found.rowStart.back() = runs.size();
    return found;
}

// Two changed pixels are neighbours when they are at most `reach` apart
// across and down; a region is what neighbours join.
void joinNeighbours(const ChangedRuns& found, int32_t height, Sets& sets) {
    const int32_t reach = kMergeGap + 1;
    const int32_t top = found.top;
    const std::vector<Run>& runs = found.runs;
    for (int32_t y = top; y < height; ++y) {
        const auto [begin, end] = found.row(y);
        for (std::size_t i = begin; i + 1 < end; ++i)
            if (runs[i + 1].x0 - runs[i].x1 < reach)
                sets.unite(static_cast<uint32_t>(i), static_cast<uint32_t>(i + 1));
        for (int32_t k = 1; k <= reach && y - k >= top && begin < end; ++k) {
            const auto [above, aboveEnd] = found.row(y - k);
            std::size_t j = above;
            for (std::size_t i = begin; i < end && j < aboveEnd; ++i) {
                const Run& r = runs[i];
                while (j < aboveEnd && runs[j].x1 - 1 + reach < r.x0)
                    ++j;
                // A run that close to the one before it shares its region
                // already (the row above was joined across first).
                for (std::size_t m = j; m < aboveEnd && runs[m].x0 <= r.x1 - 1 + reach; ++m)
                    if (m == j || runs[m].x0 - runs[m - 1].x1 >= reach)
                        sets.unite(static_cast<uint32_t>(i), static_cast<uint32_t>(m));
            }
        }
    }
}

// The box of each joined set, top to bottom, then left to right.
std::vector<Box> regionBoxes(const std::vector<Run>& runs, Sets& sets) {
    std::vector<Box> regions;
    std::vector<int32_t> regionOf(runs.size(), -1);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const uint32_t root = sets.find(static_cast<uint32_t>(i));
        const Run& r = runs[i];
        int32_t& index = regionOf[root];
        if (index < 0) {
            index = static_cast<int32_t>(regions.size());
            regions.push_back({r.x0, r.y, r.x1, r.y + 1});
            continue;
        }
        Box& box = regions[static_cast<std::size_t>(index)];
        box.left = std::min(box.left, r.x0);
        box.right = std::max(box.right, r.x1);
        box.bottom = std::max(box.bottom, r.y + 1);
    }
    std::sort(regions.begin(), regions.end(), [](const Box& a, const Box& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    return regions;
}

}  // namespace

Result compare(const Picture& first, const Picture& second, const Options& options) {
    Result result;
    if (!usable(first) || !usable(second))
        return result;
    const int32_t width = std::min(first.width, second.width);
    const int32_t height = std::min(first.height, second.height);
    result.width = width;
    result.height = height;
    result.sizesDiffer = first.width != second.width || first.height != second.height;
    result.ignoredRows = std::clamp<int32_t>(options.ignoreTop, 0, height);
    result.compared =
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height - result.ignoredRows);
    const ChangedRuns found =
        findRuns(first, second, result, clampedTolerance(options), result.changed);
    if (found.runs.empty())
        return result;
    Sets sets(found.runs.size());
    joinNeighbours(found, height, sets);
    result.regions = regionBoxes(found.runs, sets);
    return result;
}

void tint(const uint8_t* first, const uint8_t* second, uint8_t* out) {
    const int blue = (first[0] + second[0] + 1) / 2;
    const int green = (first[1] + second[1] + 1) / 2;
    const int red = (first[2] + second[2] + 1) / 2;
    out[0] = static_cast<uint8_t>(blue / 4);
    out[1] = static_cast<uint8_t>(green / 4);
    out[2] = static_cast<uint8_t>((red + 3 * 255) / 4);
}

void overlay(const Picture& first, const Picture& second, const Options& options, PackedDib& out) {
    if (!usable(first) || !usable(second)) {
        out.reset();
        return;
    }
    const int32_t width = std::min(first.width, second.width);
    const int32_t height = std::min(first.height, second.height);
    out.recreate(width, height);
    if (out.empty())
        return;
    const int32_t top = std::clamp<int32_t>(options.ignoreTop, 0, height);
    const int tolerance = clampedTolerance(options);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* a = rowOf(first, y);
        const uint8_t* b = rowOf(second, y);
        uint8_t* o = out.bits() + static_cast<std::size_t>(height - 1 - y) * out.stride();
        std::memcpy(o, b, rowBytes);
        if (y < top || std::memcmp(a, b, rowBytes) == 0)
            continue;
        for (std::size_t at = 0; at < rowBytes; at += 3)
            if (differs(a + at, b + at, tolerance))
                tint(a + at, b + at, o + at);
    }
}

std::string changeFigure(uint64_t changed, uint64_t compared) {
    uint64_t tenths = 0;
    if (compared > 0) {
        changed = std::min(changed, compared);
        tenths = (changed * 2000 + compared) / (2 * compared);
        if (changed > 0 && tenths == 0)
            tenths = 1;
        if (changed < compared && tenths == 1000)
            tenths = 999;
    }
    char text[48];
    std::snprintf(text, sizeof text, "変化 %llu.%llu %%",
                  static_cast<unsigned long long>(tenths / 10),
                  static_cast<unsigned long long>(tenths % 10));
    return text;
}

std::string comparisonHeading(const std::string& first, const std::string& second,
                              const std::string& figure, std::size_t maxBytes) {
    const std::string prefix = "比較: ", middle = " ⇔ ", suffix = " (" + figure + ")";
    const std::size_t fixed = prefix.size() + middle.size() + suffix.size();
    if (fixed + first.size() + second.size() <= maxBytes)
        return prefix + first + middle + second + suffix;
    if (fixed > maxBytes) {
        const std::string whole = prefix + middle + suffix;
        return whole.substr(0, cp932::cutLength(whole.data(), whole.size(), maxBytes));
    }
    // The room is shared evenly; what one heading leaves goes to the other.
    const std::size_t room = maxBytes - fixed;
    std::size_t firstRoom = room / 2, secondRoom = room - room / 2;
    if (first.size() < firstRoom) {
        secondRoom += firstRoom - first.size();
        firstRoom = first.size();
    } else if (second.size() < secondRoom) {
        firstRoom += secondRoom - second.size();
        secondRoom = second.size();
    }
    return prefix + shortened(first, firstRoom) + middle + shortened(second, secondRoom) + suffix;
}

std::string regionLine(std::size_t index, const Box& box) {
    char text[96];
    std::snprintf(text, sizeof text, "領域 %lu: 左 %ld 上 %ld 幅 %ld 高さ %ld",
                  static_cast<unsigned long>(index), static_cast<long>(box.left),
                  static_cast<long>(box.top), static_cast<long>(box.width()),
                  static_cast<long>(box.height()));
    return text;
}

std::string sizeNote(const Picture& first, const Picture& second, const Result& result) {
    if (!result.sizesDiffer)
        return std::string();
    char text[192];
    std::snprintf(text, sizeof text,
                  "大きさが違います（1 枚目 %ld x %ld、2 枚目 %ld x %ld）。"
                  "共通の左上 %ld x %ld を比較しています。",
                  static_cast<long>(first.width), static_cast<long>(first.height),
                  static_cast<long>(second.width), static_cast<long>(second.height),
                  static_cast<long>(result.width), static_cast<long>(result.height));
    return text;
}

std::string diffFileName(const std::string& picturePath) {
    const cp932::NameParts parts = cp932::nameParts(picturePath.data(), picturePath.size());
    return picturePath.substr(parts.nameStart, parts.stemEnd - parts.nameStart) + "_diff.png";
}

}  // namespace picture_diff
