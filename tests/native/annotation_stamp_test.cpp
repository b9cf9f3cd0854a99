// The capture's stamp: its text, its place in the chosen corner, its line in
// the sidecar, its pixels, and what the editor may do with it.
#include "view/annotation_stamp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "picture/annotation_file.h"
#include "view/annotation_editing.h"
#include "view/annotation_raster.h"

namespace {

using annotation::Kind;
using annotation::Object;
using annotation::Point;
using annotation::Rect;

TEST(AnnotationStamp, TheTextLeavesOutWhatIsNotKnown) {
    const struct {
        const char *dateTime, *tester, *testId, *text;
    } cases[] = {
        {"2026/12/10 15:04:08", "山田", "TC-001",
         "2026/12/10 15:04:08  実施者: 山田  テストID: TC-001"},
        {"2026/12/10 15:04:08", "山田", "", "2026/12/10 15:04:08  実施者: 山田"},
        {"2026/12/10 15:04:08", "", "TC-1", "2026/12/10 15:04:08  テストID: TC-1"},
        {"", "", "TC-1", "テストID: TC-1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stamp::stampText(c.dateTime, c.tester, c.testId), c.text) << c.text;
}

TEST(AnnotationStamp, TheBoxSitsInTheChosenCorner) {
    CaseSettings options;
    options.stampFontHeight = 14;
    // Text 100 x 14: the box is 108 x 22 with its pad, kMargin from the edges.
    const struct {
        StampCorner corner;
        Rect box;
    } cases[] = {
        {StampCorner::bottomRight, {640 - 4 - 108, 480 - 4 - 22, 640 - 4, 480 - 4}},
        {StampCorner::bottomLeft, {4, 480 - 4 - 22, 4 + 108, 480 - 4}},
        {StampCorner::topRight, {640 - 4 - 108, 4, 640 - 4, 4 + 22}},
        {StampCorner::topLeft, {4, 4, 4 + 108, 4 + 22}},
    };
    for (const auto& c : cases) {
        options.stampCorner = c.corner;
        const Object o = stamp::stampObject(options, "x", 100, 14, 640, 480);
        EXPECT_EQ(o.kind, Kind::stamp);
        EXPECT_EQ(annotation::bounds(o), c.box) << static_cast<int>(c.corner);
    }
    // Wider than the picture: from its left edge, never off it to the left.
    options.stampCorner = StampCorner::bottomRight;
    EXPECT_EQ(annotation::bounds(stamp::stampObject(options, "x", 300, 10, 50, 40)).left, 0);
}

TEST(AnnotationStamp, ItsSidecarLineRoundTrips) {
    CaseSettings options;
    options.stampTextColour = 0x12AB34;
    options.stampBackgroundColour = 0xFEDCBA;
    options.stampFontHeight = 20;
    const Object o = stamp::stampObject(
        options, stamp::stampText("2026/12/10 15:04:08", "表%\t", "ソ-1"), 150, 20, 800, 600);
    const std::string bytes = annotation::writeSidecar({o});
    // 表 ends in 0x5C, which is no escape; '%' and TAB are escaped.
    EXPECT_EQ(bytes,
              "ZAN 1\r\nstamp 638 568 795 595 12AB34 FEDCBA 20 \t"
              "2026/12/10 15:04:08  実施者: 表%25%09  テストID: ソ-1\r\n");
    const annotation::SidecarRead read = annotation::parseSidecar(bytes);
    ASSERT_TRUE(read.ok) << read.line;
    ASSERT_EQ(read.objects.size(), 1u);
    EXPECT_EQ(read.objects[0], o);
    // Without its background, without the face's field, or too small a
    // font: no stamp.
    for (const char* damaged :
         {"stamp 0 0 9 9 FFFFFF 14 \tx\r\n", "stamp 0 0 9 9 FFFFFF 000000 14\tx\r\n",
          "stamp 0 0 9 9 FFFFFF 000000 5 \tx\r\n"})
        EXPECT_EQ(annotation::parseSidecar(std::string("ZAN 1\r\n") + damaged).line, 2u) << damaged;
}

TEST(AnnotationStamp, ItPaintsOnlyItsCorner) {
    constexpr int32_t kWidth = 64, kHeight = 48;
    const uint32_t stride = (kWidth * 3 + 3) & ~3u;
    std::vector<uint8_t> bytes(std::size_t{stride} * kHeight);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    const std::vector<uint8_t> before = bytes;
    annotation::Canvas canvas{bytes.data(), kWidth, kHeight, stride};
    CaseSettings options;
    options.stampBackgroundColour = 0x0000FF;
    options.stampCorner = StampCorner::bottomRight;
    const Object o = stamp::stampObject(options, "x", 20, 10, kWidth, kHeight);
    const Rect box = annotation::bounds(o);
    ASSERT_EQ(box.right, kWidth - stamp::kMargin);
    ASSERT_EQ(box.bottom, kHeight - stamp::kMargin);
    annotation::paintShape(o, canvas, {0, 0, kWidth, kHeight});
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            const std::size_t at = std::size_t(kHeight - 1 - y) * stride + std::size_t(x) * 3;
            const bool inside = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
            if (inside) {
                EXPECT_EQ(bytes[at], 0xFF);  // blue, in BGR
                EXPECT_EQ(bytes[at + 1], 0x00);
                EXPECT_EQ(bytes[at + 2], 0x00);
            } else {
                ASSERT_EQ(0, std::memcmp(&bytes[at], &before[at], 3)) << x << "," << y;
            }
        }
    }
}

TEST(AnnotationStamp, ItIsPaintedOverDrawingsAndUnderMasks) {
    Object frame, mask, stamp;
    frame.kind = Kind::rectangle;
    mask.kind = Kind::mask;
    stamp.kind = Kind::stamp;
    EXPECT_EQ(annotation::paintOrder({stamp, mask, frame}), (std::vector<std::size_t>{2, 0, 1}));
}

TEST(AnnotationStamp, TheEditorMovesAndDeletesItButNeverChangesIt) {
    CaseSettings options;
    const Object o = stamp::stampObject(options, "2026/12/10", 80, 14, 640, 480);
    annotation_editing::Session session;
    session.document.load({o});
    session.selected = 0;
    EXPECT_EQ(session.selectedText(), -1);  // Enter and a double click retype no stamp
    EXPECT_FALSE(session.nudge(5, 5, true));
    EXPECT_TRUE(annotation::grips(o).empty());
    // A grip's drag moves it whole: its size is its text's.
    const Object dragged =
        annotation::dragged(o, annotation::Handle::topLeft, o.a, {o.a.x - 10, o.a.y - 3});
    EXPECT_EQ(dragged.b.x - dragged.a.x, o.b.x - o.a.x);
    EXPECT_EQ(dragged.a, (Point{o.a.x - 10, o.a.y - 3}));
    // Its colours stay the capture's; the colour button is the tool's.
    EXPECT_EQ(session.colourKind(), annotation_editing::kindOf(session.tool));
    EXPECT_FALSE(session.setColour(Kind::rectangle, 0x00FF00));
    EXPECT_EQ(session.document.objects()[0], o);
    EXPECT_TRUE(session.nudge(1, 0, false));
    EXPECT_EQ(session.document.objects()[0].a.x, o.a.x + 1);
    EXPECT_TRUE(session.deleteSelected());
    EXPECT_EQ(session.document.size(), 0u);
}

}  // namespace
