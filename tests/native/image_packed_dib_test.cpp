// The in-memory picture of the image pane: header, row layout and limits.
#include "view/packed_dib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

uint32_t read32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

uint16_t read16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

TEST(PackedDib, HeaderDescribesBottomUp24BitRowsRightAfterIt) {
    PackedDib dib = PackedDib::create(5, 3);
    ASSERT_FALSE(dib.empty());
    EXPECT_EQ(dib.width(), 5);
    EXPECT_EQ(dib.height(), 3);
    EXPECT_EQ(dib.stride(), 16u);
    EXPECT_EQ(dib.size(), 40u + 16u * 3u);
    EXPECT_EQ(dib.bits(), dib.data() + 40);

    const uint8_t* h = dib.data();
    EXPECT_EQ(read32(h + 0), 40u);
    EXPECT_EQ(read32(h + 4), 5u);
    EXPECT_EQ(read32(h + 8), 3u);  // positive: bottom-up
    EXPECT_EQ(read16(h + 12), 1u);
    EXPECT_EQ(read16(h + 14), 24u);
    EXPECT_EQ(read32(h + 16), 0u);  // BI_RGB
    EXPECT_EQ(read32(h + 20), 48u);
    for (int at = 24; at < 40; ++at)
        EXPECT_EQ(h[at], 0) << "header byte " << at;
    for (std::size_t i = 0; i < 48; ++i)
        ASSERT_EQ(dib.bits()[i], 0) << "pixel byte " << i;
}

TEST(PackedDib, RowsArePaddedToFourBytes) {
    const struct {
        int32_t width;
        uint32_t stride;
    } cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {1366, 4100}};
    for (const auto& c : cases) {
        const PackedDib dib = PackedDib::create(c.width, 2);
        ASSERT_FALSE(dib.empty()) << c.width;
        EXPECT_EQ(dib.stride(), c.stride) << c.width;
        EXPECT_EQ(dib.size(), 40u + 2u * c.stride) << c.width;
    }
}

TEST(PackedDib, RefusesEmptyAndOversizedPictures) {
    std::size_t size = 1;
    EXPECT_FALSE(PackedDib::blockSizeFor(0, 1, &size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(PackedDib::blockSizeFor(1, 0, &size));
    EXPECT_FALSE(PackedDib::blockSizeFor(-1, 1, &size));
    EXPECT_FALSE(PackedDib::blockSizeFor(1, -1, &size));
    EXPECT_FALSE(PackedDib::blockSizeFor(kMaxDibSide + 1, 1, &size));
    EXPECT_FALSE(PackedDib::blockSizeFor(1, kMaxDibSide + 1, &size));
    EXPECT_FALSE(PackedDib::blockSizeFor(0x40000000, 1, &size));
    EXPECT_FALSE(PackedDib::blockSizeFor(INT32_MAX, INT32_MAX, &size));

    ASSERT_TRUE(PackedDib::blockSizeFor(kMaxDibSide, 1, &size));
    EXPECT_EQ(size, 40u + 3u * kMaxDibSide);
    ASSERT_TRUE(PackedDib::blockSizeFor(1, kMaxDibSide, &size));
    EXPECT_EQ(size, 40u + 4u * kMaxDibSide);
    // The widest rows: 2730 of them fit in the block limit, 2731 do not.
    ASSERT_TRUE(PackedDib::blockSizeFor(kMaxDibSide, 2730, &size));
    EXPECT_EQ(size, 40u + 98304u * 2730u);
    EXPECT_FALSE(PackedDib::blockSizeFor(kMaxDibSide, 2731, &size));

    EXPECT_TRUE(PackedDib::create(0, 5).empty());
    EXPECT_TRUE(PackedDib::create(kMaxDibSide, 2731).empty());
    const PackedDib refused = PackedDib::create(-3, 5);
    EXPECT_EQ(refused.data(), nullptr);
    EXPECT_EQ(refused.bits(), nullptr);
    EXPECT_EQ(refused.size(), 0u);
}

TEST(PackedDib, RecreateKeepsABlockOfTheSameSizeOnly) {
    const struct {
        int32_t width, height;
        bool sameBlock;
    } steps[] = {{5, 3, false},   // nothing to keep yet
                 {5, 3, true},    // the very size
                 {4, 4, true},    // other sides, the same 40 + 12 x 4 bytes
                 {60, 30, false},  // larger
                 {0, 3, false}};  // refused: empty
    PackedDib dib;
    for (const auto& step : steps) {
        SCOPED_TRACE(::testing::Message() << step.width << "x" << step.height);
        const uint8_t* before = dib.data();
        if (!dib.empty())
            std::fill(dib.data(), dib.data() + dib.size(), uint8_t{0xAB});
        dib.recreate(step.width, step.height);
        const PackedDib fresh = PackedDib::create(step.width, step.height);
        ASSERT_EQ(dib.empty(), fresh.empty());
        if (fresh.empty())
            continue;
        EXPECT_EQ(dib.data() == before, step.sameBlock);
        EXPECT_EQ(dib.width(), step.width);
        EXPECT_EQ(dib.height(), step.height);
        EXPECT_EQ(dib.stride(), fresh.stride());
        ASSERT_EQ(dib.size(), fresh.size());
        // Header and zeroed rows exactly as a new picture has them.
        EXPECT_TRUE(std::equal(dib.data(), dib.data() + dib.size(), fresh.data()));
    }
}

TEST(PackedDib, MovesHandOverTheBlock) {
    PackedDib a = PackedDib::create(2, 2);
    const uint8_t* block = a.data();
    PackedDib b = std::move(a);
    EXPECT_TRUE(a.empty());  // NOLINT(bugprone-use-after-move): moved-from state is defined
    EXPECT_EQ(a.size(), 0u);
    EXPECT_EQ(b.data(), block);
    EXPECT_EQ(b.width(), 2);

    // Assigning over a picture frees it; LeakSanitizer would see it otherwise.
    PackedDib c = PackedDib::create(7, 7);
    c = std::move(b);
    EXPECT_EQ(c.data(), block);
    EXPECT_EQ(c.stride(), 8u);
    c.reset();
    EXPECT_TRUE(c.empty());
    EXPECT_EQ(c.width(), 0);
}

}  // namespace
