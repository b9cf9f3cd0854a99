// The evidence workbook (.xlsx) of a history: a cover sheet with a table of
// the records, then each record's number, time, heading, picture and
// description, set up for printing on A4. Platform-free: files are read
// through WorkbookSource, and the workbook is written by libxlsxwriter to a
// path the caller chooses (the caller makes it the real file only when the
// whole workbook was written).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "history/test_case.h"
#include "report/export_comparison.h"
#include "report/picture_probe.h"

enum class WorkbookLayout : int32_t { sheetPerRecord = 0, oneSheet = 1 };
enum class PictureSize : int32_t { actual = 0, fitWidth = 1 };

struct WorkbookOptions {
    WorkbookLayout layout = WorkbookLayout::sheetPerRecord;
    PictureSize pictureSize = PictureSize::fitWidth;
    bool includeDescription = true;
    // Each record's SHA-256 under its picture and in the cover's table, and
    // the manifest's on the cover.
    bool includeDigests = false;
    std::string manifestLine;  // CP932, the cover's line on the manifest
    std::string title;         // CP932
    std::string created;       // CP932, shown as it is
    std::string tempFolder;    // in the library's code page; empty: its own choice
};

// One record as the history holds it, paths resolved. CP932 throughout.
struct WorkbookRecord {
    std::string dateTime;
    std::string heading;
    std::string imagePath;        // the picture to embed (an annotated one's flattened picture)
    std::string descriptionPath;  // empty: no description
    // An annotated record whose mask has no flattened picture: imagePath
    // names its original, which is neither read nor linked; a note stands
    // in place of the picture.
    bool pictureWithheld = false;
    std::string sha256{};  // hex as pinned; empty: taken from the file by the source
    // The test case the record proves; with none on any record, nothing of
    // the test-result sheet is written (workbook_cases.h).
    testcase::TestCase testCase{};
};

class WorkbookSource {
  public:
    virtual ~WorkbookSource() = default;
    // The whole file at a CP932 path; false when it cannot be read.
    virtual bool read(const std::string& path, std::string& bytes) = 0;
    // At most the first `limit` bytes of the file: what tells a picture's
    // kind and size, without reading all of it.
    virtual bool readHead(const std::string& path, std::string& bytes, std::size_t limit) {
        if (!read(path, bytes))
            return false;
        if (bytes.size() > limit)
            bytes.resize(limit);
        return true;
    }
    // The size of the file in bytes; -1 when unknown. A picture whose size
    // no other picture of the export has cannot be a copy of one, and the
    // library need not read it all to find out.
    virtual int64_t fileSize(const std::string& /*cp932Path*/) { return -1; }
    // The path under which libxlsxwriter may open the picture itself (in
    // the code page its fopen takes: CP932 for the MinGW build), so that no copy of it is held
    // until the workbook is closed; empty (the default) hands the library the bytes read.
    virtual std::string libraryPath(const std::string& /*cp932Path*/) { return {}; }
    // The SHA-256 of the file as it is now, 64 hex digits; empty when it
    // cannot be read.
    virtual std::string digestHex(const std::string& /*cp932Path*/) { return {}; }
};

// What the export is doing, for a progress display.
enum class WorkbookStage {
    records,  // putting the records into the workbook: done of all records
    package,  // writing the file: done of all worksheets and distinct pictures
};

class WorkbookProgress {
  public:
    virtual ~WorkbookProgress() = default;
    // Called before each step; false stops the export.
    virtual bool report(WorkbookStage stage, int done, int total) = 0;
};

struct WorkbookResult {
    bool ok = false;         // the file at outputPath is a complete workbook
    bool cancelled = false;  // stopped through WorkbookProgress
    int written = 0;         // records put into the workbook
    // Of them, records with something missing: a picture missing or
    // unreadable or withheld, a description file that could not be read, or a
    // description line longer than a cell holds (split over several cells).
    int problems = 0;
    std::string error;  // the library's reason when !ok
};

// `outputPath` is in the code page of the library's fopen (CP932 for the
// MinGW build). Unless ok, the caller removes whatever is at outputPath.
// An active `comparison` (one a record, as the records' order) adds the
// 比較 column and the 未実施 rows to the test-result sheet, the baseline's
// line to the cover, and beside each differing record's block its diff
// picture and changed lines. Each baseline picture is taken as it is: the
// caller names the one to show, as it does for the records.
WorkbookResult writeWorkbook(const std::string& outputPath,
                             const std::vector<WorkbookRecord>& records,
                             const WorkbookOptions& options, WorkbookSource& source,
                             WorkbookProgress* progress = nullptr,
                             const ExportComparison& comparison = {});

// Names shared with the tests that read workbooks back.
namespace workbook_layout {

extern const char* const kCoverSheet;     // "表紙"
extern const char* const kEvidenceSheet;  // "証跡", the sheet of the one-sheet layout
extern const char* const kMissingImage;   // "画像ファイルがありません: "
extern const char* const kMissingText;    // "説明文ファイルを読めません: "

// The characters a cell holds; a longer description line is split.
constexpr std::size_t kCellCharacters = 32767;
// Bytes of a picture read to learn its kind and size.
constexpr std::size_t kPictureHead = 64 * 1024;

// A file path as the target of an "external:" link: '#' would end the path
// and start a location in it, and a '%' could be read as an escape.
std::string externalLinkPath(const std::string& utf8Path);

// The printable width of A4 portrait between the default margins of 0.7
// inch, in the workbook's 96 pixels per inch.
constexpr double kPrintableWidth = (8.27 - 1.4) * 96;
constexpr double kRowHeight = 20;  // pixels of a row of the default height

// Picture scale: 1 for actual size; for fit-to-width, the factor that makes
// a wider picture as wide as the printable width (narrower ones stay 1).
double pictureScale(const PictureInfo& picture, PictureSize size);
// Rows the picture covers at that scale (at least 1).
int pictureRows(const PictureInfo& picture, double scale);

// Rows of a record's block, relative to its first row: 0 number, 1 time,
// 2 heading, 3 the picture (or the missing-file cell); the description
// starts one row below the picture.
constexpr int kPictureRow = 3;
int descriptionRow(int pictureRowCount);
// The column of a differing record's diff picture and lines, clear of a
// picture fit to the printable width.
constexpr int kDiffColumn = 3;

}  // namespace workbook_layout
