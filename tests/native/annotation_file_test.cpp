// The sidecar's exact bytes, the files beside a picture, and which picture
// leaves Zelcap for an annotated record.
#include "picture/annotation_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace annotation {
namespace {

const std::string kHead = "ZAN 1\r\n";
const std::string kRect = "rect 10 20 30 40 FF0000 3\r\n";
const std::string kMask = "mask 0 0 5 5 000000\r\n";

TEST(AnnotationFile, EveryKindReadsAndWritesBackTheSameBytes) {
    // 表 and ソ end in 0x5C, which is no escape; '%', TAB and the text's
    // CR LF are escaped.
    const std::string bytes = kHead + kRect +
                              "arrow -5 -1048576 1048576 7 00FF00 64\r\n"
                              "mark 100 200 0000FF 6\r\n"
                              "highlight 3 3 1 1 FFFF00\r\n" +
                              kMask + "crop 1 2 300 400\r\n" +
                              "text 1 2 50 60 FF0000 400 1 ＭＳ ゴシック\t表示%25%0D%0Aソ%09x\r\n"
                              "text 0 0 0 0 000000 6 0 \t\r\n";
    const SidecarRead read = parseSidecar(bytes);
    ASSERT_TRUE(read.ok) << read.line;
    ASSERT_EQ(read.objects.size(), 8u);
    EXPECT_EQ(read.objects[1].kind, Kind::arrow);
    EXPECT_EQ(read.objects[1].a, (Point{-5, -kMaxCoordinate}));
    EXPECT_EQ(read.objects[2].kind, Kind::mark);
    EXPECT_EQ(read.objects[2].width, 6);
    EXPECT_EQ(read.objects[2].b, (Point{0, 0}));
    EXPECT_EQ(read.objects[4].colour, kBlack);
    const Object& text = read.objects[6];
    EXPECT_EQ(text.face, "ＭＳ ゴシック");
    EXPECT_EQ(text.text, "表示%\r\nソ\tx");
    EXPECT_TRUE(text.balloon);
    EXPECT_EQ(text.fontHeight, 400);
    EXPECT_EQ(writeSidecar(read.objects), bytes);
    EXPECT_EQ(parseSidecar(writeSidecar(read.objects)).objects, read.objects);
}

TEST(AnnotationFile, AnEmptyDocumentIsTheVersionLineAlone) {
    EXPECT_EQ(writeSidecar({}), kHead);
    const SidecarRead read = parseSidecar(kHead);
    EXPECT_TRUE(read.ok);
    EXPECT_TRUE(read.objects.empty());
}

TEST(AnnotationFile, TheLimitsThemselvesAreRead) {
    std::string many = kHead;
    for (std::size_t i = 0; i < kMaxObjects; ++i)
        many += kMask;
    EXPECT_TRUE(parseSidecar(many).ok);
    EXPECT_EQ(parseSidecar(many + kMask).line, kMaxObjects + 2);

    const std::string longest = "text 0 0 1 1 FF0000 12 0 " + std::string(kMaxFaceBytes, 'f') +
                                "\t" + std::string(kMaxTextBytes, 't') + "\r\n";
    EXPECT_TRUE(parseSidecar(kHead + longest).ok);
}

TEST(AnnotationFile, DamagedFilesAreRefusedAtTheirLine) {
    const std::string text = "text 0 0 1 1 FF0000 12 0 face\t";
    const struct {
        std::string bytes;
        std::size_t line;
    } cases[] = {
        {"", 0},
        {"ZAN 2\r\n", 0},
        {"ZAN 1\n", 0},
        {"zan 1\r\n", 0},
        {"ZAN 01\r\n" + kRect, 0},
        {kHead + "rect 10 20 30 40 FF0000 3", 0},  // no CR LF at the end
        {kHead + kRect + "rect 10 20 30 40 FF0000 3\r", 0},
        {kHead + "rect 010 20 30 40 FF0000 3\r\n", 2},
        {kHead + "rect -0 20 30 40 FF0000 3\r\n", 2},
        {kHead + "rect +1 20 30 40 FF0000 3\r\n", 2},
        {kHead + "rect 10 20 30 40 ff0000 3\r\n", 2},
        {kHead + "rect 10 20 30 40 FF00000 3\r\n", 2},
        {kHead + "rect 10  20 30 40 FF0000 3\r\n", 2},
        {kHead + "rect 10 20 30 40 FF0000 3 \r\n", 2},
        {kHead + "rect 10 20 30 40 FF0000\r\n", 2},
        {kHead + "rect 10 20 30 40 FF0000 0\r\n", 2},
        {kHead + "arrow 10 20 30 40 FF0000 65\r\n", 2},
        {kHead + "rect 1048577 20 30 40 FF0000 3\r\n", 2},
        {kHead + "rect 99999999999 20 30 40 FF0000 3\r\n", 2},
        {kHead + "mark 1 1 FF0000 5\r\n", 2},
        {kHead + "mark 1 1 2 2 FF0000 10\r\n", 2},
        {kHead + "crop 1 1 2 2 000000\r\n", 2},
        {kHead + "circle 1 1 2 2 FF0000\r\n", 2},
        {kHead + "\r\n", 2},
        {kHead + kRect + "\r\n" + kRect, 3},
        {kHead + kRect + "rect 10 20 30 40 FF0000 3\n" + kRect, 3},
        {kHead + kRect + kRect + "Mask 0 0 5 5 000000\r\n", 4},
        {kHead + text + "%41\r\n", 2},
        {kHead + text + "%0d\r\n", 2},
        {kHead + text + "50%\r\n", 2},
        {kHead + text + "a\tb\r\n", 2},
        {kHead + "text 0 0 1 1 FF0000 12 0 face\r\n", 2},  // no TAB
        {kHead + "text 0 0 1 1 FF0000 12 0\r\n", 2},
        {kHead + "text 0 0 1 1 FF0000 5 0 \tx\r\n", 2},
        {kHead + "text 0 0 1 1 FF0000 12 2 \tx\r\n", 2},
        {kHead + text + "\x95\r\n", 2},  // a lead byte alone at the end
        {kHead + text + "\x95%25\r\n", 2},
        {kHead + text + "\x80\r\n", 2},
        {kHead + text + std::string(1, '\0') + "\r\n", 2},
        {kHead + "text 0 0 1 1 FF0000 12 0 \xFD\tx\r\n", 2},
        {kHead + "text 0 0 1 1 FF0000 12 0 " + std::string(kMaxFaceBytes + 1, 'f') + "\tx\r\n", 2},
        {kHead + text + std::string(kMaxTextBytes + 1, 't') + "\r\n", 2},
    };
    for (const auto& c : cases) {
        const SidecarRead read = parseSidecar(c.bytes);
        EXPECT_FALSE(read.ok) << c.bytes;
        EXPECT_EQ(read.line, c.line) << c.bytes;
        EXPECT_TRUE(read.objects.empty()) << c.bytes;
    }
}

TEST(AnnotationFile, FilesBesideThePicture) {
    EXPECT_EQ(sidecarPath("C:\\cap\\表.png"), "C:\\cap\\表.png.zan");
    EXPECT_EQ(sidecarBackupPath("C:\\cap\\表.png"), "C:\\cap\\表.png.zan.bak");
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\cap\\a000001.jpg", "C:\\cap\\a000001_ann.png"},
        {"C:\\cap\\a.b.bmp", "C:\\cap\\a.b_ann.png"},
        {"C:\\v1.0\\shot", "C:\\v1.0\\shot_ann.png"},
        {"C:\\v1.0/shot", "C:\\v1.0/shot_ann.png"},
        {"C:\\ソ.d\\表", "C:\\ソ.d\\表_ann.png"},
        // The 0x5C of 表 does not end a folder: the dot before it stays the
        // file name's.
        {"C:\\a\\b.表", "C:\\a\\b_ann.png"},
        {"C:\\a\\ソ表.jpg", "C:\\a\\ソ表_ann.png"},
        {"a.png", "a_ann.png"},
    };
    for (const auto& [picture, flattened] : cases)
        EXPECT_EQ(flattenedPath(picture), flattened) << picture;
}

TEST(AnnotationFile, AMaskedPictureNeverLeavesUnmasked) {
    const struct {
        bool sidecar;
        std::string bytes;
        bool flattened;
        ExportChoice choice;
    } cases[] = {
        {false, "", false, ExportChoice::original},
        // A flattened picture left without its sidecar is no annotation.
        {false, "", true, ExportChoice::original},
        {true, kHead + kRect, false, ExportChoice::original},
        {true, kHead, false, ExportChoice::original},
        {true, kHead + kRect + kMask, false, ExportChoice::withheld},
        {true, kHead + kRect + kMask, true, ExportChoice::flattened},
        {true, kHead + "rect", false, ExportChoice::withheld},
        {true, "", false, ExportChoice::withheld},
        {true, kHead + "rect", true, ExportChoice::flattened},
    };
    for (const auto& c : cases)
        EXPECT_EQ(choosePicture(c.sidecar, c.bytes, c.flattened), c.choice) << c.bytes;
}

}  // namespace
}  // namespace annotation
