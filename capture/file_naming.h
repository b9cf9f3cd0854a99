// Names of capture files and the folder they go to. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

// The capture file path: folder, a backslash, prefix, the number and ".jpg" or
// ".bmp". With zeroPad the number has at least six digits ("%06d": AAA000012),
// larger numbers keep all their digits; without it is plain "%d" (AAA12).
// Returns false, with out empty, when the path does not fit in outSize bytes
// including the NUL: a cut path would name another file.
bool formatCaptureFileName(char* out, std::size_t outSize, const char* folder, const char* prefix,
                           int32_t number, bool zeroPad, bool jpeg);

// Removes one trailing backslash from path. The trail byte of a double-byte
// character (表 is 0x95 0x5C) is not a backslash and stays. Returns true when
// one was removed.
bool removeTrailingBackslash(char* path);
