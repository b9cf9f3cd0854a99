// The Excel evidence workbook's options dialog.
#pragma once

#include <windows.h>

#include "report/excel_options.h"

// Runs the dialog modally on `options` (filled by the caller). IDOK when the
// user chose to export: `options` then holds the choices. IDCANCEL otherwise,
// with `options` as it came in.
int RunExcelOptionsDialog(HWND owner, ExcelOptions& options);
