// The stamp's options dialog (ツール → スタンプの設定): whether each capture is
// stamped, in which corner, how high its text is and in which colours. The
// options are the [TestCase] group's (settings/case_settings.h), read when
// the dialog opens and written at its OK, the group alone.
#pragma once

#include <windows.h>

// True when the user chose OK and the options were saved; false for a
// cancel, or after a message when the settings file could not be written.
bool EditStampSettings(HINSTANCE instance, HWND owner);
