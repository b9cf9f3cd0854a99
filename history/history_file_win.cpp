#include "history/history_file_win.h"

#include "app/message_box_win.h"
#include "history/history.h"

extern History history;

bool ConfirmSaveChanges(HWND owner) {
    if (!history.modified)
        return true;
    const int answer = ShowMessage(owner, "履歴リストが変更されています。\r\n変更を保存しますか？",
                                   "保存確認", MB_ICONWARNING | MB_YESNOCANCEL);
    if (answer == IDCANCEL)
        return false;
    if (answer == IDYES)
        return SaveHistoryFile(owner);
    return true;
}

bool SaveHistoryFile(HWND) {
    // Least form until the CSV writer exists: nothing can be saved yet, so a
    // close that asked for a save stays open rather than losing the records.
    return false;
}
