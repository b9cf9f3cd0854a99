// What Zelcap's own tab-separated files share (the test cases' file, the
// text read from a picture): a version line first, then lines of fields
// between tabs, each ending in CR LF or LF.
//
// The escapes of a text field: a backslash is "\\", a tab "\t", a CR "\r",
// an LF "\n", and every other control byte, and a lead byte with no trail
// byte after it, "\xHH" (two hex digits). Everything else stands as it is.
//
// The field is walked by CP932 characters, so the trail byte 0x5C of 表, ソ
// or 能 is never taken for the start of an escape, and since every lead byte
// that stands in the file has its trail byte beside it, no escape's backslash
// is ever taken for one either. Any text comes back byte for byte, and a
// field never holds a tab, CR or LF of its own: those end fields and lines.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace tabfile {

void appendEscaped(std::string& out, const std::string& text);

// The text of the field s[0, n) without its escapes; false, with the reason
// (CP932, for a message) in `why`, for a byte the writer never leaves
// standing or an escape it never writes.
bool unescape(const char* s, std::size_t n, std::string& out, const char*& why);

// Reads the file data[0, size) line by line, its number from 1, without its
// line end: an LF that stands ends a line (CR and LF are never trail bytes,
// and a field holds neither), a CR right before it goes with it, and the
// last line may have no end. Line 1 must be `versionLine` ("TAG<TAB>1");
// every other line must hold something and is handed to `line`, which
// returns why it refuses it, or "". False at the first line refused, with
// "N 行目: ..." in `error` and N in `errorLine`; `kind` names the file
// ("テストケース") when it is no such file at all.
bool readLines(const char* data, std::size_t size, const char* versionLine, const char* kind,
               const std::function<std::string(int number, const char* s, std::size_t n)>& line,
               std::string& error, int& errorLine);

// A line split at its tabs (a tab is never a trail byte, and every tab
// inside a text is escaped: each one that stands ends a field), the first
// `capacity` fields unescaped into fields[]. The number of fields the line
// has, however many; -1 when field `bad` (from 0) could not be unescaped,
// with the reason in `why`.
int splitLine(const char* s, std::size_t n, std::string* fields, int capacity, int& bad,
              const char*& why);

// "欄が N 個あります (M 個のはずです)".
std::string fieldCountError(int count, int expected);

// A number as the writers write it: decimal digits, no sign, no leading
// zero, at most `maximum` (below 10^9).
bool parseNumber(const std::string& text, int maximum, int& out);

}  // namespace tabfile
