// Writing the HTML report file and copying the record files next to it.
#pragma once

#include <windows.h>

#include "report/report_writer.h"

// Writes the report of the global history with the job and the [HTML]
// settings. True when the report was written or the user chose not to
// overwrite an existing file; false, after telling the user, when the file
// could not be created or written.
// `digests` are the evidence's, read when the job shows them; `cases` one
// test case a record of the history, or none; `comparison` what a re-test
// found against its baseline (inactive: none chosen).
bool WriteHtmlReport(HWND owner, const ReportJob& job, const ExportDigests& digests = {},
                     const RecordCases& cases = {}, const ExportComparison& comparison = {});
