// The bytes of the HTML report and the files it copies.
#include "report/report_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Fixture {
    std::vector<HistoryRecord> records;
    std::map<std::string, std::string> files;
    std::vector<std::string> opened;
    ReportOptions options;

    Fixture() {
        options.job.layout = 0;
        options.job.rowsPerPage = 1;
        options.job.imageWidth = -1;
        options.job.descriptionWidth = -1;
        std::strcpy(options.job.folder, "C:\\out");
        std::strcpy(options.job.fileName, "rep");
        options.title = "T";
        options.itemsPerRow = 1;
    }

    void add(const char* comment, const char* imagePath, int relative = 0,
             const char* textFile = "") {
        HistoryRecord record{};
        std::strcpy(record.comment, comment);
        std::strcpy(record.imagePath, imagePath);
        std::strcpy(record.textFile, textFile);
        record.relative = relative;
        records.push_back(record);
    }

    ReportText build() {
        return buildReport(records.data(), static_cast<int>(records.size()), "C:\\hist", options,
                           [this](const std::string& path, std::string& bytes) {
                               opened.push_back(path);
                               const auto found = files.find(path);
                               if (found == files.end())
                                   return false;
                               bytes = found->second;
                               return true;
                           });
    }
};

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(ReportWriter, OneRecordOfLayoutOneIsWrittenByteForByte) {
    Fixture f;
    f.add("見出し", "\\A1.jpg", 1, "a.txt");
    f.files["C:\\hist\\a.txt"] = "x<y\r\nz";
    f.options.itemNumbers = true;
    f.options.imageLinks = true;
    f.options.job.imageWidth = 200;
    f.options.frameColour = 0x0000FF;
    f.options.backgroundColour = 0xFF8000;
    const ReportText report = f.build();
    EXPECT_EQ(report.html,
              "<html><head><title>T</title>\n"
              "<style type=\"text/css\">\n<!-- hr { page-break-after:always} -->\n</style>\n"
              "</head>\n"
              "<BODY bgcolor=#ffffff leftmargin=\"50px\">\n"
              "<table bgcolor='#0080ff'>\n"
              " <tr nowrap bgcolor='#ff0000'>\n\n"
              "  <td colspan='2'>\n   <A name=#1></A>  1.見出し\n  </td>\n"
              " </tr>\n"
              " <tr nowrap bgcolor='#ff0000'>\n\n"
              "  <td>\n   <a target='_blank' href='A1.jpg'>   <img src=A1.jpg width='200' "
              " border='0'></a>\n  </td>\n"
              "  <td>\n   <font size=2>x&lt;y <BR>z</font>\n  </td>\n"
              " </tr>\n"
              " </table>\n"
              "</body></html>");
    ASSERT_EQ(report.copies.size(), 1u);
    EXPECT_EQ(report.copies[0].source, "C:\\hist\\A1.jpg");
    EXPECT_EQ(report.copies[0].destination, "C:\\out\\A1.jpg");
}

TEST(ReportWriter, PagesAreSplitByRulesAndStopAfterTheLastRecord) {
    Fixture f;
    for (int i = 0; i < 5; ++i)
        f.add("c", "C:\\cap\\a.jpg");
    f.options.job.layout = 4;
    f.options.itemsPerRow = 2;
    f.options.job.rowsPerPage = 2;
    std::string html = f.build().html;
    EXPECT_EQ(occurrences(html, "<table "), 2);
    EXPECT_EQ(occurrences(html, "<hr color=white>\n"), 1);
    EXPECT_EQ(html.find("<hr color=white>\n"), html.find(" </table>\n") + 10);
    // Items 0-3 on page one, then item 4 beside one empty cell.
    EXPECT_EQ(occurrences(html, "<A name=#"), 5);
    EXPECT_EQ(occurrences(html, "  <td>\n\n  </td>\n"), 1);
    EXPECT_EQ(occurrences(html, "  <td>\n  </td>\n"), 1);

    f.records.pop_back();
    html = f.build().html;
    EXPECT_EQ(occurrences(html, "<table "), 1);
    EXPECT_EQ(occurrences(html, " <tr "), 4);  // two rows of heading and image lines
    EXPECT_EQ(occurrences(html, "<hr"), 0);
}

