#include "app/export_road_win.h"

#include <string>

#include "base/cp932.h"
#include "base/sha256_win.h"
#include "history/evidence_book_win.h"
#include "history/evidence_verify_win.h"
#include "history/history.h"
#include "report/excel_export_win.h"
#include "report/report_generator_win.h"
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
    return WriteHtmlReport(owner, job, Evidence(), Cases());
}

ReportExtras StoredReportExtras() {
    Win32SettingsFiles files;
    return report_extras::load(files, settingsStore.iniPath);
}

bool Workbook(HWND owner, const ExcelOptions& options) {
    return ExportExcelWorkbook(owner, options, Evidence(), Cases());
}

void WorkbookCommand(HWND owner) {
    RunExcelExport(owner, Evidence(), Cases());
}

}  // namespace export_road
