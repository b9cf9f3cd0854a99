// The user's own personal-data patterns ([OCR] 個人情報パターン), one a
// line, in a dialog of their own; a pattern that cannot be used is refused
// with a message naming it.
#pragma once

#include <windows.h>

// True when the user saved the patterns (OK with every pattern usable).
bool EditPersonalPatterns(HINSTANCE instance, HWND owner);
