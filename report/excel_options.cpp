#include "report/excel_options.h"

#include "base/cp932.h"
#include "settings/settings_rules.h"

namespace excel_options {

const char* const kGroup = "Excel";

namespace {

constexpr const char* kLayoutKey = "レイアウト";
constexpr const char* kPictureKey = "画像サイズ";
constexpr const char* kDescriptionKey = "説明文";
constexpr const char* kTitleKey = "タイトル";
constexpr const char* kDigestsKey = "SHA-256表示";

// A value outside 0 and 1 (edited by hand, or from a later version) keeps
// the default rather than reaching the writer as an unknown enumerator.
int readChoice(const IniDocument& doc, const char* key, int fallback) {
    return settings_rules::readIntInRange(doc, kGroup, key, fallback, 0, 1);
}

}  // namespace

ExcelOptions read(const IniDocument& doc) {
    ExcelOptions o;
    o.layout = static_cast<WorkbookLayout>(readChoice(doc, kLayoutKey, static_cast<int>(o.layout)));
    o.pictureSize =
        static_cast<PictureSize>(readChoice(doc, kPictureKey, static_cast<int>(o.pictureSize)));
    o.includeDescription = readChoice(doc, kDescriptionKey, o.includeDescription ? 1 : 0) == 1;
    o.includeDigests = readChoice(doc, kDigestsKey, o.includeDigests ? 1 : 0) == 1;
    if (const auto title = doc.get(kGroup, kTitleKey))
        o.title = *title;
    return o;
}

void write(const ExcelOptions& o, IniDocument& doc) {
    doc.set(kGroup, kLayoutKey, settings_rules::formatInt(static_cast<int32_t>(o.layout)));
    doc.set(kGroup, kPictureKey, settings_rules::formatInt(static_cast<int32_t>(o.pictureSize)));
    doc.set(kGroup, kDescriptionKey, o.includeDescription ? "1" : "0");
    doc.set(kGroup, kDigestsKey, o.includeDigests ? "1" : "0");
    doc.set(kGroup, kTitleKey, o.title);
}

ExcelOptions load(SettingsFiles& files, const char* iniPath) {
    return read(readSettingsDocument(files, iniPath));
}

bool save(SettingsFiles& files, const char* iniPath, const ExcelOptions& options) {
    return rewriteSettingsDocument(files, iniPath, [&](IniDocument& doc) { write(options, doc); });
}

std::string defaultOutputPath(const char* historyFolder, const char* historyFileName) {
    std::string name = historyFileName;
    // The extension is the part after the last dot of the name, found with
    // the double-byte rule so that a trail byte never passes for a dot.
    if (const char* dot = cp932::findLastChar(historyFileName, '.'))
        name.resize(static_cast<std::size_t>(dot - historyFileName));
    std::string path = historyFolder;
    if (!path.empty())
        path += '\\';
    return path + name + ".xlsx";
}

std::string validate(const ExcelOptions& o) {
    if (o.outputPath.empty())
        return "出力ファイルを指定してください。";
    if (o.outputPath.size() >= static_cast<std::size_t>(kPathSize))
        return "出力ファイルのパスが長すぎます。";
    const char* slash = cp932::findLastChar(o.outputPath.c_str(), '\\');
    const char* name = slash ? slash + 1 : o.outputPath.c_str();
    if (name[0] == '\0')
        return "出力ファイルの名前を指定してください。";
    return {};
}

}  // namespace excel_options
