// Text folded for search: the forms a user types and the forms a picture or
// a heading shows count as one. Platform-free, CP932 in and out.
//
// Folding turns the full-width forms of ASCII letters, digits and symbols
// (and the full-width space and yen sign) into ASCII, half-width katakana
// into full-width (with a following voiced or semi-voiced mark into one
// character: ｶﾞ is ガ), and letters into capitals as Windows folds file
// names (ASCII, full-width Latin, Greek, Cyrillic, Roman numerals); so
// "ABC", "ａｂｃ" and "Abc" fold alike. The NEC and IBM copies of a
// character fold to the one Windows writes. Kana and kanji keep their case
// and form (ぁ is not あ). A lead byte with no trail byte becomes
// 0x7F, which is neither a lead nor a trail byte, so that a folded text is
// walked into the same characters whatever was folded away before it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace text_fold {

struct Options {
    // Drops the blanks (space, tab, CR, LF, the full-width space) instead
    // of making each one space: the engine puts a space between Japanese
    // characters it reads (金 額), which the user does not type.
    bool dropBlanks = false;
    // The dashes a reader takes a hyphen for (ー ‐ ― and the minus sign)
    // become '-': for the checks of numbers, not for search, where ー is
    // a kana's long vowel.
    bool dashesToHyphen = false;
};

// The folded text. With `origins`, it gets for every byte of the result the
// offset in `text` of the character it came from, and then text.size().
std::string fold(std::string_view text, Options options,
                 std::vector<std::size_t>* origins = nullptr);

// True when `word` stands in `text` at a character's start; both folded
// (fold() keeps whole characters together, so the match then ends on one
// too). The trail byte 0x5C of 表 or the 'A' of ア (0x83 0x41) never
// matches a backslash or an A.
bool containsWord(std::string_view text, std::string_view word);

// The words of what the user typed, each folded, split on blanks.
class Query {
  public:
    explicit Query(std::string_view typed);

    bool empty() const { return words_.empty(); }
    const std::vector<std::string>& words() const { return words_; }

    // Of a text folded with dropBlanks: every word, or any word, stands in it.
    bool allIn(std::string_view folded) const;
    bool anyIn(std::string_view folded) const;

  private:
    std::vector<std::string> words_;
};

// Every word of `query` stands in `haystack` (both as the user has them);
// true for a query without words.
bool containsAllWords(const std::string& haystack, const std::string& query);

}  // namespace text_fold
