#include "capture/settings_sheet_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(SheetNumbers, AcceptsAStartUpToTheMaximum) {
    EXPECT_TRUE(sheet_rules::numbersInOrder(10, 10));
    EXPECT_TRUE(sheet_rules::numbersInOrder(1, 999999));
    EXPECT_FALSE(sheet_rules::numbersInOrder(50, 10));
    EXPECT_FALSE(sheet_rules::numbersInOrder(11, 10));
}

TEST(SheetQuality, KeepsTheTrackbarRange) {
    EXPECT_EQ(sheet_rules::shownQuality(5), 10);
    EXPECT_EQ(sheet_rules::shownQuality(10), 10);
    EXPECT_EQ(sheet_rules::shownQuality(75), 75);
    EXPECT_EQ(sheet_rules::shownQuality(99), 99);
    EXPECT_EQ(sheet_rules::shownQuality(100), 99);
}

TEST(SheetFontSize, DropsTheTenths) {
    EXPECT_EQ(sheet_rules::pointSizeFromTenths(105), 10);
    EXPECT_EQ(sheet_rules::pointSizeFromTenths(90), 9);
    EXPECT_EQ(sheet_rules::pointSizeFromTenths(9), 0);
}

}  // namespace
