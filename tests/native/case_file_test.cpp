// The case file beside the history: any text in any field comes back byte
// for byte (tabs, line ends, backslashes, NUL, every byte, the trail byte
// 0x5C of 表, ソ and 能); a file that is damaged or no case file at all is
// refused whole, naming its line; texts longer than their fields are cut
// and said.
#include "history/case_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "history/case_placement.h"

namespace {

using casefile::Entry;
using testcase::Field;
using testcase::Verdict;

std::string everyByte() {
    std::string s;
    for (int c = 0; c < 256; ++c)
        s += static_cast<char>(c);
    return s;
}

Entry entryWith(const std::string& text) {
    Entry e;
    e.key = {"a000001.bmp", "2026/12/10 10:00:00", 0};
    e.testCase.testId = "TC-1";
    e.testCase.expected = text;
    e.testCase.actual = text;
    e.testCase.remarks = text;
    e.testCase.verdict = Verdict::hold;
    return e;
}

void expectSame(const Entry& a, const Entry& b) {
    EXPECT_EQ(a.key.name, b.key.name);
    EXPECT_EQ(a.key.dateTime, b.key.dateTime);
    EXPECT_EQ(a.key.ordinal, b.key.ordinal);
    EXPECT_TRUE(a.testCase == b.testCase);
}

std::vector<Entry> roundTrip(const std::vector<Entry>& entries) {
    const std::string bytes = casefile::write(entries);
    const casefile::ReadResult read = casefile::parse(bytes.data(), bytes.size());
    EXPECT_TRUE(read.ok) << read.error;
    EXPECT_TRUE(read.cuts.empty());
    return read.entries;
}

TEST(CaseFileTest, AnyTextComesBackInEveryField) {
    const std::string texts[] = {
        "",
        "表示ソフト能力",  // trail bytes 0x5C
        "表\\ソ\\",        // a real backslash after each
        "a\tb\tc",
        "一行目\r\n二行目\n三行目\r",
        std::string("nul\0inside", 10),
        "\\t is not a tab, \\x41 is not A",
        everyByte(),
        "\x95",    // a lead byte alone at the end
        "\x95\t",  // a lead byte before a tab, which is no trail byte
        std::string("\x81\0", 2),
        "\xFD\xFE\xFF\x80\xA0",
    };
    for (const std::string& text : texts) {
        Entry e = entryWith(text);
        e.key.name = text.empty() ? "x.bmp" : text;
        e.key.dateTime = text;
        const std::vector<Entry> back = roundTrip({e});
        ASSERT_EQ(back.size(), 1u);
        expectSame(back[0], e);
    }
}

// Random fields of random bytes, written and read back together.
TEST(CaseFileTest, RandomEntriesRoundTrip) {
    std::mt19937 random(35);
    // 32 bytes: within every field's limit (the cut has a test of its own).
    std::uniform_int_distribution<int> byte(0, 255), length(0, 32), verdict(0, 3);
    const auto text = [&] {
        std::string s(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : s)
            c = static_cast<char>(byte(random));
        return s;
    };
    std::vector<Entry> entries;
    for (int i = 0; i < 300; ++i) {
        Entry e;
        e.key = {"n" + text(), text(), i % 1000};
        for (int f = 0; f < testcase::kFieldCount; ++f)
            if (std::string* t = e.testCase.text(static_cast<Field>(f)))
                *t = text();
        e.testCase.verdict = static_cast<Verdict>(verdict(random));
        entries.push_back(e);
    }
    const std::vector<Entry> back = roundTrip(entries);
    ASSERT_EQ(back.size(), entries.size());
    for (std::size_t i = 0; i < back.size(); ++i)
        expectSame(back[i], entries[i]);
    EXPECT_EQ(casefile::write(back), casefile::write(entries));
}

// The file stays readable: Japanese text stands as it is, and the trail
// byte 0x5C of 表 is never doubled nor taken for an escape by the reader.
TEST(CaseFileTest, TrailBytesStandAndAreNeverTakenForAnEscape) {
    Entry e = entryWith("表");
    e.testCase.verdict = Verdict::ng;
    const std::string bytes = casefile::write({e});
    EXPECT_EQ(bytes, std::string("ZCASE\t1\r\n") +
                         "a000001.bmp\t2026/12/10 10:00:00\t0\tTC-1\t\t表\t表\tNG\t\t\t表\r\n");
    // 表 followed by the two bytes \t: the tab escape, not 0x95 and "\\t".
    const std::string file = "ZCASE\t1\na.bmp\tt\t0\t表\\t\t\t\t\t保留\t\t\t\n";
    const casefile::ReadResult read = casefile::parse(file.data(), file.size());
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].testCase.testId, "表\t");
    EXPECT_EQ(read.entries[0].testCase.verdict, Verdict::hold);
}

