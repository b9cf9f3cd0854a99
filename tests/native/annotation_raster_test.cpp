// The annotation painter, pixel by pixel, on bottom-up BGR pictures.
#include "view/annotation_raster.h"

#include <gtest/gtest.h>

#include <vector>

namespace annotation {
namespace {

constexpr uint32_t kGrey = 0x808080;
constexpr uint8_t kPad = 0xA5;

// A picture with its rows padded to 4 bytes; the padding holds kPad, which
// no painter may touch.
struct Picture {
    std::vector<uint8_t> bytes;
    Canvas canvas;
    Picture(int32_t width, int32_t height, uint32_t background = kGrey) {
        canvas.width = width;
        canvas.height = height;
        canvas.stride = (uint32_t(width) * 3 + 3) & ~3u;
        bytes.assign(std::size_t{canvas.stride} * height, kPad);
        canvas.bits = bytes.data();
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                set(x, y, background);
    }
    uint8_t* at(int32_t x, int32_t y) {
        return bytes.data() + std::size_t(canvas.height - 1 - y) * canvas.stride + x * 3;
    }
    void set(int32_t x, int32_t y, uint32_t rgb) {
        uint8_t* p = at(x, y);
        p[0] = uint8_t(rgb);
        p[1] = uint8_t(rgb >> 8);
        p[2] = uint8_t(rgb >> 16);
    }
    uint32_t get(int32_t x, int32_t y) {
        const uint8_t* p = at(x, y);
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
    int count(uint32_t rgb) {
        int n = 0;
        for (int32_t y = 0; y < canvas.height; ++y)
            for (int32_t x = 0; x < canvas.width; ++x)
                n += get(x, y) == rgb ? 1 : 0;
        return n;
    }
    bool paddingKept() const {
        for (int32_t y = 0; y < canvas.height; ++y)
            for (uint32_t i = uint32_t(canvas.width) * 3; i < canvas.stride; ++i)
                if (bytes[std::size_t(y) * canvas.stride + i] != kPad)
                    return false;
        return true;
    }
    void paint(const Object& o) { paintShape(o, canvas, {0, 0, canvas.width, canvas.height}); }
};

Object shape(Kind kind, Point a, Point b, uint32_t colour, int32_t width = 3) {
    Object o;
    o.kind = kind;
    o.a = a;
    o.b = b;
    o.colour = colour;
    o.width = width;
    return o;
}

struct Probe {
    Point at;
    uint32_t rgb;
};

void expectPixels(Picture& picture, const std::vector<Probe>& probes) {
    for (const Probe& p : probes)
        EXPECT_EQ(picture.get(p.at.x, p.at.y), p.rgb) << p.at.x << "," << p.at.y;
}

TEST(AnnotationRaster, AFrameTouchesOnlyItsBars) {
    Picture picture(40, 40);
    picture.paint(shape(Kind::rectangle, {29, 29}, {10, 10}, kRed));
    expectPixels(picture, {{{10, 10}, kRed},
                           {{29, 29}, kRed},
                           {{12, 20}, kRed},
                           {{20, 27}, kRed},
                           {{13, 20}, kGrey},
                           {{20, 26}, kGrey},
                           {{9, 20}, kGrey},
                           {{30, 30}, kGrey}});
    EXPECT_EQ(picture.count(kRed), 20 * 20 - 14 * 14);
}

TEST(AnnotationRaster, AMaskStaysSolidUnderWhatLiesAboveIt) {
    const uint32_t colour = 0x123456;
    const std::vector<Object> objects = {
        shape(Kind::mask, {5, 5}, {24, 24}, colour, 0),
        shape(Kind::highlight, {0, 0}, {29, 29}, kYellow, 0),
        shape(Kind::rectangle, {3, 3}, {20, 20}, kRed, 4),
        shape(Kind::arrow, {0, 0}, {24, 24}, 0x0000FF, 2),
    };
    Picture picture(30, 30, kWhite);
    for (const std::size_t i : paintOrder(objects))
        picture.paint(objects[i]);
    EXPECT_EQ(picture.count(colour), 20 * 20);
    for (int32_t y = 5; y < 25; ++y)
        for (int32_t x = 5; x < 25; ++x)
            ASSERT_EQ(picture.get(x, y), colour) << x << "," << y;
    EXPECT_EQ(picture.get(19, 3), kRed);
    EXPECT_EQ(picture.get(27, 27), kYellow);
}

TEST(AnnotationRaster, AHighlightMultiplies) {
    Picture picture(4, 1, 0x80C0FF);
    picture.set(3, 0, kBlack);
    picture.paint(shape(Kind::highlight, {0, 0}, {3, 0}, kYellow, 0));
    expectPixels(picture, {{{0, 0}, 0x80C000}, {{3, 0}, kBlack}});
    picture.paint(shape(Kind::highlight, {0, 0}, {0, 0}, 0x808080, 0));
    EXPECT_EQ(picture.get(0, 0), 0x406000u);
}

TEST(AnnotationRaster, AnArrowHasItsHeadAtTheHead) {
    // Width 3: the head is 20 pixels long and 10 either side of the line.
    Picture picture(80, 40);
    picture.paint(shape(Kind::arrow, {5, 20}, {60, 20}, kRed));
    expectPixels(picture, {{{5, 20}, kRed},
                           {{4, 20}, kGrey},
                           {{30, 21}, kRed},
                           {{30, 19}, kRed},
                           {{30, 22}, kGrey},
                           {{30, 18}, kGrey},
                           {{58, 20}, kRed},
                           {{42, 28}, kRed},
                           {{42, 12}, kRed},
                           {{42, 30}, kGrey},
                           {{62, 20}, kGrey}});
    // Pointing up and left, the head is still at b.
    Picture other(80, 80);
    other.paint(shape(Kind::arrow, {70, 70}, {10, 10}, kRed));
    expectPixels(other, {{{12, 12}, kRed}, {{22, 16}, kRed}, {{16, 22}, kRed}, {{40, 50}, kGrey}});
}

TEST(AnnotationRaster, AMarkIsACircleWithAWhiteRing) {
    Picture picture(40, 40);
    picture.paint(shape(Kind::mark, {20, 20}, {0, 0}, kRed, 10));
    expectPixels(picture, {{{20, 20}, kRed},
                           {{29, 20}, kRed},
                           {{30, 20}, kWhite},
                           {{31, 20}, kGrey},
                           {{20, 10}, kWhite},
                           {{20, 9}, kGrey},
                           {{27, 27}, kWhite},
                           {{28, 28}, kGrey},
                           {{26, 26}, kRed}});
}

TEST(AnnotationRaster, ABalloonIsWhiteInsideItsBorder) {
    Picture picture(30, 30);
    Object text = shape(Kind::text, {5, 5}, {20, 15}, kBlack, 0);
    picture.paint(text);
    EXPECT_EQ(picture.count(kGrey), 30 * 30);
    text.balloon = true;
    picture.paint(text);
    expectPixels(picture,
                 {{{5, 5}, kBlack}, {{20, 15}, kBlack}, {{6, 6}, kWhite}, {{21, 10}, kGrey}});
    picture.paint(shape(Kind::crop, {0, 0}, {29, 29}, kRed, 0));
    EXPECT_EQ(picture.count(kRed), 0);
}

TEST(AnnotationRaster, PaintingStaysInsideTheCanvasAndTheClip) {
    const Object objects[] = {
        shape(Kind::mask, {-100, -100}, {1000, 1000}, kRed, 0),
        shape(Kind::rectangle, {-5, -5}, {7, 4}, kRed, 64),
        shape(Kind::arrow, {-50, 3}, {40, 2}, kRed, 64),
        shape(Kind::mark, {0, 9}, {0, 0}, kRed, 200),
        shape(Kind::highlight, {-kMaxCoordinate, 0}, {kMaxCoordinate, kMaxCoordinate}, kRed, 0),
    };
    for (const Object& o : objects) {
        Picture whole(5, 10);  // rows of 15 bytes padded to 16
        whole.paint(o);
        EXPECT_TRUE(whole.paddingKept());
        EXPECT_LT(whole.count(kGrey), 5 * 10);
        Picture part(5, 10);
        paintShape(o, part.canvas, {1, 2, 3, 5});
        for (int32_t y = 0; y < 10; ++y)
            for (int32_t x = 0; x < 5; ++x) {
                if (x < 1 || x >= 3 || y < 2 || y >= 5) {
                    ASSERT_EQ(part.get(x, y), kGrey) << x << "," << y;
                }
            }
        EXPECT_LT(part.count(kGrey), 5 * 10);
    }
}

TEST(AnnotationRaster, CopyAreaKeepsTheCrop) {
    Picture picture(10, 8);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 10; ++x)
            picture.set(x, y, uint32_t(x) << 16 | uint32_t(y) << 8 | 0x55);
    const Rect area = keptArea({shape(Kind::crop, {2, 3}, {6, 5}, 0, 0)}, 10, 8);
    std::vector<uint8_t> out;
    uint32_t stride = 0;
    copyArea(picture.canvas, area, out, &stride);
    ASSERT_EQ(stride, 16u);  // 5 pixels, 15 bytes, padded
    ASSERT_EQ(out.size(), 16u * 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            const uint8_t* p = out.data() + std::size_t(2 - y) * stride + x * 3;
            EXPECT_EQ(p[2], x + 2);
            EXPECT_EQ(p[1], y + 3);
            EXPECT_EQ(p[0], 0x55);
        }
}

}  // namespace
}  // namespace annotation
