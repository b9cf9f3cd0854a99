// Writes an evidence workbook of made-up records for check_workbook.py:
// JPEG and BMP pictures, a missing and a broken one, headings with
// characters whose second byte is 0x5C, forbidden sheet-name characters and
// a lone lead byte, and descriptions of several lines; with "cases", test
// cases on three of the four records (OK, NG, 保留; the third has none);
// with "retest", those cases re-tested against a baseline: the first
// record differs (a dark box in the baseline's picture, two changed lines),
// the second matches, the fourth has no baseline, two steps were not run.
// Usage: workbook_sample OUTPUT.xlsx sheets|onesheet actual|fit [cases|retest]
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "report/workbook_writer.h"
#include "tests/fuzz/sample_images.h"
#include "tests/report/retest_fixture.h"
#include "tests/workbook/map_source.h"

namespace {

// A grey ramp; with `box`, dark at x 100-299, y 100-199.
std::string jpeg(int width, int height, bool box = false) {
    samples::Jpeg j;
    j.width = width;
    j.height = height;
    j.quality = 80;
    j.samples.resize(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < j.samples.size(); ++i) {
        const std::size_t x = i / 3 % width, y = i / 3 / width;
        const bool dark = box && x >= 100 && x < 300 && y >= 100 && y < 200;
        j.samples[i] = static_cast<uint8_t>(dark ? 0 : x * 255 / width);
    }
    const std::vector<uint8_t> f = samples::encode(j);
    return std::string(f.begin(), f.end());
}

std::string bmp(int width, int height) {
    const std::vector<uint8_t> f =
        samples::bmp(width, height, [](int x, int y, int c) { return c == 0 ? x : y; });
    return std::string(f.begin(), f.end());
}

// Texts with markup characters, second bytes 0x5C and several lines.
void addCases(std::vector<WorkbookRecord>& records) {
    testcase::TestCase& one = records[0].testCase;
    one.testId = "T-\x95\x5c-1";  // T-表-1
    one.step = "1";
    one.expected =
        "\x89\xe6\x96\xca\x82\xaa\r\n\x95\x5c\x8e\xa6\x82\xb3\x82\xea\x82\xe9";  // 画面が /
                                                                                 // 表示される
    one.actual = "<b>&\"'";
    one.verdict = testcase::Verdict::ok;
    one.tester = "\x8e\x8e\x8c\xb1\x8e\xd2";  // 試験者
    one.date = "2026/12/09";
    testcase::TestCase& two = records[1].testCase;
    two.testId = "T-2";
    two.actual = "\x83\x5c\\ NG";  // ソ\ NG
    two.verdict = testcase::Verdict::ng;
    records[3].testCase.testId = "T-4";
    records[3].testCase.verdict = testcase::Verdict::hold;
    records[3].testCase.remarks = "r1\nr2";
    records[0].sha256 = std::string(64, 'a');
}

ExportComparison retested(MapSource& source) {
    source.files["C:\\前回\\a1.jpg"] = jpeg(1280, 720, true);
    NotRunStep step;
    step.baselineCase.testId = "T-表-9";
    step.baselineCase.expected = "能力";
    step.baselineHeading = "ソフト能力 前回";
    ExportComparison c =
        sampleRetest(4, "C:\\前回\\a1.jpg", "前回の表示", {true, 20000, 921600, false},
                     {"金額: 1,000 → 1,100", "表ソ能 <b>"}, step, 'c');
    c.notRun[0].baselineCase.step = "1";
    c.notRun[1].baselineCase.step = "2";
    c.records[3].proposal = retest::propose({false, 0, 0, false}, {});
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: workbook_sample OUTPUT sheets|onesheet actual|fit [cases]\n");
        return 2;
    }
    MapSource source;
    // Paths and texts are CP932 bytes, as the history holds them.
    source.files["C:\\cap\\a1.jpg"] = jpeg(1280, 720);
    source.files["C:\\cap\\a2.bmp"] = bmp(200, 100);
    source.files["C:\\cap\\broken.jpg"] = "JFIF? no";
    source.files["C:\\cap\\a1.txt"] =
        "\x91\xe6\x88\xea\x8d\x73\r\n\x95\x5c\x8e\xa6\x82\xb7\x82\xe9\r\nthird";
    source.files["C:\\cap\\a2.txt"] = "one line\x95";
    std::vector<WorkbookRecord> records = {
        // 表示テスト [1/2]
        {"2026/12/09 10:00:01", "\x95\x5c\x8e\xa6\x83\x65\x83\x58\x83\x67 [1/2]", "C:\\cap\\a1.jpg",
         "C:\\cap\\a1.txt"},
        // ソフト能力 with a lone lead byte at the end
        {"2026/12/09 10:00:02", "\x83\x5c\x83\x74\x83\x67\x94\x5c\x97\xcd\x95", "C:\\cap\\a2.bmp",
         "C:\\cap\\a2.txt"},
        {"2026/12/09 10:00:03", "missing", "C:\\cap\\gone.jpg", ""},
        {"2026/12/09 10:00:04", "missing", "C:\\cap\\broken.jpg", ""},
    };
    if (argc == 5)
        addCases(records);
    const ExportComparison comparison =
        argc == 5 && std::strcmp(argv[4], "retest") == 0 ? retested(source) : ExportComparison{};
    WorkbookOptions options;
    options.layout = std::strcmp(argv[2], "onesheet") == 0 ? WorkbookLayout::oneSheet
                                                           : WorkbookLayout::sheetPerRecord;
    options.pictureSize =
        std::strcmp(argv[3], "actual") == 0 ? PictureSize::actual : PictureSize::fitWidth;
    options.title = "\x8e\x8e\x8c\xb1\x8f\xd8\x90\xd5";  // 試験証跡
    options.created = "2026/12/09 10:30:00";
    const WorkbookResult result =
        writeWorkbook(argv[1], records, options, source, nullptr, comparison);
    std::printf("ok=%d written=%d problems=%d %s\n", result.ok ? 1 : 0, result.written,
                result.problems, result.error.c_str());
    return result.ok ? 0 : 1;
}
