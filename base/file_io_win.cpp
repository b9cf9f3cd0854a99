#include "base/read_file_win.h"

#include <windows.h>

#include "base/win_handles_win.h"

namespace win {

bool ReadWholeFile(const char* path, std::string& bytes, int64_t limit) {
    bytes.clear();
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > limit)
        return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) ||
         got != bytes.size())) {
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace win
