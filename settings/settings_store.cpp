#include "settings/settings_store.h"

#include "base/cp932.h"
#include "settings/ini_document.h"
#include "settings/settings_rules.h"

namespace {

using GroupWriter = void (*)(const Settings&, IniDocument&);

// Rewrites one group and leaves the rest of the file as it was. A file that
// cannot be read is not replaced: writing the group alone would throw away
// every other group and whatever else the file holds.
bool rewriteGroup(SettingsFiles& files, const char* path, const Settings& settings,
                  GroupWriter write) {
    if (path[0] == '\0')
        return false;
    std::string bytes;
    if (!files.readAll(path, bytes))
        return false;
    IniDocument doc(bytes);
    write(settings, doc);
    return files.replaceAll(path, doc.serialize());
}

}  // namespace

SettingsStore::SettingsStore(SettingsFiles& files) : files_(files) {
    initialize();
}

IniDocument readSettingsDocument(SettingsFiles& files, const char* iniPath) {
    std::string bytes;
    if (iniPath[0] == '\0' || !files.readAll(iniPath, bytes))
        bytes.clear();
    return IniDocument(bytes);
}

bool rewriteSettingsDocument(SettingsFiles& files, const char* iniPath,
                             const std::function<void(IniDocument&)>& change) {
    std::string bytes;
    if (iniPath[0] == '\0' || !files.readAll(iniPath, bytes))
        return false;
    IniDocument doc(bytes);
    change(doc);
    return files.replaceAll(iniPath, doc.serialize());
}

void SettingsStore::initialize() {
    settings_rules::setBuiltIns(settings);
    iniPath[0] = '\0';
    if (!files_.currentDirectory(startDirectory))
        startDirectory[0] = '\0';
    startDirectory[kPathSize - 1] = '\0';
    load();
}

void SettingsStore::load() {
    if (!findIniFile()) {
        // A new, empty file: nothing to read, the built-in values stay.
        createIniFile();
        return;
    }
    // An unreadable file reads like an empty one: every key takes its default.
    std::string bytes;
    if (!files_.readAll(iniPath, bytes))
        bytes.clear();
    const IniDocument doc(bytes);
    settings_rules::readFileSettings(doc, startDirectory, settings);
    settings_rules::readWindowSettings(doc, settings);
    settings_rules::readReportSettings(doc, startDirectory, settings);
}

bool SettingsStore::findIniFile() {
    // Searched into a scratch buffer so that a failed search cannot leave a
    // half-written path behind.
    char found[kPathSize] = {};
    if (!files_.findFile(startDirectory, kIniName, found))
        return false;
    found[kPathSize - 1] = '\0';
    cp932::copyText(iniPath, found);
    return true;
}

bool SettingsStore::createIniFile() {
    std::string path = startDirectory;
    path += '\\';
    path += kIniName;
    // A cut path would name some other file; with no path every later save
    // fails instead.
    if (path.size() >= sizeof iniPath) {
        iniPath[0] = '\0';
        return false;
    }
    cp932::copyText(iniPath, path.c_str());
    return files_.createNew(iniPath);
}

bool SettingsStore::saveFileSettings() {
    // The file may have been deleted while the program ran.
    if (!findIniFile())
        createIniFile();
    return rewriteGroup(files_, iniPath, settings, settings_rules::writeFileSettings);
}

bool SettingsStore::saveWindowSettings() {
    return rewriteGroup(files_, iniPath, settings, settings_rules::writeWindowSettings);
}

bool SettingsStore::saveReportSettings() {
    return rewriteGroup(files_, iniPath, settings, settings_rules::writeReportSettings);
}
