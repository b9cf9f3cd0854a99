// The options of the test cases, in the settings file's group "[TestCase]"
// of their own: the tester's name, the current case that hot-key and step
// captures are filed under, the widths of the list's two case columns and
// the stamp on each capture. A user who never sets one has no such group,
// and every other group stays byte for byte. Platform-free.
#pragma once

#include <cstdint>
#include <string>

#include "settings/ini_document.h"
#include "settings/settings_store.h"

enum class StampCorner : int32_t { bottomRight, bottomLeft, topRight, topLeft };

struct CaseSettings {
    std::string tester;         // 実施者; empty: the Windows user name
    std::string currentTestId;  // empty: captures get no case
    int32_t nextStep = 1;       // the 手順 the next capture of the case gets
    int32_t testIdColumnWidth = 90;
    int32_t verdictColumnWidth = 50;
    bool stamp = false;  // stamp each capture with date, tester and test ID
    StampCorner stampCorner = StampCorner::bottomRight;
    int32_t stampFontHeight = 14;  // pixels
    uint32_t stampTextColour = 0xFFFFFF;        // 0xRRGGBB
    uint32_t stampBackgroundColour = 0x000000;  // 0xRRGGBB
};

namespace case_settings {

extern const char* const kGroup;  // "TestCase"

constexpr int32_t kMaxNextStep = 99999;
constexpr int32_t kMinColumnWidth = 0, kMaxColumnWidth = 2000;
constexpr int32_t kMinStampFontHeight = 8, kMaxStampFontHeight = 72;

// The stored options over the defaults; a value out of range keeps its
// default. Texts are CP932 and cut at the case fields' limits.
CaseSettings read(const IniDocument& doc);
void write(const CaseSettings& s, IniDocument& doc);

CaseSettings load(SettingsFiles& files, const char* iniPath);
// Rewrites the group alone. False when the file cannot be read or written.
bool save(SettingsFiles& files, const char* iniPath, const CaseSettings& s);

}  // namespace case_settings
