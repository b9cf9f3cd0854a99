// The status bar at the bottom of the main window; part 0 shows whether
// capturing is armed, part 1 whether the pane shows an annotated picture,
// part 2 whether the text of its picture is being read or could not be.
#pragma once

#include <windows.h>

class StatusBar {
  public:
    static constexpr int kControlId = 2002;

    HWND create(HWND mainWindow, HINSTANCE instance);
    void setText(const char* text);
    void setAnnotated(bool annotated);
    void setPictureStatus(const char* text);
    void onSize(WPARAM sizeType, LPARAM size);

    HWND window = nullptr;
};

extern StatusBar statusBar;
