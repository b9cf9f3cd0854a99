// A record's test case: limits that never split a double-byte character,
// and the book that drops a case once nothing in it is set.
#include <gtest/gtest.h>

#include <string>

#include "history/history.h"
#include "history/test_case.h"

namespace {

using testcase::Field;
using testcase::TestCase;

TEST(TestCaseTest, CutsEachFieldAtItsLimitWithoutSplittingACharacter) {
    TestCase c;
    c.testId.assign(63, 'a');
    c.testId += "表";  // 0x95 0x5C: its trail byte is past the limit of 64
    c.step = "12";
    c.remarks.assign(5000, 'x');
    const auto cut = testcase::cutToLimits(c);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0], Field::testId);
    EXPECT_EQ(cut[1], Field::remarks);
    EXPECT_EQ(c.testId, std::string(63, 'a'));
    EXPECT_EQ(c.remarks.size(), testcase::fieldLimit(Field::remarks));
    EXPECT_EQ(c.step, "12");
}

TEST(TestCaseTest, BookKeepsCasesByRecordIdAndDropsEmptyOnes) {
    History h("C:\\work");
    h.appendCapture("C:\\work\\a.jpg", "a", "2026/12/10 10:00:00", 1);
    h.appendCapture("C:\\work\\b.jpg", "b", "2026/12/10 10:00:01", 1);
    ASSERT_NE(h.records[0].id, h.records[1].id);
    TestCase c;
    c.verdict = testcase::Verdict::ng;
    h.cases.set(h.records[1].id, c);
    ASSERT_NE(h.cases.find(h.records[1].id), nullptr);
    EXPECT_EQ(h.cases.find(h.records[0].id), nullptr);
    EXPECT_STREQ(testcase::verdictText(h.cases.find(h.records[1].id)->verdict), "NG");
    h.cases.set(h.records[1].id, TestCase{});
    EXPECT_TRUE(h.cases.empty());
    h.cases.set(h.records[0].id, c);
    h.clearRecords();
    EXPECT_TRUE(h.cases.empty());
}

}  // namespace

#include "settings/case_settings.h"

namespace {

TEST(CaseSettingsTest, RoundTripsAndKeepsDefaultsForValuesOutOfRange) {
    CaseSettings s;
    s.tester = "山田 表示";  // 表: a trail byte 0x5C
    s.currentTestId = "TC-001";
    s.nextStep = 7;
    s.stamp = true;
    s.stampCorner = StampCorner::topLeft;
    s.stampTextColour = 0x12AB34;
    IniDocument doc;
    case_settings::write(s, doc);
    const CaseSettings back = case_settings::read(IniDocument(doc.serialize()));
    EXPECT_EQ(back.tester, s.tester);
    EXPECT_EQ(back.currentTestId, "TC-001");
    EXPECT_EQ(back.nextStep, 7);
    EXPECT_TRUE(back.stamp);
    EXPECT_EQ(back.stampCorner, StampCorner::topLeft);
    EXPECT_EQ(back.stampTextColour, 0x12ABu * 0x100 + 0x34);

    const CaseSettings odd = case_settings::read(IniDocument(
        "[TestCase]\r\n次の手順=0\r\nスタンプ位置=9\r\nスタンプ文字色=red\r\n"));
    EXPECT_EQ(odd.nextStep, 1);
    EXPECT_EQ(odd.stampCorner, StampCorner::bottomRight);
    EXPECT_EQ(odd.stampTextColour, 0xFFFFFFu);
}

}  // namespace
