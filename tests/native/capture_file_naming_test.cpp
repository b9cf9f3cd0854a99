// Capture file names and the capture folder's trailing separator.
#include "capture/file_naming.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string name(const char* folder, const char* prefix, int32_t number, bool zeroPad,
                 ImageFormat format) {
    char out[260];
    std::memset(out, 'x', sizeof out);
    EXPECT_TRUE(formatCaptureFileName(out, sizeof out, folder, prefix, number, zeroPad, format));
    return out;
}

TEST(CaptureFileName, PrefixNumberAndExtension) {
    EXPECT_EQ(name("C:\\cap", "AAA", 12, false, ImageFormat::jpeg), "C:\\cap\\AAA12.jpg");
    EXPECT_EQ(name("C:\\cap", "AAA", 12, true, ImageFormat::jpeg), "C:\\cap\\AAA000012.jpg");
    EXPECT_EQ(name("C:\\cap", "AAA", 12, false, ImageFormat::bmp), "C:\\cap\\AAA12.bmp");
    EXPECT_EQ(name("C:\\cap", "AAA", 12, true, ImageFormat::bmp), "C:\\cap\\AAA000012.bmp");
    EXPECT_EQ(name("C:\\cap", "", 0, false, ImageFormat::bmp), "C:\\cap\\0.bmp");
    EXPECT_EQ(name("C:\\cap", "", 0, true, ImageFormat::bmp), "C:\\cap\\000000.bmp");
    EXPECT_EQ(name("C:\\cap", "AAA", 12, false, ImageFormat::png), "C:\\cap\\AAA12.png");
    EXPECT_EQ(name("C:\\cap", "AAA", 12, true, ImageFormat::png), "C:\\cap\\AAA000012.png");
}

TEST(CaptureFileName, PaddingWidensButNeverCuts) {
    EXPECT_EQ(name("D:", "a", 999999, true, ImageFormat::jpeg), "D:\\a999999.jpg");
    EXPECT_EQ(name("D:", "a", 1234567, true, ImageFormat::jpeg), "D:\\a1234567.jpg");
    EXPECT_EQ(name("D:", "a", INT32_MAX, true, ImageFormat::bmp), "D:\\a2147483647.bmp");
}

TEST(CaptureFileName, NegativeNumbersAsPrintfFormatsThem) {
    EXPECT_EQ(name("D:", "a", -5, false, ImageFormat::jpeg), "D:\\a-5.jpg");
    EXPECT_EQ(name("D:", "a", -5, true, ImageFormat::jpeg), "D:\\a-00005.jpg");
    EXPECT_EQ(name("D:", "a", INT32_MIN, false, ImageFormat::jpeg), "D:\\a-2147483648.jpg");
}

TEST(CaptureFileName, DoubleByteTextPassesThroughUnchanged) {
    // 表 ends in 0x5C; it must come out as the same two bytes, not as a separator.
    EXPECT_EQ(name("C:\\表", "表", 3, false, ImageFormat::jpeg), "C:\\表\\表3.jpg");
}

TEST(CaptureFileName, ResultThatDoesNotFitIsRefusedAndLeftEmpty) {
    const std::string expected = "C:\\cap\\AAA000012.jpg";
    char exact[21];
    ASSERT_EQ(expected.size() + 1, sizeof exact);
    EXPECT_TRUE(
        formatCaptureFileName(exact, sizeof exact, "C:\\cap", "AAA", 12, true, ImageFormat::jpeg));
    EXPECT_EQ(expected, exact);

    char shortBy1[20];
    std::memset(shortBy1, 'x', sizeof shortBy1);
    EXPECT_FALSE(formatCaptureFileName(shortBy1, sizeof shortBy1, "C:\\cap", "AAA", 12, true,
                                       ImageFormat::jpeg));
    EXPECT_EQ(shortBy1[0], '\0');

    // A path-sized buffer refuses a folder that leaves no room for the name.
    const std::string longFolder = "C:\\" + std::string(250, 'f');
    char path[260];
    EXPECT_FALSE(formatCaptureFileName(path, sizeof path, longFolder.c_str(), "AAA", 1, true,
                                       ImageFormat::jpeg));
    EXPECT_EQ(path[0], '\0');

    char untouched = 'x';
    EXPECT_FALSE(formatCaptureFileName(&untouched, 0, "C:", "a", 1, false, ImageFormat::jpeg));
    EXPECT_EQ(untouched, 'x');
}

std::string strip(const std::string& path, bool expectRemoved) {
    char buffer[64];
    std::strcpy(buffer, path.c_str());
    EXPECT_EQ(removeTrailingBackslash(buffer), expectRemoved) << path;
    return buffer;
}

TEST(CaptureFolder, RemovesOneTrailingBackslash) {
    EXPECT_EQ(strip("C:\\cap\\", true), "C:\\cap");
    EXPECT_EQ(strip("C:\\cap\\\\", true), "C:\\cap\\");
    EXPECT_EQ(strip("\\", true), "");
    EXPECT_EQ(strip("C:\\表\\", true), "C:\\表");
    // ｱ (0xB1) is a single-byte half-width katakana, so the backslash is real.
    EXPECT_EQ(strip("C:\\ｱ\\", true), "C:\\ｱ");
}

TEST(CaptureFolder, KeepsPathsWithoutTrailingBackslash) {
    EXPECT_EQ(strip("C:\\cap", false), "C:\\cap");
    EXPECT_EQ(strip("", false), "");
    // 表 is 0x95 0x5C: its trail byte is not a separator.
    const std::string table = "C:\\表";
    ASSERT_EQ(static_cast<unsigned char>(table[table.size() - 2]), 0x95);
    ASSERT_EQ(table.back(), '\\');
    EXPECT_EQ(strip(table, false), table);
    EXPECT_FALSE(removeTrailingBackslash(nullptr));
}

}  // namespace
