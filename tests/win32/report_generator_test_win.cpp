// Writing the report file and copying the record files beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/sha256_win.h"
#include "base/win_handles_win.h"
#include "history/history.h"
#include "report/report_generator_win.h"
#include "report/workbook_text.h"
#include "settings/settings_store.h"
#include "tests/fuzz/sample_images.h"
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

// Files (not folders) of the output folder whose names start with `prefix`.
int CountFiles(const std::string& folder, const char* prefix) {
    return static_cast<int>(testsupport::FilesMatching(folder + "\\" + prefix + "*").size());
}

TEST(ReportGenerator, OldReportStaysWholeWhenItCannotBeReplaced) {
    ScopedWorkFolder work;
    const std::string out = work.path() + "\\out";
    ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
    history.clearRecords();
    // The copies are made before the report's text: they must go again.
    ASSERT_TRUE(WriteFileBytes(work.path() + "\\画面1.jpg", "jpeg"));
    std::strcpy(history.records[0].imagePath, (work.path() + "\\画面1.jpg").c_str());
    history.count = 1;
    settingsStore.settings.reportNoImageCopy = 0;
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
    EXPECT_FALSE(FileExists(out + "\\画面1.jpg"));
    history.clearRecords();
}

// Without a manifest each digest comes from the bytes the copy read: it must
// be the digest of the file, across the copy's pieces, and the copy must be
// the file's, with its time, as CopyFileA made it, with digests shown or
// not. A picture already in the output folder is not copied and is hashed
// as before.
TEST(ReportGenerator, DigestsOfCopiedPicturesAreThoseOfTheFiles) {
    std::string large((2 << 20) + 7, '\0');
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>(i * 2654435761u >> 13);
    const struct {
        const char* name;
        std::string bytes;
    } pictures[] = {{"空.jpg", ""}, {"小さい.jpg", "jpeg"}, {"大きい.jpg", large},
                    {"一枚目.jpg", std::string(1 << 20, 'x')}, {"出力済み.jpg", "already"}};
    for (const bool digests : {true, false}) {
        ScopedWorkFolder work;
        const std::string hist = work.path() + "\\履歴";
        const std::string out = work.path() + "\\出力";
        ASSERT_TRUE(CreateDirectoryA(hist.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
        history.clearRecords();
        std::strcpy(history.folder, hist.c_str());
        for (const auto& p : pictures) {
            ASSERT_TRUE(WriteFileBytes(hist + "\\" + p.name, p.bytes));
            std::strcpy(history.records[history.count++].imagePath, (hist + "\\" + p.name).c_str());
        }
        ASSERT_TRUE(WriteFileBytes(out + "\\出力済み.jpg", "already"));
        // An old picture's time, which the copy keeps.
        FILETIME old{0x12345678, 0x01D00000};
        {
            const win::FileHandle file(CreateFileA((hist + "\\大きい.jpg").c_str(),
                                                   FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                                   0, nullptr));
            ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &old));
        }
        settingsStore.settings.reportItemsPerRow = 1;
        settingsStore.settings.reportNoImageCopy = 0;
        ReportJob job = JobFor(out);
        job.showDigests = digests;
        ASSERT_TRUE(WriteHtmlReport(nullptr, job));
        const std::string html = ReadFileBytes(out + "\\レポート.htm");
        std::size_t at = 0;
        for (const auto& p : pictures) {
            Sha256Digest digest;
            ASSERT_TRUE(win::sha256File(hist + "\\" + p.name, digest));
            at = html.find("SHA-256: " + sha256Hex(digest), at);
            EXPECT_EQ(at != std::string::npos, digests) << p.name;
            at = at == std::string::npos ? 0 : at;
            EXPECT_EQ(ReadFileBytes(out + "\\" + p.name), p.bytes) << p.name;
        }
        WIN32_FILE_ATTRIBUTE_DATA copied{};
        ASSERT_TRUE(
            GetFileAttributesExA((out + "\\大きい.jpg").c_str(), GetFileExInfoStandard, &copied));
        EXPECT_EQ(CompareFileTime(&copied.ftLastWriteTime, &old), 0) << digests;
        history.clearRecords();
    }
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

// Every pair of names that Windows takes for one file: a record's copy must
// neither land on the other record's copy nor on a file the folder held
// before, and a second report must find its own copies again.
TEST(ReportGenerator, CopiesKeepClearOfNamesWindowsTakesForOne) {
    ScopedWorkFolder work;
    const std::string out = work.path() + "\\out";
    ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(out + "\\ж.jpg", "somebody's"));
    ASSERT_TRUE(WriteFileBytes(out + "\\X.JPG", "x"));  // an earlier report's copy
    ASSERT_TRUE(CreateDirectoryA((out + "\\ＤＩＲ.jpg").c_str(), nullptr));  // a folder's name
    struct Record {
        const char* folder;
        const char* name;
        const char* bytes;
        const char* copy;  // the name in the output folder
    } records[] = {
        {"a", "画面Ａ.jpg", "full-width capital", "画面Ａ.jpg"},
        {"b", "画面ａ.jpg", "full-width small", "画面ａ_2.jpg"},
        {"c", "Ж.jpg", "Cyrillic", "Ж_2.jpg"},
        {"d", "ΣΑ.jpg", "Greek capitals", "ΣΑ.jpg"},
        {"e", "σα.jpg", "Greek small", "σα_2.jpg"},
        {"f", "ⅰ.jpg", "Roman small", "ⅰ.jpg"},
        {"g", "Ⅰ.jpg", "Roman capital", "Ⅰ_2.jpg"},
        {"h", "x.jpg", "x", "x.jpg"},
        {"i", "ｄｉｒ.jpg", "beside a folder", "ｄｉｒ_2.jpg"},
    };
    history.clearRecords();
    int count = 0;
    for (const Record& r : records) {
        const std::string folder = work.path() + "\\" + r.folder;
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(folder + "\\" + r.name, r.bytes));
        std::strcpy(history.records[count++].imagePath, (folder + "\\" + r.name).c_str());
    }
    history.count = count;
    settingsStore.settings.reportItemsPerRow = 1;
    settingsStore.settings.reportNoImageCopy = 0;
    for (int run = 1; run <= 2; ++run) {
        DialogAnswerer answers;
        answers.press(IDOK);  // the second run overwrites the report
        ASSERT_TRUE(WriteHtmlReport(nullptr, JobFor(out)));
        const std::string html = ReadFileBytes(out + "\\レポート.htm");
        for (const Record& r : records) {
            EXPECT_EQ(ReadFileBytes(out + "\\" + r.copy), r.bytes) << r.copy << " run " << run;
            EXPECT_NE(html.find(std::string("<img src=") + r.copy + " "), std::string::npos)
                << r.copy << " run " << run;
        }
        EXPECT_EQ(ReadFileBytes(out + "\\ж.jpg"), "somebody's");
        // The eight copies, the two files that were there, and the report.
        EXPECT_EQ(CountFiles(out, ""), 11) << "run " << run;
    }
    history.clearRecords();
}

