// The search's folding and the personal-data checks over any bytes. The
// input is up to four user patterns split by tabs, an LF, then the line.
// Properties:
// - folding keeps whole characters (no lead byte left without its trail),
//   is idempotent, and its origins step forward through the text's
//   characters;
// - any text contains every word of itself;
// - every hit lies inside the line, starts and ends at its characters'
//   edges, and its box inside the line's box;
// - on a picture whose ink columns come from the input too, the columns a
//   mask is fitted to lie inside the line's box.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "ocr/personal_data.h"
#include "ocr/text_fold.h"
#include "tests/fuzz/fuzz_check.h"
#include "view/mask_fit.h"
#include "view/packed_dib.h"

namespace {

// Offsets at which a character of s starts, then s.size().
std::vector<bool> edges(const std::string& s) {
    std::vector<bool> edge(s.size() + 1, false);
    for (std::size_t i = 0; i < s.size(); i += cp932::charLength(s.data(), s.size(), i))
        edge[i] = true;
    edge[s.size()] = true;
    return edge;
}

void checkFold(const std::string& text, text_fold::Options options) {
    std::vector<std::size_t> origins;
    const std::string folded = text_fold::fold(text, options, &origins);
    FUZZ_CHECK(origins.size() == folded.size() + 1 && origins.back() == text.size());
    const std::vector<bool> edge = edges(text);
    for (std::size_t i = 0; i < folded.size(); ++i)
        FUZZ_CHECK(edge[origins[i]] && origins[i] <= origins[i + 1] && origins[i] < text.size());
    for (std::size_t i = 0; i < folded.size(); i += cp932::charLength(folded.data(), folded.size(), i))
        FUZZ_CHECK(!cp932::isLeadByte(static_cast<unsigned char>(folded[i])) ||
                   cp932::charLength(folded.data(), folded.size(), i) == 2);
    FUZZ_CHECK(text_fold::fold(folded, options) == folded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t lf = input.find('\n');
    const std::string text = lf == std::string::npos ? input : input.substr(lf + 1);
    std::vector<std::string> patterns;
    for (std::size_t from = 0; lf != std::string::npos && from <= lf && patterns.size() < 4;) {
        const std::size_t end = std::min(input.find('\t', from), lf);
        patterns.push_back(input.substr(from, end - from));
        from = end + 1;
    }

    text_fold::Options options;
    checkFold(text, options);
    options.dropBlanks = options.dashesToHyphen = true;
    checkFold(text, options);
    FUZZ_CHECK(text_fold::containsAllWords(text, text));

    const OcrLine line{10, 20, 10 + static_cast<int>(size % 500), 40, text};
    const std::vector<bool> edge = edges(text);
    // Ink in the columns whose input byte is odd, so that the runs and gaps
    // the fit meets vary with the input.
    PackedDib picture = PackedDib::create(520, 60);
    for (int32_t x = 0; x < picture.width() && size > 0; ++x)
        if (data[static_cast<std::size_t>(x) % size] & 1)
            for (int32_t y = 25; y < 35; ++y)
                std::fill_n(picture.bits() + static_cast<std::size_t>(y) * picture.stride() +
                                static_cast<std::size_t>(x) * 3,
                            3, uint8_t{0xFF});
    const mask_fit::LineInk ink = mask_fit::inkOf(picture, line);
    for (const personal_data::Hit& h : personal_data::find(line, patterns)) {
        FUZZ_CHECK(h.begin < h.end && h.end <= text.size() && edge[h.begin] && edge[h.end]);
        FUZZ_CHECK(line.left <= h.left && h.left <= h.right && h.right <= line.right);
        FUZZ_CHECK(h.top == line.top && h.bottom == line.bottom);
        FUZZ_CHECK((h.kind == personal_data::Kind::userPattern) == (h.pattern >= 0));
        const mask_fit::Columns c = mask_fit::fit(line, ink, h.begin, h.end, {h.left, h.right});
        FUZZ_CHECK(line.left <= c.left && c.left <= c.right && c.right <= line.right);
    }
    return 0;
}
