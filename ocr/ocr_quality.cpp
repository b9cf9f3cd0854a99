#include "ocr/ocr_quality.h"

#include <algorithm>
#include <cstdint>

#include "base/cp932.h"
#include "ocr/text_fold.h"

namespace ocr_quality {

namespace {

bool isBlank(std::string_view c) { return c == " " || c == "\t" || c == "\x81\x40"; }

struct Char {
    std::string_view text;
    std::string folded;
    Script script;
};

// Full-width and half-width forms of one character are one: at these sizes
// the pixels seldom tell them apart, and the search and the personal-data
// checks fold them alike. Two ASCII characters compare as they are, so a
// letter's case still counts.
std::string folded(std::string_view c) { return text_fold::fold(c, text_fold::Options{}); }

bool sameCharacter(const Char& a, const Char& b) {
    return a.text == b.text || ((a.text.size() > 1 || b.text.size() > 1) && a.folded == b.folded);
}

std::vector<Char> charsOf(std::string_view text, Script script) {
    std::vector<Char> out;
    for (std::string_view c : characters(text))
        out.push_back(Char{c, folded(c), script});
    return out;
}

std::vector<Char> pageCharacters(const OcrResult& result) {
    std::vector<Char> out;
    for (const OcrLine* line : readingOrder(result)) {
        const std::vector<Char> chars = charsOf(line->text, scriptOf(line->text));
        out.insert(out.end(), chars.begin(), chars.end());
    }
    return out;
}

// The alignment's table: cost[i][j] is the distance between the first i
// characters of a and the first j of b.
template <typename A, typename B, typename Same>
std::vector<std::uint32_t> alignmentTable(const A& a, const B& b, Same same) {
    const std::size_t width = b.size() + 1;
    std::vector<std::uint32_t> cost((a.size() + 1) * width);
    for (std::size_t j = 0; j < width; ++j)
        cost[j] = static_cast<std::uint32_t>(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        cost[i * width] = static_cast<std::uint32_t>(i);
        for (std::size_t j = 1; j < width; ++j) {
            const std::uint32_t replace = cost[(i - 1) * width + j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1);
            const std::uint32_t removed = cost[(i - 1) * width + j] + 1;
            const std::uint32_t added = cost[i * width + j - 1] + 1;
            cost[i * width + j] = std::min({replace, removed, added});
        }
    }
    return cost;
}

// Keeps ASCII letters, digits and the characters of an address; full-width
// forms are folded to ASCII first, letters to capitals.
std::string itemKey(std::string_view text) {
    const std::string folded = text_fold::fold(text, text_fold::Options{true, true});
    std::string key;
    for (char c : folded)
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '@' || c == '.' || c == '_' || c == '+')
            key += c;
        else if (c != '-' && c != '(' && c != ')')
            key += '\x01';  // anything else keeps the item from comparing equal
    return key;
}

}  // namespace

Script scriptOf(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = cp932::charLength(text.data(), text.size(), i);
        if (length == 2)
            return Script::japanese;
        i += length;
    }
    return Script::english;
}

std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = cp932::charLength(text.data(), text.size(), i);
        const std::string_view c = text.substr(i, length);
        if (!isBlank(c))
            out.push_back(c);
        i += length;
    }
    return out;
}

std::vector<const OcrLine*> readingOrder(const OcrResult& result) {
    std::vector<const OcrLine*> lines;
    for (const OcrLine& line : result.lines)
        lines.push_back(&line);
    std::stable_sort(lines.begin(), lines.end(),
                     [](const OcrLine* a, const OcrLine* b) { return a->top < b->top; });
    std::vector<const OcrLine*> ordered;
    for (std::size_t first = 0; first < lines.size();) {
        std::size_t end = first + 1;
        while (end < lines.size()) {
            const int middle = (lines[end]->top + lines[end]->bottom) / 2;
            if (middle < lines[first]->top || middle >= lines[first]->bottom)
                break;
            ++end;
        }
        std::stable_sort(lines.begin() + static_cast<std::ptrdiff_t>(first),
                         lines.begin() + static_cast<std::ptrdiff_t>(end),
                         [](const OcrLine* a, const OcrLine* b) { return a->left < b->left; });
        ordered.insert(ordered.end(), lines.begin() + static_cast<std::ptrdiff_t>(first),
                       lines.begin() + static_cast<std::ptrdiff_t>(end));
        first = end;
    }
    return ordered;
}

