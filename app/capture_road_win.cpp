#include "app/capture_road_win.h"

#include <cstdio>
#include <exception>
#include <future>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "app/capture_stamp_win.h"
#include "app/ocr_road_win.h"
#include "app/retest_guide_win.h"
#include "app/retest_road_win.h"
#include "app/status_bar_win.h"
#include "base/app_messages_win.h"
#include "base/app_state_win.h"
#include "base/bmp_format.h"
#include "base/cp932.h"
#include "base/file_names_win.h"
#include "base/win_handles_win.h"
#include "base/menu_win.h"
#include "base/sha256_win.h"
#include "base/message_box_win.h"
#include "capture/capturer_win.h"
#include "capture/monitors_win.h"
#include "capture/region_overlay_win.h"
#include "capture/scroll_capture_win.h"
#include "capture/scroll_tip_win.h"
#include "capture/key_steps.h"
#include "capture/step_heading.h"
#include "capture/step_recorder_win.h"
#include "history/case_dialog_win.h"
#include "history/evidence_book_win.h"
#include "history/history.h"
#include "history/history_file_win.h"
#include "history/history_list_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "view/image_pane_win.h"
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

// The steps of this recording whose file was written: a press whose file
// could not be written (a full disk, a declined overwrite) is no step of
// the record.
int stepsWritten = 0;

void ShowStepStatus() {
    char text[64];
    std::snprintf(text, sizeof text, "%s %dステップ", kStatusSteps, stepsWritten);
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
        const CaptureRegion& kept = capturer.extras().lastRegion;
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
    capturer.keepRegion(region);
    capturer.saveExtras();
    return true;
}

enum class Source { hotKey, step, comparison };

// A script's own parts of the record.
struct ScriptRecord {
    const std::string* heading;
    const std::string* textFile;
    const testcase::TestCase* testCase;  // the case fields it gave; null: none
    std::vector<testcase::Field>* cut;   // where the fields cut to their limits go
};

// The bytes of the last capture, for its digest on another thread.
std::vector<uint8_t> evidenceCopy;

// The digest of the file just written, for the evidence. The evidence is
// the bytes just written, not read back: a copy of them is hashed on
// another thread while the pane shows the picture (whose block the pane and
// the capturer may reuse or free at once). The copy stays untouched until
// the digest has been waited for (evidenceBook.flush, before every new
// picture).
std::future<std::pair<bool, Sha256Digest>> DigestOf(const CaptureResult& captured) {
    evidenceBook.flush();
    std::future<std::pair<bool, Sha256Digest>> digest;
    bool copied = false;
    if (!captured.file.empty()) {
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
    if (!digest.valid()) {
        std::promise<std::pair<bool, Sha256Digest>> now;
        Sha256Digest d;
        now.set_value({copied ? win::sha256(evidenceCopy.data(), evidenceCopy.size(), d)
                              : HashFile(captured.path, d),
                       d});
        digest = now.get_future();
    }
    return digest;
}

// What was typed into a field, in a description file of its own beside the
// step's picture: "<picture's name>.txt", or "(2)" and on when that name is
// taken (a user's file is never written over). The record names it as the
// text-file dialog would: by its name in the history folder, else by its
// path. False when no file could be made.
bool AttachTypedText(HistoryRecord& record, const std::string& picture, const std::string& text) {
    const char* slash = cp932::findLastChar(picture.c_str(), '\\');
    const std::size_t cut = slash ? static_cast<std::size_t>(slash - picture.c_str()) : 0;
    const std::string folder = picture.substr(0, cut);
    std::string stem = picture.substr(slash ? cut + 1 : 0);
    if (const char* dot = cp932::findLastChar(stem.c_str(), '.'))
        stem.resize(static_cast<std::size_t>(dot - stem.c_str()));
    for (int n = 1; n <= 9; ++n) {
        const std::string name = stem + (n == 1 ? "" : "(" + std::to_string(n) + ")") + ".txt";
        const std::string path = folder.empty() ? name : folder + "\\" + name;
        win::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return false;
        }
        DWORD done = 0;
        if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) ||
            done != text.size())
            return false;
        const bool inHistory = win::SameFileName(folder, std::string(history.folder));
        return cp932::copyText(record.textFile, (inHistory ? name : path).c_str());
    }
    return false;
}

