// The HTML report as the test-result sheet: a history without test cases
// writes the bytes it did before cases existed; with them, the table before
// the pictures and each record's block beside its picture, every text
// escaped as the report's other texts are.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "report/report_cases.h"
#include "report/report_writer.h"
#include "tests/native/openssl_sha256.h"

namespace {

struct Report {
    std::vector<HistoryRecord> records;
    std::map<std::string, std::string> files;
    ReportOptions options;
    ExportDigests digests;
    RecordCases cases;

    Report() {
        options.job.imageWidth = 320;
        std::strcpy(options.job.folder, "C:\\out");
        std::strcpy(options.job.fileName, "rep");
        options.title = "T<&>";
        options.frameColour = 0x0000FF;
        add("\x95\x5c\x8e\xa6 <b>", "\\a1.jpg", 1, "a1.txt");       // 表示
        add("\x83\x5c\x83\x74\x83\x67", "C:\\cap\\a2.png", 0, "");  // ソフト
        add("text", "\\note.txt", 1, "");
        files["C:\\hist\\a1.txt"] = "line<1>\r\nline 2";
        files["C:\\hist\\note.txt"] = "a & b";
        digests.ofFile = [](const std::string& path, Sha256Digest& out) {
            out = opensslSha256(path);
            return true;
        };
        digests.manifestName = "h.sha256";
    }

    void add(const char* comment, const char* imagePath, int relative, const char* textFile) {
        HistoryRecord record{};
        std::strcpy(record.comment, comment);
        std::strcpy(record.imagePath, imagePath);
        std::strcpy(record.textFile, textFile);
        record.relative = relative;
        records.push_back(record);
    }

