#include "history/history_file_win.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "base/app_state_win.h"
#include "base/cp932.h"
#include "base/file_io_win.h"
#include "base/message_box_win.h"
#include "base/file_names_win.h"
#include "base/win_handles_win.h"
#include "history/case_file.h"
#include "history/case_placement.h"
#include "history/evidence_book_win.h"
#include "history/evidence_verify_win.h"
#include "history/history.h"
#include "history/history_csv.h"
#include "history/history_paths.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace historyfile {

namespace {

const char kFilter[] = "CSV files(*.csv)\0*.csv\0files(*.*)\0*.*\0";
const char kNewName[] = "新規";

void ReportOpenError(HWND owner, const char* path, DWORD error) {
    if (error == 0)
        return;
    char text[kPathSize + 64];
    std::snprintf(text, sizeof text, "ファイルオープンエラー [%s] errno=%lu", path,
                  static_cast<unsigned long>(error));
    ShowMessage(owner, text, "エラー", MB_ICONERROR | MB_OK);
}

void ReportWriteError(HWND owner, const char* path, DWORD error) {
    if (error == 0)
        return;
    char text[kPathSize + 80];
    std::snprintf(text, sizeof text, "ファイルオープンエラー [%s] errno=%lu  %x", path,
                  static_cast<unsigned long>(error),
                  static_cast<unsigned>(reinterpret_cast<UINT_PTR>(INVALID_HANDLE_VALUE)));
    ShowMessage(owner, text, "エラー", MB_ICONERROR | MB_OK);
}

// Runs the open or save dialog; on OK fills the history's names from it.
bool RunFileDialog(History& current, HWND owner, bool save) {
    char path[kPathSize] = {};
    char name[kPathSize] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrFileTitle = name;
    ofn.nMaxFileTitle = sizeof name;
    ofn.lpstrDefExt = "csv";
    if (save) {
        ofn.lpstrTitle = "保存するファイル名を指定して下さい";
        ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT;
        if (!GetSaveFileNameA(&ofn))
            return false;
    } else {
        ofn.lpstrTitle = "開くファイル名を指定して下さい";
        ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
        if (!GetOpenFileNameA(&ofn))
            return false;
    }
    cp932::copyText(current.filePath, path);
    cp932::copyText(current.fileName, name);
    // The folder is the path less the name and the backslash before it.
    const size_t pathLength = std::strlen(path), nameLength = std::strlen(name);
    const size_t folderLength = pathLength > nameLength ? pathLength - nameLength - 1 : 0;
    cp932::copyText(current.folder, sizeof current.folder, path, folderLength);
    return true;
}

// The case file that could not be read when the history was opened: it is
// left as it is until a save of the history to it, which keeps it as
// "<stem>.zcase.bak" before writing the cases of now.
std::string damagedCaseFile;

constexpr int64_t kCaseFileLimit = int64_t{64} << 20;

void ShowCaseMessage(HWND owner, const std::string& text, UINT icon) {
    ShowMessage(owner, text.c_str(), "テストケース", icon | MB_OK);
}

casefile::ReadResult ReadCaseFile(const std::string& path) {
    std::string bytes;
    casefile::ReadResult read;
    if (!win::ReadWholeFile(path.c_str(), bytes, kCaseFileLimit))
        read.error = "ファイルを開けないか、大きすぎます";
    else
        read = casefile::parse(bytes.data(), bytes.size());
    return read;
}

// Puts the cases of "<stem>.zcase" on the records just read. A file that
// cannot be read gives one message naming its line, and the history goes
// on without cases.
void ReadCases(History& current, HWND owner) {
    current.cases.clear();
    current.casesAside.clear();
    current.baseline = {};
    damagedCaseFile.clear();
    const std::string path = EvidenceFileBeside(current.filePath, ".zcase");
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    casefile::ReadResult read = ReadCaseFile(path);
    if (!read.ok) {
        damagedCaseFile = path;
        ShowCaseMessage(owner,
                        "テストケースのファイルを読めません。テストケースなしで開きます。\r\n"
                        "ファイルは保存するまでそのまま残し、保存の前に .zcase.bak として"
                        "取っておきます。\r\n\r\n" +
                            path + "\r\n" + read.error,
                        MB_ICONWARNING);
        return;
    }
    caseplace::place(std::move(read.entries), current);
    current.baseline = std::move(read.baseline);
    std::string text = caseplace::asideMessage(current.casesAside);
    const std::string cut = caseplace::cutMessage(read.cuts);
    if (!cut.empty())
        text += (text.empty() ? "" : "\r\n\r\n") + cut;
    if (!text.empty())
        ShowCaseMessage(owner, text, MB_ICONWARNING);
}

// Writes "<stem>.zcase" as the CSV is written, when there is case data or
// such a file is there already (which would otherwise give its cases to
// this history's records at the next open). A history without either keeps
// exactly the files it had before cases existed.
bool WriteCases(const History& current, HWND owner) {
    const std::string path = EvidenceFileBeside(current.filePath, ".zcase");
    const bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!exists && !caseplace::hasCaseData(current))
        return true;
    const bool damaged = !damagedCaseFile.empty() && win::SameFileName(damagedCaseFile, path);
    if (damaged && exists && !CopyFileA(path.c_str(), (path + ".bak").c_str(), FALSE)) {
        ReportWriteError(owner, (path + ".bak").c_str(), GetLastError());
        return false;
    }
    DWORD error = 0;
    if (win::ReplaceContents(path.c_str(), "zcs",
                             casefile::write(caseplace::entriesToWrite(current), current.baseline),
                             &error) != win::ReplaceStep::done) {
        ReportWriteError(owner, path.c_str(), error);
        return false;
    }
    if (damaged)
        damagedCaseFile.clear();
    return true;
}

}  // namespace

