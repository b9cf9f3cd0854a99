// The panes of the main window: the tab control with the history page (list
// pane above the image frame, which holds the image view) and the settings
// page (the capture key panel).
#pragma once

#include <windows.h>

#include "app/win_handles_win.h"
#include "view/packed_dib.h"

// The history page's windows and the picture the view shows.
class ImagePane {
  public:
    virtual ~ImagePane() = default;

    void createWindows(HWND tab, HINSTANCE instance);
    // Splits the page between list and frame (first and later layouts).
    void layoutPage();
    void makeFont();

    int fontMade = 0;
    win::Font font;
    TEXTMETRICA metrics{};
    int layoutDone = 0;
    HWND listPane = nullptr;
    HWND frame = nullptr;
    HWND view = nullptr;
    PackedDib picture;
    HWND tabControl = nullptr;
    HWND container = nullptr;
    HINSTANCE instance = nullptr;
};

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
// Set once the history page's windows exist; the window procedures reach the
// pane through it and do nothing particular while it is null.
extern ImagePane* imagePane;

HWND CreatePanes(HWND mainWindow, HINSTANCE instance);
void LayoutPanes(HWND mainWindow, WPARAM sizeType, LPARAM size);
void ShowPage();
// Notifications that reach the main window from the tab control.
void PanesNotify(NMHDR* header);
