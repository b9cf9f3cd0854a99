// Text between CP932 (what every text of the program is) and UTF-8 (what the
// command line's wide texts, the result JSON, the workbook's XML and the
// evidence manifest hold). Platform-free: one table on every platform, so
// that the native tests convert as the program does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace text_encoding {

// The CP932 bytes of a UTF-8 text, as code page 932 of Windows writes each
// character. False, with `out` unspecified, when the text is not well-formed
// UTF-8 or holds a character that code page 932 has no bytes for: such a
// heading would be saved as "?" and match nothing the caller asked for.
bool utf8ToCp932(std::string_view utf8, std::string& out);

// The CP932 of a UTF-8 text for a message that names it: a character code
// page 932 has no bytes for, and a byte that starts no character, shows as
// "?", the rest as it is.
std::string utf8ToCp932Shown(std::string_view utf8);

// Converts CP932 bytes to UTF-8 as code page 932 of Windows does. A byte
// counts as a lead byte only when a valid trail byte (0x40-0x7E, 0x80-0xFC)
// follows it; a lone lead byte becomes "?" and the byte after it is read as
// a character of its own. Unassigned characters and NUL become "?" too: the
// workbook's XML cannot hold a NUL.
std::string cp932ToUtf8(std::string_view cp932);

// The code point of the double-byte character lead, trail as code page 932
// of Windows maps it; 0 when the pair is not a character (unassigned, or
// bytes that cannot be a lead and a trail).
uint32_t doubleByteCodePoint(unsigned char lead, unsigned char trail);

// Appends the UTF-8 bytes of a character of the Basic Multilingual Plane
// (all that code page 932 holds).
void appendUtf8(std::string& out, uint32_t cp);

// True when the bytes are well-formed UTF-8 (ASCII alone is).
bool isUtf8(std::string_view text);

}  // namespace text_encoding
