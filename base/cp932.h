// Byte-level helpers for code page 932 (Shift-JIS) text.
//
// Every Zelcap text is CP932 bytes. The trail byte of a double-byte character
// may be 0x5C ('\\'), 0x40 ('@') or another ASCII value, so a plain byte
// search finds "characters" that are really halves of kanji (表 is 0x95 0x5C).
// All byte walks go through these helpers, which know CP932 themselves
// instead of asking the system for its code page.
//
// The one rule: a byte is the lead of a double-byte character only when the
// byte after it, within the text, is a valid trail byte. A lead byte at the
// end of a text, or in front of a byte that cannot follow it (a comma, a
// quote, '<', a line end), is a character of its own. Pairing a lead byte
// with whatever follows let a damaged heading swallow the comma after it in
// the CSV file and hide a '<' from the report's escaping; with this rule no
// delimiter below 0x40 can ever be taken for half a character.
#pragma once

#include <cstddef>

namespace cp932 {

// 0x81-0x9F and 0xE0-0xFC can start a two-byte character.
constexpr bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// 0x40-0x7E and 0x80-0xFC can end one.
constexpr bool isTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// The length, 1 or 2, of the character that starts at s[i] of the text
// s[0, len); i < len. Reads nothing outside the text.
constexpr std::size_t charLength(const char* s, std::size_t len, std::size_t i) {
    return isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < len &&
                   isTrailByte(static_cast<unsigned char>(s[i + 1]))
               ? 2
               : 1;
}

// Where the file name of the path s[0, len) starts (after its last \\ or /)
// and where its stem ends (at the last '.' of the name, or len).
struct NameParts {
    std::size_t nameStart, stemEnd;
};
NameParts nameParts(const char* s, std::size_t len);

// First occurrence of the single-byte character c in s[0, len), or len.
std::size_t find(const char* s, std::size_t len, char c);

// Same for a NUL-terminated text; nullptr when absent.
const char* findChar(const char* s, char c);
const char* findLastChar(const char* s, char c);

// The largest length <= maxLen at which s (of length len) can be cut without
// separating a lead byte from its trail byte.
std::size_t cutLength(const char* s, std::size_t len, std::size_t maxLen);

// Copies src into dst[dstSize], cut at dstSize - 1 bytes or earlier so that no
// double-byte character is split, and always NUL-terminates (dstSize > 0).
// Returns false when src had to be cut.
bool copyText(char* dst, std::size_t dstSize, const char* src);
bool copyText(char* dst, std::size_t dstSize, const char* src, std::size_t srcLen);

template <std::size_t N>
bool copyText(char (&dst)[N], const char* src) {
    return copyText(dst, N, src);
}

// Equal texts, with ASCII letters folded as Windows folds them in file and
// INI names; the two bytes of a double-byte character compare exactly (ド is
// 0x83 0x68, whose trail byte is 'h').
bool equalFoldingAscii(const char* a, std::size_t aLen, const char* b, std::size_t bLen);

}  // namespace cp932
