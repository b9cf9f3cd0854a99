// The status bar at the bottom of the main window; part 0 shows whether
// capturing is armed.
#pragma once

#include <windows.h>

class StatusBar {
  public:
    static constexpr int kControlId = 2002;

    HWND create(HWND mainWindow, HINSTANCE instance);
    void setText(const char* text);
    void onSize(WPARAM sizeType, LPARAM size);

    HWND window = nullptr;
};

extern StatusBar statusBar;