// The workbook's sheet names are folded without the platform; the fold must
// be the one Windows applies, for every character code page 932 holds.
TEST(ReportGenerator, NameFoldIsWindowsOwnForEveryCp932Character) {
    std::vector<std::string> characters;
    for (int c = 0x20; c <= 0xFF; ++c)
        if (!IsDBCSLeadByteEx(932, static_cast<BYTE>(c)))
            characters.push_back(std::string(1, static_cast<char>(c)));
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (IsDBCSLeadByteEx(932, static_cast<BYTE>(lead)) && trail != 0x7F)
                characters.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    int compared = 0, folded = 0;
    std::string differing;
    for (const std::string& c : characters) {
        wchar_t wide[4] = {};
        if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, c.data(), static_cast<int>(c.size()),
                                wide, 4) != 1)
            continue;  // unassigned
        ++compared;
        const std::string ours = workbook_text::foldCase(workbook_text::fromCp932(c));
        wchar_t fold[4] = {};
        const int length =
            MultiByteToWideChar(CP_UTF8, 0, ours.data(), static_cast<int>(ours.size()), fold, 4);
        wchar_t upper[2] = {wide[0], 0};
        CharUpperBuffW(upper, 1);
        folded += upper[0] != wide[0];
        if (length != 1 || fold[0] != upper[0] ||
            CompareStringOrdinal(wide, 1, fold, length, TRUE) != CSTR_EQUAL) {
            char hex[48];
            std::snprintf(hex, sizeof hex, " %02X%02X:U+%04X->U+%04X", c[0] & 0xFF,
                          c.size() > 1 ? c[1] & 0xFF : 0, wide[0], upper[0]);
            differing += hex;
        }
    }
    EXPECT_GT(compared, 7000);
    // The small letters: ASCII, Greek, Cyrillic, full-width Latin and the
    // two rows of Roman numerals. Without them the comparison shows nothing.
    EXPECT_GE(folded, 129);
    EXPECT_EQ(differing, "");
}

