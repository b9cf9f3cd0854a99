// The platform-free half of the evidence workbook: CP932 to UTF-8, sheet
// names, picture probing and sizing, and the writer's counts and failures.
// What the workbook holds is read back with openpyxl (tests/workbook/).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

#include "report/picture_probe.h"
#include "report/workbook_names.h"
#include "report/workbook_text.h"
#include "report/workbook_writer.h"
#include "tests/fuzz/sample_images.h"
#include "tests/workbook/map_source.h"

namespace {

std::string bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b)
        s += static_cast<char>(c);
    return s;
}

TEST(WorkbookText, ConvertsCp932AsWindowsDoes) {
    struct Case {
        const char* what;
        std::string cp932;
        std::string utf8;
    } cases[] = {
        {"表, second byte 0x5C", bytes({0x95, 0x5C}), u8"表"},
        {"ソ, second byte 0x5C", bytes({0x83, 0x5C}), u8"ソ"},
        {"能, second byte 0x5C", bytes({0x94, 0x5C}), u8"能"},
        {"表 before a backslash", bytes({0x95, 0x5C, 0x5C, 'a'}), u8"表\\a"},
        {"lone lead byte at the end", bytes({'A', 0x95}), "A?"},
        {"lone lead byte does not eat the next character", bytes({0x95, '0', '1'}), "?01"},
        {"a lead byte before 'A' is a character", bytes({0x95, 'A'}), u8"柊"},
        {"lone lead byte before a line end", bytes({0x82, 0x0D, 0x0A}), "?\r\n"},
        {"lone lead byte then 表", bytes({0x95, ' ', 0x95, 0x5C}), u8"? 表"},
        {"half-width katakana", bytes({0xB1, 0xDF}), u8"ｱﾟ"},
        {"hiragana", bytes({0x82, 0xA0}), u8"あ"},
        {"NEC special character", bytes({0x87, 0x40}), u8"①"},
        {"unassigned pair", bytes({0x85, 0x40}), "?"},
        {"NUL", bytes({'a', 0, 'b'}), "a?b"},
        {"ASCII", "C:\\a b~", "C:\\a b~"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(workbook_text::fromCp932(c.cp932), c.utf8) << c.what;
}

TEST(WorkbookText, LengthsPrefixesAndLines) {
    EXPECT_EQ(workbook_text::length(u8"表aソ"), 3u);
    EXPECT_EQ(workbook_text::prefix(u8"表aソ", 2), u8"表a");
    EXPECT_EQ(workbook_text::prefix(u8"表", 5), u8"表");
    EXPECT_EQ(workbook_text::firstLine("one\r\ntwo"), "one");
    std::vector<std::string> lines;
    workbook_text::forEachLine("a\r\n\r\nb\nc\rd\r\n",
                               [&](std::string_view l) { lines.emplace_back(l); });
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "c", "d"}));
}

// The cover's first description line is cut to a cell with a visible mark.
TEST(WorkbookText, ACutTextEndsInAnEllipsisWithinTheLimit) {
    const std::string mark = "\xE2\x80\xA6";
    const std::string kana = "\xE3\x81\x82";  // あ
    EXPECT_EQ(workbook_text::cutWithMark("abc", 3), "abc");
    EXPECT_EQ(workbook_text::cutWithMark("abcd", 3), "ab" + mark);
    EXPECT_EQ(workbook_text::cutWithMark(kana + kana + kana + "x", 3), kana + kana + mark);
    const std::string cell = workbook_text::cutWithMark(std::string(32768, 'x'), 32767);
    EXPECT_EQ(workbook_text::length(cell), 32767u);
    EXPECT_EQ(cell.substr(cell.size() - 3), mark);
}

