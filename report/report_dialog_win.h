// The HTML report options dialog.
#pragma once

#include <windows.h>

// Runs the dialog modally. IDOK when the user chose to make a report: the
// [HTML] settings then hold the choices and have been written to the INI
// file. IDCANCEL (2) otherwise, with the settings untouched.
int RunReportOptionsDialog(HWND owner);
