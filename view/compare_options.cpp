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
    const auto text = doc.get(kGroup, key);
    if (!text)
        return fallback;
    const int32_t v = settings_rules::parseInt(*text);
    return v >= low && v <= high ? v : fallback;
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
    std::string bytes;
    if (iniPath[0] == '\0' || !files.readAll(iniPath, bytes))
        bytes.clear();
    return read(IniDocument(bytes));
}

bool save(SettingsFiles& files, const char* iniPath, const CompareOptions& options) {
    // An unreadable file is not replaced by one holding this group alone.
    std::string bytes;
    if (iniPath[0] == '\0' || !files.readAll(iniPath, bytes))
        return false;
    IniDocument doc(bytes);
    write(options, doc);
    return files.replaceAll(iniPath, doc.serialize());
}

}  // namespace compare_options
