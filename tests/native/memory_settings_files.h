// A settings file held in memory, for the tests of the groups that are
// read and rewritten whole (readable: whether reading it succeeds).
#pragma once

#include <string>

#include "settings/settings_store.h"

namespace testsupport {

class MemoryFiles : public SettingsFiles {
  public:
    bool currentDirectory(char (&dir)[kPathSize]) override {
        dir[0] = '\0';
        return true;
    }
    bool findFile(const char*, const char*, char (&)[kPathSize]) override { return false; }
    bool createNew(const char*) override { return false; }
    bool readAll(const char*, std::string& bytes) override {
        bytes = contents;
        return readable;
    }
    bool replaceAll(const char*, const std::string& bytes) override {
        contents = bytes;
        return true;
    }
    std::string contents;
    bool readable = true;
};

}  // namespace testsupport
