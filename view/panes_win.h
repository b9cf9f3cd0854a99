// The panes of the main window: the tab control with its two pages.
#pragma once

#include <windows.h>

// Creates the tab control and its pages; returns the tab control.
HWND CreatePanes(HWND mainWindow, HINSTANCE instance);
// Fits the panes to the main window's client area (size as in WM_SIZE).
void LayoutPanes(HWND mainWindow, WPARAM sizeType, LPARAM size);
