#include "app/script_host_win.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/capture_road_win.h"
#include "app/export_road_win.h"
#include "app/main_window_win.h"
#include "app/record_find_win.h"
#include "app/retest_road_win.h"
#include "app/script_peer_win.h"
#include "app/verify_json.h"
#include "base/app_state_win.h"
#include "base/cp932.h"
#include "base/file_names_win.h"
#include "base/message_box_win.h"
#include "capture/capture_extras.h"
#include "capture/capture_kinds.h"
#include "capture/capturer_win.h"
#include "capture/step_recorder_win.h"
#include "history/evidence_verify_win.h"
#include "history/history.h"
#include "history/history_file_win.h"
#include "history/history_list_win.h"
#include "history/history_paths.h"
#include "pack/pack_verify_win.h"
#include "report/excel_export_win.h"
#include "report/excel_options.h"
#include "report/report_generator_win.h"
#include "report/report_writer.h"
#include "resources/resource_ids.h"
#include "script/json_result.h"
#include "script/script_call.h"
#include "settings/case_settings.h"
#include "settings/pack_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "view/annotation_editor_win.h"

namespace script_host {

namespace {

using script::Command;
using script::JsonObject;
using script::Outcome;
using script::Verb;

bool ready = false;
bool running = false;  // a call is being run: one at a time

// A dialog or message box of ours is open: its owner is disabled, or it is
// a visible dialog of this thread (a message box owned by a pane leaves the
// main window enabled). The find window is modeless and holds nothing a
// call could disturb.
BOOL CALLBACK FindDialog(HWND candidate, LPARAM found) {
    char name[16];
    if (candidate != record_find::Window() && IsWindowVisible(candidate) && GetClassNameA(candidate, name, sizeof name) &&
        std::strcmp(name, "#32770") == 0) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

bool DialogOpen(HWND window) {
    if (!IsWindowEnabled(window))
        return true;
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// What one command did.
struct Step {
    Outcome outcome = Outcome::ok;
    JsonObject json;
};

std::string KeptText(const KeepMessages& kept) {
    std::string text;
    for (const KeptMessage& m : kept.messages()) {
        if (!text.empty())
            text += "\n";
        text += m.text;
    }
    return text;
}

// The outcome of a command from whether it did its work and what it would
// have told the user.
Step Finish(bool done, const KeepMessages& kept, const char* otherwise, JsonObject fields) {
    Step step;
    step.outcome = done && !kept.declined() && !kept.error()
                       ? Outcome::ok
                       : (kept.error() ? Outcome::writeFailed : Outcome::refused);
    const std::string message = KeptText(kept);
    if (step.outcome == Outcome::ok) {
        step.json = fields;
        if (!message.empty())
            step.json.cp932("message", message);
    } else {
        step.json.flag("ok", false)
            .text("error", script::outcomeName(step.outcome))
            .cp932("message", message.empty() ? otherwise : message);
    }
    return step;
}

Step Refuse(const char* text) {
    Step step;
    step.outcome = Outcome::refused;
    step.json.flag("ok", false).text("error", "refused").cp932("message", text);
    return step;
}

// Which case fields were cut to their limits, for the result: never silent.
std::string CutMessage(const std::vector<testcase::Field>& cut) {
    std::string text;
    for (const testcase::Field field : cut) {
        text += text.empty() ? "" : "、";
        text += testcase::fieldHeading(field);
    }
    return text + " が長すぎるため、上限のバイト数で切り詰めました。";
}

// The record's case as the result shows it; "cut" and "message" only when
// a field given was cut.
std::string CaseJson(const testcase::TestCase& c, const std::vector<testcase::Field>& cut) {
    JsonObject json;
    for (int i = 0; i < testcase::kFieldCount; ++i) {
        const auto field = static_cast<testcase::Field>(i);
        if (field == testcase::Field::verdict)
            json.text(script::fieldKey(field), script::verdictWord(c.verdict));
        else
            json.cp932(script::fieldKey(field), *c.text(field));
    }
    if (!cut.empty()) {
        std::vector<std::string> names;
        for (const testcase::Field field : cut)
            names.push_back(script::jsonString(script::fieldKey(field)));
        json.raw("cut", script::jsonArray(names)).cp932("message", CutMessage(cut));
    }
    return json.str();
}

int HotKeyOf(int kind) {
    if (kind < 8)
        return kFirstHotKeyId + kind;
    if (kind == script::kAllMonitorsKind)
        return kAllMonitorsHotKeyId;
    if (kind == script::kMouseMonitorKind)
        return kMouseMonitorHotKeyId;
    if (kind == script::kScrollKind)
        return kScrollHotKeyId;
    return kRepeatRegionHotKeyId;  // a given region is kept first, then taken as the kept one
}

// A record's comparison with the baseline's step, as the result shows it.
std::string ProposalJson(const retest::Proposal& p) {
    std::vector<std::string> lines;
    for (const std::string& line : p.textChanges)
        lines.push_back(JsonObject().cp932("line", line).str());
    return JsonObject()
        .cp932("proposal", retest::comparisonText(p.comparison))
        .cp932("text", retest::proposalText(p))
        .number("changedPixels", static_cast<long long>(p.picture.changed))
        .number("comparedPixels", static_cast<long long>(p.picture.compared))
        .flag("sizesDiffer", p.picture.sizesDiffer)
        .flag("baselinePicture", p.picture.baselinePicture)
        .raw("textChanges", script::jsonArray(lines))
        .str();
}

// What the exports will show of the re-test, for /save's result.
std::string ComparisonJson(const ExportComparison& c) {
    std::vector<std::string> records, notRun;
    for (const RecordComparison& r : c.records)
        records.push_back(JsonObject()
                              .cp932("proposal", retest::comparisonText(r.proposal.comparison))
                              .cp932("text", retest::proposalText(r.proposal))
                              .cp932("baselinePicture", r.baselinePicture)
                              .str());
    for (const NotRunStep& s : c.notRun)
        notRun.push_back(JsonObject()
                             .cp932("testId", s.baselineCase.testId)
                             .cp932("step", s.baselineCase.step)
                             .cp932("heading", s.baselineHeading)
                             .str());
    return JsonObject()
        .cp932("baseline", c.baselineCsv)
        .text("manifestSha256", c.baselineManifestDigest)
        .raw("records", script::jsonArray(records))
        .raw("notRun", script::jsonArray(notRun))
        .str();
}

Step Capture(HWND window, const Command& c) {
    KeepMessages kept;
    const CaptureRegion before = capturer.extras().lastRegion;
    if (c.kind == script::kRegionKind) {
        const CaptureRegion region{c.region.x, c.region.y, c.region.x + c.region.width,
                                   c.region.y + c.region.height};
        // Every monitor's, as the hot keys' region: one left of or above
        // the primary monitor lies at negative coordinates.
        const script::Screen screen{
            GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
        if (!script::regionOnScreen(c.region, screen))
            return Refuse("指定の範囲が現在の画面の外にあります。");
        capturer.keepRegion(region);
    }
    capture_road::CaptureReport report;
    const bool done =
        capture_road::CaptureNow(window, HotKeyOf(c.kind), c.hasHeading ? &c.heading : nullptr,
                                 c.textFile, report, c.testCase.empty() ? nullptr : &c.testCase);
    if (c.kind == script::kRegionKind) {
        // A region that wrote nothing does not replace the kept one.
        if (!done)
            capturer.keepRegion(before);
        capturer.saveExtras();
    }
    JsonObject fields;
    fields.flag("ok", true)
        .number("number", report.number)
        .cp932("file", report.path)
        .cp932("heading", report.heading)
        .cp932("time", report.time)
        .number("width", report.width)
        .number("height", report.height)
        .text("sha256", report.sha256);
    if (!report.testCase.empty())
        fields.raw("case", CaseJson(report.testCase, report.cut));
    if (done && retest_road::Active()) {
        const retest::Proposal p = retest_road::ProposalNow(history.count - 1);
        if (p.comparison != retest::Comparison::none)
            fields.raw("comparison", ProposalJson(p));
    }
    return Finish(done, kept, "キャプチャーできませんでした。", fields);
}

// /case alone: the current case that hot-key and step captures are filed
// under, its steps counted from 1 again.
Step SetCase(const Command& c) {
    KeepMessages kept;
    Win32SettingsFiles files;
    CaseSettings options = case_settings::load(files, settingsStore.iniPath);
    testcase::TestCase given;
    given.testId = c.testCase.testId;
    const std::vector<testcase::Field> cut = testcase::cutToLimits(given);
    options.currentTestId = given.testId;
    options.nextStep = 1;
    if (!case_settings::save(files, settingsStore.iniPath, options)) {
        Step step;
        step.outcome = Outcome::writeFailed;
        step.json.flag("ok", false)
            .text("error", "write-failed")
            .cp932("message", "設定ファイルに現在のテストケースを保存できませんでした。");
        return step;
    }
    JsonObject fields;
    fields.flag("ok", true).cp932("testId", options.currentTestId).number("nextStep", 1);
    if (!cut.empty())
        fields.cp932("message", CutMessage(cut));
    return Finish(true, kept, "", fields);
}

Step Arm(HWND window, bool on) {
    KeepMessages kept;
    if ((capturer.monitoring() == 1) != on)
        SendMessageA(window, WM_COMMAND, on ? IDM_CAPTURE_START : IDM_CAPTURE_STOP, 0);
    // Arming is refused while the capture folder follows an untitled history.
    const bool done = on ? capturer.monitoring() == 1 &&
                               !(settingsStore.settings.capturesFollowHistory() && history.untitled)
                         : capturer.monitoring() == 0;
    return Finish(done, kept, "キャプチャー監視を切り替えられませんでした。",
                  JsonObject().flag("ok", true).flag("armed", capturer.monitoring() == 1));
}

Step Steps(HWND window, bool on) {
    KeepMessages kept;
    SendMessageA(window, WM_COMMAND, on ? IDM_STEP_START : IDM_STEP_STOP, 0);
    const bool done = stepRecorder.running() == on;
    return Finish(done, kept, "ステップ記録を切り替えられませんでした。",
                  JsonObject().flag("ok", true).flag("recording", stepRecorder.running()));
}

void AfterFileCommand(HWND window) {
    UpdateTitle(window);
    UpdateHistoryCommands(window);
    UpdateSelectionCommands(window);
}

Step Save(HWND window, const Command& c) {
    KeepMessages kept;
    bool done;
    if (c.path.empty() || (!history.untitled && win::SameFileName(c.path, history.filePath))) {
        if (history.untitled)
            return Refuse(
                "履歴ファイルの名前がまだありません。/save:<ファイル> で名前を指定してください。");
        done = historyList.saveHistoryFile() != 0;
    } else {
        if (GetFileAttributesA(c.path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return Refuse("同じ名前のファイルがあります。別の名前を指定してください。");
        const char* part = filePart(c.path.c_str());
        if (std::strlen(part ? part + 1 : c.path.c_str()) >= sizeof history.fileName)
            return Refuse("ファイル名が長すぎます。");
        done = historyfile::SaveAsPath(history, c.path.c_str(), window);
    }
    AfterFileCommand(window);
    done = done && history.modified == 0;
    JsonObject fields;
    fields.flag("ok", true).cp932("file", history.filePath).number("records", history.count);
    const ExportComparison comparison = export_road::Comparison();
    if (comparison.active)
        fields.raw("comparison", ComparisonJson(comparison));
    return Finish(done, kept, "履歴を保存できませんでした。", fields);
}

// /baseline: the earlier history checked, then taken; a refusal says why,
// with the evidence check's findings.
Step Baseline(HWND window, const Command& c) {
    std::string message;
    if (!retest_road::SetBaseline(window, nullptr, c.path, message))
        return Refuse(message.c_str());
    UpdateHistoryCommands(window);
    return Step{Outcome::ok, JsonObject()
                                 .flag("ok", true)
                                 .cp932("file", history.baseline.csvPath)
                                 .text("manifestSha256", history.baseline.manifestDigest)};
}

Step Report(HWND window, const Command& c) {
    if (historyList.itemCount() <= 0)
        return Refuse("履歴にレコードがありません。");
    KeepMessages kept;
    ReportJob job = reportJobFromSettings(settingsStore.settings);
    const char* part = filePart(c.path.c_str());
    const std::size_t folderLength = part ? static_cast<std::size_t>(part - c.path.c_str()) : 0;
    cp932::copyText(job.folder, sizeof job.folder, c.path.c_str(), folderLength);
    const std::string name = part ? part + 1 : c.path;
    cp932::copyText(job.fileName, sizeof job.fileName, name.c_str(),
                    name.size() - 4);  // less ".htm"
    const bool done = export_road::Report(window, job, export_road::StoredReportExtras());
    return Finish(done, kept, "レポートを作成できませんでした。",
                  JsonObject().flag("ok", true).cp932("file", reportFilePath(job)));
}

Step Excel(HWND window, const Command& c) {
    if (historyList.itemCount() <= 0)
        return Refuse("履歴にレコードがありません。");
    KeepMessages kept;
    Win32SettingsFiles files;
    ExcelOptions options = excel_options::load(files, settingsStore.iniPath);
    options.outputPath = c.path;
    const bool done = export_road::Workbook(window, options);
    return Finish(done, kept, "ブックを作成できませんでした。",
                  JsonObject().flag("ok", true).cp932("file", c.path));
}

Step VerifyPack(HWND window, const std::string& path) {
    KeepMessages kept;
    VerifyResult result;
    std::string text;
    const bool done = pack_win::VerifyPackFile(window, path, result, text);
    return Finish(done, kept, "1ファイルの証跡を検証できませんでした。",
                  verifyResultJson(result, text));
}

Step Pack(HWND window, const Command& c) {
    if (historyList.itemCount() <= 0)
        return Refuse("履歴にレコードがありません。");
    KeepMessages kept;
    PackSettings settings = export_road::StoredPackSettings();
    settings.target = c.path;
    settings.pdf = pack_settings::isPdfPath(c.path);
    int unreadable = 0;
    const bool done = export_road::Pack(window, settings, &unreadable);
    return Finish(done, kept, "1ファイルにまとめられませんでした。",
                  JsonObject()
                      .flag("ok", true)
                      .cp932("file", c.path)
                      .number("unreadable", unreadable));
}

Step Verify(HWND window, const Command& c) {
    if (!c.path.empty())
        return VerifyPack(window, c.path);
    if (history.untitled || history.count <= 0)
        return Refuse("保存された履歴にレコードがありません。");
    KeepMessages kept;
    VerifyFindings findings;
    const bool done = RunEvidenceVerify(window, &findings);
    // "ok" says what was found, not only that the check ran: a script that
    // tests it alone must not pass a tampered history.
    return Finish(done, kept, "証跡を検証できませんでした。",
                  verifyResultJson(findings.result, findings.text));
}

Step Quit(bool& closing) {
    // The editor's question would come up on the screen during the close,
    // and a "No" kept for a script would throw the changes away.
    if (AnnotationEditorModified())
        return Refuse("注釈が保存されていません。注釈の画面で保存するか閉じてください。");
    KeepMessages kept;
    // An unsaved history keeps the window: the question is the answer.
    closing = historyList.confirmSaveChanges() != 0;
    return Finish(closing, kept, "終了できませんでした。", JsonObject().flag("ok", true));
}

Step Run(HWND window, const Command& c, bool& closing) {
    switch (c.verb) {
        case Verb::capture:
            return Capture(window, c);
        case Verb::arm:
            return Arm(window, true);
        case Verb::disarm:
            return Arm(window, false);
        case Verb::stepStart:
            return Steps(window, true);
        case Verb::stepStop:
            return Steps(window, false);
        case Verb::save:
            return Save(window, c);
        case Verb::report:
            return Report(window, c);
        case Verb::excel:
            return Excel(window, c);
        case Verb::verify:
            return Verify(window, c);
        case Verb::pack:
            return Pack(window, c);
        case Verb::baseline:
            return Baseline(window, c);
        case Verb::quit:
            return Quit(closing);
        case Verb::setCase:
            return SetCase(c);
    }
    return Refuse("知らないコマンドです。");
}

void Answer(HWND window, HWND caller, const std::string& json) {
    COPYDATASTRUCT answer{script::kAnswerTag, static_cast<DWORD>(json.size()),
                          const_cast<char*>(json.data())};
    DWORD_PTR ignored = 0;
    // SMTO_BLOCK: another caller's request must not come in while this one
    // is answered. Not SMTO_ABORTIFHUNG: the caller fetches no message while
    // it waits for this answer, so after a long command (a workbook) it can
    // look hung, and the answer would be lost although the work was done.
    SendMessageTimeoutA(caller, WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                        reinterpret_cast<LPARAM>(&answer), SMTO_BLOCK, 5000, &ignored);
}

LRESULT Failure(HWND window, HWND caller, Outcome outcome, const char* message) {
    Answer(window, caller,
           JsonObject()
               .flag("ok", false)
               .text("error", script::outcomeName(outcome))
               .cp932("message", message)
               .str());
    return static_cast<LRESULT>(outcome);
}

}  // namespace

void Ready() {
    ready = true;
}

LRESULT OnCopyData(HWND window, HWND caller, const COPYDATASTRUCT* data) {
    if (!data || data->dwData != script::kRequestTag || !IsWindow(caller))
        return 0;
    DWORD callerProcess = 0;
    GetWindowThreadProcessId(caller, &callerProcess);
    if (!script_peer::SameUser(callerProcess))
        return 0;
    if (!ready || running)
        return script::kTryAgain;
    if (DialogOpen(window) || capture_road::CaptureInProgress())
        return Failure(window, caller, Outcome::busy,
                       "Zelcap でダイアログが開いているか、キャプチャーの途中です。");
    std::vector<Command> commands;
    std::string error;
    if (!script::decodeRequest(std::string_view(static_cast<const char*>(data->lpData),
                                                data->lpData ? data->cbData : 0),
                               commands, error))
        return Failure(window, caller, Outcome::badArgument, error.c_str());

    running = true;
    std::vector<std::string> each;
    Step last;
    bool closing = false;
    for (const Command& c : commands) {
        last = Run(window, c, closing);
        last.json.text("command", script::verbName(c.verb));
        each.push_back(last.json.str());
        if (last.outcome != Outcome::ok)
            break;  // the commands after a failure do not run
    }
    JsonObject result = last.json;
    if (commands.size() > 1)
        result.raw("commands", script::jsonArray(each));
    Answer(window, caller, result.str());
    running = false;
    if (closing && last.outcome == Outcome::ok)
        PostMessageA(window, WM_CLOSE, 0, 0);
    return static_cast<LRESULT>(last.outcome);
}

}  // namespace script_host
