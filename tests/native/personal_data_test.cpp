// The personal-data checks over one read line: what each kind finds, with
// Japanese text around it and in full-width forms, what it must not find
// (numbers that fail their check, halves of double-byte characters), and
// the part of the line's box a mask gets.
#include "ocr/personal_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using personal_data::Kind;

// Each hit of the line as "kind:text".
std::vector<std::string> hitsOf(const std::string& text,
                                const std::vector<std::string>& patterns = {}) {
    std::vector<std::string> out;
    for (const personal_data::Hit& h : personal_data::find({0, 0, 100, 10, text}, patterns)) {
        static const char* const kNames[] = {"mail", "phone", "card", "mynumber", "pattern"};
        out.push_back(std::string(kNames[static_cast<int>(h.kind)]) + ":" +
                      text.substr(h.begin, h.end - h.begin));
    }
    return out;
}

TEST(PersonalDataTest, FindsEachKindInItsForms) {
    const struct {
        const char* line;
        std::vector<std::string> hits;
    } cases[] = {
        {"連絡先:taro.yamada@example.co.jpまで", {"mail:taro.yamada@example.co.jp"}},
        {"メール：ｔａｒｏ＠ｅｘａｍｐｌｅ．ｃｏｍ", {"mail:ｔａｒｏ＠ｅｘａｍｐｌｅ．ｃｏｍ"}},
        {"宛先 a+b_c@mail-x.example.jp.", {"mail:a+b_c@mail-x.example.jp"}},
        {"アbc@example.com", {"mail:bc@example.com"}},  // ア's trail byte is 'A'
        {"a@b x@localhost @example.com y@example.c z@-a.jp", {}},
        // As the engine reads '@' and '.' in small text.
        {"連絡先 tanaka.hiroshiQexample.co.jp まで", {"mail:tanaka.hiroshiQexample.co.jp"}},
        {"y.satoロexample.com / info口mail.example.jp", {"mail:y.satoロexample.com", "mail:info口mail.example.jp"}},
        {"info@example。co。jp a@b.com,cd@e.jp", {"mail:info@example。co。jp", "mail:a@b.com", "mail:cd@e.jp"}},
        {"k. watanaba2?mail.axampla, jp / y, satoQcorp. na. jp",
         {"mail:k. watanaba2?mail.axampla, jp", "mail:y, satoQcorp. na. jp"}},
        {"FAQ.html QUERY.com 製品ロexample.com xャ合example.com", {}},  // ャ's trail and 合's lead: no ロ
        {"TEL 090-1234-5678", {"phone:090-1234-5678"}},
        {"03-1234-5678 / 0120-123-456", {"phone:03-1234-5678", "phone:0120-123-456"}},
        {"06(1234)5678", {"phone:06(1234)5678"}},
        {"(03) 1234-5678", {"phone:03) 1234-5678"}},
        {"09012345678 0312345678 08001234567", {"phone:09012345678", "phone:0312345678", "phone:08001234567"}},
        {"電話：０９０－１２３４－５６７８", {"phone:０９０－１２３４－５６７８"}},
        {"090ー1234ー5678", {"phone:090ー1234ー5678"}},
        {"+81 90-1234-5678", {"phone:+81 90-1234-5678"}},
        {"+81-3-1234-5678 +819012345678", {"phone:+81-3-1234-5678", "phone:+819012345678"}},
        {"TEL03-1234-5678 / 0120-12-3456", {"phone:03-1234-5678", "phone:0120-12-3456"}},
        {"090-1234-567 2026-12-10 0000-1234-5678 ID0312345678", {}},
        {"カード番号:4111 1111 1111 1111です", {"card:4111 1111 1111 1111"}},
        {"４１１１－１１１１－１１１１－１１１１", {"card:４１１１－１１１１－１１１１－１１１１"}},
        {"378282246310005 / 3782 822463 10005", {"card:378282246310005", "card:3782 822463 10005"}},
        {"4111 1111 1111 1112 / 4111111111111112", {"card:4111 1111 1111 1112"}},  // as printed
        {"$944-0679-9871-9949 / 5745-3152テ2969-1712", {"card:$944-0679-9871-9949", "card:5745-3152テ2969-1712"}},
        {"4111111111111112 4111-1111-1111-1112-7890 SO12 3456 7890 1234 BIOS 2024 1234 5678", {}},
        {"4111 1111 1111 1111 12 28", {"card:4111 1111 1111 1111"}},
        {"個人番号 123456789018", {"mynumber:123456789018"}},
        {"1234-5678-9018 と 1234 5678 9018", {"mynumber:1234-5678-9018", "mynumber:1234 5678 9018"}},
        {"123456789012 1234-5678-901", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hitsOf(c.line), c.hits) << c.line;
}

TEST(PersonalDataTest, CheckDigits) {
    const struct {
        const char* digits;
        bool luhn, myNumber;
    } cases[] = {
        {"4111111111111111", true, false},
        {"4111111111111112", false, false},
        {"79927398713", true, false},
        {"123456789018", false, true},   // remainder 3: 11 - 3
        {"123456789013", false, false},
        {"000000000000", true, true},    // remainder 0: check digit 0
        {"200000000000", false, true},   // remainder 1: check digit 0
        {"200000000001", false, false},
        {"987654321093", false, true},
        {"12345678901a", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(personal_data::luhnValid(c.digits), c.luhn) << c.digits;
        EXPECT_EQ(personal_data::myNumberValid(c.digits), c.myNumber) << c.digits;
    }
}

TEST(PersonalDataTest, UserPatterns) {
    const std::vector<std::string> patterns = {"社員番号 ####", "ID-####", "A?C", "\\#1", "??"};
    EXPECT_EQ(hitsOf("社員番号 1234、ｉｄ－５６７８", patterns),
              (std::vector<std::string>{"pattern:社員番号 1234", "pattern:ｉｄ－５６７８"}));
    EXPECT_EQ(hitsOf("AXC ABC A表C #1 表1", patterns),
              (std::vector<std::string>{"pattern:AXC", "pattern:ABC", "pattern:A表C", "pattern:#1"}));
    // ソ's trail byte 0x5C is no backslash and 表's halves are no characters.
    EXPECT_EQ(hitsOf("ソ#1", {"\\#1"}), (std::vector<std::string>{"pattern:#1"}));

    const struct {
        const char* pattern;
        bool valid;
    } cases[] = {{"", false},    {"??", false}, {"ab\\", false}, {"?#", true}, {"\\?", true},
                 {"表", true}, {"ソ\\", false}};
    for (const auto& c : cases) {
        const char* why = nullptr;
        EXPECT_EQ(personal_data::validPattern(c.pattern, why), c.valid) << c.pattern;
        EXPECT_EQ(why == nullptr, c.valid) << c.pattern;
    }
    const char* why = nullptr;
    EXPECT_TRUE(personal_data::validPattern(std::string(personal_data::kPatternMaximum, '#'), why));
    EXPECT_FALSE(personal_data::validPattern(std::string(personal_data::kPatternMaximum + 1, '#'), why));
}

// A hit's box is the line's, narrowed to the hit's share of the bytes and
// rounded outwards.
TEST(PersonalDataTest, BoxIsTheHitsShareOfTheLine) {
    const OcrLine line{100, 10, 300, 30, "メール ab@cd.jp 様"};  // 7 + 8 + 3 bytes
    const std::vector<personal_data::Hit> hits = personal_data::find(line, {});
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].kind, Kind::email);
    EXPECT_EQ(hits[0].begin, 7u);
    EXPECT_EQ(hits[0].end, 15u);
    EXPECT_EQ(hits[0].left, 100 + 200 * 7 / 18);           // 177.7 down
    EXPECT_EQ(hits[0].right, 100 + (200 * 15 + 17) / 18);  // 266.6 up
    EXPECT_EQ(hits[0].top, 10);
    EXPECT_EQ(hits[0].bottom, 30);
    EXPECT_EQ(hits[0].pattern, -1);
}

}  // namespace
