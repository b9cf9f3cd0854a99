// The text sidecar beside a picture: any line's text comes back byte for
// byte (tabs, line ends, backslashes, every byte, the trail byte 0x5C of 表);
// a picture read with no text is a file of its own, not an empty one; a
// damaged or foreign file is refused whole, naming its line, so the picture
// is read again.
#include "ocr/ocr_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

OcrResult roundTrip(const OcrResult& r) {
    const std::string bytes = ocrfile::write(r);
    const ocrfile::ReadResult read = ocrfile::parse(bytes.data(), bytes.size());
    EXPECT_TRUE(read.ok) << read.error;
    EXPECT_EQ(ocrfile::write(read.result), bytes);
    return read.result;
}

TEST(OcrFileTest, AnyTextComesBack) {
    std::string everyByte;
    for (int c = 0; c < 256; ++c)
        everyByte += static_cast<char>(c);
    OcrResult r;
    for (const std::string& text :
         {std::string(), std::string("金額 1,100 円"), std::string("表\\ソ\\能"),
          std::string("a\tb\r\nc\nd\r"), std::string("nul\0in", 6), std::string("\\t \\x41"),
          everyByte, std::string("\x95"), std::string("\x95\t"), std::string("\xFD\xFE\xFF\x80")})
        r.lines.push_back({1, 2, 30, 40, text});
    r.lines.push_back({0, 0, ocrfile::kCoordinateMaximum, ocrfile::kCoordinateMaximum, "x"});
    EXPECT_TRUE(roundTrip(r) == r);

    std::mt19937 random(36);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 40), at(0, 5000);
    OcrResult many;
    for (int i = 0; i < 300; ++i) {
        std::string s(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : s)
            c = static_cast<char>(byte(random));
        const int left = at(random), top = at(random);
        many.lines.push_back({left, top, left + at(random), top + at(random), s});
    }
    EXPECT_TRUE(roundTrip(many) == many);
}

TEST(OcrFileTest, ReadWithNoTextIsTheVersionLineAlone) {
    EXPECT_EQ(ocrfile::write(OcrResult{}), "ZOCR\t1\r\n");
    for (const std::string file : {"ZOCR\t1\r\n", "ZOCR\t1\n", "ZOCR\t1"}) {
        const ocrfile::ReadResult read = ocrfile::parse(file.data(), file.size());
        EXPECT_TRUE(read.ok) << read.error;
        EXPECT_TRUE(read.result.lines.empty());
    }
    OcrResult r;
    r.lines.push_back({10, 20, 110, 36, "表示 合計"});
    EXPECT_EQ(ocrfile::write(r), "ZOCR\t1\r\n10\t20\t110\t36\t表示 合計\r\n");
}

TEST(OcrFileTest, APictureThatCouldNotBeReadSaysWhy) {
    const std::string reason = "画像が小さすぎます\t(1 x 1)\\表";
    const std::string bytes = ocrfile::writeUnreadable(reason);
    const ocrfile::ReadResult read = ocrfile::parse(bytes.data(), bytes.size());
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_TRUE(read.unreadable);
    EXPECT_EQ(read.reason, reason);
    EXPECT_TRUE(read.result.lines.empty());
    const std::string empty = ocrfile::write({});
    EXPECT_FALSE(ocrfile::parse(empty.data(), empty.size()).unreadable);
}

TEST(OcrFileTest, BoxesOutsideTheRangeAreWrittenInsideIt) {
    OcrResult r;
    r.lines.push_back({-5, 7, -9, 3, "a"});
    r.lines.push_back({2000000, 0, 2000001, 5, "b"});
    const OcrResult back = roundTrip(r);
    ASSERT_EQ(back.lines.size(), 2u);
    const OcrLine expected[] = {{0, 7, 0, 7, "a"},
                                {ocrfile::kCoordinateMaximum, 0, ocrfile::kCoordinateMaximum, 5, "b"}};
    EXPECT_TRUE(back.lines[0] == expected[0]);
    EXPECT_TRUE(back.lines[1] == expected[1]);
}

