// The double-byte-aware byte helpers every path, CSV and HTML search relies on.
#include "base/cp932.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// 表 (0x95 0x5C), ソ (0x83 0x5C) and 能 (0x94 0x5C) end in a backslash byte.
const char kTable[] = "表";
const char kSo[] = "ソ";

TEST(Cp932, LiteralsAreShiftJis) {
    ASSERT_EQ(std::strlen(kTable), 2u);
    EXPECT_EQ(static_cast<unsigned char>(kTable[0]), 0x95);
    EXPECT_EQ(kTable[1], '\\');
    EXPECT_EQ(static_cast<unsigned char>(kSo[0]), 0x83);
}

TEST(Cp932, LeadByteRanges) {
    EXPECT_FALSE(cp932::isLeadByte(0x80));
    EXPECT_TRUE(cp932::isLeadByte(0x81));
    EXPECT_TRUE(cp932::isLeadByte(0x9F));
    EXPECT_FALSE(cp932::isLeadByte(0xA0));  // half-width katakana are single bytes
    EXPECT_FALSE(cp932::isLeadByte(0xDF));
    EXPECT_TRUE(cp932::isLeadByte(0xE0));
    EXPECT_TRUE(cp932::isLeadByte(0xFC));
    EXPECT_FALSE(cp932::isLeadByte(0xFD));
    EXPECT_FALSE(cp932::isLeadByte('\\'));
}

TEST(Cp932, BackslashSearchStepsOverTrailBytes) {
    const std::string path = std::string("C:\\") + kTable + "\\" + kSo + "a.bmp";
    // The first real backslash is at 2, the last one after 表 at 5.
    EXPECT_EQ(cp932::findChar(path.c_str(), '\\'), path.c_str() + 2);
    EXPECT_EQ(cp932::findLastChar(path.c_str(), '\\'), path.c_str() + 5);
    const std::string noSeparator = std::string(kTable) + kSo;
    EXPECT_EQ(cp932::findChar(noSeparator.c_str(), '\\'), nullptr);
    EXPECT_EQ(cp932::findLastChar(noSeparator.c_str(), '\\'), nullptr);
    EXPECT_EQ(cp932::find(noSeparator.data(), noSeparator.size(), '\\'), noSeparator.size());
}

TEST(Cp932, TornCharacterAtTheEndIsNotASeparatorHalf) {
    // A lead byte cut off by a buffer end must not make its NUL a trail byte.
    const char torn[] = {'a', static_cast<char>(0x95), '\0'};
    EXPECT_EQ(cp932::findLastChar(torn, '\\'), nullptr);
    EXPECT_EQ(cp932::findChar(torn, 'a'), torn);
}

TEST(Cp932, CutNeverSplitsACharacter) {
    const std::string text = std::string("ab") + kTable + "c";  // a b 0x95 0x5C c
    EXPECT_EQ(cp932::cutLength(text.data(), text.size(), 5), 5u);
    EXPECT_EQ(cp932::cutLength(text.data(), text.size(), 4), 4u);
    EXPECT_EQ(cp932::cutLength(text.data(), text.size(), 3), 2u);
    EXPECT_EQ(cp932::cutLength(text.data(), text.size(), 0), 0u);

    char small[4];
    EXPECT_FALSE(cp932::copyText(small, text.c_str()));
    EXPECT_STREQ(small, "ab");
    char exact[6];
    EXPECT_TRUE(cp932::copyText(exact, text.c_str()));
    EXPECT_EQ(std::string(exact), text);
}

TEST(Cp932, ALeadByteStartsAPairOnlyBeforeATrailByte) {
    struct Case {
        std::string text;
        std::size_t at;
        std::size_t length;
    };
    const Case cases[] = {
        {"\x81\x40", 0, 2}, {"\x81\x7E", 0, 2}, {"\x81\x80", 0, 2},     {"\xFC\xFC", 0, 2},
        {"\x81\x3F", 0, 1}, {"\x81\x7F", 0, 1}, {"\x81\xFD", 0, 1},     {"\x81", 0, 1},
        {"\x81,", 0, 1},    {"\x81\"", 0, 1},   {"\x81<", 0, 1},        {"\x81\r", 0, 1},
        {"a\x81", 1, 1},    {"\xA0\x40", 0, 1}, {"\x81\x81\x40", 1, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cp932::charLength(c.text.data(), c.text.size(), c.at), c.length)
            << testing::PrintToString(c.text) << " at " << c.at;
}

TEST(Cp932, DelimitersAfterALoneLeadByteAreFound) {
    // Before, the lead byte took the comma, quote or '<' after it as its
    // trail byte, and the field or the markup ran on.
    struct Case {
        std::string text;
        char c;
        std::size_t found;
    };
    const Case cases[] = {
        {"ab\x81,c", ',', 3}, {"\x81\"x", '"', 1},     {"\xE0<img", '<', 1},
        {"\x81\\x", '\\', 3}, {"\x81\x81\\", '\\', 2}, {"\x81", '\0', 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cp932::find(c.text.data(), c.text.size(), c.c), c.found)
            << testing::PrintToString(c.text);
    const char path[] = "C:\\a\x81\\b\x81";
    EXPECT_EQ(cp932::findLastChar(path, '\\'), path + 2);
    const char torn[] = "x\x9F,";
    EXPECT_EQ(cp932::findChar(torn, ','), torn + 2);
}

TEST(Cp932, CutKeepsALoneLeadByteAndSplitsNoPair) {
    const std::string text = "a\x81,\x81\x40";  // a, lone 0x81, comma, then a pair
    EXPECT_EQ(cp932::cutLength(text.data(), text.size(), 2), 2u);
    EXPECT_EQ(cp932::cutLength(text.data(), text.size(), 3), 3u);
    EXPECT_EQ(cp932::cutLength(text.data(), text.size(), 4), 3u);
    char out[3];
    EXPECT_FALSE(cp932::copyText(out, "a\x81,b"));
    EXPECT_EQ(std::string(out), "a\x81");
}

TEST(Cp932, FoldingComparesAsciiLettersOnly) {
    struct Case {
        std::string a, b;
        bool equal;
    };
    // ド (83 68) and ォ (83 48) differ only in a trail byte that looks like a
    // letter; a lone lead byte before a letter leaves the letter foldable.
    const Case cases[] = {
        {"Zelcap.INI", "zelcap.ini", true},
        {"ド", "ォ", false},
        {"\x83h", "\x83H", false},
        {"\x83,A", "\x83,a", true},
        {"ab", "abc", false},
        {"", "", true},
        {"\x81", "\x81", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cp932::equalFoldingAscii(c.a.data(), c.a.size(), c.b.data(), c.b.size()), c.equal)
            << testing::PrintToString(c.a) << " / " << testing::PrintToString(c.b);
}

}  // namespace
