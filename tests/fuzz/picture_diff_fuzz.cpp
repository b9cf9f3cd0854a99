// libFuzzer target: the comparison of two pictures of odd sizes (rows with
// padding, sides from 1 to 48 pixels, each picture its own size), against
// a plain flood fill of the changed pixels, and the overlay against the
// pixel rule.
//   bytes 0-3: the sides, 4: the tolerance (up to 69: beyond the maximum),
//   5: the band; then one byte a pixel of the first picture, then one a
//   pixel of the second, whose high bit keeps the first's pixel.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "view/picture_diff.h"

using picture_diff::Box;

namespace {

uint8_t* At(PackedDib& dib, int32_t x, int32_t y) {
    return dib.bits() + std::size_t(dib.height() - 1 - y) * dib.stride() + std::size_t(x) * 3;
}

// The regions as a flood fill finds them.
std::vector<Box> Reference(const std::vector<uint8_t>& mask, int32_t width, int32_t height) {
    const int32_t reach = picture_diff::kMergeGap + 1;
    std::vector<uint8_t> seen(mask.size());
    std::vector<Box> boxes;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            if (!mask[std::size_t(y) * width + x] || seen[std::size_t(y) * width + x])
                continue;
            Box box{x, y, x + 1, y + 1};
            std::vector<std::pair<int32_t, int32_t>> todo{{x, y}};
            seen[std::size_t(y) * width + x] = 1;
            while (!todo.empty()) {
                const auto [px, py] = todo.back();
                todo.pop_back();
                box.left = std::min(box.left, px);
                box.top = std::min(box.top, py);
                box.right = std::max(box.right, px + 1);
                box.bottom = std::max(box.bottom, py + 1);
                for (int32_t qy = std::max(0, py - reach); qy <= std::min(height - 1, py + reach);
                     ++qy)
                    for (int32_t qx = std::max(0, px - reach);
                         qx <= std::min(width - 1, px + reach); ++qx) {
                        const std::size_t i = std::size_t(qy) * width + qx;
                        if (mask[i] && !seen[i]) {
                            seen[i] = 1;
                            todo.push_back({qx, qy});
                        }
                    }
            }
            boxes.push_back(box);
        }
    std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    return boxes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6)
        return 0;
    const int32_t w1 = 1 + data[0] % 48, h1 = 1 + data[1] % 48;
    const int32_t w2 = 1 + data[2] % 48, h2 = 1 + data[3] % 48;
    const picture_diff::Options options{data[4] % 70, data[5] % 50};
    std::size_t at = 6;
    const auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    PackedDib first = PackedDib::create(w1, h1), second = PackedDib::create(w2, h2);
    FUZZ_CHECK(!first.empty() && !second.empty());
    // Padding that the comparison must never read as pixels.
    std::fill(first.bits(), first.bits() + first.size() - kDibInfoHeaderSize, 0xA5);
    std::fill(second.bits(), second.bits() + second.size() - kDibInfoHeaderSize, 0x5A);
    for (int32_t y = 0; y < h1; ++y)
        for (int32_t x = 0; x < w1; ++x) {
            const uint8_t v = next();
            uint8_t* p = At(first, x, y);
            p[0] = v;
            p[1] = uint8_t(v * 7);
            p[2] = uint8_t(v ^ 0x3C);
        }
    for (int32_t y = 0; y < h2; ++y)
        for (int32_t x = 0; x < w2; ++x) {
            const uint8_t v = next();
            uint8_t* p = At(second, x, y);
            if (x < w1 && y < h1 && (v & 0x80)) {
                const uint8_t* q = At(first, x, y);
                p[0] = q[0];
                p[1] = q[1];
                p[2] = uint8_t(q[2] + (v & 0x7F) % 24);  // near the tolerance
            } else {
                p[0] = v;
                p[1] = uint8_t(v * 5);
                p[2] = uint8_t(v + 1);
            }
        }

    const picture_diff::Picture a = picture_diff::of(first), b = picture_diff::of(second);
    const picture_diff::Result r = picture_diff::compare(a, b, options);
    const int32_t width = std::min(w1, w2), height = std::min(h1, h2);
    FUZZ_CHECK(r.width == width && r.height == height);
    FUZZ_CHECK(r.sizesDiffer == (w1 != w2 || h1 != h2));
    const int32_t band = std::min<int32_t>(options.ignoreTop, height);
    FUZZ_CHECK(r.ignoredRows == band);
    FUZZ_CHECK(r.compared == uint64_t(width) * uint64_t(height - band));
    const int tolerance = std::min(options.tolerance, picture_diff::kMaxTolerance);
    std::vector<uint8_t> mask(std::size_t(width) * height);
    uint64_t changed = 0;
    for (int32_t y = band; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = At(first, x, y);
            const uint8_t* q = At(second, x, y);
            bool c = false;
            for (int i = 0; i < 3; ++i)
                c = c || std::abs(p[i] - q[i]) > tolerance;
            mask[std::size_t(y) * width + x] = c;
            changed += c;
        }
    FUZZ_CHECK(r.changed == changed);
    const std::vector<Box> expected = Reference(mask, width, height);
    FUZZ_CHECK(r.regions == expected);

    PackedDib o;
    picture_diff::overlay(a, b, options, o);
    FUZZ_CHECK(o.width() == width && o.height() == height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t want[3];
            const uint8_t* q = At(second, x, y);
            if (mask[std::size_t(y) * width + x])
                picture_diff::tint(At(first, x, y), q, want);
            else
                std::copy(q, q + 3, want);
            FUZZ_CHECK(std::equal(want, want + 3, At(o, x, y)));
        }
    const std::string figure = picture_diff::changeFigure(r.changed, r.compared);
    FUZZ_CHECK(figure.compare(0, 4, "\x95\xCF\x89\xBB") == 0);  // 変化
    return 0;
}
