#include "base/file_io_win.h"

#include <algorithm>
#include <string>

#include "base/cp932.h"
#include "base/win_handles_win.h"

namespace win {

namespace {

template <typename Bytes>
bool ReadAllOf(HANDLE file, Bytes& bytes, int64_t limit) {
    bytes.clear();
    LARGE_INTEGER size{};
    // Larger than the caller takes: refused before anything is allocated.
    if (!GetFileSizeEx(file, &size) || size.QuadPart > limit)
        return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, &bytes[done], piece, &got, nullptr) || got == 0) {
            bytes.clear();
            return false;
        }
        done += got;
    }
    return true;
}

}  // namespace

bool ReadWholeFile(HANDLE file, std::string& bytes, int64_t limit) {
    return ReadAllOf(file, bytes, limit);
}

bool ReadWholeFile(HANDLE file, std::vector<uint8_t>& bytes, int64_t limit) {
    return ReadAllOf(file, bytes, limit);
}

bool ReadWholeFile(const char* path, std::string& bytes, int64_t limit) {
    bytes.clear();
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && ReadAllOf(file.get(), bytes, limit);
}

bool ReadFileStamp(const char* path, FileStamp* stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return false;
    stamp->size = uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    stamp->written = data.ftLastWriteTime;
    return true;
}

bool SameFileStamp(const FileStamp& a, const FileStamp& b) {
    return a.size == b.size && a.written.dwLowDateTime == b.written.dwLowDateTime &&
           a.written.dwHighDateTime == b.written.dwHighDateTime;
}

bool WriteAll(HANDLE file, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes + done, piece, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

namespace {

DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

}  // namespace

bool TempFileBeside(const char* path, const char* prefix, char (&temp)[MAX_PATH], DWORD* error) {
    const char* separator = cp932::findLastChar(path, '\\');
    std::string folder = separator ? std::string(path, separator) : std::string(".");
    // A file in a drive's root: "C:" alone would be the drive's current folder.
    if (folder.size() == 2 && folder[1] == ':')
        folder += '\\';
    temp[0] = '\0';
    if (GetTempFileNameA(folder.c_str(), prefix, 0, temp) != 0)
        return true;
    *error = LastErrorOr(ERROR_CANNOT_MAKE);
    return false;
}

bool HeldFile(const char* path) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return false;
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file;
}

bool MoveOver(const char* temp, const char* path, DWORD* error) {
    if (MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *error = LastErrorOr(ERROR_WRITE_FAULT);
    DeleteFileA(temp);
    return false;
}

ReplaceStep ReplaceContents(const char* path, const char* prefix, const std::string& bytes,
                            DWORD* error) {
    *error = 0;
    char temp[MAX_PATH];
    if (!TempFileBeside(path, prefix, temp, error))
        return ReplaceStep::temporaryFile;
    bool written = false;
    {
        FileHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            *error = LastErrorOr(ERROR_OPEN_FAILED);
            DeleteFileA(temp);
            return ReplaceStep::temporaryFile;
        }
        written = WriteAll(file.get(), bytes.data(), bytes.size()) && FlushFileBuffers(file.get());
        if (!written)
            *error = LastErrorOr(ERROR_WRITE_FAULT);
    }
    if (!written) {
        DeleteFileA(temp);
        return ReplaceStep::write;
    }
    return MoveOver(temp, path, error) ? ReplaceStep::done : ReplaceStep::move;
}

}  // namespace win