void Timestamp(char (&out)[20]) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    formatTimestamp(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, out);
}

int ChooseFileToOpen(History& current, HWND owner) {
    if (!RunFileDialog(current, owner, false))
        return 0;
    current.modified = 0;
    current.untitled = 0;
    evidenceBook.load(current);
    return 1;
}

int Read(History& current, HWND messageOwner) {
    win::FileHandle file(CreateFileA(current.filePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ReportOpenError(messageOwner, current.filePath, GetLastError());
        return 0;
    }
    HistoryCsvReader reader(current);
    char piece[128];
    DWORD got = 0;
    bool first = true;
    while (ReadFile(file.get(), piece, sizeof piece, &got, nullptr) && got > 0) {
        reader.feed(piece, got);
        if (first && reader.firstPieceHadNoLineEnd())
            return 0;
        first = false;
        if (reader.limitExceeded())
            break;
    }
    reader.finish();
    // A short file is judged only once all of it is in.
    if (reader.firstPieceHadNoLineEnd())
        return 0;
    if (reader.limitExceeded()) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "最大件数%dを超えています。最大件数を超えたレコードは無視されます。",
                      kRecordMaximum);
        ShowMessage(messageOwner, text, "警告", MB_ICONWARNING | MB_OK);
    }
    current.modified = 0;
    current.untitled = 0;
    ReadCases(current, messageOwner);
    return 1;
}

bool Write(History& current, HWND messageOwner) {
    // The new contents go to a file of their own beside the old one, which
    // is replaced only when every byte is on disk: a full disk or a lost
    // share never leaves the history half written.
    DWORD error = 0;
    if (win::ReplaceContents(current.filePath, "zcp", formatHistoryCsv(current), &error) !=
        win::ReplaceStep::done) {
        ReportWriteError(messageOwner, current.filePath, error);
        return false;
    }
    const bool casesWritten = WriteCases(current, messageOwner);
    // Images of a history saved under another folder come along; one that
    // is already there is never overwritten.
    for (int i = 0; i < current.count; ++i) {
        const HistoryRecord& r = current.records[i];
        if (r.relative != 1)
            continue;
        const char* part = filePart(r.imagePath);
        if (!part)
            continue;
        std::string from = std::string(current.previousFolder) + part;
        std::string to = std::string(current.folder) + part;
        CopyFileA(from.c_str(), to.c_str(), TRUE);
    }
    // Cases that could not be written keep the history modified, so that
    // closing asks again instead of losing them.
    current.modified = casesWritten ? 0 : 1;
    current.untitled = 0;
    // The history itself is saved: evidence that cannot be written is said
    // on its own.
    evidenceBook.save(current, messageOwner);
    return casesWritten;
}

