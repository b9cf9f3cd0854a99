// The rules that tie the Settings record to the INI groups: built-in values,
// which key holds which field with what default, how values are read and how
// each group is written. SettingsStore only adds the file handling around
// them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ini_document.h"
#include "settings/settings.h"

namespace settings_rules {

inline constexpr const char* kFileSetSection = "File_Set";
inline constexpr const char* kWindowSection = "Window";
inline constexpr const char* kReportSection = "HTML";

// The values in force when no INI file was found at start-up.
void setBuiltIns(Settings& settings);

// The decimal number at the start of an INI value (an optional '-' then
// digits, after spaces and tabs); 0 when the value does not start with one.
// Overlong numbers wrap modulo 2^32.
int32_t parseInt(std::string_view text);

// The number under `key` when it lies in [low, high]; otherwise (absent,
// edited by hand, written by a later version) `fallback`.
int32_t readIntInRange(const IniDocument& doc, std::string_view section, std::string_view key,
                       int32_t fallback, int32_t low, int32_t high);

// "%d" of the value.
std::string formatInt(int32_t value);

// Each reader sets every field of its group: from the key when present, from
// the key's default when absent. `startDirectory` is the default of the
// folder keys "保存先" and "出力先".
void readFileSettings(const IniDocument& doc, const char* startDirectory, Settings& settings);
void readWindowSettings(const IniDocument& doc, Settings& settings);
void readReportSettings(const IniDocument& doc, const char* startDirectory, Settings& settings);

// Each writer sets every key of its group, in the order a new file lists them.
void writeFileSettings(const Settings& settings, IniDocument& doc);
void writeWindowSettings(const Settings& settings, IniDocument& doc);
void writeReportSettings(const Settings& settings, IniDocument& doc);

}  // namespace settings_rules
