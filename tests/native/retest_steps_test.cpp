// A cycle run again against the last one: steps paired, texts compared,
// proposals worded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "retest/retest_steps.h"

namespace {

using retest::Comparison;

TEST(Retest, StepsPairByTestIdAndStep) {
    const std::vector<retest::StepKey> baseline = {
        {"TC-01", "1"}, {"TC-01", "2"}, {"TC-01", "3"}, {"", ""}, {"TC-02", "1"}, {"TC-01", "2"}};
    const std::vector<retest::StepKey> current = {
        {"TC-01", "1"}, {" TC-01 ", "3 "}, {"TC-09", "1"}, {"", "1"}, {"TC-01", "1"}};
    const retest::Pairing p = retest::pairSteps(baseline, current);
    EXPECT_EQ(p.baselineOf, (std::vector<int>{0, 2, -1, -1, 0}));
    EXPECT_EQ(p.notRun, (std::vector<int>{1, 4}));  // the second "TC-01/2" is the first one's
}

TEST(Retest, TextChangesReadAsAReviewerReadsThem) {
    struct Case {
        const char* name;
        std::vector<std::string> before, after, changes;
    } const cases[] = {
        {"a value behind its label", {"注文確認", "金額: 1,000", "送料: 0"}, {"注文確認", "金額: 1,100", "送料: 0"},
         {"金額: 1,000 → 1,100"}},
        {"a full-width label", {"合計：５００円"}, {"合計：６００円"}, {"合計：５００円 → ６００円"}},
        {"no label in common", {"OK"}, {"キャンセル"}, {"OK → キャンセル"}},
        {"a line gone and a line new", {"a", "b", "c"}, {"a", "c", "d"}, {"b → (なし)", "(なし) → d"}},
        {"blank lines and blanks at the ends do not count", {"x", "", "  y "}, {"x", "y"}, {}},
        // 表 ends in the byte of a backslash; the label stops at the blank.
        {"double-byte texts", {"表示 1"}, {"表示 2"}, {"表示 1 → 2"}},
        // A reading puts blanks in or leaves them out; figures are no label.
        {"blanks a reading put in", {"金額:1, 000", "送 料"}, {"金額:1,000", "送料"}, {}},
        {"figures alone", {"1, 000"}, {"1, 100"}, {"1, 000 → 1, 100"}},
        {"a label before the figures", {"金額:1, 000"}, {"金額:1,100"}, {"金額:1, 000 → 1,100"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(retest::textChanges(c.before, c.after), c.changes) << c.name;
    std::vector<std::string> many;
    for (int i = 0; i < 30; ++i)
        many.push_back("行" + std::to_string(i));
    const auto cut = retest::textChanges({}, many, 5);
    ASSERT_EQ(cut.size(), 5u);
    EXPECT_EQ(cut.back(), "ほか 26 行");
}

TEST(Retest, ProposalsSayWhatChanged) {
    struct Case {
        retest::PictureChange picture;
        std::vector<std::string> text;
        Comparison comparison;
        const char* line;
    } const cases[] = {
        {{true, 0, 1000, false}, {}, Comparison::match, "一致"},
        {{true, 24, 1000, false}, {"金額: 1,000 → 1,100"}, Comparison::differs, "差分あり 変化 2.4 % 金額: 1,000 → 1,100"},
        {{true, 0, 1000, false}, {"a → b"}, Comparison::differs, "差分あり a → b"},
        {{true, 0, 1000, true}, {}, Comparison::match, "一致（画像の大きさが違うため共通の範囲を比較）"},
        {{false, 0, 0, false}, {}, Comparison::noBaseline, "基準なし（基準の画像がありません）"},
    };
    for (const Case& c : cases) {
        const retest::Proposal p = retest::propose(c.picture, c.text);
        EXPECT_EQ(p.comparison, c.comparison) << c.line;
        EXPECT_EQ(retest::proposalText(p), c.line);
    }
}

}  // namespace
