// Which lines the English model reads again, and which reading stands.
#include "ocr/ocr_lines.h"

#include <gtest/gtest.h>

namespace {

using ocr_lines::Choice;

TEST(OcrLines, OnlyLinesWithoutKanaOrKanjiAreReadAgain) {
    const struct {
        const wchar_t* text;
        bool again;
    } cases[] = {
        {L"Customer details", true},
        {L"E-mail: taro@example.co.jp", true},
        {L"０３－１２３４－５６７８", true},  // full-width digits are not Japanese
        {L"Ba:", true},                        // a kanji label misread as Latin
        {L"12,345円", false},
        {L"ファイル(F)", false},
        {L"ｶﾅ", false},                        // half-width katakana
        {L"々", false},
        {L"ー", false},
        {L"\u3400", false},                    // extension A
        {L"\uF929", false},                    // a compatibility kanji
        {L"顧客 ID", false},
        {L"", false},
        {L"   ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ocr_lines::readAgain(c.text), c.again) << static_cast<const void*>(c.text);
}

TEST(OcrLines, AStrayKanaBetweenAsciiMayNotMakeALineJapanese) {
    const struct {
        const wchar_t* text;
        bool strict, stray;
    } cases[] = {
        {L"k.watanabe2ロexanple.co.jp", false, true},
        {L"Eメール", false, false},         // kana on one side only
        {L"ロexample", false, false},
        {L"A社B", false, true},             // the price of the rule: measured on the set
        {L"mail:ロロexample", false, false},  // two together
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ocr_lines::readAgain(c.text), c.strict) << static_cast<const void*>(c.text);
        EXPECT_EQ(ocr_lines::readAgain(c.text, true), c.stray) << static_cast<const void*>(c.text);
    }
}

ocr_lines::Reading Read(const wchar_t* text, float confidence, int rejected) {
    ocr_lines::Reading r;
    r.text = text;
    r.addWord(confidence);
    r.addWord(confidence);
    r.rejected = rejected;
    return r;
}

TEST(OcrLines, TheChosenRuleDecidesWhichReadingStands) {
    const ocr_lines::Reading japanese = Read(L"exanple", 80, 2);
    const struct {
        Choice choice;
        ocr_lines::Reading english;
        bool stands;
    } cases[] = {
        {Choice::off, Read(L"example", 95, 0), false},
        {Choice::always, Read(L"example", 10, 5), true},
        {Choice::always, Read(L"  ", 95, 0), false},  // blanks alone never stand
        {Choice::confidence, Read(L"example", 81, 5), true},
        {Choice::confidence, Read(L"example", 80, 0), false},  // a tie keeps the first
        {Choice::confidence, Read(L"example", 79, 0), false},
        {Choice::fewestRejected, Read(L"example", 10, 1), true},
        {Choice::fewestRejected, Read(L"example", 99, 3), false},
        {Choice::fewestRejected, Read(L"example", 81, 2), true},  // a tie goes to confidence
        {Choice::fewestRejected, Read(L"example", 80, 2), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ocr_lines::secondStands(japanese, c.english, c.choice), c.stands)
            << static_cast<int>(c.choice) << " " << c.english.meanConfidence() << " " << c.english.rejected;
}

TEST(OcrLines, AReadingWithoutWordsHasNoConfidence) {
    ocr_lines::Reading none;
    none.text = L"x";
    EXPECT_EQ(none.meanConfidence(), 0.0f);
    EXPECT_TRUE(ocr_lines::secondStands(none, Read(L"x", 1, 0), Choice::confidence));
}

}  // namespace