TEST(WorkbookNames, SheetNamesFollowTheWorkbookRules) {
    SheetNames names;
    names.reserve(u8"表紙");
    const std::string long40(40, 'x');
    struct Case {
        const char* what;
        std::string heading;
        std::string name;
    } cases[] = {
        {"forbidden characters", "a[b]c:d*e?f/g\\h", "a_b_c_d_e_f_g_h"},
        {"control characters dropped", "a\tb\nc", "abc"},
        {"apostrophes trimmed", "'quoted'", "quoted"},
        {"empty", "", u8"記録4"},
        {"only forbidden apostrophes", "''", u8"記録5"},
        {"cut to 31", long40, std::string(31, 'x')},
        {"duplicate of a cut name", long40, std::string(27, 'x') + " (2)"},
        {"cover name taken", u8"表紙", u8"表紙 (2)"},
        {"case-blind duplicate", "XYZ", "XYZ"},
        {"case-blind duplicate 2", "xyz", "xyz (2)"},
        {"case-blind duplicate 3", "Xyz", "Xyz (3)"},
        {"reserved by Excel", "history", "history (2)"},
        {"full-width", u8"画面Ａ", u8"画面Ａ"},
        {"full-width in small letters", u8"画面ａ", u8"画面ａ (2)"},
        {"Greek", u8"ΣΑ", u8"ΣΑ"},
        {"Greek in small letters", u8"σα", u8"σα (2)"},
        {"Cyrillic with ё", u8"ёж", u8"ёж"},
        {"Cyrillic in capitals", u8"ЁЖ", u8"ЁЖ (2)"},
        {"Roman numeral", u8"ⅰ", u8"ⅰ"},
        {"Roman numeral in capitals", u8"Ⅰ", u8"Ⅰ (2)"},
        {"kana has no case", u8"ァ", u8"ァ"},
        {"nor does the half-width form", u8"ｧ", u8"ｧ"},
        {"nor is the full-width A the ASCII one", u8"画面A", u8"画面A"},
        {"Japanese cut by characters",
         u8"表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表",
         u8"表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表"},
    };
    int number = 1;
    for (const Case& c : cases) {
        const std::string made = names.make(c.heading, number++);
        EXPECT_EQ(made, c.name) << c.what;
        EXPECT_LE(workbook_text::length(made), SheetNames::kMaxLength) << c.what;
    }
}

TEST(WorkbookNames, CellReferencesQuoteTheSheet) {
    EXPECT_EQ(cellReference(u8"表紙", 5), u8"'表紙'!A5");
    EXPECT_EQ(cellReference("it's", 1), "'it''s'!A1");
}

std::string jpegFile(int width, int height, int densityUnit = 0, int density = 1) {
    samples::Jpeg j;
    j.width = width;
    j.height = height;
    j.samples.assign(static_cast<std::size_t>(width) * height * 3, 0x80);
    std::vector<uint8_t> file = samples::encode(j);
    if (densityUnit != 0) {
        // JFIF APP0 right after SOI: units at 13, densities at 14 and 16.
        file[13] = static_cast<uint8_t>(densityUnit);
        file[14] = file[16] = static_cast<uint8_t>(density >> 8);
        file[15] = file[17] = static_cast<uint8_t>(density & 0xFF);
    }
    return std::string(file.begin(), file.end());
}

std::string bmpFile(int width, int height) {
    const std::vector<uint8_t> file = samples::bmp(width, height, [](int, int, int) { return 0; });
    return std::string(file.begin(), file.end());
}

// A gray PNG, with a pHYs chunk after IHDR when pixelsPerMetre is not 0
// (the probe reads no CRC, so it is left zero).
std::string pngFile(png_uint_32 width, png_uint_32 height, uint32_t pixelsPerMetre = 0) {
    samples::Png p;
    p.width = width;
    p.height = height;
    p.colorType = PNG_COLOR_TYPE_GRAY;
    p.rows.assign(p.rowBytes() * height, 0x80);
    std::vector<uint8_t> file = samples::encode(p);
    if (pixelsPerMetre != 0) {
        std::vector<uint8_t> chunk = {0, 0, 0, 9, 'p', 'H', 'Y', 's'};
        for (int axis = 0; axis < 2; ++axis)
            for (int shift = 24; shift >= 0; shift -= 8)
                chunk.push_back(static_cast<uint8_t>(pixelsPerMetre >> shift));
        chunk.insert(chunk.end(), {1, 0, 0, 0, 0});
        file.insert(file.begin() + 33, chunk.begin(), chunk.end());
    }
    return std::string(file.begin(), file.end());
}

