// The repairs of bitmap glyphs before reading, on pictures drawn as text:
// '#' is black, '.' white, 'b' a highlight's blue. A zero loses its dot and
// a comma between digits gains its tail; a full stop, a dot in a wide
// glyph, a hole's own light, light text on a dark ground and a stroke
// beside letters stay as they were.
#include "ocr/ocr_prep.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The picture with a margin of its ground's colour, four pixels on every
// side, as text stands away from the screen's edge.
ocr_prep::GreyImage Picture(const std::vector<std::string>& rows) {
    const char ground = rows[0][0];
    ocr_prep::GreyImage image;
    image.width = static_cast<int>(rows[0].size()) + 8;
    image.height = static_cast<int>(rows.size()) + 8;
    const std::string edge(image.width, ground);
    std::vector<std::string> all(4, edge);
    for (const std::string& row : rows)
        all.push_back(std::string(4, ground) + row + std::string(4, ground));
    all.insert(all.end(), 4, edge);
    for (const std::string& row : all)
        for (char c : row)
            image.pixels.push_back(c == '#' ? 0 : c == 'b' ? 95 : 255);
    return image;
}

std::vector<std::string> Rows(const ocr_prep::GreyImage& image) {
    std::vector<std::string> rows;
    for (int y = 4; y < image.height - 4; ++y) {
        std::string row;
        for (int x = 4; x < image.width - 4; ++x)
            row += image.at(x, y) == 0 ? '#' : image.at(x, y) == 95 ? 'b' : '.';
        rows.push_back(row);
    }
    return rows;
}

// Two digits of seven rows: a dotted zero, then a comma of 9 pixels (two
// rows ending on the baseline), then a one.
const std::vector<std::string> kZeroComma = {
    "..............",
    "..............",
    "...###.....#..",
    "..#...#...##..",
    "..#.#.#....#..",
    "..#.#.#....#..",
    "..#...#....#..",
    "..#...#.#..#..",
    "...###..#..#..",
    "..............",
    "..............",
    "..............",
    "..............",
    "..............",
};

TEST(OcrPrepTest, RepairsAZeroAndACommaAndNothingElse) {
    std::vector<std::string> repaired = kZeroComma;
    repaired[4] = "..#...#....#..";
    repaired[5] = "..#...#....#..";
    repaired[9] = ".......#......";
    // A full stop where the comma was, the same zero drawn wide (a kanji's
    // box with a dot), light text on a highlight, a stroke beside letters'
    // height (short glyphs): none of them is touched.
    std::vector<std::string> stop = kZeroComma;
    stop[7] = "..#...#....#..";
    const std::vector<std::string> wide = {
        "................", "................", "...#########....", "...#.......#....", "...#...#...#....",
        "...#...#...#....", "...#.......#....", "...#########....", "................", "................",
        "................", "................", "................", "................", "................",
        "................", "................",
    };
    std::vector<std::string> highlight;
    for (std::string row : kZeroComma) {
        for (char& c : row)
            c = c == '#' ? '.' : 'b';
        highlight.push_back(row);
    }
    const std::vector<std::string> letters = {
        "............", "............", "............", "............", "..###...###.", "..#.....#.#.",
        "..###.#.###.", "......#.....", "............", "............", "............", "............",
        "............", "............",
    };
    const struct {
        std::vector<std::string> picture, expected;
        int zeros, commas;
    } cases[] = {
        {kZeroComma, repaired, 1, 1},
        {stop, [&] { auto r = repaired; r[7] = stop[7]; r[9] = stop[9]; return r; }(), 1, 0},
        {wide, wide, 0, 0},
        {highlight, highlight, 0, 0},
        {letters, letters, 0, 0},
    };
    for (const auto& c : cases) {
        ocr_prep::GreyImage image = Picture(c.picture);
        const ocr_prep::Repairs done = ocr_prep::repairBitmapGlyphs(image);
        EXPECT_EQ(Rows(image), c.expected);
        EXPECT_EQ(done.zeros, c.zeros);
        EXPECT_EQ(done.commas, c.commas);
    }
}

