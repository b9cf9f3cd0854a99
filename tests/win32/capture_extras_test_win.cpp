// The capture delay and the clipboard copy through the real main window.
// (The region overlay and the hot-key conflict are run end to end.)
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "capture/capturer_win.h"
#include "capture/settings_sheet_win.h"
#include "history/history.h"
#include "resources/capture_extras_ids.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/capture_fixture.h"
#include "tests/win32/support/main_window_fixture.h"

namespace {

constexpr WPARAM kScreenKind = 103;

class CaptureExtrasTest : public testsupport::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s", folder_->path().c_str());
        capturer.prime(settingsStore.settings, history);
    }
};

TEST_F(CaptureExtrasTest, ADelayCountsDownInTheStatusBarThenCapturesOnce) {
    testsupport::EditExtras([&](CaptureExtras& e) { e.delaySeconds = 2; });
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_START, 0);
    ASSERT_EQ(capturer.monitoring(), 1);
    SendMessageA(window_, WM_HOTKEY, kScreenKind, 0);
    SendMessageA(window_, WM_HOTKEY, kScreenKind, 0);  // ignored while one waits
    EXPECT_EQ(StatusText(), "キャプチャーまで 2 秒");
    EXPECT_EQ(history.count, 0);
    EXPECT_TRUE(testsupport::PumpUntil([] { return history.count > 0; }, 4000));
    testsupport::PumpUntil([] { return false; }, 1200);
    EXPECT_EQ(history.count, 1);
    EXPECT_EQ(StatusText(), "キャプチャ監視中");

    // Stopping drops a capture that is still waiting.
    SendMessageA(window_, WM_HOTKEY, kScreenKind, 0);
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_STOP, 0);
    testsupport::PumpUntil([] { return false; }, 2500);
    EXPECT_EQ(history.count, 1);
}

TEST_F(CaptureExtrasTest, TheClipboardGetsTheSamePixelsAsTheFile) {
    testsupport::EditExtras([&](CaptureExtras& e) { e.copyToClipboard = true; });
    SendMessageA(window_, WM_HOTKEY, kScreenKind, 0);
    ASSERT_EQ(history.count, 1);
    const std::string file = testsupport::ReadFileBytes(history.records[0].imagePath);
    ASSERT_GT(file.size(), 54u);
    ASSERT_TRUE(OpenClipboard(window_));
    HANDLE data = GetClipboardData(CF_DIB);
    ASSERT_NE(data, nullptr);
    const auto* dib = static_cast<const char*>(GlobalLock(data));
    ASSERT_NE(dib, nullptr);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib);
    EXPECT_EQ(header->biWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(header->biHeight, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(header->biBitCount, 24);
    const std::size_t bits = file.size() - 54;
    ASSERT_EQ(GlobalSize(data), sizeof(BITMAPINFOHEADER) + bits);
    EXPECT_EQ(std::memcmp(dib + sizeof(BITMAPINFOHEADER), file.data() + 54, bits), 0);
    GlobalUnlock(data);
    CloseClipboard();
}

// The step key switched on (as the page's OK does) while an armed kind of
// ours holds its combination fails silently; one another registration
// holds is named.
TEST_F(CaptureExtrasTest, TheStepKeyOnAnArmedKindsKeyIsQuietOnAnotherHoldersNamed) {
    settingsStore.settings.hotKeys[1] = {HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F9, 1, 0};
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_START, 0);
    ASSERT_EQ(capturer.monitoring(), 1);
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x3002, MOD_CONTROL | MOD_SHIFT, VK_F10));
    testsupport::DialogAnswerer answers;
    answers.press(IDOK);
    testsupport::EditExtras([&](CaptureExtras& e) {
        e.stepKey = {HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F9, 1, 0};
    });
    capturer.registerStepKey(window_);
    EXPECT_TRUE(answers.seen().empty());
    testsupport::EditExtras([&](CaptureExtras& e) { e.stepKey.virtualKey = VK_F10; });
    capturer.registerStepKey(window_);
    UnregisterHotKey(nullptr, 0x3002);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, "ホットキー登録エラー");
    EXPECT_NE(answers.seen()[0].text.find("Ctrl+Shift+F10（ステップ記録）"), std::string::npos);
    testsupport::EditExtras([&](CaptureExtras& e) { e.stepKey.monitored = 0; });
    capturer.registerStepKey(window_);
}

