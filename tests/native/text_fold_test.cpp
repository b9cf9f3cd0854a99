// The search's folding: full-width and half-width forms and ASCII case count
// as one, kana and kanji do not fold, the engine's blanks between Japanese
// characters do not split a word, and half of a double-byte character never
// matches (the trail byte 0x5C of 表 is no backslash, that of ア no 'A').
#include "ocr/text_fold.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TextFoldTest, ContainsAllWords) {
    const struct {
        const char* haystack;
        const char* query;
        bool found;
    } cases[] = {
        {"ABC", "abc", true},
        {"ａｂｃ", "ABC", true},
        {"Abc", "ａＢｃ", true},
        {"合計 ＡＢＣ-１２３", "abc-123", true},
        {"ﾃｽﾄ結果", "テスト", true},
        {"テスト結果", "ﾃｽﾄ", true},
        {"ｶﾞｷﾞﾊﾟﾎﾞｳﾞ", "ガギパボヴ", true},
        {"ガ", "ｶ", false},  // ｶﾞ is one character, ガ; ｶ alone is カ
        {"金 額 1,100 円", "金額1,100", true},
        {"金額\r\n合計", "額合", true},
        {"金額　合計", "合計　金額", true},  // words apart, split on the full-width space
        {"金額 合計", "金額 消費税", false},
        {"ぁ", "あ", false},
        {"あいう", "アイウ", false},
        {"表", "\\", false},   // 0x95 0x5C
        {"ア", "A", false},    // 0x83 0x41
        {"ソ表", "\\", false},
        {"表\\", "\\", true},
        {"￥1,100", "\\1,100", true},
        {"＂ＯＫ＇", "\"ok'", true},
        {"", "", true},
        {"abc", "　 ", true},  // no words
        {"abc", "abcd", false},
        {"ΑΒΓ ЖЁ Ⅳ", "αβγ жё ⅳ", true},
        {"\xED\x40", "\xFA\x5C", true},  // 纊: the NEC-selected copy and the IBM one
    };
    for (const auto& c : cases)
        EXPECT_EQ(text_fold::containsAllWords(c.haystack, c.query), c.found)
            << c.haystack << " / " << c.query;
}

// A lead byte with no trail byte is a character of its own; folding away
// the blank after it must not pair it with what follows.
TEST(TextFoldTest, ATornLeadByteNeverTakesTheNextCharacter) {
    text_fold::Options drop;
    drop.dropBlanks = true;
    const std::string folded = text_fold::fold("\x95\tA", drop);
    EXPECT_EQ(folded, "\x7F" "A");
    EXPECT_TRUE(text_fold::containsWord(folded, "A"));
    EXPECT_TRUE(text_fold::containsAllWords("\x95 a", "A"));
}

TEST(TextFoldTest, OriginsPointAtTheCharactersFolded) {
    std::vector<std::size_t> origins;
    text_fold::Options dashes;
    dashes.dashesToHyphen = true;
    // ｶﾞ (2 bytes) -> ガ, Ａ -> A, ー -> '-', 表 stays, x -> X
    EXPECT_EQ(text_fold::fold("ｶﾞＡー表x", dashes, &origins), "ガA-表X");
    const std::vector<std::size_t> expected = {0, 0, 2, 4, 6, 6, 8, 9};
    EXPECT_EQ(origins, expected);
    EXPECT_EQ(text_fold::fold("ー", text_fold::Options{}), "ー");  // a kana's long vowel in search
    EXPECT_EQ(text_fold::fold("ｰ‐―－", dashes), "----");
}

TEST(TextFoldTest, QueryWords) {
    const text_fold::Query q(" ａｂ　表  c ");
    const std::vector<std::string> words = {"AB", "表", "C"};
    EXPECT_EQ(q.words(), words);
    EXPECT_TRUE(text_fold::Query("　 ").empty());
    EXPECT_TRUE(q.anyIn("XC"));
    EXPECT_FALSE(q.allIn("XC"));
}

}  // namespace
