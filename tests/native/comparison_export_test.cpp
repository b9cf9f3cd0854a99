// A re-test in the HTML report: the 比較 column and the 未実施 rows of the
// case table, the cell beside a differing record with its diff picture and
// changed lines, the diff file's name and pixels, and the baseline's line
// on the cover. (The workbook is read back with openpyxl by
// tests/workbook/check_workbook.py retest.)
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "report/comparison_export.h"
#include "report/report_writer.h"
#include "tests/fuzz/sample_images.h"
#include "tests/report/retest_fixture.h"
#include "view/bmp_loader.h"
#include "view/png_decoder.h"

namespace {

// 40 x 30, grey; the baseline's has a dark box at x 10-19, y 5-9.
std::string picture(bool baseline) {
    const std::vector<uint8_t> f = samples::bmp(40, 30, [baseline](int x, int y, int) {
        return baseline && x >= 10 && x < 20 && y >= 5 && y < 10 ? 10 : 200;
    });
    return std::string(f.begin(), f.end());
}

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

struct Report {
    std::vector<HistoryRecord> records;
    std::map<std::string, std::string> pictures;
    std::map<std::string, ReportTarget> there;  // what the output folder holds
    ReportOptions options;
    RecordCases cases;
    ExportComparison comparison;

    Report() {
        std::strcpy(options.job.folder, "C:\\out");
        std::strcpy(options.job.fileName, "rep");
        add("表示", "C:\\cap\\a1.bmp");
        add("ソフト", "C:\\cap\\a2.bmp");
        add("能力", "C:\\cap\\a3.bmp");
        pictures["C:\\cap\\a1.bmp"] = picture(false);
        pictures["C:\\前回\\a1.bmp"] = picture(true);
        for (const char* id : {"T-表-1", "T-2", ""}) {
            testcase::TestCase c;
            c.testId = id;
            c.step = "1";
            cases.push_back(c);
        }
        NotRunStep step;
        step.baselineCase.testId = "T-表-9";
        step.baselineCase.step = "ソ2";
        step.baselineCase.expected = "能\r\n2";
        step.baselineCase.actual = "前回の結果";
        step.baselineHeading = "能力 <b>";
        comparison = sampleRetest(3, "C:\\前回\\a1.bmp", "前回の表示", {true, 50, 1200, false},
                                  {"金額: 1,000 → 1,100", "表ソ能 <b>"}, step, 'b');
    }

    void add(const char* comment, const char* imagePath) {
        HistoryRecord record{};
        std::strcpy(record.comment, comment);
        std::strcpy(record.imagePath, imagePath);
        records.push_back(record);
    }

