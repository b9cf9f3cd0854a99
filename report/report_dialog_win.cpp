#include "report/report_dialog_win.h"

// Least form until the report dialog is built: no report is chosen.
int RunReportOptionsDialog(HWND) {
    return IDCANCEL;
}
