// The bytes of the HTML report and the files it copies.
#include "report/report_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "report/workbook_text.h"

namespace {

struct Fixture {
    std::vector<HistoryRecord> records;
    std::map<std::string, std::string> files;
    std::vector<std::string> opened;
    // The output folder's files by their folded paths, and what they hold.
    std::map<std::string, std::string> outFiles;
    ReportOptions options;
    PictureFiles pictures;  // none: every record's own file
    ExportDigests digests;

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

    static std::string key(const std::string& name) {
        return workbook_text::foldCase(workbook_text::fromCp932(name));
    }

    // m.png annotated with its flattened picture; s.png masked without one.
    void annotateMAndMaskS() {
        files["C:\\hist\\m.png.zan"] = "ZAN 1\r\nmask 1 1 4 4 000000\r\n";
        files["C:\\hist\\m_ann.png"] = "flat";
        files["C:\\hist\\s.png.zan"] = "ZAN 1\r\nmask 1 1 4 4 000000\r\n";
        pictures.exists = [this](const std::string& path) { return files.count(path) > 0; };
        pictures.read = [this](const std::string& path, std::string& bytes) {
            bytes = files[path];
            return true;
        };
    }

    void inOutputFolder(const std::string& name, const std::string& bytes) {
        outFiles[key("C:\\out\\" + name)] = bytes;
    }