TEST(OcrFileTest, DamagedFilesAreRefusedAtTheirLine) {
    const struct {
        std::string file;
        int line;
    } cases[] = {
        {"", 1},
        {"ZCASE\t1\r\n", 1},
        {"ZOCR\t2\r\n", 1},
        {"\xEF\xBB\xBFZOCR\t1\r\n", 1},
        {"ZOCR\t1\r\n\r\n1\t2\t3\t4\ta\r\n", 2},
        {"ZOCR\t1\r\n1\t2\t3\t4\ta\r\n1\t2\t3\ta\r\n", 3},
        {"ZOCR\t1\r\n1\t2\t3\t4\ta\tb\r\n", 2},
        {"ZOCR\t1\r\n-1\t2\t3\t4\ta\r\n", 2},
        {"ZOCR\t1\r\n01\t2\t3\t4\ta\r\n", 2},
        {"ZOCR\t1\r\n1\t2\t3\t4 \ta\r\n", 2},
        {"ZOCR\t1\r\n1\t2\t3\t1000001\ta\r\n", 2},
        {"ZOCR\t1\r\n5\t2\t3\t4\ta\r\n", 2},  // right before left
        {"ZOCR\t1\r\n1\t2\t3\t4\ta\\q\r\n", 2},
        {"ZOCR\t1\r\n1\t2\t3\t4\ta\\x4\r\n", 2},
        {"ZOCR\t1\r\n1\t2\t3\t4\ta\x95\r\n", 2},  // a lead byte the writer escapes
        {"ZOCR\t1\r\n1\t2\t3\t4\ta\x01\r\n", 2},
        {"ZOCR\t1\r\n1\t2\t3\t4\ta\rb\r\n", 2},
        {"ZOCR\t1\r\n!\tbroken\r\n1\t2\t3\t4\ta\r\n", 3},  // text after the unreadable mark
        {"ZOCR\t1\r\n1\t2\t3\t4\ta\r\n!\tbroken\r\n", 3},  // the mark after text
        {"ZOCR\t1\r\n!\tbad\\q\r\n", 2},
    };
    for (const auto& c : cases) {
        const ocrfile::ReadResult read = ocrfile::parse(c.file.data(), c.file.size());
        EXPECT_FALSE(read.ok) << c.file;
        EXPECT_EQ(read.errorLine, c.line) << c.file;
        EXPECT_EQ(read.error.rfind(std::to_string(c.line) + " 行目: ", 0), 0u) << read.error;
        EXPECT_TRUE(read.result.lines.empty());
    }
}

// A file cut anywhere (a write that stopped) reads as its whole lines or
// is refused; it never reads as a line it did not have.
TEST(OcrFileTest, EveryTruncationReadsAsWholeLinesOrIsRefused) {
    OcrResult r;
    r.lines.push_back({10, 20, 110, 36, "表示\tソ"});
    r.lines.push_back({1, 2, 300, 400, "mail a@b.jp"});
    const std::string file = ocrfile::write(r);
    for (std::size_t n = 0; n < file.size(); ++n) {
        const ocrfile::ReadResult read = ocrfile::parse(file.data(), n);
        if (!read.ok)
            continue;
        ASSERT_LE(read.result.lines.size(), r.lines.size());
        // The text is a line's last field: a cut can shorten the last text
        // read, never a box, which a cut leaves without its text field.
        for (std::size_t i = 0; i < read.result.lines.size(); ++i) {
            const OcrLine& got = read.result.lines[i];
            const OcrLine& whole = r.lines[i];
            EXPECT_TRUE(got.left == whole.left && got.top == whole.top &&
                        got.right == whole.right && got.bottom == whole.bottom)
                << n;
            EXPECT_EQ(whole.text.rfind(got.text, 0), 0u) << n;
        }
    }
}

}  // namespace