    ReportText buildText(const ReportCopyFirst& copyFirst = {}) const {
        const ReportFolder folder{
            [](const std::string& name) { return name; },
            [](const std::string&, const std::string&) { return ReportTarget::free; }};
        return buildReport(
                   records.data(), static_cast<int>(records.size()), "C:\\hist", options,
                   [this](const std::string& path, std::string& bytes) {
                       const auto found = files.find(path);
                       if (found == files.end())
                           return false;
                       bytes = found->second;
                       return true;
                   },
                   folder, {}, digests, cases, {}, copyFirst);
    }
    std::string build() const { return buildText().html; }
};

// The digests of today's reports, taken before the test-result sheet was
// written, for each layout with and without the cover, numbers and
// SHA-256s: a history without cases must keep every byte of them.
TEST(ReportCases, WithoutCasesEveryByteIsAsBefore) {
    struct Case {
        int layout;
        bool extras;  // cover, item numbers, links, two a row, digests
        const char* golden;
    } cases[] = {
        {0, false, "ea04c80bf13e633c321c1e6947cf455c81fda8dd4f0c7a89be6f1d059ad53185"},
        {1, false, "50e013fcbf2f9fe5801de7d1d6c7867e8c6dd082d809108f10fc86780d99e5b7"},
        {2, false, "8ec471c840442d8be063714ae60dcb06d9de64d0ba84c9917341c828200ed376"},
        {3, false, "2ada7b757dfa3e537f2fcaefcefefe0cd1b2a91e9a945f4935bc92aa3494d84f"},
        {4, false, "fedcc7a84df1b955df8d27ca6a0a8d8ec4b8e4c82203dcc87aacad8635566a56"},
        {0, true, "b8e96c81aef696ffbf347c897725bd78efec9ccb1455f80ca9dfbf641dbc5f88"},
        {1, true, "27c014f3b0206ae6f3c680d3e09f57d3c37a4f532f77f329151d297ec5635071"},
        {2, true, "69664af45dbdfe1d97c308834bf15d6afe4b054c725ddbf9415c26aa32729346"},
        {3, true, "6295f1c98e3c6dd57ec241867e09616a272397e55950f112850dcbb2c9539d54"},
        {4, true, "04413a3fda2e141cc52308b3905befe0c25f95f8bafb61f35268c33588738232"},
    };
    for (const Case& c : cases) {
        Report r;
        r.options.job.layout = c.layout;
        if (c.extras) {
            r.options.coverPage = r.options.itemNumbers = r.options.imageLinks = true;
            r.options.itemsPerRow = 2;
            r.options.tocSplit = 2;
            r.options.job.showDigests = true;
        }
        const std::string html = r.build();
        EXPECT_EQ(sha256Hex(opensslSha256(html)), c.golden) << c.layout << " " << c.extras;
    }
}

testcase::TestCase make(const char* id, testcase::Verdict verdict, const char* actual = "") {
    testcase::TestCase c;
    c.testId = id;
    c.verdict = verdict;
    c.actual = actual;
    return c;
}

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Cases whose every field is empty, or a list that does not match the
// records one for one, are no case data: the bytes stay as before.
TEST(ReportCases, EmptyOrMismatchedCasesLeaveTheBytesAlone) {
    Report plain;
    const std::string before = plain.build();
    for (const RecordCases& cases :
         {RecordCases(3), RecordCases{make("T-1", testcase::Verdict::ok)}}) {
        Report r;
        r.cases = cases;
        EXPECT_EQ(r.build(), before);
    }
}

// The table before the first picture links each number to its anchor; an
// NG row, and the NG verdict in the block beside the picture, carry the
// class the style block paints light red.
TEST(ReportCases, TableBeforeThePicturesLinksAndMarksNgRows) {
    for (int layout = 0; layout <= 4; ++layout) {
        Report r;
        r.options.job.layout = layout;
        r.cases = {make("T-1", testcase::Verdict::ok), testcase::TestCase{},
                   make("T-3", testcase::Verdict::ng)};
        const std::string html = r.build();
        const std::size_t table = html.find("<table class=zcases>");
        ASSERT_NE(table, std::string::npos) << layout;
        EXPECT_LT(table, html.find("<img ")) << layout;
        EXPECT_LT(html.find(".ng td, table.zcases td.ng { background-color:#ffc7ce }"),
                  html.find("</style>"));
        for (const char* link : {"<a href=#1>1</a>", "<a href=#2>2</a>", "<a href=#3>3</a>"})
            EXPECT_EQ(occurrences(html, link), 1) << link;
        for (const char* anchor : {"<A name=1>", "<A name=2>", "<A name=3>"})
            EXPECT_EQ(occurrences(html, anchor), 1) << anchor;
        EXPECT_EQ(occurrences(html, "<tr class=ng>"), 1) << layout;
        EXPECT_LT(html.find("<tr class=ng><td><a href=#3>"), html.find("<img "));
        // Two blocks beside pictures (the second record has none), the NG
        // verdict of the third marked.
        EXPECT_EQ(occurrences(html, "   <table class=zcases>\n"), 2) << layout;
        EXPECT_EQ(occurrences(html, "<td class=ng>NG</td>"), 1) << layout;
        EXPECT_NE(html.find("OK 1\x8c\x8f"), std::string::npos);  // OK 1件
        // Each row of the pages holds as many cells per record as before,
        // one more, so that the headings still span their record.
        EXPECT_EQ(occurrences(html, layout <= 1 ? "<td colspan='3'>" : "<td colspan='2'>"), 3)
            << layout;
    }
}

// The table and the pictures' cells show one digest a record, taken once:
// each was a second read of a whole picture. The shell that copies first is
// handed the copies the report lists, before the first digest is asked for.
TEST(ReportCases, EachDigestIsTakenOnceAfterTheCopiesAreHanded) {
    for (const bool showDigests : {true, false}) {
        Report r;
        r.options.job.showDigests = showDigests;
        r.cases = {make("T-1", testcase::Verdict::ok), {}, make("T-3", testcase::Verdict::ng)};
        std::vector<std::string> asked;
        std::vector<ReportCopy> handed;
        bool handedFirst = false;
        r.digests.ofFile = [&](const std::string& path, Sha256Digest& out) {
            asked.push_back(path);
            out = opensslSha256(path);
            return true;
        };
        const ReportText text = r.buildText([&](const std::vector<ReportCopy>& copies) {
            handedFirst = asked.empty();
            handed = copies;
        });
        EXPECT_TRUE(handedFirst);
        ASSERT_EQ(handed.size(), text.copies.size());
        for (std::size_t i = 0; i < handed.size(); ++i) {
            EXPECT_EQ(handed[i].source, text.copies[i].source);
            EXPECT_EQ(handed[i].destination, text.copies[i].destination);
        }
        EXPECT_EQ(asked, (std::vector<std::string>{"C:\\hist\\a1.jpg", "C:\\cap\\a2.png",
                                                   "C:\\hist\\note.txt"}));
        EXPECT_EQ(occurrences(text.html, sha256Hex(opensslSha256("C:\\cap\\a2.png"))),
                  showDigests ? 2 : 1);
    }
}

// Case texts go through the report's escaping: markup characters become
// entities, quotes stay inert text (they are never put in an attribute), a
// second byte 0x5C stays with its character, a lone lead byte cannot eat
// the '<' after it, and line ends become <BR>.
TEST(ReportCases, EveryCaseTextIsEscapedAsTheReportsOtherTexts) {
    struct Case {
        const char* what;
        std::string text;
        std::string shown;
    } cases[] = {
        {"markup", "<b>&\"'</b>", "&lt;b&gt;&amp;\"'&lt;/b&gt;"},
        {"second bytes 0x5C", "\x95\x5c\x83\x5c\\", "\x95\x5c\x83\x5c\\"},
        {"lone lead byte before markup", "a\x95<", "a?&lt;"},
        {"lone lead byte at the end", "a\x95", "a?"},
        {"lone lead byte before a line end", "a\x95\r\nb", "a?<BR>b"},
        {"line ends", "1\r\n2\n3\r4", "1<BR>2<BR>3<BR>4"},
        {"blank lines", "\r\n\r\nx", "<BR><BR>x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(report_cases::caseText(c.text), c.shown) << c.what;
        Report r;
        testcase::TestCase tc;
        tc.testId = tc.step = tc.expected = tc.actual = tc.tester = tc.date = tc.remarks = c.text;
        r.cases = {tc, {}, {}};
        const std::string html = r.build();
        // Seven fields in the table and seven in the block.
        EXPECT_EQ(occurrences(html, "<td>" + c.shown + "</td>"), 14) << c.what;
        if (c.text.find('<') != std::string::npos) {
            EXPECT_EQ(html.find("<b>&"), std::string::npos) << c.what;
        }
    }
}

}  // namespace
