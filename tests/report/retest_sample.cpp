// Writes a report of made-up records re-tested against a baseline into a
// folder, as the Win32 side would (the report, the copies, the diff
// pictures), for retest_check.sh to open in headless Chromium: the first
// record differs (a dark box in the baseline's picture), the second
// matches, the third has no test ID, and two baseline steps were not run.
// Usage: retest_sample OUTDIR
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "report/report_writer.h"
#include "tests/fuzz/sample_images.h"
#include "tests/report/retest_fixture.h"

namespace {

std::string bmp(bool box) {
    const std::vector<uint8_t> f = samples::bmp(320, 200, [box](int x, int y, int c) {
        return box && x >= 40 && x < 140 && y >= 30 && y < 80 ? 0 : (x + c * 60) & 0xFF;
    });
    return std::string(f.begin(), f.end());
}

std::string after(const std::string& path, char separator) {
    return path.substr(path.rfind(separator) + 1);
}

bool save(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: retest_sample OUTDIR\n");
        return 2;
    }
    std::map<std::string, std::string> files = {{"C:\\cap\\a1.bmp", bmp(false)},
                                                {"C:\\cap\\a2.bmp", bmp(false)},
                                                {"C:\\cap\\a3.bmp", bmp(false)},
                                                {"C:\\前回\\a1.bmp", bmp(true)}};
    std::vector<HistoryRecord> records(3);
    RecordCases cases(3);
    const char* const ids[] = {"T-表-1", "T-2", ""};
    for (int i = 0; i < 3; ++i) {
        std::snprintf(records[i].comment, sizeof records[i].comment, "画面ソ%d", i + 1);
        std::snprintf(records[i].imagePath, sizeof records[i].imagePath, "C:\\cap\\a%d.bmp", i + 1);
        cases[i].testId = ids[i];
        cases[i].step = "1";
    }
    NotRunStep step;
    step.baselineCase.testId = "T-能-9";
    step.baselineCase.step = "2";
    step.baselineHeading = "前回だけの画面";
    const ExportComparison comparison =
        sampleRetest(3, "C:\\前回\\a1.bmp", "前回の画面", {true, 5000, 64000, false},
                     {"金額: 1,000 → 1,100"}, step, 'd');

    ReportOptions options;
    options.title = "再試験";
    options.coverPage = true;
    std::strcpy(options.job.folder, "C:\\out");
    std::strcpy(options.job.fileName, "report");
    const auto read = [&files](const std::string& path, std::string& bytes) {
        const auto found = files.find(path);
        if (found == files.end())
            return false;
        bytes = found->second;
        return true;
    };
    const ReportFolder folder{
        [](const std::string& name) { return name; },
        [](const std::string&, const std::string&) { return ReportTarget::free; }, read,
        [](const std::string&, const std::string&) { return ReportTarget::free; }};
    const ReportText report =
        buildReport(records.data(), 3, "C:\\cap", options, read, folder, {}, {}, cases, comparison);
    const std::string out = argv[1];
    bool ok = save(out + "/report.htm", report.html);
    for (const ReportCopy& copy : report.copies)
        ok = ok && save(out + "/" + after(copy.destination, '\\'), files[copy.source]);
    for (const ReportFile& file : report.files)
        ok = ok && save(out + "/" + after(file.destination, '\\'), file.bytes);
    std::printf("copies=%zu files=%zu\n", report.copies.size(), report.files.size());
    return ok ? 0 : 1;
}