TEST(CaseFileTest, EachVerdictAndTheLineEndsAHandMadeFileMayHave) {
    for (Verdict v : {Verdict::none, Verdict::ok, Verdict::ng, Verdict::hold}) {
        Entry e = entryWith("x");
        e.testCase.verdict = v;
        const std::vector<Entry> back = roundTrip({e});
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].testCase.verdict, v);
    }
    // LF alone, and no line end after the last line.
    const std::string file = "ZCASE\t1\nb.bmp\tt\t2\t\t\t\t\tOK\t\t\t";
    const casefile::ReadResult read = casefile::parse(file.data(), file.size());
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].key.ordinal, 2);
    EXPECT_TRUE(casefile::parse("ZCASE\t1\r\n", 9).ok);  // no case at all
}

TEST(CaseFileTest, DamagedOrForeignFilesAreRefusedWholeNamingTheLine) {
    const std::string good = "a.bmp\tt\t0\t\t\t\t\tOK\t\t\t\r\n";
    const std::string v = "ZCASE\t1\r\n";
    struct Case {
        std::string file;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"", 1, "空のファイル"},
        {"ZCASE\t2\r\n" + good, 1, "版 2"},
        {"日時,コメント,ファイルパス,テキスト情報\r\n", 1, "ではありません"},
        {"\xEF\xBB\xBFZCASE\t1\r\n", 1, "ではありません"},
        {v + "a.bmp\tt\t0\t\t\t\t\tOK\t\t\r\n", 2, "10 個"},
        {v + "a.bmp\tt\t0\t\t\t\t\tOK\t\t\t\t\r\n", 2, "12 個"},
        {v + good + "a.bmp\tt\t0\t\\q\t\t\t\tOK\t\t\t\r\n", 3, "試験項目番号"},
        {v + "a.bmp\tt\t0\t\t\t\\x4\t\tOK\t\t\t\r\n", 2, "16 進"},
        {v + "a.bmp\tt\t0\t\t\t\tend\\\tOK\t\t\t\r\n", 2, "実施結果"},
        {v + "a.bmp\tt\t0\t\x01\t\t\t\tOK\t\t\t\r\n", 2, "制御文字"},
        {v + "a\rb.bmp\tt\t0\t\t\t\t\tOK\t\t\t\r\n", 2, "画像ファイル名"},
        {v + "a.bmp\tt\t0\t\x95\t\t\t\tOK\t\t\t\r\n", 2, "2 バイト文字"},
        {v + "a.bmp\tt\t01\t\t\t\t\tOK\t\t\t\r\n", 2, "番号"},
        {v + "a.bmp\tt\t-1\t\t\t\t\tOK\t\t\t\r\n", 2, "番号"},
        {v + "a.bmp\tt\t1000\t\t\t\t\tOK\t\t\t\r\n", 2, "番号"},
        {v + "a.bmp\tt\t\t\t\t\t\tOK\t\t\t\r\n", 2, "番号"},
        {v + "a.bmp\tt\t0\t\t\t\t\tok\t\t\t\r\n", 2, "判定"},
        {v + "\tt\t0\t\t\t\t\tOK\t\t\t\r\n", 2, "画像ファイル名がありません"},
        {v + good + "\r\n" + good, 3, "空の行"},
    };
    for (const Case& c : cases) {
        const casefile::ReadResult read = casefile::parse(c.file.data(), c.file.size());
        EXPECT_FALSE(read.ok) << c.file;
        EXPECT_TRUE(read.entries.empty()) << c.file;
        EXPECT_EQ(read.errorLine, c.line) << c.file;
        EXPECT_EQ(read.error.rfind(std::to_string(c.line) + " 行目: ", 0), 0u) << read.error;
        EXPECT_NE(read.error.find(c.says), std::string::npos) << read.error;
    }
}