PictureInfo probe(const std::string& file) {
    return probePicture(reinterpret_cast<const uint8_t*>(file.data()), file.size());
}

TEST(PictureProbe, ReadsSizesAndRejectsWhatTheLibraryCannotEmbed) {
    const std::string jpeg = jpegFile(33, 17);
    const std::string bmp = bmpFile(21, 9);
    // Height -9 (rows stored top-down), and -2^31, which has no magnitude.
    std::string topDown = bmp, noHeight = bmp;
    for (int i = 0; i < 4; ++i) {
        topDown[22 + i] = static_cast<char>(static_cast<uint32_t>(-9) >> (8 * i));
        noHeight[22 + i] = static_cast<char>(0x80000000u >> (8 * i));
    }
    struct Case {
        const char* what;
        std::string file;
        PictureKind kind;
        uint32_t width, height;
        double dpiX;
    } cases[] = {
        {"jpeg", jpeg, PictureKind::jpeg, 33, 17, 96},
        {"jpeg at 200 dpi", jpegFile(8, 8, 1, 200), PictureKind::jpeg, 8, 8, 200},
        {"jpeg at 100 dots/cm", jpegFile(8, 8, 2, 100), PictureKind::jpeg, 8, 8, 254},
        {"bmp", bmp, PictureKind::bmp, 21, 9, 96},
        {"png", pngFile(13, 6), PictureKind::png, 13, 6, 96},
        {"png at 3937 dots/m", pngFile(4, 3, 3937), PictureKind::png, 4, 3, 3937 * 0.0254},
        {"png cut in IHDR", pngFile(13, 6).substr(0, 20), PictureKind::none, 0, 0, 96},
        {"top-down bmp", topDown, PictureKind::bmp, 21, 9, 96},
        {"bmp of height -2^31", noHeight, PictureKind::none, 0, 0, 96},
        {"jpeg cut before its frame", jpeg.substr(0, 30), PictureKind::none, 0, 0, 96},
        {"bmp headers cut", bmp.substr(0, 40), PictureKind::none, 0, 0, 96},
        {"text", "hello, world", PictureKind::none, 0, 0, 96},
        {"empty", "", PictureKind::none, 0, 0, 96},
    };
    for (const Case& c : cases) {
        const PictureInfo info = probe(c.file);
        EXPECT_EQ(info.kind, c.kind) << c.what;
        EXPECT_EQ(info.width, c.width) << c.what;
        EXPECT_EQ(info.height, c.height) << c.what;
        EXPECT_DOUBLE_EQ(info.dpiX, c.dpiX) << c.what;
    }
}

TEST(WorkbookLayout, PictureScaleAndRows) {
    using namespace workbook_layout;
    PictureInfo wide;
    wide.kind = PictureKind::jpeg;
    wide.width = 1920;
    wide.height = 1080;
    PictureInfo narrow = wide;
    narrow.width = 640;
    narrow.height = 30;
    PictureInfo sharp = wide;
    sharp.dpiX = sharp.dpiY = 192;  // shown 960 x 540
    EXPECT_DOUBLE_EQ(pictureScale(wide, PictureSize::actual), 1.0);
    EXPECT_DOUBLE_EQ(pictureScale(wide, PictureSize::fitWidth), kPrintableWidth / 1920);
    EXPECT_DOUBLE_EQ(pictureScale(narrow, PictureSize::fitWidth), 1.0);
    EXPECT_DOUBLE_EQ(pictureScale(sharp, PictureSize::fitWidth), kPrintableWidth / 960);
    EXPECT_EQ(pictureRows(wide, 1.0), 54);
    EXPECT_EQ(pictureRows(narrow, 1.0), 2);  // 30 px: a row and a half
    EXPECT_EQ(pictureRows(sharp, 1.0), 27);
    EXPECT_EQ(pictureRows(wide, kPrintableWidth / 1920), 19);  // 370.98 px
    EXPECT_EQ(descriptionRow(19), 23);
}

