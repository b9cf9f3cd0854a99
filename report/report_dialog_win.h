// The HTML report options dialog.
#pragma once

#include <windows.h>

// Runs the dialog modally; IDOK when the user chose to make a report (the
// [HTML] settings then hold the choices), IDCANCEL otherwise.
int RunReportOptionsDialog(HWND owner);
