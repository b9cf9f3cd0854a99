// The history list: the report-style list control that shows one row per
// record and is the working copy of the records while the user edits.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>

#include "base/win_handles_win.h"
#include "history/test_case.h"
#include "settings/settings.h"

class HistoryList {
  public:
    static constexpr int kControlId = 1015;

    HWND create(HINSTANCE instance, HWND parentWindow);
    void fitToParent();
    void applyFont();

    int itemCount() const;
    int selectedCount() const;
    // The picture of the one selected row: false when not exactly one row
    // is selected or its image is not a picture file that exists.
    bool selectedPicturePath(char (&path)[kPathSize]) const;
    // The pictures and headings of exactly two selected rows, in list
    // order: false when not exactly two rows are selected or either image
    // is not a picture file that exists.
    bool selectedPicturePair(char (&first)[kPathSize], char (&second)[kPathSize],
                             char (&firstHeading)[kCommentSize],
                             char (&secondHeading)[kCommentSize]) const;

    // What a search reads of a row: its heading, its picture and its
    // description file as full paths (the description's empty when the
    // row names none), and its record's id.
    struct RowFiles {
        char heading[kCommentSize];
        char picture[kPathSize];
        char textFile[kPathSize];
        uint32_t id;
    };
    RowFiles rowFiles(int row) const;
    // The first selected row, or -1.
    int selectedRow() const { return firstSelected(); }
    // This row alone selected and focused, scrolled into view; its picture
    // follows as for any change of the selection.
    void selectOnly(int row);

    void writeBack();
    void clearAll();
    void fillFromRecords();
    void showAppendedRecord();
    // The appended record's picture, which the capture road did not show
    // because another capture was queued behind it, is shown with the
    // rows' drawing after the last queued capture.
    void showPictureWithRows();
    int addRowForFile(const char* text);
    void dropFiles(HDROP drop);

    int deleteSelected();
    int moveUp();
    int moveDown();
    void editHeadingInPlace();
    int editHeadingsOfSelection();
    int assignTextFile();
    void selectAll();
    void showContextMenu(HWND owner, int x, int y);
    // Greys the context menu's items for the present selection.
    void prepareContextMenu(HMENU popup) const;
    // Where the context menu opens: the mouse position, or for the keyboard
    // (-1, -1) the focused row.
    POINT contextMenuPoint(int x, int y) const;
    void handleNotify(NMHDR* header);

    int openSelected();
    int openTextOfSelection();
    void openAtPoint(int x, int y);

    // The file commands.
    int confirmSaveChanges();
    int openHistoryFile();
    // captureArmed: hot keys are registered (the shell knows the capturer).
    int newHistoryFile(bool captureArmed);
    int saveHistoryFile();
    int saveHistoryFileAs();

    // The current width of a column, for the settings at close.
    int columnWidth(int column) const;

    // The test cases (history_list_cases_win.cpp): the two columns after
    // the four, filled from history.cases by the rows' record ids, the
    // dialog, and the verdict of F4 / Shift+F4. Each returns 1 when it
    // changed a case.
    static constexpr int kTestIdColumn = 4, kVerdictColumn = 5;
    int editCasesOfSelection();
    int setVerdictOfSelection(testcase::Verdict verdict);
    // Each selected record's verdict as `verdictOf` gives it for the
    // record's id; a record it gives none keeps its own.
    int setVerdictsOfSelection(const std::function<bool(uint32_t id, testcase::Verdict& out)>& verdictOf);
    // NM_CUSTOMDRAW from the list: an NG verdict in red.
    LRESULT customDraw(NMHDR* header) const;
    // Keeps the case columns' widths in [TestCase] when the user changed
    // them; the file is not touched otherwise.
    void saveCaseColumnWidths();

    HWND parent = nullptr;
    HWND window = nullptr;
    HINSTANCE instance = nullptr;
    win::Font font;
    TEXTMETRICA metrics{};
    int fontMade = 0;

  private:
    static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(int id);

    void insertRowFromRecord(int row, int record);
    void insertCaseColumns();
    // A fresh row's cells are empty already: only a case's texts are set.
    void showCase(int row, bool freshRow = false);
    uint32_t recordIdOfRow(int row);
    void drawAppendedRows(WPARAM generation);
    void setText(int row, int column, const char* text);
    void text(int row, int column, char* out, int size) const;
    int firstSelected() const;
    void postRefresh() const;
    void markChanged() const;
    void showSelectedImage() const;
    HWND dialogOwner() const;
    HWND promptOwner() const;

    // Posted to the list after a capture's row (wParam: appendGeneration_).
    static constexpr UINT kDrawAppendedRows = WM_APP + 1;

    WNDPROC controlProc_ = nullptr;
    // The case columns' widths as [TestCase] gave them.
    int caseWidths_[2] = {};
    bool deleting_ = false;
    // The list's drawing held since a capture's row, until the last queued
    // capture's message (appendGeneration_) arrives.
    bool appendHeld_ = false;
    WPARAM appendGeneration_ = 0;
    int appendedRow_ = 0;
    // While a capture's row takes the selection: the capture road shows its
    // picture, once, and only when no other capture follows at once.
    bool appending_ = false;
    bool pictureOwed_ = false;
};

extern HistoryList historyList;
