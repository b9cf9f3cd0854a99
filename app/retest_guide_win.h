// The guide of a re-test: a small always-on-top window that shows, while
// the tester captures the steps of a test ID, the baseline's picture of the
// step the next capture gets (the current case's test ID and 手順), scaled
// to fit, with its heading and expected result. Shown without taking the
// focus from the program under test; F7 (or Esc) in it hides it again.
#pragma once

#include <windows.h>

namespace retest_guide {

// F7 / キャプチャー → 基準のガイド: shown when hidden, hidden when shown.
void Toggle(HWND mainWindow);
// The current case moved on (a capture was filed under it): the guide, when
// shown, follows to the next step.
void Refresh();
// Whether the guide is shown.
bool Shown();
// Gone with the main window or the baseline.
void Close();

}  // namespace retest_guide
