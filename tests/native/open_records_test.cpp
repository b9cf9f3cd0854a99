// Which files open, and the paths formed from a history row.
#include "history/open_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

std::string imagePath(const char* text, const char* folder) {
    char out[kPathSize];
    std::memset(out, 'x', sizeof out);
    rowImagePath(text, folder, out);
    return out;
}

std::string textPath(const char* text, const char* folder) {
    char out[kPathSize];
    std::memset(out, 'x', sizeof out);
    rowTextPath(text, folder, out);
    return out;
}

std::pair<std::string, std::string> split(const char* path) {
    char folder[kPathSize];
    char name[kPathSize];
    std::memset(folder, 'x', sizeof folder);
    std::memset(name, 'x', sizeof name);
    splitAtLastBackslash(path, folder, name);
    return {folder, name};
}

TEST(OpenRecords, ImageExtensionsAreTheLastFourBytesExactly) {
    for (const char* path :
         {"a.jpg", "C:\\cap\\A.JPG", "b.bmp", "b.BMP", "c.png", "c.PNG", "d.gif", "d.GIF", ".gif"})
        EXPECT_TRUE(isImageFileName(path)) << path;
    for (const char* path : {"a.jpeg", "a.Jpg", "a.jPG", "a.txt", "jpg", "a.jpg ", "", "gif"})
        EXPECT_FALSE(isImageFileName(path)) << path;
}

TEST(OpenRecords, TextExtensionsAreTheLastFourBytesExactly) {
    EXPECT_TRUE(isTextFileName("a.TXT"));
    EXPECT_TRUE(isTextFileName("C:\\資料\\memo file.txt"));
    for (const char* path : {"a.Txt", "a.text", "a.jpg", "txt", "", "C:\\cap\\"})
        EXPECT_FALSE(isTextFileName(path)) << path;
}

TEST(OpenRecords, ImagePathJoinsOnlyARelativeText) {
    EXPECT_EQ(imagePath("\\a.jpg", "C:\\hist"), "C:\\hist\\a.jpg");
    EXPECT_EQ(imagePath("\\a.jpg", "C:\\資料\\表"), "C:\\資料\\表\\a.jpg");
    EXPECT_EQ(imagePath("D:\\cap\\a.jpg", "C:\\hist"), "D:\\cap\\a.jpg");
    EXPECT_EQ(imagePath("\\\\server\\share\\a.jpg", "C:\\hist"), "\\\\server\\share\\a.jpg");
    // The 0x5C of 表 at the front is no backslash, so this is no relative path.
    EXPECT_EQ(imagePath("表\\a.jpg", "C:\\hist"), "表\\a.jpg");
}

TEST(OpenRecords, TextPathPutsABackslashBetween) {
    EXPECT_EQ(textPath("memo file.txt", "C:\\hist"), "C:\\hist\\memo file.txt");
    EXPECT_EQ(textPath("説明.txt", "C:\\表"), "C:\\表\\説明.txt");
    // A row without a text file names the folder itself, which opens nothing.
    EXPECT_EQ(textPath("", "C:\\hist"), "C:\\hist\\");
}

TEST(OpenRecords, PathsTooLongForTheBufferComeOutEmpty) {
    const std::string folder = "C:\\" + std::string(kPathSize - 12, 'f');
    EXPECT_EQ(imagePath("\\abc.jpg", folder.c_str()), folder + "\\abc.jpg");  // 259 bytes
    EXPECT_EQ(imagePath("\\abcd.jpg", folder.c_str()), "");
    EXPECT_EQ(textPath("abc.txt", folder.c_str()), folder + "\\abc.txt");
    EXPECT_EQ(textPath("abcd.txt", folder.c_str()), "");
    const std::string full = "C:\\" + std::string(kPathSize, 'a') + ".jpg";
    EXPECT_EQ(imagePath(full.c_str(), "C:\\hist"), "");
}

TEST(OpenRecords, SplitAtTheLastRealBackslash) {
    EXPECT_EQ(split("C:\\hist\\memo file.txt"),
              std::make_pair(std::string("C:\\hist"), std::string("memo file.txt")));
    // 表 is 0x95 0x5C: its trail byte must not cut "表.jpg" into "\x95" and ".jpg".
    EXPECT_EQ(split("C:\\資料\\表.jpg"),
              std::make_pair(std::string("C:\\資料"), std::string("表.jpg")));
    EXPECT_EQ(split("C:\\表\\a.jpg"), std::make_pair(std::string("C:\\表"), std::string("a.jpg")));
    EXPECT_EQ(split("表.jpg"), std::make_pair(std::string(), std::string("表.jpg")));
    EXPECT_EQ(split("a.jpg"), std::make_pair(std::string(), std::string("a.jpg")));
    EXPECT_EQ(split("\\a.jpg"), std::make_pair(std::string(), std::string("a.jpg")));
}

TEST(OpenRecords, SplitOfAnOverlongPathGivesNothing) {
    const std::string name(kPathSize, 'n');
    EXPECT_EQ(split(("C:\\d\\" + name).c_str()), std::make_pair(std::string(), std::string()));
    EXPECT_EQ(split(name.c_str()), std::make_pair(std::string(), std::string()));
}

}  // namespace
