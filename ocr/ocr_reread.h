// Which parts of a read line are read a second time, and which reading of
// them is kept. Platform-free; the engine (ocr_engine_win) does the reading.
//
// The first reading of a page, with both models at once, loses most of the
// personal data a reviewer must mask: the bitmap `m` comes back `n`, a full
// stop a comma with a blank after it, a zero a letter. The words of a line
// that may hold an item (no kana or kanji in them, with an '@', eight
// digits or more, or a dot between letters) are read again alone, larger,
// with the English model as one line. The second reading replaces the first
// only where it shows more items than the first: a line without an item
// keeps its first reading, so the accuracy of the rest is not risked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ocr/ocr_prep.h"

namespace ocr_reread {

// A word of a line as the engine read it, with its box (any pixels).
struct Word {
    std::wstring text;
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Words [first, last) of a line and the box around them.
struct Span {
    std::size_t first = 0, last = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The runs of neighbouring words without kana or kanji that may hold an
// item, left to right. With `strayAsAscii`, a character other than ASCII
// alone between ASCII letters or digits (ocr_lines::strayBetweenAscii) does
// not stop a run.
std::vector<Span> candidateSpans(const std::vector<Word>& words, bool strayAsAscii = false);

// Runs of words of figures alone (digits and the marks between their
// groups: "900" of a Japanese line's "金額:1, 900"), which the Japanese model
// reads worse than the English one; none that overlaps `taken`. In the
// words' order, like candidateSpans.
std::vector<Span> figureSpans(const std::vector<Word>& words, const std::vector<Span>& taken);

// A figure run's English reading, when it stands for the first: its digits
// and group marks, without what the cut-out caught beside them (": 000"
// for "900"), as many digits as the first reading's and the marks where the
// first has them. The English model's confidence in such a cut-out is low
// even where its digits are right, so it is not asked. Empty: the first
// reading stays.
std::wstring figureReading(const std::wstring& first, const std::wstring& second);

// A span that can only be a number: eight digits or more, no '@' and no
// dot between letters. It is read again allowed only digits and what
// joins a number's groups (the address characters gave `8639_0028_O066`).
bool numeric(const std::wstring& text);

// The e-mail addresses, phone numbers, card numbers and マイナンバー the
// text shows (full-width ASCII as ASCII; other characters stop an item):
// how many, and the characters they cover (a reading that loses an
// address's last label still shows an address, a shorter one).
struct Found {
    int items = 0;
    std::size_t bytes = 0;
};
Found found(const std::wstring& text);

// The text with the blanks beside '.', '@' and '-' taken out: the engine
// spaces an address's or a number's parts apart ("example. co. jp").
std::wstring tightened(const std::wstring& text);

// What stands for the span in the line: its first reading (the words joined
// by blanks), that reading tightened, the second reading or the second
// tightened: of these the first that shows the most items, then the most
// characters in them. With `secondOnTie`, the second reading (as it is or
// tightened) wins over the first that shows items just as it does (the second reading
// sees the span alone and larger, where the first misreads `m` as `n`).
std::wstring chosen(const std::wstring& first, const std::wstring& second, bool secondOnTie);

// Words [first, last) joined by blanks.
std::wstring wordsText(const std::vector<Word>& words, std::size_t first, std::size_t last);

// The span's picture with each bitmap `m` given room for its middle leg.
// IPAGothic draws `m` at 9, 11 and 12 pixels four pixels wide, its bar over
// the legs and the middle leg against one of the others (rows `####`, then
// `#.##` or `##.#`), which both models read `n`; a column is put in between
// the two legs that touch, light beside the legs and dark under the bar, so
// that the legs stand apart. Every pixel right of it moves one to the
// right; `after`, when given, gets the columns (of `image`) after which one
// was put in, left to right.
ocr_prep::GreyImage withBitmapMsWidened(const ocr_prep::GreyImage& image, std::vector<int>* after = nullptr);

// IPAGothic's full stop at 10 and 11 pixels: one pixel a row below the
// letters' feet, where the models see a comma (`yamamoto, aya`). Such a
// pixel, alone, with the letters beside it ending on the row above within
// six columns, is moved up onto that row; how many were.
int raiseLowDots(ocr_prep::GreyImage& image);

// A column of the widened picture back in the picture's own columns.
int unwidenedX(const std::vector<int>& after, int x);

}  // namespace ocr_reread