// A hot-key or step capture's record takes the current case, if one is set.
void FileUnderCurrentCase(const HistoryRecord& record) {
    const testcase::TestCase c = CurrentCaseForCapture(record.dateTime);
    if (!c.empty() && record.id != 0)
        history.cases.set(record.id, c);
}

// Whether another hot key waits in the queue: its capture shows its own
// picture, and the decode of this one's for the pane would be replaced at
// once (in a burst of keys it was the largest part of a capture's own
// work). PeekMessage, not GetQueueStatus: Wine's queue status did not tell
// of a hot key. Looked at before the row's drawing is posted, so that a key
// the look takes in from the display comes before the drawing.
bool HotKeyQueued() {
    MSG queued;
    return PeekMessageA(&queued, nullptr, WM_HOTKEY, WM_HOTKEY, PM_NOREMOVE) != 0;
}

// The record of the picture just written, and what follows it but the
// picture, which the caller shows once the road is no longer busy. The
// window hears of the new record (UWM_RECORD_ADDED) and refreshes itself.
// True when another hot key's capture follows at once.
bool AppendRecord(HWND window, HWND owner, CaptureResult& captured, Source source,
                  const ScriptRecord* script = nullptr, const std::string& typedText = {}) {
    // A step leaves the clipboard to the program under test: the user
    // copies and pastes there while the steps are recorded.
    if (capturer.extras().copyToClipboard && source == Source::hotKey)
        capturer.copyToClipboard(owner);
#ifdef ZELCAP_BENCH_HOOKS
    QueryPerformanceCounter(&benchFileWritten);
    const bool hashing = benchHashing;
#else
    constexpr bool hashing = true;
#endif
    std::future<std::pair<bool, Sha256Digest>> digest;
    if (hashing)
        digest = DigestOf(captured);
    // The new row's picture is made from the bytes just written, not read back.
    LendCaptureBytes(captured.path.c_str(), std::move(captured.file));
    char timestamp[kDateTimeSize];
    historyfile::Timestamp(timestamp);
    if (script && script->heading)
        captured.heading = *script->heading;
    const int before = history.count;
    history.appendCapture(captured.recordPath.c_str(), captured.heading.c_str(), timestamp,
                          settings().folderOption);
    // Before the row is shown, so that it shows its case.
    if (!script && source != Source::comparison && history.count > before)
        FileUnderCurrentCase(history.records[history.count - 1]);
    if (script && !script->textFile->empty() && history.count > 0)
        cp932::copyText(history.records[history.count - 1].textFile, script->textFile->c_str());
    if (!typedText.empty() && history.count > before)
        AttachTypedText(history.records[history.count - 1], captured.path, typedText);
    if (hashing)
        evidenceBook.capturedLater(history.count, captured.path, std::move(digest));
    if (script && script->testCase)
        *script->cut = capture_stamp::ApplyScriptCase(*script->testCase);
    // After the digest of the picture as captured, which the stamp leaves
    // as it is; a comparison's overlay is no capture.
    if (source != Source::comparison)
        capture_stamp::StampNewRecord(owner, captured.path);
    const bool followed = source == Source::hotKey && HotKeyQueued();
    historyList.showAppendedRecord();
    const bool saved = settings().autoSaveHistory == 1;
    if (saved)
        historyList.saveHistoryFile();
    SendMessageA(window, UWM_RECORD_ADDED, saved ? 1 : 0, 0);
    // Only queued: the reading runs on the worker's thread, behind the road.
    if (history.count > before) {
        ocr_road::PictureWritten(window, captured.path);
        // Queued too: the comparison with the baseline's step runs behind the road.
        retest_road::RecordAdded(window, history.count - 1);
        retest_guide::Refresh();
    }
    // A comparison's picture takes no number.
    if (captured.nextNumber > 0)
        settings().startNumber = captured.nextNumber;
    return followed;
}

