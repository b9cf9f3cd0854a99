#include "view/annotation_text_dialog_win.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/cp932.h"
#include "base/dialog_text_win.h"
#include "picture/annotation.h"
#include "resources/annotation_ids.h"

namespace {

void ShowFontName(HWND dialog, const AnnotationTextRequest& request) {
    char line[96];
    std::snprintf(line, sizeof line, "%s %ld px",
                  request.face.empty() ? "(標準)" : request.face.c_str(),
                  static_cast<long>(request.fontHeight));
    SetDlgItemTextA(dialog, IDC_ANNOTATION_FONT_NAME, line);
}

INT_PTR CALLBACK TextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<AnnotationTextRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            request = reinterpret_cast<AnnotationTextRequest*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            SendDlgItemMessageA(dialog, IDC_ANNOTATION_TEXT, EM_LIMITTEXT,
                                annotation::kMaxTextBytes, 0);
            SetDlgItemTextA(dialog, IDC_ANNOTATION_TEXT, request->text.c_str());
            CheckDlgButton(dialog, IDC_ANNOTATION_BALLOON,
                           request->balloon ? BST_CHECKED : BST_UNCHECKED);
            ShowFontName(dialog, *request);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_ANNOTATION_FONT: {
                    LOGFONTA font{};
                    font.lfHeight = request->fontHeight;
                    font.lfCharSet = SHIFTJIS_CHARSET;
                    cp932::copyText(font.lfFaceName, request->face.c_str());
                    CHOOSEFONTA choose{};
                    choose.lStructSize = sizeof choose;
                    choose.hwndOwner = dialog;
                    choose.lpLogFont = &font;
                    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS;
                    if (ChooseFontA(&choose)) {
                        request->face = font.lfFaceName;
                        request->fontHeight =
                            std::clamp<int32_t>(std::abs(font.lfHeight), annotation::kMinFontHeight,
                                                annotation::kMaxFontHeight);
                        ShowFontName(dialog, *request);
                    }
                    return TRUE;
                }
                case IDOK:
                    request->text =
                        DialogItemText(dialog, IDC_ANNOTATION_TEXT, annotation::kMaxTextBytes);
                    request->balloon = IsDlgButtonChecked(dialog, IDC_ANNOTATION_BALLOON) != 0;
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace

bool AskAnnotationText(HINSTANCE instance, HWND owner, AnnotationTextRequest& request) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ANNOTATION_TEXT), owner, TextDialogProc,
                           reinterpret_cast<LPARAM>(&request)) == IDOK &&
           !request.text.empty();
}
