// Numbering the monitors and finding the one under the pointer.
#include "capture/monitor_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const CaptureRect kPrimary{0, 0, 1920, 1080};
const CaptureRect kLeft{-1280, 0, 0, 1024};
const CaptureRect kAbove{0, -768, 1024, 0};
const CaptureRect kRight{1920, 200, 2560, 680};

struct NumberingCase {
    const char* what;
    std::vector<CaptureRect> found;
    int primaryIndex;
    std::vector<CaptureRect> numbered;
};

TEST(MonitorLayout, ThePrimaryIsOneTheOthersGoLeftToRightThenDown) {
    const NumberingCase cases[] = {
        {"one monitor", {kPrimary}, 0, {kPrimary}},
        {"enumerated right first", {kRight, kPrimary, kLeft}, 1, {kPrimary, kLeft, kRight}},
        {"one above at the primary's x", {kAbove, kRight, kPrimary}, 2, {kPrimary, kAbove, kRight}},
        {"no primary named: the one at the origin", {kLeft, kPrimary}, -1, {kPrimary, kLeft}},
        {"none at the origin either: the first", {kLeft, kRight}, 7, {kLeft, kRight}},
    };
    for (const NumberingCase& c : cases) {
        SCOPED_TRACE(c.what);
        const MonitorLayout layout = numberMonitors(c.found, c.primaryIndex, {});
        ASSERT_EQ(layout.monitors.size(), c.numbered.size());
        for (std::size_t i = 0; i < c.numbered.size(); ++i)
            EXPECT_EQ(monitorNumber(layout, c.numbered[i]), static_cast<int>(i) + 1);
    }
}

TEST(MonitorLayout, TheBoundsAreTheSystemsOrElseTheUnion) {
    const MonitorLayout own = numberMonitors({kLeft, kPrimary, kRight}, 1, {});
    EXPECT_EQ(own.bounds.left, -1280);
    EXPECT_EQ(own.bounds.top, 0);
    EXPECT_EQ(own.bounds.right, 2560);
    EXPECT_EQ(own.bounds.bottom, 1080);
    const MonitorLayout told = numberMonitors({kPrimary}, 0, {-5, -6, 7, 8});
    EXPECT_EQ(told.bounds.left, -5);
    EXPECT_EQ(told.bounds.bottom, 8);
    EXPECT_EQ(numberMonitors({}, 0, {}).bounds.right, 0);
}

struct PointCase {
    int32_t x, y;
    int number;
};

TEST(MonitorLayout, ThePointerIsOnTheMonitorHoldingItOrTheNearest) {
    const MonitorLayout layout = numberMonitors({kRight, kLeft, kPrimary, kAbove}, 2, {});
    // 1 primary, 2 left, 3 above, 4 right.
    const PointCase cases[] = {
        {0, 0, 1},      {-1, 0, 2},     {-1280, 1023, 2}, {1919, 1079, 1}, {1920, 200, 4},
        {500, -1, 3},   {1500, -10, 1}, {-1, -1, 2},      {2000, 100, 1},  {-5000, 500, 2},
        {2559, 679, 4}, {2560, 680, 4}, {100, 1500, 1},
    };
    for (const PointCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(monitorAt(layout, c.x, c.y), c.number);
    }
    EXPECT_EQ(monitorAt(MonitorLayout{}, 0, 0), 0);
    EXPECT_EQ(monitorNumber(layout, {1, 2, 3, 4}), 0);
    EXPECT_EQ(monitorHeading(3), "MONITOR 3");
}

}  // namespace
