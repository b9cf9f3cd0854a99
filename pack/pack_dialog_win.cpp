#include "pack/pack_dialog_win.h"

#include <commdlg.h>

#include <cstdio>

#include "base/app_state_win.h"
#include "base/dialog_text_win.h"
#include "base/message_box_win.h"
#include "resources/pack_ids.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"

namespace pack_win {

namespace {

constexpr const char* kCaption = "1ファイルにまとめる";

PackSettings* SettingsOf(HWND dialog) {
    return reinterpret_cast<PackSettings*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void Fill(HWND dialog, const PackSettings& s) {
    SendDlgItemMessageA(dialog, IDC_PACK_TARGET, EM_LIMITTEXT, kPathSize - 1, 0);
    SetDlgItemTextA(dialog, IDC_PACK_TARGET, s.target.c_str());
    CheckRadioButton(dialog, IDC_PACK_HTML, IDC_PACK_PDF, s.pdf ? IDC_PACK_PDF : IDC_PACK_HTML);
    const struct {
        int id;
        bool on;
    } kChecks[] = {{IDC_PACK_COVER, s.coverPage},
                   {IDC_PACK_NUMBERS, s.itemNumbers},
                   {IDC_PACK_DIGESTS, s.showDigests},
                   {IDC_PACK_CASES, s.caseTable}};
    for (const auto& c : kChecks)
        CheckDlgButton(dialog, c.id, c.on ? BST_CHECKED : BST_UNCHECKED);
    HWND perPage = GetDlgItem(dialog, IDC_PACK_PER_PAGE);
    for (int n = pack_settings::kMinRecordsPerPage; n <= pack_settings::kMaxRecordsPerPage; ++n)
        SendMessageA(perPage, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(n).c_str()));
    SendMessageA(perPage, CB_SETCURSEL,
                 static_cast<WPARAM>(s.recordsPerPage - pack_settings::kMinRecordsPerPage), 0);
}

void Browse(HWND dialog) {
    char path[kPathSize] = {};
    GetDlgItemTextA(dialog, IDC_PACK_TARGET, path, sizeof path);
    const bool pdf = IsDlgButtonChecked(dialog, IDC_PACK_PDF) == BST_CHECKED;
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = pdf ? "PDF (*.pdf)\0*.pdf\0すべてのファイル (*.*)\0*.*\0"
                          : "HTML (*.html)\0*.html;*.htm\0すべてのファイル (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrDefExt = pdf ? "pdf" : "html";
    ofn.lpstrTitle = "まとめるファイル";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (GetSaveFileNameA(&ofn))
        SetDlgItemTextA(dialog, IDC_PACK_TARGET, path);
}

// A wrong target is told and the focus goes back to it.
bool Take(HWND dialog, PackSettings& s) {
    PackSettings typed = s;
    typed.target = DialogItemText(dialog, IDC_PACK_TARGET, kPathSize - 1);
    typed.pdf = IsDlgButtonChecked(dialog, IDC_PACK_PDF) == BST_CHECKED;
    typed.coverPage = IsDlgButtonChecked(dialog, IDC_PACK_COVER) == BST_CHECKED;
    typed.itemNumbers = IsDlgButtonChecked(dialog, IDC_PACK_NUMBERS) == BST_CHECKED;
    typed.showDigests = IsDlgButtonChecked(dialog, IDC_PACK_DIGESTS) == BST_CHECKED;
    typed.caseTable = IsDlgButtonChecked(dialog, IDC_PACK_CASES) == BST_CHECKED;
    const LRESULT perPage = SendDlgItemMessageA(dialog, IDC_PACK_PER_PAGE, CB_GETCURSEL, 0, 0);
    if (perPage >= 0)
        typed.recordsPerPage = static_cast<int32_t>(perPage) + pack_settings::kMinRecordsPerPage;
    const std::string problem = pack_settings::validate(typed);
    if (!problem.empty()) {
        ShowMessage(dialog, problem.c_str(), kCaption, MB_ICONWARNING | MB_OK);
        HWND edit = GetDlgItem(dialog, IDC_PACK_TARGET);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        return false;
    }
    s = typed;
    return true;
}

void OnCommand(HWND dialog, int id) {
    switch (id) {
        case IDC_PACK_BROWSE:
            Browse(dialog);
            break;
        case IDOK:
            if (Take(dialog, *SettingsOf(dialog)))
                EndDialog(dialog, IDOK);
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        default:
            break;
    }
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            Fill(dialog, *reinterpret_cast<PackSettings*>(lParam));
            return TRUE;
        case WM_COMMAND:
            OnCommand(dialog, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

bool RunPackDialog(HWND owner, PackSettings& settings) {
    PackSettings edited = settings;
    HINSTANCE instance = appState.instance ? appState.instance : GetModuleHandleA(nullptr);
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PACK_OPTIONS), owner, Procedure,
                        reinterpret_cast<LPARAM>(&edited)) != IDOK)
        return false;
    Win32SettingsFiles files;
    if (!pack_settings::save(files, settingsStore.iniPath, edited)) {
        ShowMessage(owner, "設定ファイルにまとめ方を保存できませんでした。", kCaption,
                    MB_ICONERROR | MB_OK);
        return false;
    }
    settings = edited;
    return true;
}

}  // namespace pack_win
