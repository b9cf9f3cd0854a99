// The history page's windows below the tab strip: the list pane (which holds
// the history list), the image frame with its draggable top edge, the image
// view inside it, and the picture the view shows. The shell creates the
// windows (it alone knows the history list) and hands the list control over,
// so the view can read the selection and give the focus back.
#pragma once

#include <windows.h>

#include <vector>

#include "base/win_handles_win.h"
#include "view/packed_dib.h"
#include "view/pane_layout.h"

constexpr char kImageFrameClass[] = "ZELCAP_CLASS_2BS";

class ImagePane {
  public:
    virtual ~ImagePane() = default;

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
    // The history list control inside listPane.
    HWND list = nullptr;
    PackedDib picture;
    // Boxes in the picture's pixels (right and bottom exclusive) framed over
    // it: the text lines a search found in the record shown. The search
    // sets them after each picture; none while no search is active.
    std::vector<RECT> frames;
    HWND tabControl = nullptr;
    HWND container = nullptr;
    HINSTANCE instance = nullptr;
};

// Set once the history page's windows exist; the window procedures reach the
// pane through it and do nothing particular while it is null.
extern ImagePane* imagePane;

// The fonts of the panes: the general font's face and size, with the weight
// and slant given; sent to target without redrawing.
void MakePaneFont(win::Font& font, TEXTMETRICA& metrics, HWND target, int weight, int italic);

// Window sizes of the page's parts, for the layout arithmetic.
SIZE PaneWindowSize(HWND window);
void AnswerTrackLimits(MINMAXINFO* info, const TrackLimits& limits);

LRESULT CALLBACK ImageFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
