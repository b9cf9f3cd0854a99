// The eight capture kinds and their global hot keys. Platform-free.
#pragma once

#include <cstdint>

enum class CaptureKind : int {
    ActiveWindow = 0,
    Screen = 1,
    ActiveWindowFrame = 2,
    ScreenFrame = 3,
    ActiveWindowMarker = 4,
    ScreenMarker = 5,
    ActiveWindowCursor = 6,
    ScreenCursor = 7,
};

// What a finished capture took.
enum CaptureTarget : int32_t { kTargetNone = 0, kTargetWindow = 1, kTargetScreen = 2 };

constexpr int kFirstHotKeyId = 102;  // kind index i registers id 102 + i
constexpr int kLastHotKeyId = 109;

// The hot-key control reports Shift 0x01, Ctrl 0x02, Alt 0x04 (and 0x08 for
// an extended key); RegisterHotKey wants MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4.
constexpr uint32_t registerModifiers(int32_t controlFlags) {
    return ((controlFlags & 0x04) ? 0x0001u : 0u) | ((controlFlags & 0x02) ? 0x0002u : 0u) |
           ((controlFlags & 0x01) ? 0x0004u : 0u);
}
