// The history file on disk and the dialogs that name it.
#pragma once

#include <windows.h>

#include <string>

class History;

namespace historyfile {

// The current local time as the history's date-time text.
void Timestamp(char (&out)[20]);

// Runs the open dialog and takes the chosen file as the history file (not
// read yet). 0 when cancelled.
int ChooseFileToOpen(History& current, HWND owner);
// Replaces the records with the contents of the history file. 0 when the
// file cannot be opened or holds no line end in its first piece.
int Read(History& current, HWND messageOwner);
// Writes every record to the history file, replacing it only once the new
// contents are complete on disk. False on failure (reported).
bool Write(History& current, HWND messageOwner);
bool SaveAs(History& current, HWND owner, HWND messageOwner);
bool Save(History& current, HWND owner, HWND messageOwner);
// Save As without its dialog: `path` is a full CP932 path whose file part
// fits the history's name.
bool SaveAsPath(History& current, const char* path, HWND messageOwner);
// Back to an untitled history named "新規" (warns and stops capturing when
// the capture folder follows the history).
void NewHistory(History& current, HWND owner, bool captureArmed);
// Names the history "新規" again, untitled: after a file that could not be
// read, so that the next save asks for a name instead of overwriting it.
void ForgetUnreadableName(History& current);
// Asks whether a modified history is to be saved; 0 when the caller must
// stop (Cancel, or a failed save).
int ConfirmSaveChanges(History& current, HWND owner, HWND dialogOwner, HWND messageOwner);

// Another history as it is on disk, to compare this one with: its records
// and their cases into `out` (named after `path`), nothing shown and
// nothing written. False, with the reason (CP932) in `error`, when the CSV
// or its case file cannot be read.
bool ReadForComparison(const char* path, History& out, std::string& error);

}  // namespace historyfile