// The new record's picture; then the file's bytes, which the picture was made
// from, go back to the capturer for the next file. When another capture
// follows, the list shows the picture of the last one with its rows.
void ShowCapturedPicture(HWND window, bool followed = false) {
    if (followed) {
        historyList.showPictureWithRows();
        capturer.reuseFileBlock(WithdrawCaptureBytes());
        return;
    }
    SendMessageA(window, UWM_SHOW_IMAGE, 0, 0);
    capturer.reuseFileBlock(ReclaimCaptureBytes());
}

// What a script's capture is told of the record just appended.
void ReportRecord(const CaptureResult& captured, CaptureReport& report) {
    report.number = captured.number;
    report.path = captured.path;
    report.heading = captured.heading;
    report.time = history.records[history.count - 1].dateTime;
    const testcase::TestCase* c = history.cases.find(history.records[history.count - 1].id);
    report.testCase = c ? *c : testcase::TestCase{};
    capturer.pictureSize(&report.width, &report.height);
}

void ReportDigest(CaptureReport& report) {
    evidenceBook.flush();
    Sha256Digest digest;
    if (evidenceBook.digestOf(report.path, digest))
        report.sha256 = sha256Hex(digest);
}

bool RunCapture(HWND window, int id, LPARAM lParam, const ScriptRecord* script = nullptr,
                CaptureReport* report = nullptr) {
    // The last capture's block is written again: its digest first.
    evidenceBook.flush();
    bool followed = false;
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
        followed = AppendRecord(window, owner, captured, Source::hotKey, script);
        if (report)
            ReportRecord(captured, *report);
    }
    ShowCapturedPicture(window, followed);
    if (report)
        ReportDigest(*report);
    return true;
}

// The window under the pointer, or the nearest window around it with a
// vertical scroll bar of its own (the list of a dialog, under a label).
HWND ScrollTarget() {
    POINT point{};
    GetCursorPos(&point);
    HWND under = WindowFromPoint(point);
    for (HWND w = under; w; w = GetAncestor(w, GA_PARENT)) {
        if (GetWindowLongA(w, GWL_STYLE) & WS_VSCROLL)
            return w;
        if (w == GetAncestor(w, GA_ROOT))
            break;
    }
    return under;
}

const char* ScrollMessage(ScrollEnd end) {
    switch (end) {
        case ScrollEnd::hung:
            return "ウィンドウが応答しないため、スクロールを中断しました。ここまでの画像を保存します。";
        case ScrollEnd::changed:
            return "スクロール中に表示が変わったため、画像をつなげられませんでした。"
                   "表示されている部分だけを保存します。";
        case ScrollEnd::cannotScroll:
            return "このウィンドウはスクロールできません。表示されている部分だけを保存します。";
        case ScrollEnd::heightLimit:
            return "最大の高さに達したため、そこまでの画像を保存します。";
        case ScrollEnd::noMemory:
            return "メモリが足りないため、スクロールキャプチャーできません。";
        case ScrollEnd::noPicture:
            return "画面を取得できませんでした。";
        case ScrollEnd::end:
        case ScrollEnd::cancelled:
        case ScrollEnd::ignored:
            break;
    }
    return nullptr;
}

