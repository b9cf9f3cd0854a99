#include "view/mask_fit.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "base/cp932.h"

namespace mask_fit {

namespace {

// A text line is far lower than this; a box higher is no line the engine
// drew, and scanning it for every line of a damaged file would take long.
constexpr int32_t kMaxLineHeight = 256;

uint32_t colourAt(const PackedDib& picture, int32_t x, int32_t y) {
    const uint8_t* p = picture.bits() +
                       static_cast<std::size_t>(picture.height() - 1 - y) * picture.stride() +
                       static_cast<std::size_t>(x) * 3;
    return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
}

bool nearColour(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > kInkTolerance || d < -kInkTolerance)
            return false;
    }
    return true;
}

uint32_t commonest(std::vector<uint32_t>& colours) {
    std::sort(colours.begin(), colours.end());
    uint32_t best = colours.front();
    std::size_t bestCount = 0;
    for (std::size_t i = 0; i < colours.size();) {
        std::size_t j = i;
        while (j < colours.size() && colours[j] == colours[i])
            ++j;
        if (j - i > bestCount) {
            best = colours[i];
            bestCount = j - i;
        }
        i = j;
    }
    return best;
}

// The background of the box [left, right) x [top, bottom) on the picture:
// the commonest colour of the pixels around it, which the engine keeps clear
// of the line's ink (strokes may fill most of a tight box), or of its own
// edges where it lies along the picture's.
uint32_t backgroundOf(const PackedDib& picture, int32_t left, int32_t top, int32_t right,
                      int32_t bottom) {
    std::vector<uint32_t> colours;
    const auto add = [&](int32_t x, int32_t y) {
        if (x >= 0 && y >= 0 && x < picture.width() && y < picture.height())
            colours.push_back(colourAt(picture, x, y));
    };
    for (int32_t x = left - 1; x <= right; ++x) {
        add(x, top - 1);
        add(x, bottom);
    }
    for (int32_t y = top; y < bottom; ++y) {
        add(left - 1, y);
        add(right, y);
    }
    if (colours.empty()) {
        for (int32_t x = left; x < right; ++x) {
            add(x, top);
            add(x, bottom - 1);
        }
        for (int32_t y = top; y < bottom; ++y) {
            add(left, y);
            add(right - 1, y);
        }
    }
    return commonest(colours);
}

struct Run {
    int32_t left, right;
    int32_t width() const { return right - left; }
};

std::vector<Run> runsOf(const LineInk& ink) {
    std::vector<Run> runs;
    for (std::size_t i = 0; i < ink.ink.size(); ++i) {
        if (!ink.ink[i])
            continue;
        const int32_t x = ink.left + static_cast<int32_t>(i);
        if (!runs.empty() && runs.back().right == x)
            runs.back().right = x + 1;
        else
            runs.push_back({x, x + 1});
    }
    return runs;
}

// The text's words: what lies between its blanks (ASCII or full-width).
struct Word {
    std::size_t begin, end;  // bytes
};

std::vector<Word> wordsOf(const std::string& text) {
    std::vector<Word> words;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = cp932::charLength(text.data(), text.size(), i);
        const bool blank = length == 1 ? text[i] == ' ' || text[i] == '\t'
                                       : text[i] == '\x81' && text[i + 1] == '\x40';
        if (!blank && !inWord)
            words.push_back({i, i});
        if (!blank)
            words.back().end = i + length;
        inWord = !blank;
        i += length;
    }
    return words;
}

// The least width `bytes` bytes of text are drawn at in a line `height`
// high. The narrowest half-width characters ('.', 'i', '\'') take about a
// fifth of a font's height and a full-width one (two bytes) two fifths or
// more, while the engine's box is about the font's height; a tenth a byte
// leaves room for a box taller than the font and for the first character's
// bearing.
int32_t leastWidth(std::size_t bytes, int32_t height) {
    return static_cast<int32_t>(std::min<int64_t>(int64_t(bytes) * height / 10, int64_t{1} << 30));
}

// The ink as the words' blanks divide it.
struct Mapping {
    std::vector<Run> runs, gaps;
    std::vector<std::size_t> boundaries;  // the gap after each word but the last
    std::vector<Run> segments;            // one per word
    int32_t height = 0;
    int64_t spanWidth = 0;
    std::size_t spanBytes = 0;

    // Whether `width` pixels for `bytes` bytes is within low to high tenths
    // of the width a byte the line has on average.
    bool plausible(int64_t width, std::size_t bytes, int low, int high) const {
        const int64_t a = 10 * width * static_cast<int64_t>(spanBytes);
        const int64_t b = static_cast<int64_t>(bytes) * spanWidth;
        return a >= low * b && a <= high * b;
    }
};

