// The panes of the main window: the tab control with the history page (list
// pane above the image frame, which holds the image view) and the settings
// page (the capture key panel). They belong to the shell: laying them out
// joins the history list, the image view, the key panel, the toolbar and the
// status bar, which only the shell knows together.
#pragma once

#include <windows.h>

#include "base/win_handles_win.h"
#include "view/image_pane_win.h"

// The settings page's container and the key panel inside it.
class KeyPanelHost {
  public:
    virtual ~KeyPanelHost() = default;

    void createWindows(HWND tab, HINSTANCE instance);
    void makeFont();

    win::Font font;
    TEXTMETRICA metrics{};
    HWND keyPanel = nullptr;
    HWND tabControl = nullptr;
    HWND container = nullptr;
};

class TabHost {
  public:
    virtual ~TabHost() = default;

    // Remakes the tab font from the general font settings.
    void makeFont();

    int fontMade = 0;
    win::Font font;
    TEXTMETRICA metrics{};
    HWND mainWindow = nullptr;
    HWND tabControl = nullptr;
    HINSTANCE instance = nullptr;
    ImagePane imagePane;
    KeyPanelHost keyPanelHost;
};

extern TabHost tabHost;

HWND CreatePanes(HWND mainWindow, HINSTANCE instance);
void LayoutPanes(HWND mainWindow, WPARAM sizeType, LPARAM size);
void ShowPage();
// After the tab font has been applied (UWM_REPAINT_TABS).
void RepaintTabStrip();
// Notifications that reach the main window from the tab control.
void PanesNotify(NMHDR* header);
