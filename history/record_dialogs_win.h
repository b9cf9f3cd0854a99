// The two modal dialogs that collect values for the history list's editing
// operations: one heading for the selected rows, and the description text
// file of a row. They change no record; the list reads their fields after OK.
#pragma once

#include <windows.h>

#include "settings/settings.h"

class HeadingDialog {
  public:
    // The heading of the last OK. The dialog does not show it: every run
    // starts with an empty field.
    char text[kCommentSize] = {};

    // 1 for OK, 2 for Cancel (also when the dialog could not be made).
    int run(HINSTANCE instance, HWND owner);

  private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

extern HeadingDialog headingDialog;

class TextFileDialog {
  public:
    // The file name chosen (empty for "no description file"), without folder.
    char fileName[kPathSize] = {};
    // The folder listed and where new files are made; set before run().
    char folder[kPathSize] = {};

    // 1 for OK, 2 for Cancel (also when the dialog could not be made).
    int run(HINSTANCE instance, HWND owner);

  private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void fillList(HWND dialog) const;
    bool choose(HWND dialog);
    void addNewFile(HWND dialog) const;
};
