// Start-up, arming and shutdown of the real main window, in-process.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/app_state_win.h"
#include "app/main_window_win.h"
#include "app/status_bar_win.h"
#include "capture/capturer_win.h"
#include "history/history.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"

using testsupport::DialogAnswerer;

namespace {

std::string MenuText(HMENU menu, UINT item, UINT flags) {
    char text[128] = {};
    GetMenuStringA(menu, item, text, sizeof text, flags);
    return text;
}

bool HasLine(const std::string& file, const std::string& line) {
    return file.find("\r\n" + line + "\r\n") != std::string::npos ||
           file.compare(0, line.size() + 2, line + "\r\n") == 0;
}

class MainWindowTest : public testsupport::MainWindowFixture {
  protected:
    std::string IniFile() { return testsupport::ReadFileBytes(settingsStore.iniPath); }
    bool MenuEnabled(UINT id) const { return MainWindowFixture::MenuEnabled(id); }
};

TEST_F(MainWindowTest, FirstStartCreatesAnEmptyIniInTheCurrentFolder) {
    const std::string expected = folder_->path() + "\\Zelcap.ini";
    EXPECT_STREQ(settingsStore.iniPath, expected.c_str());
    bool exists = false;
    EXPECT_EQ(testsupport::ReadFileBytes(expected, &exists), "");
    EXPECT_TRUE(exists);
    // Not beside the program.
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string besideProgram(module);
    besideProgram = besideProgram.substr(0, besideProgram.rfind('\\')) + "\\Zelcap.ini";
    EXPECT_NE(besideProgram, expected);
    EXPECT_FALSE(testsupport::FileExists(besideProgram));
}

TEST_F(MainWindowTest, WindowHasBuiltInGeometryTitleAndClass) {
    char className[64] = {};
    GetClassNameA(window_, className, sizeof className);
    EXPECT_STREQ(className, "ZELCAP_CLASS");
    char title[128] = {};
    GetWindowTextA(window_, title, sizeof title);
    EXPECT_STREQ(title, "新規 - Zelcap Ver2.3");

    // Asked for 0, 0, 100 x 100; the system may raise the size to its own
    // minimum for a window with a caption and a menu.
    RECT r;
    GetWindowRect(window_, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, std::max(100, GetSystemMetrics(SM_CXMINTRACK)));
    EXPECT_EQ(r.bottom - r.top, std::max(100, GetSystemMetrics(SM_CYMINTRACK)));
}

TEST_F(MainWindowTest, MenuHasItsFiveDropDownsAndStartStates) {
    HMENU menu = GetMenu(window_);
    ASSERT_EQ(GetMenuItemCount(menu), 5);
    const char* const names[] = {"ファイル(&F)", "編集(&E)", "キャプチャー(&C)", "ツール(&T)",
                                 "ヘルプ(&H)"};
    // ツール holds the Excel export and the evidence check between the two
    // specified commands;
    // キャプチャー the two step-recording commands after a separator and the
    // scrolling capture last; 編集
    // the annotation editor, the comparison and the test cases after the two
    // heading commands, and after a separator the search and the mask
    // proposals, last; キャプチャー the scrolling capture last; ツール the
    // stamp's settings, the one-file pack, the text reading's two commands
    // and the personal-data patterns last. The re-test adds the baseline's
    // two commands to ファイル, taking 判定 from its proposals to 編集 after
    // the test cases, and its guide to キャプチャー after a separator.
    const int counts[] = {10, 15, 8, 9, 4};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(MenuText(menu, i, MF_BYPOSITION), names[i]);
        EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, i)), counts[i]) << names[i];
    }
    EXPECT_EQ(MenuText(menu, IDM_ABOUT, MF_BYCOMMAND), "バージョン情報(&A) ...");
    EXPECT_EQ(MenuText(menu, IDM_REPORT, MF_BYCOMMAND), "レポート(HTML)出力(&O)...");
    HMENU tools = GetSubMenu(menu, 3);
    EXPECT_EQ(GetMenuItemID(tools, 0), static_cast<UINT>(IDM_REPORT));
    EXPECT_EQ(GetMenuItemID(tools, 1), static_cast<UINT>(IDM_EXCEL));
    EXPECT_EQ(GetMenuItemID(tools, 2), static_cast<UINT>(IDM_VERIFY));
    EXPECT_EQ(GetMenuItemID(tools, 3), static_cast<UINT>(IDM_PREFERENCES));
    EXPECT_EQ(GetMenuItemID(tools, 4), static_cast<UINT>(IDM_STAMP_SETTINGS));
    EXPECT_EQ(GetMenuItemID(tools, 5), static_cast<UINT>(IDM_PACK));
    EXPECT_EQ(GetMenuItemID(tools, 6), static_cast<UINT>(IDM_OCR_READ_ALL));
    EXPECT_EQ(GetMenuItemID(tools, 7), static_cast<UINT>(IDM_OCR_SETTINGS));
    EXPECT_EQ(MenuText(menu, IDM_OCR_READ_ALL, MF_BYCOMMAND), "文字の読み取り(&R)...");
    EXPECT_EQ(MenuText(menu, IDM_OCR_SETTINGS, MF_BYCOMMAND), "文字読み取りの設定(&G)...");
    EXPECT_EQ(GetMenuItemID(tools, 8), static_cast<UINT>(IDM_PERSONAL_PATTERNS));
    EXPECT_EQ(MenuText(menu, IDM_PERSONAL_PATTERNS, MF_BYCOMMAND), "個人情報パターンの設定(&I)...");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 1), 14), static_cast<UINT>(IDM_MASK_PROPOSALS));
    EXPECT_EQ(MenuText(menu, IDM_MASK_PROPOSALS, MF_BYCOMMAND), "個人情報のマスク候補(&P)...");
    EXPECT_FALSE(MenuEnabled(IDM_MASK_PROPOSALS));
    EXPECT_EQ(MenuText(menu, IDM_VERIFY, MF_BYCOMMAND), "証跡の検証(&V)...");
    EXPECT_EQ(MenuText(menu, IDM_EXCEL, MF_BYCOMMAND), "Excel出力(&X)...");
    EXPECT_EQ(MenuText(menu, IDM_ANNOTATE, MF_BYCOMMAND), "注釈(&N)...");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 1), 2), static_cast<UINT>(IDM_ANNOTATE));
    EXPECT_EQ(MenuText(menu, IDM_COMPARE, MF_BYCOMMAND), "比較(&K)...");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 1), 3), static_cast<UINT>(IDM_COMPARE));
    EXPECT_FALSE(MenuEnabled(IDM_COMPARE));
    EXPECT_EQ(MenuText(menu, IDM_FIND, MF_BYCOMMAND), "検索(&F)...");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 1), 13), static_cast<UINT>(IDM_FIND));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 6), static_cast<UINT>(IDM_BASELINE_CHOOSE));
    EXPECT_EQ(MenuText(menu, IDM_BASELINE_CHOOSE, MF_BYCOMMAND), "前回の結果を基準にする(&B)...");
    EXPECT_EQ(MenuText(menu, IDM_BASELINE_CLEAR, MF_BYCOMMAND), "基準を解除(&L)");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 1), 5), static_cast<UINT>(IDM_ACCEPT_PROPOSAL));
    EXPECT_EQ(MenuText(menu, IDM_ACCEPT_PROPOSAL, MF_BYCOMMAND), "比較の提案を判定にする(&J)");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 2), 7), static_cast<UINT>(IDM_BASELINE_GUIDE));
    // Without a baseline only choosing one is there.
    EXPECT_TRUE(MenuEnabled(IDM_BASELINE_CHOOSE));
    for (UINT id : {IDM_BASELINE_CLEAR, IDM_ACCEPT_PROPOSAL, IDM_BASELINE_GUIDE})
        EXPECT_FALSE(MenuEnabled(id)) << id;

    EXPECT_EQ(MenuText(menu, IDM_STEP_START, MF_BYCOMMAND), "ステップ記録開始(&R)");
    EXPECT_EQ(MenuText(menu, IDM_STEP_STOP, MF_BYCOMMAND), "ステップ記録終了(&T)");
    EXPECT_TRUE(MenuEnabled(IDM_STEP_START));
    EXPECT_FALSE(MenuEnabled(IDM_STEP_STOP));

    EXPECT_TRUE(MenuEnabled(IDM_CAPTURE_START));
    EXPECT_FALSE(MenuEnabled(IDM_CAPTURE_STOP));
    EXPECT_FALSE(MenuEnabled(IDM_FILE_SAVE));
    EXPECT_FALSE(MenuEnabled(IDM_REPORT));
    EXPECT_FALSE(MenuEnabled(IDM_EXCEL));
    // Without a saved history it checks a one-file pack.
    EXPECT_TRUE(MenuEnabled(IDM_VERIFY));
    EXPECT_FALSE(MenuEnabled(IDM_PACK));
    EXPECT_FALSE(MenuEnabled(IDM_OCR_READ_ALL));
    EXPECT_TRUE(MenuEnabled(IDM_OCR_SETTINGS));
    EXPECT_FALSE(MenuEnabled(IDM_EDIT_DELETE));
    EXPECT_EQ(StatusText(), "キャプチャ停止中");
    EXPECT_EQ(capturer.monitoring(), 0);
}

