// The settings store: the one Settings record and its INI file "Zelcap.ini".
// Platform-free; the file system is reached through SettingsFiles so that the
// rules run natively in tests and on the real file under Windows.
#pragma once

#include <functional>
#include <string>

#include "settings/ini_document.h"
#include "settings/settings.h"

// What the store needs from the file system. Paths are CP932 bytes.
class SettingsFiles {
  public:
    virtual ~SettingsFiles() = default;
    // The process's current directory, without a trailing separator.
    virtual bool currentDirectory(char (&dir)[kPathSize]) = 0;
    // Looks for `name` in `dir` only; fills the full path on success.
    virtual bool findFile(const char* dir, const char* name, char (&fullPath)[kPathSize]) = 0;
    // Creates an empty file; fails when it already exists.
    virtual bool createNew(const char* path) = 0;
    virtual bool readAll(const char* path, std::string& bytes) = 0;
    // Replaces the file's contents whole; the old contents stay when this fails.
    virtual bool replaceAll(const char* path, const std::string& bytes) = 0;
};

// A group of its own beside the store's (a feature's options): the whole
// file as a document, empty when it cannot be read.
IniDocument readSettingsDocument(SettingsFiles& files, const char* iniPath);
// Reads the file, lets `change` set its group and writes it back, every
// other byte as it was. As the store does for its groups, an unreadable file
// is not replaced by one holding this group alone.
bool rewriteSettingsDocument(SettingsFiles& files, const char* iniPath,
                             const std::function<void(IniDocument&)>& change);

class SettingsStore {
  public:
    static constexpr const char* kIniName = "Zelcap.ini";

    // Built-in values, the current directory, then load().
    explicit SettingsStore(SettingsFiles& files);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Runs the construction steps again (a test that changed directory).
    void initialize();

    void load();
    bool findIniFile();
    bool createIniFile();
    bool saveFileSettings();
    bool saveWindowSettings();
    bool saveReportSettings();

    Settings settings{};
    char startDirectory[kPathSize]{};
    char iniPath[kPathSize]{};

  private:
    SettingsFiles& files_;
};

// The program's one settings store, defined with the other long-lived objects.
extern SettingsStore settingsStore;
