// The workbook as the test-result sheet: the 試験成績書 sheet after the
// cover (one row a record: the eight case fields, a link to the record's
// block, the picture's SHA-256), the case block at the top of each block of
// a record with a case, and the verdicts' counts on the cover. Nothing of
// it is written for records without cases, so that such a workbook holds
// what it held before cases existed. Platform-free (libxlsxwriter).
#pragma once

#include <xlsxwriter.h>

#include <string>
#include <vector>

#include "report/workbook_writer.h"

namespace workbook_cases {

extern const char* const kCaseSheet;  // "試験成績書" (UTF-8)

// Some record of the export has a case.
bool any(const std::vector<WorkbookRecord>& records);

struct Formats {
    lxw_format* title;
    lxw_format* label;
    lxw_format* text;    // wrapped, at the top of its cell
    lxw_format* ngText;  // the same on light red: an NG row
    lxw_format* ngLink;
};
// Added only for a workbook with cases: a format is a part of styles.xml.
Formats addFormats(lxw_workbook* book);

// Rows of a record's case block, the blank row under it included.
constexpr int kBlockRows = testcase::kFieldCount + 1;

// Writes the record's case block from `row`; returns the rows it took
// (0 for a record without a case, whose block stays as it was).
int writeBlock(lxw_worksheet* sheet, const Formats& f, const testcase::TestCase& c, int row);

// Where the sheet's row of a record links, and its digest.
struct Target {
    std::string sheet;   // UTF-8
    int row = 0;         // 0-based first row of the record's block
    std::string digest;  // hex or the note that it cannot be taken; empty: withheld
};

// With a baseline, the 比較 column, the baseline's line over the table and
// a row for each baseline step not run this time (未実施): its test ID,
// step and expected result, its heading where a record's link stands.
void writeSheet(lxw_worksheet* sheet, const Formats& f, const std::vector<WorkbookRecord>& records,
                const std::vector<Target>& targets, const ExportComparison& comparison = {});

// The counts on the cover's second row, beside 作成日時.
void writeCoverCounts(lxw_worksheet* cover, const Formats& f,
                      const std::vector<WorkbookRecord>& records);

}  // namespace workbook_cases
