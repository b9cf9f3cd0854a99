// The capture road of the main window: a hot key, the tick of a capture's
// delay and a recorded step each enter here, and every capture that wrote
// its file leaves with its record appended, saved when auto-save is on, and
// shown.
#pragma once

#include <windows.h>

struct ComparisonRecord;

namespace capture_road {

// WM_HOTKEY: the step key toggles step recording; a capture key captures
// now, or after the delay of the extras.
void OnHotKey(HWND window, int hotKeyId, LPARAM lParam);
// The delay's timer; false when the timer is not the road's.
bool OnTimer(HWND window, UINT_PTR timer);
// UWM_STEP_SHOT: every step whose target is known, in click order.
void OnStepShot(HWND window);

void StartStepRecording(HWND window);
// Stops taking clicks at once; the clicks taken are written as they become
// ready.
void StopStepRecording(HWND window);
// Stops, waits for every click taken (a program that hangs delays it by a
// moment at most) and writes them: before the window closes.
void FinishStepRecording(HWND window);
// The step commands' menu states.
void SetStepCommands(HWND window);

// UWM_ADD_COMPARISON: writes the comparison's picture in the capture
// folder (asking before it replaces a file, as a capture does) and appends
// its record with the digest of the bytes written, saved when auto-save is
// on; false when nothing was added.
bool AddComparison(HWND window, const ComparisonRecord& record);

// Forgets a capture that waits for its delay (capturing stops).
void CancelPendingCapture(HWND window);
// The status bar's text for the capture state: the steps while recording,
// else armed or stopped.
void ShowCaptureStatus(bool armed);

#ifdef ZELCAP_BENCH_HOOKS
// The benchmark's pair: the same road with the captures' digests and without.
void SetHashingForBench(bool on);
#endif

}  // namespace capture_road
