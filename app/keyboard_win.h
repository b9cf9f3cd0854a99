// The keyboard of the main window, between GetMessage and DispatchMessage:
// Ctrl+Tab / Ctrl+PageDown and back between the pages, F6 / Shift+F6 through
// the list, the image view and the key panel, the dialog keys of the key
// panel, and a hot-key control that records combinations without losing its
// key to the Shift, Ctrl or Alt of a navigation key.
#pragma once

#include <windows.h>

// One message of the main loop: the window's keys first, then the
// accelerators, then the key panel's dialog keys, then the ordinary dispatch.
void DispatchWithKeyboard(HWND mainWindow, HACCEL accelerators, MSG& message);

// The focus on activation goes back where it was when the window was left,
// or to the list (the settings page: the key panel) when that is gone.
void OnMainWindowActivate(HWND mainWindow, WPARAM state);
