// Every message box of the program goes through here, so that no call site
// forgets its owner and tests can find the one place that shows them.
#pragma once

#include <windows.h>

int ShowMessage(HWND owner, const char* text, const char* caption, UINT flags);
