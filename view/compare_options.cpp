#include "view/compare_options.h"

#include <string>

#include "settings/settings_rules.h"
#include "view/picture_diff.h"

namespace compare_options {

const char* const kGroup = "Compare";

namespace {

constexpr const char* kToleranceKey = "許容差";
constexpr const char* kIgnoreTopKey = "上端を無視";
constexpr const char* kBandKey = "上端の高さ";

int32_t readInt(const IniDocument& doc, const char* key, int32_t fallback, int32_t low,
                int32_t high) {
    return settings_rules::readIntInRange(doc, kGroup, key, fallback, low, high);
}

}  // namespace

CompareOptions read(const IniDocument& doc) {
    CompareOptions o;
    o.tolerance = readInt(doc, kToleranceKey, o.tolerance, 0, picture_diff::kMaxTolerance);
    o.ignoreTop = readInt(doc, kIgnoreTopKey, 0, 0, 1) == 1;
    o.bandHeight = readInt(doc, kBandKey, o.bandHeight, 1, kMaxCompareBand);
    return o;
}

void write(const CompareOptions& o, IniDocument& doc) {
    doc.set(kGroup, kToleranceKey, settings_rules::formatInt(o.tolerance));
    doc.set(kGroup, kIgnoreTopKey, o.ignoreTop ? "1" : "0");
    doc.set(kGroup, kBandKey, settings_rules::formatInt(o.bandHeight));
}

CompareOptions load(SettingsFiles& files, const char* iniPath) {
    return read(readSettingsDocument(files, iniPath));
}

bool save(SettingsFiles& files, const char* iniPath, const CompareOptions& options) {
    return rewriteSettingsDocument(files, iniPath, [&](IniDocument& doc) { write(options, doc); });
}

}  // namespace compare_options
