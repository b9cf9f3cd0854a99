#include "ocr/ocr_prep.h"

#include <algorithm>

namespace ocr_prep {

namespace {

// Ink is darker than this; screens draw their small text in black or dark
// grey on white or a light grey, and a highlight's blue (luma 95) counts as
// ink, so white text on it is never taken for dark text.
constexpr std::uint8_t kInk = 128;

struct Component {
    int left, top, right, bottom;  // inclusive
    int area;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

// Lines and grounds are looked for among all that is not near white: the
// frames of edit boxes and grid lines are drawn in greys of 105 to 160.
constexpr std::uint8_t kMark = 200;

// The 8-connected components of the pixels darker than `ink`; `labels` gets
// each such pixel's index + 1.
std::vector<Component> components(const GreyImage& image, std::vector<int>& labels, std::uint8_t ink = kInk) {
    std::vector<Component> out;
    labels.assign(image.pixels.size(), 0);
    std::vector<int> stack;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::size_t start = static_cast<std::size_t>(y) * image.width + x;
            if (labels[start] || image.pixels[start] >= ink)
                continue;
            out.push_back(Component{x, y, x, y, 0});
            Component& c = out.back();
            const int label = static_cast<int>(out.size());
            labels[start] = label;
            stack.assign(1, static_cast<int>(start));
            while (!stack.empty()) {
                const int p = stack.back();
                stack.pop_back();
                const int px = p % image.width, py = p / image.width;
                ++c.area;
                c.left = std::min(c.left, px), c.right = std::max(c.right, px);
                c.top = std::min(c.top, py), c.bottom = std::max(c.bottom, py);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx, ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= image.width || ny >= image.height)
                            continue;
                        const std::size_t n = static_cast<std::size_t>(ny) * image.width + nx;
                        if (!labels[n] && image.pixels[n] < ink) {
                            labels[n] = label;
                            stack.push_back(static_cast<int>(n));
                        }
                    }
            }
        }
    return out;
}

bool lightGround(const GreyImage& image, int cx, int cy) {
    int light = 0, all = 0;
    for (int y = std::max(0, cy - 8); y <= std::min(image.height - 1, cy + 8); ++y)
        for (int x = std::max(0, cx - 8); x <= std::min(image.width - 1, cx + 8); ++x, ++all)
            light += image.at(x, y) >= kInk;
    return light * 2 > all;
}

// The light pixels around a dot, 4-connected, if they stay inside a small
// window and are bounded by one tall narrow component: the hole of a zero.
// Returns that hole's lightest grey, or -1.
int holeAround(const GreyImage& image, const std::vector<int>& labels, const std::vector<Component>& all,
               const Component& dot) {
    const int x0 = dot.left - 5, x1 = dot.right + 5, y0 = dot.top - 7, y1 = dot.bottom + 7;
    if (x0 < 0 || y0 < 0 || x1 >= image.width || y1 >= image.height)
        return -1;
    const int w = x1 - x0 + 1;
    std::vector<char> seen(static_cast<std::size_t>(w) * (y1 - y0 + 1), 0);
    std::vector<std::pair<int, int>> stack;
    const int dotLabel = labels[static_cast<std::size_t>(dot.top) * image.width + dot.left];
    for (int y = dot.top - 1; y <= dot.bottom + 1; ++y)
        for (int x = dot.left - 1; x <= dot.right + 1; ++x)
            if (image.at(x, y) >= kInk)
                stack.push_back({x, y});
    int ring = 0, lightest = 0, filled = 0;
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        if (x <= x0 || x >= x1 || y <= y0 || y >= y1)
            return -1;  // the light runs out of the window: no hole
        char& s = seen[static_cast<std::size_t>(y - y0) * w + (x - x0)];
        if (s)
            continue;
        s = 1;
        const int label = labels[static_cast<std::size_t>(y) * image.width + x];
        if (label) {
            if (label == dotLabel)
                continue;
            if (ring && ring != label)
                return -1;
            ring = label;
            continue;
        }
        if (++filled > 40)
            return -1;
        lightest = std::max<int>(lightest, image.at(x, y));
        stack.push_back({x + 1, y}), stack.push_back({x - 1, y});
        stack.push_back({x, y + 1}), stack.push_back({x, y - 1});
    }
    if (!ring)
        return -1;
    const Component& r = all[static_cast<std::size_t>(ring - 1)];
    const bool zeroShaped = r.height() >= 5 && r.width() * 4 <= r.height() * 3 && r.left < dot.left &&
                            r.right > dot.right && r.top < dot.top && r.bottom > dot.bottom;
    return zeroShaped ? lightest : -1;
}

