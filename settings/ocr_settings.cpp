#include "settings/ocr_settings.h"

#include <cstring>

#include "base/tab_file.h"
#include "settings/settings_rules.h"

namespace ocr_settings {

const char* const kGroup = "OCR";

namespace {

constexpr const char* kEnabledKey = "文字読み取り";
constexpr const char* kPatternsKey = "個人情報パターン";

bool isDefault(const OcrSettings& s) {
    return !s.enabled && s.patterns.empty();
}

bool hasGroup(const IniDocument& doc) {
    return doc.get(kGroup, kEnabledKey) || doc.get(kGroup, kPatternsKey);
}

// A pattern whose escapes are damaged (edited by hand) is passed over.
std::vector<std::string> readPatterns(const std::string& value) {
    std::vector<std::string> patterns;
    std::string field;
    for (std::size_t from = 0; from <= value.size() && patterns.size() < kMaxPatterns;) {
        const void* tab = std::memchr(value.data() + from, '\t', value.size() - from);
        const std::size_t end =
            tab ? static_cast<std::size_t>(static_cast<const char*>(tab) - value.data())
                : value.size();
        const char* why = nullptr;
        if (end > from && tabfile::unescape(value.data() + from, end - from, field, why))
            patterns.push_back(field);
        from = end + 1;
    }
    return patterns;
}

}  // namespace

OcrSettings read(const IniDocument& doc) {
    OcrSettings s;
    s.enabled = settings_rules::readIntInRange(doc, kGroup, kEnabledKey, 0, 0, 1) == 1;
    s.patterns = readPatterns(doc.get(kGroup, kPatternsKey).value_or(""));
    return s;
}

bool write(const OcrSettings& s, IniDocument& doc) {
    if (isDefault(s) && !hasGroup(doc))
        return false;
    doc.set(kGroup, kEnabledKey, s.enabled ? "1" : "0");
    std::string value;
    for (const std::string& pattern : s.patterns) {
        if (pattern.empty())
            continue;  // it would read as no pattern
        if (!value.empty())
            value += '\t';
        tabfile::appendEscaped(value, pattern);
    }
    doc.set(kGroup, kPatternsKey, value);
    return true;
}

OcrSettings load(SettingsFiles& files, const char* iniPath) {
    return read(readSettingsDocument(files, iniPath));
}

bool save(SettingsFiles& files, const char* iniPath, const OcrSettings& s) {
    if (isDefault(s) && !hasGroup(readSettingsDocument(files, iniPath)))
        return true;
    return rewriteSettingsDocument(files, iniPath, [&](IniDocument& doc) { write(s, doc); });
}

}  // namespace ocr_settings
