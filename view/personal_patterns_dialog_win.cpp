#include "view/personal_patterns_dialog_win.h"

#include <string>

#include "base/dialog_text_win.h"
#include "base/message_box_win.h"
#include "resources/personal_data_ids.h"
#include "settings/ocr_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "view/mask_proposals.h"

namespace {

const char kCaption[] = "個人情報パターンの設定";
// A hundred patterns of 64 double-byte characters, with their line ends.
constexpr std::size_t kTextMaximum = 16384;

// The patterns are read from the file when the dialog opens and the group
// written back alone, so that what another part of the program keeps of
// [OCR] is never overwritten by an older copy.
bool SaveOrRefuse(HWND dialog) {
    const std::vector<std::string> patterns =
        mask_proposals::patternsOfText(DialogItemText(dialog, IDC_PERSONAL_PATTERNS, kTextMaximum));
    const std::string refused = mask_proposals::refusal(patterns);
    if (!refused.empty()) {
        ShowMessage(dialog, refused.c_str(), kCaption, MB_ICONWARNING | MB_OK);
        SetFocus(GetDlgItem(dialog, IDC_PERSONAL_PATTERNS));
        return false;
    }
    Win32SettingsFiles files;
    OcrSettings settings = ocr_settings::load(files, settingsStore.iniPath);
    settings.patterns = patterns;
    if (!ocr_settings::save(files, settingsStore.iniPath, settings)) {
        std::string text = "設定ファイルに書き込めませんでした。\r\n";
        text += settingsStore.iniPath;
        ShowMessage(dialog, text.c_str(), kCaption, MB_ICONERROR | MB_OK);
        return false;
    }
    return true;
}

INT_PTR CALLBACK PatternsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            Win32SettingsFiles files;
            const OcrSettings settings = ocr_settings::load(files, settingsStore.iniPath);
            SendDlgItemMessageA(dialog, IDC_PERSONAL_PATTERNS, EM_LIMITTEXT, kTextMaximum, 0);
            SetDlgItemTextA(dialog, IDC_PERSONAL_PATTERNS,
                            mask_proposals::textOfPatterns(settings.patterns).c_str());
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                if (SaveOrRefuse(dialog))
                    EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool EditPersonalPatterns(HINSTANCE instance, HWND owner) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PERSONAL_PATTERNS), owner, PatternsProc,
                           0) == IDOK;
}
