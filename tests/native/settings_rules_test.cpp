#include "settings/settings_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using settings_rules::parseInt;

Settings builtIns() {
    Settings s;
    std::memset(&s, 0x5A, sizeof s);  // setBuiltIns must overwrite every field
    settings_rules::setBuiltIns(s);
    return s;
}

// Reads all three groups of `text` the way load does, starting from built-ins.
Settings readAll(const std::string& text, const char* startDirectory = "C:\\work") {
    const IniDocument doc(text);
    Settings s = builtIns();
    settings_rules::readFileSettings(doc, startDirectory, s);
    settings_rules::readWindowSettings(doc, s);
    settings_rules::readReportSettings(doc, startDirectory, s);
    return s;
}

TEST(SettingsParseInt, TakesTheLeadingDecimalNumber) {
    EXPECT_EQ(parseInt("42"), 42);
    EXPECT_EQ(parseInt("-5"), -5);
    EXPECT_EQ(parseInt(" \t17px"), 17);
    EXPECT_EQ(parseInt("007"), 7);
    EXPECT_EQ(parseInt("12 34"), 12);
}

TEST(SettingsParseInt, ReadsZeroWithoutALeadingNumber) {
    EXPECT_EQ(parseInt(""), 0);
    EXPECT_EQ(parseInt("abc"), 0);
    EXPECT_EQ(parseInt("-"), 0);
    EXPECT_EQ(parseInt("- 3"), 0);
    EXPECT_EQ(parseInt("+3"), 0);
    EXPECT_EQ(parseInt("x12"), 0);
}

