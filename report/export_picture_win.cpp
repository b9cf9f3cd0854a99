#include "report/export_picture_win.h"

#include <windows.h>

#include "base/cp932.h"
#include "base/file_io_win.h"
#include "base/file_names_win.h"
#include "base/win_handles_win.h"

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

bool ListedFiles::exists(const std::string& path) {
    std::string key;
    const Folder* listed = folderOf(path, key);
    return listed ? listed->files.count(key) > 0 : IsFile(path);
}

bool ListedFiles::mayBeTaken(const std::string& path) {
    std::string key;
    const Folder* listed = folderOf(path, key);
    return !listed || listed->names.count(key) > 0;
}

const ListedFiles::Folder* ListedFiles::folderOf(const std::string& path, std::string& key) {
    const char* slash = cp932::findLastChar(path.c_str(), '\\');
    // A name that Windows would read otherwise than the listing (a forward
    // slash in it) is asked for as it is.
    if (!slash || cp932::findLastChar(slash + 1, '/'))
        return nullptr;
    const std::string folder = path.substr(0, static_cast<std::size_t>(slash - path.c_str()));
    auto found = folders_.find(folder);
    if (found == folders_.end())
        found = folders_.emplace(folder, List(folder)).first;
    if (!found->second.listed)
        return nullptr;
    key = win::FileNameKey(slash + 1);
    return &found->second;
}

ListedFiles::Folder ListedFiles::List(const std::string& folder) {
    Folder listed;
    WIN32_FIND_DATAA found;
    const win::FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!search)
        return listed;
    do {
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // The short name opens the file as well.
        for (const char* name : {found.cFileName, found.cAlternateFileName}) {
            if (name[0] == '\0')
                continue;
            const std::string key = win::FileNameKey(name);
            listed.names.insert(key);
            if (!isFolder)
                listed.files.insert(key);
        }
    } while (FindNextFileA(search.get(), &found));
    listed.listed = GetLastError() == ERROR_NO_MORE_FILES;
    return listed;
}

PictureFiles Win32PictureFiles(ListedFiles& listed) {
    return PictureFiles{[&listed](const std::string& path) { return listed.exists(path); },
                        ReadSidecar};
}
