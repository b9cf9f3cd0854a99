#include "history/record_dialogs_win.h"

#include <cstdio>
#include <cstring>

#include "base/cp932.h"
#include "base/dialog_text_win.h"
#include "base/message_box_win.h"
#include "base/win_handles_win.h"
#include "resources/resource_ids.h"

namespace {

// Room for any text a limited field can hold: the edit control may count its
// limit in characters rather than bytes, so 128 "characters" of CP932 can be
// up to 256 bytes. The result is cut to its own buffer afterwards.
constexpr int kFieldBufferSize = 1024;

// Reads a control's text into dst[N], cut so that no double-byte character
// is split.

// The dialog object whose `this` WM_INITDIALOG stored; none before that.
template <typename T>
T* DialogObject(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return reinterpret_cast<T*>(lParam);
    }
    return reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// A dialog that could not be made counts as cancelled: the caller then
// changes nothing.
int ModalResult(INT_PTR result) {
    return result == IDOK ? IDOK : IDCANCEL;
}

}  // namespace

// ---- heading dialog ----

int HeadingDialog::run(HINSTANCE instance, HWND owner) {
    return ModalResult(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_HEADING), owner, Procedure,
                                       reinterpret_cast<LPARAM>(this)));
}

INT_PTR CALLBACK HeadingDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    HeadingDialog* self = DialogObject<HeadingDialog>(dialog, message, lParam);
    if (!self)
        return FALSE;
    switch (message) {
        case WM_INITDIALOG:
            SendDlgItemMessageA(dialog, IDC_HEADING_TEXT, EM_LIMITTEXT, kCommentSize - 1, 0);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_HEADING_OK:
                case IDOK:
                    ReadDialogText(dialog, IDC_HEADING_TEXT, self->text);
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDC_HEADING_CANCEL:
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

// ---- text-file dialog ----

int TextFileDialog::run(HINSTANCE instance, HWND owner) {
    return ModalResult(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_TEXTFILE), owner, Procedure,
                                       reinterpret_cast<LPARAM>(this)));
}

INT_PTR CALLBACK TextFileDialog::Procedure(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    TextFileDialog* self = DialogObject<TextFileDialog>(dialog, message, lParam);
    if (!self)
        return FALSE;
    switch (message) {
        case WM_INITDIALOG:
            self->fillList(dialog);
            SetDlgItemTextA(dialog, IDC_TEXTFILE_FOLDER, self->folder);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    if (self->choose(dialog))
                        EndDialog(dialog, IDOK);
                    return TRUE;
                case IDC_TEXTFILE_NONE:
                    self->fileName[0] = '\0';
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case IDC_TEXTFILE_ADD:
                    self->addNewFile(dialog);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

void TextFileDialog::fillList(HWND dialog) const {
    char pattern[kPathSize];
    const int n = std::snprintf(pattern, sizeof pattern, "%s\\*.TXT", folder);
    if (n < 0 || n >= kPathSize)
        return;  // a cut pattern would list another folder
    // The system's search ignores case, so "*.TXT" finds "b.txt" as well.
    WIN32_FIND_DATAA found;
    win::FindHandle search(FindFirstFileA(pattern, &found));
    if (!search)
        return;
    HWND list = GetDlgItem(dialog, IDC_TEXTFILE_LIST);
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
    } while (FindNextFileA(search.get(), &found));
}

bool TextFileDialog::choose(HWND dialog) {
    fileName[0] = '\0';
    HWND list = GetDlgItem(dialog, IDC_TEXTFILE_LIST);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        ShowMessage(dialog, "ファイルが選択されていません", "確認", MB_ICONINFORMATION | MB_OK);
        return false;
    }
    // LB_GETTEXT takes no buffer size: make sure the entry fits first.
    char entry[kFieldBufferSize] = {};
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, selected, 0);
    if (length >= 0 && length < kFieldBufferSize)
        SendMessageA(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(entry));
    cp932::copyText(fileName, entry);
    return true;
}

void TextFileDialog::addNewFile(HWND dialog) const {
    char typed[kPathSize];
    ReadDialogText(dialog, IDC_TEXTFILE_NEW_NAME, typed);
    if (typed[0] == '\0') {
        ShowMessage(dialog, "ファイル名を入力してください", "確認", MB_OK);
        return;
    }
    // Too long for a path: failing is better than creating a cut name the
    // user never typed.
    char name[kPathSize];
    char path[kPathSize];
    const int nameLength = std::snprintf(name, sizeof name, "%s.txt", typed);
    const int pathLength = std::snprintf(path, sizeof path, "%s\\%s", folder, name);
    if (nameLength < 0 || nameLength >= kPathSize || pathLength < 0 || pathLength >= kPathSize)
        return;

    win::FileHandle existing(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (existing) {
        existing.reset();
        ShowMessage(dialog, "指定されたファイルは既にあります。", path, MB_OK);
        return;
    }
    win::FileHandle created(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!created)
        return;
    created.reset();
    HWND list = GetDlgItem(dialog, IDC_TEXTFILE_LIST);
    const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (at >= 0)
        SendMessageA(list, LB_SETCURSEL, at, 0);
}
