#include "report/workbook_text.h"

#include <cstdint>

#include "base/text_encoding.h"

namespace workbook_text {
namespace {

// Lower-case letters of code page 932 and how far their capitals lie
// below them. The Greek final sigma is not among them: CP932 has none.
struct CaseRange {
    uint32_t first, last, down;
};
constexpr CaseRange kLowerCase[] = {
    {0x61, 0x7A, 0x20},      // a-z
    {0x3B1, 0x3C1, 0x20},    // α-ρ
    {0x3C3, 0x3C9, 0x20},    // σ-ω
    {0x430, 0x44F, 0x20},    // а-я
    {0x451, 0x451, 0x50},    // ё
    {0x2170, 0x2179, 0x10},  // ⅰ-ⅹ
    {0xFF41, 0xFF5A, 0x20},  // ａ-ｚ
};

uint32_t upper(uint32_t cp) {
    for (const CaseRange& range : kLowerCase)
        if (cp >= range.first && cp <= range.last)
            return cp - range.down;
    return cp;
}

bool continues(std::string_view s, std::size_t i) {
    return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
}

}  // namespace

std::string foldCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        uint32_t cp = c;
        std::size_t n = 1;
        if ((c & 0xE0) == 0xC0 && continues(utf8, i + 1)) {
            cp = (c & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            n = cp >= 0x80 ? 2 : 0;
        } else if ((c & 0xF0) == 0xE0 && continues(utf8, i + 1) && continues(utf8, i + 2)) {
            cp = (c & 0x0Fu) << 12 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6 |
                 (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
            n = cp >= 0x800 ? 3 : 0;
        } else if (c >= 0x80) {
            n = 0;
        }
        // Every capital takes as many bytes as its small letter; an overlong
        // or broken sequence is no letter and its first byte is kept as it is.
        if (n == 0) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        text_encoding::appendUtf8(out, upper(cp));
        i += n;
    }
    return out;
}

std::string fromCp932(std::string_view cp932) {
    return text_encoding::cp932ToUtf8(cp932);
}

std::size_t length(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

std::string_view prefix(std::string_view utf8, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (seen == count)
                return utf8.substr(0, i);
            ++seen;
        }
    }
    return utf8;
}

std::string_view firstLine(std::string_view text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

std::string cutWithMark(std::string_view utf8, std::size_t limit) {
    if (length(utf8) <= limit)
        return std::string(utf8);
    if (limit == 0)
        return std::string();
    return std::string(prefix(utf8, limit - 1)) + "\xE2\x80\xA6";  // U+2026, "…"
}

}  // namespace workbook_text
