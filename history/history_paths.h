// How a record's image path is read: relative paths, file parts and the path
// an image is really found at. Platform-free.
#pragma once

#include "history/history.h"

// True when the first backslash is the first character and is not the start
// of a "\\" network prefix. An empty path is not relative.
bool isRelative(const char* path);

// True for a path that names its folder itself: one beginning with a drive
// ("C:") or with the "\\" of a network share. Joined to a folder it would
// name no file at all.
bool isFullPath(const char* path);

// The last backslash and everything after it, or nullptr when there is no
// backslash. The trail byte of a double-byte character never counts (表 is
// 0x95 0x5C).
const char* filePart(const char* path);

// Where the record's image is: historyFolder + the file part for a record of
// the history folder, else imagePath as it stands. A record of the history
// folder whose path has no backslash at all is taken as a bare file name in
// that folder. Cut to kPathSize - 1 bytes without splitting a character.
void resolvedImagePath(const HistoryRecord& record, const char* historyFolder,
                       char (&out)[kPathSize]);

// Where a record's description file is: the text-file dialog names a file
// of the history folder; a full path, from an older file or typed into a
// CSV, names itself. Empty for a record without one, or a path too long.
void resolvedTextPath(const char* textFile, const char* historyFolder, char (&out)[kPathSize]);
