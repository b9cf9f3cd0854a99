#include "report/report_extras.h"

namespace report_extras {

const char* const kGroup = "HTML_Ext";

namespace {

constexpr const char* kDigestsKey = "SHA-256表示";

}  // namespace

ReportExtras read(const IniDocument& doc) {
    ReportExtras extras;
    // Anything but "0" and "1" (edited by hand) keeps the default.
    if (const auto text = doc.get(kGroup, kDigestsKey)) {
        if (*text == "0" || *text == "1")
            extras.showDigests = *text == "1";
    }
    return extras;
}

void write(const ReportExtras& extras, IniDocument& doc) {
    doc.set(kGroup, kDigestsKey, extras.showDigests ? "1" : "0");
}

ReportExtras load(SettingsFiles& files, const char* iniPath) {
    return read(readSettingsDocument(files, iniPath));
}

bool save(SettingsFiles& files, const char* iniPath, const ReportExtras& extras) {
    return rewriteSettingsDocument(files, iniPath, [&](IniDocument& doc) { write(extras, doc); });
}

}  // namespace report_extras
