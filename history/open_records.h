// Which history files open in which configured application, and the paths a
// list row names. Platform-free.
#pragma once

#include "settings/settings.h"

// The last four bytes, compared exactly: ".Jpg" or ".jpeg" is neither kind,
// and so is a path shorter than four bytes.
bool isImageFileName(const char* path);
bool isTextFileName(const char* path);

// Paths that would not fit kPathSize bytes come out empty rather than cut:
// a cut path could name a different, existing file, while an empty one
// matches no extension and so opens nothing.

// The row's image column as it stands, or the history folder followed
// directly by it when it is relative ("\name.jpg").
void rowImagePath(const char* imageText, const char* historyFolder, char (&out)[kPathSize]);
// The history folder, a backslash and the row's text column. An empty text
// column gives "folder\", which is not a text file name.
void rowTextPath(const char* textColumn, const char* historyFolder, char (&out)[kPathSize]);

// Folder and file name around the last real backslash (a 0x5C trail byte of
// a double-byte character does not split). Without a backslash the folder is
// empty and the name is the whole path; a path too long for the buffers
// leaves both empty.
void splitAtLastBackslash(const char* path, char (&folder)[kPathSize], char (&name)[kPathSize]);

// What the history list hands over for each selected row, so that opening
// does not depend on the list control.
struct RowPaths {
    char image[kPathSize];
    char text[kPathSize];
};
