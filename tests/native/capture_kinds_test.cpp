// The hot-key control's modifier flags turned into RegisterHotKey's.
#include "capture/capture_kinds.h"

#include <gtest/gtest.h>

namespace {

TEST(CaptureKinds, ControlFlagsBecomeRegisterModifiers) {
    constexpr uint32_t kAlt = 0x0001, kControl = 0x0002, kShift = 0x0004;
    EXPECT_EQ(registerModifiers(0x01), kShift);
    EXPECT_EQ(registerModifiers(0x02), kControl);
    EXPECT_EQ(registerModifiers(0x04), kAlt);
    EXPECT_EQ(registerModifiers(0x07), kAlt | kControl | kShift);
    // The extended-key flag and unknown bits are dropped.
    EXPECT_EQ(registerModifiers(0x08), 0u);
    EXPECT_EQ(registerModifiers(0x0D | 0x100), kAlt | kShift);
    EXPECT_EQ(registerModifiers(0), 0u);
}

TEST(CaptureKinds, KindIndexIsTheHotKeySlot) {
    EXPECT_EQ(kFirstHotKeyId + static_cast<int>(CaptureKind::ActiveWindow), 102);
    EXPECT_EQ(kFirstHotKeyId + static_cast<int>(CaptureKind::ScreenCursor), kLastHotKeyId);
}

}  // namespace
