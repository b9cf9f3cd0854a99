#include "ocr/ocr_reread.h"

#include <algorithm>

#include "ocr/ocr_lines.h"
#include "ocr/personal_data.h"

namespace ocr_reread {

namespace {

// Full-width ASCII forms (U+FF01 to U+FF5E) as their ASCII characters.
wchar_t Narrow(wchar_t c) { return c >= 0xFF01 && c <= 0xFF5E ? static_cast<wchar_t>(c - 0xFEE0) : c; }

// ASCII, or a symbol a misread digit or '@' may come back as (§, ©, «):
// no kana, kanji or other CJK character, unless, with `strayAsAscii`, alone
// between ASCII ones (ロ for '@').
bool IsAsciiWord(const std::wstring& text, bool strayAsAscii) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (Narrow(text[i]) >= 0x2E80 && !(strayAsAscii && ocr_lines::strayBetweenAscii(text, i)))
            return false;
    return !text.empty();
}

bool IsLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

struct Shape {
    bool at = false, dotted = false;
    int digits = 0;
};

// An '@', the digits, and a dot or comma between letters (blanks after it
// allowed: the engine spaces an address's parts apart).
Shape ShapeOf(const std::wstring& text) {
    Shape shape;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = Narrow(text[i]);
        shape.at = shape.at || c == L'@';
        shape.digits += c >= L'0' && c <= L'9';
        if ((c == L'.' || c == L',') && i > 0 && IsLetter(Narrow(text[i - 1]))) {
            std::size_t next = i + 1;
            while (next < text.size() && text[next] == L' ')
                ++next;
            shape.dotted = shape.dotted || (next < text.size() && IsLetter(Narrow(text[next])));
        }
    }
    return shape;
}

// An '@', eight digits or more (a phone number has ten, a card sixteen,
// with some misread) or a dot between letters (an address whose '@' was
// misread).
bool MayHoldItem(const std::wstring& text) {
    const Shape shape = ShapeOf(text);
    return shape.at || shape.digits >= 8 || (shape.dotted && text.size() >= 8);
}

}  // namespace

std::wstring wordsText(const std::vector<Word>& words, std::size_t first, std::size_t last) {
    std::wstring text;
    for (std::size_t i = first; i < last; ++i)
        text += (i > first ? L" " : L"") + words[i].text;
    return text;
}

bool numeric(const std::wstring& text) {
    const Shape shape = ShapeOf(text);
    return !shape.at && !shape.dotted && shape.digits >= 8;
}

std::vector<Span> candidateSpans(const std::vector<Word>& words, bool strayAsAscii) {
    std::vector<Span> spans;
    for (std::size_t i = 0; i < words.size();) {
        if (!IsAsciiWord(words[i].text, strayAsAscii)) {
            ++i;
            continue;
        }
        Span span{i, i, words[i].left, words[i].top, words[i].right, words[i].bottom};
        for (; span.last < words.size() && IsAsciiWord(words[span.last].text, strayAsAscii); ++span.last) {
            const Word& w = words[span.last];
            span.left = std::min(span.left, w.left), span.top = std::min(span.top, w.top);
            span.right = std::max(span.right, w.right), span.bottom = std::max(span.bottom, w.bottom);
        }
        i = span.last;
        if (MayHoldItem(wordsText(words, span.first, span.last)))
            spans.push_back(span);
    }
    return spans;
}

namespace {

bool IsFigureWord(const std::wstring& text) {
    bool digit = false;
    for (wchar_t c : text) {
        c = Narrow(c);
        if (c >= L'0' && c <= L'9')
            digit = true;
        else if (c != L',' && c != L'.' && c != L'-')
            return false;
    }
    return digit;
}

}  // namespace

std::vector<Span> figureSpans(const std::vector<Word>& words, const std::vector<Span>& taken) {
    const auto isTaken = [&taken](std::size_t i) {
        return std::any_of(taken.begin(), taken.end(),
                           [i](const Span& s) { return i >= s.first && i < s.last; });
    };
    std::vector<Span> spans;
    for (std::size_t i = 0; i < words.size();) {
        if (!IsFigureWord(words[i].text) || isTaken(i)) {
            ++i;
            continue;
        }
        Span span{i, i, words[i].left, words[i].top, words[i].right, words[i].bottom};
        for (; span.last < words.size() && IsFigureWord(words[span.last].text) && !isTaken(span.last);
             ++span.last) {
            const Word& w = words[span.last];
            span.left = std::min(span.left, w.left), span.top = std::min(span.top, w.top);
            span.right = std::max(span.right, w.right), span.bottom = std::max(span.bottom, w.bottom);
        }
        i = span.last;
        spans.push_back(span);
    }
    return spans;
}

