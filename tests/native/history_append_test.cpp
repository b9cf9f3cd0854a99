// The record a capture appends, and the date-time text it carries.
#include "history/history.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::string timestamp(int year, int month, int day, int hour, int minute, int second) {
    char out[kDateTimeSize];
    formatTimestamp(year, month, day, hour, minute, second, out);
    return out;
}

std::unique_ptr<History> emptyHistory() {
    return std::make_unique<History>("C:\\start");
}

TEST(HistoryTimestamp, FixedWidthsWithZeroPadding) {
    EXPECT_EQ(timestamp(2004, 7, 16, 10, 23, 45), "2004/07/16 10:23:45");
    EXPECT_EQ(timestamp(1999, 12, 31, 0, 0, 9), "1999/12/31 00:00:09");
    EXPECT_EQ(timestamp(5, 1, 2, 3, 4, 5), "0005/01/02 03:04:05");
}

TEST(HistoryTimestamp, OversizedPartsAreCutToTheField) {
    EXPECT_EQ(timestamp(12345, 7, 16, 10, 23, 45), "12345/07/16 10:23:4");
    EXPECT_EQ(timestamp(2004, 123, 16, 10, 23, 45), "2004/123/16 10:23:4");
}

TEST(HistoryAppendCapture, StoresTheCaptureAsItCame) {
    auto h = emptyHistory();
    EXPECT_EQ(h->appendCapture("C:\\cap\\a12.jpg", "売上集計", "2004/07/16 10:23:45", 1), 1);
    EXPECT_EQ(h->appendCapture("D:\\other\\b1.bmp", "", "2004/07/16 10:24:00", 0), 1);
    ASSERT_EQ(h->count, 2);
    const HistoryRecord& first = h->records[0];
    EXPECT_STREQ(first.dateTime, "2004/07/16 10:23:45");
    EXPECT_STREQ(first.comment, "売上集計");
    // The full path stays until the list writes its rows back.
    EXPECT_STREQ(first.imagePath, "C:\\cap\\a12.jpg");
    EXPECT_STREQ(first.textFile, "");
    EXPECT_EQ(first.relative, 1);
    EXPECT_STREQ(h->records[1].imagePath, "D:\\other\\b1.bmp");
    EXPECT_EQ(h->records[1].relative, 0);
    // Marking the history changed is the list view's part.
    EXPECT_EQ(h->modified, 0);
}

TEST(HistoryAppendCapture, CutsCommentAndPathWithoutSplittingACharacter) {
    auto h = emptyHistory();
    const std::string comment = std::string(127, 'c') + "表";
    const std::string path = "C:\\" + std::string(255, 'p') + "表";
    h->appendCapture(path.c_str(), comment.c_str(), "2004/07/16 10:23:45", 0);
    EXPECT_EQ(std::string(h->records[0].comment), std::string(127, 'c'));
    EXPECT_EQ(std::string(h->records[0].imagePath), "C:\\" + std::string(255, 'p'));

    const std::string exactComment = std::string(126, 'c') + "表";
    const std::string exactPath = "C:\\" + std::string(254, 'p') + "表";
    h->appendCapture(exactPath.c_str(), exactComment.c_str(), "2004/07/16 10:23:45", 0);
    EXPECT_EQ(std::string(h->records[1].comment), exactComment);
    EXPECT_EQ(std::string(h->records[1].imagePath), exactPath);
}

TEST(HistoryAppendCapture, FullHistoryTakesNothing) {
    auto h = emptyHistory();
    for (int i = 0; i < kRecordMaximum; ++i) {
        const std::string path = "C:\\cap\\a" + std::to_string(i) + ".jpg";
        h->appendCapture(path.c_str(), "x", "2004/07/16 10:23:45", 1);
    }
    ASSERT_EQ(h->count, kRecordMaximum);
    EXPECT_EQ(h->appendCapture("C:\\cap\\late.jpg", "late", "2004/07/16 11:00:00", 1), 1);
    EXPECT_EQ(h->count, kRecordMaximum);
    EXPECT_STREQ(h->records[kRecordMaximum - 1].imagePath, "C:\\cap\\a999.jpg");
}

}  // namespace
