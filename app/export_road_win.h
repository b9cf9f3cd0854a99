// The one way out for each export of the history, which the menu commands
// and the scripted /report, /excel and /pack all take: each gathers the evidence
// the export shows (the book's pinned digests and the manifest on disk)
// and calls the writer, so that what a script writes is what the menu
// writes.
#pragma once

#include <windows.h>

#include "report/excel_options.h"
#include "report/export_comparison.h"
#include "report/export_picture.h"
#include "report/report_extras.h"
#include "report/report_writer.h"
#include "settings/pack_settings.h"

namespace export_road {

// What the report and the workbook show of the evidence: the digests pinned
// in the book, and the manifest on disk beside the history, which is what a
// reader of the printed page can check.
ExportDigests Evidence();

// Each record's test case (history.cases by the record's id), in the
// history's order; empty when no record has one.
RecordCases Cases();

// The re-test against the baseline, as the report and the workbook show it:
// each record's comparison in the history's order, the baseline's steps not
// run this cycle in the baseline's order, the baseline manifest's digest.
// Inactive, and every export as it was, without a baseline.
ExportComparison Comparison();

// The HTML report with the job (the [HTML] settings and where it goes) and
// the report's own options (the SHA-256s shown or not). True as
// WriteHtmlReport says.
bool Report(HWND owner, ReportJob job, const ReportExtras& extras);

// The report options as last stored, for a report made without the dialog.
ReportExtras StoredReportExtras();

// The workbook with the options given; true when it was written.
bool Workbook(HWND owner, const ExcelOptions& options);

// The menu's "Excel出力": the options dialog, then the workbook.
void WorkbookCommand(HWND owner);

// The one-file pack with the options given (its target and format among
// them); true when it was written, with `unreadable` the pictures that went
// in as a note.
bool Pack(HWND owner, const PackSettings& settings, int* unreadable = nullptr);

// The [Pack] options as stored, the target beside the history when none
// was ever chosen.
PackSettings StoredPackSettings();

// The menu's "1ファイルにまとめる": the dialog, then the pack.
void PackCommand(HWND owner);

}  // namespace export_road