TEST(ReportWriter, EachLayoutPutsItsLinesInItsOrder) {
    Fixture f;
    f.add("c", "C:\\cap\\a.jpg", 0, "d.txt");
    f.files["C:\\hist\\d.txt"] = "D";
    const auto order = [&](int layout) {
        f.options.job.layout = layout;
        const std::string html = f.build().html;
        const std::size_t image = html.find("<img");
        const std::size_t text = html.find("<font size=2>D");
        std::string lines;
        for (std::size_t at = html.find(" <tr "); at != std::string::npos;
             at = html.find(" <tr ", at + 1)) {
            const std::size_t end = html.find(" </tr>", at);
            const bool hasImage = image > at && image < end;
            const bool hasText = text > at && text < end;
            lines += hasImage && hasText ? (image < text ? "ID" : "DI")
                     : hasImage          ? "I"
                     : hasText           ? "D"
                                         : "H";
            lines += ' ';
        }
        return lines;
    };
    EXPECT_EQ(order(0), "H ID ");
    EXPECT_EQ(order(1), "H DI ");
    EXPECT_EQ(order(2), "H D I ");
    EXPECT_EQ(order(3), "H I D ");
    EXPECT_EQ(order(4), "H I ");
    EXPECT_EQ(order(5), "H I ");
    f.options.job.layout = 6;
    EXPECT_EQ(f.build().html, "");
}

TEST(ReportWriter, HeadingNumbersAnchorsAndEscapedComments) {
    Fixture f;
    for (int i = 0; i < 7; ++i)
        f.add(i == 6 ? "a<b>&c" : "x", "C:\\cap\\a.jpg");
    f.options.job.rowsPerPage = 10;
    f.options.itemNumbers = true;
    std::string html = f.build().html;
    EXPECT_NE(html.find("   <A name=#7></A>  7.a&lt;b&gt;&amp;c\n  </td>\n"), std::string::npos);
    f.options.itemNumbers = false;
    html = f.build().html;
    EXPECT_NE(html.find("   <A name=#7></A>a&lt;b&gt;&amp;c\n"), std::string::npos);
    EXPECT_EQ(html.find("目次"), std::string::npos);
}

// The contents lines of each column of the cover.
std::vector<int> contentsColumns(const std::string& html) {
    std::vector<int> columns;
    const std::size_t end = html.find("<HR color=white>");
    for (std::size_t at = html.find("<TD valign=top>"); at < end;
         at = html.find("<TD valign=top>", at + 1)) {
        const std::size_t close = html.find("</TD>", at);
        columns.push_back(occurrences(html.substr(at, close - at), "<a href=#"));
    }
    return columns;
}

TEST(ReportWriter, ContentsAreSplitIntoColumns) {
    Fixture f;
    for (int i = 0; i < 10; ++i)
        f.add("c", "C:\\cap\\a.jpg");
    f.options.coverPage = true;
    f.options.tocSplit = 3;
    std::string html = f.build().html;
    EXPECT_EQ(contentsColumns(html), (std::vector<int>{4, 4, 2}));
    EXPECT_NE(html.find("<a href=#10>c</A>\n<BR>\n"), std::string::npos);
    const std::string tail = "<A href=#0><FONT size=2>目次へ</FONT></a>\n</body></html>";
    EXPECT_EQ(html.substr(html.size() - tail.size()), tail);

    f.records.resize(8);
    f.options.tocSplit = 2;
    EXPECT_EQ(contentsColumns(f.build().html), (std::vector<int>{4, 4, 0}));
    f.options.tocSplit = -1;  // from a hand-edited settings file
    EXPECT_EQ(contentsColumns(f.build().html), (std::vector<int>{0}));
}

