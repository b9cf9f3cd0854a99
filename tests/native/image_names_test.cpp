// The names the image pane loads, and the ones it leaves blank.
#include "view/image_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ImageNames, OnlyTheTwoSpellingsAtTheEndCount) {
    EXPECT_TRUE(isJpegName("C:\\a\\x.jpg"));
    EXPECT_TRUE(isJpegName("\\X.JPG"));
    EXPECT_FALSE(isJpegName("\\x.Jpg"));
    EXPECT_FALSE(isJpegName("\\x.jpeg"));
    EXPECT_FALSE(isJpegName("\\x.jpg.txt"));
    EXPECT_TRUE(isBmpName("a.bmp"));
    EXPECT_TRUE(isBmpName("a.BMP"));
    EXPECT_FALSE(isBmpName("a.bMp"));
    EXPECT_FALSE(isBmpName(""));
    EXPECT_FALSE(isJpegName("a.bmp"));
    EXPECT_TRUE(isPngName("C:\\a\\x.png"));
    EXPECT_TRUE(isPngName("X.PNG"));
    EXPECT_FALSE(isPngName("x.Png"));
    EXPECT_FALSE(isPngName("x.png.bmp"));
    EXPECT_FALSE(isBmpName("x.png"));
}

TEST(ImageNames, AnEarlierOccurrenceHidesTheExtension) {
    // The first ".jpg" decides: a folder named so makes the file unknown.
    EXPECT_FALSE(isJpegName("C:\\old.jpg\\new.jpg"));
    // The other spelling may still end the path.
    EXPECT_TRUE(isJpegName("C:\\old.jpg\\NEW.JPG"));
}

TEST(ImageNames, TrailBytesNeverStartAMatch) {
    // 0x82 0x2E is no character: '.' cannot be a trail byte, so the lead
    // byte stands alone and the ".bmp" right after it is seen. A real trail
    // byte never starts a match, since '.' is never one.
    const std::string tricky = std::string("\x82") + ".bmp";
    EXPECT_TRUE(isBmpName(tricky.c_str()));
    EXPECT_TRUE(isBmpName((std::string("表") + ".bmp").c_str()));
    EXPECT_FALSE(isBmpName((std::string("\x82") + ".bmp.jpg").c_str()));
}

}  // namespace
