#include "capture/click_mark.h"

#include <cstdio>

namespace click_mark {

namespace {

// 5 x 7 digits, one row a byte, the leftmost pixel in bit 4.
constexpr uint8_t kDigits[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
};
constexpr int kScale = 2;  // each digit pixel drawn as 2 x 2
constexpr int kPad = 2;

struct Picture {
    uint8_t* bits;
    int32_t width, height;
    uint32_t stride;

    void set(int32_t x, int32_t y, const uint8_t (&bgr)[3]) const {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        uint8_t* p =
            bits + static_cast<uint64_t>(height - 1 - y) * stride + static_cast<uint64_t>(x) * 3;
        p[0] = bgr[0];
        p[1] = bgr[1];
        p[2] = bgr[2];
    }
};

}  // namespace

bool onRing(int32_t x, int32_t y, int32_t px, int32_t py) {
    const int64_t dx = px - x, dy = py - y;
    const int64_t d2 = dx * dx + dy * dy;
    const int64_t inner = kRingRadius - kRingThickness / 2;
    const int64_t outer = kRingRadius + kRingThickness / 2;
    return d2 >= inner * inner && d2 <= outer * outer;
}

void draw(uint8_t* bits, int32_t width, int32_t height, uint32_t stride, int32_t x, int32_t y,
          int number) {
    if (!bits || width <= 0 || height <= 0)
        return;
    const Picture picture{bits, width, height, stride};
    const int outer = kRingRadius + kRingThickness / 2;
    for (int32_t py = y - outer; py <= y + outer; ++py)
        for (int32_t px = x - outer; px <= x + outer; ++px)
            if (onRing(x, y, px, py))
                picture.set(px, py, kRed);

    char digits[12];
    const int count = std::snprintf(digits, sizeof digits, "%d", number < 0 ? 0 : number);
    const int32_t left = x + outer - 2, top = y + outer - 2;
    const int32_t boxWidth = kPad * 2 + count * 6 * kScale - kScale;
    const int32_t boxHeight = kPad * 2 + 7 * kScale;
    const uint8_t white[3] = {0xFF, 0xFF, 0xFF};
    for (int32_t py = top; py < top + boxHeight; ++py)
        for (int32_t px = left; px < left + boxWidth; ++px)
            picture.set(px, py, kRed);
    for (int i = 0; i < count; ++i) {
        const uint8_t(&glyph)[7] = kDigits[digits[i] - '0'];
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col) {
                if (!(glyph[row] & (0x10 >> col)))
                    continue;
                for (int s = 0; s < kScale * kScale; ++s)
                    picture.set(left + kPad + (i * 6 + col) * kScale + s % kScale,
                                top + kPad + row * kScale + s / kScale, white);
            }
    }
}

}  // namespace click_mark
