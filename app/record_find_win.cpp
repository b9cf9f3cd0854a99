#include "app/record_find_win.h"

#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/app_state_win.h"
#include "base/dialog_text_win.h"
#include "base/file_io_win.h"
#include "base/typed_chars_win.h"
#include "history/history_list_win.h"
#include "ocr/ocr_file.h"
#include "ocr/record_search.h"
#include "resources/find_ids.h"
#include "view/image_pane_win.h"

namespace record_find {

namespace {

// Beyond any sidecar or description a record has; a larger file is not
// searched rather than read whole on every change.
constexpr int64_t kFileLimit = 16 << 20;
// The words field takes what a user types, not a document.
constexpr int kWordsLimit = 255;

// One file of a record as it was when it was read: absent, or this version.
struct Version {
    bool present = false;
    win::FileStamp stamp;
};

Version VersionOf(const std::string& path) {
    Version v;
    v.present = !path.empty() && win::ReadFileStamp(path.c_str(), &v.stamp);
    return v;
}

bool SameVersion(const Version& a, const Version& b) {
    return a.present == b.present && (!a.present || win::SameFileStamp(a.stamp, b.stamp));
}

// What a record's search was made from, and the boxes of its text lines.
struct Kept {
    uint32_t id = 0;
    std::string heading, picture, textFile;
    Version ocrFile, description;
    OcrResult ocr;
};

bool StillCurrent(const Kept& k, const HistoryList::RowFiles& row) {
    return k.id != 0 && k.id == row.id && k.heading == row.heading && k.picture == row.picture &&
           k.textFile == row.textFile &&
           SameVersion(k.ocrFile, VersionOf(ocrfile::sidecarPath(k.picture))) &&
           SameVersion(k.description, VersionOf(k.textFile));
}

// A sidecar that cannot be read or is damaged counts as no text: the
// worker reads the picture again and writes it anew.
OcrResult ReadSidecar(const std::string& path) {
    std::string bytes;
    if (!win::ReadWholeFile(path.c_str(), bytes, kFileLimit))
        return {};
    ocrfile::ReadResult read = ocrfile::parse(bytes.data(), bytes.size());
    return read.ok ? std::move(read.result) : OcrResult{};
}

std::pair<Kept, record_search::FoldedRecord> ReadRecord(const HistoryList::RowFiles& row) {
    Kept k;
    k.id = row.id;
    k.heading = row.heading;
    k.picture = row.picture;
    k.textFile = row.textFile;
    const std::string sidecar = ocrfile::sidecarPath(k.picture);
    k.ocrFile = VersionOf(sidecar);
    k.description = VersionOf(k.textFile);
    if (k.ocrFile.present)
        k.ocr = ReadSidecar(sidecar);
    std::string description;
    if (k.description.present)
        win::ReadWholeFile(k.textFile.c_str(), description, kFileLimit);
    record_search::FoldedRecord folded =
        record_search::fold({k.heading, description, k.ocrFile.present ? &k.ocr : nullptr});
    return {std::move(k), std::move(folded)};
}

struct Search {
    HWND window = nullptr;
    HWND mainWindow = nullptr;
    // The last words searched, kept for F3 once the window is closed.
    std::string words;
    text_fold::Query query{""};
    // Per row, in the list's order at the last refresh.
    std::vector<Kept> kept;
    std::vector<record_search::FoldedRecord> folded;
    std::vector<int> found;
    // Set while the window fills its field: the words are counted, the
    // selection stays.
    bool opening = false;
};
Search search;

// Every row's texts as they now are: a record unchanged since it was read
// keeps what was folded of it.
void Refresh() {
    std::unordered_map<uint32_t, std::size_t> before;
    for (std::size_t i = 0; i < search.kept.size(); ++i)
        if (search.kept[i].id != 0)
            before.emplace(search.kept[i].id, i);
    std::vector<Kept> kept;
    std::vector<record_search::FoldedRecord> folded;
    const int rows = historyList.itemCount();
    kept.reserve(static_cast<std::size_t>(rows));
    folded.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        const HistoryList::RowFiles files = historyList.rowFiles(row);
        const auto old = before.find(files.id);
        if (old != before.end() && StillCurrent(search.kept[old->second], files)) {
            kept.push_back(std::move(search.kept[old->second]));
            folded.push_back(std::move(search.folded[old->second]));
            before.erase(old);
        } else {
            auto record = ReadRecord(files);
            kept.push_back(std::move(record.first));
            folded.push_back(std::move(record.second));
        }
    }
    search.kept = std::move(kept);
    search.folded = std::move(folded);
}

void Match() {
    search.found = search.query.empty() ? std::vector<int>{}
                                        : record_search::matches(search.folded, search.query);
}

int FoundIndex(int row) {
    for (std::size_t i = 0; i < search.found.size(); ++i)
        if (search.found[i] == row)
            return static_cast<int>(i);
    return -1;
}

void ShowCount() {
    if (search.window)
        SetDlgItemTextA(search.window, IDC_FIND_COUNT, CountText().c_str());
}

// The row becomes the selection unless it is the selection already (which
// would show its picture once more).
void SelectRow(int row) {
    if (historyList.selectedCount() != 1 || historyList.selectedRow() != row)
        historyList.selectOnly(row);
    FramePicture();
}

void StepNow(bool forward) {
    Refresh();
    Match();
    if (search.found.empty())
        MessageBeep(MB_ICONASTERISK);
    else
        SelectRow(record_search::step(search.found, historyList.selectedRow(), forward));
    ShowCount();
}

// A change of the words: the count follows, and when the selected row does
// not match, the first match from it on is selected.
void OnWordsChanged(HWND window) {
    // Rows added or removed since the last refresh (a capture, another
    // history) are read before a keystroke searches them.
    if (search.kept.size() != static_cast<std::size_t>(historyList.itemCount()))
        Refresh();
    search.words = DialogItemText(window, IDC_FIND_WORDS, kWordsLimit);
    search.query = text_fold::Query(search.words);
    Match();
    const int row = historyList.selectedRow();
    if (!search.opening && !search.found.empty() && FoundIndex(row) < 0)
        SelectRow(record_search::step(search.found, row - 1, true));
    else
        FramePicture();
    ShowCount();
}

void OnCommand(HWND window, int id, int code) {
    switch (id) {
        case IDC_FIND_WORDS:
            if (code == EN_CHANGE)
                OnWordsChanged(window);
            break;
        case IDOK:  // Enter, or Shift+Enter for the match before
            StepNow(GetKeyState(VK_SHIFT) >= 0);
            break;
        case IDC_FIND_PREVIOUS:
            StepNow(false);
            break;
        case IDCANCEL:  // Esc
            Close();
            break;
        default:
            break;
    }
}

// At the main window's top right, clear of the list's first rows.
void Place(HWND window, HWND owner) {
    RECT main, own;
    GetWindowRect(owner, &main);
    GetWindowRect(window, &own);
    const int x = main.right - (own.right - own.left) - 24;
    const int y = main.top + GetSystemMetrics(SM_CYCAPTION) * 3;
    SetWindowPos(window, nullptr, x > main.left ? x : main.left, y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK FindProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            search.window = window;
            SendDlgItemMessageA(window, IDC_FIND_WORDS, EM_LIMITTEXT, kWordsLimit, 0);
            search.opening = true;
            SetDlgItemTextA(window, IDC_FIND_WORDS, search.words.c_str());
            search.opening = false;
            OnWordsChanged(window);
            return TRUE;
        case WM_COMMAND:
            OnCommand(window, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_CLOSE:
            Close();
            return TRUE;
        case WM_DESTROY:  // also with its owner, the main window
            if (search.window == window)
                search.window = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void SelectWords() {
    HWND edit = GetDlgItem(search.window, IDC_FIND_WORDS);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
}

}  // namespace

void Open(HWND mainWindow) {
    search.mainWindow = mainWindow;
    if (search.window) {
        SetActiveWindow(search.window);
        SelectWords();
        return;
    }
    Refresh();
    search.opening = true;
    HWND window =
        CreateDialogParamA(appState.instance, MAKEINTRESOURCEA(IDD_FIND), mainWindow, FindProc, 0);
    search.opening = false;
    if (!window)
        return;
    Place(window, mainWindow);
    ShowWindow(window, SW_SHOW);
    SelectWords();
}

void Step(HWND mainWindow, bool forward) {
    search.query = text_fold::Query(search.words);
    if (search.query.empty()) {
        Open(mainWindow);
        return;
    }
    StepNow(forward);
}

void Close() {
    if (!search.window)
        return;
    HWND window = search.window;
    search.window = nullptr;
    DestroyWindow(window);
    FramePicture();
}

bool TranslateFindMessage(MSG& message) {
    HWND window = search.window;
    if (!window || !message.hwnd || (message.hwnd != window && !IsChild(window, message.hwnd)))
        return false;
    if (message.message == WM_KEYDOWN) {
        if (message.wParam == VK_F3) {
            StepNow(GetKeyState(VK_SHIFT) >= 0);
            return true;
        }
        if (message.wParam == 'F' && GetKeyState(VK_CONTROL) < 0) {
            SelectWords();
            return true;
        }
    }
    if (!DispatchTypedChar(message) && !IsDialogMessageA(window, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

void FramePicture() {
    if (!imagePane)
        return;
    std::vector<RECT> frames;
    const int row = historyList.selectedRow();
    if (search.window && !search.query.empty() && row >= 0 &&
        row < static_cast<int>(search.kept.size()) &&
        search.kept[static_cast<std::size_t>(row)].id == historyList.rowFiles(row).id) {
        const auto r = static_cast<std::size_t>(row);
        for (int line : record_search::matchingLines(search.folded[r], search.query)) {
            const OcrLine& l = search.kept[r].ocr.lines[static_cast<std::size_t>(line)];
            frames.push_back({l.left, l.top, l.right, l.bottom});
        }
    }
    // The selection may have moved by a click or a key: the count follows.
    ShowCount();
    if (frames.empty() && imagePane->frames.empty())
        return;
    imagePane->frames = std::move(frames);
    if (imagePane->view)
        InvalidateRect(imagePane->view, nullptr, FALSE);
}

HWND Window() {
    return search.window;
}

std::string CountText() {
    if (search.query.empty())
        return std::string();
    if (search.found.empty())
        return "見つかりません";
    const int at = FoundIndex(historyList.selectedRow());
    char text[64];
    if (at >= 0)
        std::snprintf(text, sizeof text, "%d / %d 件", at + 1,
                      static_cast<int>(search.found.size()));
    else
        std::snprintf(text, sizeof text, "%d 件", static_cast<int>(search.found.size()));
    return text;
}

}  // namespace record_find