TEST(CaseFileTest, OverLongTextsAreCutAtACharacterAndReported) {
    Entry e = entryWith("");
    e.testCase.testId = std::string(63, 'a') + "表";  // its trail byte past 64
    e.testCase.remarks = std::string(5000, 'r');
    const std::string bytes = casefile::write({entryWith("ok"), e});
    const casefile::ReadResult read = casefile::parse(bytes.data(), bytes.size());
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].testCase.testId, std::string(63, 'a'));
    EXPECT_EQ(read.entries[1].testCase.remarks.size(), testcase::fieldLimit(Field::remarks));
    ASSERT_EQ(read.cuts.size(), 1u);
    EXPECT_EQ(read.cuts[0].line, 3);
    ASSERT_EQ(read.cuts[0].fields.size(), 2u);
    const std::string message = caseplace::cutMessage(read.cuts);
    EXPECT_NE(message.find("3 行目: 試験項目番号, 備考"), std::string::npos) << message;
}

// The baseline's line: it comes back with the entries, a file without one
// keeps today's bytes, and a reader that knows no baseline (its line taken
// as an ordinary entry) finds an entry that no record's key can name.
TEST(CaseFileTest, TheBaselineLineRoundTripsAndLeavesAFileWithoutOneAsItWas) {
    const std::vector<Entry> entries = {entryWith("表\\x"), entryWith("")};
    const std::string plain = casefile::write(entries);
    // A file of today comes back byte for byte and has no baseline.
    const std::string today = "ZCASE\t1\r\na.bmp\t2026/12/10 10:00:00\t0\tTC-1\t1\t\t\tOK\t\t\t\r\n";
    const casefile::ReadResult old = casefile::parse(today.data(), today.size());
    ASSERT_TRUE(old.ok) << old.error;
    EXPECT_TRUE(old.baseline.empty());
    EXPECT_EQ(casefile::write(old.entries, old.baseline), today);
    const casefile::Baseline baselines[] = {
        {"C:\\証跡\\表示ソフト\\前回.csv", std::string(64, 'a')},
        {"Z:\\a\tb.csv", ""},
    };
    for (const casefile::Baseline& b : baselines) {
        const std::string bytes = casefile::write(entries, b);
        ASSERT_EQ(bytes.compare(0, plain.size(), plain), 0);
        const casefile::ReadResult read = casefile::parse(bytes.data(), bytes.size());
        ASSERT_TRUE(read.ok) << read.error;
        EXPECT_TRUE(read.baseline == b);
        ASSERT_EQ(read.entries.size(), entries.size());
        expectSame(read.entries[0], entries[0]);
        // The line as an older reader splits it: eleven fields, a key name
        // with '?', which no Windows file name has.
        const std::string line = bytes.substr(plain.size());
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 10);
        EXPECT_EQ(line.rfind("?", 0), 0u);
    }
}

TEST(CaseFileTest, ABaselineLineOutOfShapeIsRefusedNamingItsLine) {
    const std::string v = "ZCASE\t1\r\n";
    const std::string line = "?基準\t\t0\t\t\td\t\t未判定\t\t\tC:\\\\a.csv\r\n";
    const std::string cases[] = {
        v + line + line,
        v + "?基準\t\t0\t\t\td\t\t未判定\t\t\t\r\n",
        v + "?基準\tt\t0\t\t\td\t\t未判定\t\t\tC:\\\\a.csv\r\n",
        v + "?基準\t\t0\tTC\t\td\t\t未判定\t\t\tC:\\\\a.csv\r\n",
        v + "?基準\t\t0\t\t\td\t\tOK\t\t\tC:\\\\a.csv\r\n",
    };
    const int lines[] = {3, 2, 2, 2, 2};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const casefile::ReadResult read = casefile::parse(cases[i].data(), cases[i].size());
        EXPECT_FALSE(read.ok) << i;
        EXPECT_EQ(read.errorLine, lines[i]) << i << read.error;
        EXPECT_NE(read.error.find("基準"), std::string::npos) << read.error;
        EXPECT_TRUE(read.baseline.empty());
    }
}

}  // namespace
