// A tall page put together from the pictures of its scroll steps.
#include <gtest/gtest.h>

#include <vector>

#include "capture/scroll_stitch.h"

namespace {

constexpr int kWidth = 5;

// A page of `rows` content rows, with runs of blank rows as real pages have.
uint32_t ContentRow(int r) { return (r / 17) % 5 == 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(r) * 2654435761u; }

struct Window {
    int header, footer, visible, contentRows;
    stitch::Picture at(int position) const {
        stitch::Picture p;
        p.width = kWidth;
        p.height = header + visible + footer;
        for (int y = 0; y < p.height; ++y) {
            uint32_t v = y < header ? 0xAA000000u + y
                         : y < header + visible ? ContentRow(position + y - header)
                                                : 0xBB000000u + y;
            for (int x = 0; x < kWidth; ++x)
                p.pixels.push_back(v + static_cast<uint32_t>(x));
        }
        return p;
    }
    // What the stitched page must be: the header, every content row, the footer.
    stitch::Picture page() const {
        stitch::Picture whole = at(0);
        stitch::Picture out;
        out.width = kWidth;
        for (int y = 0; y < header; ++y)
            out.pixels.insert(out.pixels.end(), whole.row(y), whole.row(y) + kWidth);
        for (int r = 0; r < contentRows; ++r)
            for (int x = 0; x < kWidth; ++x)
                out.pixels.push_back(ContentRow(r) + static_cast<uint32_t>(x));
        for (int y = header + visible; y < whole.height; ++y)
            out.pixels.insert(out.pixels.end(), whole.row(y), whole.row(y) + kWidth);
        out.height = static_cast<int>(out.pixels.size() / kWidth);
        return out;
    }
};

TEST(ScrollStitch, ScrollStepsMakeThePageWithFixedRowsOnce) {
    struct Case {
        const char* name;
        Window window;
        int step;
    } const cases[] = {
        {"wheel steps, header and footer", {12, 8, 80, 400}, 30},
        {"page down keeps a few rows", {12, 8, 80, 400}, 75},
        {"no fixed rows", {0, 0, 80, 300}, 33},
        {"a blank run at the top of the first picture", {6, 0, 60, 250}, 20},
        {"a tall window's page down keeps one line", {48, 24, 888, 6000}, 888 - 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stitch::Stitcher stitcher(20000);
        const int last = c.window.contentRows - c.window.visible;
        EXPECT_EQ(stitcher.add(c.window.at(0)), stitch::Outcome::added);
        for (int position = c.step;; position += c.step) {
            // The last step stops short at the end, as a scroll bar does.
            EXPECT_EQ(stitcher.add(c.window.at(std::min(position, last))), stitch::Outcome::added);
            if (position >= last)
                break;
        }
        EXPECT_EQ(stitcher.add(c.window.at(last)), stitch::Outcome::unchanged);
        const stitch::Picture page = stitcher.result();
        const stitch::Picture want = c.window.page();
        ASSERT_EQ(page.height, want.height);
        EXPECT_EQ(page.pixels, want.pixels);
        const stitch::Picture taken = stitcher.take();
        EXPECT_EQ(taken.height, want.height);
        EXPECT_EQ(taken.pixels, want.pixels);
        EXPECT_EQ(stitcher.add(c.window.at(0)), stitch::Outcome::heightLimit);  // takes no more
    }
}

TEST(ScrollStitch, RefusesWhatItCannotMatch) {
    const Window window{12, 8, 80, 400};
    stitch::Picture changed = window.at(30);
    changed.pixels[static_cast<std::size_t>(50) * kWidth + 2] ^= 1;  // an animation in the overlap
    stitch::Picture narrower = window.at(30);
    narrower.width = kWidth - 1;
    narrower.pixels.resize(static_cast<std::size_t>(narrower.width) * narrower.height);
    struct Case {
        const char* name;
        stitch::Picture second;
        stitch::Outcome outcome;
    } const cases[] = {
        {"the page changed", changed, stitch::Outcome::noOverlap},
        {"scrolled past every row", window.at(200), stitch::Outcome::noOverlap},
        {"scrolled back up", window.at(0), stitch::Outcome::backwards},
        {"the window was resized", narrower, stitch::Outcome::otherSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stitch::Stitcher stitcher(20000);
        stitcher.add(window.at(c.outcome == stitch::Outcome::backwards ? 40 : 0));
        const int before = stitcher.result().height;
        EXPECT_EQ(stitcher.add(c.second), c.outcome);
        EXPECT_EQ(stitcher.result().height, before);
    }
}

TEST(ScrollStitch, StopsAtTheHeightLimitWithTheFooterKept) {
    const Window window{12, 8, 80, 400};
    stitch::Stitcher stitcher(250);
    stitcher.add(window.at(0));
    stitch::Outcome outcome = stitch::Outcome::added;
    for (int position = 30; outcome == stitch::Outcome::added; position += 30)
        outcome = stitcher.add(window.at(position));
    EXPECT_EQ(outcome, stitch::Outcome::heightLimit);
    EXPECT_EQ(stitcher.add(window.at(300)), stitch::Outcome::heightLimit);
    const stitch::Picture page = stitcher.result();
    const stitch::Picture want = window.page();
    ASSERT_EQ(page.height, 250);
    const std::size_t body = static_cast<std::size_t>(250 - 8) * kWidth;
    EXPECT_TRUE(std::equal(page.pixels.begin(), page.pixels.begin() + body, want.pixels.begin()));
    EXPECT_TRUE(std::equal(page.pixels.begin() + body, page.pixels.end(), want.pixels.end() - 8 * kWidth));
}

TEST(ScrollStitch, TheKnownShiftWinsOnRepeatedRows) {
    // Rows alike but for a stripe every 10 rows and one mark: shifts of 10,
    // 20 and 30 all match, and most rows look fixed; the scroll position
    // says 30.
    auto content = [](int r) { return r == 5 ? 7u : r % 10 == 0 ? 1u : 2u; };
    stitch::Picture first, second;
    for (stitch::Picture* p : {&first, &second}) {
        p->width = 1;
        p->height = 60;
    }
    for (int y = 0; y < 60; ++y) {
        first.pixels.push_back(content(y));
        second.pixels.push_back(content(y + 30));
    }
    stitch::Stitcher stitcher(1000);
    stitcher.add(first);
    EXPECT_EQ(stitcher.add(second, 30), stitch::Outcome::added);
    const stitch::Picture page = stitcher.result();
    ASSERT_EQ(page.height, 90);
    for (int r = 0; r < 90; ++r)
        EXPECT_EQ(page.pixels[static_cast<std::size_t>(r)], content(r)) << r;
}

}  // namespace
