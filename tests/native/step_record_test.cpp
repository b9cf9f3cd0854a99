// The automatic headings of recorded steps and the click mark.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bmp_format.h"
#include "capture/click_mark.h"
#include "capture/step_heading.h"

namespace {

TEST(StepHeading, NamesWhatWasClicked) {
    struct Case {
        StepTarget target;
        const char* heading;
    } const cases[] = {
        {{StepButton::left, "Button", 0x00, "OK", "", 0, "ファイルを開く"},
         "「OK」ボタンをクリック (ファイルを開く)"},
        {{StepButton::left, "Button", 0x03, "表示(&V)", "", 0, "設定"},
         "「表示(V)」チェックボックスをクリック (設定)"},
        {{StepButton::right, "Button", 0x09, "A && B", "", 0, ""},
         "「A & B」ラジオボタンを右クリック"},
        {{StepButton::left, "Edit", 0x00, "secret contents", "", 0, "メモ帳 - 無題"},
         "入力欄をクリック (メモ帳 - 無題)"},
        {{StepButton::left, "SysListView32", 0, "", "ソ能表.txt", 0x22, "開く"},
         "「ソ能表.txt」リスト項目をクリック (開く)"},
        {{StepButton::left, "Notepad", 0, "", "メモ帳 - 無題", 0, "メモ帳 - 無題"},
         "左クリック (メモ帳 - 無題)"},
        {{StepButton::right, "", 0, "", "", 0, ""}, "右クリック"},
        {{StepButton::left, "Button", 0x07, "グループ", "", 0, "X"}, "左クリック (X)"},
        {{StepButton::left, "#32768", 0, "", "名前を付けて保存\t\r\n", 0, "Zed"},
         "「名前を付けて保存」メニュー項目をクリック (Zed)"},
        {{StepButton::left, "#32768", 0, "上書き保存(&S)\tCtrl+S", "", 0, "手順テスト"},
         "「上書き保存(S)」メニュー項目をクリック (手順テスト)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(stepHeading(c.target, 128), c.heading) << c.heading;
}

TEST(StepHeading, StaysWithinTheLimitWithoutSplittingACharacter) {
    StepTarget t{StepButton::left,
                 "Button",
                 0,
                 std::string(60, 'x'),
                 "",
                 0,
                 std::string(100, '\x95') + "\x5C"};  // 表 repeated, a trail 0x5C at the cut
    for (std::size_t limit : {10u, 50u, 128u}) {
        const std::string h = stepHeading(t, limit);
        EXPECT_LE(h.size(), limit);
        // Every lead byte keeps its trail byte.
        for (std::size_t i = 0; i < h.size(); ++i)
            if (static_cast<unsigned char>(h[i]) == 0x95) {
                ASSERT_LT(i + 1, h.size()) << limit;
                ++i;
            }
    }
}

TEST(ClickMark, RingAtTheClickAndNothingElseOutsideTheMark) {
    constexpr int32_t w = 120, h = 90;
    const uint32_t stride = dibStride(w);
    std::vector<uint8_t> bits(stride * h, 0x40);
    click_mark::draw(bits.data(), w, h, stride, 30, 25, 7);
    const auto at = [&](int x, int y) { return &bits[(h - 1 - y) * stride + x * 3]; };
    const auto red = [&](int x, int y) {
        const uint8_t* p = at(x, y);
        return p[0] == 0 && p[1] == 0 && p[2] == 0xFF;
    };
    EXPECT_TRUE(red(30 + click_mark::kRingRadius, 25));
    EXPECT_TRUE(red(30, 25 - click_mark::kRingRadius));
    EXPECT_FALSE(red(30, 25));  // the click point itself stays visible
    EXPECT_EQ(at(100, 80)[0], 0x40);
    EXPECT_EQ(at(0, 0)[0], 0x40);
    // A mark at the corner is cut, not written outside the picture.
    click_mark::draw(bits.data(), w, h, stride, 0, h - 1, 1000);
    EXPECT_TRUE(red(click_mark::kRingRadius, h - 1));
}

}  // namespace