double Score::accuracy(Script script) const {
    const auto s = static_cast<std::size_t>(script);
    if (characters[s] == 0)
        return 1.0;
    return 1.0 - static_cast<double>(errors[s]) / static_cast<double>(characters[s]);
}

double Score::accuracy() const {
    const std::size_t all = characters[0] + characters[1];
    if (all == 0)
        return 1.0;
    return 1.0 - static_cast<double>(errors[0] + errors[1]) / static_cast<double>(all);
}

Score& Score::operator+=(const Score& other) {
    for (int s = 0; s < 2; ++s) {
        characters[s] += other.characters[s];
        errors[s] += other.errors[s];
    }
    return *this;
}

Score score(const OcrResult& truth, const OcrResult& read) {
    const std::vector<Char> a = pageCharacters(truth);
    const std::vector<Char> b = pageCharacters(read);
    Score result;
    for (const Char& c : a)
        ++result.characters[static_cast<std::size_t>(c.script)];
    const auto same = sameCharacter;
    const std::vector<std::uint32_t> cost = alignmentTable(a, b, same);
    const std::size_t width = b.size() + 1;
    const auto charge = [&](std::size_t truthIndex) {
        const Script script = a.empty() ? Script::english : a[std::min(truthIndex, a.size() - 1)].script;
        ++result.errors[static_cast<std::size_t>(script)];
    };
    std::size_t i = a.size(), j = b.size();
    while (i > 0 || j > 0) {
        const std::uint32_t here = cost[i * width + j];
        if (i > 0 && j > 0 && here == cost[(i - 1) * width + j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1)) {
            if (!same(a[i - 1], b[j - 1]))
                charge(i - 1);
            --i, --j;
        } else if (i > 0 && here == cost[(i - 1) * width + j] + 1) {
            charge(i - 1);
            --i;
        } else {
            charge(i == 0 ? 0 : i - 1);
            --j;
        }
    }
    return result;
}

std::size_t editDistance(std::string_view a, std::string_view b) {
    return alignmentTable(charsOf(a, Script::english), charsOf(b, Script::english), sameCharacter).back();
}

namespace {

// The first hit of `kind` whose text is `value`; false when there is none.
bool hitOf(const OcrResult& read, personal_data::Kind kind, std::string_view value,
           personal_data::Hit& out) {
    const std::string wanted = itemKey(value);
    for (const OcrLine& line : read.lines)
        for (const personal_data::Hit& hit : personal_data::find(line, {}))
            if (hit.kind == kind && itemKey(std::string_view(line.text).substr(hit.begin, hit.end - hit.begin)) == wanted) {
                out = hit;
                return true;
            }
    return false;
}

}  // namespace

bool found(const OcrResult& read, personal_data::Kind kind, std::string_view value) {
    personal_data::Hit hit{};
    return hitOf(read, kind, value, hit);
}

bool covered(const OcrResult& truth, const OcrResult& read, personal_data::Kind kind,
             std::string_view value) {
    personal_data::Hit item{};
    if (!hitOf(truth, kind, value, item))
        return false;
    const int middle = (item.top + item.bottom) / 2;
    const long long wanted = 4LL * (item.right - item.left);
    for (const OcrLine& line : read.lines)
        for (const personal_data::Hit& hit : personal_data::find(line, {})) {
            const long long overlap = std::min(hit.right, item.right) - std::max(hit.left, item.left);
            if (hit.kind == kind && hit.top <= middle && middle <= hit.bottom && 5 * overlap >= wanted)
                return true;
        }
    return false;
}

}  // namespace ocr_quality