bool SaveAs(History& current, HWND owner, HWND messageOwner) {
    cp932::copyText(current.previousFolder, current.folder);
    if (!RunFileDialog(current, owner, true))
        return false;
    return Write(current, messageOwner);
}

bool SaveAsPath(History& current, const char* path, HWND messageOwner) {
    const char* part = filePart(path);
    const char* name = part ? part + 1 : path;
    if (std::strlen(path) >= sizeof current.filePath ||
        std::strlen(name) >= sizeof current.fileName)
        return false;
    cp932::copyText(current.previousFolder, current.folder);
    cp932::copyText(current.filePath, path);
    cp932::copyText(current.fileName, name);
    cp932::copyText(current.folder, sizeof current.folder, path,
                    static_cast<std::size_t>(name - path) - (part ? 1 : 0));
    return Write(current, messageOwner);
}

bool Save(History& current, HWND owner, HWND messageOwner) {
    return current.untitled ? SaveAs(current, owner, messageOwner) : Write(current, messageOwner);
}

void ForgetUnreadableName(History& current) {
    char path[kPathSize * 2];
    std::snprintf(path, sizeof path, "%s\\%s", current.startFolder, kNewName);
    cp932::copyText(current.filePath, path);
    cp932::copyText(current.fileName, kNewName);
    current.untitled = 1;
    current.modified = 0;
}

void NewHistory(History& current, HWND owner, bool captureArmed) {
    if (captureArmed && settingsStore.settings.capturesFollowHistory()) {
        ShowMessage(owner,
                    "キャプチャファイルの保存先が履歴と同じに設定されています。\n"
                    "キャプチャー監視は一旦解除します。\r\n"
                    "『ファイルを開く』か『名前を付けて保存』で履歴ファイル名を決めてから"
                    "もう一度キャプチャーを開始してください。",
                    current.folder, MB_ICONWARNING | MB_OK);
        PostMessageA(appState.mainWindow, WM_COMMAND, IDM_CAPTURE_STOP, 0);
    }
    ForgetUnreadableName(current);
    damagedCaseFile.clear();
    evidenceBook.reset();
}

bool ReadForComparison(const char* path, History& out, std::string& error) {
    const char* part = filePart(path);
    if (!part || std::strlen(path) >= sizeof out.filePath) {
        error = "履歴ファイルのパスが正しくありません";
        return false;
    }
    out.reset();
    cp932::copyText(out.filePath, path);
    cp932::copyText(out.fileName, part + 1);
    cp932::copyText(out.folder, sizeof out.folder, path, static_cast<std::size_t>(part - path));
    std::string bytes;
    // A full history's CSV is well under this.
    if (!win::ReadWholeFile(path, bytes, kCaseFileLimit)) {
        error = "履歴ファイルを開けないか、大きすぎます";
        return false;
    }
    HistoryCsvReader reader(out);
    reader.feed(bytes.data(), bytes.size());
    reader.finish();
    if (reader.firstPieceHadNoLineEnd() || !reader.headerSeen()) {
        error = "履歴ファイルではありません";
        return false;
    }
    out.untitled = 0;
    const std::string cases = EvidenceFileBeside(path, ".zcase");
    if (GetFileAttributesA(cases.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    casefile::ReadResult read = ReadCaseFile(cases);
    if (!read.ok) {
        error = "テストケースのファイルを読めません\r\n" + cases + "\r\n" + read.error;
        return false;
    }
    caseplace::place(std::move(read.entries), out);
    out.baseline = std::move(read.baseline);
    return true;
}

int ConfirmSaveChanges(History& current, HWND owner, HWND dialogOwner, HWND messageOwner) {
    if (!current.modified)
        return 1;
    const int answer = ShowMessage(owner, "履歴リストが変更されています。\r\n変更を保存しますか？",
                                   "保存確認", MB_ICONWARNING | MB_YESNOCANCEL);
    if (answer == IDCANCEL)
        return 0;
    if (answer == IDYES)
        return Save(current, dialogOwner, messageOwner) ? 1 : 0;
    return 1;
}

}  // namespace historyfile