TEST(SettingsParseInt, WrapsModulo2To32) {
    EXPECT_EQ(parseInt("2147483647"), 2147483647);
    EXPECT_EQ(parseInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(parseInt("2147483648"), INT32_MIN);
    EXPECT_EQ(parseInt("4294967295"), -1);
    EXPECT_EQ(parseInt("4294967297"), 1);
    EXPECT_EQ(parseInt("99999999999999999999"), static_cast<int32_t>(1661992959u));
}

TEST(SettingsBuiltIns, MatchTheNoFileState) {
    const Settings s = builtIns();
    EXPECT_EQ(s.startNumber, 1);
    EXPECT_EQ(s.offscreenBlack, 1);
    EXPECT_EQ(s.maxNumber, 999999);
    EXPECT_EQ(s.keepImagesOnDelete, 1);
    EXPECT_EQ(s.confirmOverwrite, 0);
    EXPECT_EQ(s.jpegQuality, 0);
    for (const HotKeyEntry& h : s.hotKeys) {
        EXPECT_EQ(h.modifiers, 0);
        EXPECT_EQ(h.virtualKey, 0);
        EXPECT_EQ(h.monitored, 0);
        EXPECT_EQ(h.markerChoice, 0);
    }
    EXPECT_STREQ(s.saveFolder, "");
    EXPECT_STREQ(s.textApp, "");
    EXPECT_STREQ(s.reportFolder, "");
    EXPECT_STREQ(s.generalFont.faceName, "");
    EXPECT_EQ(s.generalFont.width, 0);
    EXPECT_EQ(s.generalFont.weight, 0);
    EXPECT_EQ(s.historyFont.charSet, 0);
    EXPECT_EQ(s.imageFont.pointSize, 10);
    EXPECT_EQ(s.windowWidth, 100);
    EXPECT_EQ(s.windowHeight, 100);
    for (int32_t w : s.columnWidths)
        EXPECT_EQ(w, 100);
    EXPECT_EQ(s.reportCoverPage, 0);
    EXPECT_STREQ(s.reportTitle, "");
}

TEST(SettingsReadDefaults, AbsentKeysTakeTheirDefaults) {
    const Settings s = readAll("[Other]\r\nx=1\r\n", "D:\\start");
    EXPECT_EQ(s.startNumber, 0);
    EXPECT_EQ(s.offscreenBlack, 1);
    EXPECT_EQ(s.maxNumber, 999999);
    EXPECT_EQ(s.keepImagesOnDelete, 1);
    EXPECT_STREQ(s.csvTitle, "NOTITLE");
    EXPECT_STREQ(s.comment, "NOTITLE");
    EXPECT_STREQ(s.saveFolder, "D:\\start");
    EXPECT_STREQ(s.imageFilePrefix, "");
    EXPECT_STREQ(s.generalFont.faceName, "MS ゴシック");
    EXPECT_STREQ(s.historyFont.faceName, "MS ゴシック");
    EXPECT_EQ(s.imageFont.height, 10);
    EXPECT_EQ(s.historyFont.pointSize, 10);
    EXPECT_EQ(s.generalFont.weight, 400);
    EXPECT_EQ(s.generalFont.italic, 0);
    EXPECT_STREQ(s.imageApp, "");
    EXPECT_STREQ(s.textApp, "notepad");
    EXPECT_EQ(s.windowX, 0);
    EXPECT_EQ(s.windowWidth, 100);
    for (int32_t w : s.columnWidths)
        EXPECT_EQ(w, 30);
    EXPECT_EQ(s.reportLayout, 0);
    EXPECT_STREQ(s.reportFolder, "D:\\start");
    EXPECT_STREQ(s.reportFileName, "report1");
    EXPECT_STREQ(s.reportTitle, "レポート１");
    EXPECT_EQ(s.reportNoImageCopy, 0);
    EXPECT_EQ(s.reportCoverPage, 1);
    EXPECT_EQ(s.reportItemNumbers, 1);
    EXPECT_EQ(s.reportHtmlTags, 1);
    EXPECT_EQ(s.reportLargeImageLink, 1);
    EXPECT_EQ(s.reportTocSplit, 0);
}

TEST(SettingsReadDefaults, PresentEmptyValuesAreNotDefaults) {
    const Settings s = readAll(
        "[File_Set]\r\n保存先=\r\nコメント=\r\n起動アプリ：テキスト=\r\n範囲外カット=\r\n"
        "ファイル名最大番号=\r\n[HTML]\r\n出力先=\r\nタイトル名=\r\n表紙作成=\r\n");
    EXPECT_STREQ(s.saveFolder, "");
    EXPECT_STREQ(s.comment, "");
    EXPECT_STREQ(s.textApp, "");
    EXPECT_EQ(s.offscreenBlack, 0);
    EXPECT_EQ(s.maxNumber, 0);
    EXPECT_STREQ(s.reportFolder, "");
    EXPECT_STREQ(s.reportTitle, "");
    EXPECT_EQ(s.reportCoverPage, 0);
}

TEST(SettingsHotKeys, BothZeroGetShiftIAndLoseMonitoring) {
    const Settings s = readAll(
        "[File_Set]\r\n"
        "画面全体：修飾キー=0\r\n画面全体：キー=82\r\n画面全体：監視=1\r\n画面全体：選択=2\r\n"
        "Aウィンドウ：修飾キー=0\r\nAウィンドウ：キー=0\r\nAウィンドウ：監視=1\r\n"
        "Aウィンドウ：選択=3\r\n"
        "画面全体P：修飾キー=6\r\n画面全体P：キー=0\r\n画面全体P：監視=1\r\n"
        "AウィンドウD：修飾キー=2\r\nAウィンドウD：キー=68\r\nAウィンドウD：監視=1\r\n");

    // Key 82 without modifiers is a real key.
    EXPECT_EQ(s.hotKeys[0].modifiers, 0);
    EXPECT_EQ(s.hotKeys[0].virtualKey, 82);
    EXPECT_EQ(s.hotKeys[0].monitored, 1);
    EXPECT_EQ(s.hotKeys[0].markerChoice, 2);

    // Both 0: Shift+I, not monitored, marker choice as read.
    EXPECT_EQ(s.hotKeys[1].modifiers, 1);
    EXPECT_EQ(s.hotKeys[1].virtualKey, 0x49);
    EXPECT_EQ(s.hotKeys[1].monitored, 0);
    EXPECT_EQ(s.hotKeys[1].markerChoice, 3);

    // Modifiers alone also count as set.
    EXPECT_EQ(s.hotKeys[2].modifiers, 6);
    EXPECT_EQ(s.hotKeys[2].virtualKey, 0);
    EXPECT_EQ(s.hotKeys[2].monitored, 1);

    EXPECT_EQ(s.hotKeys[7].modifiers, 2);
    EXPECT_EQ(s.hotKeys[7].virtualKey, 68);
    EXPECT_EQ(s.hotKeys[7].monitored, 1);

    // Kinds without keys at all.
    for (int i : {3, 4, 5, 6}) {
        EXPECT_EQ(s.hotKeys[i].modifiers, 1) << i;
        EXPECT_EQ(s.hotKeys[i].virtualKey, 0x49) << i;
        EXPECT_EQ(s.hotKeys[i].monitored, 0) << i;
        EXPECT_EQ(s.hotKeys[i].markerChoice, 0) << i;
    }
}

TEST(SettingsWindow, ZeroColumnWidthBecomes30) {
    const Settings s =
        readAll("[Window]\r\nX位置=-8\r\n幅=640\r\n項目１幅=0\r\n項目２幅=abc\r\n項目３幅=-5\r\n");
    EXPECT_EQ(s.windowX, -8);
    EXPECT_EQ(s.windowY, 0);
    EXPECT_EQ(s.windowWidth, 640);
    EXPECT_EQ(s.windowHeight, 100);
    EXPECT_EQ(s.columnWidths[0], 30);
    EXPECT_EQ(s.columnWidths[1], 30);
    EXPECT_EQ(s.columnWidths[2], -5);
    EXPECT_EQ(s.columnWidths[3], 30);
}

TEST(SettingsFonts, ItalicKeepsTheLowByteAndIsWrittenUnsigned) {
    Settings s = readAll("[File_Set]\r\n全体フォント斜体=257\r\n画像フォント斜体=-1\r\n");
    EXPECT_EQ(s.generalFont.italic, 1);
    EXPECT_EQ(s.imageFont.italic, 255);
    EXPECT_EQ(s.historyFont.italic, 0);

    IniDocument out;
    settings_rules::writeFileSettings(s, out);
    EXPECT_EQ(out.get("File_Set", "全体フォント斜体"), std::string("1"));
    EXPECT_EQ(out.get("File_Set", "画像フォント斜体"), std::string("255"));
}

TEST(SettingsTexts, LongTextsAreCutWithoutSplittingACharacter) {
    const std::string ascii(200, 'x');
    Settings s = readAll("[File_Set]\r\nコメント=" + ascii + "\r\n");
    EXPECT_EQ(std::string(s.comment), ascii.substr(0, 128));

    // 127 single bytes then "あ": byte 128 would be half of it.
    const std::string split = std::string(127, 'y') + "あ" + "zz";
    s = readAll("[File_Set]\r\nコメント=" + split + "\r\n");
    EXPECT_EQ(std::string(s.comment), std::string(127, 'y'));

    // Exactly 128 bytes ending in a whole double-byte character stays whole.
    const std::string fits = std::string(126, 'y') + "あ";
    s = readAll("[File_Set]\r\nコメント=" + fits + "\r\n");
    EXPECT_EQ(std::string(s.comment), fits);

    s = readAll("[File_Set]\r\n全体フォント名=" + std::string(29, 'f') + "明朝\r\n");
    EXPECT_EQ(std::string(s.generalFont.faceName), std::string(29, 'f') + "明");

    s = readAll("[File_Set]\r\nCSVタイトル=" + std::string(70, 't') + "\r\n");
    EXPECT_EQ(std::string(s.csvTitle), std::string(63, 't'));
}

TEST(SettingsWrite, FreshFileSetGroupListsKeysInFileOrder) {
    IniDocument doc;
    settings_rules::writeFileSettings(builtIns(), doc);
    EXPECT_EQ(doc.serialize(),
              "[File_Set]\r\n"
              "CSV自動保存=0\r\n"
              "上書き確認=0\r\n"
              "JPEGモード=0\r\n"
              "JPEG品質=0\r\n"
              "画像ファイル開始番号=1\r\n"
              "保存先オプション=0\r\n"
              "範囲外カット=1\r\n"
              "ファイル名最大番号=999999\r\n"
              "履歴削除=1\r\n"
              "ファイル連番０追加=0\r\n"
              "画面全体：修飾キー=0\r\n画面全体：キー=0\r\n画面全体：監視=0\r\n画面全体：選択=0\r\n"
              "Aウィンドウ：修飾キー=0\r\nAウィンドウ：キー=0\r\nAウィンドウ：監視=0\r\n"
              "Aウィンドウ：選択=0\r\n"
              "画面全体P：修飾キー=0\r\n画面全体P：キー=0\r\n画面全体P：監視=0\r\n"
              "画面全体P：選択=0\r\n"
              "AウィンドウP：修飾キー=0\r\nAウィンドウP：キー=0\r\nAウィンドウP：監視=0\r\n"
              "AウィンドウP：選択=0\r\n"
              "画面全体C：修飾キー=0\r\n画面全体C：キー=0\r\n画面全体C：監視=0\r\n"
              "画面全体C：選択=0\r\n"
              "AウィンドウC：修飾キー=0\r\nAウィンドウC：キー=0\r\nAウィンドウC：監視=0\r\n"
              "AウィンドウC：選択=0\r\n"
              "画面全体D：修飾キー=0\r\n画面全体D：キー=0\r\n画面全体D：監視=0\r\n"
              "画面全体D：選択=0\r\n"
              "AウィンドウD：修飾キー=0\r\nAウィンドウD：キー=0\r\nAウィンドウD：監視=0\r\n"
              "AウィンドウD：選択=0\r\n"
              "CSVタイトル=\r\n"
              "コメント=\r\n"
              "コメント選択=0\r\n"
              "保存先=\r\n"
              "画像ファイル名=\r\n"
              "全体フォント名=\r\n画像フォント名=\r\n履歴フォント名=\r\n"
              "全体フォント高さ=0\r\n画像フォント高さ=0\r\n履歴フォント高さ=0\r\n"
              "全体フォントサイズ=10\r\n画像フォントサイズ=10\r\n履歴フォントサイズ=10\r\n"
              "全体フォント太さ=0\r\n画像フォント太さ=0\r\n履歴フォント太さ=0\r\n"
              "全体フォント斜体=0\r\n画像フォント斜体=0\r\n履歴フォント斜体=0\r\n"
              "起動アプリ：画像=\r\n"
              "起動アプリ：テキスト=\r\n");
}

TEST(SettingsWrite, FreshWindowAndReportGroupsListKeysInFileOrder) {
    Settings s = builtIns();
    s.windowX = -4;
    s.columnWidths[2] = -5;
    s.reportImageWidth = -1;
    s.reportCommentWidth = -2;
    s.reportFrameColour = 0x00FF8000;
    std::strcpy(s.reportFolder, "C:\\out");
    std::strcpy(s.reportTitle, "レポート２");

    IniDocument doc;
    settings_rules::writeWindowSettings(s, doc);
    settings_rules::writeReportSettings(s, doc);
    EXPECT_EQ(doc.serialize(),
              "[Window]\r\n"
              "X位置=-4\r\nY位置=0\r\n幅=100\r\n高さ=100\r\n"
              "項目１幅=100\r\n項目２幅=100\r\n項目３幅=-5\r\n項目４幅=100\r\n"
              "\r\n"
              "[HTML]\r\n"
              "レイアウト=0\r\n最大イメージ数=0\r\nイメージ幅=-1\r\nコメント幅=-2\r\n"
              "出力先=C:\\out\r\nファイル名=\r\nタイトル名=レポート２\r\n"
              "画像コピーしない=0\r\n表紙作成=0\r\n番号表示=0\r\nタグ使用=0\r\n拡大画像リンク=0\r\n"
              "枠色=16744448\r\n背景色=0\r\n１行項目数=0\r\n目次分割数=0\r\n");
}

TEST(SettingsWrite, EveryFieldSurvivesAWriteAndRead) {
    Settings s = builtIns();
    s.confirmOverwrite = 1;
    s.jpegMode = 1;
    s.autoSaveHistory = 1;
    s.jpegQuality = 85;
    s.startNumber = 123;
    for (int i = 0; i < kCaptureKindCount; ++i) {
        s.hotKeys[i] = HotKeyEntry{2 + i, 0x41 + i, i % 2, i + 10};
    }
    s.folderOption = 1;
    s.offscreenBlack = 0;
    s.maxNumber = 5000;
    s.keepImagesOnDelete = 0;
    s.zeroPadNumbers = 1;
    std::strcpy(s.csvTitle, "タイトル");
    std::strcpy(s.comment, "画面 = 表示");
    s.commentSource = 1;
    std::strcpy(s.saveFolder, "C:\\画像\\保存");
    std::strcpy(s.imageFilePrefix, "AAA");
    std::strcpy(s.generalFont.faceName, "ＭＳ 明朝");
    std::strcpy(s.imageFont.faceName, "Arial");
    std::strcpy(s.historyFont.faceName, "メイリオ");
    s.generalFont.height = -13;
    s.imageFont.pointSize = 12;
    s.historyFont.weight = 700;
    s.historyFont.italic = 1;
    std::strcpy(s.imageApp, "C:\\bin\\view.exe");
    std::strcpy(s.textApp, "C:\\bin\\edit.exe");
    s.windowX = 10;
    s.windowY = -20;
    s.windowWidth = 800;
    s.windowHeight = 600;
    s.columnWidths[0] = 1;
    s.columnWidths[3] = 250;
    s.reportLayout = 4;
    s.reportRowsPerPage = 3;
    s.reportImageWidth = 320;
    s.reportCommentWidth = -2;
    std::strcpy(s.reportFolder, "D:\\report");
    std::strcpy(s.reportFileName, "今日");
    std::strcpy(s.reportTitle, "試験");
    s.reportNoImageCopy = 1;
    s.reportCoverPage = 0;
    s.reportItemNumbers = 0;
    s.reportHtmlTags = 0;
    s.reportLargeImageLink = 0;
    s.reportFrameColour = 0x0000FF;
    s.reportBackgroundColour = 0xFFFFFF;
    s.reportItemsPerRow = 2;
    s.reportTocSplit = 5;

    IniDocument doc;
    settings_rules::writeFileSettings(s, doc);
    settings_rules::writeWindowSettings(s, doc);
    settings_rules::writeReportSettings(s, doc);
    const Settings back = readAll(doc.serialize(), "C:\\elsewhere");
    EXPECT_EQ(std::memcmp(&back, &s, sizeof s), 0);

    // Blanks at the ends and enclosing quotes, which the reading strips, are
    // kept too: the prefix goes into every capture file name.
    std::strcpy(s.imageFilePrefix, "AAA ");
    std::strcpy(s.comment, " ");
    std::strcpy(s.reportTitle, "\"週報\"");
    std::strcpy(s.saveFolder, " C:\\x");
    settings_rules::writeFileSettings(s, doc);
    settings_rules::writeReportSettings(s, doc);
    const Settings again = readAll(doc.serialize(), "C:\\elsewhere");
    EXPECT_STREQ(again.imageFilePrefix, "AAA ");
    EXPECT_STREQ(again.comment, " ");
    EXPECT_STREQ(again.reportTitle, "\"週報\"");
    EXPECT_STREQ(again.saveFolder, " C:\\x");
}

}  // namespace
