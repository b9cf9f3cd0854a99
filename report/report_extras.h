// The HTML report's options beyond the [HTML] group, kept in a group of
// their own, "[HTML_Ext]", so that the report's specified settings keep their
// bytes. Platform-free.
#pragma once

#include "settings/ini_document.h"
#include "settings/settings_store.h"

struct ReportExtras {
    bool showDigests = true;  // each record's SHA-256 and the manifest's
};

namespace report_extras {

extern const char* const kGroup;  // "HTML_Ext"

ReportExtras read(const IniDocument& doc);
void write(const ReportExtras& extras, IniDocument& doc);

ReportExtras load(SettingsFiles& files, const char* iniPath);
bool save(SettingsFiles& files, const char* iniPath, const ReportExtras& extras);

}  // namespace report_extras
