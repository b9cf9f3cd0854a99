// The annotation editor's commands without its window: which key does what
// where, where a tool key and Enter put the object, the zoom's steps and the
// point it keeps, and what a drag, a nudge, undo and the selection's keys
// leave in the document.
#include "view/annotation_editing.h"

#include <gtest/gtest.h>

namespace {

using namespace annotation_editing;
using annotation::Kind;

constexpr int kKeyA = 'A', kKeyR = 'R', kKeyS = 'S', kKeyZ = 'Z';

KeyPress press(int key, bool control = false, bool shift = false, bool alt = false) {
    return {key, control, shift, alt};
}

TEST(AnnotationEditorKeys, WhatEachKeyDoesWhere) {
    const struct {
        KeyPress press;
        KeyPlace place;
        Command command;
    } cases[] = {
        // Ctrl's keys work wherever the focus is, Shift or not, never with Alt
        // (Ctrl+Alt is AltGr on some keyboards).
        {press(kKeyS, true), KeyPlace::widthList, Command::save},
        {press(kKeyS, true, true), KeyPlace::canvas, Command::save},
        {press(kKeyS, true, false, true), KeyPlace::canvas, Command::none},
        {press(kKeyZ, true), KeyPlace::otherControl, Command::undo},
        {press(kKeyZero, true), KeyPlace::canvas, Command::zoomReset},
        {press(kKeyNumpadZero, true), KeyPlace::canvas, Command::zoomReset},
        {press(kKeyOemPlus, true), KeyPlace::canvas, Command::zoomIn},
        {press(kKeySubtract, true), KeyPlace::canvas, Command::zoomOut},
        {press(kKeyOemPlus), KeyPlace::canvas, Command::none},
        // A tool's letter, not with Shift or Ctrl, and not in the width list,
        // whose letters choose a width.
        {press(kKeyR), KeyPlace::canvas, Command::chooseTool},
        {press(kKeyR), KeyPlace::otherControl, Command::chooseTool},
        {press(kKeyR, false, true), KeyPlace::canvas, Command::none},
        {press(kKeyR, true), KeyPlace::canvas, Command::none},
        {press(kKeyR), KeyPlace::widthList, Command::none},
        {press(kKeyS), KeyPlace::canvas, Command::none},  // no tool's letter
        // Esc and Delete outside the list, Shift or not.
        {press(kKeyEscape), KeyPlace::otherControl, Command::cancel},
        {press(kKeyEscape, false, true), KeyPlace::canvas, Command::cancel},
        {press(kKeyEscape), KeyPlace::widthList, Command::none},
        {press(kKeyDelete), KeyPlace::canvas, Command::deleteSelected},
        {press(kKeyDelete, true), KeyPlace::canvas, Command::none},
        // The arrows, Enter and the brackets on the canvas only: a button
        // keeps its Enter and the dialog navigation its arrows.
        {press(kKeyLeft), KeyPlace::canvas, Command::nudge},
        {press(kKeyLeft), KeyPlace::otherControl, Command::none},
        {press(kKeyDown), KeyPlace::widthList, Command::none},
        {press(kKeyReturn), KeyPlace::canvas, Command::create},
        {press(kKeyReturn, false, true), KeyPlace::canvas, Command::create},
        {press(kKeyReturn), KeyPlace::otherControl, Command::none},
        {press(kKeyOpenBracket), KeyPlace::canvas, Command::previousObject},
        {press(kKeyCloseBracket, false, true), KeyPlace::canvas, Command::nextObject},
        {press(kKeyCloseBracket), KeyPlace::otherControl, Command::none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(editorKey(c.press, c.place).command, c.command)
            << "key " << c.press.key << " ctrl " << c.press.control << " shift " << c.press.shift
            << " alt " << c.press.alt << " place " << static_cast<int>(c.place);
}

TEST(AnnotationEditorKeys, ArrowsMoveAndWithShiftSizeToolKeysChooseTheirTool) {
    const struct {
        KeyPress press;
        int dx, dy;
        bool resize;
    } arrows[] = {
        {press(kKeyLeft), -1, 0, false},
        {press(kKeyRight), 1, 0, false},
        {press(kKeyUp), 0, -1, false},
        {press(kKeyDown, false, true), 0, 1, true},
    };
    for (const auto& a : arrows) {
        const KeyAction action = editorKey(a.press, KeyPlace::canvas);
        EXPECT_EQ(action.dx, a.dx) << a.press.key;
        EXPECT_EQ(action.dy, a.dy) << a.press.key;
        EXPECT_EQ(action.resize, a.resize) << a.press.key;
    }
    EXPECT_EQ(editorKey(press(kKeyA), KeyPlace::canvas).tool, Tool::arrow);
    EXPECT_EQ(editorKey(press('C'), KeyPlace::canvas).tool, Tool::crop);
    EXPECT_EQ(editorKey(press('V'), KeyPlace::canvas).tool, Tool::select);
}

TEST(AnnotationEditorView, EnterPutsTheObjectInTheMiddleOfWhatIsSeenOfThePicture) {
    const auto view = [](int zoom, int x, int y) {
        View v;
        v.zoom = zoom;
        v.scrollX = x;
        v.scrollY = y;
        return v;
    };
    const struct {
        const char* what;
        View view;
        int clientWidth, clientHeight;
        int32_t pictureWidth, pictureHeight;
        Point expected;
    } cases[] = {
        {"smaller than the canvas", view(100, 0, 0), 880, 620, 320, 240, {160, 120}},
        {"larger, scrolled", view(100, 500, 400), 800, 600, 2000, 1500, {900, 700}},
        {"larger, at the far end", view(100, 1200, 900), 800, 600, 2000, 1500, {1600, 1200}},
        {"smaller, zoomed in, still smaller", view(200, 0, 0), 880, 620, 320, 240, {160, 120}},
        {"smaller, zoomed in past the canvas, scrolled",
         view(400, 100, 40),
         880,
         620,
         320,
         240,
         {135, 87}},
        {"larger, zoomed out, scrolled", view(50, 100, 50), 800, 600, 2000, 1500, {1000, 700}},
        {"zoomed out until it is smaller", view(25, 0, 0), 800, 600, 2000, 1500, {1000, 750}},
        {"a canvas with no room", view(100, 0, 0), 0, 0, 320, 240, {0, 0}},
    };
    for (const auto& c : cases) {
        const Point p =
            visibleCentre(c.view, c.clientWidth, c.clientHeight, c.pictureWidth, c.pictureHeight);
        EXPECT_EQ(p.x, c.expected.x) << c.what;
        EXPECT_EQ(p.y, c.expected.y) << c.what;
    }
}

// The fault that made the test above: a mask of 100 x 60 on a 320 x 240
// picture in a larger window kept 51 x 31 of itself.
TEST(AnnotationEditorView, AKeyMaskOnASmallPictureLiesWhollyOnIt) {
    Session s;
    s.tool = Tool::mask;
    const Point centre = visibleCentre(s.view, 880, 620, 320, 240);
    ASSERT_TRUE(s.placeKeyObject(centre));
    const annotation::Rect box = annotation::bounds(s.document.objects()[0]);
    EXPECT_EQ(box.right - box.left, 101);
    EXPECT_EQ(box.bottom - box.top, 61);
    EXPECT_GE(box.left, 0);
    EXPECT_GE(box.top, 0);
    EXPECT_LE(box.right, 320);
    EXPECT_LE(box.bottom, 240);
    EXPECT_EQ(s.selected, 0);
}

TEST(AnnotationEditorView, ZoomStepsStopAtTheEnds) {
    const struct {
        int from, direction, expected;
    } cases[] = {
        {100, 1, 150}, {100, -1, 67}, {400, 1, 400}, {25, -1, 25}, {33, 1, 50}, {120, 1, 120},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zoomStep(c.from, c.direction), c.expected) << c.from << " " << c.direction;
}

TEST(AnnotationEditorView, ZoomKeepsThePointUnderThePointer) {
    View v;
    v.scrollX = 30;
    v.scrollY = 40;
    const Point under = v.toPicture(100, 50);
    ASSERT_TRUE(v.zoomAbout(200, 100, 50));
    EXPECT_EQ(v.toPicture(100, 50), under);
    EXPECT_EQ(v.toClientX(under.x), 100);
    EXPECT_FALSE(v.zoomAbout(200, 0, 0));
    ASSERT_TRUE(v.zoomAbout(1000, 0, 0));
    EXPECT_EQ(v.zoom, 400);
    EXPECT_EQ(v.tolerance(), 3);
    v.zoomAbout(25, 0, 0);
    EXPECT_EQ(v.tolerance(), 20);
}

// A drag from `a` to `b` with the session's tool, as the window runs it.
void drag(Session& s, Point a, Point b) {
    const Session::Press p = s.press(a);
    if (!p.started)
        return;
    s.movePreview(p.shown, 400, 300);
    s.movePreview(s.draggedTo(b), 400, 300);
    s.finishDrag();
}

TEST(AnnotationEditorDrag, ACreationIsKeptOnlyWhenLargeEnough) {
    const struct {
        Tool tool;
        Point from, to;
        bool kept;
    } cases[] = {
        {Tool::rectangle, {10, 10}, {11, 40}, false},  // three columns wide is the least
        {Tool::rectangle, {10, 10}, {12, 12}, true},
        {Tool::arrow, {10, 10}, {12, 11}, false},
        {Tool::arrow, {10, 10}, {12, 12}, true},
        {Tool::mark, {10, 10}, {10, 10}, true},  // a click puts a mark down
        {Tool::mask, {50, 50}, {20, 20}, true},  // either way round
    };
    for (const auto& c : cases) {
        Session s;
        s.tool = c.tool;
        drag(s, c.from, c.to);
        EXPECT_EQ(s.document.size(), c.kept ? 1u : 0u) << static_cast<int>(c.tool);
        EXPECT_EQ(s.selected, c.kept ? 0 : -1) << static_cast<int>(c.tool);
        EXPECT_EQ(s.drag, Session::Drag::none);
    }
}

TEST(AnnotationEditorDrag, TheSelectToolMovesWhatItGrabsAndUndoWaitsForTheDrag) {
    Session s;
    s.tool = Tool::mask;
    drag(s, {10, 10}, {50, 40});
    s.chooseTool(Tool::select);
    // Grabbed inside and moved by 5, 5; undo while the drag lasts is refused.
    const Session::Press p = s.press({30, 25});
    ASSERT_TRUE(p.started);
    EXPECT_EQ(p.skip, 0);
    s.movePreview(p.shown, 400, 300);
    s.movePreview(s.draggedTo({35, 30}), 400, 300);
    EXPECT_FALSE(s.undo());
    s.finishDrag();
    EXPECT_EQ(s.document.objects()[0].a, (Point{15, 15}));
    // A click on nothing drops the selection, and says which area lost it.
    const Session::Press away = s.press({300, 250});
    EXPECT_FALSE(away.started);
    EXPECT_FALSE(away.unselected.empty());
    EXPECT_EQ(s.selected, -1);
    EXPECT_TRUE(s.undo());
    EXPECT_EQ(s.document.objects()[0].a, (Point{10, 10}));
}

TEST(AnnotationEditorDrag, TheOldAndTheNewLookArePaintedAgain) {
    Session s;
    s.tool = Tool::rectangle;
    const Session::Press p = s.press({100, 100});
    const Session::Repaint first = s.movePreview(p.shown, 400, 300);
    EXPECT_TRUE(first.paintPreview);
    const Session::Repaint next = s.movePreview(s.draggedTo({150, 120}), 400, 300);
    // Three-pixel lines need a five-pixel margin on each side.
    EXPECT_EQ(next.dirty, (annotation::Rect{95, 95, 156, 126}));
    // Dragged off the picture, nothing of it is left to paint.
    EXPECT_TRUE(s.cancelDrag());
    EXPECT_FALSE(s.cancelDrag());
    const Session::Press off = s.press({500, 400});
    EXPECT_FALSE(s.movePreview(off.shown, 400, 300).paintPreview);
    EXPECT_FALSE(s.movePreview(s.draggedTo({600, 450}), 400, 300).paintPreview);
}

TEST(AnnotationEditorCommands, NudgeMovesOrSizesAndLeavesAMarkItsSize) {
    Session s;
    s.tool = Tool::rectangle;
    ASSERT_TRUE(s.placeKeyObject({100, 100}));
    ASSERT_TRUE(s.nudge(1, 0, false));
    EXPECT_EQ(s.document.objects()[0].a, (Point{51, 70}));
    ASSERT_TRUE(s.nudge(0, 1, true));
    EXPECT_EQ(annotation::normalized(s.document.objects()[0].a, s.document.objects()[0].b),
              (annotation::Rect{51, 70, 152, 132}));
    s.tool = Tool::mark;
    ASSERT_TRUE(s.placeKeyObject({20, 20}));
    EXPECT_FALSE(s.nudge(1, 1, true));
    EXPECT_TRUE(s.nudge(1, 1, false));
    EXPECT_EQ(s.document.objects()[1].a, (Point{21, 21}));
    s.selected = -1;
    EXPECT_FALSE(s.nudge(1, 0, false));
}

TEST(AnnotationEditorCommands, BracketsWalkRoundTheObjects) {
    Session s;
    EXPECT_FALSE(s.cycleSelection(true));
    s.tool = Tool::mask;
    for (int i = 0; i < 3; ++i)
        s.placeKeyObject({100 + 10 * i, 100});
    s.selected = -1;
    const struct {
        bool forward;
        int expected;
    } steps[] = {{true, 2}, {true, 0}, {false, 2}, {false, 1}};
    for (const auto& step : steps) {
        ASSERT_TRUE(s.cycleSelection(step.forward));
        EXPECT_EQ(s.selected, step.expected);
    }
}

TEST(AnnotationEditorCommands, ADrawingToolDropsTheSelectionTheSelectToolKeepsIt) {
    Session s;
    s.tool = Tool::mask;
    s.placeKeyObject({100, 100});
    EXPECT_TRUE(s.chooseTool(Tool::select).empty());
    EXPECT_EQ(s.selected, 0);
    EXPECT_EQ(s.chooseTool(Tool::arrow), annotation::bounds(s.document.objects()[0]));
    EXPECT_EQ(s.selected, -1);
}

TEST(AnnotationEditorCommands, ACropIsSetNotAddedAndColourAndWidthReachTheSelection) {
    Session s;
    s.tool = Tool::crop;
    EXPECT_FALSE(s.placeKeyObject({100, 100}));
    ASSERT_EQ(s.document.size(), 1u);
    EXPECT_EQ(s.document.objects()[0].kind, Kind::crop);
    EXPECT_EQ(s.selected, -1);
    s.tool = Tool::arrow;
    ASSERT_TRUE(s.placeKeyObject({100, 100}));
    EXPECT_EQ(s.colourKind(), Kind::arrow);
    EXPECT_TRUE(s.setColour(Kind::arrow, 0x0000FF));
    EXPECT_TRUE(s.setLineWidth(8));
    EXPECT_EQ(s.document.objects()[1].colour, 0x0000FFu);
    EXPECT_EQ(s.document.objects()[1].width, 8);
    EXPECT_EQ(s.newObject().width, 8);
    s.tool = Tool::highlight;
    s.placeKeyObject({100, 100});
    EXPECT_FALSE(s.setLineWidth(2));  // a highlight has no line
}

}  // namespace
