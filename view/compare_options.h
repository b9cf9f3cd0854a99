// The options of the comparison window, kept in the settings file's group
// "[Compare]" of their own: written only once the user changes one, so
// that a settings file of someone who never compares keeps its bytes.
// Platform-free.
#pragma once

#include <cstdint>

#include "settings/ini_document.h"
#include "settings/settings_store.h"

struct CompareOptions {
    int32_t tolerance = 8;    // 0 to picture_diff::kMaxTolerance, per channel
    bool ignoreTop = false;   // leave a band at the top out of the comparison
    int32_t bandHeight = 32;  // its rows, 1 to kMaxCompareBand
    bool operator==(const CompareOptions& o) const {
        return tolerance == o.tolerance && ignoreTop == o.ignoreTop && bandHeight == o.bandHeight;
    }
    bool operator!=(const CompareOptions& o) const { return !(*this == o); }
};

constexpr int32_t kMaxCompareBand = 1000;

namespace compare_options {

extern const char* const kGroup;  // "Compare"

// The stored options over the defaults; a value out of range keeps its
// default.
CompareOptions read(const IniDocument& doc);
void write(const CompareOptions& options, IniDocument& doc);

// Reads the group from the INI file (defaults when it cannot be read).
CompareOptions load(SettingsFiles& files, const char* iniPath);
// Rewrites the group alone; every other byte of the file stays. False when
// the file cannot be read or written.
bool save(SettingsFiles& files, const char* iniPath, const CompareOptions& options);

}  // namespace compare_options
