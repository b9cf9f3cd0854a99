// The annotation model: edits and their undo, what the pointer is on, and
// how a drag changes an object.
#include "picture/annotation.h"

#include <gtest/gtest.h>

#include <vector>

namespace annotation {
namespace {

Object box(Kind kind, Point a, Point b, int32_t width = 3) {
    Object o;
    o.kind = kind;
    o.a = a;
    o.b = b;
    o.width = width;
    return o;
}

Object mark(Point centre) {
    Object o;
    o.kind = Kind::mark;
    o.a = centre;
    o.width = 10;
    return o;
}

TEST(AnnotationModel, EditsUndoAndRedoInOrder) {
    const Object frame = box(Kind::rectangle, {0, 0}, {9, 9});
    const Object wider = box(Kind::rectangle, {0, 0}, {19, 9});
    const Object dot = mark({5, 5});
    Document doc;
    ASSERT_TRUE(doc.add(frame));
    ASSERT_TRUE(doc.add(dot));
    ASSERT_TRUE(doc.replace(0, wider));
    ASSERT_TRUE(doc.sendToBack(1));
    ASSERT_TRUE(doc.remove(1));
    EXPECT_FALSE(doc.replace(1, frame));
    EXPECT_FALSE(doc.remove(1));
    const std::vector<std::vector<Object>> back = {{dot},        {dot, wider}, {wider, dot},
                                                   {frame, dot}, {frame},      {}};
    for (const auto& expected : back) {
        EXPECT_EQ(doc.objects(), expected);
        doc.undo();
    }
    EXPECT_FALSE(doc.canUndo());
    for (auto it = back.rbegin() + 1; it != back.rend(); ++it) {
        ASSERT_TRUE(doc.redo());
        EXPECT_EQ(doc.objects(), *it);
    }
    EXPECT_FALSE(doc.redo());
    doc.undo();
    ASSERT_TRUE(doc.add(frame));  // an edit drops what was undone
    EXPECT_FALSE(doc.canRedo());
}

TEST(AnnotationModel, ModifiedCountsFromTheSavedState) {
    Document doc;
    doc.load({mark({1, 1})});
    EXPECT_FALSE(doc.modified());
    EXPECT_FALSE(doc.canUndo());
    doc.replace(0, mark({1, 1}));  // no change, no step
    EXPECT_FALSE(doc.modified());
    EXPECT_FALSE(doc.canUndo());

    doc.add(mark({2, 2}));
    EXPECT_TRUE(doc.modified());
    doc.undo();
    EXPECT_FALSE(doc.modified());
    doc.redo();
    EXPECT_TRUE(doc.modified());
    doc.markSaved();
    EXPECT_FALSE(doc.modified());
    doc.undo();
    EXPECT_TRUE(doc.modified());
    doc.redo();
    EXPECT_FALSE(doc.modified());
    // Undo past the saved state, then edit: the saved state is gone.
    doc.undo();
    doc.add(mark({3, 3}));
    doc.undo();
    EXPECT_TRUE(doc.modified());
    doc.markSaved();
    EXPECT_FALSE(doc.modified());
}

TEST(AnnotationModel, TheDocumentHoldsAtMostItsLimit) {
    Document doc;
    doc.load(std::vector<Object>(kMaxObjects, mark({0, 0})));
    EXPECT_FALSE(doc.add(mark({1, 1})));
    EXPECT_FALSE(doc.setCrop({0, 0, 5, 5}));
    EXPECT_FALSE(doc.modified());
}

TEST(AnnotationModel, OneCropReplacesTheLast) {
    Document doc;
    doc.add(mark({1, 1}));
    ASSERT_TRUE(doc.setCrop({10, 20, 30, 40}));
    ASSERT_TRUE(doc.setCrop({0, 0, 100, 50}));
    ASSERT_EQ(doc.size(), 2u);
    EXPECT_EQ(keptArea(doc.objects(), 80, 80), (Rect{0, 0, 80, 50}));
    doc.undo();
    EXPECT_EQ(keptArea(doc.objects(), 80, 80), (Rect{10, 20, 30, 40}));
    ASSERT_TRUE(doc.setCrop({}));
    EXPECT_EQ(doc.objects(), std::vector<Object>{mark({1, 1})});
    // Cut to nothing by the picture: the whole picture stays.
    EXPECT_EQ(keptArea({box(Kind::crop, {200, 200}, {300, 300})}, 80, 60), (Rect{0, 0, 80, 60}));
}

TEST(AnnotationModel, HitTestTakesTheTopmostWithinTolerance) {
    Document doc;
    doc.load({box(Kind::rectangle, {0, 0}, {99, 99}),    // 0: a frame 3 px wide
              box(Kind::highlight, {40, 40}, {60, 60}),  // 1
              mark({200, 200}),                          // 2: radius 10
              box(Kind::arrow, {300, 0}, {400, 0}),      // 3: head 20 long, 10 wide
              box(Kind::crop, {500, 500}, {600, 600}),   // 4
              box(Kind::mask, {0, 0}, {10, 10})});       // 5: over the frame's corner
    const struct {
        Point at;
        int32_t tolerance;
        int index;
    } cases[] = {
        {{1, 50}, 0, 0},    {{30, 30}, 0, -1},   {{-2, 50}, 2, 0},   {{-3, 50}, 2, -1},
        {{4, 50}, 2, 0},    {{5, 50}, 2, -1},    {{5, 5}, 0, 5},     {{50, 50}, 0, 1},
        {{210, 200}, 0, 2}, {{211, 200}, 0, -1}, {{211, 200}, 1, 2}, {{350, 0}, 0, 3},
        {{350, 3}, 0, -1},  {{350, 3}, 2, 3},    {{382, 8}, 0, 3},   {{382, 12}, 0, -1},
        {{500, 550}, 0, 4}, {{550, 550}, 0, -1}, {{498, 550}, 2, 4}, {{1000, 0}, 5, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(doc.hitTest(c.at, c.tolerance), c.index) << c.at.x << "," << c.at.y;
}

TEST(AnnotationModel, HandleAtFindsGripsThenTheBody) {
    Document doc;
    doc.load({box(Kind::rectangle, {99, 99}, {0, 0}), box(Kind::arrow, {300, 0}, {400, 0}),
              mark({200, 200})});
    const struct {
        std::size_t index;
        Point at;
        Handle handle;
    } cases[] = {
        {0, {0, 0}, Handle::topLeft},         {0, {49, 0}, Handle::top},
        {0, {101, 101}, Handle::bottomRight}, {0, {1, 49}, Handle::left},
        {0, {1, 70}, Handle::move},           {0, {50, 50}, Handle::none},
        {1, {298, 1}, Handle::tail},          {1, {400, 0}, Handle::head},
        {1, {350, 0}, Handle::move},          {2, {205, 200}, Handle::move},
        {2, {230, 230}, Handle::none},        {3, {0, 0}, Handle::none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(doc.handleAt(c.index, c.at, 2), c.handle) << c.index << ": " << c.at.x;
}

TEST(AnnotationModel, DraggedMovesResizesAndNeverTurnsInsideOut) {
    const Object frame = box(Kind::rectangle, {20, 20}, {10, 10});
    const Object text = box(Kind::text, {10, 10}, {20, 20}, 0);
    const Object arrow = box(Kind::arrow, {0, 0}, {40, 40});
    const Object edge = box(Kind::mask, {kMaxCoordinate - 5, 0}, {kMaxCoordinate, 5}, 0);
    const struct {
        Object object;
        Handle handle;
        Point from, to, a, b;
    } cases[] = {
        {frame, Handle::move, {15, 15}, {20, 12}, {25, 17}, {15, 7}},
        {frame, Handle::bottomRight, {20, 20}, {30, 25}, {10, 10}, {30, 25}},
        {frame, Handle::topLeft, {10, 10}, {12, 13}, {12, 13}, {20, 20}},
        {frame, Handle::right, {20, 15}, {25, 99}, {10, 10}, {25, 20}},
        {frame, Handle::left, {10, 15}, {40, 15}, {19, 10}, {20, 20}},
        {frame, Handle::top, {15, 10}, {15, 50}, {10, 19}, {20, 20}},
        {frame, Handle::bottomLeft, {10, 20}, {90, -90}, {19, 10}, {20, 11}},
        {frame, Handle::head, {10, 20}, {90, -90}, {20, 20}, {10, 10}},
        {text, Handle::bottomRight, {20, 20}, {25, 30}, {15, 20}, {25, 30}},
        {arrow, Handle::head, {40, 40}, {45, 50}, {0, 0}, {45, 50}},
        {arrow, Handle::tail, {0, 0}, {-3, 2}, {-3, 2}, {40, 40}},
        {arrow, Handle::move, {5, 5}, {6, 6}, {1, 1}, {41, 41}},
        {mark({3, 3}), Handle::move, {3, 3}, {8, 1}, {8, 1}, {0, 0}},
        {edge, Handle::move, {0, 0}, {100, 1}, {kMaxCoordinate - 5, 1}, {kMaxCoordinate, 6}},
    };
    for (const auto& c : cases) {
        const Object out = dragged(c.object, c.handle, c.from, c.to);
        EXPECT_EQ(out.a, c.a) << static_cast<int>(c.handle) << " a " << out.a.x << "," << out.a.y;
        EXPECT_EQ(out.b, c.b) << static_cast<int>(c.handle) << " b " << out.b.x << "," << out.b.y;
        EXPECT_EQ(out.kind, c.object.kind);
    }
}

TEST(AnnotationModel, MarksAreNumberedInZOrder) {
    Document doc;
    doc.load({mark({0, 0}), box(Kind::rectangle, {0, 0}, {5, 5}), mark({1, 1}), mark({2, 2})});
    EXPECT_EQ(doc.markNumber(0), 1);
    EXPECT_EQ(doc.markNumber(2), 2);
    EXPECT_EQ(doc.markNumber(3), 3);
    EXPECT_EQ(doc.markNumber(1), 0);  // not a mark
    doc.remove(0);
    EXPECT_EQ(doc.markNumber(1), 1);
    EXPECT_EQ(doc.markNumber(2), 2);
}

TEST(AnnotationModel, BoundsHoldTheWholeShape) {
    EXPECT_EQ(bounds(box(Kind::mask, {5, 5}, {1, 1})), (Rect{1, 1, 6, 6}));
    EXPECT_EQ(bounds(mark({10, 10})), (Rect{0, 0, 21, 21}));
    // The head (10 px either side of the line) reaches beyond the line's 3 px.
    EXPECT_EQ(bounds(box(Kind::arrow, {0, 0}, {100, 0})), (Rect{0, -10, 101, 11}));
}

TEST(AnnotationModel, MasksArePaintedLastAndTheCropNever) {
    const std::vector<Object> objects = {
        box(Kind::mask, {0, 0}, {1, 1}), box(Kind::rectangle, {0, 0}, {1, 1}),
        box(Kind::crop, {0, 0}, {1, 1}), box(Kind::highlight, {0, 0}, {1, 1}),
        box(Kind::mask, {0, 0}, {1, 1})};
    EXPECT_EQ(paintOrder(objects), (std::vector<std::size_t>{1, 3, 0, 4}));
    EXPECT_TRUE(hasMask(objects));
    EXPECT_FALSE(hasMask({objects[1], objects[2]}));
}

}  // namespace
}  // namespace annotation
