#include "ocr/text_fold.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/cp932.h"
#include "base/text_encoding.h"

namespace text_fold {

namespace {

// 0xA1-0xDF as full-width characters, in byte order.
const char kFullKana[] =
    "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
    "ハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(sizeof kFullKana == 63 * 2 + 1, "two bytes for each of 0xA1-0xDF");

constexpr unsigned char kVoiced = 0xDE, kSemiVoiced = 0xDF;
constexpr unsigned char kTornLead = 0x7F;

// The capital of a letter Windows folds in names beyond ASCII: full-width
// Latin (folded to ASCII before this), Greek, Cyrillic, small Roman numerals.
uint32_t capital(uint32_t cp) {
    if ((cp >= 0x03B1 && cp <= 0x03C9 && cp != 0x03C2) || (cp >= 0x0430 && cp <= 0x044F))
        return cp - 0x20;
    if (cp == 0x0451)  // ё
        return 0x0401;
    if (cp >= 0x2170 && cp <= 0x2179)  // ⅰ-ⅹ
        return cp - 0x10;
    return cp;
}

// What a double-byte character folds to, or 0 when it stays: an ASCII byte
// for the full-width forms U+FF01-U+FF5E, the ideographic space and the
// full-width yen sign (which code page 932's own 0x5C shows as); otherwise
// the bytes Windows writes for the character's capital, so that a small
// letter folds to its capital and the NEC and IBM copies of a character to
// the copy Windows picks. Indexed by (lead & 0x7F) << 8 | trail; built once
// from the code page's table.
const std::array<uint16_t, 0x8000>& foldOfDoubleByte() {
    static const std::array<uint16_t, 0x8000> table = [] {
        std::array<uint16_t, 0x8000> t{};
        std::string utf8, bytes;
        for (unsigned lead = 0x80; lead < 0x100; ++lead) {
            if (!cp932::isLeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (unsigned trail = 0x40; trail < 0x100; ++trail) {
                const uint32_t cp = text_encoding::doubleByteCodePoint(
                    static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
                const unsigned code = lead << 8 | trail;
                uint16_t to = 0;
                if (cp >= 0xFF01 && cp <= 0xFF5E) {
                    to = static_cast<uint16_t>(cp - 0xFEE0);
                } else if (cp == 0x3000) {
                    to = ' ';
                } else if (cp == 0xFFE5) {
                    to = '\\';
                } else if (cp != 0) {
                    utf8.clear();
                    text_encoding::appendUtf8(utf8, capital(cp));
                    if (text_encoding::utf8ToCp932(utf8, bytes) && bytes.size() == 2) {
                        const unsigned canonical = static_cast<unsigned char>(bytes[0]) << 8 |
                                                   static_cast<unsigned char>(bytes[1]);
                        to = static_cast<uint16_t>(canonical != code ? canonical : 0);
                    }
                }
                t[(lead & 0x7F) << 8 | trail] = to;
            }
        }
        return t;
    }();
    return table;
}

bool isDash(unsigned code) {
    return code == 0x815B || code == 0x815C || code == 0x815D || code == 0x817C;
}

bool isBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

unsigned char upper(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// The full-width form of the half-width katakana c, with the mark `next`
// folded in when the two make one character; `used` is 2 when it was.
unsigned fullKana(unsigned char c, unsigned char next, std::size_t& used) {
    const std::size_t at = static_cast<std::size_t>(c - 0xA1) * 2;
    const unsigned code = static_cast<unsigned char>(kFullKana[at]) << 8 |
                          static_cast<unsigned char>(kFullKana[at + 1]);
    used = 1;
    const bool voicable = (c >= 0xB6 && c <= 0xC4) || (c >= 0xCA && c <= 0xCE);  // ｶ-ﾄ, ﾊ-ﾎ
    if (next == kVoiced && voicable) {
        used = 2;
        return code + 1;
    }
    if (next == kSemiVoiced && c >= 0xCA && c <= 0xCE) {
        used = 2;
        return code + 2;
    }
    if (next == kVoiced && c == 0xB3) {  // ｳﾞ
        used = 2;
        return 0x8394;  // ヴ
    }
    return code;
}

}  // namespace

std::string fold(std::string_view text, Options options, std::vector<std::size_t>* origins) {
    const auto& doubleByte = foldOfDoubleByte();
    std::string out;
    out.reserve(text.size());
    if (origins)
        origins->clear();
    const auto put = [&](unsigned char c, std::size_t from) {
        out += static_cast<char>(c);
        if (origins)
            origins->push_back(from);
    };
    const char* s = text.data();
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        std::size_t used = cp932::charLength(s, n, i);
        const auto c = static_cast<unsigned char>(s[i]);
        unsigned code = c;  // what the character folds to, one byte or two
        if (used == 2) {
            code = c << 8 | static_cast<unsigned char>(s[i + 1]);
            if (const uint16_t to = doubleByte[(c & 0x7F) << 8 | (code & 0xFF)])
                code = to;
        } else if (c >= 0xA1 && c <= 0xDF) {
            code = fullKana(c, i + 1 < n ? static_cast<unsigned char>(s[i + 1]) : 0, used);
        } else if (cp932::isLeadByte(c)) {
            code = kTornLead;
        }
        if (options.dashesToHyphen && isDash(code))  // ｰ too, once it is ー
            code = '-';
        if (code < 0x100 && isBlank(static_cast<unsigned char>(code))) {
            if (!options.dropBlanks)
                put(' ', i);
        } else if (code < 0x100) {
            put(upper(static_cast<unsigned char>(code)), i);
        } else {
            put(static_cast<unsigned char>(code >> 8), i);
            put(static_cast<unsigned char>(code & 0xFF), i);
        }
        i += used;
    }
    if (origins)
        origins->push_back(n);
    return out;
}

bool containsWord(std::string_view text, std::string_view word) {
    if (word.empty())
        return true;
    std::size_t walked = 0;  // a character's start, at or before the match
    for (std::size_t at = text.find(word); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
        while (walked < at)
            walked += cp932::charLength(text.data(), text.size(), walked);
        if (walked == at)
            return true;
    }
    return false;
}

Query::Query(std::string_view typed) {
    const std::string folded = fold(typed, Options{});
    for (std::size_t from = 0; from < folded.size();) {
        const std::size_t end = std::min(folded.find(' ', from), folded.size());
        if (end > from)
            words_.push_back(folded.substr(from, end - from));
        from = end + 1;
    }
}

bool Query::allIn(std::string_view folded) const {
    for (const std::string& word : words_)
        if (!containsWord(folded, word))
            return false;
    return true;
}

bool Query::anyIn(std::string_view folded) const {
    for (const std::string& word : words_)
        if (containsWord(folded, word))
            return true;
    return false;
}

bool containsAllWords(const std::string& haystack, const std::string& query) {
    Options options;
    options.dropBlanks = true;
    return Query(query).allIn(fold(haystack, options));
}

}  // namespace text_fold
