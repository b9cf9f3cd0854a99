// The masks over personal data on lines drawn in a made-up proportional
// font, labels before and after the data, Japanese and ASCII mixed, blanks
// narrower than the gaps within a number: every mask covers all the ink of
// its hit, and a hit between blanks gets exactly its ink.
#include "view/mask_fit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cp932.h"
#include "view/mask_proposals.h"

namespace {

using mask_proposals::kPadding;

// Where a character is drawn: its advance and its ink's columns from its
// origin. Full-width characters are wide with little bearing, "i" narrow,
// "1" as wide as any digit with its ink in the middle, as in the fonts a
// screen shows.
struct Glyph {
    int advance, inkLeft, inkRight;
};

Glyph glyphAt(const std::string& text, std::size_t i, std::size_t length) {
    if (length == 2)
        return text.compare(i, 2, "\x81\x40") == 0 ? Glyph{24, 0, 0}
                                                   : Glyph{24, 1 + (text[i + 1] & 1), 23};
    const char c = text[i];
    if (c == ' ')
        return {6, 0, 0};
    if (c == '1')
        return {12, 5, 7};
    if (std::string("il.,:'").find(c) != std::string::npos)
        return {5, 1, 4};
    if (std::string("mwMW@").find(c) != std::string::npos)
        return {19, 1, 18};
    if (c >= 'A' && c <= 'Z')
        return {14, 1, 13};
    return {11, 1, 10};
}

constexpr int kX = 30, kY = 10, kInkTop = 2, kInkBottom = 22;
constexpr uint8_t kWhite[3] = {255, 255, 255}, kBlack[3] = {0, 0, 0};

struct Drawn {
    PackedDib picture;
    std::vector<int> inkLeft, inkRight;  // per byte of the text; -1 where none
    int left = 1 << 30, right = 0;
};

void paint(PackedDib& p, int x, int y, const uint8_t* bgr) {
    uint8_t* px = p.bits() + static_cast<std::size_t>(p.height() - 1 - y) * p.stride() +
                  static_cast<std::size_t>(x) * 3;
    px[0] = bgr[0], px[1] = bgr[1], px[2] = bgr[2];
}

// The text drawn at (kX, kY) on a picture of `background`.
Drawn draw(const std::string& text, const uint8_t* background, const uint8_t* ink) {
    Drawn d;
    d.picture = PackedDib::create(700, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 700; ++x)
            paint(d.picture, x, y, background);
    d.inkLeft.assign(text.size(), -1);
    d.inkRight.assign(text.size(), -1);
    int origin = kX;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = cp932::charLength(text.data(), text.size(), i);
        const Glyph g = glyphAt(text, i, length);
        for (int x = origin + g.inkLeft; x < origin + g.inkRight; ++x)
            for (int y = kY + kInkTop; y < kY + kInkBottom; ++y)
                paint(d.picture, x, y, ink);
        if (g.inkRight > g.inkLeft) {
            d.inkLeft[i] = origin + g.inkLeft;
            d.inkRight[i] = origin + g.inkRight;
            d.left = std::min(d.left, d.inkLeft[i]);
            d.right = std::max(d.right, d.inkRight[i]);
        }
        origin += g.advance;
        i += length;
    }
    return d;
}

enum class Expect { exact, covers };

