// The HTML report as the test-result sheet: the table of the records' test
// cases before the pictures, each number a link to its picture's anchor,
// and each case's block in a cell beside its picture. Every text goes
// through the report's own escaping; nothing here is written for a history
// without cases. Platform-free.
#pragma once

#include <string>
#include <vector>

#include "report/export_cases.h"
#include "report/export_comparison.h"

namespace report_cases {

// Rules added to the report's style block: the tables' lines and the light
// red of an NG row (class "ng").
extern const char* const kStyle;

// A case text as the report shows it: escaped, its lines ended by <BR>.
std::string caseText(const std::string& cp932);

// The table, with each record's picture digest (hex; empty: none to show).
// With a baseline, each row's 比較 cell, and a row for each baseline step
// not run this time (未実施): its test ID, step and expected result, its
// heading where a record's number stands.
std::string table(const RecordCases& cases, const std::vector<std::string>& digests,
                  const ExportComparison& comparison = {});

// The cell beside a record's picture: its case's block, or an empty cell.
std::string cell(const testcase::TestCase& c);

}  // namespace report_cases
