// The settings store's file access on Windows (ANSI paths, code page 932).
#pragma once

#include "settings/settings_store.h"

class Win32SettingsFiles final : public SettingsFiles {
  public:
    constexpr Win32SettingsFiles() = default;
    bool currentDirectory(char (&dir)[kPathSize]) override;
    bool findFile(const char* dir, const char* name, char (&fullPath)[kPathSize]) override;
    bool createNew(const char* path) override;
    bool readAll(const char* path, std::string& bytes) override;
    bool replaceAll(const char* path, const std::string& bytes) override;
};
