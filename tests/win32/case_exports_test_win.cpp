// The records' test cases on the export road: three captures through the
// real main window, a case set on each (OK, NG, 保留), then the workbook by
// the menu's "Excel出力" and by the script's entry, and the report by the
// road both the menu and /report take. The files go to a Japanese folder;
// tests/e2e/case_exports_e2e.sh runs this test with ZELCAP_CASE_EXPORTS
// naming a folder to keep them in, and reads them with openpyxl and
// headless Chromium.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "app/export_road_win.h"
#include "capture/capturer_win.h"
#include "history/history.h"
#include "resources/excel_ids.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"

using testsupport::DialogAnswerer;
using testsupport::ReadFileBytes;

namespace {

const char kProgress[] = "Excelファイルを作成しています";
const char kDone[] =
    "Excelファイルの作成処理が終了しました。\r\n出力した記録: 3件\r\n問題のあった記録: 0件";

testcase::TestCase Case(const char* id, const char* step, testcase::Verdict verdict) {
    testcase::TestCase c;
    c.testId = id;
    c.step = step;
    c.verdict = verdict;
    c.tester = "試験者";
    c.date = "2026/12/10";
    return c;
}

class CaseExportsTest : public testsupport::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        // The end-to-end run keeps the files where it can read them.
        const char* keep = std::getenv("ZELCAP_CASE_EXPORTS");
        sub_ = std::string(keep && *keep ? keep : folder_->path().c_str()) + "\\試験成績表ソ";
        CreateDirectoryA(sub_.c_str(), nullptr);
        std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s", sub_.c_str());
        std::snprintf(settingsStore.settings.reportFolder, kPathSize, "%s", sub_.c_str());
        capturer.prime(settingsStore.settings, history);
    }
    std::string InSub(const std::string& name) const { return sub_ + "\\" + name; }

    void CaptureThreeWithCases() {
        for (int i = 0; i < 3; ++i)
            SendMessageA(window_, WM_HOTKEY, 103, 0);
        ASSERT_EQ(history.count, 3);
        std::snprintf(history.fileName, sizeof history.fileName, "表示.csv");
        std::snprintf(history.folder, kPathSize, "%s", sub_.c_str());
        testsupport::PumpPending();
        testcase::TestCase one = Case("T-001", "1", testcase::Verdict::ok);
        one.expected = "画面が\r\n表示される";
        one.actual = "<b>&\"'ソ\\";
        testcase::TestCase two = Case("T-002", "2", testcase::Verdict::ng);
        two.actual = "エラー表示";
        testcase::TestCase three = Case("T-003", "3", testcase::Verdict::hold);
        three.remarks = "再試験";
        history.cases.set(history.records[0].id, one);
        history.cases.set(history.records[1].id, two);
        history.cases.set(history.records[2].id, three);
    }

    // The script's entry, its closing message answered.
    void WorkbookByScript(const std::string& path) {
        DialogAnswerer answers;
        answers.letRun(kProgress);
        answers.press(IDOK);
        ExcelOptions options;
        options.outputPath = path;
        EXPECT_TRUE(export_road::Workbook(window_, options));
        ASSERT_EQ(answers.seen().size(), 1u);
        EXPECT_EQ(answers.seen()[0].text, kDone);
    }

    void Report(const char* name) {
        ReportJob job = reportJobFromSettings(settingsStore.settings);
        std::snprintf(job.fileName, sizeof job.fileName, "%s", name);
        EXPECT_TRUE(export_road::Report(window_, job, ReportExtras{}));
    }

    std::string sub_;
};

// Each record's case is found by its id whichever road the export takes:
// the menu's workbook and the script's hold the same sheet; a history whose
// cases are gone exports without it.
TEST_F(CaseExportsTest, CasesReachTheWorkbookAndTheReportByEveryRoad) {
    CaptureThreeWithCases();
    // Moved rows keep their cases: the records' ids travel with them.
    std::swap(history.records[0], history.records[2]);
    RecordCases cases = export_road::Cases();
    ASSERT_EQ(cases.size(), 3u);
    EXPECT_EQ(cases[0].remarks, "再試験");
    EXPECT_EQ(cases[2].testId, "T-001");
    std::swap(history.records[0], history.records[2]);
    cases = export_road::Cases();
    EXPECT_EQ(cases[1].verdict, testcase::Verdict::ng);
    EXPECT_EQ(cases[2].remarks, "再試験");

    DialogAnswerer answers;
    answers.letRun(kProgress);
    answers.add([](HWND dialog) { testsupport::PressButton(dialog, IDC_EXCEL_OUTPUT); });
    answers.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_EXCEL, 0);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[1].text, kDone);
    EXPECT_EQ(ReadFileBytes(InSub("表示.xlsx")).substr(0, 2), "PK");

    WorkbookByScript(InSub("スクリプト.xlsx"));
    Report("成績");
    const std::string report = ReadFileBytes(InSub("成績.htm"));
    EXPECT_NE(report.find("<tr class=ng><td><a href=#2>2</a></td><td>T-002</td>"),
              std::string::npos);
    EXPECT_NE(report.find("<td>&lt;b&gt;&amp;\"'ソ\\</td>"), std::string::npos);

    // Without cases, nothing of the test-result sheet.
    history.cases.clear();
    EXPECT_TRUE(export_road::Cases().empty());
    WorkbookByScript(InSub("なし.xlsx"));
    Report("なし");
    EXPECT_EQ(ReadFileBytes(InSub("なし.htm")).find("zcases"), std::string::npos);
}

}  // namespace
