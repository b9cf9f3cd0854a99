// Which model's reading of a line stands. Platform-free; the engine
// (ocr_engine_win) does the reading.
//
// Both models at once lose on each script: the English one wins short kanji
// labels (氏名 comes back `Ba:`), the Japanese one reads English worse. So
// the page is read with the Japanese model alone, which finds the lines and
// reads the Japanese ones, and each line with no kana or kanji in it is read
// again by the English model alone, as one line, from the same prepared
// picture. Which of the two readings stands is one of a few rules, measured
// against each other on the quality set (docs/performance.md).
#pragma once

#include <cstddef>
#include <string>

namespace ocr_lines {

enum class Choice {
    off,             // no line is read again
    always,          // the English reading, unless it read nothing
    confidence,      // the higher mean word confidence
    fewestRejected,  // fewer characters below kRejectedBelow, then confidence
};

// A character whose confidence (0 to 100) is below this counts as rejected.
constexpr float kRejectedBelow = 60.0f;

// A character other than ASCII alone between ASCII letters or digits, as
// the Japanese model gives a '@' (ロ) or a full stop (。) inside an address.
bool strayBetweenAscii(const std::wstring& text, std::size_t i);

// Kana (either form, half-width too), kanji, 々 and the long vowel mark: a
// line with any is Japanese and keeps the Japanese model's reading. With
// `strayAsAscii`, one that strayBetweenAscii does not count.
bool hasKanaOrKanji(const std::wstring& text, bool strayAsAscii = false);

// A line the English model reads again: something read, none of it Japanese.
bool readAgain(const std::wstring& text, bool strayAsAscii = false);

// One model's reading of a line.
struct Reading {
    std::wstring text;
    int words = 0;
    float confidenceSum = 0;  // of the words' confidences
    int rejected = 0;         // characters below kRejectedBelow

    void addWord(float confidence) { ++words, confidenceSum += confidence; }
    float meanConfidence() const { return words ? confidenceSum / words : 0.0f; }
};

// Whether `second` (the English model's) stands for the line instead of
// `first`. A reading of blanks alone never stands.
bool secondStands(const Reading& first, const Reading& second, Choice choice);

}  // namespace ocr_lines
