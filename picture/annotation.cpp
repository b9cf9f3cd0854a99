#include "picture/annotation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "picture/annotation_geometry.h"

namespace annotation {

namespace {

bool isBox(Kind kind) {
    return kind == Kind::rectangle || kind == Kind::highlight || kind == Kind::mask ||
           kind == Kind::crop || kind == Kind::text;
}

Rect inflated(const Rect& r, int32_t by) {
    return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

bool contains(const Rect& r, Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

Spot centre(Point p) {
    return {p.x + 0.5, p.y + 0.5};
}

int32_t clampCoordinate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, -kMaxCoordinate, kMaxCoordinate));
}

// How far `from` -> `to` may move every point of the object while each
// stays within the coordinates a sidecar keeps.
Point clampedShift(const Object& o, Point from, Point to) {
    int64_t dx = int64_t{to.x} - from.x, dy = int64_t{to.y} - from.y;
    const bool usesB = o.kind != Kind::mark;
    const int64_t loX = std::min(o.a.x, usesB ? o.b.x : o.a.x);
    const int64_t hiX = std::max(o.a.x, usesB ? o.b.x : o.a.x);
    const int64_t loY = std::min(o.a.y, usesB ? o.b.y : o.a.y);
    const int64_t hiY = std::max(o.a.y, usesB ? o.b.y : o.a.y);
    dx = std::clamp<int64_t>(dx, -kMaxCoordinate - loX, kMaxCoordinate - hiX);
    dy = std::clamp<int64_t>(dy, -kMaxCoordinate - loY, kMaxCoordinate - hiY);
    return {static_cast<int32_t>(dx), static_cast<int32_t>(dy)};
}

Object moved(const Object& o, Point from, Point to) {
    const Point d = clampedShift(o, from, to);
    Object out = o;
    out.a = {o.a.x + d.x, o.a.y + d.y};
    if (o.kind != Kind::mark)
        out.b = {o.b.x + d.x, o.b.y + d.y};
    return out;
}

// A side or corner of a box moved; the dragged sides stop one pixel short
// of the opposite ones. Held as inclusive edges.
Object resized(const Object& o, Handle handle, Point from, Point to) {
    const Rect box = normalized(o.a, o.b);
    int64_t left = box.left, top = box.top, right = box.right - 1, bottom = box.bottom - 1;
    const int64_t dx = int64_t{to.x} - from.x, dy = int64_t{to.y} - from.y;
    const bool moveLeft =
        handle == Handle::topLeft || handle == Handle::left || handle == Handle::bottomLeft;
    const bool moveRight =
        handle == Handle::topRight || handle == Handle::right || handle == Handle::bottomRight;
    const bool moveTop =
        handle == Handle::topLeft || handle == Handle::top || handle == Handle::topRight;
    const bool moveBottom =
        handle == Handle::bottomLeft || handle == Handle::bottom || handle == Handle::bottomRight;
    if (moveLeft)
        left = std::min(left + dx, right - 1);
    if (moveRight)
        right = std::max(right + dx, left + 1);
    if (moveTop)
        top = std::min(top + dy, bottom - 1);
    if (moveBottom)
        bottom = std::max(bottom + dy, top + 1);
    Object out = o;
    out.a = {clampCoordinate(left), clampCoordinate(top)};
    out.b = {clampCoordinate(right), clampCoordinate(bottom)};
    return out;
}

// The frame's band (a rectangle's lines, a crop's border) within
// `tolerance`: inside the box grown by it, outside the box shrunk by the
// band and it.
bool onBand(const Rect& box, int32_t band, int32_t tolerance, Point p) {
    return contains(inflated(box, tolerance), p) &&
           !contains(inflated(box, -(band + tolerance)), p);
}

bool hits(const Object& o, Point p, int32_t tolerance) {
    tolerance = std::max(tolerance, 0);
    switch (o.kind) {
        case Kind::rectangle:
            return onBand(normalized(o.a, o.b), std::max(o.width, 1), tolerance, p);
        case Kind::crop:
            return onBand(normalized(o.a, o.b), 1, tolerance, p);
        case Kind::highlight:
        case Kind::mask:
        case Kind::text:
        case Kind::stamp:
            return contains(inflated(normalized(o.a, o.b), tolerance), p);
        case Kind::mark: {
            const int64_t dx = int64_t{p.x} - o.a.x, dy = int64_t{p.y} - o.a.y;
            const int64_t reach = int64_t{o.width} + tolerance;
            return dx * dx + dy * dy <= reach * reach;
        }
        case Kind::arrow: {
            const ArrowShape shape = arrowShape(o);
            const Spot at = centre(p);
            return (shape.hasShaft && distanceToConvex(shape.shaft, 4, at) <= tolerance) ||
                   (shape.hasHead && distanceToConvex(shape.head, 3, at) <= tolerance);
        }
    }
    return false;
}

double cross(Spot o, Spot a, Spot b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double distanceToSegment(Spot a, Spot b, Spot p) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

}  // namespace

bool Object::operator==(const Object& o) const {
    return kind == o.kind && a == o.a && b == o.b && colour == o.colour && width == o.width &&
           fontHeight == o.fontHeight && face == o.face && balloon == o.balloon && text == o.text &&
           background == o.background;
}

Rect normalized(Point a, Point b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
}

ArrowShape arrowShape(const Object& arrow) {
    ArrowShape shape;
    const Spot tail = centre(arrow.a), point = centre(arrow.b);
    const double halfWidth = std::max(arrow.width, 1) / 2.0;
    const double dx = point.x - tail.x, dy = point.y - tail.y;
    const double length = std::hypot(dx, dy);
    if (length == 0) {
        // Both ends on one pixel: a square dot of the line's width.
        shape.shaft[0] = {tail.x - halfWidth, tail.y - halfWidth};
        shape.shaft[1] = {tail.x + halfWidth, tail.y - halfWidth};
        shape.shaft[2] = {tail.x + halfWidth, tail.y + halfWidth};
        shape.shaft[3] = {tail.x - halfWidth, tail.y + halfWidth};
        shape.hasShaft = true;
        return shape;
    }
    const double ux = dx / length, uy = dy / length, nx = -uy, ny = ux;
    const double headLength = 4.0 * arrow.width + 8, headHalf = 2.0 * arrow.width + 4;
    const Spot base = {point.x - ux * headLength, point.y - uy * headLength};
    shape.head[0] = point;
    shape.head[1] = {base.x + nx * headHalf, base.y + ny * headHalf};
    shape.head[2] = {base.x - nx * headHalf, base.y - ny * headHalf};
    shape.hasHead = true;
    if (length > headLength) {
        shape.shaft[0] = {tail.x + nx * halfWidth, tail.y + ny * halfWidth};
        shape.shaft[1] = {base.x + nx * halfWidth, base.y + ny * halfWidth};
        shape.shaft[2] = {base.x - nx * halfWidth, base.y - ny * halfWidth};
        shape.shaft[3] = {tail.x - nx * halfWidth, tail.y - ny * halfWidth};
        shape.hasShaft = true;
    }
    return shape;
}

bool insideConvex(const Spot* corners, int n, Spot p) {
    bool negative = false, positive = false;
    for (int i = 0; i < n; ++i) {
        const double c = cross(corners[i], corners[(i + 1) % n], p);
        negative = negative || c < 0;
        positive = positive || c > 0;
    }
    return !(negative && positive);
}

double distanceToConvex(const Spot* corners, int n, Spot p) {
    if (insideConvex(corners, n, p))
        return 0;
    double nearest = distanceToSegment(corners[n - 1], corners[0], p);
    for (int i = 0; i + 1 < n; ++i)
        nearest = std::min(nearest, distanceToSegment(corners[i], corners[i + 1], p));
    return nearest;
}

Rect bounds(const Object& object) {
    switch (object.kind) {
        case Kind::mark: {
            const int32_t r = object.width;
            return {object.a.x - r, object.a.y - r, object.a.x + r + 1, object.a.y + r + 1};
        }
        case Kind::arrow: {
            const ArrowShape shape = arrowShape(object);
            double left = 1e18, top = 1e18, right = -1e18, bottom = -1e18;
            const auto take = [&](const Spot* corners, int n) {
                for (int i = 0; i < n; ++i) {
                    left = std::min(left, corners[i].x);
                    right = std::max(right, corners[i].x);
                    top = std::min(top, corners[i].y);
                    bottom = std::max(bottom, corners[i].y);
                }
            };
            if (shape.hasShaft)
                take(shape.shaft, 4);
            if (shape.hasHead)
                take(shape.head, 3);
            return {static_cast<int32_t>(std::floor(left)), static_cast<int32_t>(std::floor(top)),
                    static_cast<int32_t>(std::floor(right)) + 1,
                    static_cast<int32_t>(std::floor(bottom)) + 1};
        }
        default:
            return normalized(object.a, object.b);
    }
}

std::vector<std::pair<Handle, Point>> grips(const Object& object) {
    if (object.kind == Kind::arrow)
        return {{Handle::tail, object.a}, {Handle::head, object.b}};
    if (!isBox(object.kind))
        return {};
    const Rect box = normalized(object.a, object.b);
    const int32_t l = box.left, t = box.top, r = box.right - 1, b = box.bottom - 1;
    const int32_t cx = l + (r - l) / 2, cy = t + (b - t) / 2;
    return {{Handle::topLeft, {l, t}},    {Handle::top, {cx, t}},        {Handle::topRight, {r, t}},
            {Handle::right, {r, cy}},     {Handle::bottomRight, {r, b}}, {Handle::bottom, {cx, b}},
            {Handle::bottomLeft, {l, b}}, {Handle::left, {l, cy}}};
}

Object dragged(const Object& object, Handle handle, Point from, Point to) {
    if (handle == Handle::none)
        return object;
    if (handle == Handle::move || object.kind == Kind::text || object.kind == Kind::mark ||
        object.kind == Kind::stamp)
        return moved(object, from, to);
    if (object.kind == Kind::arrow) {
        const int64_t dx = int64_t{to.x} - from.x, dy = int64_t{to.y} - from.y;
        Object out = object;
        Point& end = handle == Handle::tail ? out.a : out.b;
        if (handle == Handle::tail || handle == Handle::head)
            end = {clampCoordinate(end.x + dx), clampCoordinate(end.y + dy)};
        return out;
    }
    if (handle == Handle::tail || handle == Handle::head)
        return object;
    return resized(object, handle, from, to);
}

void Document::push() {
    if (savedAt_ < 0)
        savedReachable_ = false;  // the saved state was on the redo side
    undo_.push_back(objects_);
    redo_.clear();
    ++savedAt_;
}

bool Document::add(const Object& object) {
    if (objects_.size() >= kMaxObjects)
        return false;
    push();
    objects_.push_back(object);
    return true;
}

bool Document::replace(std::size_t index, const Object& object) {
    if (index >= objects_.size())
        return false;
    if (objects_[index] == object)
        return true;  // a drag that ended where it began is no step
    push();
    objects_[index] = object;
    return true;
}

bool Document::remove(std::size_t index) {
    if (index >= objects_.size())
        return false;
    push();
    objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool Document::bringToFront(std::size_t index) {
    if (index >= objects_.size())
        return false;
    if (index + 1 == objects_.size())
        return true;
    push();
    std::rotate(objects_.begin() + static_cast<std::ptrdiff_t>(index),
                objects_.begin() + static_cast<std::ptrdiff_t>(index) + 1, objects_.end());
    return true;
}

bool Document::sendToBack(std::size_t index) {
    if (index >= objects_.size())
        return false;
    if (index == 0)
        return true;
    push();
    std::rotate(objects_.begin(), objects_.begin() + static_cast<std::ptrdiff_t>(index),
                objects_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
    return true;
}

// An empty box takes the crop away.
bool Document::setCrop(const Rect& box) {
    std::vector<Object> next;
    next.reserve(objects_.size() + 1);
    for (const Object& o : objects_) {
        if (o.kind != Kind::crop)
            next.push_back(o);
    }
    if (!box.empty()) {
        Object crop;
        crop.kind = Kind::crop;
        crop.a = {box.left, box.top};
        crop.b = {box.right - 1, box.bottom - 1};
        crop.colour = 0;
        crop.width = 0;
        next.push_back(crop);
    }
    if (next.size() > kMaxObjects)
        return false;
    if (next == objects_)
        return true;
    push();
    objects_ = std::move(next);
    return true;
}

namespace {

// Takes the objects of the last state on `from` and keeps the present ones
// on `to`.
bool swapState(std::vector<Object>& objects, std::vector<std::vector<Object>>& from,
               std::vector<std::vector<Object>>& to) {
    if (from.empty())
        return false;
    to.push_back(std::move(objects));
    objects = std::move(from.back());
    from.pop_back();
    return true;
}

}  // namespace

bool Document::undo() {
    if (!swapState(objects_, undo_, redo_))
        return false;
    --savedAt_;
    return true;
}

bool Document::redo() {
    if (!swapState(objects_, redo_, undo_))
        return false;
    ++savedAt_;
    return true;
}

void Document::load(std::vector<Object> objects) {
    objects_ = std::move(objects);
    undo_.clear();
    redo_.clear();
    markSaved();
}

bool Document::modified() const {
    return !savedReachable_ || savedAt_ != 0;
}

void Document::markSaved() {
    savedAt_ = 0;
    savedReachable_ = true;
}

int Document::hitTest(Point point, int32_t tolerance) const {
    for (std::size_t i = objects_.size(); i-- > 0;) {
        if (hits(objects_[i], point, tolerance))
            return static_cast<int>(i);
    }
    return -1;
}

Handle Document::handleAt(std::size_t index, Point point, int32_t tolerance) const {
    if (index >= objects_.size())
        return Handle::none;
    const Object& o = objects_[index];
    Handle nearest = Handle::none;
    int64_t best = int64_t{std::max(tolerance, 0)} + 1;
    for (const auto& [handle, at] : grips(o)) {
        const int64_t distance =
            std::max(std::llabs(int64_t{point.x} - at.x), std::llabs(int64_t{point.y} - at.y));
        if (distance < best) {
            best = distance;
            nearest = handle;
        }
    }
    if (nearest != Handle::none)
        return nearest;
    return hits(o, point, tolerance) ? Handle::move : Handle::none;
}

int Document::markNumber(std::size_t index) const {
    if (index >= objects_.size() || objects_[index].kind != Kind::mark)
        return 0;
    int number = 1;
    for (std::size_t i = 0; i < index; ++i)
        number += objects_[i].kind == Kind::mark ? 1 : 0;
    return number;
}

std::vector<std::size_t> paintOrder(const std::vector<Object>& objects) {
    std::vector<std::size_t> order;
    order.reserve(objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const Kind kind = objects[i].kind;
        if (kind != Kind::mask && kind != Kind::crop && kind != Kind::stamp)
            order.push_back(i);
    }
    for (const Kind last : {Kind::stamp, Kind::mask}) {
        for (std::size_t i = 0; i < objects.size(); ++i) {
            if (objects[i].kind == last)
                order.push_back(i);
        }
    }
    return order;
}

Rect keptArea(const std::vector<Object>& objects, int32_t width, int32_t height) {
    const Rect whole = {0, 0, width, height};
    for (std::size_t i = objects.size(); i-- > 0;) {
        if (objects[i].kind != Kind::crop)
            continue;
        const Rect box = normalized(objects[i].a, objects[i].b);
        const Rect kept = {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, width),
                           std::min(box.bottom, height)};
        return kept.empty() ? whole : kept;
    }
    return whole;
}

bool hasMask(const std::vector<Object>& objects) {
    for (const Object& o : objects) {
        if (o.kind == Kind::mask)
            return true;
    }
    return false;
}

}  // namespace annotation
