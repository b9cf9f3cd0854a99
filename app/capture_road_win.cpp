#include "app/capture_road_win.h"

#include <cstdio>
#include <exception>
#include <future>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window_win.h"
#include "app/status_bar_win.h"
#include "app/toolbar_win.h"
#include "base/app_messages_win.h"
#include "base/app_state_win.h"
#include "base/cp932.h"
#include "base/file_io_win.h"
#include "base/menu_win.h"
#include "base/sha256_win.h"
#include "base/message_box_win.h"
#include "capture/capturer_win.h"
#include "capture/file_naming.h"
#include "capture/monitors_win.h"
#include "capture/region_overlay_win.h"
#include "capture/step_heading.h"
#include "capture/step_recorder_win.h"
#include "history/evidence_book_win.h"
#include "history/history.h"
#include "history/history_file_win.h"
#include "history/history_list_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "view/image_pane_win.h"
#include "picture/annotation_file.h"
#include "view/compare_window_win.h"
#include "view/image_view_win.h"

#ifdef ZELCAP_BENCH_HOOKS
#include "capture/step_timing_win.h"
#endif

namespace capture_road {

namespace {

#ifdef ZELCAP_BENCH_HOOKS
bool benchHashing = true;
LARGE_INTEGER benchFileWritten{};
#endif

const char kStatusStopped[] = "キャプチャ停止中";
const char kStatusMonitoring[] = "キャプチャ監視中";
const char kStatusSteps[] = "ステップ記録中";

Settings& settings() {
    return settingsStore.settings;
}

// Message boxes of the road are owned by the image view, as the pipeline's
// are, so that they come up over the picture.
HWND MessageOwner(HWND window) {
    return imagePane && imagePane->view ? imagePane->view : window;
}

// A capture waiting for its delay to run out: one at a time.
struct PendingCapture {
    int hotKeyId = 0;
    int remaining = 0;  // seconds
};
PendingCapture pendingCapture;
constexpr UINT_PTR kDelayTimer = 0x5A01;

void ShowCountdown() {
    char text[64];
    std::snprintf(text, sizeof text, "キャプチャーまで %d 秒", pendingCapture.remaining);
    statusBar.setText(text);
}

void ShowStepStatus() {
    char text[64];
    std::snprintf(text, sizeof text, "%s %dステップ", kStatusSteps, stepRecorder.taken());
    statusBar.setText(text);
}

bool TooManyRecords(HWND window) {
    if (history.count < AppState::recordMaximum)
        return false;
    char text[128];
    std::snprintf(text, sizeof text, "最大件数%dを超えました。履歴ファイルを変更してください。",
                  AppState::recordMaximum);
    ShowMessage(window, text, "警告", MB_ICONWARNING | MB_OK);
    return true;
}

// The region kinds decide their region before the pipeline runs: the
// overlay for a new one, the kept one for "前回の範囲". False when there is
// nothing to capture.
bool ChooseRegion(HWND window, HWND owner, int id) {
    if (id == kRepeatRegionHotKeyId) {
        const CaptureRegion& kept = capturer.extras.lastRegion;
        if (kept.empty()) {
            ShowMessage(owner, "前回の範囲がありません。先に範囲指定キャプチャーを行ってください。",
                        "警告", MB_ICONWARNING | MB_OK);
            return false;
        }
        // A region kept under another screen layout (a monitor since
        // removed) may lie wholly beyond this screen; one partly on it is
        // cut to it by the capture.
        const CaptureRect screen = ReadMonitorLayout().bounds;
        if (capture_extras::onScreenIn(kept, {screen.left, screen.top, screen.right, screen.bottom})
                .empty()) {
            ShowMessage(owner,
                        "前回の範囲が現在の画面の外にあります。"
                        "範囲指定キャプチャーをやり直してください。",
                        "警告", MB_ICONWARNING | MB_OK);
            return false;
        }
        return true;
    }
    if (!capturer.readyToCapture(owner))
        return false;
    HBITMAP frozen = capturer.freezeScreen();
    CaptureRegion region;
    const bool picked = PickRegionIn(appState.instance, frozen, capturer.frozenBounds(), region);
    SetForegroundWindow(window);
    if (!picked) {
        capturer.releaseFrozenScreen();
        return false;
    }
    capturer.extras.lastRegion = region;
    capturer.saveExtras();
    return true;
}

enum class Source { hotKey, step };

// A script's own parts of the record.
struct ScriptRecord {
    const std::string* heading;
    const std::string* textFile;
};

// The bytes of the last capture, for its digest on another thread.
std::vector<uint8_t> evidenceCopy;

// The record of the capture just written, and what follows it but the
// picture, which the caller shows once the road is no longer busy.
void AppendCaptureRecord(HWND window, HWND owner, CaptureResult& captured, Source source,
                         const ScriptRecord* script = nullptr) {
    // A step leaves the clipboard to the program under test: the user
    // copies and pastes there while the steps are recorded.
    if (capturer.extras.copyToClipboard && source == Source::hotKey)
        capturer.copyToClipboard(owner);
    // The evidence is the bytes just written, not read back: a copy of
    // them is hashed on another thread while the pane shows the picture
    // (whose block the pane and the capturer may reuse or free at once).
    // The copy stays untouched until the digest has been waited for
    // (evidenceBook.flush, first thing here and before every capture).
    evidenceBook.flush();
    std::future<std::pair<bool, Sha256Digest>> digest;
    bool copied = false;
#ifdef ZELCAP_BENCH_HOOKS
    QueryPerformanceCounter(&benchFileWritten);
    const bool hashing = benchHashing;
#else
    constexpr bool hashing = true;
#endif
    if (hashing && !captured.file.empty()) {
        try {
            evidenceCopy.assign(captured.file.begin(), captured.file.end());
            copied = true;
            digest = std::async(std::launch::async, [] {
                // Behind the pane's decode and paint, which the user waits
                // for; the digest is only waited for by the next capture.
                SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
                Sha256Digest d;
                const bool ok = win::sha256(evidenceCopy.data(), evidenceCopy.size(), d);
                return std::make_pair(ok, d);
            });
        } catch (const std::exception&) {  // no memory or no thread: here and now
            digest = {};
        }
    }
    if (hashing && !digest.valid()) {
        std::promise<std::pair<bool, Sha256Digest>> now;
        Sha256Digest d;
        now.set_value({copied ? win::sha256(evidenceCopy.data(), evidenceCopy.size(), d)
                              : HashFile(captured.path, d),
                       d});
        digest = now.get_future();
    }
    // The new row's picture is made from the bytes just written, not read back.
    LendCaptureBytes(captured.path.c_str(), std::move(captured.file));
    char timestamp[kDateTimeSize];
    historyfile::Timestamp(timestamp);
    if (script && script->heading)
        captured.heading = *script->heading;
    history.appendCapture(captured.recordPath.c_str(), captured.heading.c_str(), timestamp,
                          settings().folderOption);
    if (script && !script->textFile->empty() && history.count > 0)
        cp932::copyText(history.records[history.count - 1].textFile, script->textFile->c_str());
    if (hashing)
        evidenceBook.capturedLater(history.count, captured.path, std::move(digest));
    historyList.showAppendedRecord();
    EnableMenuCommand(window, IDM_FILE_SAVE, true);
    toolbar.setButtonState(Toolbar::kSaveButton, Toolbar::kEnabled);
    if (settings().autoSaveHistory == 1) {
        historyList.saveHistoryFile();
        UpdateTitle(window);
    }
    UpdateHistoryCommands(window);
    UpdateSelectionCommands(window);
    settings().startNumber = captured.nextNumber;
}

// The new record's picture; then the file's bytes, which the picture was made
// from, go back to the capturer for the next file.
void ShowCapturedPicture() {
    ShowSelectedPicture();
    capturer.takeBackFile(ReclaimCaptureBytes());
}

bool RunCapture(HWND window, int id, LPARAM lParam, const ScriptRecord* script = nullptr,
                CaptureReport* report = nullptr) {
    // The last capture's block is written again: its digest first.
    evidenceBook.flush();
    {
        CaptureBusyScope busy;
        HWND owner = MessageOwner(window);
        const bool region = id == kRegionHotKeyId || id == kRepeatRegionHotKeyId;
        if (region && !ChooseRegion(window, owner, id))
            return false;
        CaptureResult captured = capturer.capture(owner, id);
        capturer.releaseFrozenScreen();
        if (!captured.written()) {
            if (!script)
                DefWindowProcA(window, WM_HOTKEY, static_cast<WPARAM>(id), lParam);
            return false;
        }
        AppendCaptureRecord(window, owner, captured, Source::hotKey, script);
        if (report) {
            report->number = captured.number;
            report->path = captured.path;
            report->heading = captured.heading;
            report->time = history.records[history.count - 1].dateTime;
            BITMAP picture{};
            if (capturer.image && GetObjectA(capturer.image.get(), sizeof picture, &picture)) {
                report->width = picture.bmWidth;
                report->height = picture.bmHeight;
            }
        }
    }
    ShowCapturedPicture();
    if (report) {
        evidenceBook.flush();
        Sha256Digest digest;
        if (evidenceBook.digestOf(report->path, digest))
            report->sha256 = sha256Hex(digest);
    }
    return true;
}

// True while the steps are being written: a message box of a step (the
// overwrite question) lets UWM_STEP_SHOT in again, and the steps behind
// it must wait for its answer, not write over the pipeline's state.
bool writingSteps = false;

}  // namespace

void OnHotKey(HWND window, int id, LPARAM lParam) {
    if (id == kStepHotKeyId) {
        SendMessageA(window, WM_COMMAND, stepRecorder.running() ? IDM_STEP_STOP : IDM_STEP_START,
                     0);
        return;
    }
    if (TooManyRecords(window))
        return;
    if (appState.captureBusy || pendingCapture.hotKeyId != 0)
        return;
    if (capturer.extras.delaySeconds > 0) {
        // The menus and tooltips the user opens in the meantime are taken.
        pendingCapture = {id, capturer.extras.delaySeconds};
        ShowCountdown();
        SetTimer(window, kDelayTimer, 1000, nullptr);
        return;
    }
    RunCapture(window, id, lParam);
}

bool OnTimer(HWND window, UINT_PTR timer) {
    if (timer != kDelayTimer)
        return false;
    if (pendingCapture.hotKeyId == 0) {
        KillTimer(window, kDelayTimer);
        return true;
    }
    if (--pendingCapture.remaining > 0) {
        ShowCountdown();
        return true;
    }
    const int id = pendingCapture.hotKeyId;
    CancelPendingCapture(window);
    statusBar.setText(kStatusMonitoring);
    // The history may have filled up while the seconds ran.
    if (!TooManyRecords(window) && capturer.monitoring == 1)
        RunCapture(window, id, 0);
    return true;
}

void CancelPendingCapture(HWND window) {
    if (pendingCapture.hotKeyId == 0)
        return;
    KillTimer(window, kDelayTimer);
    pendingCapture = {};
}

bool CaptureNow(HWND window, int hotKeyId, const std::string* heading, const std::string& textFile,
                CaptureReport& report) {
    if (TooManyRecords(window) || CaptureInProgress())
        return false;
    const ScriptRecord script{heading, &textFile};
    return RunCapture(window, hotKeyId, 0, &script, &report);
}

bool CaptureInProgress() {
    return appState.captureBusy || pendingCapture.hotKeyId != 0;
}

void ShowCaptureStatus(bool armed) {
    if (stepRecorder.running())
        ShowStepStatus();
    else
        statusBar.setText(armed ? kStatusMonitoring : kStatusStopped);
}

void SetStepCommands(HWND window) {
    EnableMenuCommand(window, IDM_STEP_START, !stepRecorder.running());
    EnableMenuCommand(window, IDM_STEP_STOP, stepRecorder.running());
}

void OnStepShot(HWND window) {
    if (writingSteps)
        return;
    writingSteps = true;
    struct Done {
        ~Done() { writingSteps = false; }
    } done;
    StepShot shot;
    while (stepRecorder.take(shot)) {
        if (history.count >= AppState::recordMaximum) {
            StopStepRecording(window);
            TooManyRecords(window);
            return;
        }
        bool written = false;
        evidenceBook.flush();
        {
            CaptureBusyScope busy;
            HWND owner = MessageOwner(window);
            CaptureResult captured =
                capturer.captureStep(owner, shot, stepHeading(shot.target, kCommentSize - 1));
            written = captured.written();
            if (written) {
#ifdef ZELCAP_BENCH_HOOKS
                step_timing::LogStep(shot);
#endif
                AppendCaptureRecord(window, owner, captured, Source::step);
            }
        }
        if (written)
            ShowCapturedPicture();
    }
    if (stepRecorder.running())
        ShowStepStatus();
}

#ifdef ZELCAP_BENCH_HOOKS
void SetHashingForBench(bool on) {
    benchHashing = on;
}

LONGLONG FileWrittenForBench() {
    return benchFileWritten.QuadPart;
}
#endif

void StartStepRecording(HWND window) {
    if (stepRecorder.running())
        return;
    // The steps of the last recording come first.
    stepRecorder.finish();
    OnStepShot(window);
    if (!capturer.readyToCapture(window) || TooManyRecords(window))
        return;
    if (!stepRecorder.start(window, capturer.extras.stepWholeScreen)) {
        ShowMessage(window, "ステップ記録を開始できませんでした。", "エラー", MB_ICONERROR | MB_OK);
        return;
    }
#ifdef ZELCAP_BENCH_HOOKS
    step_timing::LogFloor(stepRecorder.floorMs());
#endif
    SetStepCommands(window);
    ShowStepStatus();
}

void StopStepRecording(HWND window) {
    if (!stepRecorder.running())
        return;
    stepRecorder.stop();
    SetStepCommands(window);
    statusBar.setText(capturer.monitoring == 1 ? kStatusMonitoring : kStatusStopped);
    // The clicks taken before the stop are written too: those ready now,
    // the others as they become ready (UWM_STEP_SHOT).
    OnStepShot(window);
}

void FinishStepRecording(HWND window) {
    StopStepRecording(window);
    stepRecorder.finish();
    OnStepShot(window);
}

namespace {

// The comparison's refusals and messages are a capture's, shown over the
// comparison window the user works in.
const char kFolderFollowsUntitled[] =
    "キャプチャファイルの保存先が履歴と同じに設定されています。\n"
    "『ファイルを開く』か『名前を付けて保存』で履歴ファイル名を決めてから"
    "キャプチャーを開始してください。";
const char kSystemErrorCaption[] = "S00011 <SYSTEM ERROR>";

// The file through one handle, as the capture writers do; false after the
// message. A failed write leaves no file behind that a record could name.
bool WriteComparisonFile(HWND owner, const std::string& path, const ComparisonRecord& record) {
    win::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool existed = file && GetLastError() == ERROR_ALREADY_EXISTS;
    if (existed && capturer.confirmOverwrite == 1 &&
        ShowMessage(owner, "同じ名前のファイルがあります。上書きしますか？", path.c_str(),
                    MB_ICONWARNING | MB_OKCANCEL) != IDOK)
        return false;
    if (!file) {
        ShowMessage(owner, "ファイルのオープンに失敗しました", kSystemErrorCaption,
                    MB_ICONERROR | MB_OK);
        return false;
    }
    const bool isDisk = GetFileType(file.get()) == FILE_TYPE_DISK;
    bool ok = win::WriteAll(file.get(), record.bytes, record.size) && SetEndOfFile(file.get());
    if (!CloseHandle(file.release()))
        ok = false;
    if (!ok) {
        if (isDisk)
            DeleteFileA(path.c_str());
        ShowMessage(owner, "ファイルの書き込みに失敗しました", kSystemErrorCaption,
                    MB_ICONERROR | MB_OK);
    }
    return ok;
}

}  // namespace

bool AddComparison(HWND window, const ComparisonRecord& record) {
    HWND owner = CompareWindowHandle() ? CompareWindowHandle() : MessageOwner(window);
    if (appState.captureBusy || TooManyRecords(owner))
        return false;
    Settings& s = settings();
    if (s.folderOption == 1 && history.untitled) {
        ShowMessage(owner, kFolderFollowsUntitled, history.folder, MB_ICONWARNING | MB_OK);
        return false;
    }
    evidenceBook.flush();
    CaptureBusyScope busy;
    char folder[kPathSize];
    cp932::copyText(folder, s.folderOption == 1 ? history.folder : s.saveFolder);
    removeTrailingBackslash(folder);
    const std::string path = std::string(folder) + "\\" + record.fileName;
    if (path.size() >= static_cast<std::size_t>(kPathSize)) {
        // No file of that name can exist: the path does not fit.
        ShowMessage(owner, "ファイルのオープンに失敗しました", kSystemErrorCaption,
                    MB_ICONERROR | MB_OK);
        return false;
    }
    if (!WriteComparisonFile(owner, path, record))
        return false;
    // Annotations of a picture this file replaced were made on that one.
    DeleteFileA(annotation::sidecarPath(path).c_str());
    DeleteFileA(annotation::flattenedPath(path).c_str());
    Sha256Digest digest;
    const bool hashed = win::sha256(record.bytes, record.size, digest);
    // The record names the file as a capture's record does: "保存先" and
    // the name, of which a record of the history folder keeps the name.
    removeTrailingBackslash(s.saveFolder);
    std::string recordPath = std::string(s.saveFolder) + "\\" + record.fileName;
    if (recordPath.size() >= static_cast<std::size_t>(kPathSize))
        recordPath = record.fileName;
    char timestamp[kDateTimeSize];
    historyfile::Timestamp(timestamp);
    history.appendCapture(recordPath.c_str(), record.heading, timestamp, s.folderOption);
    if (hashed)
        evidenceBook.captured(history.count, path, digest);
    historyList.showAppendedRecord();
    EnableMenuCommand(window, IDM_FILE_SAVE, true);
    toolbar.setButtonState(Toolbar::kSaveButton, Toolbar::kEnabled);
    if (s.autoSaveHistory == 1) {
        historyList.saveHistoryFile();
        UpdateTitle(window);
    }
    UpdateHistoryCommands(window);
    UpdateSelectionCommands(window);
    ShowSelectedPicture();
    return true;
}

}  // namespace capture_road
