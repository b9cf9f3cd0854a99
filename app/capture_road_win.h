// The capture road of the main window: a hot key, the tick of a capture's
// delay, a recorded step, a script's capture and a comparison's picture each
// enter here, and every picture whose file was written leaves with its
// record appended, saved when auto-save is on, and shown. The road calls
// nothing of the window's: it sends it UWM_RECORD_ADDED and UWM_SHOW_IMAGE,
// and the window refreshes itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "history/test_case.h"

#include "history/test_case.h"

struct ComparisonRecord;
struct StepShot;

namespace capture_road {

// WM_HOTKEY: the step key toggles step recording; a capture key captures
// now, or after the delay of the extras.
void OnHotKey(HWND window, int hotKeyId, LPARAM lParam);
// The delay's timer; false when the timer is not the road's.
bool OnTimer(HWND window, UINT_PTR timer);
// UWM_STEP_SHOT: every step whose target is known, in click order.
void OnStepShot(HWND window);
// Writes one recorded step on the road; false when its file was not
// written (the messages said why).
bool WriteStep(HWND window, StepShot& shot);
// The steps of the current (or last) recording whose file was written, as
// the status bar counts them.
int StepsWritten();

void StartStepRecording(HWND window);
// Stops taking clicks at once; the clicks taken are written as they become
// ready.
void StopStepRecording(HWND window);
// Stops, waits for every click taken (a program that hangs delays it by a
// moment at most) and writes them: before the window closes.
void FinishStepRecording(HWND window);
// The scrolling capture's menu command: the window under the pointer once
// kScrollSeconds have passed, for the user to point at it.
constexpr int kScrollSeconds = 3;
void StartScrollCapture(HWND window);
// The step commands' menu states.
void SetStepCommands(HWND window);

// UWM_ADD_COMPARISON: writes the comparison's picture in the capture
// folder (asking before it replaces a file, as a capture does) and appends
// its record with the digest of the bytes written, saved when auto-save is
// on; false when nothing was added.
bool AddComparison(HWND window, const ComparisonRecord& record);

// What a capture asked for by a script wrote.
struct CaptureReport {
    int number = 0;
    std::string path;     // the file written
    std::string heading;  // the record's
    std::string time;     // the record's date and time
    int width = 0, height = 0;
    std::string sha256;                // hex; empty when the digest could not be taken
    testcase::TestCase testCase;       // the record's case; empty: none
    std::vector<testcase::Field> cut;  // the script's case fields cut to their limits
};
// Captures now as the hot key `hotKeyId` does, on the same road, the delay
// left to the caller; the record takes `heading` when given and
// `textFile` as its description file when not empty. The region kinds take
// the kept region; the fields `testCase` sets go over the record's case
// (capture_stamp::ApplyScriptCase). False when nothing was written; the
// messages said why.
bool CaptureNow(HWND window, int hotKeyId, const std::string* heading, const std::string& textFile,
                CaptureReport& report, const testcase::TestCase* testCase = nullptr);
// A capture is running or waits for its delay.
bool CaptureInProgress();

// The case a capture taken now is filed under: the current case of the
// settings ([TestCase]) with its next 手順, 実施者 (the settings' tester or
// the Windows user name) and the date of `dateTime`, the capture's
// "yyyy/mm/dd hh:mm:ss". Empty without a current test ID; otherwise the
// next 手順 moves on by one and is saved. Hot-key and step captures take it
// by themselves; a script's capture may ask for it.
testcase::TestCase CurrentCaseForCapture(const char* dateTime);

// Forgets a capture that waits for its delay (capturing stops).
void CancelPendingCapture(HWND window);
// The status bar's text for the capture state: the steps while recording,
// else armed or stopped.
void ShowCaptureStatus(bool armed);

#ifdef ZELCAP_BENCH_HOOKS
// The benchmark's pair: the same road with the captures' digests and without.
void SetHashingForBench(bool on);
// The performance counter when the last capture's file had been written.
LONGLONG FileWrittenForBench();
#endif

}  // namespace capture_road
