// The settings property sheet.
#pragma once

#include <windows.h>

// Runs the sheet modally, owned by `owner`.
void RunSettingsPropertySheet(HWND owner);