TEST_F(MainWindowTest, ClosingWritesWindowThenFileSetGroups) {
    ASSERT_TRUE(Close());
    const std::string ini = IniFile();
    const size_t window = ini.find("[Window]");
    const size_t fileSet = ini.find("[File_Set]");
    ASSERT_NE(window, std::string::npos);
    ASSERT_NE(fileSet, std::string::npos);
    EXPECT_LT(window, fileSet);
    EXPECT_TRUE(HasLine(ini, "X位置=0"));
    EXPECT_TRUE(HasLine(ini, "項目４幅=100"));
    EXPECT_TRUE(HasLine(ini, "画像ファイル開始番号=1"));
    EXPECT_TRUE(HasLine(ini, "範囲外カット=1"));
    EXPECT_EQ(ini.find("[HTML]"), std::string::npos);
}

TEST_F(MainWindowTest, ClosingStoresTheMovedRectangle) {
    MoveWindow(window_, 40, 50, 500, 420, TRUE);
    ASSERT_TRUE(Close());
    const std::string ini = IniFile();
    EXPECT_TRUE(HasLine(ini, "X位置=40"));
    EXPECT_TRUE(HasLine(ini, "Y位置=50"));
    EXPECT_TRUE(HasLine(ini, "幅=500"));
    EXPECT_TRUE(HasLine(ini, "高さ=420"));
}

