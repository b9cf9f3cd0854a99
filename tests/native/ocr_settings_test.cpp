// The [OCR] group: off and without patterns, the settings file is not
// touched at all; what is set comes back, patterns with tabs, backslashes
// and the trail byte 0x5C of 表 too.
#include "settings/ocr_settings.h"

#include <gtest/gtest.h>

#include "tests/native/memory_settings_files.h"

namespace {

TEST(OcrSettingsTest, OffWritesNothing) {
    testsupport::MemoryFiles files;
    files.contents = "[File_Set]\n保存先=C:\\表\n";  // LF alone: a rewrite would make it CR LF
    EXPECT_TRUE(ocr_settings::save(files, "Zelcap.ini", OcrSettings{}));
    EXPECT_EQ(files.contents, "[File_Set]\n保存先=C:\\表\n");
    const OcrSettings read = ocr_settings::load(files, "Zelcap.ini");
    EXPECT_FALSE(read.enabled);
    EXPECT_TRUE(read.patterns.empty());

    OcrSettings on;
    on.enabled = true;
    ASSERT_TRUE(ocr_settings::save(files, "Zelcap.ini", on));
    EXPECT_TRUE(ocr_settings::load(files, "Zelcap.ini").enabled);
    // Turned off again, the group says so rather than keeping "1".
    ASSERT_TRUE(ocr_settings::save(files, "Zelcap.ini", OcrSettings{}));
    EXPECT_FALSE(ocr_settings::load(files, "Zelcap.ini").enabled);
    EXPECT_NE(files.contents.find("[OCR]\r\n文字読み取り=0\r\n"), std::string::npos) << files.contents;
}

TEST(OcrSettingsTest, PatternsComeBack) {
    OcrSettings s;
    s.patterns = {"社員番号 ####", "表\\ソ", "a\tb", " lead blank", "\\#1", "?"};
    IniDocument doc;
    ASSERT_TRUE(ocr_settings::write(s, doc));
    const OcrSettings back = ocr_settings::read(IniDocument(doc.serialize()));
    EXPECT_FALSE(back.enabled);
    EXPECT_EQ(back.patterns, s.patterns);

    // Edited by hand: a damaged escape drops its pattern alone; 2 is no 0 or 1.
    const OcrSettings odd = ocr_settings::read(
        IniDocument("[OCR]\r\n文字読み取り=2\r\n個人情報パターン=ok\t\\q\t\tnext\r\n"));
    EXPECT_FALSE(odd.enabled);
    EXPECT_EQ(odd.patterns, (std::vector<std::string>{"ok", "next"}));
}

}  // namespace
