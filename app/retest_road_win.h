// The re-test road of the main window: the earlier history chosen as the
// baseline (its evidence checked first), and each record with a test ID and
// step compared with the baseline's capture of that step on a low-priority
// thread of its own, so that a capture never waits. The comparison is a
// proposal the tester accepts (F8) or overrides; it never sets 判定 itself.
// With no baseline chosen nothing here runs, and no file changes.
#pragma once

#include <windows.h>

#include <string>

#include "report/export_comparison.h"
#include "retest/retest_steps.h"
#include "view/compare_options.h"

namespace retest_road {

// ファイル → 前回の結果を基準にする: the open dialog, then SetBaseline; a
// refusal is shown with its findings.
void ChooseCommand(HWND window);
// ファイル → 基準を解除.
void ClearCommand(HWND window);

// Takes the history CSV at `csvPath` as the baseline once its evidence is
// sound: every picture as its manifest has it. The progress window shows
// while its files are checked when `owner` is given. False, with why (CP932,
// the findings included) in `message`, when it is refused.
bool SetBaseline(HWND window, HWND owner, const std::string& csvPath, std::string& message);

// Whether a baseline is chosen and loaded for the history as it is now.
bool Active();

// A history was opened: its baseline, if it has one, is read again (its
// manifest must be the one chosen) and the records not yet compared are
// queued.
void HistoryOpened(HWND window);
// The capture road appended the record at `index`: compared in the
// background when it repeats a step of the baseline.
void RecordAdded(HWND window, int index);

// The テストケース dialog changed cases: a record may repeat another step
// now, so every record is compared again.
void CasesEdited(HWND window);

// The proposal of the record at `index`, computed now on the calling thread
// (its picture's text and the baseline's read first when OCR is on): for a
// script that waits for its answer. `none` when the record repeats no step.
retest::Proposal ProposalNow(int index);

// One comparison as the worker makes it: both pictures decoded from their
// files, their ".ocr" read when both have one, compared with `options`. A
// `baseline` of "" is a step whose picture is missing.
retest::Proposal CompareFiles(const std::string& current, const std::string& baseline,
                              const CompareOptions& options);

// The worker's registered message; true when `message` was it.
bool OnPosted(HWND window, UINT message, LPARAM lParam);

// The status bar's third part for the selected record, once OCR has
// nothing to say of it.
void ShowStatusOfSelection();

// F8: each selected record's 判定 from its proposal (一致 → OK, 差分あり →
// NG); a record without a proposal, or 基準なし, keeps its own.
void AcceptCommand(HWND window);

// What the exports show: each record's comparison in the history's order,
// the baseline's steps not run in the baseline's order, and its manifest
// digest. Inactive (active false) without a baseline.
ExportComparison Comparison();

// The guide window's baseline picture, heading and expected result for the
// current test case's step; false when the baseline has no such step.
struct GuideStep {
    std::string picture, heading, expected, title;
};
bool GuideForStep(const std::string& testId, const std::string& step, GuideStep& out);

// WM_DESTROY: the worker is stopped and joined.
void Stop();

}  // namespace retest_road
