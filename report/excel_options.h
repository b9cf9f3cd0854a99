// The options of the Excel evidence workbook, kept in the settings file's
// group "[Excel]" of their own: the groups the report and the rest of
// Zelcap use are never touched by them. Platform-free.
#pragma once

#include <string>

#include "settings/ini_document.h"
#include "settings/settings_store.h"
#include "report/workbook_writer.h"

struct ExcelOptions {
    std::string outputPath;  // CP932; made from the history each time, not stored
    WorkbookLayout layout = WorkbookLayout::sheetPerRecord;
    PictureSize pictureSize = PictureSize::fitWidth;
    bool includeDescription = true;
    bool includeDigests = true;  // each record's SHA-256 and the manifest's
    std::string title = "試験証跡";
};

namespace excel_options {

extern const char* const kGroup;  // "Excel"

// The stored options over the defaults; unknown values fall back to them.
ExcelOptions read(const IniDocument& doc);
void write(const ExcelOptions& options, IniDocument& doc);

// Reads the group from the INI file (defaults when it cannot be read).
ExcelOptions load(SettingsFiles& files, const char* iniPath);
// Rewrites the group alone; every other byte of the file stays.
bool save(SettingsFiles& files, const char* iniPath, const ExcelOptions& options);

// The default workbook of a history: its folder, its name with ".xlsx"
// in place of the extension it has.
std::string defaultOutputPath(const char* historyFolder, const char* historyFileName);

// Empty when the options can be used; otherwise the message for the user.
std::string validate(const ExcelOptions& options);

}  // namespace excel_options
