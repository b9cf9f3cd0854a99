// Relative paths, file parts and where a record's image is found.
#include "history/history_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

HistoryRecord record(const char* imagePath, int32_t relative) {
    HistoryRecord r{};
    std::strcpy(r.imagePath, imagePath);
    r.relative = relative;
    return r;
}

std::string resolved(const HistoryRecord& r, const char* folder) {
    char out[kPathSize];
    std::memset(out, 'x', sizeof out);
    resolvedImagePath(r, folder, out);
    return out;
}

TEST(HistoryPaths, RelativeOnlyWithOneLeadingBackslash) {
    EXPECT_TRUE(isRelative("\\a000012.jpg"));
    EXPECT_TRUE(isRelative("\\表.jpg"));
    EXPECT_FALSE(isRelative("C:\\cap\\a.jpg"));
    EXPECT_FALSE(isRelative("\\\\server\\share\\a.jpg"));
    EXPECT_FALSE(isRelative("a.jpg"));
    EXPECT_FALSE(isRelative(""));
    // The 0x5C of 表 at the front is no backslash; the real one comes later.
    EXPECT_FALSE(isRelative("表\\a.jpg"));
    EXPECT_FALSE(isRelative("表"));
}

TEST(HistoryPaths, FullPathsNameADriveOrAShare) {
    const std::pair<const char*, bool> cases[] = {
        {"C:\\a.txt", true}, {"c:a.txt", true}, {"\\\\srv\\s\\a.txt", true}, {"\\a.txt", false},
        {"a.txt", false},    {"", false},       {"1:\\a.txt", false},        {"表:a", false},
    };
    for (const auto& [path, full] : cases)
        EXPECT_EQ(isFullPath(path), full) << path;
}

TEST(HistoryPaths, FilePartStartsAtTheLastRealBackslash) {
    const char path[] = "C:\\cap\\a.jpg";
    EXPECT_EQ(filePart(path), path + 6);
    const char relative[] = "\\a.jpg";
    EXPECT_EQ(filePart(relative), relative);
    EXPECT_EQ(filePart("a.jpg"), nullptr);
    EXPECT_EQ(filePart(""), nullptr);
}

TEST(HistoryPaths, FilePartKeepsDoubleByteCharactersWhole) {
    // A plain byte search would take the trail byte of the final 表 as the
    // separator and give a file part of "\" alone.
    const char path[] = "C:\\資料\\表";
    EXPECT_STREQ(filePart(path), "\\表");
    EXPECT_STREQ(filePart("C:\\表\\ソ表.jpg"), "\\ソ表.jpg");
    EXPECT_EQ(filePart("表ソ能"), nullptr);
}

TEST(HistoryPaths, ResolvedImagePath) {
    // A capture record keeps its full path until written back; it still
    // resolves into the history folder.
    EXPECT_EQ(resolved(record("C:\\old\\a1.jpg", 1), "D:\\hist"), "D:\\hist\\a1.jpg");
    EXPECT_EQ(resolved(record("\\a1.jpg", 1), "D:\\hist"), "D:\\hist\\a1.jpg");
    EXPECT_EQ(resolved(record("a1.jpg", 1), "D:\\hist"), "D:\\hist\\a1.jpg");
    EXPECT_EQ(resolved(record("C:\\old\\表", 1), "D:\\表"), "D:\\表\\表");
    EXPECT_EQ(resolved(record("C:\\old\\a1.jpg", 0), "D:\\hist"), "C:\\old\\a1.jpg");
    EXPECT_EQ(resolved(record("\\a1.jpg", 0), "D:\\hist"), "\\a1.jpg");
}

TEST(HistoryPaths, ResolvedPathTooLongIsCutBeforeACharacter) {
    // 256 + "\表" is exactly 259 bytes; one more byte of folder would put
    // the lead byte of 表 last and its trail byte beyond the buffer.
    const std::string fits(256, 'f');
    EXPECT_EQ(resolved(record("\\表", 1), fits.c_str()), fits + "\\表");
    const std::string longer(257, 'f');
    EXPECT_EQ(resolved(record("\\表", 1), longer.c_str()), longer + "\\");
    const std::string tooLong(300, 'f');
    EXPECT_EQ(resolved(record("\\a.jpg", 1), tooLong.c_str()), std::string(259, 'f'));
}

}  // namespace
