#include "capture/settings_sheet_win.h"

// Least form until the property sheet is built: the capture that offers it
// (a start number above the maximum) has already told the user why it
// stopped, and nothing else happens.
void RunSettingsPropertySheet(HWND) {}
