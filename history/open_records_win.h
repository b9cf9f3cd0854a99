// Opening a record's image or description text in the configured
// application, or through the shell's "open" when none is configured.
#pragma once

#include <windows.h>

#include <vector>

#include "history/open_records.h"

// Images go to "起動アプリ：画像", text files to "起動アプリ：テキスト"; any
// other extension is left alone. The application gets the bare file name as
// its parameters and the file's folder as its working directory. A failed
// start is reported to the user, owned by `owner`.
void OpenRecordFile(HWND owner, const char* path);
// The same for text files only: an image path opens nothing.
void OpenRecordTextFile(HWND owner, const char* path);

// Opens every row, first to last, after one confirmation when there are
// several. Shift held (read anew for each row) opens the text file instead
// of the image. Returns 0 when the user cancelled, else 1.
int OpenRows(HWND owner, const std::vector<RowPaths>& rows);
// Opens the text file of the only row; any other number of rows is refused
// with a message and returns 0.
int OpenTextOfRows(HWND owner, const std::vector<RowPaths>& rows);
