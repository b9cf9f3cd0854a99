#include "app/export_road_win.h"

#include <string>

#include "app/capture_stamp_win.h"
#include "app/retest_road_win.h"
#include "base/cp932.h"
#include "base/sha256_win.h"
#include "history/evidence_book_win.h"
#include "history/evidence_verify_win.h"
#include "history/history.h"
#include "pack/pack_dialog_win.h"
#include "pack/pack_win.h"
#include "report/excel_export_win.h"
#include "report/report_generator_win.h"
#include "settings/case_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"

namespace export_road {

ExportDigests Evidence() {
    ExportDigests digests;
    digests.pinned = [](const std::string& path, Sha256Digest& out) {
        return evidenceBook.pinned(path, out);
    };
    digests.ofFile = win::sha256File;
    if (history.filePath[0] != '\0') {
        const std::string manifest = EvidenceFileBeside(history.filePath, ".sha256");
        if (win::sha256File(manifest, digests.manifest)) {
            const char* slash = cp932::findLastChar(manifest.c_str(), '\\');
            digests.manifestName = slash ? slash + 1 : manifest;
            digests.unsavedChanges = history.modified != 0;
        }
    }
    return digests;
}

ExportComparison Comparison() {
    return retest_road::Comparison();
}

RecordCases Cases() {
    RecordCases cases;
    if (history.cases.empty())
        return cases;
    cases.resize(static_cast<std::size_t>(history.count));
    for (int i = 0; i < history.count; ++i)
        if (const testcase::TestCase* c = history.cases.find(history.records[i].id))
            cases[static_cast<std::size_t>(i)] = *c;
    if (!anyCase(cases))
        cases.clear();
    return cases;
}

bool Report(HWND owner, ReportJob job, const ReportExtras& extras) {
    job.showDigests = extras.showDigests;
    return WriteHtmlReport(owner, job, Evidence(), Cases(), Comparison());
}

ReportExtras StoredReportExtras() {
    Win32SettingsFiles files;
    return report_extras::load(files, settingsStore.iniPath);
}

bool Workbook(HWND owner, const ExcelOptions& options) {
    return ExportExcelWorkbook(owner, options, Evidence(), Cases(), Comparison());
}

void WorkbookCommand(HWND owner) {
    RunExcelExport(owner, Evidence(), Cases(), Comparison());
}

bool Pack(HWND owner, const PackSettings& settings, int* unreadable) {
    pack_win::PackSources sources;
    sources.digests = Evidence();
    sources.cases = Cases();
    Win32SettingsFiles files;
    const std::string tester = case_settings::load(files, settingsStore.iniPath).tester;
    sources.author = tester.empty() ? capture_stamp::WindowsUserName() : tester;
    if (!history.untitled) {
        sources.manifestPath = EvidenceFileBeside(history.filePath, ".sha256");
        sources.logPath = EvidenceFileBeside(history.filePath, ".zlog");
    }
    return pack_win::WritePack(owner, settings, sources, unreadable);
}

PackSettings StoredPackSettings() {
    Win32SettingsFiles files;
    PackSettings settings = pack_settings::load(files, settingsStore.iniPath);
    if (settings.target.empty()) {
        const char* base = history.untitled ? "新規" : history.filePath;
        settings.target = history.untitled ? std::string(history.folder) + "\\" + base
                                           : EvidenceFileBeside(base, "");
        settings.target += settings.pdf ? ".pdf" : ".html";
    }
    return settings;
}

void PackCommand(HWND owner) {
    PackSettings settings = StoredPackSettings();
    if (pack_win::RunPackDialog(owner, settings))
        Pack(owner, settings);
}

}  // namespace export_road
