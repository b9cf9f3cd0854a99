// The [Capture_Ext] group, the key names of the hot-key message and the
// region arithmetic of the overlay.
#include <gtest/gtest.h>

#include <string>

#include "capture/capture_extras.h"
#include "tests/native/memory_settings_files.h"

namespace {

using testsupport::MemoryFiles;

TEST(CaptureExtras, RoundTripLeavesTheOtherGroupsAlone) {
    const std::string others = "[File_Set]\r\nJPEGモード=1\r\n";
    MemoryFiles files;
    files.contents = others;
    CaptureExtras e;
    e.png = true;
    e.delaySeconds = 10;
    e.copyToClipboard = true;
    e.regionKey = {0x02, 0x7B, 1, 0};
    e.lastRegion = {-100, 5, 300, 205};
    ASSERT_TRUE(capture_extras::save(files, "Zelcap.ini", e));
    EXPECT_EQ(files.contents.substr(0, others.size()), others);
    const CaptureExtras back = capture_extras::load(files, "Zelcap.ini");
    EXPECT_TRUE(back.png);
    EXPECT_EQ(back.delaySeconds, 10);
    EXPECT_TRUE(back.copyToClipboard);
    EXPECT_EQ(back.regionKey.modifiers, 0x02);
    EXPECT_EQ(back.regionKey.virtualKey, 0x7B);
    EXPECT_EQ(back.regionKey.monitored, 1);
    EXPECT_EQ(back.repeatRegionKey.virtualKey, 'E');
    EXPECT_EQ(back.lastRegion.left, -100);
    EXPECT_EQ(back.lastRegion.bottom, 205);
}

TEST(CaptureExtras, OddValuesKeepTheDefaults) {
    const char* const regions[] = {"",        "1,2,3",   "1,2,3,4,5",
                                   "5,5,5,9", "1,2,x,4", "1,2,3,99999999"};
    for (const char* region : regions) {
        const IniDocument doc(std::string("[Capture_Ext]\r\n遅延秒数=11\r\nPNG形式=2\r\n"
                                          "範囲指定監視=-1\r\n前回の範囲座標=") +
                              region + "\r\n");
        const CaptureExtras e = capture_extras::read(doc);
        EXPECT_EQ(e.delaySeconds, 0);
        EXPECT_FALSE(e.png);
        EXPECT_EQ(e.regionKey.monitored, 0);
        EXPECT_TRUE(e.lastRegion.empty()) << region;
    }
}

TEST(CaptureExtras, KeyNames) {
    struct Case {
        int32_t modifiers, vk;
        const char* name;
    } const cases[] = {
        {0x02, 0x7B, "Ctrl+F12"},    {0x07, 'A', "Ctrl+Alt+Shift+A"}, {0, 0x87, "F24"},
        {0x01, 0x60, "Shift+Num 0"}, {0x04, 0xDC, "Alt+\\"},          {0, 0, "なし"},
        {0x02, 0xE9, "Ctrl+0xE9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(capture_extras::keyName(c.modifiers, c.vk), c.name);
}

TEST(CaptureExtras, FailureMessageListsEveryKeyWithItsKind) {
    const std::string text =
        capture_extras::hotKeyFailureMessage({{102, 0x02, 0x7B}, {110, 0x03, 'R'}});
    EXPECT_NE(text.find("\r\nCtrl+F12（アクティブウィンドウ）\r\nCtrl+Shift+R（範囲指定）\r\n"),
              std::string::npos);
    EXPECT_STREQ(capture_extras::kindName(109), "スクリーン全体（標準カーソル描画）");
    EXPECT_STREQ(capture_extras::kindName(112), "ステップ記録");
    EXPECT_STREQ(capture_extras::kindName(113), "全モニター");
    EXPECT_STREQ(capture_extras::kindName(114), "マウスのあるモニター");
    EXPECT_STREQ(capture_extras::kindName(115), "スクロールキャプチャー");
    EXPECT_STREQ(capture_extras::kindName(116), "");
}

// The monitor kinds' keys appear once one is set and stay; a user who
// never sets one keeps the group's bytes as they were.
TEST(CaptureExtras, MonitorKeysAreWrittenOnceSet) {
    MemoryFiles files;
    files.contents = "[File_Set]\r\nJPEGモード=1\r\n";
    CaptureExtras e;
    ASSERT_TRUE(capture_extras::save(files, "Zelcap.ini", e));
    const std::string unset = files.contents;
    EXPECT_EQ(unset.find("モニター"), std::string::npos);
    ASSERT_TRUE(capture_extras::save(files, "Zelcap.ini", e));
    EXPECT_EQ(files.contents, unset);

    e.mouseMonitorKey = {0x03, 'M', 1, 0};
    ASSERT_TRUE(capture_extras::save(files, "Zelcap.ini", e));
    EXPECT_NE(files.contents.find("\r\nマウスのモニター修飾=3\r\nマウスのモニターキー=77\r\n"
                                  "マウスのモニター監視=1\r\n"),
              std::string::npos);
    EXPECT_EQ(files.contents.find("全モニター"), std::string::npos);
    CaptureExtras back = capture_extras::load(files, "Zelcap.ini");
    EXPECT_EQ(back.mouseMonitorKey.virtualKey, 'M');
    EXPECT_EQ(back.mouseMonitorKey.monitored, 1);
    EXPECT_EQ(back.allMonitorsKey.virtualKey, 0);

    // Cleared again: the keys say so rather than vanish.
    e.mouseMonitorKey = {0, 0, 0, 0};
    ASSERT_TRUE(capture_extras::save(files, "Zelcap.ini", e));
    EXPECT_NE(files.contents.find("\r\nマウスのモニターキー=0\r\n"), std::string::npos);
    back = capture_extras::load(files, "Zelcap.ini");
    EXPECT_EQ(back.mouseMonitorKey.virtualKey, 0);
}

// The keyboard's step options: absent while off, 0/1 once turned on.
TEST(CaptureExtras, KeyboardStepOptionsAreWrittenOnceOn) {
    MemoryFiles files;
    files.contents = "[File_Set]\r\nJPEGモード=1\r\n";
    CaptureExtras e;
    ASSERT_TRUE(capture_extras::save(files, "Zelcap.ini", e));
    EXPECT_EQ(files.contents.find("入力記録"), std::string::npos);
    EXPECT_EQ(files.contents.find("ショートカット記録"), std::string::npos);
    e.stepTyping = true;
    ASSERT_TRUE(capture_extras::save(files, "Zelcap.ini", e));
    EXPECT_NE(files.contents.find("\r\n入力記録=1\r\n"), std::string::npos);
    EXPECT_EQ(files.contents.find("ショートカット記録"), std::string::npos);
    CaptureExtras back = capture_extras::load(files, "Zelcap.ini");
    EXPECT_TRUE(back.stepTyping);
    EXPECT_FALSE(back.stepShortcuts);
    e.stepTyping = false;
    e.stepShortcuts = true;
    ASSERT_TRUE(capture_extras::save(files, "Zelcap.ini", e));
    EXPECT_NE(files.contents.find("\r\n入力記録=0\r\n"), std::string::npos);
    back = capture_extras::load(files, "Zelcap.ini");
    EXPECT_FALSE(back.stepTyping);
    EXPECT_TRUE(back.stepShortcuts);
    EXPECT_EQ(files.contents.find("スクロール"), std::string::npos);
    e.scrollMaxHeight = 5000;
    e.scrollByHand = true;
    ASSERT_TRUE(capture_extras::save(files, "Zelcap.ini", e));
    EXPECT_EQ(capture_extras::load(files, "Zelcap.ini").scrollMaxHeight, 5000);
    EXPECT_TRUE(capture_extras::load(files, "Zelcap.ini").scrollByHand);
    e.scrollByHand = false;
    ASSERT_TRUE(capture_extras::save(files, "Zelcap.ini", e));
    EXPECT_NE(files.contents.find("\r\nスクロール手動=0\r\n"), std::string::npos);
    const IniDocument odd("[Capture_Ext]\r\n入力記録=2\r\nショートカット記録=-1\r\n"
                          "スクロール最大高さ=99\r\n");
    EXPECT_EQ(capture_extras::read(odd).scrollMaxHeight, kDefaultScrollHeight);
    EXPECT_FALSE(capture_extras::read(odd).stepTyping);
    EXPECT_FALSE(capture_extras::read(odd).stepShortcuts);
}

// A key counts as ours when RegisterHotKey would be given the same
// combination: the control's extended-key flag makes no other key.
TEST(CaptureExtras, HeldKeysAreTheCombinationsRegistered) {
    HeldHotKeys held;
    held.add(102, 0x01, 'I');
    held.add(112, 0x0A, 0x7B);  // Ctrl+F12 with the extended-key flag
    struct Case {
        int32_t modifiers, vk;
        bool ours;
    } const cases[] = {
        {0x01, 'I', true},  {0x09, 'I', true},  {0x02, 0x7B, true},
        {0x03, 'I', false}, {0x01, 'J', false}, {0x00, 0x7B, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(held.holds(c.modifiers, c.vk), c.ours) << c.modifiers << " " << c.vk;
    // Re-adding an id replaces its key; removing it frees only that key.
    held.add(102, 0x01, 'J');
    EXPECT_FALSE(held.holds(0x01, 'I'));
    held.remove(102);
    EXPECT_FALSE(held.holds(0x01, 'J'));
    EXPECT_TRUE(held.holds(0x02, 0x7B));
}

TEST(CaptureExtras, DraggedRegionIsNormalisedAndCutToTheScreen) {
    struct Case {
        int32_t x0, y0, x1, y1;
        CaptureRegion want;
    } const cases[] = {
        {10, 20, 109, 69, {10, 20, 110, 70}},
        {109, 69, 10, 20, {10, 20, 110, 70}},  // dragged up and left
        {-50, -50, 30, 40, {0, 0, 31, 41}},    // from beyond the corner
        {700, 500, 900, 700, {700, 500, 800, 600}},
        {900, 700, 950, 750, {}},  // wholly off the screen
    };
    for (const Case& c : cases) {
        const CaptureRegion r = capture_extras::dragRegion(c.x0, c.y0, c.x1, c.y1, 800, 600);
        EXPECT_EQ(r.left, c.want.left);
        EXPECT_EQ(r.top, c.want.top);
        EXPECT_EQ(r.right, c.want.right);
        EXPECT_EQ(r.bottom, c.want.bottom);
    }
}

// A virtual screen reaching left of and above the primary monitor.
TEST(CaptureExtras, DraggedRegionAcrossMonitorsIsCutToTheVirtualScreen) {
    const CaptureRegion bounds{-1280, -200, 1920, 1080};
    struct Case {
        int32_t x0, y0, x1, y1;
        CaptureRegion want;
    } const cases[] = {
        {-100, -50, 99, 49, {-100, -50, 100, 50}},  // across the primary's corner
        {-2000, -300, -1271, -191, {-1280, -200, -1270, -190}},
        {2000, 0, 2100, 10, {}},
    };
    for (const Case& c : cases) {
        const CaptureRegion r = capture_extras::dragRegionIn(c.x0, c.y0, c.x1, c.y1, bounds);
        EXPECT_EQ(r.left, c.want.left);
        EXPECT_EQ(r.top, c.want.top);
        EXPECT_EQ(r.right, c.want.right);
        EXPECT_EQ(r.bottom, c.want.bottom);
    }
    EXPECT_EQ(capture_extras::onScreenIn({-1500, 0, -1000, 10}, bounds).left, -1280);
}

}  // namespace
