#include "history/evidence_verify_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "base/app_state_win.h"
#include "base/file_io_win.h"
#include "base/message_box_win.h"
#include "base/progress_window_win.h"
#include "base/sha256_win.h"
#include "base/win_handles_win.h"
#include "history/evidence_verify.h"
#include "history/history.h"
#include "history/history_paths.h"
#include "resources/evidence_ids.h"
#include "settings/settings_store.h"
#include "picture/annotation_file.h"

namespace {

// A manifest or log of a full history is well under a megabyte; anything
// far larger is not one of ours and is not read into memory.
constexpr int64_t kEvidenceFileLimit = 64 << 20;
constexpr DWORD kPiece = 1 << 20;

HINSTANCE Instance() {
    return appState.instance ? appState.instance : GetModuleHandleA(nullptr);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- the work, on its own thread ----

struct Progress {
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    std::atomic<bool> cancel{false};
};

// The file read in pieces, so that a large picture is never held whole. A
// file that cannot be opened or read counts as not there.
bool HashFile(win::Sha256& hash, const std::string& path, Progress& progress, Sha256Digest& out) {
    ++progress.done;
    if (progress.cancel)
        return false;
    win::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file || (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    std::vector<unsigned char> piece(kPiece);
    bool ok = hash.ok();
    for (DWORD got = 0; ok;) {
        ok = ReadFile(file.get(), piece.data(), kPiece, &got, nullptr) != 0 && !progress.cancel;
        if (!ok || got == 0)
            break;
        ok = hash.update(piece.data(), got);
    }
    Sha256Digest digest;
    // finish() also makes the object ready for the next file.
    if (!hash.finish(digest) || !ok)
        return false;
    out = digest;
    return true;
}

// Runs work on another thread while the progress window shows; returns when
// it has ended.
void RunWithProgress(HWND owner, Progress& progress, const std::function<void()>& work) {
    win::ProgressView view;
    view.dialog = IDD_EVIDENCE_PROGRESS;
    view.text = IDC_EVIDENCE_PROGRESS_TEXT;
    view.bar = IDC_EVIDENCE_PROGRESS_BAR;
    view.cancel = &progress.cancel;
    view.describe = [&progress](int& position) {
        const int done = progress.done, total = progress.total;
        char text[128];
        if (progress.cancel)
            std::snprintf(text, sizeof text, "中止しています...");
        else
            std::snprintf(text, sizeof text, "ファイルを確かめています: %d / %d", done, total);
        position = total > 0 ? (done < total ? done : total) * win::kProgressRange / total : 0;
        return std::string(text);
    };
    win::RunWithProgress(owner, view, work);
}

// ---- the list ----

struct ListState {
    const std::string* text;
    std::string defaultName;
};

void SaveList(HWND dialog, const ListState& state) {
    char path[MAX_PATH] = {};
    std::snprintf(path, sizeof path, "%s", state.defaultName.c_str());
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = "テキストファイル (*.txt)\0*.txt\0すべてのファイル (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrInitialDir = history.folder;
    ofn.lpstrDefExt = "txt";
    ofn.lpstrTitle = "検証結果の保存";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameA(&ofn))
        return;
    DWORD error = 0;
    if (win::ReplaceContents(path, "zvf", *state.text, &error) != win::ReplaceStep::done) {
        char text[MAX_PATH + 128];
        std::snprintf(text, sizeof text, "ファイルに書き込めません（エラー %lu）\r\n%s",
                      static_cast<unsigned long>(error), path);
        ShowMessage(dialog, text, "エラー", MB_ICONERROR | MB_OK);
    }
}

INT_PTR CALLBACK ListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            const auto* state = reinterpret_cast<const ListState*>(lParam);
            HWND list = GetDlgItem(dialog, IDC_EVIDENCE_LIST);
            SetWindowTextA(list, state->text->c_str());
            SetFocus(list);
            SendMessageA(list, EM_SETSEL, 0, 0);
            return FALSE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_EVIDENCE_SAVE:
                    SaveList(dialog, *reinterpret_cast<const ListState*>(
                                         GetWindowLongPtrA(dialog, DWLP_USER)));
                    return TRUE;
                case IDCANCEL:
                case IDOK:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

// ---- the command ----

std::vector<EvidenceRecord> RecordsOfHistory(const History& h = history) {
    std::vector<EvidenceRecord> records;
    for (int i = 0; i < h.count; ++i) {
        const HistoryRecord& r = h.records[i];
        char picture[kPathSize], text[kPathSize];
        resolvedImagePath(r, h.folder, picture);
        resolvedTextPath(r.textFile, h.folder, text);
        EvidenceRecord record;
        record.picture = picture;
        record.description = text;
        // An annotated picture's own files count only once they exist: most
        // pictures have none.
        for (const std::string& other :
             {annotation::flattenedPath(picture), annotation::sidecarPath(picture)})
            if (Exists(other))
                record.others.push_back(other);
        records.push_back(std::move(record));
    }
    return records;
}

int FileCount(const std::vector<EvidenceRecord>& records) {
    int n = 0;
    for (const EvidenceRecord& r : records)
        n += 1 + (r.description.empty() ? 0 : 1) + static_cast<int>(r.others.size());
    return n;
}

void ShowWriteError(HWND owner, const std::string& path, DWORD error) {
    char text[kPathSize + 128];
    std::snprintf(text, sizeof text, "証跡ファイルを書き込めません（エラー %lu）\r\n%s",
                  static_cast<unsigned long>(error), path.c_str());
    ShowMessage(owner, text, "エラー", MB_ICONERROR | MB_OK);
}

void ShowReadError(HWND owner, const std::string& path) {
    char text[kPathSize + 64];
    std::snprintf(text, sizeof text, "証跡ファイルを読めません\r\n%s", path.c_str());
    ShowMessage(owner, text, "エラー", MB_ICONERROR | MB_OK);
}

}  // namespace

std::string EvidenceFileBeside(const char* historyPath, const char* extension) {
    std::string path = historyPath;
    const char* part = filePart(historyPath);
    const char* name = part ? part + 1 : historyPath;
    // '.' is never a trail byte of a double-byte character.
    const char* dot = std::strrchr(name, '.');
    if (dot != nullptr)
        path.resize(static_cast<std::size_t>(dot - historyPath));
    return path + extension;
}

namespace {

// The history's evidence files as read from disk.
struct EvidenceFiles {
    std::string manifestPath;
    std::string logPath;
    bool hasManifest = false;
    bool hasLog = false;
    std::string manifest;
    std::string log;
};

// The path of the first file that cannot be read, or "".
std::string ReadEvidenceFilesOf(const History& h, EvidenceFiles& files) {
    files.manifestPath = EvidenceFileBeside(h.filePath, ".sha256");
    files.logPath = EvidenceFileBeside(h.filePath, ".zlog");
    files.hasManifest = Exists(files.manifestPath);
    if (files.hasManifest &&
        !win::ReadWholeFile(files.manifestPath.c_str(), files.manifest, kEvidenceFileLimit))
        return files.manifestPath;
    files.hasLog = Exists(files.logPath);
    if (files.hasLog && !win::ReadWholeFile(files.logPath.c_str(), files.log, kEvidenceFileLimit))
        return files.logPath;
    return std::string();
}

bool ReadEvidenceFiles(HWND owner, EvidenceFiles& files) {
    const std::string unread = ReadEvidenceFilesOf(history, files);
    if (!unread.empty())
        ShowReadError(owner, unread);
    return unread.empty();
}

// A history without a manifest is offered one from its files as they are
// now; false when the user declines, cancels, or it cannot be written.
bool MakeManifestAfterwards(HWND owner, const std::vector<EvidenceRecord>& records,
                            const std::string& folder, EvidenceFiles& files) {
    if (ShowMessage(owner,
                    "この履歴には証跡ファイル（.sha256）がありません。\r\n"
                    "今のファイルから作りますか？",
                    "証跡の検証", MB_ICONQUESTION | MB_YESNO) != IDYES)
        return false;
    Progress progress;
    progress.total = FileCount(records);
    std::vector<ManifestEntry> entries;
    std::vector<std::string> leftOut;
    RunWithProgress(owner, progress, [&] {
        win::Sha256 hash;
        entries = manifestFromFiles(
            folder, records,
            [&](const std::string& path, Sha256Digest& out) {
                return HashFile(hash, path, progress, out);
            },
            leftOut);
    });
    if (progress.cancel)
        return false;
    files.manifest = writeManifest(entries);
    DWORD error = 0;
    if (win::ReplaceContents(files.manifestPath.c_str(), "zsh", files.manifest, &error) !=
        win::ReplaceStep::done) {
        ShowWriteError(owner, files.manifestPath, error);
        return false;
    }
    return true;
}

// The check itself on its own thread, with the progress window when there
// is an owner; false when the user cancelled it.
bool CheckFiles(HWND owner, const std::vector<EvidenceRecord>& records, const std::string& folder,
                const EvidenceFiles& files, VerifyResult& result) {
    const Manifest manifest = parseManifest(files.manifest.data(), files.manifest.size());
    const EvidenceLog log = parseEvidenceLog(files.log.data(), files.log.size());
    std::vector<std::string> allowed{folder};
    if (settingsStore.settings.saveFolder[0] != '\0')
        allowed.emplace_back(settingsStore.settings.saveFolder);
    Progress progress;
    progress.total = FileCount(records) + (files.hasLog ? 1 : 0);
    const auto work = [&] {
        win::Sha256 hash;
        VerifyInput input;
        input.manifestFolder = folder;
        input.allowedFolders = allowed;
        input.records = records;
        input.manifest = &manifest;
        input.log = files.hasLog ? &log : nullptr;
        input.logPath = files.hasLog ? files.logPath : std::string();
        input.hashFile = [&](const std::string& path, Sha256Digest& out) {
            return HashFile(hash, path, progress, out);
        };
        input.hashLine = win::sha256OrZero;
        result = verifyEvidence(input);
    };
    if (owner)
        RunWithProgress(owner, progress, work);
    else
        work();
    return !progress.cancel;
}

}  // namespace

void ShowEvidenceList(HWND owner, const std::string& about, const std::string& text) {
    const char* part = filePart(about.c_str());
    ListState state{&text, EvidenceFileBeside(part ? part + 1 : about.c_str(), "") + "_検証.txt"};
    DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_EVIDENCE_VERIFY), owner, ListProc,
                    reinterpret_cast<LPARAM>(&state));
}

