// The annotation sidecar on any bytes: it is refused, with no objects and a
// line that exists, or its objects write back to exactly the same bytes.
// What it reads is then painted onto a small picture held in a heap block
// of exactly its size, so that AddressSanitizer sees any pixel written
// outside it, and the model's geometry runs over it under UBSan.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "picture/annotation.h"
#include "picture/annotation_file.h"
#include "view/annotation_raster.h"

namespace {

using namespace annotation;

void paintAll(const std::vector<Object>& objects, const Rect& clip) {
    constexpr int32_t kWidth = 13, kHeight = 7;
    constexpr uint32_t kStride = (kWidth * 3 + 3) & ~3u;
    std::unique_ptr<uint8_t[]> bits(new uint8_t[std::size_t{kStride} * kHeight]());
    Canvas canvas{bits.get(), kWidth, kHeight, kStride};
    for (const std::size_t i : paintOrder(objects))
        paintShape(objects[i], canvas, clip);
    // Nothing is ever painted over a mask: inside the canvas and the clip, a
    // pixel under masks is the colour of the topmost of them.
    for (int32_t y = std::max(clip.top, 0); y < std::min(clip.bottom, kHeight); ++y)
        for (int32_t x = std::max(clip.left, 0); x < std::min(clip.right, kWidth); ++x) {
            const Object* top = nullptr;
            for (const Object& o : objects) {
                const Rect box = normalized(o.a, o.b);
                if (o.kind == Kind::mask && x >= box.left && x < box.right && y >= box.top &&
                    y < box.bottom)
                    top = &o;
            }
            const uint8_t* p = bits.get() + std::size_t(kHeight - 1 - y) * kStride + x * 3;
            FUZZ_CHECK(top == nullptr ||
                       (uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]) == top->colour);
        }
    const Rect kept = keptArea(objects, kWidth, kHeight);
    FUZZ_CHECK(!kept.empty() && kept.left >= 0 && kept.top >= 0 && kept.right <= kWidth &&
               kept.bottom <= kHeight);
    std::vector<uint8_t> out;
    uint32_t stride = 0;
    copyArea(canvas, kept, out, &stride);
    FUZZ_CHECK(out.size() == std::size_t{stride} * (kept.bottom - kept.top));
}

void touchModel(const std::vector<Object>& objects) {
    Document doc;
    doc.load(objects);
    const Point probes[] = {{0, 0}, {5, 3}, {-kMaxCoordinate, kMaxCoordinate}};
    for (const Point p : probes) {
        const int hit = doc.hitTest(p, 4);
        FUZZ_CHECK(hit >= -1 && hit < static_cast<int>(objects.size()));
    }
    for (std::size_t i = 0; i < objects.size() && i < 8; ++i) {
        bounds(objects[i]);
        for (const auto& [handle, at] : grips(objects[i])) {
            const Object moved = dragged(objects[i], handle, at, {at.x + 7, at.y - 3});
            const Object far = dragged(moved, handle, {0, 0}, {kMaxCoordinate, -kMaxCoordinate});
            const Rect box = normalized(far.a, far.b);
            FUZZ_CHECK(far.kind == Kind::arrow || !box.empty());
            FUZZ_CHECK(far.a.x >= -kMaxCoordinate && far.a.x <= kMaxCoordinate &&
                       far.b.y >= -kMaxCoordinate && far.b.y <= kMaxCoordinate);
        }
        doc.handleAt(i, objects[i].a, 4);
        doc.markNumber(i);
    }
    if (!objects.empty()) {
        doc.remove(0);
        doc.undo();
        FUZZ_CHECK(doc.objects() == objects && !doc.modified());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const SidecarRead read = parseSidecar(input);
    if (!read.ok) {
        FUZZ_CHECK(read.objects.empty());
        std::size_t lines = 0;
        for (std::size_t at = 0; (at = input.find("\r\n", at)) != std::string::npos; at += 2)
            ++lines;
        FUZZ_CHECK(read.line != 1 && read.line <= lines + 1);
        FUZZ_CHECK(choosePicture(true, input, false) == ExportChoice::withheld);
        return 0;
    }
    FUZZ_CHECK(writeSidecar(read.objects) == input);
    FUZZ_CHECK(choosePicture(true, input, false) ==
               (hasMask(read.objects) ? ExportChoice::withheld : ExportChoice::original));
    // A clip that the input picks, so that cuts of every kind are tried.
    const std::size_t pick = std::hash<std::string>()(input);
    const Rect clip = {int32_t(pick % 16) - 2, int32_t(pick / 16 % 10) - 2,
                       int32_t(pick / 160 % 18), int32_t(pick / 2880 % 11)};
    paintAll(read.objects, clip);
    paintAll(read.objects, {0, 0, 13, 7});
    touchModel(read.objects);
    return 0;
}
