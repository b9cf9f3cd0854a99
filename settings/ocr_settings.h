// The options of reading the text in captures, in the settings file's group
// "[OCR]" of its own: whether captures are read (off until the user turns
// it on) and the user's personal-data patterns. While both are as they are
// by default and the file has no such group, nothing is written: the file
// stays byte for byte. Platform-free.
//
// The patterns are one value, "個人情報パターン", each pattern escaped as
// base/tab_file.h says and the patterns joined by tabs, so that any
// pattern, a tab or a backslash in it too, comes back as it was.
#pragma once

#include <string>
#include <vector>

#include "settings/ini_document.h"
#include "settings/settings_store.h"

struct OcrSettings {
    bool enabled = false;               // 文字読み取り
    std::vector<std::string> patterns;  // 個人情報パターン, CP932
};

namespace ocr_settings {

extern const char* const kGroup;  // "OCR"

// The patterns read at the most; the rest are passed over.
constexpr std::size_t kMaxPatterns = 100;

OcrSettings read(const IniDocument& doc);
// Sets the group's keys, unless the options are the defaults and the
// document has no group of them yet; true when it set them.
bool write(const OcrSettings& s, IniDocument& doc);

OcrSettings load(SettingsFiles& files, const char* iniPath);
// Rewrites the group alone, and only when write() would set it. False when
// the file cannot be read or written.
bool save(SettingsFiles& files, const char* iniPath, const OcrSettings& s);

}  // namespace ocr_settings
