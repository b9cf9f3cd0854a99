// The main window's side of a scripted call (Zelcap.exe /capture:...): the
// request arrives by WM_COPYDATA from the calling process, its commands run
// on the road of the hot keys and menu commands with every message kept
// instead of shown, and the result goes back to the caller's window.
#pragma once

#include <windows.h>

namespace script_host {

// The message loop runs: calls are taken from now on.
void Ready();

// WM_COPYDATA: returns the exit code for the caller (or script::kTryAgain).
LRESULT OnCopyData(HWND window, HWND caller, const COPYDATASTRUCT* data);

}  // namespace script_host
