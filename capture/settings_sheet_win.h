// The settings property sheet.
#pragma once

#include <windows.h>

#include "settings/settings.h"

class SettingsSheet {
  public:
    // Runs the five pages modally in a loop of its own, which hands the
    // sheet its keys (Ctrl+Tab, Ctrl+PageDown and back turn the page);
    // returns what the sheet returned.
    INT_PTR open(HWND owner);

    // The folder browser: 1 when a folder was chosen (it is in "保存先" at
    // once), 2 otherwise.
    static int browseSaveFolder(HWND owner);
    // The open-file dialog for an application; nonzero when a file was
    // chosen, its full path then in chosenPath.
    int chooseExecutable(HWND owner);

    char chosenPath[kPathSize]{};
};

extern SettingsSheet settingsSheet;

// Runs the sheet modally, owned by `owner`.
void RunSettingsPropertySheet(HWND owner);
