#include "ocr/ocr_reread.h"

#include <algorithm>

#include "ocr/personal_data.h"

namespace ocr_reread {

namespace {

// Full-width ASCII forms (U+FF01 to U+FF5E) as their ASCII characters.
wchar_t Narrow(wchar_t c) { return c >= 0xFF01 && c <= 0xFF5E ? static_cast<wchar_t>(c - 0xFEE0) : c; }

// ASCII, or a symbol a misread digit or '@' may come back as (§, ©, «):
// no kana, kanji or other CJK character.
bool IsAsciiWord(const std::wstring& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return Narrow(c) < 0x2E80; });
}

bool IsLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// An '@', eight digits or more (a phone number has ten, a card sixteen,
// with some misread) or a dot or comma between letters (an address whose
// '@' was misread).
bool MayHoldItem(const std::wstring& text) {
    int digits = 0;
    bool dotted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = Narrow(text[i]);
        if (c == L'@')
            return true;
        digits += c >= L'0' && c <= L'9';
        if ((c == L'.' || c == L',') && i > 0 && IsLetter(Narrow(text[i - 1])))
            dotted = dotted || (i + 1 < text.size() && IsLetter(Narrow(text[i + 1])));
    }
    return digits >= 8 || (dotted && text.size() >= 8);
}

}  // namespace

std::wstring wordsText(const std::vector<Word>& words, std::size_t first, std::size_t last) {
    std::wstring text;
    for (std::size_t i = first; i < last; ++i)
        text += (i > first ? L" " : L"") + words[i].text;
    return text;
}

std::vector<Span> candidateSpans(const std::vector<Word>& words) {
    std::vector<Span> spans;
    for (std::size_t i = 0; i < words.size();) {
        if (!IsAsciiWord(words[i].text)) {
            ++i;
            continue;
        }
        Span span{i, i, words[i].left, words[i].top, words[i].right, words[i].bottom};
        for (; span.last < words.size() && IsAsciiWord(words[span.last].text); ++span.last) {
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

Found found(const std::wstring& text) {
    std::string ascii;
    ascii.reserve(text.size());
    for (wchar_t c : text) {
        const wchar_t n = Narrow(c);
        ascii += n < 0x80 ? static_cast<char>(n) : '\x01';
    }
    Found f;
    for (const personal_data::Hit& hit : personal_data::find(OcrLine{0, 0, 1, 1, ascii}, {}))
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

}  // namespace ocr_reread
