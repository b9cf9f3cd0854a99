#include "history/history_list_win.h"

#include "app/app_state_win.h"
#include "app/main_window_win.h"
#include "history/history.h"
#include "history/history_file_win.h"

extern History history;

// Least form until the list view is built: there are no rows of their own,
// the records are what the list would show, and nothing can be selected.
// The file commands and the capture road are complete.

int HistoryList::itemCount() const {
    return history.count;
}
int HistoryList::selectedCount() const {
    return 0;
}

void HistoryList::clearAll() {
    history.clearRecords();
}
void HistoryList::fillFromRecords() {}
void HistoryList::writeBack() {}

void HistoryList::showAppendedRecord() {
    history.modified = 1;
    if (appState.mainWindow)
        PostMessageA(appState.mainWindow, UWM_UPDATE_COMMANDS, 0, 0);
}

int HistoryList::editHeadingInPlace() {
    return 0;
}
int HistoryList::editHeadingsOfSelection() {
    return 0;
}
int HistoryList::deleteSelected() {
    return 0;
}
int HistoryList::moveUp() {
    return 0;
}
int HistoryList::moveDown() {
    return 0;
}
void HistoryList::selectAll() {}
int HistoryList::assignTextFile() {
    return 0;
}
void HistoryList::openTextOfSelection() {}
void HistoryList::openSelected() {}
void HistoryList::applyFont() {}

HWND HistoryList::dialogOwner() const {
    return window ? window : appState.mainWindow;
}
HWND HistoryList::promptOwner() const {
    return parent ? parent : appState.mainWindow;
}

int HistoryList::confirmSaveChanges() {
    return historyfile::ConfirmSaveChanges(history, promptOwner(), dialogOwner(),
                                           appState.mainWindow);
}

int HistoryList::openHistoryFile() {
    if (!historyfile::ChooseFileToOpen(history, dialogOwner()))
        return 0;
    clearAll();
    if (!historyfile::Read(history, appState.mainWindow)) {
        historyfile::ForgetUnreadableName(history);
    }
    fillFromRecords();
    return 1;
}

int HistoryList::newHistoryFile() {
    historyfile::NewHistory(history, dialogOwner());
    clearAll();
    return 1;
}

int HistoryList::saveHistoryFile() {
    writeBack();
    return historyfile::Save(history, dialogOwner(), appState.mainWindow) ? 1 : 0;
}

int HistoryList::saveHistoryFileAs() {
    writeBack();
    return historyfile::SaveAs(history, dialogOwner(), appState.mainWindow) ? 1 : 0;
}
