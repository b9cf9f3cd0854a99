#include "report/export_picture_win.h"

#include <windows.h>

#include "base/file_io_win.h"

namespace {

// Far beyond any sidecar the editor writes; a larger one is unreadable and
// so withholds the picture.
constexpr int64_t kSidecarLimit = 64 << 20;

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadSidecar(const std::string& path, std::string& bytes) {
    return win::ReadWholeFile(path.c_str(), bytes, kSidecarLimit);
}

}  // namespace

PictureFiles Win32PictureFiles() {
    return PictureFiles{IsFile, ReadSidecar};
}