// With one monitor the monitor kinds take the primary screen, as the
// screen kind does, under their own headings; their keys are armed only
// once set.
TEST_F(CaptureExtrasTest, TheMonitorKindsOnOneMonitorTakeThePrimaryScreen) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const std::size_t fileSize = 54u + static_cast<std::size_t>((width * 3 + 3) & ~3) * height;
    SendMessageA(window_, WM_HOTKEY, kAllMonitorsHotKeyId, 0);
    SendMessageA(window_, WM_HOTKEY, kMouseMonitorHotKeyId, 0);
    ASSERT_EQ(history.count, 2);
    EXPECT_STREQ(history.records[0].comment, "ALL MONITORS");
    EXPECT_STREQ(history.records[1].comment, "MONITOR 1");
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(testsupport::ReadFileBytes(history.records[i].imagePath).size(), fileSize);

    testsupport::EditExtras([&](CaptureExtras& e) {
        e.allMonitorsKey = {HOTKEYF_CONTROL | HOTKEYF_SHIFT, VK_F11, 1, 0};
    });
    // On, but no key.
    testsupport::EditExtras([&](CaptureExtras& e) { e.mouseMonitorKey = {0, 0, 1, 0}; });
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_START, 0);
    ASSERT_EQ(capturer.monitoring(), 1);
    // Ours now: another registration of the combination fails.
    EXPECT_FALSE(RegisterHotKey(nullptr, 0x3003, MOD_CONTROL | MOD_SHIFT, VK_F11));
    EXPECT_TRUE(capturer.hotKeyFailures().empty());
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_STOP, 0);
    EXPECT_TRUE(RegisterHotKey(nullptr, 0x3003, MOD_CONTROL | MOD_SHIFT, VK_F11));
    UnregisterHotKey(nullptr, 0x3003);
}

}  // namespace

namespace {

// The monitor keys set on the page land in the group; the one left unset
// does not appear.
TEST_F(CaptureExtrasTest, ThePageStoresAMonitorKeyOnceSet) {
    ASSERT_TRUE(
        testsupport::WriteFileBytes(settingsStore.iniPath, "[File_Set]\r\nJPEGモード=0\r\n"));
    testsupport::DialogAnswerer answers;
    answers.add([&](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, 4);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        SendDlgItemMessageA(page, IDC_EXTRAS_ALL_MONITORS_KEY, HKM_SETHOTKEY,
                            MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
        CheckDlgButton(page, IDC_EXTRAS_ALL_MONITORS_ON, BST_CHECKED);
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    RunSettingsPropertySheet(window_);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(capturer.extras().allMonitorsKey.virtualKey, 'A');
    EXPECT_EQ(capturer.extras().allMonitorsKey.monitored, 1);
    const std::string ini = testsupport::ReadFileBytes(settingsStore.iniPath);
    EXPECT_NE(ini.find("\r\n全モニター修飾=3\r\n全モニターキー=65\r\n全モニター監視=1\r\n"),
              std::string::npos);
    EXPECT_EQ(ini.find("マウスのモニター"), std::string::npos);
}

}  // namespace

namespace {

// The page is the sheet's fifth; a delay beyond ten seconds is refused and
// the sheet stays open, an accepted one lands in [Capture_Ext] alone.
TEST_F(CaptureExtrasTest, ThePageRefusesElevenSecondsAndStoresItsGroup) {
    const std::string iniBefore = "[File_Set]\r\nJPEGモード=0\r\n";
    ASSERT_TRUE(testsupport::WriteFileBytes(settingsStore.iniPath, iniBefore));
    testsupport::DialogAnswerer answers;
    bool openAfterRefusal = false;
    answers.add([&](HWND sheet) {
        PropSheet_SetCurSel(sheet, nullptr, 4);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        SetDlgItemTextA(page, IDC_EXTRAS_DELAY, "11");
        PropSheet_PressButton(sheet, PSBTN_OK);
        testsupport::PumpPending();
        openAfterRefusal = IsWindow(sheet) && IsWindowVisible(sheet);
        SetDlgItemTextA(page, IDC_EXTRAS_DELAY, "3");
        CheckDlgButton(page, IDC_EXTRAS_CLIPBOARD, BST_CHECKED);
        CheckDlgButton(page, IDC_EXTRAS_REGION_ON, BST_CHECKED);
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    answers.press(IDOK);
    RunSettingsPropertySheet(window_);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[1].text, "遅延は0～10秒で指定してください。");
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(capturer.extras().delaySeconds, 3);
    EXPECT_TRUE(capturer.extras().copyToClipboard);
    const std::string ini = testsupport::ReadFileBytes(settingsStore.iniPath);
    EXPECT_NE(ini.find("[Capture_Ext]\r\n"), std::string::npos);
    EXPECT_NE(ini.find("\r\n遅延秒数=3\r\n"), std::string::npos);
    EXPECT_NE(ini.find("\r\n範囲指定監視=1\r\n"), std::string::npos);
}

}  // namespace
