// Whole files at ANSI (CP932) paths: reading one into memory, writing a
// block through a handle, and replacing a file's contents so that a failed
// write never leaves it half written.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace win {

// False, with `bytes` empty, when the file cannot be opened or read or is
// larger than `limit` bytes. Others may read and write the file meanwhile.
bool ReadWholeFile(const char* path, std::string& bytes, int64_t limit);
// The same through a handle the caller opened (and closes).
bool ReadWholeFile(HANDLE file, std::string& bytes, int64_t limit);
bool ReadWholeFile(HANDLE file, std::vector<uint8_t>& bytes, int64_t limit);

// One version of a file: a file written again gets another time, and
// mostly another size.
struct FileStamp {
    uint64_t size = 0;
    FILETIME written{};
};
// False when the file's attributes cannot be read (no such file).
bool ReadFileStamp(const char* path, FileStamp* stamp);
bool SameFileStamp(const FileStamp& a, const FileStamp& b);

// Writes all `size` bytes, in pieces a single WriteFile call can take.
bool WriteAll(HANDLE file, const void* data, std::size_t size);

// A new empty file named by the system in the folder of `path`, so that a
// move over `path` is a rename on one volume; false (and the error) when
// the folder cannot be written.
bool TempFileBeside(const char* path, const char* prefix, char (&temp)[MAX_PATH], DWORD* error);

// A file at `path` that cannot be opened for writing (another program holds
// it open, or it is read-only): found before a long export, not after it.
// False when there is no file there.
bool HeldFile(const char* path);

// Moves the finished `temp` over `path`; removes `temp` when that fails.
bool MoveOver(const char* temp, const char* path, DWORD* error);

enum class ReplaceStep { done, temporaryFile, write, move };

// Writes `bytes` to a temporary file beside `path` and moves it over `path`
// once every byte is on disk. On failure the old contents stay, no
// temporary file is left, and the step that failed and its error are told.
ReplaceStep ReplaceContents(const char* path, const char* prefix, const std::string& bytes,
                            DWORD* error);

}  // namespace win
