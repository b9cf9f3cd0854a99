// Work done ahead on a second thread: every item done exactly once, by
// either thread, before need() returns; neither thread more than `ahead`
// items before the last asked for; slow work shared by the two; and items
// never asked for left undone when the user goes.
#include "base/work_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

TEST(WorkAhead, EachItemOnceBeforeItIsUsedAndNoFurtherAheadThanAllowed) {
    struct Case {
        std::size_t count, ahead, stopAt;
        bool slowWork;  // the second thread falls behind, the user does items
    } cases[] = {{0, 4, 0, false}, {1, 1, 1, false}, {200, 4, 200, false},
                 {200, 1, 200, true}, {50, 3, 20, false}};
    for (const Case& c : cases) {
        std::vector<std::atomic<int>> done(c.count);
        std::atomic<std::size_t> asked{0}, furthest{0}, byUser{0};
        const std::thread::id user = std::this_thread::get_id();
        {
            WorkAhead work(c.count, c.ahead, [&](std::size_t i) {
                if (i >= asked.load() + c.ahead)
                    furthest = i;  // started too far ahead
                if (c.slowWork)
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                ++done[i];
                if (std::this_thread::get_id() == user && i > 0)
                    ++byUser;
            });
            for (std::size_t i = 0; i < c.stopAt; ++i) {
                asked = i + 1;
                work.need(i);
                ASSERT_EQ(done[i].load(), 1) << i;
            }
            if (c.stopAt < c.count)  // room for the second thread to run ahead
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(furthest.load(), 0u) << c.count;
        // Waiting for an item the second thread is on, the user takes the
        // next ones: the two share the work.
        if (c.slowWork) {
            EXPECT_GT(byUser.load(), c.count / 4);
        }
        std::size_t total = 0;
        for (std::size_t i = 0; i < c.count; ++i) {
            EXPECT_LE(done[i].load(), 1) << i;
            total += static_cast<std::size_t>(done[i].load());
        }
        EXPECT_GE(total, c.stopAt);
        EXPECT_LE(total, std::min(c.count, c.stopAt + c.ahead)) << c.count;
    }
}

}  // namespace
