// The [Excel] group of the settings file and the options' rules.
#include <gtest/gtest.h>

#include <string>

#include "report/excel_options.h"
#include "report/report_extras.h"
#include "tests/native/memory_settings_files.h"

namespace {

// Byte-exact INI text as the store writes it.
const std::string kOtherGroups =
    "[File_Set]\r\nJPEGモード=1\r\n[HTML]\r\nレイアウト=2\r\nタイトル名=表示\r\n";

using testsupport::MemoryFiles;

TEST(ExcelOptions, RoundTripInAGroupOfItsOwn) {
    MemoryFiles files;
    files.contents = kOtherGroups;
    ExcelOptions o;
    o.layout = WorkbookLayout::oneSheet;
    o.pictureSize = PictureSize::actual;
    o.includeDescription = false;
    o.includeDigests = false;
    o.title = "表示ソフト";
    ASSERT_TRUE(excel_options::save(files, "Zelcap.ini", o));
    EXPECT_EQ(files.contents.substr(0, kOtherGroups.size()), kOtherGroups);
    EXPECT_EQ(files.contents.substr(kOtherGroups.size()),
              "\r\n[Excel]\r\nレイアウト=1\r\n画像サイズ=0\r\n説明文=0\r\nSHA-256表示=0\r\n"
              "タイトル=表示ソフト\r\n");
    const ExcelOptions back = excel_options::load(files, "Zelcap.ini");
    EXPECT_EQ(back.layout, WorkbookLayout::oneSheet);
    EXPECT_EQ(back.pictureSize, PictureSize::actual);
    EXPECT_FALSE(back.includeDescription);
    EXPECT_FALSE(back.includeDigests);
    EXPECT_EQ(back.title, "表示ソフト");
}

TEST(ReportExtras, OnByDefaultAndKeptBesideTheReportGroup) {
    MemoryFiles files;
    files.contents = kOtherGroups;
    EXPECT_TRUE(report_extras::load(files, "Zelcap.ini").showDigests);
    ASSERT_TRUE(report_extras::save(files, "Zelcap.ini", ReportExtras{false}));
    EXPECT_EQ(files.contents, kOtherGroups + "\r\n[HTML_Ext]\r\nSHA-256表示=0\r\n");
    EXPECT_FALSE(report_extras::load(files, "Zelcap.ini").showDigests);
    files.contents = kOtherGroups + "[HTML_Ext]\r\nSHA-256表示=2\r\n";
    EXPECT_TRUE(report_extras::load(files, "Zelcap.ini").showDigests);
}

TEST(ExcelOptions, MissingOrOddValuesKeepTheDefaultsAndAnUnreadableFileIsKept) {
    MemoryFiles files;
    files.contents = kOtherGroups + "[Excel]\r\nレイアウト=7\r\n画像サイズ=x\r\nタイトル=\r\n";
    const ExcelOptions o = excel_options::load(files, "Zelcap.ini");
    const ExcelOptions defaults;
    EXPECT_EQ(o.layout, defaults.layout);
    EXPECT_EQ(o.pictureSize, PictureSize::actual);  // "x" reads as 0, like every int key
    EXPECT_EQ(o.includeDescription, defaults.includeDescription);
    EXPECT_EQ(o.title, "");
    files.readable = false;
    files.contents = "kept";
    EXPECT_FALSE(excel_options::save(files, "Zelcap.ini", o));
    EXPECT_EQ(files.contents, "kept");
}

TEST(ExcelOptions, DefaultOutputPathAndValidation) {
    struct Case {
        const char* folder;
        const char* name;
        const char* path;
    } cases[] = {
        {"C:\\試験", "履歴.csv", "C:\\試験\\履歴.xlsx"},
        {"C:\\表", "表.csv", "C:\\表\\表.xlsx"},  // trail bytes 0x5C
        {"C:\\a", "新規", "C:\\a\\新規.xlsx"},
        {"C:\\a", "v1.2.csv", "C:\\a\\v1.2.xlsx"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(excel_options::defaultOutputPath(c.folder, c.name), c.path) << c.name;

    ExcelOptions o;
    o.outputPath = "C:\\a\\b.xlsx";
    EXPECT_EQ(excel_options::validate(o), "");
    o.outputPath = "";
    EXPECT_EQ(excel_options::validate(o), "出力ファイルを指定してください。");
    o.outputPath = "C:\\a\\";
    EXPECT_EQ(excel_options::validate(o), "出力ファイルの名前を指定してください。");
    o.outputPath = "C:\\表";  // ends in a trail byte 0x5C, not a backslash
    EXPECT_EQ(excel_options::validate(o), "");
    o.outputPath = std::string(300, 'a');
    EXPECT_EQ(excel_options::validate(o), "出力ファイルのパスが長すぎます。");
}

}  // namespace
