#include "capture/stamp_dialog_win.h"

#include <commdlg.h>

#include <cstdio>

#include "base/message_box_win.h"
#include "resources/stamp_ids.h"
#include "settings/case_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"

namespace {

constexpr const char* kCaption = "スタンプの設定";

// In the order of StampCorner.
const char* const kCorners[] = {"右下", "左下", "右上", "左上"};

struct DialogState {
    CaseSettings options;
    COLORREF custom[16] = {};
};

COLORREF ToColorRef(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

uint32_t FromColorRef(COLORREF c) {
    return (static_cast<uint32_t>(GetRValue(c)) << 16) |
           (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

// The colour as its six hex digits, as the settings file keeps it.
void ShowColour(HWND dialog, int id, uint32_t rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    SetDlgItemTextA(dialog, id, text);
}

void Fill(HWND dialog, const CaseSettings& options) {
    CheckDlgButton(dialog, IDC_STAMP_ON, options.stamp ? BST_CHECKED : BST_UNCHECKED);
    HWND corner = GetDlgItem(dialog, IDC_STAMP_CORNER);
    for (const char* name : kCorners)
        SendMessageA(corner, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageA(corner, CB_SETCURSEL, static_cast<WPARAM>(options.stampCorner), 0);
    SetDlgItemInt(dialog, IDC_STAMP_HEIGHT, static_cast<UINT>(options.stampFontHeight), FALSE);
    SendDlgItemMessageA(dialog, IDC_STAMP_HEIGHT, EM_LIMITTEXT, 2, 0);
    ShowColour(dialog, IDC_STAMP_TEXT_SAMPLE, options.stampTextColour);
    ShowColour(dialog, IDC_STAMP_BACK_SAMPLE, options.stampBackgroundColour);
}

void ChooseColour(HWND dialog, DialogState& state, uint32_t& colour, int sample) {
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = dialog;
    choose.rgbResult = ToColorRef(colour);
    choose.lpCustColors = state.custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorA(&choose)) {
        colour = FromColorRef(choose.rgbResult);
        ShowColour(dialog, sample, colour);
    }
}

// The height typed must be within the options' range: a wrong one is told
// and the focus goes back to it.
bool Take(HWND dialog, CaseSettings& options) {
    BOOL read = FALSE;
    const UINT height = GetDlgItemInt(dialog, IDC_STAMP_HEIGHT, &read, FALSE);
    if (!read || height < static_cast<UINT>(case_settings::kMinStampFontHeight) ||
        height > static_cast<UINT>(case_settings::kMaxStampFontHeight)) {
        ShowMessage(dialog, "文字の高さは 8 から 72 の整数で指定してください。", kCaption,
                    MB_ICONWARNING | MB_OK);
        HWND edit = GetDlgItem(dialog, IDC_STAMP_HEIGHT);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        return false;
    }
    options.stampFontHeight = static_cast<int32_t>(height);
    options.stamp = IsDlgButtonChecked(dialog, IDC_STAMP_ON) == BST_CHECKED;
    const LRESULT corner = SendDlgItemMessageA(dialog, IDC_STAMP_CORNER, CB_GETCURSEL, 0, 0);
    if (corner >= 0 && corner < 4)
        options.stampCorner = static_cast<StampCorner>(corner);
    return true;
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            Fill(dialog, reinterpret_cast<DialogState*>(lParam)->options);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_STAMP_TEXT_COLOUR:
                    ChooseColour(dialog, *state, state->options.stampTextColour,
                                 IDC_STAMP_TEXT_SAMPLE);
                    return TRUE;
                case IDC_STAMP_BACK_COLOUR:
                    ChooseColour(dialog, *state, state->options.stampBackgroundColour,
                                 IDC_STAMP_BACK_SAMPLE);
                    return TRUE;
                case IDOK:
                    if (Take(dialog, state->options))
                        EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

bool EditStampSettings(HINSTANCE instance, HWND owner) {
    Win32SettingsFiles files;
    DialogState state;
    state.options = case_settings::load(files, settingsStore.iniPath);
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_STAMP_SETTINGS), owner, Procedure,
                        reinterpret_cast<LPARAM>(&state)) != IDOK)
        return false;
    // The other options of the group as they are now: the current case may
    // have moved on while the dialog was open.
    CaseSettings now = case_settings::load(files, settingsStore.iniPath);
    now.stamp = state.options.stamp;
    now.stampCorner = state.options.stampCorner;
    now.stampFontHeight = state.options.stampFontHeight;
    now.stampTextColour = state.options.stampTextColour;
    now.stampBackgroundColour = state.options.stampBackgroundColour;
    if (!case_settings::save(files, settingsStore.iniPath, now)) {
        ShowMessage(owner, "設定ファイルにスタンプの設定を保存できませんでした。", kCaption,
                    MB_ICONERROR | MB_OK);
        return false;
    }
    return true;
}
