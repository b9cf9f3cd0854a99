// The pack's [Pack] group: a round trip through the file's text, the
// defaults for what is missing or out of range, and the other groups left
// as they were.
#include "settings/pack_settings.h"

#include <gtest/gtest.h>

#include "tests/native/memory_settings_files.h"

namespace {

TEST(PackSettings, RoundTripAndOddValues) {
    PackSettings s;
    s.target = "C:\\証跡\\表.html";  // 表: a trail byte 0x5C
    s.pdf = true;
    s.coverPage = false;
    s.showDigests = false;
    s.recordsPerPage = 3;
    IniDocument doc;
    pack_settings::write(s, doc);
    const PackSettings back = pack_settings::read(IniDocument(doc.serialize()));
    EXPECT_EQ(back.target, s.target);
    EXPECT_TRUE(back.pdf);
    EXPECT_FALSE(back.coverPage);
    EXPECT_TRUE(back.itemNumbers);
    EXPECT_FALSE(back.showDigests);
    EXPECT_EQ(back.recordsPerPage, 3);

    const PackSettings odd = pack_settings::read(
        IniDocument("[Pack]\r\n形式=TIFF\r\n表紙=7\r\n1ページの記録数=9\r\n"));
    EXPECT_FALSE(odd.pdf);
    EXPECT_TRUE(odd.coverPage);
    EXPECT_EQ(odd.recordsPerPage, 1);
}

TEST(PackSettings, TargetMustBeAFullPathOfItsFormat) {
    const struct {
        const char* target;
        bool pdf, ok;
    } kCases[] = {
        {"C:\\証跡\\表.html", false, true}, {"C:\\a.HTM", false, true},
        {"\\\\srv\\s\\a.pdf", true, true}, {"C:\\a.pdf", false, false},
        {"C:\\a.html", true, false},         {"a.html", false, false},
        {"C:\\dir\\", false, false},         {"", false, false},
    };
    for (const auto& c : kCases) {
        PackSettings s;
        s.target = c.target;
        s.pdf = c.pdf;
        EXPECT_EQ(pack_settings::validate(s).empty(), c.ok) << c.target;
    }
}

TEST(PackSettings, SavingTouchesNoOtherGroup) {
    testsupport::MemoryFiles files;
    files.contents = "[HTML]\r\nタイトル=x ; kept\r\n";
    ASSERT_TRUE(pack_settings::save(files, "z.ini", PackSettings{}));
    EXPECT_EQ(files.contents.rfind("[HTML]\r\nタイトル=x ; kept\r\n", 0), 0u) << files.contents;
    EXPECT_NE(files.contents.find("[Pack]"), std::string::npos);
}

}  // namespace
