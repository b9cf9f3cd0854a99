#include "view/annotation_editing.h"

#include <algorithm>
#include <cstdlib>

namespace annotation_editing {

using annotation::Handle;
using annotation::Kind;

namespace {

constexpr int kZoomCount = sizeof kZooms / sizeof kZooms[0];

// Half the size of the object a key puts down.
constexpr int32_t kKeyObjectHalfWidth = 50;
constexpr int32_t kKeyObjectHalfHeight = 30;

// One axis of visibleCentre: the middle of the picture pixels that the
// canvas's [0, client) shows.
int32_t visibleMiddle(int scroll, int client, int zoom, int32_t size) {
    if (size <= 0)
        return 0;
    const int64_t first = int64_t{std::max(0, scroll)} * 100 / zoom;
    const int64_t end =
        std::min<int64_t>(size, (int64_t{std::max(0, scroll)} + std::max(0, client)) * 100 / zoom);
    const int64_t middle = end > first ? (first + end) / 2 : first;
    return static_cast<int32_t>(std::clamp<int64_t>(middle, 0, size - 1));
}

// The modifiers a key wants: Ctrl (Shift or not), or none but perhaps Shift
// (which sizes instead of moving), or none at all (Shift+letter is no tool).
enum class Modifiers { control, plain, unshifted };
// Where the focus must be: anywhere in the editor, anywhere but the width
// list (whose letters and arrows choose a width), or on the canvas.
enum class Where { anywhere, outsideList, canvas };

struct KeyRule {
    int key;
    Modifiers modifiers;
    Where where;
    Command command;
    int dx, dy;
};

constexpr KeyRule kKeyRules[] = {
    {'S', Modifiers::control, Where::anywhere, Command::save, 0, 0},
    {'Z', Modifiers::control, Where::anywhere, Command::undo, 0, 0},
    {'Y', Modifiers::control, Where::anywhere, Command::redo, 0, 0},
    {kKeyZero, Modifiers::control, Where::anywhere, Command::zoomReset, 0, 0},
    {kKeyNumpadZero, Modifiers::control, Where::anywhere, Command::zoomReset, 0, 0},
    {kKeyOemPlus, Modifiers::control, Where::anywhere, Command::zoomIn, 0, 0},
    {kKeyAdd, Modifiers::control, Where::anywhere, Command::zoomIn, 0, 0},
    {kKeyOemMinus, Modifiers::control, Where::anywhere, Command::zoomOut, 0, 0},
    {kKeySubtract, Modifiers::control, Where::anywhere, Command::zoomOut, 0, 0},
    {kKeyEscape, Modifiers::plain, Where::outsideList, Command::cancel, 0, 0},
    {kKeyDelete, Modifiers::plain, Where::outsideList, Command::deleteSelected, 0, 0},
    {kKeyLeft, Modifiers::plain, Where::canvas, Command::nudge, -1, 0},
    {kKeyRight, Modifiers::plain, Where::canvas, Command::nudge, 1, 0},
    {kKeyUp, Modifiers::plain, Where::canvas, Command::nudge, 0, -1},
    {kKeyDown, Modifiers::plain, Where::canvas, Command::nudge, 0, 1},
    {kKeyReturn, Modifiers::plain, Where::canvas, Command::create, 0, 0},
    {kKeyOpenBracket, Modifiers::plain, Where::canvas, Command::previousObject, 0, 0},
    {kKeyCloseBracket, Modifiers::plain, Where::canvas, Command::nextObject, 0, 0},
};

bool modifiersFit(Modifiers wanted, const KeyPress& press) {
    if (press.alt)
        return false;
    switch (wanted) {
        case Modifiers::control:
            return press.control;
        case Modifiers::plain:
            return !press.control;
        case Modifiers::unshifted:
            return !press.control && !press.shift;
    }
    return false;
}

bool placeFits(Where wanted, KeyPlace place) {
    switch (wanted) {
        case Where::anywhere:
            return true;
        case Where::outsideList:
            return place != KeyPlace::widthList;
        case Where::canvas:
            return place == KeyPlace::canvas;
    }
    return false;
}

// Whether an object let go after a drag is meant, not a slip of a click.
bool largeEnough(const Object& o) {
    if (o.kind == Kind::mark)
        return true;
    if (o.kind == Kind::arrow)
        return std::abs(o.b.x - o.a.x) + std::abs(o.b.y - o.a.y) >= 4;
    const Rect box = annotation::normalized(o.a, o.b);
    return box.right - box.left >= 3 && box.bottom - box.top >= 3;
}

Object nothingShown() {
    Object none;
    none.a = none.b = {-1, -1};
    return none;
}

}  // namespace

Kind kindOf(Tool tool) {
    switch (tool) {
        case Tool::arrow:
            return Kind::arrow;
        case Tool::text:
            return Kind::text;
        case Tool::mark:
            return Kind::mark;
        case Tool::highlight:
            return Kind::highlight;
        case Tool::mask:
            return Kind::mask;
        case Tool::crop:
            return Kind::crop;
        default:
            return Kind::rectangle;
    }
}

int zoomStep(int current, int direction) {
    for (int i = 0; i < kZoomCount; ++i)
        if (kZooms[i] == current)
            return kZooms[std::clamp(i + (direction > 0 ? 1 : -1), 0, kZoomCount - 1)];
    return current;
}

Point View::toPicture(int x, int y) const {
    return {static_cast<int32_t>((static_cast<int64_t>(x) + scrollX) * 100 / zoom),
            static_cast<int32_t>((static_cast<int64_t>(y) + scrollY) * 100 / zoom)};
}

int View::toClientX(int32_t x) const {
    return static_cast<int>(int64_t{x} * zoom / 100) - scrollX;
}

int View::toClientY(int32_t y) const {
    return static_cast<int>(int64_t{y} * zoom / 100) - scrollY;
}

int32_t View::tolerance() const {
    return std::max(3, 5 * 100 / zoom);
}

bool View::zoomAbout(int percent, int keepX, int keepY) {
    percent = std::clamp(percent, kZooms[0], kZooms[kZoomCount - 1]);
    if (percent == zoom)
        return false;
    const Point p = toPicture(keepX, keepY);
    zoom = percent;
    scrollX = static_cast<int>(int64_t{p.x} * zoom / 100) - keepX;
    scrollY = static_cast<int>(int64_t{p.y} * zoom / 100) - keepY;
    return true;
}

Point visibleCentre(const View& view, int clientWidth, int clientHeight, int32_t pictureWidth,
                    int32_t pictureHeight) {
    return {visibleMiddle(view.scrollX, clientWidth, view.zoom, pictureWidth),
            visibleMiddle(view.scrollY, clientHeight, view.zoom, pictureHeight)};
}

Rect united(const Rect& a, const Rect& b) {
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

Rect inflated(const Rect& r, int32_t by, int32_t width, int32_t height) {
    return {std::max(0, r.left - by), std::max(0, r.top - by), std::min(width, r.right + by),
            std::min(height, r.bottom + by)};
}

KeyAction editorKey(const KeyPress& press, KeyPlace place) {
    KeyAction action;
    for (const KeyRule& rule : kKeyRules)
        if (rule.key == press.key && modifiersFit(rule.modifiers, press) &&
            placeFits(rule.where, place)) {
            action.command = rule.command;
            action.dx = rule.dx;
            action.dy = rule.dy;
            action.resize = rule.command == Command::nudge && press.shift;
            return action;
        }
    for (const ToolButton& t : kTools)
        if (press.key == t.key && modifiersFit(Modifiers::unshifted, press) &&
            placeFits(Where::outsideList, place)) {
            action.command = Command::chooseTool;
            action.tool = t.tool;
            return action;
        }
    return action;
}

// What its kind does not use stays 0, as the sidecar writes it.
Object Session::newObject() const {
    Object o;
    o.kind = kindOf(tool);
    o.colour = o.kind == Kind::crop ? 0 : colours[static_cast<int>(o.kind)];
    o.width = o.kind == Kind::rectangle || o.kind == Kind::arrow ? lineWidth
              : o.kind == Kind::mark                             ? kMarkRadius
                                                                 : 0;
    return o;
}

Rect Session::chooseTool(Tool next) {
    tool = next;
    if (next == Tool::select || selected < 0)
        return {};
    const Rect r = annotation::bounds(document.objects()[static_cast<std::size_t>(selected)]);
    selected = -1;
    return r;
}

Session::Press Session::press(Point p) {
    Press result;
    if (tool == Tool::text)
        return result;  // the text is asked for at the release
    from_ = p;
    if (tool != Tool::select) {
        drag = Drag::create;
        Object o = newObject();
        o.a = o.b = p;
        if (o.kind == Kind::mark)
            o.b = {0, 0};
        previewNumber = 1;
        for (const Object& other : document.objects())
            previewNumber += other.kind == Kind::mark;
        selected = -1;
        preview = nothingShown();
        result.started = true;
        result.shown = o;
        return result;
    }
    // A grip of the selected object first, then the topmost object hit.
    const int32_t near = view.tolerance();
    int index = -1;
    Handle h = Handle::none;
    if (selected >= 0)
        h = document.handleAt(static_cast<std::size_t>(selected), p, near);
    if (h != Handle::none) {
        index = selected;
    } else {
        index = document.hitTest(p, near);
        if (index >= 0)
            h = document.handleAt(static_cast<std::size_t>(index), p, near);
    }
    if (selected >= 0 && selected != index)
        result.unselected =
            annotation::bounds(document.objects()[static_cast<std::size_t>(selected)]);
    selected = index;
    if (index < 0 || h == Handle::none)
        return result;
    drag = Drag::edit;
    handle_ = h;
    before = document.objects()[static_cast<std::size_t>(index)];
    previewNumber =
        before.kind == Kind::mark ? document.markNumber(static_cast<std::size_t>(index)) : 0;
    preview = nothingShown();
    result.started = true;
    result.skip = index;
    result.shown = before;
    return result;
}

Object Session::draggedTo(Point p) const {
    if (drag == Drag::edit)
        return annotation::dragged(before, handle_, from_, p);
    Object next = preview;
    if (drag == Drag::create) {
        if (next.kind == Kind::mark)
            next.a = p;
        else
            next.b = p;
    }
    return next;
}

Session::Repaint Session::movePreview(const Object& next, int32_t width, int32_t height) {
    // Wide enough for a line's width and an arrow's head on either side.
    const int32_t margin = std::max<int32_t>(next.width, 2) + 2;
    const Rect old = inflated(annotation::bounds(preview), margin, width, height);
    const Rect now = inflated(annotation::bounds(next), margin, width, height);
    preview = next;
    return {united(old, now), !now.empty()};
}

void Session::finishDrag() {
    const Drag was = drag;
    drag = Drag::none;
    if (was == Drag::edit) {
        if (!(preview == before))
            document.replace(static_cast<std::size_t>(selected), preview);
    } else if (was == Drag::create && largeEnough(preview)) {
        if (preview.kind == Kind::crop)
            document.setCrop(annotation::normalized(preview.a, preview.b));
        else if (document.add(preview))
            selected = static_cast<int>(document.size()) - 1;
    }
}

bool Session::cancelDrag() {
    if (drag == Drag::none)
        return false;
    drag = Drag::none;
    return true;
}

bool Session::undo() {
    if (drag != Drag::none || !document.undo())
        return false;
    selected = -1;
    return true;
}

bool Session::redo() {
    if (drag != Drag::none || !document.redo())
        return false;
    selected = -1;
    return true;
}

bool Session::cycleSelection(bool forward) {
    if (document.size() == 0)
        return false;
    const int n = static_cast<int>(document.size());
    selected = selected < 0 ? n - 1 : (selected + (forward ? 1 : n - 1)) % n;
    return true;
}

bool Session::nudge(int dx, int dy, bool resize) {
    if (selected < 0)
        return false;
    const Object& o = document.objects()[static_cast<std::size_t>(selected)];
    if (resize && (o.kind == Kind::mark || o.kind == Kind::text || o.kind == Kind::stamp))
        return false;
    const Handle h = !resize                 ? Handle::move
                     : o.kind == Kind::arrow ? Handle::head
                                             : Handle::bottomRight;
    const Rect box = annotation::normalized(o.a, o.b);
    const Point p = !resize                 ? o.a
                    : o.kind == Kind::arrow ? o.b
                                            : Point{box.right - 1, box.bottom - 1};
    document.replace(static_cast<std::size_t>(selected),
                     annotation::dragged(o, h, p, {p.x + dx, p.y + dy}));
    return true;
}

bool Session::deleteSelected() {
    if (selected < 0)
        return false;
    document.remove(static_cast<std::size_t>(selected));
    selected = -1;
    return true;
}

Object Session::keyObject(Point centre) const {
    Object o = newObject();
    if (o.kind == Kind::mark) {
        o.a = centre;
        o.b = {0, 0};
        return o;
    }
    o.a = {centre.x - kKeyObjectHalfWidth, centre.y - kKeyObjectHalfHeight};
    o.b = {centre.x + kKeyObjectHalfWidth, centre.y + kKeyObjectHalfHeight};
    return o;
}

bool Session::placeKeyObject(Point centre) {
    const Object o = keyObject(centre);
    if (o.kind == Kind::crop) {
        document.setCrop(annotation::normalized(o.a, o.b));
        return false;
    }
    if (!document.add(o))
        return false;
    selected = static_cast<int>(document.size()) - 1;
    return true;
}

// A stamp's colours are the capture's settings, not the editor's: with a
// stamp selected the colour button is the tool's, and the stamp keeps its own.
Kind Session::colourKind() const {
    if (selected < 0)
        return kindOf(tool);
    const Kind kind = document.objects()[static_cast<std::size_t>(selected)].kind;
    return kind == Kind::stamp ? kindOf(tool) : kind;
}

bool Session::setColour(Kind kind, uint32_t rgb) {
    if (kind == Kind::stamp)
        return false;
    colours[static_cast<int>(kind)] = rgb;
    if (selected < 0)
        return false;
    Object o = document.objects()[static_cast<std::size_t>(selected)];
    if (o.kind == Kind::stamp)
        return false;
    o.colour = rgb;
    document.replace(static_cast<std::size_t>(selected), o);
    return true;
}

bool Session::setLineWidth(int32_t width) {
    lineWidth = width;
    if (selected < 0)
        return false;
    Object o = document.objects()[static_cast<std::size_t>(selected)];
    if (o.kind != Kind::rectangle && o.kind != Kind::arrow)
        return false;
    o.width = width;
    document.replace(static_cast<std::size_t>(selected), o);
    return true;
}

int Session::selectedText() const {
    if (selected < 0 || document.objects()[static_cast<std::size_t>(selected)].kind != Kind::text)
        return -1;
    return selected;
}

bool Session::putText(Object text, int replaceIndex) {
    if (replaceIndex >= 0) {
        text.colour = document.objects()[static_cast<std::size_t>(replaceIndex)].colour;
        if (!document.replace(static_cast<std::size_t>(replaceIndex), text))
            return false;
        selected = replaceIndex;
        return true;
    }
    if (!document.add(text))
        return false;
    selected = static_cast<int>(document.size()) - 1;
    return true;
}

}  // namespace annotation_editing
