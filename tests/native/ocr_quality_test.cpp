// The quality set's scoring: edits counted per character of CP932 (a kanji
// is one, its trail byte never compared apart), blanks left out, lines put
// in reading order, errors charged to the script of the truth line they
// fall in, and planted items found only when the reading shows them whole.
#include "ocr/ocr_quality.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ocr_quality::Script;

TEST(OcrQualityTest, EditDistanceCountsCharactersNotBytes) {
    const struct {
        const char* a;
        const char* b;
        std::size_t distance;
    } cases[] = {
        {"", "", 0},
        {"abc", "abc", 0},
        {"1,100", "1.100", 1},
        {"金額", "金頴", 1},        // one kanji for another: one edit, not two
        {"表示", "", 2},
        {"", "請求書", 3},
        {"金 額", "金額", 0},        // blanks are not scored
        {"金\x81\x40額", "金額", 0}, // nor the full-width one
        {"0.05", "9.05", 1},
        {"kitten", "sitting", 3},
        {"表", "\x95", 1},           // a lone lead byte is a character of its own
        {"氏名：", "氏名:", 0},        // the widths of one character are one
        {"ＡＢ", "ab", 0},
        {"Ab", "ab", 1},              // but ASCII keeps its case
    };
    for (const auto& c : cases)
        EXPECT_EQ(ocr_quality::editDistance(c.a, c.b), c.distance) << c.a << " / " << c.b;
}

TEST(OcrQualityTest, LinesAreReadRowByRowLeftToRight) {
    const OcrResult page{{
        {200, 41, 300, 55, "C"},
        {10, 10, 90, 24, "A"},
        {10, 40, 90, 54, "B"},
        {120, 12, 190, 25, "A2"},
        {10, 70, 90, 84, "D"},
    }};
    std::string order;
    for (const OcrLine* line : ocr_quality::readingOrder(page))
        order += line->text + "|";
    EXPECT_EQ(order, "A|A2|B|C|D|");
}

TEST(OcrQualityTest, ErrorsAreChargedToTheScriptOfTheirTruthLine) {
    const OcrResult truth{{
        {10, 10, 200, 24, "金額 1,100円"},
        {10, 40, 200, 54, "Total 0.05"},
    }};
    const struct {
        OcrResult read;
        std::size_t japanese, english;
    } cases[] = {
        {truth, 0, 0},
        {OcrResult{{{10, 10, 200, 24, "金額 1.100円"}, {10, 40, 200, 54, "Total 0.05"}}}, 1, 0},
        {OcrResult{{{10, 40, 200, 54, "Tota1 9.05"}, {10, 10, 200, 24, "金額 1,100円"}}}, 0, 2},
        {OcrResult{{{10, 10, 200, 24, "金額1,100円"}}}, 0, 9},  // the English line lost
        {OcrResult{}, 8, 9},
        {OcrResult{{{0, 0, 9, 9, "xx"}, {10, 10, 200, 24, "金額 1,100円"}, {10, 40, 200, 54, "Total 0.05"}}}, 2, 0},
    };
    for (const auto& c : cases) {
        const ocr_quality::Score s = ocr_quality::score(truth, c.read);
        EXPECT_EQ(s.characters[0], 8u);
        EXPECT_EQ(s.characters[1], 9u);
        EXPECT_EQ(s.errors[0], c.japanese) << (c.read.lines.empty() ? "" : c.read.lines[0].text);
        EXPECT_EQ(s.errors[1], c.english) << (c.read.lines.empty() ? "" : c.read.lines[0].text);
        EXPECT_DOUBLE_EQ(s.accuracy(Script::japanese), 1.0 - c.japanese / 8.0);
        EXPECT_DOUBLE_EQ(s.accuracy(), 1.0 - (c.japanese + c.english) / 17.0);
    }
    ocr_quality::Score sum = ocr_quality::score(truth, truth);
    sum += ocr_quality::score(truth, OcrResult{});
    EXPECT_EQ(sum.characters[1], 18u);
    EXPECT_DOUBLE_EQ(sum.accuracy(Script::english), 0.5);
    EXPECT_DOUBLE_EQ(ocr_quality::Score{}.accuracy(), 1.0);
}

TEST(OcrQualityTest, PlantedItemsAreFoundOnlyWhole) {
    using personal_data::Kind;
    const struct {
        const char* line;
        Kind kind;
        const char* value;
        bool found;
    } cases[] = {
        {"連絡先 tanaka.h@example.co.jp まで", Kind::email, "tanaka.h@example.co.jp", true},
        {"連絡先 tanaka.h@example.co.ip まで", Kind::email, "tanaka.h@example.co.jp", false},
        {"電話 03-1234-5678", Kind::phone, "03-1234-5678", true},
        {"電話 ０３−１２３４−５６７８", Kind::phone, "03-1234-5678", true},
        {"電話 03-1234-5678", Kind::card, "03-1234-5678", false},
        {"電話 08-1234-5678", Kind::phone, "03-1234-5678", false},
        {"カード 4111 1111 1111 1111", Kind::card, "4111 1111 1111 1111", true},
        {"カード 4111 1111 1111 1117", Kind::card, "4111 1111 1111 1111", false},
    };
    for (const auto& c : cases) {
        const OcrResult read{{{0, 0, 300, 14, c.line}}};
        EXPECT_EQ(ocr_quality::found(read, c.kind, c.value), c.found) << c.line;
    }
}

TEST(OcrQualityTest, PlantedItemsAreCoveredWhereverTheirTextWasMisread) {
    using personal_data::Kind;
    const OcrResult truth{{{0, 0, 300, 14, "連絡先 tanaka@example.co.jp"}}};
    const struct {
        OcrLine read;
        bool covered;
    } cases[] = {
        {{0, 0, 300, 14, "連絡先 tanaka@example.co.jp"}, true},
        {{2, 1, 298, 15, "連絡先 tanakaQexampIe.co.jp"}, true},  // a look-alike, a letter wrong
        {{0, 20, 300, 34, "連絡先 tanaka@example.co.jp"}, false},  // another row
        {{0, 0, 150, 14, "連絡先 tanaka@example.co.jp"}, false},   // half of it
        {{0, 0, 300, 14, "連絡先 tanaka example.co.jp"}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ocr_quality::covered(truth, OcrResult{{c.read}}, Kind::email, "tanaka@example.co.jp"),
                  c.covered)
            << c.read.text;
    EXPECT_FALSE(ocr_quality::covered(truth, truth, Kind::phone, "tanaka@example.co.jp"));
}

}  // namespace
