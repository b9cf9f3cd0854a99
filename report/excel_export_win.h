// The command "Excel出力(&X)...": the options dialog, then the evidence
// workbook of the global history, written beside the target and moved over
// it only when complete.
#pragma once

#include <windows.h>

#include "report/excel_options.h"
#include "report/export_cases.h"
#include "report/export_comparison.h"
#include "report/export_picture.h"

// Runs the dialog and, on confirm, stores the options in "[Excel]" and
// exports. Every outcome is told to the user in one message.
// `comparison`: what a re-test found against its baseline (inactive: none).
void RunExcelExport(HWND owner, const ExportDigests& digests = {}, const RecordCases& cases = {},
                    const ExportComparison& comparison = {});

// The export alone, with the options given; returns true when the workbook
// was written (records with problems included).
// `digests` are the evidence's, read when the options include them or a
// record has a test case (`cases`: one a record of the history, or none).
bool ExportExcelWorkbook(HWND owner, const ExcelOptions& options, const ExportDigests& digests = {},
                         const RecordCases& cases = {}, const ExportComparison& comparison = {});
