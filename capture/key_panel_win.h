// The capture key panel: a hot key, an on/off toggle and, for the two marker
// kinds, a marker picture per capture kind. Every change is saved at once and
// takes effect at once while capturing is armed.
#pragma once

#include <windows.h>

// Creates the panel (dialog IDD_KEY_PANEL) as a child of `container` and
// shows it; null when the dialog could not be made. The panel keeps its
// template size and lives until its parent is destroyed.
HWND CreateKeyPanel(HINSTANCE instance, HWND container);

// Shows on each kind's toggle whether its key could be registered at the
// last arming ("使用中" when another program holds it).
void ShowHotKeyFailures(HWND panel);

// The panel's dialog procedure, for a host that creates the dialog itself
// (CreateDialogParamA with any lParam).
INT_PTR CALLBACK KeyPanelProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
