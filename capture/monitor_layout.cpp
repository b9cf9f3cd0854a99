#include "capture/monitor_layout.h"

#include <algorithm>

const char* const kAllMonitorsHeading = "ALL MONITORS";

namespace {

bool holds(const CaptureRect& r, int64_t x, int64_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Squared distance from the point to the rectangle's nearest pixel.
int64_t distance(const CaptureRect& r, int64_t x, int64_t y) {
    const int64_t dx = x < r.left ? r.left - x : x >= r.right ? x - (int64_t{r.right} - 1) : 0;
    const int64_t dy = y < r.top ? r.top - y : y >= r.bottom ? y - (int64_t{r.bottom} - 1) : 0;
    return dx * dx + dy * dy;
}

}  // namespace

MonitorLayout numberMonitors(const std::vector<CaptureRect>& found, int primaryIndex,
                             const CaptureRect& virtualScreen) {
    MonitorLayout layout;
    layout.monitors = found;
    auto& m = layout.monitors;
    if (primaryIndex < 0 || primaryIndex >= static_cast<int>(m.size())) {
        const auto origin =
            std::find_if(m.begin(), m.end(), [](const CaptureRect& r) { return holds(r, 0, 0); });
        primaryIndex = origin == m.end() ? 0 : static_cast<int>(origin - m.begin());
    }
    if (!m.empty()) {
        std::swap(m[0], m[static_cast<std::size_t>(primaryIndex)]);
        std::stable_sort(m.begin() + 1, m.end(), [](const CaptureRect& a, const CaptureRect& b) {
            return a.left != b.left ? a.left < b.left : a.top < b.top;
        });
    }
    layout.bounds = virtualScreen;
    if (virtualScreen.right <= virtualScreen.left || virtualScreen.bottom <= virtualScreen.top) {
        layout.bounds = m.empty() ? CaptureRect{} : m[0];
        for (const CaptureRect& r : m) {
            layout.bounds.left = std::min(layout.bounds.left, r.left);
            layout.bounds.top = std::min(layout.bounds.top, r.top);
            layout.bounds.right = std::max(layout.bounds.right, r.right);
            layout.bounds.bottom = std::max(layout.bounds.bottom, r.bottom);
        }
    }
    return layout;
}

int monitorNumber(const MonitorLayout& layout, const CaptureRect& monitor) {
    for (std::size_t i = 0; i < layout.monitors.size(); ++i) {
        const CaptureRect& r = layout.monitors[i];
        if (r.left == monitor.left && r.top == monitor.top && r.right == monitor.right &&
            r.bottom == monitor.bottom)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

int monitorAt(const MonitorLayout& layout, int32_t x, int32_t y) {
    int best = 0;
    int64_t bestDistance = 0;
    for (std::size_t i = 0; i < layout.monitors.size(); ++i) {
        const int64_t d = distance(layout.monitors[i], x, y);
        if (best == 0 || d < bestDistance) {
            best = static_cast<int>(i) + 1;
            bestDistance = d;
        }
    }
    return best;
}

std::string monitorHeading(int number) {
    return "MONITOR " + std::to_string(number);
}
