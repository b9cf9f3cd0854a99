#include "report/excel_dialog_win.h"

#include <commdlg.h>

#include "base/app_state_win.h"
#include "base/dialog_text_win.h"
#include "base/message_box_win.h"
#include "resources/excel_ids.h"

namespace {

// The dialog edits a copy; the caller's options change only on confirm.
ExcelOptions* OptionsOf(HWND dialog) {
    return reinterpret_cast<ExcelOptions*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

std::string ItemText(HWND dialog, int id) {
    return DialogItemText(dialog, id, kPathSize - 1);
}

void InitDialog(HWND dialog, const ExcelOptions& o) {
    for (int id : {IDC_EXCEL_OUTPUT_PATH, IDC_EXCEL_TITLE})
        SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, kPathSize - 1, 0);
    SetDlgItemTextA(dialog, IDC_EXCEL_OUTPUT_PATH, o.outputPath.c_str());
    SetDlgItemTextA(dialog, IDC_EXCEL_TITLE, o.title.c_str());
    CheckRadioButton(dialog, IDC_EXCEL_LAYOUT_SHEETS, IDC_EXCEL_LAYOUT_ONE_SHEET,
                     o.layout == WorkbookLayout::oneSheet ? IDC_EXCEL_LAYOUT_ONE_SHEET
                                                          : IDC_EXCEL_LAYOUT_SHEETS);
    CheckRadioButton(
        dialog, IDC_EXCEL_PICTURE_ACTUAL, IDC_EXCEL_PICTURE_FIT,
        o.pictureSize == PictureSize::actual ? IDC_EXCEL_PICTURE_ACTUAL : IDC_EXCEL_PICTURE_FIT);
    CheckDlgButton(dialog, IDC_EXCEL_DESCRIPTION,
                   o.includeDescription ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_EXCEL_DIGESTS, o.includeDigests ? BST_CHECKED : BST_UNCHECKED);
}

void Browse(HWND dialog) {
    char path[kPathSize] = {};
    GetDlgItemTextA(dialog, IDC_EXCEL_OUTPUT_PATH, path, sizeof path);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = "Excel files(*.xlsx)\0*.xlsx\0files(*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrDefExt = "xlsx";
    ofn.lpstrTitle = "保存するファイル名を指定して下さい";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (GetSaveFileNameA(&ofn))
        SetDlgItemTextA(dialog, IDC_EXCEL_OUTPUT_PATH, path);
}

bool Confirm(HWND dialog, ExcelOptions& o) {
    ExcelOptions typed = o;
    typed.outputPath = ItemText(dialog, IDC_EXCEL_OUTPUT_PATH);
    typed.title = ItemText(dialog, IDC_EXCEL_TITLE);
    typed.layout = IsDlgButtonChecked(dialog, IDC_EXCEL_LAYOUT_ONE_SHEET) == BST_CHECKED
                       ? WorkbookLayout::oneSheet
                       : WorkbookLayout::sheetPerRecord;
    typed.pictureSize = IsDlgButtonChecked(dialog, IDC_EXCEL_PICTURE_ACTUAL) == BST_CHECKED
                            ? PictureSize::actual
                            : PictureSize::fitWidth;
    typed.includeDescription = IsDlgButtonChecked(dialog, IDC_EXCEL_DESCRIPTION) == BST_CHECKED;
    typed.includeDigests = IsDlgButtonChecked(dialog, IDC_EXCEL_DIGESTS) == BST_CHECKED;
    const std::string problem = excel_options::validate(typed);
    if (!problem.empty()) {
        ShowMessage(dialog, problem.c_str(), "エラー", MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IDC_EXCEL_OUTPUT_PATH));
        return false;
    }
    o = typed;
    return true;
}

void OnCommand(HWND dialog, ExcelOptions& o, int id) {
    switch (id) {
        case IDC_EXCEL_BROWSE:
            Browse(dialog);
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        case IDC_EXCEL_OUTPUT:
            if (Confirm(dialog, o))
                EndDialog(dialog, IDOK);
            break;
        default:
            break;
    }
}

INT_PTR CALLBACK ExcelDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            InitDialog(dialog, *reinterpret_cast<ExcelOptions*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (ExcelOptions* options = OptionsOf(dialog))
                OnCommand(dialog, *options, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int RunExcelOptionsDialog(HWND owner, ExcelOptions& options) {
    ExcelOptions working = options;
    HINSTANCE instance = appState.instance ? appState.instance : GetModuleHandleA(nullptr);
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_EXCEL_OPTIONS), owner,
                                           ExcelDialogProc, reinterpret_cast<LPARAM>(&working));
    if (result != IDOK)
        return IDCANCEL;
    options = working;
    return IDOK;
}
