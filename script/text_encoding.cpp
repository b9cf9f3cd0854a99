#include "script/text_encoding.h"

#include <cstdint>
#include <unordered_map>

#include "report/workbook_text.h"

namespace script {

namespace {

constexpr uint16_t kTable[] = {
#include "report/cp932_table.inc"
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

bool utf8ToCp932(std::string_view utf8, std::string& out) {
    out.clear();
    const auto& table = reverseTable();
    for (std::size_t i = 0; i < utf8.size();) {
        uint32_t cp;
        if (!nextCodePoint(utf8, i, cp))
            return false;
        if (cp <= 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp >= 0xFF61 && cp <= 0xFF9F) {  // half-width katakana: one byte
            out.push_back(static_cast<char>(0xA1 + (cp - 0xFF61)));
        } else if (cp == 0xF8F0) {  // the private-use values Windows gives 0xA0, 0xFD-0xFF
            out.push_back(static_cast<char>(0xA0));
        } else if (cp >= 0xF8F1 && cp <= 0xF8F3) {
            out.push_back(static_cast<char>(0xFD + (cp - 0xF8F1)));
        } else {
            const auto found = table.find(cp);
            if (found == table.end())
                return false;
            out.push_back(static_cast<char>(found->second >> 8));
            out.push_back(static_cast<char>(found->second & 0xFF));
        }
    }
    return true;
}

std::string cp932ToUtf8(std::string_view cp932) {
    return workbook_text::fromCp932(cp932);
}

}  // namespace script
