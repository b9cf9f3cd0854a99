// Byte-level helpers for code page 932 (Shift-JIS) text.
//
// Every Zelcap text is CP932 bytes. The trail byte of a double-byte character
// may be 0x5C ('\\'), 0x2C (',') or another ASCII value, so a plain byte search
// finds "characters" that are really halves of kanji (表 is 0x95 0x5C). All
// byte searches go through these helpers, which know CP932's lead bytes
// themselves instead of asking the system for its code page.
#pragma once

#include <cstddef>

namespace cp932 {

// 0x81-0x9F and 0xE0-0xFC start a two-byte character.
constexpr bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// First occurrence of the single-byte character c in s[0, len), or len.
// A lead byte at the very end (a torn character) is stepped over as well.
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

}  // namespace cp932
