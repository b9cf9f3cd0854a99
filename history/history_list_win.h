// The history list: the rows the user sees and edits, and the file commands
// that join the history to them.
#pragma once

#include <windows.h>

class HistoryList {
  public:
    // The list-view control; none until the list view is built.
    HWND window = nullptr;
    HWND parent = nullptr;

    int itemCount() const;
    int selectedCount() const;

    void clearAll();
    void fillFromRecords();
    // Shows the record that appendCapture just added; the history is then
    // modified and the main window is asked to refresh its commands.
    void showAppendedRecord();
    void writeBack();

    // The editing operations; each returns 1 when it changed the rows.
    int editHeadingInPlace();
    int editHeadingsOfSelection();
    int deleteSelected();
    int moveUp();
    int moveDown();
    void selectAll();
    int assignTextFile();
    void openTextOfSelection();
    void openSelected();
    void applyFont();

    // The file commands.
    int confirmSaveChanges();
    int openHistoryFile();
    int newHistoryFile();
    int saveHistoryFile();
    int saveHistoryFileAs();

  private:
    // Dialogs belong to the list window, or to the main window while there
    // is no list window.
    HWND dialogOwner() const;
    HWND promptOwner() const;
};

extern HistoryList historyList;
