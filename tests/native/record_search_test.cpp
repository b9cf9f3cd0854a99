// The records' search: which records match in list order (each word in
// the heading, the description or a read line), stepping with wrap for F3
// and Shift+F3, and which read lines are framed.
#include "ocr/record_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using record_search::Record;

TEST(RecordSearchTest, MatchesInListOrder) {
    OcrResult amount;
    amount.lines = {{0, 0, 50, 10, "請求書"}, {0, 12, 80, 22, "金 額 1,100 円"}, {0, 24, 50, 34, "ＴＯＴＡＬ"}};
    OcrResult other;
    other.lines = {{0, 0, 50, 10, "ログイン画面"}};
    const std::vector<Record> records = {
        {"ログイン", "", &other},          // 0
        {"見積", "金額を確認", nullptr},   // 1: not read yet
        {"請求", "", &amount},             // 2
        {"Total", "合計 1,100", nullptr},  // 3
    };
    const struct {
        const char* query;
        std::vector<int> found;
    } cases[] = {
        {"金額", {1, 2}},
        {"金額 1,100", {2}},           // both words, one in a line
        {"total １，１００", {2, 3}},  // one in the heading, one in the description
        {"ﾛｸﾞｲﾝ", {0}},
        {"画面 ログイン", {0}},
        {"請求書 確認", {}},
        {"", {0, 1, 2, 3}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(record_search::matches(records, c.query), c.found) << c.query;

    const record_search::FoldedRecord folded = record_search::fold(records[2]);
    const struct {
        const char* query;
        std::vector<int> lines;
    } framed[] = {{"金額", {1}}, {"total 請求", {0, 2}}, {"請求 1,100", {0, 1}}, {"金額 見積", {}}, {"", {}}};
    for (const auto& c : framed)
        EXPECT_EQ(record_search::matchingLines(folded, text_fold::Query(c.query)), c.lines) << c.query;
}

TEST(RecordSearchTest, StepsWrapRoundAtBothEnds) {
    const std::vector<int> found = {2, 5, 9};
    const struct {
        int current;
        bool forward;
        int next;
    } cases[] = {{-1, true, 2}, {2, true, 5}, {3, true, 5}, {9, true, 2}, {12, true, 2},
                 {-1, false, 9}, {2, false, 9}, {5, false, 2}, {7, false, 5}, {12, false, 9}};
    for (const auto& c : cases)
        EXPECT_EQ(record_search::step(found, c.current, c.forward), c.next)
            << c.current << (c.forward ? " forward" : " back");
    EXPECT_EQ(record_search::step({}, 3, true), -1);
    EXPECT_EQ(record_search::step({4}, 4, false), 4);
}

}  // namespace
