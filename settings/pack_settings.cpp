#include "settings/pack_settings.h"

#include "base/cp932.h"
#include "settings/settings_rules.h"

namespace pack_settings {

const char* const kGroup = "Pack";

namespace {

constexpr const char* kTargetKey = "出力先";
constexpr const char* kFormatKey = "形式";
constexpr const char* kCoverKey = "表紙";
constexpr const char* kNumbersKey = "番号";
constexpr const char* kDigestsKey = "SHA-256";
constexpr const char* kCasesKey = "試験成績書";
constexpr const char* kPerPageKey = "1ページの記録数";

bool readFlag(const IniDocument& doc, const char* key, bool fallback) {
    return settings_rules::readIntInRange(doc, kGroup, key, fallback ? 1 : 0, 0, 1) == 1;
}

}  // namespace

PackSettings read(const IniDocument& doc) {
    PackSettings s;
    s.target = doc.get(kGroup, kTargetKey).value_or("");
    // A path longer than Windows' file names can be is no target.
    if (s.target.size() >= static_cast<std::size_t>(kPathSize))
        s.target.clear();
    const std::string format = doc.get(kGroup, kFormatKey).value_or("HTML");
    s.pdf = cp932::equalFoldingAscii(format.data(), format.size(), "PDF", 3);
    s.coverPage = readFlag(doc, kCoverKey, s.coverPage);
    s.itemNumbers = readFlag(doc, kNumbersKey, s.itemNumbers);
    s.showDigests = readFlag(doc, kDigestsKey, s.showDigests);
    s.caseTable = readFlag(doc, kCasesKey, s.caseTable);
    s.recordsPerPage = settings_rules::readIntInRange(doc, kGroup, kPerPageKey, s.recordsPerPage,
                                                      kMinRecordsPerPage, kMaxRecordsPerPage);
    return s;
}

void write(const PackSettings& s, IniDocument& doc) {
    doc.set(kGroup, kTargetKey, s.target);
    doc.set(kGroup, kFormatKey, s.pdf ? "PDF" : "HTML");
    doc.set(kGroup, kCoverKey, s.coverPage ? "1" : "0");
    doc.set(kGroup, kNumbersKey, s.itemNumbers ? "1" : "0");
    doc.set(kGroup, kDigestsKey, s.showDigests ? "1" : "0");
    doc.set(kGroup, kCasesKey, s.caseTable ? "1" : "0");
    doc.set(kGroup, kPerPageKey, settings_rules::formatInt(s.recordsPerPage));
}

namespace {

bool endsWith(const std::string& path, const char* suffix) {
    const std::size_t n = std::char_traits<char>::length(suffix);
    return path.size() > n &&
           cp932::equalFoldingAscii(path.data() + path.size() - n, n, suffix, n);
}

}  // namespace

bool isPdfPath(const std::string& path) {
    return endsWith(path, ".pdf");
}

std::string validate(const PackSettings& s) {
    const std::string& t = s.target;
    if (t.empty())
        return "出力ファイルを指定してください。";
    if (t.size() >= static_cast<std::size_t>(kPathSize))
        return "出力ファイルのパスが長すぎます。";
    const bool drive = t.size() > 3 && t[1] == ':' && t[2] == '\\';
    const bool share = t.size() > 2 && t[0] == '\\' && t[1] == '\\';
    const cp932::NameParts parts = cp932::nameParts(t.data(), t.size());
    if ((!drive && !share) || parts.nameStart >= t.size())
        return "出力ファイルはドライブから（または \\\\サーバー から）指定してください。";
    if (s.pdf ? !isPdfPath(t) : !(endsWith(t, ".html") || endsWith(t, ".htm")))
        return s.pdf ? "PDF のファイル名は .pdf で終えてください。"
                     : "HTML のファイル名は .html で終えてください。";
    return {};
}

PackSettings load(SettingsFiles& files, const char* iniPath) {
    return read(readSettingsDocument(files, iniPath));
}

bool save(SettingsFiles& files, const char* iniPath, const PackSettings& s) {
    return rewriteSettingsDocument(files, iniPath, [&](IniDocument& doc) { write(s, doc); });
}

}  // namespace pack_settings
