// The main window: its class, its creation and its message procedure.
#pragma once

#include <windows.h>

#include "base/app_messages_win.h"
#include "zelcap_version.h"

constexpr char kMainWindowClass[] = "ZELCAP_CLASS";
constexpr char kProductTitle[] = ZELCAP_PRODUCT_TITLE;

ATOM RegisterMainWindowClass(HINSTANCE instance);
// Creates and shows the main window and primes the capturer; 0 on failure.
int CreateMainWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the message loop with the accelerator table until WM_QUIT.
int RunMessageLoop(HWND mainWindow, HACCEL accelerators);
// Translates and dispatches one message of that loop; tests drive it too.
void DispatchAppMessage(HWND mainWindow, HACCEL accelerators, MSG& message);

// The selected record's picture in the pane, and the status bar's word on
// whether it is an annotated one.
void ShowSelectedPicture();

void UpdateTitle(HWND mainWindow);
void SetCaptureCommands(HWND mainWindow, bool started);
void UpdateHistoryCommands(HWND mainWindow);
void UpdateSelectionCommands(HWND mainWindow);
void SaveGeometry(HWND mainWindow);