// A digit-sized component whose bottom row the stroke ends on, on the side
// given, within five pixels (a monospaced face gives the comma a cell of
// its own).
bool digitBeside(const std::vector<Component>& all, const Component& stroke, int side) {
    return std::any_of(all.begin(), all.end(), [&](const Component& c) {
        const int gap = side < 0 ? stroke.left - c.right : c.left - stroke.right;
        return gap >= 1 && gap <= 5 && c.height() >= 5 && c.bottom == stroke.bottom && c.top < stroke.top;
    });
}

struct Run {
    int begin, end;  // x, end exclusive
};

std::vector<Run> runsOf(const GreyImage& image, const std::vector<int>& labels, const Component& c, int label,
                        int y) {
    std::vector<Run> runs;
    for (int x = c.left; x <= c.right; ++x) {
        if (labels[static_cast<std::size_t>(y) * image.width + x] != label)
            continue;
        if (!runs.empty() && runs.back().end == x)
            ++runs.back().end;
        else
            runs.push_back(Run{x, x + 1});
    }
    return runs;
}

// The rows of two runs whose side is thicker than the thinnest side of such
// rows get that side's inner part as a run of its own, to be cleared; true
// when there was one.
bool splitThickSides(std::vector<std::vector<Run>>& rows) {
    int thinnest = 1 << 30;
    for (const std::vector<Run>& runs : rows)
        if (runs.size() == 2)
            thinnest = std::min({thinnest, runs[0].end - runs[0].begin, runs[1].end - runs[1].begin});
    bool split = false;
    for (std::vector<Run>& runs : rows) {
        if (runs.size() != 2)
            continue;
        const Run left = runs[0], right = runs[1];
        std::vector<Run> parts{Run{left.begin, left.begin + thinnest}};
        if (left.end - left.begin > thinnest)
            parts.push_back(Run{left.begin + thinnest, left.end});
        if (right.end - right.begin > thinnest)
            parts.push_back(Run{right.begin, right.end - thinnest});
        parts.push_back(Run{right.end - thinnest, right.end});
        split = split || parts.size() > 2;
        runs = parts;
    }
    return split;
}

// A zero whose slash or dot is joined to it: a closed ring as narrow as a
// digit (one run of ink across its top and its bottom row, its two sides on
// every row between but the two next to those) with ink between the sides
// on some rows. At 9 pixels the zero is three or four wide with a bar
// across its middle (a theta): one row between may be a run across the
// whole width; at 12 pixels it is four wide and the slash joins a side,
// which is then thicker on some rows than on others. That ink is cleared;
// an eight, whose waist is narrower than the digit, and letters open at the
// top or bottom are not rings.
bool clearRingInterior(GreyImage& image, const std::vector<int>& labels, const Component& c, int label,
                       bool barOffCentre) {
    if (c.height() < 7 || c.height() > 24 || c.width() < 3 || c.width() * 4 > c.height() * 3 || c.left == 0 ||
        c.right + 1 == image.width)
        return false;
    if (runsOf(image, labels, c, label, c.top).size() != 1 || runsOf(image, labels, c, label, c.bottom).size() != 1)
        return false;
    std::vector<std::vector<Run>> rows;
    bool inside = false, bar = false;
    for (int y = c.top + 1; y < c.bottom; ++y) {
        rows.push_back(runsOf(image, labels, c, label, y));
        std::vector<Run>& runs = rows.back();
        const bool nearEnd = y <= c.top + 2 || y >= c.bottom - 2;
        if (runs.size() < 2) {
            const bool across = runs.size() == 1 && runs[0].begin == c.left && runs[0].end == c.right + 1;
            // IPAGothic's 9-pixel zero has its bar on the third row, not the
            // middle one.
            const bool barRow = across && !bar && c.width() <= 4 &&
                                (!nearEnd || (barOffCentre && y > c.top + 1 && y < c.bottom - 1));
            if (!nearEnd && !barRow)
                return false;
            if (barRow) {
                // Its inside as a run of its own between the two sides.
                runs = {Run{c.left, c.left + 1}, Run{c.left + 1, c.right}, Run{c.right, c.right + 1}};
                bar = inside = true;
            }
            continue;
        }
        if (runs.front().begin > c.left + c.width() / 3 || runs.back().end <= c.right - c.width() / 3)
            return false;
        inside = inside || (runs.size() > 2 && !nearEnd);
    }
    if (c.width() <= 5)
        inside = splitThickSides(rows) || inside;
    if (!inside || !lightGround(image, (c.left + c.right) / 2, (c.top + c.bottom) / 2))
        return false;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int y = c.top + 1 + static_cast<int>(r);
        for (std::size_t k = 1; k + 1 < rows[r].size(); ++k) {
            const std::uint8_t ground = std::max(image.at(c.left - 1, y), image.at(c.right + 1, y));
            for (int x = rows[r][k].begin; x < rows[r][k].end; ++x)
                image.at(x, y) = ground;
        }
    }
    return true;
}

