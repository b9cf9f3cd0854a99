// Names of capture files and the folder they go to. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

// The formats a capture is written in.
enum class ImageFormat { bmp, jpeg, png };

// PNG when the [Capture_Ext] option asks for it, whatever the JPEG/BMP
// choice of the File_Set group says; that choice otherwise.
inline ImageFormat captureImageFormat(bool png, bool jpeg) {
    return png ? ImageFormat::png : jpeg ? ImageFormat::jpeg : ImageFormat::bmp;
}

// The capture file path: folder, a backslash, prefix, the number and ".jpg",
// ".bmp" or ".png". With zeroPad the number has at least six digits ("%06d": AAA000012),
// larger numbers keep all their digits; without it is plain "%d" (AAA12).
// Returns false, with out empty, when the path does not fit in outSize bytes
// including the NUL: a cut path would name another file.
bool formatCaptureFileName(char* out, std::size_t outSize, const char* folder, const char* prefix,
                           int32_t number, bool zeroPad, ImageFormat format);

// Removes one trailing backslash from path. The trail byte of a double-byte
// character (表 is 0x95 0x5C) is not a backslash and stays. Returns true when
// one was removed.
bool removeTrailingBackslash(char* path);