bool RunEvidenceVerify(HWND owner, VerifyFindings* findings) {
    if (history.untitled || history.count <= 0)
        return false;
    const std::vector<EvidenceRecord> records = RecordsOfHistory();
    const std::string folder = history.folder;
    EvidenceFiles files;
    if (!ReadEvidenceFiles(owner, files))
        return false;
    if (!files.hasManifest && !MakeManifestAfterwards(owner, records, folder, files))
        return false;
    VerifyResult result;
    if (!CheckFiles(owner, records, folder, files, result))
        return false;
    std::string text = verifyReportText(result);
    if (findings) {
        findings->text = std::move(text);
        findings->result = std::move(result);
        return true;
    }
    ShowEvidenceList(owner, files.manifestPath, text);
    return true;
}

bool VerifyOtherHistory(HWND owner, const History& h, VerifyFindings& findings,
                        std::string& manifestDigest, std::string& error) {
    EvidenceFiles files;
    const std::string unread = ReadEvidenceFilesOf(h, files);
    if (!unread.empty()) {
        error = "証跡ファイルを読めません\r\n" + unread;
        return false;
    }
    manifestDigest.clear();
    findings = {};
    if (!files.hasManifest)
        return true;
    Sha256Digest digest;
    if (!win::sha256(files.manifest.data(), files.manifest.size(), digest)) {
        error = "証跡ファイルを確かめられません\r\n" + files.manifestPath;
        return false;
    }
    manifestDigest = sha256Hex(digest);
    if (!CheckFiles(owner, RecordsOfHistory(h), h.folder, files, findings.result)) {
        error = "確認を中止しました";
        return false;
    }
    findings.text = verifyReportText(findings.result);
    return true;
}
