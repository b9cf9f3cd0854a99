// Which words of a read line are read again and which reading is kept: the
// engine's misreadings of addresses and numbers as the quality set showed
// them.
#include "ocr/ocr_reread.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Words ten pixels wide with a blank's gap, in a row at the same height.
std::vector<ocr_reread::Word> Words(const std::vector<std::wstring>& texts) {
    std::vector<ocr_reread::Word> words;
    int x = 0;
    for (const std::wstring& t : texts) {
        words.push_back({t, x, 5, x + 10, 20});
        x += 14;
    }
    return words;
}

int Items(const std::wstring& text) { return ocr_reread::found(text).items; }

TEST(OcrReread, OnlyANumberIsReadAsDigits) {
    EXPECT_TRUE(ocr_reread::numeric(L"$639 0028 0066"));
    EXPECT_TRUE(ocr_reread::numeric(L"０９０-１２３４-５６７８"));
    EXPECT_FALSE(ocr_reread::numeric(L"taro2024@example12.com"));
    EXPECT_FALSE(ocr_reread::numeric(L"k.watanabe20240101"));
    EXPECT_FALSE(ocr_reread::numeric(L"03-1234"));
}

TEST(OcrReread, SpansAreTheAsciiRunsThatMayHoldAnItem) {
    const struct {
        std::vector<std::wstring> words;
        std::vector<std::pair<std::size_t, std::size_t>> spans;
    } cases[] = {
        {{L"メール:", L"taro@exanple.co.jp"}, {{1, 2}}},
        {{L"E-mail:", L"info@mail.example.", L"jp"}, {{0, 3}}},
        {{L"電話", L"03-1234-5678", L"(代表)"}, {{1, 2}}},
        {{L"０３－１２３４－５６７８"}, {{0, 1}}},                    // full-width digits
        {{L"RES:", L"\u00a796-7976-4863"}, {{0, 2}}},                // a zero misread as a symbol
        {{L"Card", L"4111", L"1111", L"1111", L"1111", L"利用"}, {{0, 5}}},
        {{L"taroOexanple,", L"co.jp"}, {{0, 2}}},                   // '@' misread, a dot between letters
        {{L"nm", L"kobayashiOcorp-exanple,", L"ne,", L"jp"}, {{0, 4}}},  // and blanks after the dots
        {{L"合計", L"12,345円"}, {}},                                // the amount is not ASCII alone
        {{L"Total", L"1,234,567"}, {}},                              // seven digits
        {{L"File(F)", L"Edit(E)", L"View(V)"}, {}},
        {{L"No.", L"5"}, {}},
        {{L"03-1234-5678", L"顧客", L"090-1234-5678"}, {{0, 1}, {2, 3}}},
        {{L"k.watanabe2ロexanple.co.jp"}, {}},  // see the stray case below
    };
    for (const auto& c : cases) {
        const auto words = Words(c.words);
        const auto spans = ocr_reread::candidateSpans(words);
        ASSERT_EQ(spans.size(), c.spans.size()) << ocr_reread::wordsText(words, 0, words.size());
        for (std::size_t i = 0; i < spans.size(); ++i) {
            EXPECT_EQ(spans[i].first, c.spans[i].first);
            EXPECT_EQ(spans[i].last, c.spans[i].second);
            EXPECT_EQ(spans[i].left, words[spans[i].first].left);
            EXPECT_EQ(spans[i].right, words[spans[i].last - 1].right);
        }
    }
}

