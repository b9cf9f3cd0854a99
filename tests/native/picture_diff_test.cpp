// The comparison of two pictures, by pixels: what changed, the regions, the
// figures and the overlay.
#include "view/picture_diff.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "view/compare_options.h"
#include "memory_settings_files.h"

namespace picture_diff {
namespace {

constexpr uint32_t kGrey = 0x808080;

PackedDib Filled(int32_t width, int32_t height, uint32_t rgb = kGrey) {
    PackedDib dib = PackedDib::create(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = dib.bits() + std::size_t(y) * dib.stride() + x * 3;
            p[0] = uint8_t(rgb);
            p[1] = uint8_t(rgb >> 8);
            p[2] = uint8_t(rgb >> 16);
        }
    return dib;
}

uint8_t* At(PackedDib& dib, int32_t x, int32_t y) {
    return dib.bits() + std::size_t(dib.height() - 1 - y) * dib.stride() + x * 3;
}

void Set(PackedDib& dib, int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* p = At(dib, x, y);
    p[0] = uint8_t(rgb);
    p[1] = uint8_t(rgb >> 8);
    p[2] = uint8_t(rgb >> 16);
}

void Block(PackedDib& dib, const Box& b, uint32_t rgb) {
    for (int32_t y = b.top; y < b.bottom; ++y)
        for (int32_t x = b.left; x < b.right; ++x)
            Set(dib, x, y, rgb);
}

struct Case {
    const char* name;
    int32_t firstWidth, firstHeight, secondWidth, secondHeight;
    std::vector<Box> firstBlocks, secondBlocks;  // painted black
    Options options;
    uint64_t changed, compared;
    std::vector<Box> regions;
};

class CompareTest : public ::testing::TestWithParam<Case> {};

TEST_P(CompareTest, FindsTheChangedPixelsAndTheirRegions) {
    const Case& c = GetParam();
    PackedDib first = Filled(c.firstWidth, c.firstHeight);
    PackedDib second = Filled(c.secondWidth, c.secondHeight);
    for (const Box& b : c.firstBlocks)
        Block(first, b, 0);
    for (const Box& b : c.secondBlocks)
        Block(second, b, 0);
    const Result r = compare(of(first), of(second), c.options);
    EXPECT_EQ(r.changed, c.changed);
    EXPECT_EQ(r.compared, c.compared);
    ASSERT_EQ(r.regions.size(), c.regions.size());
    for (std::size_t i = 0; i < r.regions.size(); ++i) {
        EXPECT_EQ(r.regions[i], c.regions[i])
            << "region " << i << ": " << r.regions[i].left << "," << r.regions[i].top << " "
            << r.regions[i].right << "," << r.regions[i].bottom;
    }
    EXPECT_EQ(r.sizesDiffer, c.firstWidth != c.secondWidth || c.firstHeight != c.secondHeight);
}

const Options kDefault{};

INSTANTIATE_TEST_SUITE_P(
    Pictures, CompareTest,
    ::testing::Values(
        Case{"same", 40, 30, 40, 30, {}, {}, kDefault, 0, 1200, {}},
        Case{"onePixel", 40, 30, 40, 30, {}, {{7, 3, 8, 4}}, kDefault, 1, 1200, {{7, 3, 8, 4}}},
        // Far apart, the old and the new place of a block are two regions.
        Case{"movedFar",
             60,
             30,
             60,
             30,
             {{5, 5, 15, 15}},
             {{30, 5, 40, 15}},
             kDefault,
             200,
             1800,
             {{5, 5, 15, 15}, {30, 5, 40, 15}}},
        // Moved by half its width: the overlap is unchanged, the two
        // crescents 2 pixels apart are one region.
        Case{"movedNear",
             60,
             30,
             60,
             30,
             {{5, 5, 15, 15}},
             {{10, 5, 20, 15}},
             kDefault,
             100,
             1800,
             {{5, 5, 20, 15}}},
        Case{"allChanged", 16, 9, 16, 9, {{0, 0, 16, 9}}, {}, kDefault, 144, 144, {{0, 0, 16, 9}}},
        // kMergeGap pixels between two pixels join them, one more does not,
        // across, down and diagonally alike.
        Case{"gapAcross",
             40,
             30,
             40,
             30,
             {},
             {{2, 2, 3, 3}, {11, 2, 12, 3}},
             kDefault,
             2,
             1200,
             {{2, 2, 12, 3}}},
        Case{"gapTooWide",
             40,
             30,
             40,
             30,
             {},
             {{2, 2, 3, 3}, {12, 2, 13, 3}},
             kDefault,
             2,
             1200,
             {{2, 2, 3, 3}, {12, 2, 13, 3}}},
        Case{"gapDiagonal",
             40,
             30,
             40,
             30,
             {},
             {{2, 2, 3, 3}, {11, 11, 12, 12}},
             kDefault,
             2,
             1200,
             {{2, 2, 12, 12}}},
        Case{"gapDownTooWide",
             40,
             30,
             40,
             30,
             {},
             {{2, 2, 3, 3}, {2, 12, 3, 13}},
             kDefault,
             2,
             1200,
             {{2, 2, 3, 3}, {2, 12, 3, 13}}},
        // A U joins its arms through its bottom, found rows later.
        Case{"joinedBelow",
             40,
             30,
             40,
             30,
             {},
             {{2, 2, 3, 20}, {30, 2, 31, 20}, {2, 19, 31, 20}},
             kDefault,
             18 + 18 + 27,
             1200,
             {{2, 2, 31, 20}}},
        // Other sizes: the common top-left area only.
        Case{"sizesDiffer",
             40,
             30,
             50,
             20,
             {},
             {{45, 5, 46, 6}, {3, 4, 5, 5}},
             kDefault,
             2,
             800,
             {{3, 4, 5, 5}}},
        // The band at the top is left out, and so is its area.
        Case{"band",
             40,
             30,
             40,
             30,
             {},
             {{0, 0, 40, 5}, {9, 9, 10, 10}},
             {8, 5},
             1,
             1000,
             {{9, 9, 10, 10}}},
        Case{"bandAll", 40, 30, 40, 30, {}, {{0, 0, 40, 30}}, {8, 99}, 0, 0, {}}),
    [](const ::testing::TestParamInfo<Case>& p) { return std::string(p.param.name); });

TEST(CompareTolerance, CountsAChannelBeyondIt) {
    struct Row {
        int tolerance;
        uint32_t second;
        uint64_t changed;
    } rows[] = {
        {8, 0x888080, 0},  {8, 0x898080, 1},  {8, 0x808089, 1},  {0, 0x808081, 1},
        {64, 0xC08080, 0}, {64, 0xC18080, 1}, {99, 0xC18080, 1},  // out of range: 64
    };
    for (const Row& row : rows) {
        PackedDib a = Filled(3, 2), b = Filled(3, 2);
        Set(b, 1, 1, row.second);
        EXPECT_EQ(compare(of(a), of(b), {row.tolerance, 0}).changed, row.changed)
            << row.tolerance << " " << std::hex << row.second;
    }
}

TEST(Overlay, TintsTheChangedPixelsOfTheSecondPicture) {
    PackedDib a = Filled(6, 5), b = Filled(7, 5, 0x808084);  // within the tolerance
    Set(b, 2, 3, 0x000000);
    Set(b, 4, 0, 0xFFFFFF);  // in the band
    PackedDib o;
    overlay(of(a), of(b), {8, 1}, o);
    ASSERT_EQ(o.width(), 6);
    ASSERT_EQ(o.height(), 5);
    const uint8_t* tinted = At(o, 2, 3);
    // Half of grey and black, tinted: blue and green a quarter, red raised.
    EXPECT_EQ(tinted[0], 0x40 / 4);
    EXPECT_EQ(tinted[1], 0x40 / 4);
    EXPECT_EQ(tinted[2], (0x40 + 3 * 255) / 4);
    EXPECT_EQ(At(o, 4, 0)[0], 0xFF) << "the band shows the second picture";
    EXPECT_EQ(At(o, 1, 1)[0], 0x84) << "unchanged pixels are the second picture's";
    EXPECT_EQ(At(o, 1, 1)[2], 0x80);
}

TEST(Figures, ChangeFigure) {
    struct Row {
        uint64_t changed, compared;
        const char* text;
    } rows[] = {
        {0, 100, "変化 0.0 %"},     {1, 1000000, "変化 0.1 %"},       {24, 1000, "変化 2.4 %"},
        {245, 10000, "変化 2.5 %"}, {999999, 1000000, "変化 99.9 %"}, {5, 5, "変化 100.0 %"},
        {0, 0, "変化 0.0 %"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(changeFigure(row.changed, row.compared), row.text) << row.changed;
}

TEST(Figures, HeadingKeepsTheFigureAndWholeCharacters) {
    EXPECT_EQ(comparisonHeading("前", "後", "変化 2.4 %", 128), "比較: 前 ⇔ 後 (変化 2.4 %)");
    std::string longHeading;
    for (int i = 0; i < 60; ++i)
        longHeading += "あ";
    const std::string cut = comparisonHeading(longHeading, "ok", "変化 2.4 %", 128);
    EXPECT_LE(cut.size(), 128u);
    EXPECT_EQ(cut.substr(cut.size() - std::strlen("ok (変化 2.4 %)")), "ok (変化 2.4 %)");
    const std::size_t arrow = cut.find(" ⇔ ");
    ASSERT_NE(arrow, std::string::npos);
    EXPECT_EQ(cut.substr(arrow - 2, 2), "…");
    EXPECT_EQ((arrow - std::strlen("比較: ")) % 2, 0u) << "a character was split";
    const std::string both = comparisonHeading(longHeading, longHeading, "変化 2.4 %", 128);
    EXPECT_LE(both.size(), 128u);
    EXPECT_NE(both.find("(変化 2.4 %)"), std::string::npos);
}

TEST(Figures, NamesAndLines) {
    EXPECT_EQ(diffFileName("C:\\cap\\a001.bmp"), "a001_diff.png");
    EXPECT_EQ(diffFileName("C:\\v1.0\\shot"), "shot_diff.png");
    EXPECT_EQ(diffFileName("C:\\表\\表.png"), "表_diff.png");  // 表 ends in 0x5C
    EXPECT_EQ(regionLine(2, {120, 40, 380, 58}), "領域 2: 左 120 上 40 幅 260 高さ 18");
    PackedDib a = Filled(40, 30), b = Filled(50, 20);
    EXPECT_EQ(sizeNote(of(a), of(b), compare(of(a), of(b), kDefault)),
              "大きさが違います（1 枚目 40 x 30、2 枚目 50 x 20）。共通の左上 40 x 20 "
              "を比較しています。");
    EXPECT_EQ(sizeNote(of(a), of(a), compare(of(a), of(a), kDefault)), "");
}

TEST(CompareOptionsGroup, ReadsWritesAndKeepsDefaultsForOddValues) {
    struct Row {
        const char* group;
        CompareOptions expected;
    } rows[] = {
        {"", {}},
        {"[Compare]\r\n許容差=0\r\n上端を無視=1\r\n上端の高さ=40\r\n", {0, true, 40}},
        {"[Compare]\r\n許容差=65\r\n上端を無視=2\r\n上端の高さ=0\r\n", {}},
    };
    for (const Row& row : rows) {
        testsupport::MemoryFiles files;
        files.contents = row.group;
        EXPECT_TRUE(compare_options::load(files, "z.ini") == row.expected) << row.group;
    }
    testsupport::MemoryFiles files;
    files.contents = "[File_Set]\r\nA=1\r\n";
    ASSERT_TRUE(compare_options::save(files, "z.ini", {12, true, 20}));
    EXPECT_EQ(
        files.contents,
        "[File_Set]\r\nA=1\r\n\r\n[Compare]\r\n許容差=12\r\n上端を無視=1\r\n上端の高さ=20\r\n");
    EXPECT_TRUE((compare_options::load(files, "z.ini") == CompareOptions{12, true, 20}));
}

}  // namespace
}  // namespace picture_diff