TEST(ReportWriter, DescriptionTextEscapingAndLineEnds) {
    EXPECT_EQ(reportDescriptionText("a<b\r\nc", false, -2), "<pre>a&lt;b\r\nc</pre>");
    EXPECT_EQ(reportDescriptionText("a<b\r\nc", false, -1), "a&lt;b <BR>c");
    EXPECT_EQ(reportDescriptionText("&&<>>x", false, 300), "&amp;&amp;&lt;&gt;&gt;x");
    EXPECT_EQ(reportDescriptionText("<b>\n</b>", true, -1), "<b><BR></b>");
    EXPECT_EQ(reportDescriptionText(std::string("ab\0<c", 5), false, -1), "ab");
    // 表 ends in 0x5C and ソ in 0x5C too; they stay whole beside a replacement.
    EXPECT_EQ(reportDescriptionText("表<ソ\n", false, -1), "表&lt;ソ<BR>");
}

TEST(ReportWriter, CopiesResolveIntoTheHistoryFolderAndSkipWhatNeedsNoCopy) {
    Fixture f;
    f.add("rel", "\\r.jpg", 1);
    f.add("abs", "D:\\資料\\表\\memo.txt");
    f.add("here", "c:\\OUT\\h.jpg");
    f.add("clash", "D:\\x\\REP.htm");
    f.files["D:\\資料\\表\\memo.txt"] = "m<";
    f.options.itemsPerRow = 4;
    f.options.imageLinks = true;
    ReportText report = f.build();
    ASSERT_EQ(report.copies.size(), 2u);
    EXPECT_EQ(report.copies[0].source, "C:\\hist\\r.jpg");
    EXPECT_EQ(report.copies[1].source, "D:\\資料\\表\\memo.txt");
    EXPECT_EQ(report.copies[1].destination, "C:\\out\\memo.txt");
    EXPECT_NE(report.html.find("<a target='_blank' href='memo.txt'>m&lt;</a>"), std::string::npos);
    EXPECT_NE(report.html.find("<a target='_blank' href='REP.htm'><br></a>"), std::string::npos);

    f.options.copyImages = false;
    EXPECT_TRUE(f.build().copies.empty());
}

TEST(ReportWriter, WidthsNamesAndColours) {
    Fixture f;
    f.add("c", "C:\\my pics\\it's #1.gif");
    f.options.job.imageWidth = 0;
    f.options.job.descriptionWidth = 0;
    std::string html = f.build().html;
    EXPECT_NE(html.find("   <img src=it%27s%20%231.gif width='0'  border='0'>"), std::string::npos);
    EXPECT_NE(html.find("  <td width='0'>\n   <font size=2></font>\n"), std::string::npos);
    EXPECT_TRUE(f.opened.empty());  // no description file, so nothing is opened
    f.options.job.imageWidth = -1;
    EXPECT_NE(f.build().html.find("<img src=it%27s%20%231.gif border='0'>"), std::string::npos);
    EXPECT_EQ(htmlColour(0xFF8000), "#0080ff");
    EXPECT_EQ(htmlColour(0xFF123456), "#563412");
    EXPECT_EQ(bareName("C:\\資料\\表"), "表");
    EXPECT_EQ(bareName("plain.jpg"), "plain.jpg");
}

TEST(ReportWriter, EmptyHistoryAndUnsetCounts) {
    Fixture f;
    std::string html = f.build().html;
    EXPECT_EQ(html.find("<table"), std::string::npos);
    f.options.itemsPerRow = 2;
    html = f.build().html;
    EXPECT_EQ(occurrences(html, "<table "), 1);
    EXPECT_EQ(occurrences(html, "  <td colspan='2'>\n\n  </td>\n"), 2);
    EXPECT_TRUE(f.build().copies.empty());
    // A settings file that never saw the dialog holds zeros here.
    f.add("c", "C:\\cap\\a.jpg");
    f.options.itemsPerRow = 0;
    f.options.job.rowsPerPage = 0;
    EXPECT_EQ(occurrences(f.build().html, "<A name=#1>"), 1);
}

}  // namespace
