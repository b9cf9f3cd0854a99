// Text for the workbook: the records' CP932 bytes as the UTF-8 that the
// workbook's XML needs. Platform-free, the same table on every platform.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace workbook_text {

// Converts CP932 bytes to UTF-8 as code page 932 of Windows does. A byte
// counts as a lead byte only when a valid trail byte (0x40-0x7E, 0x80-0xFC)
// follows it; a lone lead byte becomes "?" and the byte after it is read as
// a character of its own. Unassigned characters and NUL become "?" too: the
// workbook's XML cannot hold a NUL.
std::string fromCp932(std::string_view cp932);

// The text with every letter in upper case, the way Windows folds names
// when it compares them (file names, and the workbook its sheet names):
// ASCII, full-width Latin, Greek, Cyrillic and the Roman numerals, which
// are all the letters with a case that code page 932 holds. Other bytes,
// malformed sequences too, stay as they are.
std::string foldCase(std::string_view utf8);

// Code points in well-formed UTF-8 (each byte that does not continue a
// sequence counts as one).
std::size_t length(std::string_view utf8);

// The first `count` code points of utf8 (all of it when shorter).
std::string_view prefix(std::string_view utf8, std::size_t count);

// The text before the first line end (CR or LF).
std::string_view firstLine(std::string_view text);

// The lines of a text; CR LF, CR and LF all end a line. A last line end adds
// no empty line after it.
template <typename Fn>
void forEachLine(std::string_view text, Fn&& fn) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        fn(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

// The text whole when it has at most `limit` code points, else its first
// limit - 1 and "…", so that a cut text shows it was cut and still fits.
std::string cutWithMark(std::string_view utf8, std::size_t limit);

}  // namespace workbook_text
