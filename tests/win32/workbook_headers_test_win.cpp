// The workbook writer hands the library the headers its probe read instead of
// letting the library open each picture for them. Both roads must give the
// same workbook: the same pictures exported with and without a key (without
// one the library reads the file itself) have the same parts.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "report/workbook_writer.h"
#include "tests/fuzz/sample_images.h"
#include "tests/win32/support/win_test_support.h"
#include "tests/workbook/zip_parts.h"

namespace {

class FileSource : public WorkbookSource {
  public:
    explicit FileSource(bool sizes) : sizes_(sizes) {}
    bool read(const std::string& path, std::string& bytes) override {
        bool exists = false;
        bytes = testsupport::ReadFileBytes(path, &exists);
        return exists;
    }
    // Without sizes no picture is known to be unlike the others: no key.
    int64_t fileSize(const std::string& path) override {
        std::string bytes;
        return sizes_ && read(path, bytes) ? static_cast<int64_t>(bytes.size()) : -1;
    }
    std::string libraryPath(const std::string& path) override { return path; }

  private:
    bool sizes_;
};

std::string jpeg(int width, int height, int densityUnit, int density, std::size_t appBytes) {
    samples::Jpeg j;
    j.width = width;
    j.height = height;
    j.samples.assign(static_cast<std::size_t>(width) * height * 3, 0x60);
    const std::vector<uint8_t> encoded = samples::encode(j);
    std::string file(encoded.begin(), encoded.end());
    // JFIF APP0 right after SOI: units at 13, densities at 14 and 16.
    file[13] = static_cast<char>(densityUnit);
    file[14] = file[16] = static_cast<char>(density >> 8);
    file[15] = file[17] = static_cast<char>(density & 0xFF);
    // APP1 segments after the APP0, pushing the frame header past the head
    // that the probe reads first.
    for (std::size_t left = appBytes; left > 0;) {
        const std::size_t n = std::min<std::size_t>(left, 60000);
        std::string segment = {'\xFF', '\xE1', static_cast<char>((n + 2) >> 8),
                               static_cast<char>((n + 2) & 0xFF)};
        segment.append(n, 'x');
        file.insert(20, segment);
        left -= n;
    }
    return file;
}

std::string bmp(int width, int height, bool topDown) {
    const std::vector<uint8_t> f =
        samples::bmp(width, height, [](int x, int y, int c) { return c == 0 ? x : y; });
    std::string file(f.begin(), f.end());
    if (topDown) {  // the height at 22, negative
        const uint32_t negative = 0u - static_cast<uint32_t>(height);
        for (int i = 0; i < 4; ++i)
            file[22 + i] = static_cast<char>(negative >> (8 * i));
    }
    return file;
}

// Every part of the workbook, its times made fixed.
std::map<std::string, std::string> parts(const std::string& path) {
    std::map<std::string, std::string> all = zip_parts::read(path);
    all["docProps/core.xml"] = zip_parts::withoutTimes(all["docProps/core.xml"]);
    return all;
}

TEST(WorkbookHeaders, TheProbesHeadersGiveTheWorkbookTheLibrarysOwnReadingGives) {
    testsupport::ScopedWorkFolder folder;
    struct Picture {
        const char* name;
        std::string bytes;
    };
    std::vector<Picture> pictures = {
        {"画面_既定.jpg", jpeg(64, 40, 0, 1, 0)},
        {"画面_200dpi.jpg", jpeg(48, 30, 1, 200, 0)},
        {"画面_40dpcm.jpg", jpeg(30, 48, 2, 40, 0)},
        {"画面_長いEXIF.jpg", jpeg(40, 20, 1, 144, 100000)},
        {"画面_下から.bmp", bmp(20, 10, false)},
        {"画面_上から.bmp", bmp(12, 7, true)},
    };
    std::vector<WorkbookRecord> records;
    for (const Picture& p : pictures) {
        const std::string path = folder.path() + "\\" + p.name;
        ASSERT_TRUE(testsupport::WriteFileBytes(path, p.bytes)) << p.name;
        records.push_back({"2026/12/10 10:00:00", p.name, path, ""});
    }
    // A picture twice: stored once either way.
    records.push_back(records[1]);
    for (const WorkbookLayout layout : {WorkbookLayout::sheetPerRecord, WorkbookLayout::oneSheet}) {
        WorkbookOptions options;
        options.layout = layout;
        options.includeDigests = false;
        options.created = "2026/12/10 10:00:00";
        options.tempFolder = folder.path();
        std::map<std::string, std::string> read[2];
        for (const bool known : {false, true}) {
            FileSource source(known);
            const std::string out = folder.path() + (known ? "\\known.xlsx" : "\\library.xlsx");
            const WorkbookResult result = writeWorkbook(out, records, options, source);
            ASSERT_TRUE(result.ok) << result.error;
            EXPECT_EQ(result.problems, 0);
            read[known] = parts(out);
        }
        ASSERT_FALSE(read[0].empty());
        EXPECT_EQ(read[0].count("xl/media/image6.bmp"), 1u);
        EXPECT_EQ(read[0].count("xl/media/image7.jpeg"), 0u);  // the picture twice, once
        for (const auto& [name, contents] : read[0])
            EXPECT_EQ(read[1][name], contents) << name;
        EXPECT_EQ(read[1].size(), read[0].size());
    }
}

}  // namespace