TEST(WorkbookWriter, CountsRecordsWithSomethingMissingAndFailsOnAnUnwritablePath) {
    MapSource source;
    source.files["a.jpg"] = jpegFile(16, 16);
    source.files["b.bmp"] = bmpFile(4, 4);
    source.files["broken.jpg"] = "not a picture";
    source.files["e.png"] = pngFile(5, 3);
    // A line one character longer than a cell holds, and one that fits.
    source.files["long.txt"] = "first\r\n" + std::string(32768, 'x');
    source.files["full.txt"] = "first\r\n" + std::string(32767, 'x');
    const std::vector<WorkbookRecord> records = {
        {"2004/07/16 10:23:45", "a", "a.jpg", "full.txt"},
        {"2004/07/16 10:23:46", "b", "b.bmp", "missing.txt"},  // a problem
        {"2004/07/16 10:23:47", "c", "gone.jpg", ""},          // a problem
        {"2004/07/16 10:23:48", "d", "broken.jpg", ""},        // a problem
        {"2004/07/16 10:23:49", "e", "e.png", "long.txt"},     // a problem
    };
    WorkbookOptions options;
    char dir[] = "/tmp/zelcap-workbook-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/out.xlsx";
    for (WorkbookLayout layout : {WorkbookLayout::sheetPerRecord, WorkbookLayout::oneSheet}) {
        options.layout = layout;
        const WorkbookResult result = writeWorkbook(path, records, options, source);
        EXPECT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.written, 5);
        EXPECT_EQ(result.problems, 4);
        FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        char magic[2] = {};
        EXPECT_EQ(std::fread(magic, 1, 2, f), 2u);
        EXPECT_EQ(std::string(magic, 2), "PK");
        std::fclose(f);
        std::remove(path.c_str());
    }
    const WorkbookResult bad =
        writeWorkbook(std::string(dir) + "/no/such/folder/out.xlsx", records, options, source);
    EXPECT_FALSE(bad.ok);
    EXPECT_FALSE(bad.error.empty());
    rmdir(dir);
}

// The progress is told before each record; a false answer stops the export
// with no workbook claimed.
TEST(WorkbookWriter, ReportsEachRecordAndStopsWhenTold) {
    struct Progress : WorkbookProgress {
        int stopAt = -1;
        std::vector<int> records;
        bool report(WorkbookStage stage, int done, int total) override {
            if (stage == WorkbookStage::records) {
                EXPECT_EQ(total, 4);
                records.push_back(done);
            }
            return done != stopAt || stage != WorkbookStage::records;
        }
    };
    MapSource source;
    source.files["a.jpg"] = jpegFile(8, 8);
    const std::vector<WorkbookRecord> records(4, {"2004/07/16 10:23:45", "a", "a.jpg", ""});
    char dir[] = "/tmp/zelcap-workbook-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/out.xlsx";
    for (int stopAt : {-1, 2}) {
        Progress progress;
        progress.stopAt = stopAt;
        const WorkbookResult result = writeWorkbook(path, records, {}, source, &progress);
        EXPECT_EQ(result.ok, stopAt < 0) << stopAt;
        EXPECT_EQ(result.cancelled, stopAt >= 0) << stopAt;
        EXPECT_EQ(result.written, stopAt < 0 ? 4 : stopAt);
        const std::vector<int> told =
            stopAt < 0 ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{0, 1, 2};
        EXPECT_EQ(progress.records, told);
        std::remove(path.c_str());
    }
    rmdir(dir);
}

TEST(WorkbookLayout, LinkTargetsKeepHashAndPercentInThePath) {
    using workbook_layout::externalLinkPath;
    EXPECT_EQ(externalLinkPath(u8"C:\\証跡\\a#b.jpg"), u8"C:\\証跡\\a%23b.jpg");
    EXPECT_EQ(externalLinkPath("C:\\100%41.jpg"), "C:\\100%2541.jpg");
}

}  // namespace
