// The history file commands that talk to the user.
#pragma once

#include <windows.h>

// Asks whether a modified history is to be saved. False when the user
// cancels or the save fails: the caller then stops what it was doing.
bool ConfirmSaveChanges(HWND owner);
// Saves the history under its name (asking for one when it has none).
bool SaveHistoryFile(HWND owner);
