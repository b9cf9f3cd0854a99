// How well a reading matches the text a picture is known to show: the
// character accuracy (1 - edit distance / characters of the truth), kept
// apart for Japanese and English lines, and whether a planted item of
// personal data is found in what was read. Platform-free; the quality set's
// tool and its test compare the engine's lines with the lines they drew.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ocr/ocr_text.h"
#include "ocr/personal_data.h"

namespace ocr_quality {

// A line is Japanese when it has a double-byte character, English otherwise.
enum class Script { japanese = 0, english = 1 };
Script scriptOf(std::string_view text);

// The characters of a CP932 text without its blanks (space and the
// full-width space): the engine's spacing between Japanese characters
// follows the glyphs' gaps, not the text, so blanks are not scored.
std::vector<std::string_view> characters(std::string_view text);

// The lines in reading order: rows top to bottom (a line whose middle lies
// within the first line's height of a row is on that row), each row left to
// right; the engine reads a row's cells as one line or as several.
std::vector<const OcrLine*> readingOrder(const OcrResult& result);

struct Score {
    std::size_t characters[2] = {0, 0};  // of the truth, by Script
    std::size_t errors[2] = {0, 0};      // edits charged to those characters
    // 1 when the script has no characters.
    double accuracy(Script script) const;
    double accuracy() const;  // both together
    Score& operator+=(const Score& other);
};

// The truth and the reading, each in reading order and without blanks,
// aligned with the fewest edits (substitution, insertion, deletion). A
// substitution or deletion is charged to its truth character, an insertion
// to the truth character before it (the first when there is none), so the
// errors of each script add up to the edit distance.
Score score(const OcrResult& truth, const OcrResult& read);

// The edit distance between two texts' characters (blanks left out). In
// both, a full-width form and its half-width one (：and :, ａ and a) are
// one character; two ASCII characters are the same only when equal.
std::size_t editDistance(std::string_view a, std::string_view b);

// True when personal_data::find reports an item of `kind` in one of the
// read lines whose text, with blanks, hyphens and parentheses left out, is
// `value` so written (digits compare as digits whatever their width).
bool found(const OcrResult& read, personal_data::Kind kind, std::string_view value);

// True when the mask a hit of `kind` in the read lines proposes lies over
// the item where the truth shows it, whatever its text was read as: the
// hit's box holds the middle of the item's height and four fifths of its
// width, both boxes as find() gives them (the line's box shared out by
// bytes).
bool covered(const OcrResult& truth, const OcrResult& read, personal_data::Kind kind,
             std::string_view value);

}  // namespace ocr_quality
