#include "settings/settings_files_win.h"

#include <windows.h>

#include <cstdio>

#include "base/file_io_win.h"
#include "base/win_handles_win.h"

bool Win32SettingsFiles::currentDirectory(char (&dir)[kPathSize]) {
    const DWORD n = GetCurrentDirectoryA(kPathSize, dir);
    if (n == 0 || n >= static_cast<DWORD>(kPathSize)) {
        dir[0] = '\0';
        return false;
    }
    return true;
}

bool Win32SettingsFiles::findFile(const char* dir, const char* name, char (&fullPath)[kPathSize]) {
    char* filePart = nullptr;
    const DWORD n = SearchPathA(dir, name, nullptr, kPathSize, fullPath, &filePart);
    if (n == 0 || n >= static_cast<DWORD>(kPathSize)) {
        fullPath[0] = '\0';
        return false;
    }
    return true;
}

bool Win32SettingsFiles::createNew(const char* path) {
    win::FileHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool Win32SettingsFiles::readAll(const char* path, std::string& bytes) {
    return win::ReadWholeFile(path, bytes, 16 << 20);
}

bool Win32SettingsFiles::replaceAll(const char* path, const std::string& bytes) {
    // Written beside the old file and moved over it, so that a failed write
    // never leaves a half settings file behind.
    DWORD error = 0;
    return win::ReplaceContents(path, "zcp", bytes, &error) == win::ReplaceStep::done;
}
