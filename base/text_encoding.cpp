#include "base/text_encoding.h"

#include <cstdint>
#include <unordered_map>

#include "base/cp932.h"

namespace text_encoding {

namespace {

constexpr uint16_t kTable[] = {
#include "base/cp932_table.inc"
};

// The lead bytes of the table, in order, and the trail bytes of each.
constexpr unsigned kLeads[] = {
    0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E,
    0x9F, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED,
    0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC};
static_assert(sizeof kTable / sizeof kTable[0] == 60 * 188, "60 lead bytes x 188 trail bytes");

unsigned trailByte(unsigned index) {
    return index < 63 ? 0x40 + index : 0x80 + (index - 63);  // 0x40-0x7E, 0x80-0xFC
}

// Code point -> bytes (lead << 8 | trail), as Windows picks them where
// code page 932 holds a character twice: the first in byte order, except
// that the IBM extensions (0xFA-0xFC) win over the NEC-selected copies of
// them (0xED-0xEE).
const std::unordered_map<uint32_t, uint16_t>& reverseTable() {
    static const std::unordered_map<uint32_t, uint16_t> table = [] {
        std::unordered_map<uint32_t, uint16_t> map;
        for (unsigned l = 0; l < 60; ++l) {
            for (unsigned t = 0; t < 188; ++t) {
                const uint16_t code = kTable[l * 188 + t];
                if (code == 0)
                    continue;
                const uint16_t bytes = static_cast<uint16_t>(kLeads[l] << 8 | trailByte(t));
                auto found = map.find(code);
                if (found == map.end())
                    map.emplace(code, bytes);
                else if (kLeads[l] >= 0xFA && (found->second >> 8) >= 0xED &&
                         (found->second >> 8) <= 0xEE)
                    found->second = bytes;
            }
        }
        return map;
    }();
    return table;
}

int leadIndex(unsigned char c) {
    if (c >= 0x81 && c <= 0x9F)
        return c - 0x81;
    if (c >= 0xE0 && c <= 0xFC)
        return c - 0xE0 + 31;
    return -1;
}

int trailIndex(unsigned char c) {
    if (c >= 0x40 && c <= 0x7E)
        return c - 0x40;
    if (c >= 0x80 && c <= 0xFC)
        return c - 0x80 + 63;
    return -1;
}

// Single bytes as code page 932 maps them: ASCII as it is (0x5C stays a
// backslash, as in file paths), 0x80 to U+0080, half-width katakana, and
// 0xA0 and 0xFD-0xFF to the private-use values Windows gives them.
uint32_t singleByte(unsigned char c) {
    if (c < 0x81)
        return c;
    if (c >= 0xA1 && c <= 0xDF)
        return 0xFF61 + (c - 0xA1);
    if (c == 0xA0)
        return 0xF8F0;
    if (c >= 0xFD)
        return 0xF8F1 + (c - 0xFD);
    return '?';
}

// The next code point of well-formed UTF-8 at s[i]; false when there is none.
bool nextCodePoint(std::string_view s, std::size_t& i, uint32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    std::size_t length;
    uint32_t minimum;
    if (c < 0x80) {
        cp = c;
        ++i;
        return true;
    } else if (c >= 0xC2 && c <= 0xDF) {
        length = 2, minimum = 0x80, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3, minimum = 0x800, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4, minimum = 0x10000, cp = c & 0x07;
    } else {
        return false;
    }
    if (i + length > s.size())
        return false;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return false;
        cp = cp << 6 | (byte(i + k) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    i += length;
    return true;
}

}  // namespace

namespace {

// Appends the CP932 bytes of one code point; false when it has none.
bool appendCp932(uint32_t cp, std::string& out) {
    if (cp <= 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp >= 0xFF61 && cp <= 0xFF9F) {  // half-width katakana: one byte
        out.push_back(static_cast<char>(0xA1 + (cp - 0xFF61)));
    } else if (cp == 0xF8F0) {  // the private-use values Windows gives 0xA0, 0xFD-0xFF
        out.push_back(static_cast<char>(0xA0));
    } else if (cp >= 0xF8F1 && cp <= 0xF8F3) {
        out.push_back(static_cast<char>(0xFD + (cp - 0xF8F1)));
    } else {
        const auto& table = reverseTable();
        const auto found = table.find(cp);
        if (found == table.end())
            return false;
        out.push_back(static_cast<char>(found->second >> 8));
        out.push_back(static_cast<char>(found->second & 0xFF));
    }
    return true;
}

}  // namespace

bool utf8ToCp932(std::string_view utf8, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        uint32_t cp;
        if (!nextCodePoint(utf8, i, cp) || !appendCp932(cp, out))
            return false;
    }
    return true;
}

std::string utf8ToCp932Shown(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        uint32_t cp;
        if (!nextCodePoint(utf8, i, cp))
            ++i;  // a byte that starts no character
        else if (appendCp932(cp, out))
            continue;
        out.push_back('?');
    }
    return out;
}

uint32_t doubleByteCodePoint(unsigned char lead, unsigned char trail) {
    const int l = leadIndex(lead), t = trailIndex(trail);
    return l < 0 || t < 0 ? 0 : kTable[l * 188 + t];
}

std::string cp932ToUtf8(std::string_view cp932) {
    std::string out;
    out.reserve(cp932.size() + cp932.size() / 2);
    for (std::size_t i = 0; i < cp932.size();) {
        const auto c = static_cast<unsigned char>(cp932[i]);
        const std::size_t n = cp932::charLength(cp932.data(), cp932.size(), i);
        if (n == 2) {
            const uint32_t cp = doubleByteCodePoint(c, static_cast<unsigned char>(cp932[i + 1]));
            appendUtf8(out, cp != 0 ? cp : '?');
        } else if (leadIndex(c) >= 0) {
            // Torn: the next byte is not eaten.
            out += '?';
        } else {
            appendUtf8(out, c == 0 ? '?' : singleByte(c));
        }
        i += n;
    }
    return out;
}

bool isUtf8(std::string_view text) {
    uint32_t cp;
    for (std::size_t i = 0; i < text.size();)
        if (!nextCodePoint(text, i, cp))
            return false;
    return true;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace text_encoding
