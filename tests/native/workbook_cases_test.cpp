// The workbook as the test-result sheet: a history without test cases
// exports exactly the parts it did before cases existed; with them, the
// 試験成績書 sheet, the case blocks and the cover's counts (read back in
// full with openpyxl by tests/e2e/case_exports_e2e.sh).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "report/workbook_writer.h"
#include "tests/fuzz/sample_images.h"
#include "tests/native/openssl_sha256.h"
#include "tests/workbook/map_source.h"
#include "tests/workbook/zip_parts.h"

namespace {

std::string jpeg(int width, int height) {
    samples::Jpeg j;
    j.width = width;
    j.height = height;
    j.quality = 80;
    j.samples.resize(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < j.samples.size(); ++i)
        j.samples[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t> f = samples::encode(j);
    return std::string(f.begin(), f.end());
}

std::string bmp(int width, int height) {
    const std::vector<uint8_t> f =
        samples::bmp(width, height, [](int x, int y, int c) { return c == 0 ? x : y; });
    return std::string(f.begin(), f.end());
}

struct TempFolder {
    char dir[32] = "/tmp/zelcap-cases-XXXXXX";
    TempFolder() { EXPECT_NE(mkdtemp(dir), nullptr); }
    ~TempFolder() { rmdir(dir); }
    std::string file(const char* name) const { return std::string(dir) + "/" + name; }
};

// Every part of the workbook at `path`, its times made fixed, in one digest.
std::string partsDigest(const std::string& path) {
    const std::map<std::string, std::string> parts = zip_parts::read(path);
    std::string all;
    for (const auto& [name, contents] : parts)
        all += name + '\0' +
               (name == "docProps/core.xml" ? zip_parts::withoutTimes(contents) : contents) + '\0';
    return parts.empty() ? std::string() : sha256Hex(opensslSha256(all));
}

// Records whose headings, descriptions and paths carry second bytes 0x5C,
// a missing and a broken picture, in both layouts.
struct Sample {
    MapSource source;
    std::vector<WorkbookRecord> records;
    WorkbookOptions options;

    Sample() {
        source.files["C:\\cap\\a1.jpg"] = jpeg(64, 40);
        source.files["C:\\cap\\a2.bmp"] = bmp(20, 10);
        source.files["C:\\cap\\broken.jpg"] = "JFIF? no";
        source.files["C:\\cap\\a1.txt"] = "\x91\xe6\x88\xea\x8d\x73\r\n\x95\x5c\x8e\xa6\r\nthird";
        records = {
            {"2026/12/09 10:00:01", "\x95\x5c\x8e\xa6 [1/2]", "C:\\cap\\a1.jpg", "C:\\cap\\a1.txt"},
            {"2026/12/09 10:00:02", "\x83\x5c\x83\x74\x83\x67", "C:\\cap\\a2.bmp", ""},
            {"2026/12/09 10:00:03", "missing", "C:\\cap\\gone.jpg", ""},
            {"2026/12/09 10:00:04", "broken", "C:\\cap\\broken.jpg", ""},
        };
        records[1].sha256 = std::string(64, 'a');
        options.title = "\x8e\x8e\x8c\xb1";  // 試験
        options.created = "2026/12/09 10:30:00";
        options.manifestLine = "manifest";
    }
};

// The digests of today's exports, taken before the test-result sheet was
// written: a history without cases must keep every part of them.
TEST(WorkbookCases, WithoutCasesEveryPartIsAsBefore) {
    struct Case {
        WorkbookLayout layout;
        bool digests;
        const char* golden;
    } cases[] = {
        {WorkbookLayout::sheetPerRecord, false,
         "3817fd7d672e823a77fb27de904e42228352dc790061e1dfa8c3f066ebd5b48f"},
        {WorkbookLayout::sheetPerRecord, true,
         "a0aa9fe8c172e62d209db4fba3831ffce31f0877015b3f45bf4fea8ae306f20c"},
        {WorkbookLayout::oneSheet, false,
         "0a668092ea891a8a5b8343c303c7290c6c0e2f04de39bd59342403b56ffba2b9"},
        {WorkbookLayout::oneSheet, true,
         "bb0d38aaeab6231cad8403cf203dce2e4e83fcb57afb26ff42f30d6d02d6ad30"},
    };
    TempFolder folder;
    const std::string path = folder.file("out.xlsx");
    for (const Case& c : cases) {
        Sample s;
        s.options.layout = c.layout;
        s.options.includeDigests = c.digests;
        ASSERT_TRUE(writeWorkbook(path, s.records, s.options, s.source).ok);
        EXPECT_EQ(partsDigest(path), c.golden)
            << static_cast<int>(c.layout) << " digests " << c.digests;
        std::remove(path.c_str());
    }
}

// The sheets' names in the workbook's order, from xl/workbook.xml.
std::vector<std::string> sheetNames(const std::string& path) {
    const std::string xml = zip_parts::read(path)["xl/workbook.xml"];
    std::vector<std::string> names;
    const std::string open = "<sheet name=\"";
    for (std::size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
        const std::size_t from = at + open.size();
        names.push_back(xml.substr(from, xml.find('"', from) - from));
    }
    return names;
}

// The sheet comes right after the cover, and a record headed as it is
// named gets a sheet of another name only when the sheet is there.
TEST(WorkbookCases, TheSheetFollowsTheCoverAndKeepsItsName) {
    struct Case {
        bool withCase;
        std::vector<std::string> names;
    } cases[] = {
        {false, {u8"表紙", u8"試験成績書", "b"}},
        {true, {u8"表紙", u8"試験成績書", u8"試験成績書 (2)", "b"}},
    };
    TempFolder folder;
    const std::string path = folder.file("names.xlsx");
    for (const Case& c : cases) {
        MapSource source;
        std::vector<WorkbookRecord> records = {
            {"2026/12/09 10:00:01", "\x8e\x8e\x8c\xb1\x90\xac\x90\xd1\x8f\x91", "a.jpg", ""},
            {"2026/12/09 10:00:02", "b", "b.jpg", ""},
        };
        if (c.withCase)
            records[1].testCase.verdict = testcase::Verdict::ng;
        ASSERT_TRUE(writeWorkbook(path, records, {}, source).ok);
        EXPECT_EQ(sheetNames(path), c.names) << c.withCase;
        std::remove(path.c_str());
    }
}

}  // namespace