namespace {

// The figure characters of a text, narrowed; blanks and the rest left out.
std::wstring FigureCharacters(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        c = Narrow(c);
        if ((c >= L'0' && c <= L'9') || c == L',' || c == L'.' || c == L'-')
            out += c;
    }
    return out;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

std::wstring figureReading(const std::wstring& first, const std::wstring& second) {
    const std::wstring a = FigureCharacters(first), b = FigureCharacters(second);
    if (a.size() != b.size() || a == b)
        return {};
    for (std::size_t i = 0; i < a.size(); ++i)
        if (IsDigit(a[i]) != IsDigit(b[i]) || (!IsDigit(a[i]) && a[i] != b[i]))
            return {};
    return b;
}

Found found(const std::wstring& text) {
    std::string ascii;
    ascii.reserve(text.size());
    for (wchar_t c : text) {
        const wchar_t n = Narrow(c);
        ascii += n < 0x80 ? static_cast<char>(n) : '\x01';
    }
    Found f;
    // Only what is read rightly: a reading whose '@' came out a look-alike
    // is not as good as one that shows it.
    for (const personal_data::Hit& hit : personal_data::find(OcrLine{0, 0, 1, 1, ascii}, {}, false))
        ++f.items, f.bytes += hit.end - hit.begin;
    return f;
}

std::wstring tightened(const std::wstring& text) {
    const auto joins = [](wchar_t c) {
        c = Narrow(c);
        return c == L'.' || c == L'@' || c == L'-';
    };
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L' ' && ((!out.empty() && joins(out.back())) ||
                                (i + 1 < text.size() && joins(text[i + 1]))))
            continue;
        out += text[i];
    }
    return out;
}

std::wstring chosen(const std::wstring& first, const std::wstring& second, bool secondOnTie) {
    const std::wstring readings[] = {first, tightened(first), second, tightened(second)};
    std::size_t best = 0;
    Found most = found(first);
    for (std::size_t i = 1; i < 4; ++i) {
        const Found f = found(readings[i]);
        if (f.items > most.items || (f.items == most.items && f.bytes > most.bytes) ||
            (secondOnTie && i >= 2 && best < 2 && f.items > 0 && f.items == most.items && f.bytes == most.bytes))
            best = i, most = f;
    }
    return readings[best];
}

namespace {

bool Ink(const ocr_prep::GreyImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width && y < image.height && image.at(x, y) < 128;
}

// The column after which one is put in for a narrow `m` whose bar starts at
// (x, y): rows "####" then, four rows at least, "#.##" (12 and 9 pixels:
// the middle leg against the right one; after the third column) or "##.#"
// (11 pixels: against the left one; after the first), with nothing dark
// beside, above or below. -1 where there is none.
int NarrowMAt(const ocr_prep::GreyImage& image, int x, int y) {
    const auto row = [&](int yy, const char* pattern) {
        for (int i = 0; i < 4; ++i)
            if (Ink(image, x + i, yy) != (pattern[i] == '#'))
                return false;
        return !Ink(image, x - 1, yy) && !Ink(image, x + 4, yy);
    };
    if (!row(y - 1, "....") || !row(y, "####"))
        return -1;
    const std::pair<const char*, int> forms[] = {{"#.##", 2}, {"##.#", 0}};
    for (const auto& [legsRow, after] : forms) {
        int legs = 0;
        while (row(y + 1 + legs, legsRow))
            ++legs;
        if (legs >= 4 && row(y + 1 + legs, "...."))
            return x + after;
    }
    return -1;
}

}  // namespace

ocr_prep::GreyImage withBitmapMsWidened(const ocr_prep::GreyImage& image, std::vector<int>* after) {
    // The columns after which one is put in, with the rows of the bar.
    std::vector<std::pair<int, int>> inserts;  // (x of the column, y of the bar)
    for (int x = 0; x + 4 <= image.width; ++x)
        for (int y = 1; y + 5 < image.height; ++y)
            if (const int column = NarrowMAt(image, x, y); column >= 0) {
                inserts.push_back({column, y});
                break;
            }
    // Two forms may name one column (bars at x and x + 2 on other rows).
    std::sort(inserts.begin(), inserts.end());
    inserts.erase(std::unique(inserts.begin(), inserts.end(),
                              [](const auto& a, const auto& b) { return a.first == b.first; }),
                  inserts.end());
    if (after) {
        after->clear();
        for (const auto& insert : inserts)
            after->push_back(insert.first);
    }
    if (inserts.empty())
        return image;
    ocr_prep::GreyImage out;
    out.width = image.width + static_cast<int>(inserts.size());
    out.height = image.height;
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 255);
    for (int y = 0; y < image.height; ++y) {
        int to = 0;
        std::size_t next = 0;
        for (int x = 0; x < image.width; ++x) {
            out.at(to++, y) = image.at(x, y);
            if (next < inserts.size() && inserts[next].first == x) {
                // Dark under the bar only; the legs' rows and the rest light.
                out.at(to++, y) = y == inserts[next].second ? image.at(x, y) : 255;
                ++next;
            }
        }
    }
    return out;
}

int raiseLowDots(ocr_prep::GreyImage& image) {
    const auto alone = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if ((dx || dy) && Ink(image, x + dx, y + dy))
                    return false;
        return true;
    };
    // Ink on the row above within a cell on both sides, none on its own row.
    const auto between = [&](int x, int y) {
        bool left = false, right = false;
        for (int d = 1; d <= 6; ++d) {
            if (Ink(image, x - d, y) || Ink(image, x + d, y))
                return false;
            left = left || Ink(image, x - d, y - 1);
            right = right || Ink(image, x + d, y - 1);
        }
        return left && right;
    };
    int raised = 0;
    for (int y = 1; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (Ink(image, x, y) && alone(x, y) && between(x, y)) {
                std::swap(image.at(x, y), image.at(x, y - 1));
                ++raised;
            }
    return raised;
}

int unwidenedX(const std::vector<int>& after, int x) {
    int moved = 0;
    for (std::size_t k = 0; k < after.size() && after[k] + 1 + static_cast<int>(k) < x; ++k)
        ++moved;
    return x - moved;
}

}  // namespace ocr_reread
