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

}  // namespace
