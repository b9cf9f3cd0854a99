#include "app/ocr_road_win.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include "base/app_state_win.h"
#include "base/file_io_win.h"
#include "base/file_names_win.h"
#include "base/message_box_win.h"
#include "base/progress_window_win.h"
#include "base/win_handles_win.h"
#include "app/status_bar_win.h"
#include "history/history.h"
#include "history/history_list_win.h"
#include "history/history_paths.h"
#include "ocr/ocr_file.h"
#include "ocr/ocr_worker_win.h"
#include "resources/ocr_ids.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "view/image_names.h"
#include "view/picture_window_win.h"

namespace ocr_road {

const char kReading[] = "文字を読み取り中";
const char kUnreadable[] = "文字を読み取れませんでした";

namespace {

OcrSettings options;
std::unique_ptr<ocr::OcrWorker> worker;
bool workerStarted = false;
// The models are missing or refused: said once, and nothing more is queued
// this session.
bool modelsBroken = false;

// Keys of the pictures queued and not yet answered, and of those that could
// not be read this session (not queued again by a capture or an opening).
std::set<std::string> pending;
std::set<std::string> failed;

// The read-all command's pictures while it runs.
struct Batch {
    std::set<std::string> paths;  // keys
    int total = 0;
    std::atomic<int> done{0};
    int read = 0, noText = 0, unread = 0;
    win::KernelHandle finished;
};
Batch* batch = nullptr;

ocr::OcrWorker& Worker(HWND window) {
    if (!worker) {
        worker = std::make_unique<ocr::OcrWorker>(window, &ReadPicture);
        workerStarted = true;
    }
    return *worker;
}

bool IsPicture(const char* path) {
    return isJpegName(path) || isBmpName(path) || isPngName(path);
}

bool Exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Queues the picture unless it is queued already; false when it was.
bool Enqueue(HWND window, const std::string& path) {
    if (!pending.insert(win::FileNameKey(path)).second)
        return false;
    Worker(window).enqueue(path);
    return true;
}

// A sidecar far larger than any screen's text is damage.
constexpr int64_t kSidecarLimit = 16 << 20;

enum class Sidecar { none, damaged, read, unreadable };

Sidecar SidecarOf(const std::string& picture) {
    const std::string path = ocrfile::sidecarPath(picture);
    if (!Exists(path))
        return Sidecar::none;
    std::string bytes;
    if (!win::ReadWholeFile(path.c_str(), bytes, kSidecarLimit))
        return Sidecar::damaged;
    const ocrfile::ReadResult read = ocrfile::parse(bytes.data(), bytes.size());
    return !read.ok ? Sidecar::damaged : read.unreadable ? Sidecar::unreadable : Sidecar::read;
}

// The paths of the records' pictures, in list order; nothing is asked of
// the disk.
std::vector<std::string> RecordPictures() {
    std::vector<std::string> paths;
    for (int i = 0; i < history.count; ++i) {
        char path[kPathSize];
        resolvedImagePath(history.records[i], history.folder, path);
        if (IsPicture(path))
            paths.emplace_back(path);
    }
    return paths;
}

// Those of `pictures` that exist and have no ".ocr" yet, or a damaged one,
// which is read again from the picture. Empty once `stopped` says so.
template <typename Stopped>
std::vector<std::string> StillUnread(std::vector<std::string> pictures, Stopped stopped) {
    std::vector<std::string> unread;
    for (std::string& path : pictures) {
        if (stopped())
            return {};
        if (!Exists(path))
            continue;
        const Sidecar sidecar = SidecarOf(path);
        if (sidecar == Sidecar::none || sidecar == Sidecar::damaged)
            unread.push_back(std::move(path));
    }
    return unread;
}

std::vector<std::string> UnreadPictures() {
    return StillUnread(RecordPictures(), [] { return false; });
}

void QueueUnread(HWND window, const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (!failed.count(win::FileNameKey(path)))
            Enqueue(window, path);
}

// An opening's look for the pictures still unread asks the disk twice a
// record and reads every sidecar there is: 1000 records took the open from
// 31 to 87 ms on the window's thread under Wine. Each opening's look runs
// on a thread of its own and posts the pictures it found. It starts a
// moment after the open: run at once, its calls shared Wine's server with
// the list's fill and paint and still cost the open 12 ms; the reading of
// a picture takes seconds anyway.
struct Scan {
    std::vector<std::string> paths;  // the records' pictures, then the unread of them
    HWND window = nullptr;
};
constexpr DWORD kScanDelayMs = 250;
std::vector<win::KernelHandle> scans;  // the looks' threads not yet joined
win::KernelHandle scanStop;            // set: every look gives up

UINT ScanMessage() {
    static const UINT message = RegisterWindowMessageA("Zelcap.OcrUnread");
    return message;
}

bool ScanStopped(DWORD waitMs) {
    return WaitForSingleObject(scanStop.get(), waitMs) == WAIT_OBJECT_0;
}

DWORD WINAPI ScanMain(LPVOID parameter) {
    std::unique_ptr<Scan> scan(static_cast<Scan*>(parameter));
    if (ScanStopped(kScanDelayMs))
        return 0;
    scan->paths = StillUnread(std::move(scan->paths), [] { return ScanStopped(0); });
    if (ScanStopped(0))
        return 0;
    if (PostMessageA(scan->window, ScanMessage(), 0, reinterpret_cast<LPARAM>(scan.get())))
        (void)scan.release();
    return 0;
}

void StartScan(HWND window) {
    if (!scanStop)
        scanStop.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    scans.erase(std::remove_if(scans.begin(), scans.end(),
                               [](const win::KernelHandle& t) {
                                   return WaitForSingleObject(t.get(), 0) == WAIT_OBJECT_0;
                               }),
                scans.end());
    auto scan = std::make_unique<Scan>();
    scan->window = window;
    scan->paths = RecordPictures();
    win::KernelHandle thread;
    if (scanStop)
        thread.reset(CreateThread(nullptr, 0, &ScanMain, scan.get(), 0, nullptr));
    if (!thread) {
        QueueUnread(window, UnreadPictures());
        return;
    }
    (void)scan.release();
    scans.push_back(std::move(thread));
}

bool OnScanned(HWND window, UINT message, LPARAM lParam) {
    if (message != ScanMessage())
        return false;
    std::unique_ptr<Scan> scan(reinterpret_cast<Scan*>(lParam));
    if (scan && options.enabled && !modelsBroken) {
        QueueUnread(window, scan->paths);
        ShowStatusOfSelection();
    }
    return true;
}

// Answers posted and not yet taken go with the window.
void StopScan(HWND window) {
    if (!scanStop)
        return;
    SetEvent(scanStop.get());
    for (const win::KernelHandle& thread : scans)
        WaitForSingleObject(thread.get(), INFINITE);
    scans.clear();
    ResetEvent(scanStop.get());
    MSG msg;
    while (window && PeekMessageA(&msg, window, ScanMessage(), ScanMessage(), PM_REMOVE))
        delete reinterpret_cast<Scan*>(msg.lParam);
}

// The sidecar replaced whole, as the test cases' file is saved: a reader
// never sees half of it.
bool WriteSidecar(const std::string& picture, const std::string& bytes) {
    DWORD error = 0;
    return win::ReplaceContents(ocrfile::sidecarPath(picture).c_str(), "zoc", bytes, &error) ==
           win::ReplaceStep::done;
}

// What the engine could not read, whatever tries again, stays so: the file
// says why, and the picture is not read again at each open. Missing models
// or memory are the machine's, not the picture's, and leave no mark.
bool PictureUnreadable(ocr::OcrStatus status) {
    return status == ocr::OcrStatus::BadPicture || status == ocr::OcrStatus::Failed;
}

void StopWorker() {
    if (worker)
        worker->stop();
    worker.reset();
    pending.clear();
}

void CountInBatch(const std::string& key, bool ok, bool noText) {
    if (!batch || !batch->paths.erase(key))
        return;
    if (!ok)
        ++batch->unread;
    else if (noText)
        ++batch->noText;
    else
        ++batch->read;
    if (++batch->done == batch->total)
        SetEvent(batch->finished.get());
}

void RefreshStatus() {
    ShowStatusOfSelection();
}

ReadListener readListener = nullptr;
// ReadNow's engine, made at its first picture; used by one thread at a time.
std::unique_ptr<ocr::OcrEngine> engineNow;

struct ReadJob {
    ocr::OcrEngine* engine;
    const ocr::OcrPicture* picture;
    ocr::OcrOutcome outcome;
};

DWORD WINAPI ReadOnItsOwnStack(LPVOID param) {
    auto* job = static_cast<ReadJob*>(param);
    job->outcome = job->engine->recognise(job->picture->pixels());
    return 0;
}

}  // namespace

void SetReadListener(ReadListener listener) {
    readListener = listener;
}

bool ReadNow(const std::string& path) {
    if (SidecarOf(path) == Sidecar::read)
        return true;
    if (!options.enabled || modelsBroken || !IsPicture(path.c_str()) || !Exists(path))
        return false;
    ocr::OcrPicture picture;
    if (!ReadPicture(path, picture))
        return false;
    if (!engineNow)
        engineNow = std::make_unique<ocr::OcrEngine>(ocr::TessdataBesideProgram());
    // The engine recurses deeper than the window thread's stack allows: it
    // reads on a thread with the worker's stack while this one waits.
    ReadJob job{engineNow.get(), &picture, {}};
    win::KernelHandle thread(CreateThread(nullptr, SIZE_T{8} << 20, &ReadOnItsOwnStack, &job,
                                          STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread)
        return false;
    WaitForSingleObject(thread.get(), INFINITE);
    return job.outcome.status == ocr::OcrStatus::Ok &&
           WriteSidecar(path, ocrfile::write(job.outcome.result));
}

bool ReadPicture(const std::string& path, ocr::OcrPicture& out) {
    PackedDib dib;
    if (!picture_window::LoadPictureFile(path, dib))
        return false;
    out.bytes.assign(dib.bits(), dib.bits() + (dib.size() - kDibInfoHeaderSize));
    out.width = dib.width();
    out.height = dib.height();
    // Bottom-up rows: the top row is the last in memory.
    out.rowStep = -static_cast<std::ptrdiff_t>(dib.stride());
    out.firstRowOffset = static_cast<std::ptrdiff_t>(dib.stride()) * (dib.height() - 1);
    out.bytesPerPixel = 3;
    return true;
}

void LoadOptions() {
    Win32SettingsFiles files;
    options = ocr_settings::load(files, settingsStore.iniPath);
}

const OcrSettings& Options() {
    return options;
}

void PictureWritten(HWND window, const std::string& path) {
    if (!options.enabled || modelsBroken || path.empty())
        return;
    Enqueue(window, path);
}

void HistoryOpened(HWND window) {
    if (options.enabled && !modelsBroken)
        StartScan(window);
}

bool OnPosted(HWND window, UINT message, LPARAM lParam) {
    if (OnScanned(window, message, lParam))
        return true;
    if (message != ocr::OcrWorker::PostedMessage())
        return false;
    std::unique_ptr<ocr::OcrPosted> posted = ocr::OcrWorker::Take(lParam);
    if (!posted)
        return true;
    const std::string key = win::FileNameKey(posted->path);
    pending.erase(key);
    const ocr::OcrOutcome& outcome = posted->outcome;
    if (outcome.status == ocr::OcrStatus::Cancelled)
        return true;
    const bool ok =
        outcome.status == ocr::OcrStatus::Ok && WriteSidecar(posted->path, ocrfile::write(outcome.result));
    if (PictureUnreadable(outcome.status))
        WriteSidecar(posted->path, ocrfile::writeUnreadable(outcome.message));
    if (ok)
        failed.erase(key);
    else
        failed.insert(key);
    CountInBatch(key, ok, outcome.result.lines.empty());
    if (ok && readListener)
        readListener(window, posted->path);
    if (!modelsBroken &&
        (outcome.status == ocr::OcrStatus::NoModels || outcome.status == ocr::OcrStatus::DamagedModels)) {
        modelsBroken = true;
        ShowMessage(window, outcome.message.c_str(), "エラー", MB_ICONERROR | MB_OK);
    }
    RefreshStatus();
    return true;
}

void ShowStatusOfSelection() {
    char path[kPathSize];
    statusBar.setPictureStatus(historyList.selectedPicturePath(path) ? PictureStatus(path) : "");
}

const char* PictureStatus(const std::string& path) {
    if (path.empty())
        return "";
    const std::string key = win::FileNameKey(path);
    if (pending.count(key))
        return kReading;
    if (failed.count(key) || SidecarOf(path) == Sidecar::unreadable)
        return kUnreadable;
    return "";
}

namespace {

// Waits on the progress window's thread for the last picture's answer, which
// the window's thread takes (its dialog's loop dispatches it), or the cancel.
void WaitForBatch(Batch& b, const std::atomic<bool>& cancel) {
    const bool here = GetWindowThreadProcessId(appState.mainWindow, nullptr) == GetCurrentThreadId();
    while (b.done.load() < b.total && !cancel.load()) {
        if (!here) {
            WaitForSingleObject(b.finished.get(), 100);
            continue;
        }
        // Without the window (no resources), the answers come here.
        HANDLE finished = b.finished.get();
        MsgWaitForMultipleObjects(1, &finished, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

std::string Counts(const Batch& b) {
    char text[256];
    std::snprintf(text, sizeof text, "読み取り: %d 件\n文字なし: %d 件\n読み取れなかった画像: %d 件", b.read,
                  b.noText, b.unread);
    return text;
}

}  // namespace

void ReadAllCommand(HWND window) {
    const std::vector<std::string> paths = UnreadPictures();
    if (paths.empty()) {
        ShowMessage(window, "文字を読み取っていない画像はありません。", "文字の読み取り",
                    MB_ICONINFORMATION | MB_OK);
        return;
    }
    Batch b;
    b.finished.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    for (const std::string& path : paths)
        b.paths.insert(win::FileNameKey(path));
    b.total = static_cast<int>(b.paths.size());
    batch = &b;
    // Asked for by the user: a picture that failed earlier is tried again.
    modelsBroken = false;
    for (const std::string& path : paths)
        Enqueue(window, path);
    std::atomic<bool> cancel{false};
    win::ProgressView view;
    view.dialog = IDD_OCR_PROGRESS;
    view.text = IDC_OCR_PROGRESS_TEXT;
    view.bar = IDC_OCR_PROGRESS_BAR;
    view.cancel = &cancel;
    view.describe = [&b](int& position) {
        const int done = b.done.load();
        position = b.total > 0 ? static_cast<int>(static_cast<long long>(done) * win::kProgressRange / b.total) : 0;
        char text[96];
        std::snprintf(text, sizeof text, "文字を読み取っています (%d / %d)", done, b.total);
        return std::string(text);
    };
    win::RunWithProgress(window, view, [&] { WaitForBatch(b, cancel); });
    const bool cancelled = b.done.load() < b.total;
    if (cancelled)
        StopWorker();  // the rest of the queue goes with it
    batch = nullptr;
    RefreshStatus();
    const std::string text = std::string(cancelled ? "文字の読み取りを中止しました。\n\n"
                                                   : "文字の読み取りが終わりました。\n\n") +
                             Counts(b);
    ShowMessage(window, text.c_str(), "文字の読み取り", MB_ICONINFORMATION | MB_OK);
}

namespace {

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            CheckDlgButton(dialog, IDC_OCR_ENABLED, options.enabled ? BST_CHECKED : BST_UNCHECKED);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                if (LOWORD(wParam) == IDOK) {
                    // The patterns' dialog may have saved the group since it
                    // was read: take the file's, change the option alone.
                    Win32SettingsFiles files;
                    OcrSettings changed = ocr_settings::load(files, settingsStore.iniPath);
                    changed.enabled = IsDlgButtonChecked(dialog, IDC_OCR_ENABLED) == BST_CHECKED;
                    if (!ocr_settings::save(files, settingsStore.iniPath, changed))
                        ShowMessage(dialog, "設定ファイルに書き込めませんでした。", "エラー",
                                    MB_ICONERROR | MB_OK);
                    options = changed;
                }
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void SettingsCommand(HWND window) {
    const bool was = options.enabled;
    const HINSTANCE instance = appState.instance ? appState.instance : GetModuleHandleA(nullptr);
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_OCR_SETTINGS), window, SettingsProc, 0) != IDOK)
        return;
    // Turned on, the history's pictures are read as an opening reads them;
    // turned off, the background reading ends now.
    if (options.enabled && !was)
        HistoryOpened(window);
    else if (!options.enabled && was)
        StopWorker();
    RefreshStatus();
}

void Stop() {
    StopScan(appState.mainWindow);
    engineNow.reset();
    StopWorker();
    // What was remembered belongs to this window's session.
    failed.clear();
    modelsBroken = false;
    workerStarted = false;
}

bool WorkerStarted() {
    return workerStarted;
}

}  // namespace ocr_road
