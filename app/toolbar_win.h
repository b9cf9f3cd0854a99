// The toolbar across the top of the main window: nine buttons that mirror
// menu commands, the capture button among them a check button.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/win_handles_win.h"

class Toolbar {
  public:
    // Button indices as the command-state rules name them; they index the
    // button table, not the bar, which has separators in between.
    enum Button {
        kNewButton = 0,
        kOpenButton = 1,
        kSaveButton = 2,
        kHeadingsButton = 3,
        kDeleteButton = 4,
        kMoveUpButton = 5,
        kMoveDownButton = 6,
        kCaptureButton = 7,
        kReportButton = 8,
        kButtonCount = 9,
    };
    // The button states the program uses.
    static constexpr BYTE kEnabled = TBSTATE_ENABLED;
    static constexpr BYTE kChecked = TBSTATE_ENABLED | TBSTATE_CHECKED;
    static constexpr BYTE kGreyed = TBSTATE_INDETERMINATE;

    HWND create(HWND mainWindow, HINSTANCE instance);
    void setButtonState(int index, BYTE state);
    // The toolbar's state of that button; -1 when there is no such button.
    int getButtonState(int index) const;
    void onSize(WPARAM sizeType, LPARAM size);
    // Answers TTN_NEEDTEXTA for the nine buttons; other ids are left alone.
    void tooltipText(UINT commandId, NMTTDISPINFOA* request) const;

    HWND window = nullptr;
    win::Bitmap bitmap;  // bitmap 131, kept until the object goes
};

extern Toolbar toolbar;
