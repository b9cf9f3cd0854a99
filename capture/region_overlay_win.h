// The region capture's overlay: the frozen screen shown over the whole
// display, a rectangle dragged on it with the crosshair, its size shown
// beside the pointer. Esc or the right button cancels.
#pragma once

#include <windows.h>

#include "capture/capture_extras.h"

// Runs its own message loop until the user has dragged a region or
// cancelled; true with the region (screen coordinates, cut to the screen).
// `frozen` is a screen-sized bitmap, not selected into any DC.
bool PickRegion(HINSTANCE instance, HBITMAP frozen, int width, int height, CaptureRegion& region);

// The overlay's caption, by which tests find it.
extern const char kRegionOverlayTitle[];
