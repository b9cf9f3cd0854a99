#include "history/history_list_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "base/app_messages_win.h"
#include "base/app_state_win.h"
#include "base/cp932.h"
#include "base/menu_win.h"
#include "base/message_box_win.h"
#include "history/case_placement.h"
#include "history/evidence_book_win.h"
#include "history/history.h"
#include "history/history_file_win.h"
#include "history/history_paths.h"
#include "history/open_records.h"
#include "history/open_records_win.h"
#include "history/record_dialogs_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace {

struct Column {
    const char* header;
    int size;  // bytes read back, NUL included
};
const Column kColumns[4] = {{"見出し", kCommentSize},
                            {"イメージ情報", kPathSize},
                            {"日付", kDateTimeSize},
                            {"説明文", kPathSize}};
constexpr int kHeading = 0, kImage = 1, kDate = 2, kText = 3;

// What the image column shows: the file part of a record of the history
// folder, the whole path otherwise.
const char* ImageText(const HistoryRecord& r) {
    if (r.relative == 1) {
        const char* part = filePart(r.imagePath);
        if (part)
            return part;
    }
    return r.imagePath;
}

// Two names of one file (another spelling, a short name) are the same file.
bool SameFile(const char* a, const char* b) {
    auto identity = [](const char* path, BY_HANDLE_FILE_INFORMATION* info) {
        win::FileHandle file(CreateFileA(path, 0,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file && GetFileInformationByHandle(file.get(), info);
    };
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return identity(a, &x) && identity(b, &y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// Wine's list view repaints the rows and sets its scroll bars again after
// every row inserted or deleted while it draws, so changing n rows took n
// repaints of all that shows: a history of 1000 records took seconds to
// open, with the window frozen. Bulk changes hold the drawing and paint once.
class HeldRedraw {
  public:
    explicit HeldRedraw(HWND list) : list_(list) { hold(); }
    HeldRedraw(const HeldRedraw&) = delete;
    HeldRedraw& operator=(const HeldRedraw&) = delete;
    ~HeldRedraw() { release(); }

    void hold() {
        if (held_ || !list_)
            return;
        held_ = true;
        SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    }
    // Paints the rows as they are now; before a message box that asks about
    // them, the user sees the rows changed so far.
    void release() {
        if (!held_)
            return;
        held_ = false;
        SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }

  private:
    HWND list_;
    bool held_ = false;
};

// The id of the record a row shows (HistoryRecord::id).
uint32_t RowId(HWND list, int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<uint32_t>(item.lParam);
}

}  // namespace

// ---- the control ----

HWND HistoryList::create(HINSTANCE moduleInstance, HWND parentWindow) {
    instance = moduleInstance;
    parent = parentWindow;
    window = CreateWindowExA(0, WC_LISTVIEWA, "",
                             WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                                 LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                             0, 0, 0, 0, parentWindow, reinterpret_cast<HMENU>(kControlId),
                             moduleInstance, nullptr);
    if (!window)
        return nullptr;
    const DWORD extended =
        static_cast<DWORD>(SendMessageA(window, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    SendMessageA(window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 extended | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    DragAcceptFiles(window, TRUE);
    controlProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
    const Settings& s = settingsStore.settings;
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = s.columnWidths[i];
        column.pszText = const_cast<char*>(kColumns[i].header);
        column.iSubItem = i;
        SendMessageA(window, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    insertCaseColumns();
    ShowWindow(window, SW_HIDE);
    return window;
}

void HistoryList::fitToParent() {
    if (!window)
        return;
    if (!fontMade) {
        applyFont();
        fontMade = 1;
    }
    RECT r;
    GetWindowRect(parent, &r);
    MoveWindow(window, 0, 0, r.right - r.left, r.bottom - r.top, TRUE);
}

void HistoryList::applyFont() {
    if (!window)
        return;
    const FontEntry& f = settingsStore.settings.historyFont;
    font.reset(CreateFontA(f.pointSize, 0, 0, 0, f.weight, f.italic, 0, 0, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                           FIXED_PITCH | FF_MODERN, f.faceName));
    {
        win::WindowDc dc(window);
        win::SelectGuard selected(dc.get(), font.get());
        GetTextMetricsA(dc.get(), &metrics);
    }
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
}

int HistoryList::itemCount() const {
    return window ? static_cast<int>(SendMessageA(window, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int HistoryList::selectedCount() const {
    return window ? static_cast<int>(SendMessageA(window, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

int HistoryList::columnWidth(int column) const {
    return static_cast<int>(SendMessageA(window, LVM_GETCOLUMNWIDTH, column, 0));
}

void HistoryList::setText(int row, int column, const char* value) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(value);
    SendMessageA(window, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void HistoryList::text(int row, int column, char* out, int size) const {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = out;
    item.cchTextMax = size;
    out[0] = '\0';
    SendMessageA(window, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    // The control may cut a double-byte character in two at the buffer end.
    char whole[kPathSize];
    cp932::copyText(whole, sizeof whole, out);
    cp932::copyText(out, static_cast<size_t>(size), whole);
}

int HistoryList::firstSelected() const {
    return static_cast<int>(
        SendMessageA(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void HistoryList::postRefresh() const {
    if (appState.mainWindow)
        PostMessageA(appState.mainWindow, UWM_UPDATE_COMMANDS, 0, 0);
}

// Every change of rows ends here, whatever started it (key, menu, toolbar,
// context menu, drop, in-place edit): the save command must follow
// `modified`, or Ctrl+S would silently save nothing.
void HistoryList::markChanged() const {
    history.modified = 1;
    postRefresh();
}

// Sent, not posted: the picture changes with the selection, before the next
// key is read.
void HistoryList::showSelectedImage() const {
    if (appState.mainWindow)
        SendMessageA(appState.mainWindow, UWM_SHOW_IMAGE, 0, 0);
}

HWND HistoryList::dialogOwner() const {
    return window ? window : appState.mainWindow;
}
HWND HistoryList::promptOwner() const {
    return parent ? parent : appState.mainWindow;
}

void HistoryList::insertRowFromRecord(int row, int record) {
    HistoryRecord& r = history.records[record];
    if (r.id == 0)
        r.id = history.newRecordId();
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(r.comment);
    // The row carries its record's id, so that writeBack, which makes the
    // records again from the rows, keeps each record's case with it.
    item.lParam = static_cast<LPARAM>(r.id);
    const int at =
        static_cast<int>(SendMessageA(window, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    // A new row's cells are empty: an empty text is not set again (a
    // thousand rows ask a thousand times fewer of the list).
    const std::pair<int, const char*> cells[] = {
        {kImage, ImageText(r)}, {kDate, r.dateTime}, {kText, r.textFile}};
    for (const auto& [column, value] : cells)
        if (value[0] != '\0')
            setText(at, column, value);
    showCase(at, true);
}

// ---- rows and records ----

void HistoryList::writeBack() {
    if (!window)
        return;
    const int n = itemCount();
    for (int i = 0; i < history.count; ++i)
        std::memset(&history.records[i], 0, sizeof history.records[i]);
    history.count = n;
    for (int i = 0; i < n; ++i) {
        HistoryRecord& r = history.records[i];
        text(i, kHeading, r.comment, sizeof r.comment);
        text(i, kImage, r.imagePath, sizeof r.imagePath);
        text(i, kDate, r.dateTime, sizeof r.dateTime);
        text(i, kText, r.textFile, sizeof r.textFile);
        // A row of the history folder shows the file part alone; a longer
        // path that merely begins with one backslash ("\captures\a.jpg" on
        // the current drive) is a full path and must keep its folder.
        const char* part = filePart(r.imagePath);
        r.relative = isRelative(r.imagePath) && part == r.imagePath ? 1 : 0;
        r.id = RowId(window, i);
    }
    caseplace::dropCasesOfGoneRecords(history);
}

// The rows go with the drawing held: a list that draws repaints its
// emptied rows once more before the next history's fill.
void HistoryList::clearAll() {
    if (window) {
        HeldRedraw held(window);
        SendMessageA(window, LVM_DELETEALLITEMS, 0, 0);
    }
    history.clearRecords();
}

void HistoryList::fillFromRecords() {
    if (!window || history.count <= 0 || history.count > kRecordMaximum)
        return;
    HeldRedraw held(window);
    // Room for every row at once, instead of the list's growing it row by
    // row.
    SendMessageA(window, LVM_SETITEMCOUNT, static_cast<WPARAM>(history.count),
                 LVSICF_NOINVALIDATEALL);
    for (int i = 0; i < history.count; ++i)
        insertRowFromRecord(i, i);
}

// A capture's row is drawn once no other capture is queued behind it: with
// its scroll bar, Wine's list view paints and sets the bar again on every
// row inserted and scrolls with a paint of its own, which in a burst of hot
// keys cost each capture more than its file once the list scrolled. The
// rows are in at once; only their drawing waits for the message posted
// after the last of them.
void HistoryList::showAppendedRecord() {
    if (history.count < 1 || history.count > kRecordMaximum)
        return;
    markChanged();
    if (!window)
        return;
    if (!appendHeld_) {
        appendHeld_ = true;
        SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    }
    const int row = history.count - 1;
    insertRowFromRecord(row, row);
    appending_ = true;
    // Only the rows selected or focused: the state of item -1 is a walk
    // over every row.
    LVITEMA clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    for (int r = firstSelected(); r >= 0;
         r = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, r, LVNI_SELECTED)))
        SendMessageA(window, LVM_SETITEMSTATE, r, reinterpret_cast<LPARAM>(&clear));
    const int focused = static_cast<int>(
        SendMessageA(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= 0)
        SendMessageA(window, LVM_SETITEMSTATE, focused, reinterpret_cast<LPARAM>(&clear));
    // The focus comes with the drawing: Wine's list view scrolls to a row
    // that takes the focus, with a paint, even while it does not draw.
    LVITEMA select{};
    select.state = select.stateMask = LVIS_SELECTED;
    SendMessageA(window, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&select));
    appending_ = false;
    appendedRow_ = row;
    if (!PostMessageA(window, kDrawAppendedRows, ++appendGeneration_, 0))
        drawAppendedRows(appendGeneration_);
}

// The last capture's message draws the rows and scrolls to its row, with
// the scroll range the list sets again only while it draws.
void HistoryList::drawAppendedRows(WPARAM generation) {
    if (!appendHeld_ || generation != appendGeneration_)
        return;
    appendHeld_ = false;
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
    if (appendedRow_ < itemCount()) {
        LVITEMA focus{};
        focus.state = focus.stateMask = LVIS_FOCUSED;
        SendMessageA(window, LVM_SETITEMSTATE, appendedRow_, reinterpret_cast<LPARAM>(&focus));
        SendMessageA(window, LVM_ENSUREVISIBLE, appendedRow_, FALSE);
    }
    if (pictureOwed_) {
        pictureOwed_ = false;
        showSelectedImage();
    }
}

void HistoryList::showPictureWithRows() {
    pictureOwed_ = true;
}

int HistoryList::addRowForFile(const char* value) {
    if (history.count >= kRecordMaximum) {
        ShowMessage(dialogOwner(), "最大登録件数を超えました", "ERROR", MB_ICONERROR | MB_OK);
        return 0;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[64];
    std::snprintf(date, sizeof date, "%d/%02d/%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = history.count;
    item.pszText = const_cast<char*>(value);
    item.lParam = static_cast<LPARAM>(history.newRecordId());
    const int row =
        static_cast<int>(SendMessageA(window, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    setText(row, kImage, value);
    setText(row, kDate, date);
    setText(row, kText, "");
    ++history.count;
    char full[kPathSize];
    rowImagePath(value, history.folder, full);
    evidenceBook.event(LogEvent::import, history.count, full);
    markChanged();
    return 1;
}

void HistoryList::dropFiles(HDROP drop) {
    const Settings& s = settingsStore.settings;
    const char* folder = s.capturesFollowHistory() ? history.folder : s.saveFolder;
    const UINT n = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    HeldRedraw held(window);
    // A message about one file comes with the rows of the files before it.
    auto ask = [&](const char* text, const char* caption, UINT flags) {
        held.release();
        const int answer = ShowMessage(dialogOwner(), text, caption, flags);
        held.hold();
        return answer;
    };
    for (UINT i = 0; i < n; ++i) {
        char source[kPathSize] = {};
        if (DragQueryFileA(drop, i, source, sizeof source) >= sizeof source)
            continue;
        const char* name = filePart(source);
        if (!name)
            continue;
        char target[kPathSize];
        if (std::snprintf(target, sizeof target, "%s%s", folder, name) >=
            static_cast<int>(sizeof target)) {
            // A cut target would name some other file.
            char message[kPathSize + 64];
            std::snprintf(message, sizeof message, "パスが長すぎるため登録できません\r\n%s", name);
            ask(message, "ERROR", MB_ICONERROR | MB_OK);
            continue;
        }
        // A file dragged from the folder it would be copied into is taken
        // as it is: deleting the target first would destroy it.
        if (!SameFile(source, target)) {
            win::FileHandle created(CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!created && GetLastError() == ERROR_FILE_EXISTS) {
                char question[kPathSize + 80];
                std::snprintf(question, sizeof question,
                              "同じ名前のファイルがあります。上書きしますか？\r\n%s", name);
                if (ask(question, "確認", MB_ICONWARNING | MB_OKCANCEL) != IDOK)
                    break;
            }
            created.reset();
            DeleteFileA(target);
            CopyFileA(source, target, FALSE);
        }
        if (history.count >= kRecordMaximum)
            held.release();  // for the message of the full list
        if (!addRowForFile(s.capturesFollowHistory() ? name : target))
            break;
    }
    writeBack();
    markChanged();
    DragFinish(drop);
}

// ---- editing ----

namespace {

// The chained log names each record by its number at the moment of the
// event and its picture's full path.
void LogRecord(LogEvent what, int row, int number) {
    if (row < 0 || row >= history.count)
        return;
    char full[kPathSize];
    resolvedImagePath(history.records[row], history.folder, full);
    evidenceBook.event(what, number, full);
}

}  // namespace

int HistoryList::deleteSelected() {
    if (ShowMessage(dialogOwner(), "選択した行を削除します。よろしいですか？", "確認",
                    MB_ICONQUESTION | MB_YESNOCANCEL) != IDYES)
        return 0;
    std::vector<int> rows;
    for (int r = firstSelected(); r >= 0;
         r = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, r, LVNI_SELECTED)))
        rows.push_back(r);
    // From the last row up, so that each number is the record's own then,
    // and before a picture goes with its record.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        LogRecord(LogEvent::deletion, *it, *it + 1);
    const bool deleteImages = settingsStore.settings.keepImagesOnDelete == 0;
    for (int k : rows) {
        if (!deleteImages || k >= history.count)
            continue;
        const HistoryRecord& r = history.records[k];
        char full[kPathSize];
        resolvedImagePath(r, history.folder, full);
        const char* part = filePart(r.imagePath);
        char own[kPathSize * 2];
        std::snprintf(own, sizeof own, "%s%s", history.folder, part ? part : "");
        if (!part || std::strcmp(full, own) != 0) {
            // Only the history folder's own images are ever deleted.
            ShowMessage(dialogOwner(), "オリジナル画像は削除しません", full,
                        MB_ICONWARNING | MB_OK);
        } else if (!DeleteFileA(full)) {
            ShowMessage(dialogOwner(), "削除するファイルが存在しません", full,
                        MB_ICONWARNING | MB_OK);
        }
    }
    // Rows going away move the selection over rows whose images may be gone
    // already: no picture is loaded until the list has settled.
    deleting_ = true;
    {
        HeldRedraw held(window);
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            SendMessageA(window, LVM_DELETEITEM, *it, 0);
    }
    deleting_ = false;
    writeBack();
    markChanged();
    // The deleted rows' pictures go; the pane shows what is selected now.
    showSelectedImage();
    return 1;
}

int HistoryList::moveUp() {
    const int r = firstSelected();
    if (r <= 0)
        return 0;
    LogRecord(LogEvent::move, r, r);  // to number r, one up
    insertRowFromRecord(r - 1, r);
    SendMessageA(window, LVM_DELETEITEM, r + 1, 0);
    LVITEMA select{};
    select.state = select.stateMask = LVIS_SELECTED;
    SendMessageA(window, LVM_SETITEMSTATE, r - 1, reinterpret_cast<LPARAM>(&select));
    writeBack();
    markChanged();
    return 1;
}

int HistoryList::moveDown() {
    const int r = firstSelected();
    if (r < 0 || r >= itemCount() - 1)
        return 0;
    LogRecord(LogEvent::move, r, r + 2);  // to number r + 2, one down
    insertRowFromRecord(r + 2, r);
    SendMessageA(window, LVM_DELETEITEM, r, 0);
    LVITEMA select{};
    select.state = select.stateMask = LVIS_SELECTED;
    SendMessageA(window, LVM_SETITEMSTATE, r + 1, reinterpret_cast<LPARAM>(&select));
    writeBack();
    markChanged();
    return 1;
}

void HistoryList::editHeadingInPlace() {
    if (!window)
        return;
    int row = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                            LVNI_FOCUSED | LVNI_SELECTED));
    if (row < 0)
        row = firstSelected();
    if (row < 0)
        return;
    SetFocus(window);
    SendMessageA(window, LVM_EDITLABELA, row, 0);
}

int HistoryList::editHeadingsOfSelection() {
    if (headingDialog.run(instance, promptOwner()) != IDOK)
        return 0;
    for (int r = firstSelected(); r >= 0;
         r = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, r, LVNI_SELECTED)))
        setText(r, kHeading, headingDialog.text);
    writeBack();
    markChanged();
    return 1;
}

int HistoryList::assignTextFile() {
    if (selectedCount() != 1) {
        ShowMessage(promptOwner(), "複数選択してテキスト追加はできません？", "確認",
                    MB_ICONQUESTION | MB_OK);
        return 0;
    }
    TextFileDialog dialog{};
    cp932::copyText(dialog.folder, history.folder);
    if (dialog.run(instance, appState.mainWindow) == IDOK) {
        setText(firstSelected(), kText, dialog.fileName);
        writeBack();
        markChanged();
    }
    return 1;
}

void HistoryList::selectAll() {
    if (!window)
        return;
    LVITEMA all{};
    all.state = LVIS_SELECTED;
    all.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(window, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
}

HistoryList::RowFiles HistoryList::rowFiles(int row) const {
    RowFiles files{};
    char value[kPathSize];
    text(row, kHeading, files.heading, sizeof files.heading);
    text(row, kImage, value, sizeof value);
    rowImagePath(value, history.folder, files.picture);
    text(row, kText, value, sizeof value);
    if (value[0] != '\0')
        rowTextPath(value, history.folder, files.textFile);
    files.id = RowId(window, row);
    return files;
}

void HistoryList::selectOnly(int row) {
    if (!window || row < 0 || row >= itemCount())
        return;
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(window, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    LVITEMA item{};
    item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(window, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendMessageA(window, LVM_ENSUREVISIBLE, row, FALSE);
}

// ---- opening records ----

int HistoryList::openSelected() {
    std::vector<RowPaths> rows;
    for (int r = firstSelected(); r >= 0;
         r = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, r, LVNI_SELECTED))) {
        char image[kPathSize], textFile[kPathSize];
        text(r, kImage, image, sizeof image);
        text(r, kText, textFile, sizeof textFile);
        RowPaths paths{};
        rowImagePath(image, history.folder, paths.image);
        rowTextPath(textFile, history.folder, paths.text);
        rows.push_back(paths);
    }
    return OpenRows(promptOwner(), rows);
}

bool HistoryList::selectedPicturePath(char (&path)[kPathSize]) const {
    if (selectedCount() != 1)
        return false;
    char image[kPathSize];
    text(firstSelected(), kImage, image, sizeof image);
    rowImagePath(image, history.folder, path);
    return path[0] != '\0' && isImageFileName(path) &&
           GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool HistoryList::selectedPicturePair(char (&first)[kPathSize], char (&second)[kPathSize],
                                      char (&firstHeading)[kCommentSize],
                                      char (&secondHeading)[kCommentSize]) const {
    if (selectedCount() != 2)
        return false;
    const int a = firstSelected();
    const int b = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, a, LVNI_SELECTED));
    const auto picture = [&](int row, char (&path)[kPathSize], char (&heading)[kCommentSize]) {
        char image[kPathSize];
        text(row, kImage, image, sizeof image);
        rowImagePath(image, history.folder, path);
        text(row, kHeading, heading, sizeof heading);
        return path[0] != '\0' && isImageFileName(path) &&
               GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    };
    return b >= 0 && picture(a, first, firstHeading) && picture(b, second, secondHeading);
}

int HistoryList::openTextOfSelection() {
    std::vector<RowPaths> rows;
    for (int r = firstSelected(); r >= 0;
         r = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, r, LVNI_SELECTED))) {
        char textFile[kPathSize];
        text(r, kText, textFile, sizeof textFile);
        RowPaths paths{};
        rowTextPath(textFile, history.folder, paths.text);
        rows.push_back(paths);
    }
    return OpenTextOfRows(promptOwner(), rows);
}

void HistoryList::openAtPoint(int x, int y) {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    const int row =
        static_cast<int>(SendMessageA(window, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0)
        return;
    char value[kPathSize], path[kPathSize];
    if (GetKeyState(VK_SHIFT) < 0) {
        text(row, kText, value, sizeof value);
        rowTextPath(value, history.folder, path);
        OpenRecordTextFile(promptOwner(), path);
    } else {
        text(row, kImage, value, sizeof value);
        rowImagePath(value, history.folder, path);
        OpenRecordFile(promptOwner(), path);
    }
}

// ---- menu, messages and notifications ----

void HistoryList::prepareContextMenu(HMENU popup) const {
    const bool selection = selectedCount() > 0;
    for (UINT id : {IDM_OPEN_RECORD, IDM_EDIT_HEADINGS, IDM_EDIT_DELETE, IDM_EDIT_MOVE_UP,
                    IDM_EDIT_MOVE_DOWN, IDM_EDIT_HEADING})
        EnableMenuCommand(popup, id, selection);
    // Description files live in the history folder: none before it has a name.
    const bool texts = selection && !history.untitled;
    for (UINT id : {IDM_ASSIGN_TEXT, IDM_EDIT_TEXT})
        EnableMenuCommand(popup, id, texts);
    char picture[kPathSize];
    EnableMenuCommand(popup, IDM_ANNOTATE, selectedPicturePath(picture));
}

POINT HistoryList::contextMenuPoint(int x, int y) const {
    if (x != -1 || y != -1)
        return {x, y};
    // From the keyboard: at the focused (or first selected) row.
    int row = static_cast<int>(
        SendMessageA(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row < 0)
        row = firstSelected();
    RECT r{};
    r.left = LVIR_LABEL;
    POINT at{0, 0};
    if (row >= 0 && SendMessageA(window, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r)))
        at = {r.left, r.bottom};
    ClientToScreen(window, &at);
    return at;
}

void HistoryList::showContextMenu(HWND owner, int x, int y) {
    win::Menu menu(LoadMenuA(instance, "POPUPMENUCSV"));
    if (!menu)
        return;
    HMENU popup = GetSubMenu(menu.get(), 0);
    prepareContextMenu(popup);
    const POINT at = contextMenuPoint(x, y);
    TrackPopupMenu(popup, TPM_LEFTBUTTON, at.x, at.y, 0, owner, nullptr);
}

void HistoryList::onCommand(int id) {
    switch (id) {
        case IDM_ASSIGN_TEXT:
            assignTextFile();
            break;
        case IDM_EDIT_TEXT:
            openTextOfSelection();
            break;
        case IDM_EDIT_HEADING:
            editHeadingInPlace();
            break;
        case IDM_EDIT_HEADINGS:
            if (editHeadingsOfSelection())
                postRefresh();
            break;
        case IDM_EDIT_MOVE_UP:
            moveUp();
            postRefresh();
            break;
        case IDM_EDIT_MOVE_DOWN:
            moveDown();
            postRefresh();
            break;
        case IDM_EDIT_DELETE:
            deleteSelected();
            postRefresh();
            break;
        case IDM_OPEN_RECORD:
            openSelected();
            break;
        default:
            break;
    }
}

LRESULT CALLBACK HistoryList::ListProc(HWND listWindow, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
    if (listWindow == historyList.window)
        return historyList.onListMessage(message, wParam, lParam);
    return DefWindowProcA(listWindow, message, wParam, lParam);
}

LRESULT HistoryList::onListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DROPFILES:
            dropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_LBUTTONDBLCLK:
            openAtPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_COMMAND:
            onCommand(LOWORD(wParam));
            return 0;
        case WM_SHOWWINDOW:
            SetFocus(window);
            return 0;
        case WM_KEYDOWN:
        case WM_CHAR:
            // A message box raised without the focus leaves it here, and its
            // loop hands the list the keys meant for it: Return would open
            // the picture over it, Delete ask again, an arrow load the next
            // broken one. None acts while a window of ours is open over the
            // main window.
            if (appState.mainWindow && !IsWindowEnabled(appState.mainWindow))
                return 0;
            return CallWindowProcA(controlProc_, window, message, wParam, lParam);
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == window)
                showContextMenu(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case kDrawAppendedRows:
            drawAppendedRows(wParam);
            return 0;
        default:
            return CallWindowProcA(controlProc_, window, message, wParam, lParam);
    }
}

void HistoryList::handleNotify(NMHDR* header) {
    if (!header || header->idFrom != kControlId)
        return;
    switch (header->code) {
        case LVN_KEYDOWN: {
            const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
            if (key == VK_RETURN) {
                openSelected();
            } else if (key == VK_DELETE) {
                deleteSelected();
            } else if (key == VK_UP || key == VK_DOWN) {
                if (appState.mainWindow)
                    PostMessageA(appState.mainWindow, UWM_SHOW_IMAGE, 0, 0);
            }
            break;
        }
        case LVN_BEGINLABELEDITA: {
            HWND edit = reinterpret_cast<HWND>(SendMessageA(window, LVM_GETEDITCONTROL, 0, 0));
            if (edit)
                SendMessageA(edit, EM_LIMITTEXT, kCommentSize - 1, 0);
            markChanged();
            break;
        }
        case LVN_ENDLABELEDITA: {
            const auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
            // Esc ends the edit without text: the old heading stays.
            if (info->item.pszText) {
                char heading[kCommentSize];
                cp932::copyText(heading, info->item.pszText);
                setText(info->item.iItem, kHeading, heading);
            }
            writeBack();
            postRefresh();
            break;
        }
        case LVN_ITEMCHANGED: {
            // Only a change of selection changes the picture: a focus moving
            // on its own would load the same file again (and repeat a
            // message about it).
            const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            const bool selection = (change->uChanged & LVIF_STATE) &&
                                   ((change->uNewState ^ change->uOldState) & LVIS_SELECTED);
            if (deleting_ || appending_ || !selection)
                break;
            showSelectedImage();
            postRefresh();
            break;
        }
        default:
            break;
    }
}

// ---- the file commands ----

int HistoryList::confirmSaveChanges() {
    return historyfile::ConfirmSaveChanges(history, promptOwner(), dialogOwner(),
                                           appState.mainWindow);
}

int HistoryList::openHistoryFile() {
    if (!historyfile::ChooseFileToOpen(history, dialogOwner()))
        return 0;
    clearAll();
    if (!historyfile::Read(history, appState.mainWindow))
        historyfile::ForgetUnreadableName(history);
    fillFromRecords();
    return 1;
}

int HistoryList::newHistoryFile(bool captureArmed) {
    historyfile::NewHistory(history, dialogOwner(), captureArmed);
    clearAll();
    return 1;
}

int HistoryList::saveHistoryFile() {
    return historyfile::Save(history, dialogOwner(), appState.mainWindow) ? 1 : 0;
}

int HistoryList::saveHistoryFileAs() {
    return historyfile::SaveAs(history, dialogOwner(), appState.mainWindow) ? 1 : 0;
}
