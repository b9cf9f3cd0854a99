// The monitors of the desktop as Zelcap numbers them, for the kinds that
// take every monitor or the one under the pointer. Platform-free.
//
// Numbering: the primary monitor is 1; the others follow from left to
// right, and from top to bottom where two start at the same x. The order
// the system enumerates monitors in may change from one start to the next
// (and differs between drivers); their places change only when the user
// moves them, so a record's "MONITOR 2" names the same screen all day.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/capture_geometry.h"

struct MonitorLayout {
    std::vector<CaptureRect> monitors;  // by number: [0] is monitor 1
    CaptureRect bounds{};               // the virtual screen
};

// The layout of the monitors as found (in any order); primaryIndex names
// the primary one among them (out of range: the one holding (0, 0), else
// the first). virtualScreen is the system's rectangle of them all; when it
// is empty the monitors' union is taken.
MonitorLayout numberMonitors(const std::vector<CaptureRect>& found, int primaryIndex,
                             const CaptureRect& virtualScreen);

// The number (1, 2, ...) of the monitor with exactly this rectangle; 0
// when there is none.
int monitorNumber(const MonitorLayout& layout, const CaptureRect& monitor);

// The number of the monitor holding the point, else of the one nearest to
// it (the lower number on a tie); 0 when there are no monitors.
int monitorAt(const MonitorLayout& layout, int32_t x, int32_t y);

// The headings of the kinds' records: "ALL MONITORS" and "MONITOR n".
extern const char* const kAllMonitorsHeading;
std::string monitorHeading(int number);
