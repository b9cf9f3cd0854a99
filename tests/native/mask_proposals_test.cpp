// The masks proposed over a picture's personal data: padded and kept on the
// picture, one per box, the text cut short at a character; the patterns'
// lines as the dialog reads and shows them, and what it refuses.
#include "view/mask_proposals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using mask_proposals::propose;

annotation::Rect boxOf(const mask_proposals::Proposal& p) {
    return annotation::normalized(p.mask.a, p.mask.b);
}

TEST(MaskProposalsTest, AMaskIsThePaddedHitKeptOnThePicture) {
    OcrResult r;
    // The address is the whole line; the second line's hit sits at the
    // picture's corner, the third lies off it, the fourth is the first again.
    r.lines = {{20, 20, 170, 30, "taro@example.jp"},
               {0, 0, 150, 10, "taro@example.jp"},
               {400, 20, 550, 30, "taro@example.jp"},
               {20, 20, 170, 30, "taro@example.jp"}};
    const auto proposals = propose(r, {}, {}, 300, 100);
    ASSERT_EQ(proposals.size(), 2u);
    EXPECT_EQ(boxOf(proposals[0]), (annotation::Rect{18, 18, 172, 32}));
    EXPECT_EQ(boxOf(proposals[1]), (annotation::Rect{0, 0, 152, 12}));
    EXPECT_EQ(proposals[0].mask.kind, annotation::Kind::mask);
    EXPECT_EQ(proposals[0].mask.colour, annotation::kBlack);
    EXPECT_EQ(mask_proposals::findMask({proposals[1].mask, proposals[0].mask}, proposals[0].mask),
              1);
    EXPECT_EQ(mask_proposals::findMask({proposals[1].mask}, proposals[0].mask), -1);
}

TEST(MaskProposalsTest, TheListedTextIsCutShortAtACharacter) {
    // A user pattern of 30 full-width characters: the cut falls between two.
    std::string line;
    for (int i = 0; i < 30; ++i)
        line += "漢";
    const auto proposals = propose({{{0, 0, 600, 20, line}}}, {}, {line}, 800, 100);
    ASSERT_EQ(proposals.size(), 1u);
    EXPECT_EQ(proposals[0].kind, personal_data::Kind::userPattern);
    EXPECT_EQ(proposals[0].text, line.substr(0, 20) + "...");
}

TEST(MaskProposalsTest, PatternLinesAndRefusals) {
    EXPECT_EQ(mask_proposals::patternsOfText("A#\r\n\r\n \t\r\n社員-####\nB?"),
              (std::vector<std::string>{"A#", "社員-####", "B?"}));
    EXPECT_EQ(mask_proposals::textOfPatterns({"A#", "B?"}), "A#\r\nB?");
    EXPECT_EQ(mask_proposals::refusal({"A#", "社員-####"}), "");
    EXPECT_EQ(mask_proposals::refusal({"A#", "??", "X\\"}).rfind("パターン「??」は使えません: ", 0),
              0u);
    EXPECT_EQ(mask_proposals::refusal(std::vector<std::string>(101, "A#")),
              "パターンは 100 個までです。");
}

}  // namespace
