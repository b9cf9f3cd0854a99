#include "history/open_records_win.h"

#include <shellapi.h>

#include "base/message_box_win.h"
#include "settings/settings_store.h"

namespace {

void openWith(HWND owner, const char* path, const char* application) {
    char folder[kPathSize];
    char name[kPathSize];
    splitAtLastBackslash(path, folder, name);
    // The bare name, unquoted, with its folder as the working directory: a
    // name holding a blank reaches the application as one parameter string.
    const HINSTANCE result =
        application[0] != '\0'
            ? ShellExecuteA(owner, nullptr, application, name, folder, SW_SHOWNORMAL)
            : ShellExecuteA(owner, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
    // Values up to 32 are the shell's error codes.
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        ShowMessage(owner, "ファイルが見つかりません", "ファイルオープンエラー",
                    MB_ICONWARNING | MB_OK);
}

bool shiftDown() {
    return GetKeyState(VK_SHIFT) < 0;
}

}  // namespace

void OpenRecordFile(HWND owner, const char* path) {
    const Settings& settings = settingsStore.settings;
    if (isImageFileName(path))
        openWith(owner, path, settings.imageApp);
    else if (isTextFileName(path))
        openWith(owner, path, settings.textApp);
}

void OpenRecordTextFile(HWND owner, const char* path) {
    if (isTextFileName(path))
        openWith(owner, path, settingsStore.settings.textApp);
}

int OpenRows(HWND owner, const std::vector<RowPaths>& rows) {
    if (rows.size() > 1 && ShowMessage(owner, "複数選択されています。\r\n全て開きますか？", "確認",
                                       MB_ICONQUESTION | MB_OKCANCEL) != IDOK)
        return 0;
    for (const RowPaths& row : rows) {
        if (shiftDown())
            OpenRecordTextFile(owner, row.text);
        else
            OpenRecordFile(owner, row.image);
    }
    return 1;
}

int OpenTextOfRows(HWND owner, const std::vector<RowPaths>& rows) {
    if (rows.size() != 1) {
        ShowMessage(owner, "複数選択してテキスト編集はできません？", "確認",
                    MB_ICONQUESTION | MB_OK);
        return 0;
    }
    OpenRecordTextFile(owner, rows[0].text);
    return 1;
}