TEST(OcrPrepTest, ClearsTheSlashOrBarOfAZeroButNotTheWaistOfAnEight) {
    const std::vector<std::string> slashed = {
        "..####..", ".#....#.", ".#...##.", ".#..#.#.", ".#.#..#.", ".##...#.", ".#....#.", "..####..",
    };
    const std::vector<std::string> clear = {
        "..####..", ".#....#.", ".#...##.", ".#....#.", ".#....#.", ".##...#.", ".#....#.", "..####..",
    };
    const std::vector<std::string> eight = {
        "..####..", ".#....#.", ".#....#.", "..####..", ".#....#.", ".#....#.", ".#....#.", "..####..",
    };
    const std::vector<std::string> m = {  // open at the bottom
        ".######.", ".#..#.#.", ".#..#.#.", ".#..#.#.", ".#..#.#.", ".#..#.#.", ".#..#.#.", ".#..#.#.",
    };
    const std::vector<std::string> theta = {".#.", "#.#", "#.#", "###", "#.#", "#.#", ".#."};
    const std::vector<std::string> ring = {".#.", "#.#", "#.#", "#.#", "#.#", "#.#", ".#."};
    const std::vector<std::string> eight9 = {".#.", "#.#", "#.#", ".#.", "#.#", "#.#", ".#."};
    // 12 pixels: four wide, the slash joined to a side.
    const std::vector<std::string> joined = {".##.", "#..#", "#.##", "##.#", "##.#", "##.#", "#..#", ".##."};
    const std::vector<std::string> open = {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."};
    const std::vector<std::string> d = {"###.", "#..#", "#..#", "#..#", "#..#", "#..#", "#..#", "###."};
    const std::vector<std::string> bold = {".###.", "##.##", "##.##", "##.##", "##.##", "##.##", "##.##", ".###."};
    // 日 at 9 pixels: as closed, but too wide for a digit.
    const std::vector<std::string> day = {"#####", "#...#", "#...#", "#####", "#...#", "#...#", "#####"};
    const struct {
        std::vector<std::string> picture, expected;
        int zeros;
    } cases[] = {{slashed, clear, 1}, {eight, eight, 0}, {m, m, 0}, {theta, ring, 1}, {eight9, eight9, 0},
                 {day, day, 0},       {joined, open, 1},  {d, d, 0},        {bold, bold, 0}};
    for (const auto& c : cases) {
        ocr_prep::GreyImage image = Picture(c.picture);
        EXPECT_EQ(ocr_prep::repairBitmapGlyphs(image).zeros, c.zeros);
        EXPECT_EQ(Rows(image), c.expected);
    }
}

TEST(OcrPrepTest, ClearsANinePixelZeroWhoseBarIsOnItsThirdRow) {
    const std::vector<std::string> upper = {".#.", "#.#", "###", "#.#", "#.#", "#.#", ".#."};
    const std::vector<std::string> lower = {".#.", "#.#", "#.#", "#.#", "###", "#.#", ".#."};
    const std::vector<std::string> ring = {".#.", "#.#", "#.#", "#.#", "#.#", "#.#", ".#."};
    const std::vector<std::string> e = {".##.", "#..#", "####", "#...", "#...", "#..#", ".##."};
    const struct {
        std::vector<std::string> picture;
        bool offCentre;
        std::vector<std::string> expected;
    } cases[] = {{upper, true, ring}, {lower, true, ring}, {upper, false, upper}, {e, true, e}};
    for (const auto& c : cases) {
        ocr_prep::GreyImage image = Picture(c.picture);
        EXPECT_EQ(ocr_prep::repairBitmapGlyphs(image, c.offCentre).zeros, c.expected == c.picture ? 0 : 1);
        EXPECT_EQ(Rows(image), c.expected) << &c - cases;
    }
}

TEST(OcrPrepTest, TakesAwayAnEditBoxFrameButNotText) {
    std::vector<std::string> box(12, "." + std::string(40, '.') + ".");
    box[1] = "." + std::string(40, '#') + ".";
    for (int y = 1; y < 11; ++y)
        box[y][1] = '#';
    box[5].replace(4, 3, "###");  // a glyph inside the box stays
    std::vector<std::string> cleared(12, std::string(42, '.'));
    cleared[5] = box[5];
    cleared[5][1] = '.';
    ocr_prep::GreyImage image = Picture(box);
    EXPECT_EQ(ocr_prep::repairBitmapGlyphs(image).rules, 1);
    EXPECT_EQ(Rows(image), cleared);
    std::vector<std::string> block(12, std::string(42, '#'));  // a dark area, not a line
    block[0] = std::string(42, '.');
    image = Picture(block);
    EXPECT_EQ(ocr_prep::repairBitmapGlyphs(image).rules, 0);
    EXPECT_EQ(Rows(image), block);
}

TEST(OcrPrepTest, TurnsADarkGroundOverAndLeavesALightOne) {
    // A title bar of 80 x 14 in the highlight's blue with a white glyph.
    std::vector<std::string> bar(16, std::string(80, '.'));
    for (int y = 1; y < 15; ++y)
        bar[y] = std::string(80, 'b');
    bar[6].replace(5, 4, "....");
    ocr_prep::GreyImage image = Picture(bar);
    EXPECT_EQ(ocr_prep::repairBitmapGlyphs(image).grounds, 1);
    EXPECT_EQ(image.at(4 + 5, 4 + 6), 0);     // the glyph is black now
    EXPECT_EQ(image.at(4 + 20, 4 + 6), 160);  // its ground light
    EXPECT_EQ(image.at(4 + 20, 4 + 0), 255);  // and nothing outside it moved
    std::vector<std::string> small(10, std::string(20, '.'));  // smaller than a ground
    for (int y = 1; y < 9; ++y)
        small[y] = "." + std::string(18, 'b') + ".";
    image = Picture(small);
    EXPECT_EQ(ocr_prep::repairBitmapGlyphs(image).grounds, 0);
    EXPECT_EQ(Rows(image), small);
}

TEST(OcrPrepTest, GreyIsReadFromEitherRowOrder) {
    // Two rows of two pixels, blue-green-red-x: white, black; red, green.
    const std::uint8_t bytes[] = {255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0};
    const ocr_prep::GreyImage down = ocr_prep::greyFromBgr(bytes, 2, 2, 8, 4);
    EXPECT_EQ(down.pixels, (std::vector<std::uint8_t>{255, 0, 76, 149}));
    const ocr_prep::GreyImage up = ocr_prep::greyFromBgr(bytes + 8, 2, 2, -8, 4);
    EXPECT_EQ(up.pixels, (std::vector<std::uint8_t>{76, 149, 255, 0}));
}

}  // namespace
