#include "settings/case_settings.h"

#include <cstdio>
#include <cstdlib>

#include "base/cp932.h"
#include "settings/settings_rules.h"

namespace case_settings {

const char* const kGroup = "TestCase";

namespace {

constexpr const char* kTesterKey = "実施者";
constexpr const char* kTestIdKey = "テストID";
constexpr const char* kNextStepKey = "次の手順";
constexpr const char* kTestIdWidthKey = "テストID列幅";
constexpr const char* kVerdictWidthKey = "判定列幅";
constexpr const char* kStampKey = "スタンプ";
constexpr const char* kCornerKey = "スタンプ位置";
constexpr const char* kFontKey = "スタンプ文字高";
constexpr const char* kTextColourKey = "スタンプ文字色";
constexpr const char* kBackgroundKey = "スタンプ背景色";
constexpr std::size_t kTextLimit = 64;  // the test ID's and the tester's

int32_t readInt(const IniDocument& doc, const char* key, int32_t fallback, int32_t low,
                int32_t high) {
    return settings_rules::readIntInRange(doc, kGroup, key, fallback, low, high);
}

std::string readText(const IniDocument& doc, const char* key) {
    std::string text = doc.get(kGroup, key).value_or("");
    text.resize(cp932::cutLength(text.data(), text.size(), kTextLimit));
    return text;
}

// Six hex digits, "RRGGBB"; anything else keeps the default.
uint32_t readColour(const IniDocument& doc, const char* key, uint32_t fallback) {
    const auto text = doc.get(kGroup, key);
    if (!text || text->size() != 6 ||
        text->find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return fallback;
    return static_cast<uint32_t>(std::strtoul(text->c_str(), nullptr, 16));
}

std::string formatColour(uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(colour & 0xFFFFFF));
    return text;
}

}  // namespace

CaseSettings read(const IniDocument& doc) {
    CaseSettings s;
    s.tester = readText(doc, kTesterKey);
    s.currentTestId = readText(doc, kTestIdKey);
    s.nextStep = readInt(doc, kNextStepKey, s.nextStep, 1, kMaxNextStep);
    s.testIdColumnWidth =
        readInt(doc, kTestIdWidthKey, s.testIdColumnWidth, kMinColumnWidth, kMaxColumnWidth);
    s.verdictColumnWidth =
        readInt(doc, kVerdictWidthKey, s.verdictColumnWidth, kMinColumnWidth, kMaxColumnWidth);
    s.stamp = readInt(doc, kStampKey, 0, 0, 1) == 1;
    s.stampCorner = static_cast<StampCorner>(readInt(doc, kCornerKey, 0, 0, 3));
    s.stampFontHeight = readInt(doc, kFontKey, s.stampFontHeight, kMinStampFontHeight,
                                kMaxStampFontHeight);
    s.stampTextColour = readColour(doc, kTextColourKey, s.stampTextColour);
    s.stampBackgroundColour = readColour(doc, kBackgroundKey, s.stampBackgroundColour);
    return s;
}

void write(const CaseSettings& s, IniDocument& doc) {
    doc.set(kGroup, kTesterKey, s.tester);
    doc.set(kGroup, kTestIdKey, s.currentTestId);
    doc.set(kGroup, kNextStepKey, settings_rules::formatInt(s.nextStep));
    doc.set(kGroup, kTestIdWidthKey, settings_rules::formatInt(s.testIdColumnWidth));
    doc.set(kGroup, kVerdictWidthKey, settings_rules::formatInt(s.verdictColumnWidth));
    doc.set(kGroup, kStampKey, s.stamp ? "1" : "0");
    doc.set(kGroup, kCornerKey, settings_rules::formatInt(static_cast<int32_t>(s.stampCorner)));
    doc.set(kGroup, kFontKey, settings_rules::formatInt(s.stampFontHeight));
    doc.set(kGroup, kTextColourKey, formatColour(s.stampTextColour));
    doc.set(kGroup, kBackgroundKey, formatColour(s.stampBackgroundColour));
}

CaseSettings load(SettingsFiles& files, const char* iniPath) {
    return read(readSettingsDocument(files, iniPath));
}

bool save(SettingsFiles& files, const char* iniPath, const CaseSettings& s) {
    return rewriteSettingsDocument(files, iniPath, [&](IniDocument& doc) { write(s, doc); });
}

}  // namespace case_settings
