// The comparison window: two records' pictures side by side (scrolled
// together), overlaid with the changed pixels tinted red, or alternating
// every 500 ms; the share that changed and the changed regions, listed and
// drawn. Its options are the "[Compare]" group (view/compare_options.h).
// "履歴に追加" hands the overlay picture to the main window with
// UWM_ADD_COMPARISON; the shell writes it and appends the record.
#pragma once

#include <windows.h>

#include <string>

// The file a comparison takes for a record's picture: the flattened picture
// of an annotated record, the picture itself otherwise. False, with `shown`
// empty, when that file does not exist, or when a masked record has no
// flattened picture (its unmasked original never leaves in a comparison).
bool ComparisonPicture(const char* recordPicture, std::string& shown);

struct CompareRequest {
    std::string firstPicture, secondPicture;  // the records' pictures
    std::string firstHeading, secondHeading;
};

// Opens the window on the two records (one open already is closed first).
// False, after a message owned by `owner`, when a picture cannot be read or
// the window cannot be made.
bool OpenCompareWindow(HINSTANCE instance, HWND owner, const CompareRequest& request);

// The window's keys, before the main window's accelerators see them: true
// when the message belonged to the window and has been handled.
bool TranslateCompareMessage(MSG& message);

// The window, null when none is open.
HWND CompareWindowHandle();