// Minimised or maximised, the window's own rectangle would make the next
// start unusable; the restored rectangle is stored instead.
TEST_F(MainWindowTest, ClosingMinimisedOrMaximisedStoresTheRestoredRectangle) {
    for (int show : {SW_MINIMIZE, SW_MAXIMIZE}) {
        MoveWindow(window_, 30, 60, 480, 400, TRUE);
        ShowWindow(window_, show);
        testsupport::PumpPending();
        ASSERT_TRUE(show == SW_MINIMIZE ? IsIconic(window_) : IsZoomed(window_));
        SaveGeometry(window_);
        const Settings& s = settingsStore.settings;
        EXPECT_EQ(s.windowX, 30) << show;
        EXPECT_EQ(s.windowY, 60) << show;
        EXPECT_EQ(s.windowWidth, 480) << show;
        EXPECT_EQ(s.windowHeight, 400) << show;
        ShowWindow(window_, SW_RESTORE);
        testsupport::PumpPending();
    }
    ShowWindow(window_, SW_MINIMIZE);
    ASSERT_TRUE(Close());
    EXPECT_TRUE(HasLine(IniFile(), "X位置=30"));
}

TEST_F(MainWindowTest, CancelledSaveQuestionKeepsTheWindowButSettingsAreWritten) {
    history.modified = 1;
    DialogAnswerer answers;
    answers.press(IDCANCEL);
    EXPECT_FALSE(Close());
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, "保存確認");
    EXPECT_EQ(answers.seen()[0].text, "履歴リストが変更されています。\r\n変更を保存しますか？");
    EXPECT_NE(IniFile().find("[File_Set]"), std::string::npos);

    answers.press(IDNO);
    EXPECT_TRUE(Close());
    EXPECT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.unexpected(), 0);
}

// Subclasses the main window to see which commands reach it.
std::vector<int> commandsSeen;
WNDPROC originalProc = nullptr;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Menu and accelerator commands only; the edit control notifies too.
    if (message == WM_COMMAND && lParam == 0)
        commandsSeen.push_back(LOWORD(wParam));
    return CallWindowProcA(originalProc, window, message, wParam, lParam);
}

