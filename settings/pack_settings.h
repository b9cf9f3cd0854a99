// The options of the one-file pack, in the settings file's group "[Pack]" of
// their own: where it goes, HTML or PDF, and what it shows. Nothing is
// written until the user takes the pack's dialog, so a user who never packs
// keeps every other group byte for byte. Platform-free.
#pragma once

#include <cstdint>
#include <string>

#include "settings/ini_document.h"
#include "settings/settings_store.h"

struct PackSettings {
    std::string target;  // CP932 full path of the last pack; empty: beside the history
    bool pdf = false;    // the format: HTML unless PDF was chosen
    bool coverPage = true;
    bool itemNumbers = true;
    bool showDigests = true;
    bool caseTable = true;
    int32_t recordsPerPage = 1;  // PDF only
};

namespace pack_settings {

extern const char* const kGroup;  // "Pack"

constexpr int32_t kMinRecordsPerPage = 1, kMaxRecordsPerPage = 4;

// The stored options over the defaults; a value out of range keeps its
// default.
PackSettings read(const IniDocument& doc);
void write(const PackSettings& s, IniDocument& doc);

// Why the options cannot be used as they are (CP932), or empty: the target
// must be a full path whose name ends as its format does (.html or .htm,
// .pdf).
std::string validate(const PackSettings& s);

// A target of the PDF form: its name ends in ".pdf".
bool isPdfPath(const std::string& path);

PackSettings load(SettingsFiles& files, const char* iniPath);
// Rewrites the group alone. False when the file cannot be read or written.
bool save(SettingsFiles& files, const char* iniPath, const PackSettings& s);

}  // namespace pack_settings
