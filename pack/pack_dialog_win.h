// The dialog of "1ファイルにまとめる(&P)...": the target with its 参照 button,
// HTML or PDF, and what the pack shows. Usable by the keys alone.
#pragma once

#include <windows.h>

#include "settings/pack_settings.h"

namespace pack_win {

// The dialog over `settings`; on OK the options are stored in [Pack] and
// `settings` holds them. False on cancel, or when they cannot be stored.
bool RunPackDialog(HWND owner, PackSettings& settings);

}  // namespace pack_win