std::string Bmp(bool box) {
    const std::vector<uint8_t> f =
        samples::bmp(32, 24, [box](int x, int y, int) { return box && x < 8 && y < 8 ? 0 : 180; });
    return std::string(f.begin(), f.end());
}

// A re-test's diff picture goes beside the report in Japanese folders: a
// second report finds its own diff there and links it again, and a
// different file of that name is left alone for a numbered one.
TEST(ReportGenerator, DiffPictureOfARetestIsWrittenBesideTheReport) {
    ScopedWorkFolder work;
    const std::string hist = work.path() + "\\今回ソ";
    const std::string before = work.path() + "\\前回表";
    const std::string out = work.path() + "\\出力";
    for (const std::string& folder : {hist, before, out})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(hist + "\\画面.bmp", Bmp(false)));
    ASSERT_TRUE(WriteFileBytes(before + "\\画面.bmp", Bmp(true)));
    history.clearRecords();
    std::strcpy(history.folder, hist.c_str());
    std::strcpy(history.records[0].comment, "画面");
    std::strcpy(history.records[0].imagePath, "\\画面.bmp");
    history.records[0].relative = 1;
    history.count = 1;
    settingsStore.settings.reportNoImageCopy = 0;
    testcase::TestCase c;
    c.testId = "T-表";
    ExportComparison comparison;
    comparison.active = true;
    comparison.baselineCsv = before + "\\履歴.csv";
    comparison.records.resize(1);
    comparison.records[0].proposal = retest::propose({true, 64, 768, false}, {"能: 1 → 2"});
    comparison.records[0].baselinePicture = before + "\\画面.bmp";
    const std::string report = out + "\\レポート.htm";
    const std::string diff = out + "\\画面_diff.png";

    ASSERT_TRUE(WriteHtmlReport(nullptr, JobFor(out), {}, {c}, comparison));
    const std::string png = ReadFileBytes(diff);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    std::string html = ReadFileBytes(report);
    EXPECT_NE(html.find("<img src=画面_diff.png border='0'>"), std::string::npos);
    EXPECT_NE(html.find("能: 1 → 2"), std::string::npos);
    EXPECT_NE(html.find("<td>差分あり</td>"), std::string::npos);
    {
        DialogAnswerer answers;
        answers.press(IDOK);  // overwrite the report
        ASSERT_TRUE(WriteHtmlReport(nullptr, JobFor(out), {}, {c}, comparison));
    }
    EXPECT_EQ(ReadFileBytes(report), html);
    EXPECT_EQ(CountFiles(out, "画面_diff"), 1);

    ASSERT_TRUE(WriteFileBytes(diff, "someone's"));
    {
        DialogAnswerer answers;
        answers.press(IDOK);
        ASSERT_TRUE(WriteHtmlReport(nullptr, JobFor(out), {}, {c}, comparison));
    }
    EXPECT_EQ(ReadFileBytes(diff), "someone's");
    EXPECT_EQ(ReadFileBytes(out + "\\画面_diff_2.png"), png);
    EXPECT_NE(ReadFileBytes(report).find("<img src=画面_diff_2.png border='0'>"),
              std::string::npos);
    history.clearRecords();
}

}  // namespace