// The page taken while the user scrolls it: ends at Esc or at the scrolling
// capture's hot key again, which reach this thread while it waits between
// the looks. Only the tip's paint is dispatched meanwhile; every other
// message waits for the capture's end.
ScrollCapture ScrollByHand(HWND target) {
    constexpr DWORD kLookMs = 40;
    const HotKeyEntry& key = capturer.extras().scrollKey;
    std::string text = "ウィンドウを手でスクロールしてください。\n撮り終えたら Esc キー";
    if (key.virtualKey != 0 && key.monitored != 0)
        text += "か " + capture_extras::keyName(key.modifiers, key.virtualKey);
    text += "を押してください。";
    const ScrollTip tip(target, text);
    GetAsyncKeyState(VK_ESCAPE);  // a press before the start is no end
    return CaptureScrollingByHand(target, capturer.extras().scrollMaxHeight, [] {
        Sleep(kLookMs);
        MSG message;
        bool again = false;
        while (PeekMessageA(&message, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE))
            again = again || message.wParam == static_cast<WPARAM>(kScrollHotKeyId);
        while (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageA(&message);
        return again || (GetAsyncKeyState(VK_ESCAPE) & 0x8001) != 0;
    });
}

// The stitched page as the capturer takes pictures: bottom-up 24-bit rows.
bool BottomUpRows(const stitch::Picture& page, std::vector<uint8_t>& rows) {
    const std::size_t stride = dibStride(page.width);
    try {
        rows.assign(stride * static_cast<std::size_t>(page.height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < page.height; ++y) {
        uint8_t* out = rows.data() + static_cast<std::size_t>(page.height - 1 - y) * stride;
        const uint32_t* in = page.row(y);
        for (int x = 0; x < page.width; ++x) {
            out[3 * x] = static_cast<uint8_t>(in[x]);
            out[3 * x + 1] = static_cast<uint8_t>(in[x] >> 8);
            out[3 * x + 2] = static_cast<uint8_t>(in[x] >> 16);
        }
    }
    return true;
}

// The scrolling capture's hot key or a script's: the window under the
// pointer scrolled into one tall picture (Esc ends it early), written as a
// capture is.
bool RunScrollCapture(HWND window, const ScriptRecord* script = nullptr,
                      CaptureReport* report = nullptr) {
    evidenceBook.flush();
    bool written = false;
    {
        CaptureBusyScope busy;
        HWND owner = MessageOwner(window);
        HWND target = ScrollTarget();
        DWORD process = 0;
        GetWindowThreadProcessId(target, &process);
        if (!target || process == GetCurrentProcessId()) {
            ShowMessage(owner, "マウスポインターを撮りたいウィンドウの上に置いてください。",
                        "スクロールキャプチャー", MB_ICONWARNING | MB_OK);
            return false;
        }
        if (!capturer.readyToCapture(owner))
            return false;
        char title[kCommentSize] = {};
        GetWindowTextA(GetAncestor(target, GA_ROOT), title, sizeof title);
        // A script has no user to scroll by hand: a page that takes no
        // scroll message is its visible part.
        const bool byHand = !script && capturer.extras().scrollByHand;
        ScrollCapture taken =
            byHand ? ScrollByHand(target)
                   : CaptureScrolling(target, capturer.extras().scrollMaxHeight,
                                      [] { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0; });
        if (!script && taken.end == ScrollEnd::ignored)
            taken = ScrollByHand(target);
        if (const char* text = ScrollMessage(taken.end))
            ShowMessage(owner, text, "スクロールキャプチャー", MB_ICONWARNING | MB_OK);
        std::vector<uint8_t> rows;
        if (taken.page.height == 0)
            return false;
        if (!BottomUpRows(taken.page, rows)) {
            ShowMessage(owner, ScrollMessage(ScrollEnd::noMemory), "スクロールキャプチャー",
                        MB_ICONWARNING | MB_OK);
            return false;
        }
        const RECT rect{0, 0, taken.page.width, taken.page.height};
        CaptureResult captured = capturer.capturePicture(owner, rect, rows, title);
        if (!captured.written())
            return false;
        AppendRecord(window, owner, captured, Source::hotKey, script);
        if (report)
            ReportRecord(captured, *report);
        written = true;
    }
    if (written)
        ShowCapturedPicture(window);
    if (written && report)
        ReportDigest(*report);
    return written;
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
    if (id == kScrollHotKeyId) {
        RunScrollCapture(window);
        return;
    }
    if (capturer.extras().delaySeconds > 0) {
        // The menus and tooltips the user opens in the meantime are taken.
        pendingCapture = {id, capturer.extras().delaySeconds};
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
    statusBar.setText(capturer.monitoring() == 1 ? kStatusMonitoring : kStatusStopped);
    // The history may have filled up while the seconds ran.
    if (TooManyRecords(window))
        return true;
    if (id == kScrollHotKeyId)
        RunScrollCapture(window);
    else if (capturer.monitoring() == 1)
        RunCapture(window, id, 0);
    return true;
}

void StartScrollCapture(HWND window) {
    if (TooManyRecords(window) || CaptureInProgress())
        return;
    // Armed or not: the menu command is the user's own.
    pendingCapture = {kScrollHotKeyId, kScrollSeconds};
    ShowCountdown();
    SetTimer(window, kDelayTimer, 1000, nullptr);
}

void CancelPendingCapture(HWND window) {
    if (pendingCapture.hotKeyId == 0)
        return;
    KillTimer(window, kDelayTimer);
    pendingCapture = {};
}

bool CaptureNow(HWND window, int hotKeyId, const std::string* heading, const std::string& textFile,
                CaptureReport& report, const testcase::TestCase* testCase) {
    if (TooManyRecords(window) || CaptureInProgress())
        return false;
    report.cut.clear();
    const ScriptRecord script{heading, &textFile, testCase, &report.cut};
    if (hotKeyId == kScrollHotKeyId)
        return RunScrollCapture(window, &script, &report);
    return RunCapture(window, hotKeyId, 0, &script, &report);
}

testcase::TestCase CurrentCaseForCapture(const char* dateTime) {
    CaseSettings s = LoadCaseSettings();
    testcase::TestCase c =
        case_dialog::currentCase(s.currentTestId, s.nextStep, TesterName(s), dateTime);
    if (c.empty())
        return c;
    if (s.nextStep < case_settings::kMaxNextStep) {
        ++s.nextStep;
        SaveCaseSettings(s);
    }
    return c;
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
        WriteStep(window, shot);
    }
    if (stepRecorder.running())
        ShowStepStatus();
}

namespace {

std::string StepHeadingOf(const StepShot& shot) {
    constexpr std::size_t kLimit = kCommentSize - 1;
    switch (shot.kind) {
        case StepKind::typing:
            return keysteps::typingHeading(shot.typed, kLimit);
        case StepKind::shortcut:
            return keysteps::shortcutHeading(shot.shortcut, shot.target.topTitle, kLimit);
        case StepKind::click:
            break;
    }
    return stepHeading(shot.target, kLimit);
}

}  // namespace

bool WriteStep(HWND window, StepShot& shot) {
    bool written = false;
    evidenceBook.flush();
    {
        CaptureBusyScope busy;
        HWND owner = MessageOwner(window);
        CaptureResult captured = capturer.captureStep(owner, shot, StepHeadingOf(shot));
        written = captured.written();
        if (written) {
#ifdef ZELCAP_BENCH_HOOKS
            step_timing::LogStep(shot);
#endif
            // A password's text was never kept.
            const std::string& typed =
                shot.kind == StepKind::typing ? shot.typed.text : std::string();
            AppendRecord(window, owner, captured, Source::step, nullptr, typed);
            ++stepsWritten;
        }
    }
    if (written)
        ShowCapturedPicture(window);
    return written;
}

int StepsWritten() {
    return stepsWritten;
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
    stepsWritten = 0;
    const CaptureExtras& extras = capturer.extras();
    if (!stepRecorder.start(window, extras.stepWholeScreen,
                            StepKeys{extras.stepTyping, extras.stepShortcuts})) {
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
    statusBar.setText(capturer.monitoring() == 1 ? kStatusMonitoring : kStatusStopped);
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

// The comparison's finished PNG file, named by the comparison window.
NewPicture ComparisonPicture(const ComparisonRecord& record) {
    NewPicture picture;
    picture.fileName = record.fileName;
    picture.heading = record.heading;
    picture.encode = [&record](std::vector<uint8_t>& bytes) {
        try {
            bytes.assign(record.bytes, record.bytes + record.size);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    };
    return picture;
}

}  // namespace

bool AddComparison(HWND window, const ComparisonRecord& record) {
    // Its refusals and messages are a capture's, shown over the comparison
    // window the user works in.
    HWND owner = CompareWindowHandle() ? CompareWindowHandle() : MessageOwner(window);
    if (appState.captureBusy || TooManyRecords(owner) || capturer.refuseUntitledFolder(owner))
        return false;
    evidenceBook.flush();
    {
        CaptureBusyScope busy;
        CaptureResult written = capturer.writePicture(owner, ComparisonPicture(record));
        if (!written.written())
            return false;
        AppendRecord(window, owner, written, Source::comparison);
    }
    ShowCapturedPicture(window);
    return true;
}

}  // namespace capture_road
