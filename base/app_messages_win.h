// The main window's private messages. A subsystem that must make the shell
// act (refresh the command states, show the selected picture) posts or sends
// one of these to the main window instead of calling into the shell.
#pragma once

#include <windows.h>

// Refresh the menu and toolbar states from the history and the selection.
constexpr UINT UWM_UPDATE_COMMANDS = WM_USER + 100;
// Show the selected record's picture, or none when no row is selected.
constexpr UINT UWM_SHOW_IMAGE = WM_USER + 101;
// Repaint the tab strip: posted behind the tab font's WM_SETFONT, which does
// not redraw, so that tabs measured with the previous font do not stay.
constexpr UINT UWM_REPAINT_TABS = WM_USER + 102;

// The step recorder has a click ready to be written (posted from its
// threads; the main window takes every waiting click, in order).
constexpr UINT UWM_STEP_SHOT = WM_USER + 103;

// The annotation editor has saved a picture's annotations: lParam is the
// picture's path (const char*, valid during the call; sent, never posted).
constexpr UINT UWM_ANNOTATED = WM_USER + 104;

// The comparison window adds its overlay picture to the history: lParam is
// a const ComparisonRecord* valid during the call (sent, never posted). The
// result is 1 when the file was written and the record appended.
constexpr UINT UWM_ADD_COMPARISON = WM_USER + 105;
struct ComparisonRecord {
    const char* fileName;  // "<first stem>_diff.png", written in the capture folder
    const char* heading;   // the record's heading, CP932
    const unsigned char* bytes;  // the PNG file
    size_t size;
};

// The capture road has appended a record (sent, never posted): the window
// refreshes its title (wParam 1: auto-save wrote the history) and its
// command states.
constexpr UINT UWM_RECORD_ADDED = WM_USER + 106;