// The k blanks between the words are the k widest gaps, in order, when that
// is unambiguous: no gap as wide as the narrowest of them left out, each
// wide enough for a blank, and every word given a width its bytes can have.
bool mapWords(const std::vector<Word>& words, Mapping& m) {
    const std::size_t k = words.size() - 1;
    if (m.gaps.size() < k)
        return false;
    std::vector<std::size_t> order(m.gaps.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return m.gaps[a].width() > m.gaps[b].width();
    });
    if (k > 0 && (m.gaps[order[k - 1]].width() < std::max(2, m.height / 8) ||
                  (k < order.size() && m.gaps[order[k]].width() == m.gaps[order[k - 1]].width())))
        return false;
    m.boundaries.assign(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(k));
    std::sort(m.boundaries.begin(), m.boundaries.end());
    int32_t start = m.runs.front().left;
    for (std::size_t b : m.boundaries) {
        m.segments.push_back({start, m.gaps[b].left});
        start = m.gaps[b].right;
    }
    m.segments.push_back({start, m.runs.back().right});
    for (std::size_t i = 0; i < words.size(); ++i)
        if (!m.plausible(m.segments[i].width(), words[i].end - words[i].begin, 6, 15))
            return false;
    return true;
}

// A gap left out that is nearly as wide as the one taken for the blank
// before (or after) the hit's words, within the word beside them, may be
// that blank instead: the hit is widened over it, unless that would leave
// the word beside it too narrow for its bytes.
void widenOverDoubts(const std::vector<Word>& words, const Mapping& m, std::size_t first,
                     std::size_t last, Columns& c) {
    const int32_t margin = std::max(2, m.height / 8);
    for (std::size_t j = 0; j < m.gaps.size(); ++j) {
        const Run& g = m.gaps[j];
        if (first > 0) {
            const Run& taken = m.gaps[m.boundaries[first - 1]];
            const Run& word = m.segments[first - 1];
            if (g.left >= word.left && g.right <= word.right &&
                g.width() >= taken.width() - margin &&
                m.plausible(g.left - word.left, words[first - 1].end - words[first - 1].begin, 4,
                            25))
                c.left = std::min(c.left, g.right);
        }
        if (last + 1 < words.size()) {
            const Run& taken = m.gaps[m.boundaries[last]];
            const Run& word = m.segments[last + 1];
            if (g.left >= word.left && g.right <= word.right &&
                g.width() >= taken.width() - margin &&
                m.plausible(word.right - g.right, words[last + 1].end - words[last + 1].begin, 4,
                            25))
                c.right = std::max(c.right, g.left);
        }
    }
}

Columns clampedTo(const OcrLine& line, Columns c) {
    c.left = std::max(c.left, line.left);
    c.right = std::min(c.right, line.right);
    c.right = std::max(c.right, c.left);
    return c;
}

}  // namespace

LineInk inkOf(const PackedDib& picture, const OcrLine& line) {
    LineInk result;
    if (picture.empty())
        return result;
    const int32_t left = std::max(line.left, 0), right = std::min(line.right, picture.width());
    const int32_t top = std::max(line.top, 0), bottom = std::min(line.bottom, picture.height());
    if (left >= right || top >= bottom || bottom - top > kMaxLineHeight)
        return result;
    const uint32_t background = backgroundOf(picture, left, top, right, bottom);
    result.left = left;
    result.height = bottom - top;
    result.ink.assign(static_cast<std::size_t>(right - left), 0);
    for (int32_t x = left; x < right; ++x)
        for (int32_t y = top; y < bottom; ++y)
            if (!nearColour(colourAt(picture, x, y), background)) {
                result.ink[static_cast<std::size_t>(x - left)] = 1;
                break;
            }
    return result;
}

std::vector<LineInk> inkOfLines(const PackedDib& picture, const OcrResult& result) {
    std::vector<LineInk> ink;
    for (const OcrLine& line : result.lines)
        ink.push_back(inkOf(picture, line));
    return ink;
}

Columns fit(const OcrLine& line, const LineInk& ink, std::size_t begin, std::size_t end,
            Columns estimate) {
    Mapping m;
    m.runs = runsOf(ink);
    const std::vector<Word> words = wordsOf(line.text);
    std::size_t first = words.size(), last = 0;
    for (std::size_t i = 0; i < words.size(); ++i)
        if (words[i].end > begin && words[i].begin < end) {
            first = std::min(first, i);
            last = i;
        }
    if (m.runs.empty() || first == words.size())
        return clampedTo(line, estimate);  // no ink, or blanks alone: nothing to cover
    const std::size_t from = std::max(begin, words[first].begin);
    const std::size_t to = std::min(end, words[last].end);
    for (std::size_t i = 0; i + 1 < m.runs.size(); ++i)
        m.gaps.push_back({m.runs[i].right, m.runs[i + 1].left});
    m.height = std::max(ink.height, 1);
    m.spanWidth = m.runs.back().right - m.runs.front().left;
    m.spanBytes = words.back().end - words.front().begin;
    Columns c;
    if (mapWords(words, m)) {
        const Run& a = m.segments[first];
        const Run& b = m.segments[last];
        c = {a.left + leastWidth(from - words[first].begin, m.height),
             b.right - leastWidth(words[last].end - to, m.height)};
        if (c.left >= c.right)
            c = {a.left, b.right};
        widenOverDoubts(words, m, first, last, c);
    } else {
        c = {std::min(estimate.left,
                      m.runs.front().left + leastWidth(from - words.front().begin, m.height)),
             std::max(estimate.right,
                      m.runs.back().right - leastWidth(words.back().end - to, m.height))};
    }
    return clampedTo(line, c);
}

}  // namespace mask_fit
