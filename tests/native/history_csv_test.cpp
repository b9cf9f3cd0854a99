// The CSV history file: line ends and pieces, the header, the line parser, the
// record limit, the writer's exact bytes and the quoting of commas.
#include "history/history_csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "history/history_paths.h"

namespace {

const std::string kHeader(kHistoryCsvHeader, kHistoryCsvHeaderLength);

std::unique_ptr<History> emptyHistory() {
    return std::make_unique<History>("C:\\start");
}

// Feeds the file the way the Win32 side reads it: 128 bytes at a time, and
// no further once the reader has stopped.
void feedInPieces(HistoryCsvReader& reader, const std::string& file,
                  std::size_t pieceSize = kHistoryReadPieceSize) {
    for (std::size_t at = 0; at < file.size() && reader.wantsMore(); at += pieceSize)
        reader.feed(file.data() + at, std::min(pieceSize, file.size() - at));
    reader.finish();
}

// Reads a whole file into a fresh history.
std::unique_ptr<History> readFile(const std::string& file,
                                  std::size_t pieceSize = kHistoryReadPieceSize) {
    auto h = emptyHistory();
    HistoryCsvReader reader(*h);
    feedInPieces(reader, file, pieceSize);
    return h;
}

HistoryRecord makeRecord(const std::string& dateTime, const std::string& comment,
                         const std::string& imagePath, const std::string& textFile,
                         int32_t relative) {
    HistoryRecord r{};
    std::strcpy(r.dateTime, dateTime.c_str());
    std::strcpy(r.comment, comment.c_str());
    std::strcpy(r.imagePath, imagePath.c_str());
    std::strcpy(r.textFile, textFile.c_str());
    r.relative = relative;
    return r;
}

HistoryRecord parse(const std::string& line) {
    HistoryRecord r;
    std::memset(&r, 'x', sizeof r);
    EXPECT_TRUE(parseHistoryLine(line.data(), line.size(), r)) << line;
    return r;
}

::testing::AssertionResult sameRecord(const HistoryRecord& actual, const HistoryRecord& expected) {
    const auto field = [](const char* name, const char* a, const char* e) {
        return std::string(a) == e ? std::string()
                                   : std::string(name) + " \"" + a + "\" != \"" + e + "\" ";
    };
    std::string diff = field("dateTime", actual.dateTime, expected.dateTime) +
                       field("comment", actual.comment, expected.comment) +
                       field("imagePath", actual.imagePath, expected.imagePath) +
                       field("textFile", actual.textFile, expected.textFile);
    if (actual.relative != expected.relative)
        diff += "relative " + std::to_string(actual.relative) +
                " != " + std::to_string(expected.relative);
    if (diff.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << diff;
}

std::string recordLine(int i) {
    return "2004/07/16 10:23:45,rec" + std::to_string(i) + ",\\a" + std::to_string(i) + ".jpg,\r\n";
}

// --- Pieces, line ends and the header ---------------------------------------

TEST(HistoryCsvReader, EmptyFileIsAnEmptyHistoryNotAFailure) {
    auto h = emptyHistory();
    h->count = 7;
    HistoryCsvReader reader(*h);
    EXPECT_EQ(h->count, 0);
    reader.finish();
    EXPECT_TRUE(reader.receivedNothing());
    EXPECT_FALSE(reader.headerSeen());
    EXPECT_FALSE(reader.firstPieceHadNoLineEnd());
    EXPECT_EQ(h->count, 0);
}

TEST(HistoryCsvReader, HeaderWithoutLineEndInTheFirstPieceStopsAtOnce) {
    const std::string file = std::string(200, 'h') + "\r\n" + recordLine(0) + recordLine(1);
    auto h = emptyHistory();
    HistoryCsvReader reader(*h);
    // The Win32 side looks right after the first piece and closes the file.
    reader.feed(file.data(), kHistoryReadPieceSize);
    EXPECT_TRUE(reader.firstPieceHadNoLineEnd());
    EXPECT_FALSE(reader.wantsMore());
    reader.feed(file.data() + kHistoryReadPieceSize, file.size() - kHistoryReadPieceSize);
    reader.finish();
    EXPECT_FALSE(reader.headerSeen());
    EXPECT_FALSE(reader.receivedNothing());
    EXPECT_EQ(h->count, 0);
}

TEST(HistoryCsvReader, FirstPieceLineEndMustBeCuttableWithinIt) {
    const auto firstPieceFails = [](const std::string& header) {
        auto h = emptyHistory();
        HistoryCsvReader reader(*h);
        feedInPieces(reader, header + recordLine(0));
        EXPECT_EQ(h->count, reader.firstPieceHadNoLineEnd() ? 0 : 1);
        return reader.firstPieceHadNoLineEnd();
    };
    // CR at byte 126, LF at 127: the pair is whole in the first piece.
    EXPECT_FALSE(firstPieceFails(std::string(126, 'h') + "\r\n"));
    // CR as the last byte of the first piece has to wait for the second.
    EXPECT_TRUE(firstPieceFails(std::string(127, 'h') + "\r\n"));
    EXPECT_FALSE(firstPieceFails(std::string(126, 'h') + "\n"));
    EXPECT_TRUE(firstPieceFails(std::string(127, 'h') + "\n"));
    // Once the buffer holds a CR only the CR counts, even behind an LF.
    EXPECT_TRUE(firstPieceFails("h\n" + std::string(125, 'h') + "\r\n"));
}

TEST(HistoryCsvReader, ShortFileIsJudgedWhenItEnds) {
    auto h = emptyHistory();
    HistoryCsvReader noLineEnd(*h);
    noLineEnd.feed("no line end", 11);
    EXPECT_TRUE(noLineEnd.wantsMore());
    noLineEnd.finish();
    EXPECT_TRUE(noLineEnd.firstPieceHadNoLineEnd());

    // A header-only file from an LF editor: its only line end is the last
    // byte, and at the end of the file there is nothing left to wait for.
    HistoryCsvReader headerOnly(*h);
    feedInPieces(headerOnly, "日時\n");
    EXPECT_TRUE(headerOnly.headerSeen());
    EXPECT_FALSE(headerOnly.firstPieceHadNoLineEnd());
    EXPECT_EQ(h->count, 0);
}

TEST(HistoryCsvReader, CrLfSplitBetweenPiecesIsOneLineEnd) {
    const std::string prefix = "2004/07/16 10:23:45,first,\\a1.jpg,";
    const std::string padding(255 - kHeader.size() - prefix.size(), 't');
    const std::string file = kHeader + prefix + padding + "\r\n" + recordLine(2);
    ASSERT_EQ(file[255], '\r');
    ASSERT_EQ(file[256], '\n');
    auto h = readFile(file);
    ASSERT_EQ(h->count, 2);
    EXPECT_EQ(std::string(h->records[0].textFile), padding);
    // Cut at the lone CR, the LF would have opened the next line.
    EXPECT_STREQ(h->records[1].dateTime, "2004/07/16 10:23:45");
    EXPECT_STREQ(h->records[1].comment, "rec2");
}

TEST(HistoryCsvReader, LfOnlyFile) {
    const std::string lines = "日時\nA,b,\\c.jpg,d.txt\nE,f,g.jpg,\n";
    auto h = readFile(lines);
    ASSERT_EQ(h->count, 2);
    EXPECT_TRUE(sameRecord(h->records[0], makeRecord("A", "b", "\\c.jpg", "d.txt", 1)));
    // The last line's LF is the file's last byte and still ends the line.
    EXPECT_TRUE(sameRecord(h->records[1], makeRecord("E", "f", "g.jpg", "", 0)));

    EXPECT_EQ(readFile("日時\nA,b,c,d\nE,f,g,h")->count, 1);
}

TEST(HistoryCsvReader, TextAfterTheLastLineEndIsIgnored) {
    auto h = readFile(kHeader + recordLine(0) + "2004/07/16 10:23:45,cut off,\\a.jpg,");
    ASSERT_EQ(h->count, 1);
    EXPECT_STREQ(h->records[0].comment, "rec0");
}

TEST(HistoryCsvReader, LoneCrEndsALineAndKeepsTheNextByte) {
    auto h = readFile("日時\rA,b,c,d\rE,f,g,h\r");
    ASSERT_EQ(h->count, 2);
    EXPECT_STREQ(h->records[0].dateTime, "A");
    EXPECT_STREQ(h->records[1].dateTime, "E");
    EXPECT_STREQ(h->records[1].textFile, "h");
}

TEST(HistoryCsvReader, CrComesFirstAndPieceSizesDoNotMatter) {
    // With a CR in the buffer the LF before it is part of the line.
    const std::string file = "日時\r\nA,b\nc,d\r\nE,f,g,h\r\n";
    for (std::size_t pieceSize : {std::size_t{1}, std::size_t{5}, kHistoryReadPieceSize}) {
        auto h = readFile(file, pieceSize);
        ASSERT_EQ(h->count, 2) << pieceSize;
        EXPECT_TRUE(sameRecord(h->records[0], makeRecord("A", "b\nc", "d", "", 0))) << pieceSize;
        EXPECT_TRUE(sameRecord(h->records[1], makeRecord("E", "f", "g", "h", 0))) << pieceSize;
    }
}

TEST(HistoryCsvReader, AnyHeaderIsDroppedAndEmptyLinesSkipped) {
    auto h = readFile("2004/07/16 10:23:45,not,a,header\r\n\r\n\r\n" + recordLine(0) + "\r\n" +
                      recordLine(1) + "\r\n");
    ASSERT_EQ(h->count, 2);
    EXPECT_STREQ(h->records[0].comment, "rec0");
    EXPECT_STREQ(h->records[1].comment, "rec1");
}

// --- The record limit ----------------------------------------------------

std::string fileOfRecords(int n) {
    std::string file = kHeader;
    for (int i = 0; i < n; ++i)
        file += recordLine(i);
    return file;
}

TEST(HistoryCsvReader, ExactlyTheMaximumLoadsWithoutTheLimitFlag) {
    auto h = emptyHistory();
    HistoryCsvReader reader(*h);
    // Empty lines and an unfinished line after the last record are no records.
    feedInPieces(reader, fileOfRecords(kRecordMaximum) + "\r\n\r\ntrailing text");
    EXPECT_FALSE(reader.limitExceeded());
    ASSERT_EQ(h->count, kRecordMaximum);
    EXPECT_STREQ(h->records[kRecordMaximum - 1].comment, "rec999");
}

TEST(HistoryCsvReader, OneRecordTooManyKeepsTheFirstThousandAndStops) {
    auto h = emptyHistory();
    HistoryCsvReader reader(*h);
    const std::string file = fileOfRecords(kRecordMaximum + 5);
    std::size_t fed = 0;
    while (fed < file.size() && reader.wantsMore()) {
        const std::size_t n = std::min(kHistoryReadPieceSize, file.size() - fed);
        reader.feed(file.data() + fed, n);
        fed += n;
    }
    EXPECT_TRUE(reader.limitExceeded());
    EXPECT_LT(fed, file.size());
    reader.finish();
    ASSERT_EQ(h->count, kRecordMaximum);
    EXPECT_STREQ(h->records[0].comment, "rec0");
    EXPECT_STREQ(h->records[kRecordMaximum - 1].comment, "rec999");
}

// --- The line parser -------------------------------------------------------

TEST(HistoryCsvParser, FieldsByTheFirstThreeCommas) {
    EXPECT_TRUE(sameRecord(parse("a,b,"), makeRecord("a", "b", "", "", 0)));
    EXPECT_TRUE(sameRecord(parse("a,b,c"), makeRecord("a", "b", "c", "", 0)));
    EXPECT_TRUE(sameRecord(parse("a,b,c,"), makeRecord("a", "b", "c", "", 0)));
    EXPECT_TRUE(sameRecord(parse("a,b,c,d,e,f"), makeRecord("a", "b", "c", "d,e,f", 0)));
    EXPECT_TRUE(sameRecord(parse(",,,"), makeRecord("", "", "", "", 0)));
}

TEST(HistoryCsvParser, ShortLinesFillWhatFieldsThereAre) {
    EXPECT_TRUE(sameRecord(parse("only a date"), makeRecord("only a date", "", "", "", 0)));
    EXPECT_TRUE(sameRecord(parse("a,heading"), makeRecord("a", "heading", "", "", 0)));
    HistoryRecord r;
    EXPECT_FALSE(parseHistoryLine("", 0, r));
}

TEST(HistoryCsvParser, RelativeFollowsTheStoredPath) {
    EXPECT_EQ(parse("a,b,\\x.jpg,").relative, 1);
    EXPECT_EQ(parse("a,b,C:\\x.jpg,").relative, 0);
    EXPECT_EQ(parse("a,b,\\\\srv\\x.jpg,").relative, 0);
    EXPECT_EQ(parse("a,b,表\\x.jpg,").relative, 0);
    EXPECT_EQ(parse("a,b,,").relative, 0);
}

TEST(HistoryCsvParser, DoubleByteTextAroundTheCommas) {
    EXPECT_TRUE(sameRecord(parse("表,ソ,\\表能,能"), makeRecord("表", "ソ", "\\表能", "能", 1)));
}

TEST(HistoryCsvParser, ALoneLeadByteEndingAFieldKeepsTheCommaOrQuoteAfterIt) {
    // A lead byte pairs only with a trail byte; neither ',' nor '"' is one.
    EXPECT_TRUE(sameRecord(parse("d\x81,c\x9F,\\p\xE0,t\xFC"),
                           makeRecord("d\x81", "c\x9F", "\\p\xE0", "t\xFC", 1)));
    auto h = emptyHistory();
    h->records[0] = makeRecord("\x81", "a,\x81", "C:\\x,\x81", "\"\x81", 0);
    h->records[1] = makeRecord("x", "\x81\"", "\\\x81", "\x81,\x81", 1);
    h->count = 2;
    auto back = readFile(formatHistoryCsv(*h));
    ASSERT_EQ(back->count, 2);
    EXPECT_TRUE(sameRecord(back->records[0], h->records[0]));
    EXPECT_TRUE(sameRecord(back->records[1], h->records[1]));
}

TEST(HistoryCsvParser, LongFieldsAreCutWithoutSplittingACharacter) {
    const std::string comment = std::string(127, 'c') + "表";
    const std::string path = std::string(258, 'p') + "ソ";
    const std::string text(300, 't');
    const HistoryRecord r =
        parse("2004/07/16 10:23:45 and more," + comment + "," + path + "," + text);
    EXPECT_STREQ(r.dateTime, "2004/07/16 10:23:45");
    EXPECT_EQ(std::string(r.comment), std::string(127, 'c'));
    EXPECT_EQ(std::string(r.imagePath), std::string(258, 'p'));
    EXPECT_EQ(std::string(r.textFile), std::string(259, 't'));
}

// --- The writer ------------------------------------------------------------

TEST(HistoryCsvWriter, HeaderIsTheFixedCp932Bytes) {
    const unsigned char expected[] = {
        0x93, 0xFA, 0x8E, 0x9E, ',',  0x83, 0x52, 0x83, 0x81, 0x83, 0x93, 0x83, 0x67, ',',
        0x83, 0x74, 0x83, 0x40, 0x83, 0x43, 0x83, 0x8B, 0x83, 0x70, 0x83, 0x58, ',',  0x83,
        0x65, 0x83, 0x4C, 0x83, 0x58, 0x83, 0x67, 0x8F, 0xEE, 0x95, 0xF1, '\r', '\n'};
    ASSERT_EQ(sizeof expected, 41u);
    EXPECT_EQ(std::strlen(kHistoryCsvHeader), sizeof expected);
    EXPECT_EQ(kHeader, std::string(reinterpret_cast<const char*>(expected), sizeof expected));
    EXPECT_EQ(formatHistoryCsv(*emptyHistory()), kHeader);
}

TEST(HistoryCsvWriter, FileWithoutCommasInFieldsIsTheUnquotedFormat) {
    auto h = emptyHistory();
    h->records[0] = makeRecord("2004/07/16 10:23:45", "売上集計", "C:\\hist\\a000012.jpg", "", 1);
    h->records[1] = makeRecord("2004/07/16 10:24:00", "say \"hi\"", "D:\\cap\\b1.bmp", "b1.txt", 0);
    h->records[2] = makeRecord("", "", "", "", 0);
    h->records[3] = makeRecord("user text", "表", "C:\\資料\\表", "ソ.txt", 1);
    h->records[4] = makeRecord("2004/07/16 10:25:00", "dropped", "c5.jpg", "", 1);
    h->count = 5;
    const std::string expected =
        "日時,コメント,ファイルパス,テキスト情報\r\n"
        "2004/07/16 10:23:45,売上集計,\\a000012.jpg,\r\n"
        "2004/07/16 10:24:00,say \"hi\",D:\\cap\\b1.bmp,b1.txt\r\n"
        ",,,\r\n"
        "user text,表,\\表,ソ.txt\r\n"
        "2004/07/16 10:25:00,dropped,c5.jpg,\r\n";
    EXPECT_EQ(formatHistoryCsv(*h), expected);
}

TEST(HistoryCsvWriter, RelativeRecordReadsBackAsItsFilePart) {
    auto h = emptyHistory();
    h->records[0] = makeRecord("2004/07/16 10:23:45", "c", "C:\\資料\\表.jpg", "", 1);
    h->count = 1;
    auto back = readFile(formatHistoryCsv(*h));
    ASSERT_EQ(back->count, 1);
    EXPECT_TRUE(
        sameRecord(back->records[0], makeRecord("2004/07/16 10:23:45", "c", "\\表.jpg", "", 1)));
    char resolved[kPathSize];
    resolvedImagePath(back->records[0], "D:\\new", resolved);
    EXPECT_STREQ(resolved, "D:\\new\\表.jpg");
}

// --- Quoting ----------------------------------------------------------------

std::string lineOf(const HistoryRecord& r) {
    std::string out;
    appendHistoryLine(out, r);
    return out;
}

TEST(HistoryCsvQuoting, FieldsWithCommasOrALeadingQuoteAreQuoted) {
    EXPECT_EQ(lineOf(makeRecord("2004/07/16, 10:23", "a,b", "C:\\x,y\\z.jpg", "t,u.txt", 0)),
              "\"2004/07/16, 10:23\",\"a,b\",\"C:\\x,y\\z.jpg\",\"t,u.txt\"\r\n");
    EXPECT_EQ(lineOf(makeRecord("d", "say \"hi\", then", "p", "\"t\"", 0)),
              "d,\"say \"\"hi\"\", then\",p,\"\"\"t\"\"\"\r\n");
    // Only the stored file part is looked at, not the folder it came from.
    EXPECT_EQ(lineOf(makeRecord("d", "c", "C:\\a,b\\x.jpg", "", 1)), "d,c,\\x.jpg,\r\n");
}

TEST(HistoryCsvQuoting, QuotedFieldsRoundTrip) {
    const std::vector<HistoryRecord> records = {
        makeRecord("2004/07/16, 10:23", "a,b", "C:\\x,y\\z.jpg", "t,u.txt", 0),
        makeRecord("\"", "\"quoted\"", "\"C:\\q.jpg", "\"", 0),
        makeRecord("\"\"", ",", "\\a,\"b\".jpg", ",,,", 1),
        makeRecord("表,ソ", "\"表\",\"ソ\"", "C:\\能,表\\x.jpg", "\"能\",", 0),
        makeRecord("", "\",", "", "\"a\"b", 0),
    };
    auto h = emptyHistory();
    for (const HistoryRecord& r : records)
        h->records[h->count++] = r;
    auto back = readFile(formatHistoryCsv(*h));
    ASSERT_EQ(back->count, static_cast<int>(records.size()));
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_TRUE(sameRecord(back->records[i], records[i])) << i;
}

TEST(HistoryCsvQuoting, OldFieldThatMerelyBeginsWithAQuoteReadsRaw) {
    EXPECT_TRUE(sameRecord(parse("d,\"Re: x\" - mail,C:\\a.jpg,"),
                           makeRecord("d", "\"Re: x\" - mail", "C:\\a.jpg", "", 0)));
    EXPECT_TRUE(sameRecord(parse("d,\"unclosed,C:\\a.jpg,"),
                           makeRecord("d", "\"unclosed", "C:\\a.jpg", "", 0)));
    // The last field takes the rest of the line, so it is quoted only when
    // its closing quote ends the line.
    EXPECT_TRUE(
        sameRecord(parse("d,c,p,\"a\",\"b\""), makeRecord("d", "c", "p", "\"a\",\"b\"", 0)));
    EXPECT_TRUE(sameRecord(parse("d,c,p,\"a\"b"), makeRecord("d", "c", "p", "\"a\"b", 0)));
    // Old and new cannot be told apart when the whole field is in quotes.
    EXPECT_TRUE(sameRecord(parse("d,\"a\",p,"), makeRecord("d", "a", "p", "", 0)));
}

TEST(HistoryCsvQuoting, QuotedFieldLongerThanItsFieldIsCut) {
    const std::string comment = "\"" + std::string(127, ',') + "表\"";
    EXPECT_EQ(std::string(parse("d," + comment + ",p,").comment), std::string(127, ','));
    EXPECT_STREQ(parse("d," + comment + ",p,").imagePath, "p");
}

// --- Damaged texts and paths outside the history folder -------------------

TEST(HistoryCsvWriter, LineEndsInsideFieldsAreWrittenAsBlanks) {
    // Such fields come only from a damaged file, where a CR before a later LF
    // leaves the LF inside the line; written back, they would split records.
    const HistoryRecord r = makeRecord("a\rb", "c\nd", "C:\\x\r\ny.jpg", "t,\n", 0);
    EXPECT_EQ(lineOf(r), "a b,c d,C:\\x  y.jpg,\"t, \"\r\n");
    auto h = emptyHistory();
    h->records[0] = r;
    h->count = 1;
    auto back = readFile(formatHistoryCsv(*h));
    ASSERT_EQ(back->count, 1);
    EXPECT_TRUE(sameRecord(back->records[0], makeRecord("a b", "c d", "C:\\x  y.jpg", "t, ", 0)));
}

TEST(HistoryCsvWriter, FullPathsThatLookRelativeSurviveASaveAndAReload) {
    struct Case {
        const char* path;
        int32_t relative;
        const char* stored;
    };
    const Case cases[] = {
        // A capture folder on the current drive, with and without a comma.
        {"\\captures\\AAA1.jpg", 0, "\"\"\"\\captures\\AAA1.jpg\""},
        {"\\cap,tures\\AAA1.jpg", 0, "\"\"\"\\cap,tures\\AAA1.jpg\""},
        {"\\AAA1.jpg", 0, "\"\"\"\\AAA1.jpg\""},
        // Text that looks like the mark is marked again.
        {"\"\\x.jpg", 0, "\"\"\"\"\"\\x.jpg\""},
        // A relative path from an older file keeps its folder part.
        {"\\old\\AAA1.jpg", 1, "\\old\\AAA1.jpg"},
        // Unchanged: a full path, a file part, a network path.
        {"C:\\cap\\AAA1.jpg", 1, "\\AAA1.jpg"},
        {"C:\\cap\\AAA1.jpg", 0, "C:\\cap\\AAA1.jpg"},
        {"\\\\srv\\AAA1.jpg", 0, "\\\\srv\\AAA1.jpg"},
    };
    auto h = emptyHistory();
    for (const Case& c : cases) {
        const HistoryRecord r = makeRecord("d", "c", c.path, "", c.relative);
        EXPECT_EQ(lineOf(r), std::string("d,c,") + c.stored + ",\r\n") << c.path;
        h->records[h->count++] = r;
    }
    auto back = readFile(formatHistoryCsv(*h));
    ASSERT_EQ(back->count, h->count);
    for (int i = 0; i < h->count; ++i) {
        const Case& c = cases[i];
        const bool filePartOnly = c.relative == 1 && c.path[0] != '\\';
        const HistoryRecord expected = filePartOnly ? makeRecord("d", "c", "\\AAA1.jpg", "", 1)
                                                    : makeRecord("d", "c", c.path, "", c.relative);
        EXPECT_TRUE(sameRecord(back->records[i], expected)) << c.path;
    }
}

TEST(HistoryCsvParser, FilesWithoutTheMarkReadAsBefore) {
    // What the plain writer and the quoting writer left behind stays relative.
    EXPECT_EQ(parse("d,c,\\captures\\AAA1.jpg,").relative, 1);
    EXPECT_EQ(parse("d,c,\"\\a,b.jpg\",").relative, 1);
    EXPECT_TRUE(sameRecord(parse("d,c,\"\\a.jpg\",t"), makeRecord("d", "c", "\\a.jpg", "t", 1)));
    EXPECT_TRUE(sameRecord(parse("d,c,\"\"\"x\",t"), makeRecord("d", "c", "\"x", "t", 0)));
    // The mark counts only inside quotes.
    EXPECT_TRUE(sameRecord(parse("d,c,\"\\a.jpg,t"), makeRecord("d", "c", "\"\\a.jpg", "t", 0)));
}

// --- Round trip of random records -------------------------------------------

class RandomText {
  public:
    explicit RandomText(std::mt19937& rng) : rng_(rng) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    // Up to maxBytes of well-formed CP932 without CR, LF or NUL. Commas,
    // quotes and trail bytes of 0x5C are frequent on purpose.
    std::string text(std::size_t maxBytes, bool backslashes) {
        std::size_t target = 0;
        switch (below(4)) {
            case 0:
                break;
            case 1:
                target = maxBytes;
                break;
            default:
                target = static_cast<std::size_t>(below(static_cast<int>(maxBytes) + 1));
        }
        std::string out;
        for (;;) {
            const std::string c = character(backslashes);
            if (out.size() + c.size() > target)
                return out;
            out += c;
        }
    }

  private:
    std::string character(bool backslashes) {
        static const char kAscii[] = "abcXYZ019 .-_:/!#=\t";
        static const unsigned char kLeadsOf5C[] = {0x83, 0x94, 0x95, 0x8F, 0xE0, 0xFC};
        switch (below(8)) {
            case 0:
                return ",";
            case 1:
                return "\"";
            case 2:
                return backslashes ? "\\" : "_";
            case 3:
                return std::string(1, static_cast<char>(0xA1 + below(0xDF - 0xA1 + 1)));
            case 4:
                return std::string{static_cast<char>(kLeadsOf5C[below(sizeof kLeadsOf5C)]), '\\'};
            case 5: {
                const int lead =
                    below(2) ? 0x81 + below(0x9F - 0x81 + 1) : 0xE0 + below(0xFC - 0xE0 + 1);
                int trail = 0x40 + below(0xFC - 0x40);  // 0x40-0xFB, then skip 0x7F
                if (trail >= 0x7F)
                    ++trail;
                return std::string{static_cast<char>(lead), static_cast<char>(trail)};
            }
            default:
                return std::string(1, kAscii[below(sizeof kAscii - 1)]);
        }
    }

    std::mt19937& rng_;
};

HistoryRecord randomRecord(RandomText& random) {
    HistoryRecord r{};
    const auto put = [](char* field, const std::string& text) {
        std::memcpy(field, text.c_str(), text.size() + 1);
    };
    put(r.dateTime, random.text(kDateTimeSize - 1, true));
    put(r.comment, random.text(kCommentSize - 1, true));
    put(r.textFile, random.text(kPathSize - 1, true));
    // Paths as the history holds them after a read: a record of the history
    // folder is its file part alone, any other path never looks relative.
    switch (random.below(4)) {
        case 0:
            put(r.imagePath, "\\" + random.text(kPathSize - 2, false));
            r.relative = 1;
            break;
        case 1:
            put(r.imagePath, "C:\\" + random.text(kPathSize - 4, true));
            break;
        case 2:
            put(r.imagePath, "\\\\srv\\" + random.text(kPathSize - 7, true));
            break;
        default:
            put(r.imagePath, "x" + random.text(kPathSize - 2, true));
    }
    return r;
}

TEST(HistoryCsvRoundTrip, RandomRecordsInRandomPiecesComeBackUnchanged) {
    std::mt19937 rng(20040716);
    RandomText random(rng);
    const int counts[] = {kRecordMaximum, 1, 0, kRecordMaximum, 517, 999};
    for (const int count : counts) {
        auto h = emptyHistory();
        for (int i = 0; i < count; ++i)
            h->records[i] = randomRecord(random);
        h->count = count;
        const std::string file = formatHistoryCsv(*h);

        auto back = emptyHistory();
        HistoryCsvReader reader(*back);
        for (std::size_t at = 0; at < file.size();) {
            const std::size_t n =
                std::min(static_cast<std::size_t>(1 + random.below(300)), file.size() - at);
            reader.feed(file.data() + at, n);
            at += n;
        }
        reader.finish();
        EXPECT_FALSE(reader.limitExceeded());
        ASSERT_EQ(back->count, count);
        for (int i = 0; i < count; ++i) {
            std::string line;
            appendHistoryLine(line, h->records[i]);
            ASSERT_TRUE(sameRecord(back->records[i], h->records[i]))
                << "record " << i << " of " << count << ", line " << line;
        }
    }
}

}  // namespace
