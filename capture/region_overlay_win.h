// The region capture's overlay: the frozen screen shown over the whole
// display, a rectangle dragged on it with the crosshair, its size shown
// beside the pointer. Esc or the right button cancels.
#pragma once

#include <windows.h>

#include "capture/capture_extras.h"

// Runs its own message loop until the user has dragged a region or
// cancelled; true with the region (screen coordinates, cut to the screen).
// The overlay covers the virtual screen `screen` of every monitor:
// `frozen`, a bitmap of its size not selected into any DC, shows it, its
// (0, 0) at the screen's corner, which lies at negative coordinates when a
// monitor is left of or above the primary one.
bool PickRegionIn(HINSTANCE instance, HBITMAP frozen, const CaptureRegion& screen,
                  CaptureRegion& region);

// The overlay's caption, by which tests find it.
extern const char kRegionOverlayTitle[];