TEST(MaskFitTest, EveryMaskCoversItsInkAndBlanksGiveItExactly) {
    const uint8_t navy[3] = {90, 20, 10};
    const struct {
        const char* read;   // the engine's text
        const char* drawn;  // what the picture shows, when not that
        const char* hit;
        Expect expect;
        const uint8_t* background = kWhite;
        const uint8_t* ink = kBlack;
    } cases[] = {
        {"メール hanako.yamada@example.jp", nullptr, "hanako.yamada@example.jp", Expect::exact},
        {"カード番号 4539-1488-0343-6467", nullptr, "4539-1488-0343-6467", Expect::exact},
        {"カード 4539 1488 0343 6467", nullptr, "4539 1488 0343 6467", Expect::exact},
        {"taro@example.jp (自宅)", nullptr, "taro@example.jp", Expect::exact},
        {"電話 03-1234-5678 メール mi@example.jp まで", nullptr, "03-1234-5678", Expect::exact},
        {"電話 03-1234-5678 メール mi@example.jp まで", nullptr, "mi@example.jp", Expect::exact},
        {"E-mail アドレス　wm@example.jp", nullptr, "wm@example.jp", Expect::exact},
        {"Mail wm@example.jp", nullptr, "wm@example.jp", Expect::exact, navy, kWhite},
        // The widest gap lies between the ones, the blank is nearly as wide:
        // the mask takes in the digit before the ones as well.
        {"カード 4113-4567-8902-2340", nullptr, "4113-4567-8902-2340", Expect::exact},
        // No blank to tell where the data starts.
        {"連絡先はtaro@example.jpです", nullptr, "taro@example.jp", Expect::covers},
        {"TEL:03-1234-5678", nullptr, "03-1234-5678", Expect::covers},
        {"ご住所 WWW 連絡先:taro@example.jp", nullptr, "taro@example.jp", Expect::covers},
        // The gaps between the ones are wider than the blank before them.
        {"カード 4111-1111-1111-1111", nullptr, "4111-1111-1111-1111", Expect::covers},
        {"ID 4111111111111111 です", nullptr, "4111111111111111", Expect::covers},
        // A blank the engine read where the picture has none, and one it
        // did not read.
        {"メール taro@example.jp", "メールtaro@example.jp", "taro@example.jp", Expect::covers},
        {"メールmm@example.jp", "メール mm@example.jp", "mm@example.jp", Expect::covers},
    };
    for (const auto& c : cases) {
        const std::string read = c.read, drawn = c.drawn ? c.drawn : c.read;
        SCOPED_TRACE(read + " / " + drawn);
        const Drawn d = draw(drawn, c.background, c.ink);
        OcrResult result;
        result.lines = {{d.left, kY + kInkTop, d.right, kY + kInkBottom, read}};
        const auto proposals =
            mask_proposals::propose(result, mask_fit::inkOfLines(d.picture, result), {}, 700, 50);
        const mask_proposals::Proposal* p = nullptr;
        for (const auto& q : proposals)
            if (q.text == c.hit)
                p = &q;
        ASSERT_NE(p, nullptr);
        const std::size_t at = drawn.find(c.hit);
        int left = 1 << 30, right = 0;
        for (std::size_t i = at; i < at + std::string(c.hit).size(); ++i)
            if (d.inkLeft[i] >= 0)
                left = std::min(left, d.inkLeft[i]), right = std::max(right, d.inkRight[i]);
        const annotation::Rect box = annotation::normalized(p->mask.a, p->mask.b);
        // Without its padding, right exclusive.
        const int maskLeft = box.left + kPadding, maskRight = box.right - kPadding;
        EXPECT_LE(maskLeft, left);
        EXPECT_GE(maskRight, right);
        EXPECT_GE(maskLeft, d.left);
        EXPECT_LE(maskRight, d.right);
        if (c.expect == Expect::exact) {
            EXPECT_EQ(maskLeft, left);
            EXPECT_EQ(maskRight, right);
        }
    }
}

TEST(MaskFitTest, APictureWithoutInkKeepsTheEstimate) {
    const Drawn d = draw("", kWhite, kBlack);
    const OcrLine line{10, 10, 230, 24, "連絡先 taro@example.jp"};
    const mask_fit::LineInk ink = mask_fit::inkOf(d.picture, line);
    EXPECT_EQ(ink.ink, std::vector<uint8_t>(220, 0));
    const mask_fit::Columns c = mask_fit::fit(line, ink, 7, 22, {80, 230});
    EXPECT_EQ(c.left, 80);
    EXPECT_EQ(c.right, 230);
    // A box off the picture or too high for a line is not looked at.
    EXPECT_TRUE(mask_fit::inkOf(d.picture, {690, 10, 900, 24, "x"}).ink.size() == 10u);
    EXPECT_TRUE(mask_fit::inkOf(d.picture, {800, 10, 900, 24, "x"}).ink.empty());
    EXPECT_TRUE(mask_fit::inkOf(PackedDib(), line).ink.empty());
}

}  // namespace
