// The テストケース dialog over the cases of the selected records (the
// decisions are history/case_dialog_rules.h), and what the list and the
// capture road ask of the settings for a case: the [TestCase] group and the
// tester's name.
#pragma once

#include <windows.h>

#include <string>

#include "history/case_dialog_rules.h"
#include "settings/case_settings.h"

struct CaseDialogData {
    case_dialog::Form form;  // what the dialog shows
    int records = 1;         // how many records it edits
    case_dialog::Edit edit;  // what the user left, after OK
};

// IDOK with data.edit filled, or IDCANCEL (also when the dialog could not
// be made).
INT_PTR RunCaseDialog(HINSTANCE instance, HWND owner, CaseDialogData& data);

// The [TestCase] group of the settings file.
CaseSettings LoadCaseSettings();
bool SaveCaseSettings(const CaseSettings& s);
// 実施者 as the settings name it, else the Windows user name.
std::string TesterName(const CaseSettings& s);
