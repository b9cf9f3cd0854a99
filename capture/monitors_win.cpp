#include "capture/monitors_win.h"

#include <algorithm>
#include <vector>

namespace {

CaptureRect ToCaptureRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

struct Found {
    std::vector<CaptureRect> monitors;
    int primary = -1;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    auto* found = reinterpret_cast<Found*>(context);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info))
        return TRUE;
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        found->primary = static_cast<int>(found->monitors.size());
    found->monitors.push_back(ToCaptureRect(info.rcMonitor));
    return TRUE;
}

}  // namespace

MonitorLayout ReadMonitorLayout() {
    Found found;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&found));
    if (found.monitors.empty())
        found.monitors.push_back(
            {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const CaptureRect virtualScreen{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                    top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return numberMonitors(found.monitors, found.primary, virtualScreen);
}

int MonitorUnderPointer(const MonitorLayout& layout) {
    POINT at{};
    if (!GetCursorPos(&at))
        return 1;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
    const int number = monitor && GetMonitorInfoA(monitor, &info)
                           ? monitorNumber(layout, ToCaptureRect(info.rcMonitor))
                           : 0;
    // A monitor the layout does not know (the desktop changed between the
    // two questions) is looked up by the point.
    return number != 0 ? number : std::max(1, monitorAt(layout, at.x, at.y));
}
