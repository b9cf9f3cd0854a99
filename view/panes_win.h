// The panes of the main window: the tab control with its two pages.
#pragma once

#include <windows.h>

// Creates the tab control, the history page with the list, and the tabs;
// returns the tab control.
HWND CreatePanes(HWND mainWindow, HINSTANCE instance);
// Lays the panes out in the main window's client area (size as in WM_SIZE).
void LayoutPanes(HWND mainWindow, WPARAM sizeType, LPARAM size);
// Shows the page of the selected tab and hides the other.
void ShowPage();
// Notifications that reach the main window from the tab control.
void PanesNotify(NMHDR* header);
