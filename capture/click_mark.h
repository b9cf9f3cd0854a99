// The mark of a recorded click, drawn into a bottom-up 24-bit BGR picture
// (the layout of a DIB): a red ring centred on the click point and the step
// number in white on red below and to the right of it. Platform-free: no
// font is needed, the digits are drawn from a bitmap of their own.
#pragma once

#include <cstdint>

namespace click_mark {

constexpr int kRingRadius = 16;                  // pixels, to the middle of the ring
constexpr int kRingThickness = 4;                // pixels
constexpr uint8_t kRed[3] = {0x00, 0x00, 0xFF};  // B, G, R

// Draws the mark for step `number` at (x, y), picture coordinates from the
// top-left corner; whatever falls outside the picture is left out.
void draw(uint8_t* bottomUpBgr, int32_t width, int32_t height, uint32_t stride, int32_t x,
          int32_t y, int number);

// Whether the pixel at (px, py) is on the ring of a mark centred at (x, y).
bool onRing(int32_t x, int32_t y, int32_t px, int32_t py);

}  // namespace click_mark