TEST_F(MainWindowTest, AcceleratorsReachTheMainWindowFromAFocusedChild) {
    HWND child = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, window_,
                                 nullptr, appState.instance, nullptr);
    ASSERT_NE(child, nullptr);
    // The accelerator of a greyed menu item does nothing: make Save live,
    // on a history with a name so that saving writes at once.
    const std::string path = folder_->path() + "\\accel.csv";
    std::snprintf(history.filePath, kPathSize, "%s", path.c_str());
    std::snprintf(history.folder, kPathSize, "%s", folder_->path().c_str());
    history.untitled = 0;
    history.modified = 1;
    UpdateHistoryCommands(window_);
    SetForegroundWindow(window_);
    SetFocus(child);
    commandsSeen.clear();
    originalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));

    // Feeds one key press with the given modifiers through the program's loop.
    auto press = [&](UINT key, bool ctrl, bool alt) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        keys[VK_MENU] = alt ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG message{};
        message.hwnd = child;
        message.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        message.wParam = key;
        message.lParam = 1 | (alt ? (1 << 29) : 0);
        DispatchAppMessage(window_, accelerators_, message);
        keys[VK_CONTROL] = keys[VK_MENU] = 0;
        SetKeyboardState(keys);
        testsupport::PumpPending();
    };

    press('S', true, false);
    ASSERT_EQ(commandsSeen, std::vector<int>{IDM_FILE_SAVE});
    EXPECT_EQ(history.modified, 0);
    EXPECT_TRUE(testsupport::FileExists(path));
    press('S', true, true);
    EXPECT_EQ(commandsSeen.back(), IDM_CAPTURE_START);
    EXPECT_EQ(capturer.monitoring(), 1);
    EXPECT_EQ(StatusText(), "キャプチャ監視中");
    EXPECT_FALSE(MenuEnabled(IDM_CAPTURE_START));
    EXPECT_TRUE(MenuEnabled(IDM_CAPTURE_STOP));
    press('E', true, true);
    EXPECT_EQ(commandsSeen.back(), IDM_CAPTURE_STOP);
    EXPECT_EQ(capturer.monitoring(), 0);
    EXPECT_EQ(StatusText(), "キャプチャ停止中");
    // A plain S is no command.
    const size_t before = commandsSeen.size();
    press('S', false, false);
    EXPECT_EQ(commandsSeen.size(), before);

    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc));
}

// A key combination can be held by one registration only: whether ours is
// registered shows in whether a second registration of it fails.
bool ComboIsFree(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 0x3000, modifiers, key))
        return false;
    UnregisterHotKey(nullptr, 0x3000);
    return true;
}

TEST_F(MainWindowTest, ArmingRegistersMonitoredKeysAndClosingUnregistersThem) {
    HotKeyEntry& screen = settingsStore.settings.hotKeys[1];
    screen = {0x02 | 0x01, VK_F9, 1, 0};  // Ctrl+Shift+F9 in the control's flags
    HotKeyEntry& unmonitored = settingsStore.settings.hotKeys[2];
    unmonitored = {0x04, VK_F10, 0, 0};
    ASSERT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F9));

    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_START, 0);
    EXPECT_EQ(capturer.monitoring(), 1);
    EXPECT_FALSE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F9));
    EXPECT_TRUE(ComboIsFree(MOD_ALT, VK_F10));

    ASSERT_TRUE(Close());
    EXPECT_TRUE(ComboIsFree(MOD_CONTROL | MOD_SHIFT, VK_F9));
}

TEST_F(MainWindowTest, ArmingIsRefusedWhileTheFolderFollowsAnUntitledHistory) {
    settingsStore.settings.folderOption = 1;
    DialogAnswerer answers;
    answers.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_START, 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, history.folder);
    EXPECT_EQ(answers.seen()[0].text.rfind("キャプチャファイルの保存先が履歴と同じに", 0), 0u);
    EXPECT_EQ(capturer.monitoring(), 0);
    EXPECT_TRUE(MenuEnabled(IDM_CAPTURE_START));
    EXPECT_FALSE(MenuEnabled(IDM_CAPTURE_STOP));
    EXPECT_EQ(StatusText(), "キャプチャ停止中");
}

TEST_F(MainWindowTest, ExitCommandClosesAndVersionDialogOpens) {
    DialogAnswerer answers;
    answers.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_ABOUT, 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, "バージョン情報");

    SendMessageA(window_, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !IsWindow(window_); }, 3000));
    EXPECT_NE(IniFile().find("[Window]"), std::string::npos);
}

}  // namespace