    ReportText build() {
        const ReportFolder folder{key, [this](const std::string& source, const std::string& to) {
                                      const auto there = outFiles.find(key(to));
                                      if (there == outFiles.end())
                                          return ReportTarget::free;
                                      const auto from = files.find(source);
                                      return from != files.end() && from->second == there->second
                                                 ? ReportTarget::sameBytes
                                                 : ReportTarget::taken;
                                  }};
        return buildReport(
            records.data(), static_cast<int>(records.size()), "C:\\hist", options,
            [this](const std::string& path, std::string& bytes) {
                opened.push_back(path);
                const auto found = files.find(path);
                if (found == files.end())
                    return false;
                bytes = found->second;
                return true;
            },
            folder, pictures, digests);
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
              "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
              "charset=Shift_JIS\">\n<title>T</title>\n"
              "<style type=\"text/css\">\n<!-- hr { page-break-after:always} -->\n</style>\n"
              "</head>\n"
              "<BODY bgcolor=#ffffff leftmargin=\"50px\">\n"
              "<table bgcolor='#0080ff'>\n"
              " <tr nowrap bgcolor='#ff0000'>\n\n"
              "  <td colspan='2'>\n   <A name=1></A>  1.見出し\n  </td>\n"
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
    EXPECT_EQ(occurrences(html, "<A name="), 5);
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
    EXPECT_NE(html.find("   <A name=7></A>  7.a&lt;b&gt;&amp;c\n  </td>\n"), std::string::npos);
    f.options.itemNumbers = false;
    html = f.build().html;
    EXPECT_NE(html.find("   <A name=7></A>a&lt;b&gt;&amp;c\n"), std::string::npos);
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

// Records all headed "c", with a cover whose contents have `split` columns.
Fixture withCover(int records, int split) {
    Fixture f;
    for (int i = 0; i < records; ++i)
        f.add("c", "C:\\cap\\a.jpg");
    f.options.coverPage = true;
    f.options.tocSplit = split;
    return f;
}

TEST(ReportWriter, ContentsAreSplitIntoColumns) {
    Fixture f = withCover(10, 3);
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
    // A record file named like the report is copied under a name of its own,
    // since the copies run after the report is written.
    ASSERT_EQ(report.copies.size(), 3u);
    EXPECT_EQ(report.copies[0].source, "C:\\hist\\r.jpg");
    EXPECT_EQ(report.copies[1].source, "D:\\資料\\表\\memo.txt");
    EXPECT_EQ(report.copies[1].destination, "C:\\out\\memo.txt");
    EXPECT_EQ(report.copies[2].destination, "C:\\out\\REP_2.htm");
    EXPECT_NE(report.html.find("<a target='_blank' href='memo.txt'>m&lt;</a>"), std::string::npos);
    EXPECT_NE(report.html.find("<a target='_blank' href='REP_2.htm'><br></a>"), std::string::npos);

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
    EXPECT_EQ(occurrences(f.build().html, "<A name=1>"), 1);
}

TEST(ReportWriter, ALoneLeadByteCannotHideMarkupFromTheEscaping) {
    // The lead byte used to take the '<' as its trail byte, so the tag went
    // out live. As "?" it can be paired with nothing by any decoder.
    const std::string attack = "\x81<img src=x onerror=alert(1)>";
    // In UTF-8 text あ is E3 81 82: E3 81 pairs, and 82 is left before '<'.
    const std::string utf8 = "\xE3\x81\x82<b>";
    Fixture f;
    f.add(attack.c_str(), "C:\\cap\\a.jpg", 0, "d.txt");
    f.add(utf8.c_str(), "C:\\cap\\b.jpg", 0, "u.txt");
    f.files["C:\\hist\\d.txt"] = attack;
    f.files["C:\\hist\\u.txt"] = utf8;
    f.options.title = attack;
    f.options.coverPage = true;
    f.options.tocSplit = 1;
    const std::string html = f.build().html;
    EXPECT_EQ(html.find("<img src=x"), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    // Title twice, heading, contents entry and description file.
    EXPECT_EQ(occurrences(html, "?&lt;img src=x onerror=alert(1)&gt;"), 5);
    EXPECT_EQ(occurrences(html, "\xE3\x81?&lt;b&gt;"), 3);
    EXPECT_EQ(html.find('\x81' + std::string("&")), std::string::npos);

    // Tags allowed: the file's own markup passes, its lone lead byte does not.
    f.options.htmlTags = true;
    EXPECT_NE(f.build().html.find("<font size=2>?<img src=x onerror=alert(1)></font>"),
              std::string::npos);
}

TEST(ReportWriter, EveryContentsLinkFindsItsAnchor) {
    const std::string html = withCover(3, 1).build().html;
    int links = 0;
    for (std::size_t at = html.find("href=#"); at != std::string::npos;
         at = html.find("href=#", at + 1), ++links) {
        const std::string target = html.substr(at + 6, html.find('>', at) - at - 6);
        EXPECT_EQ(occurrences(html, "<A name=" + target + "></A>"), 1) << target;
    }
    EXPECT_EQ(links, 4);  // three entries and the way back to the contents
}

TEST(ReportWriter, ImageNamesStayInsideTheirAttributeAndRelative) {
    struct Case {
        const char* imagePath;
        const char* url;  // as src and href show it
    };
    const Case cases[] = {
        {"D:\\x\\a\tb onerror=alert(1).jpg", "a%09b%20onerror%3Dalert(1).jpg"},
        {"javascript:alert(1)//.gif", "javascript%3Aalert(1)%2F%2F.gif"},
        {"C:a.jpg", "C%3Aa.jpg"},
        {"D:\\x\\`a`&\"'>.bmp", "%60a%60%26%22%27%3E.bmp"},
        {"D:\\x\\\x81'.png", "%81%27.png"},
        {"D:\\x\\表 100%.jpg", "表%20100%25.jpg"},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.add("c", c.imagePath);
        f.options.imageLinks = true;
        f.options.copyImages = false;
        const std::string html = f.build().html;
        EXPECT_NE(html.find(std::string("href='") + c.url + "'>   <img src=" + c.url + " border"),
                  std::string::npos)
            << c.imagePath << "\n"
            << html;
    }
}

TEST(ReportWriter, FilesOfOneNameFromTwoFoldersGetCopiesOfTheirOwn) {
    Fixture f;
    f.add("a", "D:\\a\\x.jpg");
    f.add("b", "D:\\b\\x.jpg");
    f.add("a again", "D:\\a\\x.jpg");
    f.add("c", "D:\\c\\X.JPG");
    f.add("in place", "c:\\OUT\\y.jpg");
    f.add("d", "D:\\d\\y.jpg");
    f.add("e", "D:\\e\\x_2.jpg");
    f.add("damaged", "D:\\f\\..\\b/../../w:x.jpg");
    f.options.itemsPerRow = 8;
    const ReportText report = f.build();
    std::vector<std::string> copies;
    for (const ReportCopy& copy : report.copies)
        copies.push_back(copy.source + " > " + copy.destination);
    // A file already in the output folder and the first file of a name keep
    // that name; numbered names avoid every name a record has.
    EXPECT_EQ(copies, (std::vector<std::string>{
                          "D:\\a\\x.jpg > C:\\out\\x.jpg",
                          "D:\\b\\x.jpg > C:\\out\\x_3.jpg",
                          "D:\\c\\X.JPG > C:\\out\\X_4.JPG",
                          "D:\\d\\y.jpg > C:\\out\\y_2.jpg",
                          "D:\\e\\x_2.jpg > C:\\out\\x_2.jpg",
                          "D:\\f\\..\\b/../../w:x.jpg > C:\\out\\b_.._.._w_x.jpg",
                      }));
    // The second record of D:\a\x.jpg shows the one copy again.
    const std::pair<const char*, int> shown[] = {
        {"x.jpg", 2},   {"x_3.jpg", 1}, {"X_4.JPG", 1},        {"y.jpg", 1},
        {"y_2.jpg", 1}, {"x_2.jpg", 1}, {"b_.._.._w_x.jpg", 1}};
    for (const auto& [src, times] : shown)
        EXPECT_EQ(occurrences(report.html, std::string("<img src=") + src + " "), times) << src;
}

TEST(ReportWriter, CopiesAvoidTheOutputFolderFilesAndNamesWindowsTakesForOne) {
    Fixture f;
    f.files = {{"D:\\a\\x.jpg", "a"}, {"D:\\d\\y.jpg", "y"}};
    f.inOutputFolder("x.jpg", "somebody's");
    f.inOutputFolder("x_2.jpg", "a");  // the last report's copy
    f.inOutputFolder("Y.JPG", "y");
    f.inOutputFolder("ｚ.jpg", "a folder");
    f.add("a", "D:\\a\\x.jpg");
    f.add("b", "D:\\b\\画面Ａ.jpg");
    f.add("c", "D:\\c\\画面ａ.jpg");
    f.add("d", "D:\\d\\y.jpg");
    f.add("e", "D:\\e\\Ｚ.jpg");
    f.add("f", "D:\\f\\σα.jpg");
    f.add("g", "D:\\g\\ΣΑ.jpg");
    f.add("h", "D:\\h\\ⅰ.jpg");
    f.add("i", "D:\\i\\Ⅰ.jpg");
    f.add("j", "D:\\j\\ァ.jpg");
    f.add("k", "D:\\k\\ｧ.jpg");
    f.options.itemsPerRow = 11;
    const ReportText report = f.build();
    std::vector<std::string> copies;
    for (const ReportCopy& copy : report.copies)
        copies.push_back(copy.source + " > " + copy.destination);
    EXPECT_EQ(copies, (std::vector<std::string>{
                          "D:\\b\\画面Ａ.jpg > C:\\out\\画面Ａ.jpg",
                          "D:\\c\\画面ａ.jpg > C:\\out\\画面ａ_2.jpg",
                          "D:\\e\\Ｚ.jpg > C:\\out\\Ｚ_2.jpg",
                          "D:\\f\\σα.jpg > C:\\out\\σα.jpg",
                          "D:\\g\\ΣΑ.jpg > C:\\out\\ΣΑ_2.jpg",
                          "D:\\h\\ⅰ.jpg > C:\\out\\ⅰ.jpg",
                          "D:\\i\\Ⅰ.jpg > C:\\out\\Ⅰ_2.jpg",
                          "D:\\j\\ァ.jpg > C:\\out\\ァ.jpg",
                          "D:\\k\\ｧ.jpg > C:\\out\\ｧ.jpg",
                      }));
    // The earlier copies are linked without copying them again.
    EXPECT_NE(report.html.find("<img src=x_2.jpg "), std::string::npos);
    EXPECT_NE(report.html.find("<img src=y.jpg "), std::string::npos);
}

TEST(ReportWriter, DescriptionFilesByFullPathAreReadFromThere) {
    Fixture f;
    f.add("a", "C:\\cap\\a.jpg", 0, "D:\\notes\\a.txt");
    f.add("b", "C:\\cap\\b.jpg", 0, "\\\\srv\\share\\b.txt");
    f.add("c", "C:\\cap\\c.jpg", 0, "c.txt");
    f.add("d", "C:\\cap\\d.jpg", 0, "\\d.txt");
    f.options.itemsPerRow = 4;
    f.build();
    EXPECT_EQ(f.opened, (std::vector<std::string>{"D:\\notes\\a.txt", "\\\\srv\\share\\b.txt",
                                                  "C:\\hist\\c.txt", "C:\\hist\\\\d.txt"}));
}

TEST(ReportWriter, CoverAndNumbersActOnlyWhenSetToOne) {
    Settings settings{};
    for (const int value : {0, 1, 2, -1}) {
        settings.reportCoverPage = value;
        settings.reportItemNumbers = value;
        const ReportOptions options = reportOptionsFromSettings(settings, ReportJob{});
        EXPECT_EQ(options.coverPage, value == 1) << value;
        EXPECT_EQ(options.itemNumbers, value == 1) << value;
    }
}

// A report made before the [HTML] group was ever written has the stored
// width 0, which as an attribute would hide every picture: 0 keeps the
// picture's own size, as "なし" does, and a width the user set stays.
TEST(ReportWriter, AStoredImageWidthOfZeroKeepsThePicturesOwnSize) {
    Settings settings{};
    const struct {
        int stored, job;
    } cases[] = {{0, -1}, {-1, -1}, {-5, -1}, {1, 1}, {320, 320}};
    for (const auto& c : cases) {
        settings.reportImageWidth = c.stored;
        EXPECT_EQ(reportJobFromSettings(settings).imageWidth, c.job) << c.stored;
    }
}

}  // namespace

// An annotated record goes out as its flattened picture; one whose mask has
// no flattened picture goes out as a note, with neither a copy of its
// original nor a link or picture naming it (which, with copying off, would
// show the original wherever the report lies beside it).
TEST(ReportWriter, AnnotatedRecordsShowTheirFlattenedPictureAndNeverAMaskedOriginal) {
    for (const bool copy : {true, false}) {
        SCOPED_TRACE(copy);
        Fixture f;
        f.add("注釈", "\\m.png", 1);
        f.add("隠す", "\\s.png", 1);
        f.options.copyImages = copy;
        f.options.imageLinks = true;
        f.annotateMAndMaskS();
        const ReportText report = f.build();
        EXPECT_NE(report.html.find("href='m_ann.png'>   <img src=m_ann.png border='0'></a>"),
                  std::string::npos)
            << report.html;
        EXPECT_NE(report.html.find(std::string("<td>\n   <font size=2>") + kWithheldPictureNote +
                                   "</font>\n  </td>"),
                  std::string::npos)
            << report.html;
        EXPECT_EQ(report.html.find("s.png"), std::string::npos) << report.html;
        ASSERT_EQ(report.copies.size(), copy ? 1u : 0u);
        if (copy) {
            EXPECT_EQ(report.copies[0].source, "C:\\hist\\m_ann.png");
            EXPECT_EQ(report.copies[0].destination, "C:\\out\\m_ann.png");
        }
    }
}

TEST(ReportWriter, DigestsArePinnedForOriginalsTakenNowForFlattenedAndOnTheCover) {
    const auto digestOf = [](char c) {
        Sha256Digest d;
        d.bytes.fill(static_cast<unsigned char>(c));
        return d;
    };
    for (const bool cover : {true, false}) {
        SCOPED_TRACE(cover);
        Fixture f;
        f.add("素", "\\a.png", 1);
        f.add("注釈", "\\m.png", 1);
        f.add("無い", "\\gone.png", 1);
        f.add("隠す", "\\s.png", 1);
        f.options.coverPage = cover;
        f.options.job.showDigests = true;
        f.files["C:\\hist\\a.png"] = "a";
        f.files["C:\\hist\\m.png"] = "m";
        f.annotateMAndMaskS();
        // Pinned: a.png as 0x11..., and m_ann.png as a stale 0x33... that
        // must not be shown for a picture the editor makes again.
        f.digests.pinned = [&](const std::string& path, Sha256Digest& out) {
            if (path == "C:\\hist\\a.png")
                out = digestOf(0x11);
            else if (path == "C:\\hist\\m_ann.png")
                out = digestOf(0x33);
            else
                return false;
            return true;
        };
        f.digests.ofFile = [&](const std::string& path, Sha256Digest& out) {
            if (f.files.count(path) == 0)
                return false;
            out = digestOf(path == "C:\\hist\\m_ann.png" ? 0x44 : 0x22);
            return true;
        };
        f.digests.manifestName = "h.sha256";
        f.digests.manifest = digestOf(0x55);
        const std::string html = f.build().html;
        const auto shown = [](const std::string& hex) { return "<tt>SHA-256: " + hex + "</tt>"; };
        EXPECT_NE(html.find(shown(std::string(64, '1'))), std::string::npos);
        EXPECT_NE(html.find(shown(std::string(32, '4') + std::string(32, '4'))), std::string::npos);
        EXPECT_NE(html.find(shown(kDigestUnknown)), std::string::npos);
        EXPECT_EQ(occurrences(html, "SHA-256: "), 4) << html;  // 3 records, the manifest
        EXPECT_EQ(html.find(std::string(64, '2')), std::string::npos);
        EXPECT_EQ(html.find(std::string(64, '3')), std::string::npos);
        const std::string manifest = "マニフェスト h.sha256  SHA-256: " + std::string(64, '5');
        ASSERT_NE(html.find(manifest), std::string::npos) << html;
        // On the cover before its contents, or first on the page without one.
        EXPECT_LT(html.find(manifest), cover ? html.find("【目次】") : html.find("<table"));
    }
}

TEST(ReportWriter, TheManifestLineSaysWhatItHolds) {
    ExportDigests d;
    EXPECT_EQ(manifestCoverLine(d), "マニフェスト なし（履歴の保存時に作られます）");
    d.manifestName = "h.sha256";
    d.unsavedChanges = true;
    EXPECT_EQ(manifestCoverLine(d), "マニフェスト h.sha256  SHA-256: " + std::string(64, '0') +
                                        "（保存されていない変更は含まれません）");
}
