// The テストケース dialog's decisions: the defaults a record's case shows,
// what several records share, that a field they differ in stays each
// record's own unless the user types in it, the message about cut texts,
// and the case a capture gets from the current case.
#include "history/case_dialog_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testcase::Field;
using testcase::TestCase;
using testcase::Verdict;

constexpr int kId = static_cast<int>(Field::testId);
constexpr int kStep = static_cast<int>(Field::step);
constexpr int kVerdict = static_cast<int>(Field::verdict);
constexpr int kTester = static_cast<int>(Field::tester);
constexpr int kRemarks = static_cast<int>(Field::remarks);

TestCase Case(const char* id, const char* step, Verdict verdict, const char* remarks) {
    TestCase c;
    c.testId = id;
    c.step = step;
    c.verdict = verdict;
    c.remarks = remarks;
    c.tester = "山田";
    return c;
}

TEST(CaseDialogRules, DefaultsFillOnlyEmptyTesterAndDate) {
    TestCase none;
    const TestCase shown = case_dialog::withDefaults(none, "検証者", "2026/12/10 09:08:07");
    EXPECT_EQ(shown.tester, "検証者");
    EXPECT_EQ(shown.date, "2026/12/10");
    TestCase own;
    own.tester = "山田";
    own.date = "2026/01/02";
    const TestCase kept = case_dialog::withDefaults(own, "検証者", "2026/12/10 09:08:07");
    EXPECT_EQ(kept.tester, "山田");
    EXPECT_EQ(kept.date, "2026/01/02");
    EXPECT_EQ(case_dialog::datePart("20261210"), "20261210");
    EXPECT_EQ(case_dialog::datePart(""), "");
}

TEST(CaseDialogRules, SeveralRecordsShowWhatTheyShareAndEmptyWhatTheyDiffer) {
    const std::vector<TestCase> cases = {Case("T-1", "1", Verdict::ok, "表示"),
                                         Case("T-1", "2", Verdict::ng, "表示")};
    const case_dialog::Form form = case_dialog::shared(cases);
    EXPECT_EQ(form.shown.testId, "T-1");
    EXPECT_EQ(form.shown.remarks, "表示");
    EXPECT_EQ(form.shown.tester, "山田");
    EXPECT_EQ(form.shown.step, "");
    EXPECT_EQ(form.shown.verdict, Verdict::none);
    EXPECT_FALSE(form.differs[kId]);
    EXPECT_TRUE(form.differs[kStep]);
    EXPECT_TRUE(form.differs[kVerdict]);
    EXPECT_FALSE(form.differs[kRemarks]);
}

TEST(CaseDialogRules, EditsLeaveUntouchedDifferingFieldsAsEachRecordHasThem) {
    const std::vector<TestCase> cases = {Case("T-1", "1", Verdict::ok, "a"),
                                         Case("T-2", "2", Verdict::ng, "a")};
    const case_dialog::Form form = case_dialog::shared(cases);
    const struct {
        const char* what;
        case_dialog::Edit edit;
        std::vector<TestCase> expected;
    } rows[] = {
        {"nothing typed", [&] {
             case_dialog::Edit e;
             e.values = form.shown;
             return e;
         }(),
         cases},
        {"test ID typed for all, the shared remarks changed", [&] {
             case_dialog::Edit e;
             e.values = form.shown;
             e.values.testId = "T-9";
             e.values.remarks = "b";
             e.touched[kId] = e.touched[kRemarks] = true;
             return e;
         }(),
         {Case("T-9", "1", Verdict::ok, "b"), Case("T-9", "2", Verdict::ng, "b")}},
        {"a verdict chosen for all, a differing step cleared on purpose", [&] {
             case_dialog::Edit e;
             e.values = form.shown;
             e.values.verdict = Verdict::hold;
             e.touched[kVerdict] = e.touched[kStep] = true;
             return e;
         }(),
         {Case("T-1", "", Verdict::hold, "a"), Case("T-2", "", Verdict::hold, "a")}},
        {"a shared tester cleared reaches every record", [&] {
             case_dialog::Edit e;
             e.values = form.shown;
             e.values.tester.clear();
             e.touched[kTester] = true;
             return e;
         }(),
         [&] {
             std::vector<TestCase> v = cases;
             for (TestCase& c : v)
                 c.tester.clear();
             return v;
         }()},
    };
    for (const auto& row : rows) {
        for (size_t i = 0; i < cases.size(); ++i)
            EXPECT_TRUE(case_dialog::apply(cases[i], form, row.edit) == row.expected[i])
                << row.what << ", record " << i;
    }
    EXPECT_FALSE(case_dialog::anyTouched(rows[0].edit));
    EXPECT_TRUE(case_dialog::anyTouched(rows[1].edit));
}

TEST(CaseDialogRules, CutMessageNamesEachFieldOnceInTheDialogsOrder) {
    EXPECT_EQ(case_dialog::cutMessage({}), "");
    EXPECT_EQ(case_dialog::cutMessage({Field::remarks, Field::testId, Field::remarks}),
              "次の項目は長すぎるため、入る長さまでで切り詰めました: テストID、備考");
}

TEST(CaseDialogRules, CurrentCaseNeedsATestId) {
    EXPECT_TRUE(case_dialog::currentCase("", 3, "山田", "2026/12/10 09:08:07").empty());
    const TestCase c = case_dialog::currentCase("ログイン-01", 12, "山田", "2026/12/10 09:08:07");
    EXPECT_EQ(c.testId, "ログイン-01");
    EXPECT_EQ(c.step, "12");
    EXPECT_EQ(c.tester, "山田");
    EXPECT_EQ(c.date, "2026/12/10");
    EXPECT_EQ(c.verdict, Verdict::none);
}

}  // namespace