TEST(OcrReread, AStrayWideCharacterBetweenAsciiMayStayInASpan) {
    const struct {
        std::vector<std::wstring> words;
        std::size_t spans;
    } cases[] = {
        {{L"k.watanabe2ロexanple.co.jp"}, 1},  // ロ for '@'
        {{L"infoロexanple。co.jp"}, 1},        // and 。 for '.'
        {{L"ロexample.co.jp"}, 0},             // not between ASCII
        {{L"mail.exロロple.com"}, 0},
        {{L"taro@ex", L"顧客"}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ocr_reread::candidateSpans(Words(c.words), true).size(), c.spans) << &c - cases;
}

TEST(OcrReread, RunsOfFiguresAloneAreReadAgainUnlessTaken) {
    const struct {
        std::vector<std::wstring> words;
        std::vector<std::pair<std::size_t, std::size_t>> spans;
    } cases[] = {
        {{L"金額:1,", L"900"}, {{1, 2}}},
        {{L"合計", L"1,100", L"-5.5", L"円"}, {{1, 3}}},
        {{L"１２３"}, {{0, 1}}},         // full-width figures
        {{L"...", L"-", L"A1", L"12円"}, {}},  // no digit, a letter, a kanji
        {{L"Tel", L"090", L"1234", L"5678"}, {}},  // taken by the item's run
    };
    for (const auto& c : cases) {
        const auto words = Words(c.words);
        const auto spans = ocr_reread::figureSpans(words, ocr_reread::candidateSpans(words));
        ASSERT_EQ(spans.size(), c.spans.size()) << &c - cases;
        for (std::size_t i = 0; i < spans.size(); ++i)
            EXPECT_EQ(std::make_pair(spans[i].first, spans[i].last), c.spans[i]) << &c - cases;
    }
}

TEST(OcrReread, AFiguresEnglishReadingStandsOnlyInItsShape) {
    const struct {
        const wchar_t* first;
        const wchar_t* second;
        const wchar_t* stands;  // empty: the first stays
    } cases[] = {
        {L"900", L": 000", L"000"},          // the neighbour's colon caught
        {L"1,900", L"1, 000", L"1,000"},     // blanks are no figure
        {L"１２", L"13", L"13"},             // full-width first
        {L"1,000", L"1,000", L""},           // the same
        {L"1,000", L"1.000", L""},           // a mark that differs
        {L"900", L"9000", L""},              // a digit more
        {L"12", L"1,2", L""},                // a mark where a digit was
        {L"12", L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ocr_reread::figureReading(c.first, c.second), c.stands) << &c - cases;
}

TEST(OcrReread, TheReadingThatShowsMoreItemsIsKept) {
    const struct {
        const wchar_t* first;
        const wchar_t* second;
        bool secondOnTie;
        const wchar_t* kept;
    } cases[] = {
        // The second reading finds what the first lost.
        {L"taroOexanple, co. jp", L"taro@example.co.jp", false, L"taro@example.co.jp"},
        {L"93-4969-7139", L"03-0692-7130", false, L"03-0692-7130"},
        // Its blanks beside the dots are taken out: read as it is, it
        // shows a shorter address.
        {L"info@mail,exanple,jp", L"info@mail.example. jp", false, L"info@mail.example.jp"},
        {L"info@mail.exanple. jp", L"info@mail.example. jp", false, L"info@mail.exanple.jp"},
        {L"info@mail.exanple. jp", L"info@mail.example. jp", true, L"info@mail.example.jp"},
        // The first reading tightened is enough.
        {L"taro@example. co. jp", L"tar0Oexample", false, L"taro@example.co.jp"},
        // Neither shows one: the first stays as it was.
        {L"Tel 03 - 1234", L"Tel 03-1234", true, L"Tel 03 - 1234"},
        // Both show as much: the first, or the second when asked.
        {L"taro@exanple.com", L"taro@example.com", false, L"taro@exanple.com"},
        {L"taro@exanple.com", L"taro@example.com", true, L"taro@example.com"},
        {L"4111 1111 1111 1111", L"4111 1111 1111 1112", true, L"4111 1111 1111 1111"},
        // Full-width forms count as their ASCII.
        {L"０３－１２３４－５６７８", L"03-1234-5678", false, L"０３－１２３４－５６７８"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ocr_reread::chosen(c.first, c.second, c.secondOnTie), c.kept) << &c - cases;
}

TEST(OcrReread, ItemsAreCountedAsTheMaskProposalsFindThem) {
    EXPECT_EQ(Items(L"taro@example.co.jp, 03-1234-5678"), 2);
    EXPECT_EQ(Items(L"taro@example. co. jp"), 0);  // a domain of one label
    EXPECT_EQ(ocr_reread::found(L"info@mail.example. jp").bytes, 17u);
    EXPECT_EQ(Items(L"4111 1111 1111 1111"), 1);
    EXPECT_EQ(Items(L"12,345"), 0);
    EXPECT_EQ(Items(L"taro＠example.com"), 1);
    EXPECT_EQ(Items(L"\u00e9taro@example.com"), 1);  // what is not ASCII stops the address
    EXPECT_EQ(Items(L"taro\u00e9@example.com"), 0);
}

TEST(OcrReread, TighteningTakesOnlyTheBlanksBesideDotsAtsAndHyphens) {
    EXPECT_EQ(ocr_reread::tightened(L"info@mail. example . jp"), L"info@mail.example.jp");
    EXPECT_EQ(ocr_reread::tightened(L"taro @ example.com"), L"taro@example.com");
    EXPECT_EQ(ocr_reread::tightened(L"03 - 1234 -5678"), L"03-1234-5678");
    EXPECT_EQ(ocr_reread::tightened(L"Tel 03 1234"), L"Tel 03 1234");
    EXPECT_EQ(ocr_reread::tightened(L""), L"");
}

ocr_prep::GreyImage Picture(const std::vector<std::string>& rows) {
    ocr_prep::GreyImage image;
    image.width = static_cast<int>(rows[0].size());
    image.height = static_cast<int>(rows.size());
    for (const std::string& row : rows)
        for (char c : row)
            image.pixels.push_back(c == '#' ? 0 : 255);
    return image;
}

std::vector<std::string> Rows(const ocr_prep::GreyImage& image) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.height; ++y) {
        std::string row;
        for (int x = 0; x < image.width; ++x)
            row += image.at(x, y) < 128 ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(OcrReread, TheNarrowBitmapMGetsRoomForItsMiddleLeg) {
    const struct {
        std::vector<std::string> in, out;
    } cases[] = {
        // "mn" as IPAGothic draws them at 12 pixels: the m widens, the n
        // after it moves one to the right.
        {{"...........", ".####.###..", ".#.##.#..#.", ".#.##.#..#.", ".#.##.#..#.", ".#.##.#..#.", "..........."},
         {"............", ".#####.###..", ".#.#.#.#..#.", ".#.#.#.#..#.", ".#.#.#.#..#.", ".#.#.#.#..#.",
          "............"}},
        // Legs of three rows, a stroke beside it, a glyph above: left alone.
        {{"......", ".####.", ".#.##.", ".#.##.", ".#.##.", "......"},
         {"......", ".####.", ".#.##.", ".#.##.", ".#.##.", "......"}},
        {{"......", ".####.", ".#.###", ".#.##.", ".#.##.", ".#.##.", "......"},
         {"......", ".####.", ".#.###", ".#.##.", ".#.##.", ".#.##.", "......"}},
        {{"..#...", ".####.", ".#.##.", ".#.##.", ".#.##.", ".#.##.", "......"},
         {"..#...", ".####.", ".#.##.", ".#.##.", ".#.##.", ".#.##.", "......"}},
        // At 11 pixels the middle leg is against the left one.
        {{"......", ".####.", ".##.#.", ".##.#.", ".##.#.", ".##.#.", "......"},
         {".......", ".#####.", ".#.#.#.", ".#.#.#.", ".#.#.#.", ".#.#.#.", "......."}},
        // An n is left alone.
        {{"......", ".###..", ".#..#.", ".#..#.", ".#..#.", ".#..#.", "......"},
         {"......", ".###..", ".#..#.", ".#..#.", ".#..#.", ".#..#.", "......"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rows(ocr_reread::withBitmapMsWidened(Picture(c.in))), c.out) << &c - cases;
}

TEST(OcrReread, AColumnOfTheWidenedPictureMapsBack) {
    // "m m" at 12 pixels: columns put in after 3 and 9.
    const auto image = Picture({"..............", ".####.#..####.", ".#.##.#..#.##.", ".#.##.#..#.##.",
                                ".#.##.#..#.##.", ".#.##.#..#.##.", ".............."});
    std::vector<int> after;
    const auto widened = ocr_reread::withBitmapMsWidened(image, &after);
    ASSERT_EQ(after, (std::vector<int>{3, 11}));
    ASSERT_EQ(widened.width, image.width + 2);
    const struct {
        int widenedX, x;
    } cases[] = {{0, 0}, {3, 3}, {5, 4}, {7, 6}, {12, 11}, {14, 12}, {15, 13}};
    for (const auto& c : cases)
        EXPECT_EQ(ocr_reread::unwidenedX(after, c.widenedX), c.x) << c.widenedX;
    EXPECT_EQ(ocr_reread::unwidenedX({}, 7), 7);
}

TEST(OcrReread, AFullStopBelowTheLettersFeetIsRaised) {
    const struct {
        std::vector<std::string> in, out;
    } cases[] = {
        // 11 pixels: "o.a", the stop a row below the letters.
        {{".##.......##.", "#..#.....#.#.", ".##......####", "......#......", "............."},
         {".##.......##.", "#..#.....#.#.", ".##...#..####", ".............", "............."}},
        // On the letters' row already (9 pixels), or beside a descender: left.
        {{".##.......##.", "#..#.....#.#.", ".##...#..####", "............."},
         {".##.......##.", "#..#.....#.#.", ".##...#..####", "............."}},
        {{".##.......##.", "#..#.....#.#.", ".##......####", "......#..#...", "............."},
         {".##.......##.", "#..#.....#.#.", ".##......####", "......#..#...", "............."}},
        // A comma's two pixels, and a stop with letters on one side only.
        {{".##.......##.", "#..#.....#.#.", ".##...#..####", "......#......", "............."},
         {".##.......##.", "#..#.....#.#.", ".##...#..####", "......#......", "............."}},
        {{".##..........", "#..#.........", ".##..........", "......#......", "............."},
         {".##..........", "#..#.........", ".##..........", "......#......", "............."}},
    };
    for (const auto& c : cases) {
        auto image = Picture(c.in);
        const int raised = ocr_reread::raiseLowDots(image);
        EXPECT_EQ(Rows(image), c.out) << &c - cases;
        EXPECT_EQ(raised, Rows(image) == c.in ? 0 : 1) << &c - cases;
    }
}

}  // namespace
