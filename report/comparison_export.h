// What the report and the workbook show of a re-test, in one place for
// both: each record's 比較 cell, the lines and the diff picture beside a
// record that differs from the baseline's capture of its step, and the
// cover's line that names the baseline and its manifest. Platform-free.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "report/export_comparison.h"

namespace comparison_export {

extern const char* const kColumnHeading;  // "比較" (CP932)

// The record's comparison; null when the export shows none (no baseline, or
// a record the list does not reach).
const RecordComparison* of(const ExportComparison& comparison, std::size_t record);

// The record's 比較 cell: "一致", "差分あり", "基準なし", or "" (CP932).
std::string cellText(const ExportComparison& comparison, std::size_t record);

// A record that differs gets its diff picture and changed lines beside it.
bool differs(const RecordComparison* record);

// What stands beside a differing record (CP932).
struct Section {
    std::string summary;               // "比較: 差分あり 変化 2.4 %"
    std::string baseline;              // "基準の記録: <the baseline step's heading>"
    std::vector<std::string> changes;  // the changed text lines, as the re-test found them
};
Section section(const RecordComparison& record);

// "基準 <path>  マニフェスト SHA-256: <hex>", or "... マニフェストがありません"
// when the baseline has none (CP932).
std::string coverLine(const ExportComparison& comparison);

// The overlay of the baseline's picture and the record's (the record's, the
// changed pixels tinted red) as the bytes of a PNG file; empty when either
// is no picture that decodes, or they have no area in common.
std::string diffPng(const std::string& baselineBytes, const std::string& currentBytes,
                    const picture_diff::Options& options = {});

}  // namespace comparison_export