// The frame of an edit box, a rule or an underline: ink much longer than any
// glyph and no thicker than a line; beside text the models read it as '|'
// or 'l'. Its pixels take the lightest grey around them.
bool clearRule(GreyImage& image, const std::vector<int>& labels, const Component& c, int label) {
    if (std::max(c.width(), c.height()) < 30 || c.area > 2 * (c.width() + c.height()) + 4)
        return false;
    for (int y = c.top; y <= c.bottom; ++y)
        for (int x = c.left; x <= c.right; ++x) {
            if (labels[static_cast<std::size_t>(y) * image.width + x] != label)
                continue;
            std::uint8_t light = 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < image.width && ny < image.height &&
                        labels[static_cast<std::size_t>(ny) * image.width + nx] != label)
                        light = std::max(light, image.at(nx, ny));
                }
            image.at(x, y) = light;
        }
    return true;
}

// A dark ground that light text is drawn on (a title bar, a selection, a
// dark window): a solid component larger than any glyph. Its box is turned
// over, so that the text in it is dark on light as everywhere else.
bool invertGround(GreyImage& image, const Component& c) {
    const long long box = static_cast<long long>(c.width()) * c.height();
    if (c.height() < 12 || c.width() < 24 || c.area < 1000 || c.area * 2 < box)
        return false;
    for (int y = c.top; y <= c.bottom; ++y)
        for (int x = c.left; x <= c.right; ++x)
            image.at(x, y) = static_cast<std::uint8_t>(255 - image.at(x, y));
    return true;
}

}  // namespace

GreyImage greyFromBgr(const std::uint8_t* top, int width, int height, std::ptrdiff_t rowStep, int bytesPerPixel) {
    GreyImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = top + y * rowStep;
        std::uint8_t* out = &image.pixels[static_cast<std::size_t>(y) * width];
        for (int x = 0; x < width; ++x, in += bytesPerPixel)
            out[x] = static_cast<std::uint8_t>((in[0] * 29u + in[1] * 150u + in[2] * 77u) >> 8);
    }
    return image;
}

Repairs repairBitmapGlyphs(GreyImage& image, bool zeroBarOffCentre) {
    Repairs done;
    std::vector<int> labels;
    {
        const std::vector<Component> marks = components(image, labels, kMark);
        for (std::size_t i = 0; i < marks.size(); ++i) {
            done.grounds += invertGround(image, marks[i]);
            done.rules += clearRule(image, labels, marks[i], static_cast<int>(i + 1));
        }
    }
    const std::vector<Component> all = components(image, labels);
    // Components of a line lie near each other in the list (they are found
    // row by row), but a digit beside a stroke may start rows above it: the
    // neighbours are looked for among all components within reach.
    std::vector<Component> tails;
    for (std::size_t i = 0; i < all.size(); ++i)
        done.zeros += clearRingInterior(image, labels, all[i], static_cast<int>(i + 1), zeroBarOffCentre);
    for (const Component& c : all) {
        if (c.width() > 2 || c.height() > 3 || !lightGround(image, (c.left + c.right) / 2, (c.top + c.bottom) / 2))
            continue;
        const int hole = holeAround(image, labels, all, c);
        if (hole >= 0) {
            for (int y = c.top; y <= c.bottom; ++y)
                for (int x = c.left; x <= c.right; ++x)
                    image.at(x, y) = static_cast<std::uint8_t>(hole);
            ++done.zeros;
        } else if (c.width() == 1 && c.height() >= 2 && c.area == c.height() && c.left > 0 &&
                   c.bottom + 1 < image.height) {
            tails.push_back(c);
        }
    }
    for (const Component& c : tails) {
        std::vector<Component> near;
        for (const Component& n : all)
            if (n.right >= c.left - 4 && n.left <= c.right + 4 && n.bottom >= c.top - 12 && n.top <= c.bottom)
                near.push_back(n);
        if (!digitBeside(near, c, -1) || !digitBeside(near, c, +1))
            continue;
        std::uint8_t& tail = image.at(c.left - 1, c.bottom + 1);
        if (tail >= kInk) {
            tail = image.at(c.left, c.bottom);
            ++done.commas;
        }
    }
    return done;
}

}  // namespace ocr_prep