    ReportText build(const PictureFiles& files = {}) const {
        ReportFolder folder{
            [](const std::string& name) { return name; },
            [](const std::string&, const std::string&) { return ReportTarget::free; },
            [this](const std::string& path, std::string& bytes) {
                const auto found = pictures.find(path);
                if (found == pictures.end())
                    return false;
                bytes = found->second;
                return true;
            },
            [this](const std::string&, const std::string& destination) {
                const auto found = there.find(destination);
                return found == there.end() ? ReportTarget::free : found->second;
            }};
        return buildReport(
            records.data(), static_cast<int>(records.size()), "C:\\hist", options,
            [](const std::string&, std::string&) { return false; }, folder, files, {}, cases,
            comparison);
    }
};

TEST(ComparisonExport, InactiveLeavesTheReportAsItWas) {
    Report r;
    ExportComparison inactive = r.comparison;
    inactive.active = false;
    r.comparison = {};
    const ReportText plain = r.build();
    r.comparison = inactive;
    const ReportText shown = r.build();
    EXPECT_EQ(shown.html, plain.html);
    EXPECT_TRUE(shown.files.empty());
    EXPECT_EQ(plain.html.find("比較"), std::string::npos);
}

// Each record's 比較 cell after its digest, then the baseline's steps not
// run: their heading in the number's place, test ID, step and expected
// result, escaped as every text of the report.
TEST(ComparisonExport, TableHasTheComparisonColumnAndTheStepsNotRun) {
    Report r;
    const std::string html = r.build().html;
    EXPECT_EQ(occurrences(html, "<th>SHA-256</th><th>比較</th></tr>"), 1);
    EXPECT_NE(html.find("<a href=#1>1</a></td><td>T-表-1</td>"), std::string::npos);
    EXPECT_EQ(occurrences(html, "</tt></td><td>差分あり</td></tr>\n"), 1);
    EXPECT_EQ(occurrences(html, "</tt></td><td>一致</td></tr>\n"), 1);
    EXPECT_EQ(occurrences(html, "</tt></td><td></td></tr>\n"), 1);
    const std::string notRun =
        " <tr><td>能力 &lt;b&gt;</td><td>T-表-9</td><td>ソ2</td><td>能<BR>2</td>"
        "<td></td><td></td><td></td><td></td><td></td><td></td><td>未実施</td></tr>\n";
    EXPECT_EQ(occurrences(html, notRun), 2);
    EXPECT_LT(html.find(notRun), html.find("</table>"));
    EXPECT_EQ(html.find("前回の結果"), std::string::npos);
}

// The differing record's cell holds what changed, the baseline's heading
// and its diff picture; the others' cells are empty, and every heading
// spans one cell more.
TEST(ComparisonExport, DifferingRecordHasItsDiffPictureAndChangedLines) {
    for (int layout = 0; layout <= 4; ++layout) {
        Report r;
        r.options.job.layout = layout;
        const ReportText report = r.build();
        const std::string& html = report.html;
        const std::size_t cell = html.find(
            "<font size=2>比較: 差分あり 変化 4.2 %<BR>"
            "基準の記録: 前回の表示</font><BR>\n"
            "   <img src=a1_diff.png border='0'><BR>\n"
            "   <font size=2>金額: 1,000 → 1,100<BR>"
            "表ソ能 &lt;b&gt;</font>");
        EXPECT_NE(cell, std::string::npos) << layout;
        EXPECT_EQ(occurrences(html, "_diff.png"), 1) << layout;
        EXPECT_EQ(occurrences(html, layout <= 1 ? "<td colspan='4'>" : "<td colspan='3'>"), 3)
            << layout;
        ASSERT_EQ(report.files.size(), 1u) << layout;
        EXPECT_EQ(report.files[0].destination, "C:\\out\\a1_diff.png");
    }
}

// The diff file is the record's picture with the changed pixels tinted, and
// nothing else changed.
TEST(ComparisonExport, DiffPictureTintsTheChangedPixelsOnly) {
    const std::string current = picture(false);
    const std::string png = comparison_export::diffPng(picture(true), current);
    PackedDib diff, shown;
    ASSERT_TRUE(decodePngBytes(reinterpret_cast<const uint8_t*>(png.data()), png.size(), diff));
    ASSERT_EQ(loadBmpBytes(reinterpret_cast<const uint8_t*>(current.data()), current.size(), shown),
              BmpLoad::ok);
    ASSERT_EQ(diff.width(), 40);
    ASSERT_EQ(diff.height(), 30);
    int changed = 0;
    for (int32_t row = 0; row < 30; ++row)
        changed += std::memcmp(diff.bits() + row * diff.stride(),
                               shown.bits() + row * shown.stride(), 40 * 3) != 0
                       ? 1
                       : 0;
    EXPECT_EQ(changed, 5);  // the box's rows
    EXPECT_TRUE(comparison_export::diffPng("not a picture", current).empty());
}

// A name the output folder holds with other bytes, or one a copy takes, is
// numbered; one holding these very bytes is linked and not written again.
// Without the baseline's picture there is no diff picture, only the lines.
TEST(ComparisonExport, DiffFileNamesAreTheirOwn) {
    struct Case {
        const char* what;
        ReportTarget there;
        bool copyNamedLikeTheDiff;
        bool baselinePicture;
        const char* linked;  // "" for no picture
        std::size_t written;
        bool baselineMasked = false;  // a sidecar that cannot be read, no flattened picture
    } cases[] = {
        {"free", ReportTarget::free, false, true, "a1_diff.png", 1},
        {"another file there", ReportTarget::taken, false, true, "a1_diff_2.png", 1},
        {"an earlier report's diff", ReportTarget::sameBytes, false, true, "a1_diff.png", 0},
        {"a copy of that name", ReportTarget::free, true, true, "a1_diff_2.png", 1},
        {"no baseline picture", ReportTarget::free, false, false, "", 0},
        {"baseline masked", ReportTarget::free, false, true, "", 0, true},
    };
    for (const Case& c : cases) {
        Report r;
        r.there["C:\\out\\a1_diff.png"] = c.there;
        if (c.copyNamedLikeTheDiff)
            std::strcpy(r.records[2].imagePath, "C:\\cap\\a1_diff.png");
        if (!c.baselinePicture)
            r.pictures.erase("C:\\前回\\a1.bmp");
        PictureFiles files;
        if (c.baselineMasked)
            files.exists = [](const std::string& path) { return path == "C:\\前回\\a1.bmp.zan"; };
        const ReportText report = r.build(files);
        const std::string img = std::string("<img src=") + c.linked + " border";
        EXPECT_EQ(occurrences(report.html, img), *c.linked ? 1 : 0) << c.what;
        EXPECT_NE(report.html.find("金額: 1,000 → 1,100"), std::string::npos) << c.what;
        ASSERT_EQ(report.files.size(), c.written) << c.what;
        if (c.written) {
            EXPECT_EQ(report.files[0].destination, std::string("C:\\out\\") + c.linked) << c.what;
        }
    }
}

// The baseline's path and manifest digest on the cover, or on the first
// page without one.
TEST(ComparisonExport, CoverNamesTheBaselineAndItsManifest) {
    struct Case {
        bool cover;
        bool digest;
        std::string shown;
    } cases[] = {
        {true, true,
         "<TD><FONT size=2>基準 C:\\前回\\履歴.csv  マニフェスト SHA-256: " + std::string(64, 'b') +
             "</FONT></TD>"},
        {false, true,
         "<FONT size=2>基準 C:\\前回\\履歴.csv  マニフェスト SHA-256: " + std::string(64, 'b') +
             "</FONT><BR>\n<A name=zcases>"},
        {true, false,
         "<TD><FONT size=2>基準 C:\\前回\\履歴.csv  マニフェストがありません</FONT></TD>"},
    };
    for (const Case& c : cases) {
        Report r;
        r.options.coverPage = c.cover;
        if (!c.digest)
            r.comparison.baselineManifestDigest.clear();
        const std::string html = r.build().html;
        EXPECT_EQ(occurrences(html, c.shown), 1) << c.cover << c.digest;
        if (c.cover) {
            EXPECT_LT(html.find(c.shown), html.find("【目次】"));
        }
    }
}

// A baseline without a case on any record of this cycle: the table holds
// the steps not run all the same.
TEST(ComparisonExport, HistoryWithoutCasesStillListsTheStepsNotRun) {
    Report r;
    r.cases.clear();
    const std::string html = r.build().html;
    EXPECT_EQ(occurrences(html, "<td>未実施</td></tr>"), 2);
    EXPECT_EQ(occurrences(html, "<a href=#3>3</a>"), 1);
}

}  // namespace
