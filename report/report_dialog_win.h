// The HTML report options dialog.
#pragma once

#include <windows.h>

#include "report/report_extras.h"

// Runs the dialog modally. IDOK when the user chose to make a report: the
// [HTML] settings then hold the choices and have been written to the INI
// file. IDCANCEL (2) otherwise, with the settings untouched.
// `extras`, when given, receives the options kept beside [HTML].
int RunReportOptionsDialog(HWND owner, ReportExtras* extras = nullptr);
