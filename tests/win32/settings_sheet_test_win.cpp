// The settings property sheet beside the real main window: what its pages
// show, what OK stores, saves and hands to the capturer, what Cancel leaves
// alone, the folder rule while armed and the numbering check.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "capture/capturer_win.h"
#include "capture/settings_sheet_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"

namespace {

using testsupport::DialogAnswerer;
using testsupport::ReadFileBytes;

enum SheetPage { kFilesPage = 0, kHistoryPage = 1, kFormatPage = 2, kFontsPage = 3 };

HWND ShowPage(HWND sheet, int index) {
    PropSheet_SetCurSel(sheet, nullptr, index);
    return PropSheet_GetCurrentPageHwnd(sheet);
}

std::string Text(HWND page, int id) {
    char text[300] = {};
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

bool Checked(HWND page, int id) {
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

bool Enabled(HWND page, int id) {
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}

void Click(HWND page, int id) {
    SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
}

bool HasLine(const std::string& ini, const std::string& line) {
    return ini.find("\r\n" + line + "\r\n") != std::string::npos;
}

// Keys pressed in the open sheet, one at a time: each is posted to the
// window with the focus, so that the sheet's own loop takes it as it takes
// the user's, and the page is read once that loop has dealt with it.
struct SheetKey {
    const char* name;
    UINT key;
    bool control;
    bool shift;
    int page;  // the page shown after it
};

struct KeyWalk {
    HWND sheet = nullptr;
    const SheetKey* keys = nullptr;
    size_t count = 0;
    size_t next = 0;
    std::vector<int> pages;
    bool focusInSheet = true;
};
KeyWalk* walk = nullptr;

void HoldModifiers(bool control, bool shift) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = control ? 0x80 : 0;
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
}

VOID CALLBACK NextSheetKey(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    KeyWalk& w = *walk;
    HoldModifiers(false, false);
    HWND focus = GetFocus();
    if (w.next > 0) {
        w.pages.push_back(static_cast<int>(
            PropSheet_HwndToIndex(w.sheet, PropSheet_GetCurrentPageHwnd(w.sheet))));
        w.focusInSheet = w.focusInSheet && focus && IsChild(w.sheet, focus);
    }
    if (w.next == w.count) {
        PropSheet_PressButton(w.sheet, PSBTN_CANCEL);
        return;
    }
    const SheetKey& key = w.keys[w.next++];
    HoldModifiers(key.control, key.shift);
    PostMessageA(focus ? focus : w.sheet, WM_KEYDOWN, key.key, 1);
    SetTimer(nullptr, 0, 100, NextSheetKey);
}

class SettingsSheetTest : public testsupport::MainWindowFixture {
  protected:
    void PrepareSettings() override {
        Settings& s = settingsStore.settings;
        std::strcpy(s.imageFilePrefix, "SHOT");
        std::strcpy(s.saveFolder, "C:\\画像");
        s.startNumber = 7;
        s.maxNumber = 500;
        s.folderOption = 0;
        s.zeroPadNumbers = 1;
        s.offscreenBlack = 1;
        s.jpegMode = 1;
        s.jpegQuality = 5;
        s.commentSource = 1;
        std::strcpy(s.comment, "表示");
        s.generalFont.pointSize = 12;
        std::strcpy(s.generalFont.faceName, "ＭＳ ゴシック");
    }

    Settings Stored() const { return settingsStore.settings; }
    std::string Ini() const { return ReadFileBytes(settingsStore.iniPath); }
};

TEST_F(SettingsSheetTest, OpensWithTheSettingsShown) {
    std::string caption;
    DialogAnswerer answers;
    answers.add([&](HWND sheet) {
        char text[64] = {};
        GetWindowTextA(sheet, text, sizeof text);
        caption = text;
        HWND files = ShowPage(sheet, kFilesPage);
        EXPECT_EQ(Text(files, IDC_SHEET_PREFIX), "SHOT");
        EXPECT_EQ(Text(files, IDC_SHEET_FOLDER), "C:\\画像");
        EXPECT_EQ(Text(files, IDC_SHEET_START), "7");
        EXPECT_EQ(Text(files, IDC_SHEET_MAX), "500");
        EXPECT_TRUE(Checked(files, IDC_SHEET_ZERO_PAD));
        EXPECT_TRUE(Checked(files, IDC_SHEET_OFFSCREEN_BLACK));
        EXPECT_TRUE(Checked(files, IDC_SHEET_FOLDER_GIVEN));
        EXPECT_TRUE(Enabled(files, IDC_SHEET_BROWSE));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(files, IDC_SHEET_OVERWRITE_YES)));

        HWND list = ShowPage(sheet, kHistoryPage);
        EXPECT_EQ(Text(list, IDC_SHEET_COMMENT), "表示");
        EXPECT_TRUE(Checked(list, IDC_SHEET_COMMENT_TEXT));
        EXPECT_TRUE(Enabled(list, IDC_SHEET_COMMENT));

        HWND format = ShowPage(sheet, kFormatPage);
        EXPECT_TRUE(Checked(format, IDC_SHEET_JPEG));
        // A quality below the range shows at the trackbar's minimum.
        EXPECT_EQ(SendDlgItemMessageA(format, IDC_SHEET_QUALITY, TBM_GETPOS, 0, 0), 10);

        HWND fonts = ShowPage(sheet, kFontsPage);
        EXPECT_EQ(Text(fonts, IDC_SHEET_GENERAL_FACE), "ＭＳ ゴシック");
        EXPECT_EQ(Text(fonts, IDC_SHEET_GENERAL_SIZE), "12");
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    RunSettingsPropertySheet(window_);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(caption, "環境設定");
}

// A property sheet's own keys turn its page, wrapping round at either end;
// Tab alone stays on the page. The sheet's loop must hand them to the sheet
// first: given to IsDialogMessage alone they move the focus instead.
TEST_F(SettingsSheetTest, CtrlTabAndCtrlPageDownTurnThePage) {
    static const SheetKey keys[] = {
        {"Tab", VK_TAB, false, false, 0},
        {"Ctrl+Tab", VK_TAB, true, false, 1},
        {"Ctrl+PageDown", VK_NEXT, true, false, 2},
        {"Ctrl+Shift+Tab", VK_TAB, true, true, 1},
        {"Ctrl+PageUp", VK_PRIOR, true, false, 0},
        {"Ctrl+PageUp on the first page", VK_PRIOR, true, false, 4},
        {"Ctrl+Tab on the last page", VK_TAB, true, false, 0},
    };
    KeyWalk keyWalk;
    keyWalk.keys = keys;
    keyWalk.count = sizeof keys / sizeof keys[0];
    walk = &keyWalk;
    bool ownerDisabled = false;
    DialogAnswerer answers;
    answers.add([&](HWND sheet) {
        keyWalk.sheet = sheet;
        ownerDisabled = !IsWindowEnabled(window_);
        SetFocus(GetDlgItem(ShowPage(sheet, kFilesPage), IDC_SHEET_PREFIX));
        SetTimer(nullptr, 0, 50, NextSheetKey);
    });
    RunSettingsPropertySheet(window_);
    walk = nullptr;
    HoldModifiers(false, false);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(keyWalk.pages.size(), keyWalk.count);
    for (size_t i = 0; i < keyWalk.count; ++i)
        EXPECT_EQ(keyWalk.pages[i], keys[i].page) << keys[i].name;
    EXPECT_TRUE(keyWalk.focusInSheet);
    // Modal to the main window, and only while it is open.
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(window_));
}

TEST_F(SettingsSheetTest, OkStoresSavesAndRefreshesTheCapturer) {
    DialogAnswerer answers;
    answers.add([&](HWND sheet) {
        HWND files = ShowPage(sheet, kFilesPage);
        SetDlgItemTextA(files, IDC_SHEET_PREFIX, "記録");
        SetDlgItemTextA(files, IDC_SHEET_START, "42");
        SetDlgItemTextA(files, IDC_SHEET_MAX, "900");
        Click(files, IDC_SHEET_ZERO_PAD);
        Click(files, IDC_SHEET_OFFSCREEN_CUT);
        Click(files, IDC_SHEET_FOLDER_HISTORY);
        EXPECT_FALSE(Enabled(files, IDC_SHEET_FOLDER));
        EXPECT_FALSE(Enabled(files, IDC_SHEET_BROWSE));

        HWND list = ShowPage(sheet, kHistoryPage);
        Click(list, IDC_SHEET_COMMENT_TITLE);
        EXPECT_FALSE(Enabled(list, IDC_SHEET_COMMENT));
        SetDlgItemTextA(list, IDC_SHEET_TEXT_APP, "C:\\エディタ.exe");

        HWND format = ShowPage(sheet, kFormatPage);
        Click(format, IDC_SHEET_BMP);
        EXPECT_FALSE(Enabled(format, IDC_SHEET_QUALITY));
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    RunSettingsPropertySheet(window_);
    EXPECT_EQ(answers.unexpected(), 0);

    const Settings s = Stored();
    EXPECT_STREQ(s.imageFilePrefix, "記録");
    EXPECT_EQ(s.startNumber, 42);
    EXPECT_EQ(s.maxNumber, 900);
    EXPECT_EQ(s.zeroPadNumbers, 0);
    EXPECT_EQ(s.offscreenBlack, 0);
    EXPECT_EQ(s.folderOption, 1);
    EXPECT_EQ(s.commentSource, 0);
    EXPECT_STREQ(s.textApp, "C:\\エディタ.exe");
    EXPECT_EQ(s.jpegMode, 0);
    EXPECT_EQ(s.jpegQuality, 10);

    const std::string ini = Ini();
    EXPECT_TRUE(HasLine(ini, "画像ファイル名=記録")) << ini;
    EXPECT_TRUE(HasLine(ini, "画像ファイル開始番号=42"));
    EXPECT_TRUE(HasLine(ini, "保存先オプション=1"));
    EXPECT_TRUE(HasLine(ini, "JPEGモード=0"));
    EXPECT_TRUE(HasLine(ini, "起動アプリ：テキスト=C:\\エディタ.exe"));

    EXPECT_EQ(capturer.nextNumber(), 42);
    EXPECT_STREQ(capturer.fileOptions().namePrefix, "記録");
    EXPECT_STREQ(capturer.folder(), "C:\\画像");
    EXPECT_EQ(capturer.fileOptions().jpegMode, 0);
    EXPECT_EQ(capturer.fileOptions().jpegQuality, 10);
}

// PNG is the [Capture_Ext] group's: choosing it keeps JPEGモード as it was,
// and choosing JPEG or BMP again switches it off.
TEST_F(SettingsSheetTest, PngIsTheExtraGroupsAndLeavesTheJpegChoice) {
    const struct {
        int button;
        bool png;
        int32_t jpegMode;
        const char* pngLine;
    } steps[] = {
        {IDC_SHEET_PNG, true, 1, "PNG形式=1"},
        {IDC_SHEET_BMP, false, 0, "PNG形式=0"},
        {IDC_SHEET_PNG, true, 0, "PNG形式=1"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.pngLine);
        const bool pngBefore = capturer.extras().png;
        bool quality = true, shownBefore = false;
        DialogAnswerer answers;
        answers.add([&](HWND sheet) {
            HWND format = ShowPage(sheet, kFormatPage);
            shownBefore = Checked(format, IDC_SHEET_PNG);
            Click(format, step.button);
            quality = Enabled(format, IDC_SHEET_QUALITY);
            PropSheet_PressButton(sheet, PSBTN_OK);
        });
        RunSettingsPropertySheet(window_);
        EXPECT_EQ(answers.unexpected(), 0);
        EXPECT_EQ(shownBefore, pngBefore);
        EXPECT_FALSE(quality);
        EXPECT_EQ(capturer.extras().png, step.png);
        EXPECT_EQ(Stored().jpegMode, step.jpegMode);
        EXPECT_EQ(capturer.fileOptions().jpegMode, step.jpegMode);
        const std::string ini = Ini();
        EXPECT_TRUE(HasLine(ini, "[Capture_Ext]")) << ini;
        EXPECT_TRUE(HasLine(ini, step.pngLine)) << ini;
        EXPECT_TRUE(HasLine(ini, "JPEGモード=" + std::to_string(step.jpegMode))) << ini;
    }
}

TEST_F(SettingsSheetTest, CancelChangesNothing) {
    const Settings before = Stored();
    const std::string iniBefore = Ini();
    const int32_t nextBefore = capturer.nextNumber();
    DialogAnswerer answers;
    answers.add([&](HWND sheet) {
        HWND files = ShowPage(sheet, kFilesPage);
        SetDlgItemTextA(files, IDC_SHEET_PREFIX, "XYZ");
        SetDlgItemTextA(files, IDC_SHEET_START, "99");
        HWND format = ShowPage(sheet, kFormatPage);
        Click(format, IDC_SHEET_BMP);
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    RunSettingsPropertySheet(window_);
    EXPECT_EQ(answers.unexpected(), 0);
    const Settings after = Stored();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(Ini(), iniBefore);
    EXPECT_EQ(capturer.nextNumber(), nextBefore);
}

TEST_F(SettingsSheetTest, WhileArmedTheGivenFolderCannotBeSwitched) {
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_START, 0);
    ASSERT_EQ(capturer.monitoring(), 1);
    DialogAnswerer answers;
    answers.add([&](HWND sheet) {
        HWND files = ShowPage(sheet, kFilesPage);
        EXPECT_TRUE(Enabled(files, IDC_SHEET_FOLDER_GIVEN));
        EXPECT_FALSE(Enabled(files, IDC_SHEET_FOLDER_HISTORY));
        EXPECT_TRUE(Enabled(files, IDC_SHEET_BROWSE));
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    RunSettingsPropertySheet(window_);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(settingsStore.settings.folderOption, 0);
}

TEST_F(SettingsSheetTest, WhileArmedTheHistoryFolderCannotBeSwitched) {
    // The arming command refuses an untitled history's folder; the rule
    // under test only looks at the armed state, so the keys are armed for
    // the given folder first.
    settingsStore.settings.folderOption = 0;
    ASSERT_EQ(capturer.startMonitoring(window_), 1);
    settingsStore.settings.folderOption = 1;
    DialogAnswerer answers;
    answers.add([&](HWND sheet) {
        HWND files = ShowPage(sheet, kFilesPage);
        EXPECT_TRUE(Checked(files, IDC_SHEET_FOLDER_HISTORY));
        EXPECT_FALSE(Enabled(files, IDC_SHEET_FOLDER_GIVEN));
        EXPECT_FALSE(Enabled(files, IDC_SHEET_FOLDER));
        EXPECT_FALSE(Enabled(files, IDC_SHEET_BROWSE));
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    RunSettingsPropertySheet(window_);
    capturer.stopMonitoring(window_);
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST_F(SettingsSheetTest, StartAboveTheMaximumKeepsTheSheetOpenOnItsPage) {
    const Settings before = Stored();
    const std::string iniBefore = Ini();
    int pageAfterRefusal = -1;
    bool openAfterRefusal = false;
    DialogAnswerer answers;
    answers.add([&](HWND sheet) {
        HWND files = ShowPage(sheet, kFilesPage);
        SetDlgItemTextA(files, IDC_SHEET_PREFIX, "NEW");
        SetDlgItemTextA(files, IDC_SHEET_START, "50");
        SetDlgItemTextA(files, IDC_SHEET_MAX, "10");
        HWND format = ShowPage(sheet, kFormatPage);
        Click(format, IDC_SHEET_BMP);
        ShowPage(sheet, kFilesPage);
        // The warning comes up inside this press and is answered below.
        PropSheet_PressButton(sheet, PSBTN_OK);
        testsupport::PumpPending();
        openAfterRefusal = IsWindow(sheet) && IsWindowVisible(sheet);
        pageAfterRefusal = PropSheet_HwndToIndex(sheet, PropSheet_GetCurrentPageHwnd(sheet));
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    answers.press(IDOK);
    RunSettingsPropertySheet(window_);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[1].caption, "ファイル番号設定エラー");
    EXPECT_EQ(answers.seen()[1].text, "開始番号が最大番号を超えています");
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(pageAfterRefusal, kFilesPage);
    const Settings after = Stored();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(Ini(), iniBefore);
}

}  // namespace

// Japanese typed into the sheet reaches its boxes whole: the keyboard's
// characters come as wide ones, and the sheet's loop (GetMessageA) hands a
// double-byte character on as two WM_CHARs, the lead byte first.
std::string typedPrefix;
VOID CALLBACK ReadTypedPrefix(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND sheet = GetAncestor(GetFocus(), GA_ROOT);
    typedPrefix = Text(PropSheet_GetCurrentPageHwnd(sheet), IDC_SHEET_PREFIX);
    PropSheet_PressButton(sheet, PSBTN_CANCEL);
}

TEST_F(SettingsSheetTest, TakesJapaneseTypedIntoItsBoxes) {
    DialogAnswerer answers;
    answers.add([&](HWND sheet) {
        HWND edit = GetDlgItem(ShowPage(sheet, kFilesPage), IDC_SHEET_PREFIX);
        SetWindowTextA(edit, "");
        SetFocus(edit);
        for (const wchar_t c : std::wstring(L"\u753b\u9762"))  // 画面
            PostMessageW(edit, WM_CHAR, c, 1);
        SetTimer(nullptr, 0, 200, ReadTypedPrefix);
    });
    RunSettingsPropertySheet(window_);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(typedPrefix, "画面");
}
