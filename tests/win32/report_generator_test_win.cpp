// Writing the report file and copying the record files beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "history/history.h"
#include "report/report_generator_win.h"
#include "settings/settings_store.h"
#include "tests/win32/support/win_test_support.h"

using testsupport::DialogAnswerer;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::ScopedWorkFolder;
using testsupport::WriteFileBytes;

namespace {

ReportJob JobFor(const std::string& folder) {
    ReportJob job;
    job.layout = 0;
    job.rowsPerPage = 5;
    job.imageWidth = -1;
    job.descriptionWidth = -1;
    std::strcpy(job.folder, folder.c_str());
    std::strcpy(job.fileName, "レポート");
    return job;
}

TEST(ReportGenerator, WritesCopiesAndAsksBeforeOverwriting) {
    ScopedWorkFolder work;
    const std::string hist = work.path() + "\\hist";
    const std::string out = work.path() + "\\out";
    ASSERT_TRUE(CreateDirectoryA(hist.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(hist + "\\A1.jpg", "jpeg bytes"));
    ASSERT_TRUE(WriteFileBytes(hist + "\\説明.txt", "一行目\r\n<二>"));

    history.clearRecords();
    std::strcpy(history.folder, hist.c_str());
    HistoryRecord& record = history.records[0];
    std::strcpy(record.comment, "画面");
    std::strcpy(record.imagePath, "\\A1.jpg");
    std::strcpy(record.textFile, "説明.txt");
    record.relative = 1;
    history.count = 1;
    Settings& s = settingsStore.settings;
    s.reportItemsPerRow = 1;
    s.reportNoImageCopy = 0;
    s.reportHtmlTags = 0;
    s.reportCoverPage = 0;

    const std::string report = out + "\\レポート.htm";
    ASSERT_TRUE(WriteHtmlReport(nullptr, JobFor(out)));
    const std::string html = ReadFileBytes(report);
    EXPECT_NE(html.find("<font size=2>一行目 <BR>&lt;二&gt;</font>"), std::string::npos) << html;
    EXPECT_EQ(html.substr(html.size() - 14), "</body></html>");
    EXPECT_EQ(ReadFileBytes(out + "\\A1.jpg"), "jpeg bytes");

    // Cancel leaves the existing file as it was and still counts as done.
    ASSERT_TRUE(WriteFileBytes(report, "old"));
    {
        DialogAnswerer answers;
        answers.press(IDCANCEL);
        EXPECT_TRUE(WriteHtmlReport(nullptr, JobFor(out)));
        ASSERT_EQ(answers.seen().size(), 1u);
        EXPECT_EQ(answers.seen()[0].caption, "確認");
        EXPECT_EQ(answers.seen()[0].text,
                  "同じ名前のファイルがあります。上書きしますか？\r\n" + report);
    }
    EXPECT_EQ(ReadFileBytes(report), "old");
    {
        DialogAnswerer answers;
        answers.press(IDOK);
        EXPECT_TRUE(WriteHtmlReport(nullptr, JobFor(out)));
        EXPECT_EQ(answers.seen().size(), 1u);
    }
    EXPECT_EQ(ReadFileBytes(report), html);
    history.clearRecords();
}

TEST(ReportGenerator, MissingFolderIsReportedAsFailure) {
    ScopedWorkFolder work;
    const std::string out = work.path() + "\\no such folder";
    DialogAnswerer answers;
    answers.press(IDOK);
    EXPECT_FALSE(WriteHtmlReport(nullptr, JobFor(out)));
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "ファイルのオープンに失敗しました");
    EXPECT_EQ(answers.seen()[0].caption, out + "\\レポート.htm");
    EXPECT_FALSE(FileExists(out + "\\レポート.htm"));
}

// Files of the output folder whose names start with `prefix`.
int CountFiles(const std::string& folder, const char* prefix) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do {
        ++n;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return n;
}

TEST(ReportGenerator, OldReportStaysWholeWhenItCannotBeReplaced) {
    ScopedWorkFolder work;
    const std::string out = work.path() + "\\out";
    ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
    history.clearRecords();
    const std::string report = out + "\\レポート.htm";
    ASSERT_TRUE(WriteFileBytes(report, "old report"));
    // Another program holds the old report open without sharing.
    HANDLE held = CreateFileA(report.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        DialogAnswerer answers;
        answers.press(IDOK);  // overwrite
        answers.press(IDOK);  // the failure
        EXPECT_FALSE(WriteHtmlReport(nullptr, JobFor(out)));
        ASSERT_EQ(answers.seen().size(), 2u);
        EXPECT_EQ(answers.seen()[1].text, "ファイルのオープンに失敗しました");
        EXPECT_EQ(answers.seen()[1].caption, report);
    }
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(report), "old report");
    EXPECT_EQ(CountFiles(out, "zcp"), 0);  // no temporary file left behind
}

TEST(ReportGenerator, ImagesOfOneNameFromTwoFoldersAreBothCopied) {
    ScopedWorkFolder work;
    const std::string out = work.path() + "\\out";
    ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
    history.clearRecords();
    const char* folders[] = {"a", "b"};
    for (int i = 0; i < 2; ++i) {
        const std::string folder = work.path() + "\\" + folders[i];
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(folder + "\\A1.jpg", folders[i]));
        std::strcpy(history.records[i].imagePath, (folder + "\\A1.jpg").c_str());
    }
    history.count = 2;
    settingsStore.settings.reportItemsPerRow = 1;
    settingsStore.settings.reportNoImageCopy = 0;
    ASSERT_TRUE(WriteHtmlReport(nullptr, JobFor(out)));
    EXPECT_EQ(ReadFileBytes(out + "\\A1.jpg"), "a");
    EXPECT_EQ(ReadFileBytes(out + "\\A1_2.jpg"), "b");
    const std::string html = ReadFileBytes(out + "\\レポート.htm");
    EXPECT_NE(html.find("<img src=A1_2.jpg "), std::string::npos) << html;
    history.clearRecords();
}

}  // namespace
