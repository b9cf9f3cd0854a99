#include "view/annotation_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "picture/annotation_geometry.h"

namespace annotation {

namespace {

Rect intersection(const Rect& a, const Rect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

uint8_t* pixelAt(const Canvas& canvas, int32_t x, int32_t y) {
    return canvas.bits + std::size_t(canvas.height - 1 - y) * canvas.stride + std::size_t(x) * 3;
}

// Every painter below is handed a part already cut to the canvas and the
// clip, so it never looks at a pixel outside them.
void fill(Canvas& canvas, const Rect& part, uint32_t colour) {
    if (part.empty())
        return;
    const uint8_t bgr[3] = {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                            static_cast<uint8_t>(colour >> 16)};
    for (int32_t y = part.top; y < part.bottom; ++y) {
        uint8_t* p = pixelAt(canvas, part.left, y);
        for (int32_t x = part.left; x < part.right; ++x, p += 3)
            std::memcpy(p, bgr, 3);
    }
}

void fillIn(Canvas& canvas, const Rect& area, const Rect& part, uint32_t colour) {
    fill(canvas, intersection(area, part), colour);
}

void multiply(Canvas& canvas, const Rect& part, uint32_t colour) {
    if (part.empty())
        return;
    uint8_t table[3][256];
    for (int c = 0; c < 3; ++c) {
        const unsigned factor = (colour >> (8 * c)) & 0xFF;
        for (unsigned v = 0; v < 256; ++v)
            table[c][v] = static_cast<uint8_t>((v * factor + 127) / 255);
    }
    for (int32_t y = part.top; y < part.bottom; ++y) {
        uint8_t* p = pixelAt(canvas, part.left, y);
        for (int32_t x = part.left; x < part.right; ++x, p += 3) {
            p[0] = table[0][p[0]];
            p[1] = table[1][p[1]];
            p[2] = table[2][p[2]];
        }
    }
}

// Four bars `width` deep inside the box, none painted twice.
void frame(Canvas& canvas, const Rect& area, const Rect& box, int32_t width, uint32_t colour) {
    const int32_t top = std::min(box.top + width, box.bottom);
    const int32_t bottom = std::max(box.bottom - width, top);
    fillIn(canvas, area, {box.left, box.top, box.right, top}, colour);
    fillIn(canvas, area, {box.left, bottom, box.right, box.bottom}, colour);
    const int32_t left = std::min(box.left + width, box.right);
    const int32_t right = std::max(box.right - width, left);
    fillIn(canvas, area, {box.left, top, left, bottom}, colour);
    fillIn(canvas, area, {right, top, box.right, bottom}, colour);
}

// The pixels whose centres lie in the convex polygon: one span a row.
void fillConvex(Canvas& canvas, const Rect& area, const Spot* corners, int n, uint32_t colour) {
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const double yc = y + 0.5;
        double low = 0, high = 0;
        bool crossed = false;
        for (int i = 0; i < n; ++i) {
            const Spot p = corners[i], q = corners[(i + 1) % n];
            if (!((p.y <= yc && yc < q.y) || (q.y <= yc && yc < p.y)))
                continue;
            const double x = p.x + (yc - p.y) * (q.x - p.x) / (q.y - p.y);
            low = crossed ? std::min(low, x) : x;
            high = crossed ? std::max(high, x) : x;
            crossed = true;
        }
        if (!crossed)
            continue;
        const double from = std::clamp(std::ceil(low - 0.5), double(area.left), double(area.right));
        const double to = std::clamp(std::ceil(high - 0.5), double(area.left), double(area.right));
        fill(canvas, {static_cast<int32_t>(from), y, static_cast<int32_t>(to), y + 1}, colour);
    }
}

int32_t floorSqrt(int64_t v) {
    int64_t r = static_cast<int64_t>(std::sqrt(static_cast<double>(v)));
    while (r * r > v)
        --r;
    while ((r + 1) * (r + 1) <= v)
        ++r;
    return static_cast<int32_t>(r);
}

// A filled circle with a white ring of one pixel, a span or two a row.
void circle(Canvas& canvas, const Rect& area, Point centre, int32_t radius, uint32_t colour) {
    const int64_t outer = int64_t{radius} * radius;
    const int64_t inner = int64_t{radius - 1} * (radius - 1);
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const int64_t dy = int64_t{y} - centre.y;
        if (dy * dy > outer)
            continue;
        const int32_t half = floorSqrt(outer - dy * dy);
        fillIn(canvas, area, {centre.x - half, y, centre.x + half + 1, y + 1}, kWhite);
        if (radius >= 1 && dy * dy <= inner) {
            const int32_t in = floorSqrt(inner - dy * dy);
            fillIn(canvas, area, {centre.x - in, y, centre.x + in + 1, y + 1}, colour);
        }
    }
}

}  // namespace

void paintShape(const Object& object, Canvas& canvas, const Rect& clip) {
    if (canvas.bits == nullptr || canvas.width <= 0 || canvas.height <= 0)
        return;
    const Rect area =
        intersection(intersection(clip, {0, 0, canvas.width, canvas.height}), bounds(object));
    if (area.empty())
        return;
    const Rect box = normalized(object.a, object.b);
    switch (object.kind) {
        case Kind::rectangle:
            frame(canvas, area, box, std::max(object.width, 1), object.colour);
            break;
        case Kind::mask:
            fill(canvas, area, object.colour);
            break;
        case Kind::stamp:
            fill(canvas, area, object.background);
            break;
        case Kind::highlight:
            multiply(canvas, area, object.colour);
            break;
        case Kind::text:
            if (object.balloon) {
                frame(canvas, area, box, 1, object.colour);
                fillIn(canvas, area, {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1},
                       kWhite);
            }
            break;
        case Kind::mark:
            circle(canvas, area, object.a, object.width, object.colour);
            break;
        case Kind::arrow: {
            const ArrowShape shape = arrowShape(object);
            if (shape.hasShaft)
                fillConvex(canvas, area, shape.shaft, 4, object.colour);
            if (shape.hasHead)
                fillConvex(canvas, area, shape.head, 3, object.colour);
            break;
        }
        case Kind::crop:
            break;
    }
}

void copyArea(const Canvas& source, const Rect& area, std::vector<uint8_t>& out,
              uint32_t* outStride) {
    const Rect part = intersection(area, {0, 0, source.width, source.height});
    out.clear();
    if (outStride != nullptr)
        *outStride = 0;
    if (part.empty() || source.bits == nullptr)
        return;
    const std::size_t rowBytes = std::size_t(part.right - part.left) * 3;
    const uint32_t stride = static_cast<uint32_t>((rowBytes + 3) & ~std::size_t{3});
    const int32_t rows = part.bottom - part.top;
    out.assign(std::size_t{stride} * rows, 0);
    for (int32_t y = part.top; y < part.bottom; ++y)
        std::memcpy(out.data() + std::size_t(part.bottom - 1 - y) * stride,
                    pixelAt(source, part.left, y), rowBytes);
    if (outStride != nullptr)
        *outStride = stride;
}

}  // namespace annotation
