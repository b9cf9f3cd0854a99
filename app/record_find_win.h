// The search of the history's records by the words the user types (編集 →
// 検索, Ctrl+F): a small modeless window that steps through the records
// whose heading, description text or text read from the picture holds every
// word, selecting and showing each, with the count "3 / 12 件"; F3 /
// Shift+F3 step on with the last words from the main window too. While the
// window is open the image pane frames the matching text lines of the
// record shown. A search selects rows only: the list's order, the records
// and the history's modified flag stay as they are.
//
// Each record's texts are read and folded once and kept by its record id;
// a record is read again when its heading, its files or the time and size
// of its "<picture>.ocr" or description file changed, which is checked for
// every row when a search starts and at every step (not at each keystroke,
// which searches only what is kept).
#pragma once

#include <windows.h>

#include <string>

namespace record_find {

// Opens the find window, or brings it forward with its words selected.
void Open(HWND mainWindow);
// The next (forward) or previous match after the selected row, wrapping;
// opens the window when no words were searched yet.
void Step(HWND mainWindow, bool forward);
// Ends the search: the window closes and the frames go.
void Close();
// A message for the find window: its keys (Enter, Shift+Enter, Esc, F3)
// and its dialog navigation. True when it was the window's.
bool TranslateFindMessage(MSG& message);
// After the pane has shown the selected row's picture: its matching lines
// framed while the window is open.
void FramePicture();

// The find window (nullptr when closed) and its count line, for those who
// look at it from outside (the script host, the tests).
HWND Window();
std::string CountText();

}  // namespace record_find
