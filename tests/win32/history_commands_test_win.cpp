// The capture road of a hot key and the file commands of the main window,
// driven through the real window with its dialogs answered from here.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/app_state_win.h"
#include "app/panes_win.h"
#include "app/status_bar_win.h"
#include "app/toolbar_win.h"
#include "capture/capturer_win.h"
#include "history/history.h"
#include "history/history_list_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"

using testsupport::AnswerFileDialog;
using testsupport::DialogAnswerer;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

const char kHeader[] = "日時,コメント,ファイルパス,テキスト情報\r\n";

class HistoryCommandsTest : public testsupport::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s", folder_->path().c_str());
        capturer.prime(settingsStore.settings, history);
    }
    // A whole-screen capture, as the hot key of kind 1 sends it.
    void HotKey() { SendMessageA(window_, WM_HOTKEY, 103, 0); }
    int ButtonState(int command) {
        return static_cast<int>(SendMessageA(toolbar.window, TB_GETSTATE, command, 0));
    }
    // Names the history as if it had been opened from `name` in the folder.
    void NameHistory(const std::string& name) {
        std::snprintf(history.filePath, kPathSize, "%s", InFolder(name).c_str());
        std::snprintf(history.fileName, sizeof history.fileName, "%s", name.c_str());
        std::snprintf(history.folder, kPathSize, "%s", folder_->path().c_str());
        history.untitled = 0;
    }
};

TEST_F(HistoryCommandsTest, StartUpStates) {
    EXPECT_EQ(Title(), "新規 - Zelcap Ver2.3");
    EXPECT_FALSE(MenuEnabled(IDM_FILE_SAVE));
    EXPECT_FALSE(MenuEnabled(IDM_REPORT));
    EXPECT_FALSE(MenuEnabled(IDM_EDIT_SELECT_ALL));
    EXPECT_EQ(ButtonState(IDM_FILE_SAVE), TBSTATE_INDETERMINATE);
    EXPECT_EQ(ButtonState(IDM_REPORT), TBSTATE_INDETERMINATE);
    for (int id : {IDM_EDIT_HEADINGS, IDM_EDIT_DELETE, IDM_EDIT_MOVE_UP, IDM_EDIT_MOVE_DOWN})
        EXPECT_EQ(ButtonState(id), TBSTATE_INDETERMINATE) << id;
    EXPECT_EQ(ButtonState(IDM_CAPTURE_TOGGLE), TBSTATE_ENABLED);
    EXPECT_EQ(StatusText(), "キャプチャ停止中");
}

TEST_F(HistoryCommandsTest, HotKeyAppendsARecordAndEnablesSaving) {
    HotKey();
    ASSERT_EQ(history.count, 1);
    const HistoryRecord& r = history.records[0];
    EXPECT_EQ(std::string(r.imagePath), InFolder("1.bmp"));
    EXPECT_STREQ(r.comment, "SCREEN");
    EXPECT_EQ(std::strlen(r.dateTime), 19u);
    EXPECT_EQ(r.relative, 0);
    EXPECT_EQ(history.modified, 1);
    testsupport::PumpPending();
    EXPECT_TRUE(MenuEnabled(IDM_FILE_SAVE));
    EXPECT_TRUE(MenuEnabled(IDM_REPORT));
    EXPECT_EQ(ButtonState(IDM_FILE_SAVE), TBSTATE_ENABLED);
    EXPECT_EQ(settingsStore.settings.startNumber, 2);
    EXPECT_EQ(appState.captureBusy, 0);
}

TEST_F(HistoryCommandsTest, SaveFolderEndingInABackslashIsShortenedOnce) {
    std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s\\", folder_->path().c_str());
    HotKey();
    EXPECT_EQ(std::string(settingsStore.settings.saveFolder), folder_->path());
    ASSERT_EQ(history.count, 1);
    EXPECT_EQ(std::string(history.records[0].imagePath), InFolder("1.bmp"));
}

TEST_F(HistoryCommandsTest, AutoSaveWritesANamedHistory) {
    settingsStore.settings.autoSaveHistory = 1;
    NameHistory("auto.csv");
    HotKey();
    const std::string file = ReadFileBytes(InFolder("auto.csv"));
    EXPECT_EQ(file.rfind(kHeader, 0), 0u);
    EXPECT_NE(file.find(",SCREEN," + InFolder("1.bmp") + ",\r\n"), std::string::npos);
    EXPECT_EQ(history.modified, 0);
    EXPECT_EQ(Title(), "auto.csv - Zelcap Ver2.3 - [" + InFolder("auto.csv") + "]");
}

TEST_F(HistoryCommandsTest, AutoSaveOfAnUntitledHistoryAsksForAName) {
    settingsStore.settings.autoSaveHistory = 1;
    DialogAnswerer answers;
    const std::string path = InFolder("named.csv");
    answers.add([&](HWND dialog) { AnswerFileDialog(dialog, path); });
    HotKey();
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, "保存するファイル名を指定して下さい");
    EXPECT_EQ(Title(), "named.csv - Zelcap Ver2.3 - [" + path + "]");
    EXPECT_EQ(history.untitled, 0);
    EXPECT_NE(ReadFileBytes(path).find(",SCREEN,"), std::string::npos);
}

TEST_F(HistoryCommandsTest, ThousandRecordsRefuseTheNextCapture) {
    history.count = 1000;
    DialogAnswerer answers;
    answers.press(IDOK);
    HotKey();
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "最大件数1000を超えました。履歴ファイルを変更してください。");
    EXPECT_EQ(answers.seen()[0].caption, "警告");
    EXPECT_EQ(history.count, 1000);
    EXPECT_FALSE(testsupport::FileExists(InFolder("1.bmp")));
    EXPECT_EQ(capturer.nextNumber(), 1);

    // A new history takes captures again.
    history.modified = 0;
    SendMessageA(window_, WM_COMMAND, IDM_FILE_NEW, 0);
    EXPECT_EQ(history.count, 0);
    HotKey();
    EXPECT_EQ(history.count, 1);
}

TEST_F(HistoryCommandsTest, SaveAsOpenAndNewThroughTheirDialogs) {
    HotKey();
    HotKey();
    DialogAnswerer answers;
    const std::string path = InFolder("log.csv");
    answers.add([&](HWND dialog) { AnswerFileDialog(dialog, path); });
    SendMessageA(window_, WM_COMMAND, IDM_FILE_SAVE_AS, 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, "保存するファイル名を指定して下さい");
    EXPECT_EQ(Title(), "log.csv - Zelcap Ver2.3 - [" + path + "]");
    EXPECT_FALSE(MenuEnabled(IDM_FILE_SAVE));
    const std::string saved = ReadFileBytes(path);
    EXPECT_EQ(saved.rfind(kHeader, 0), 0u);

    SendMessageA(window_, WM_COMMAND, IDM_FILE_NEW, 0);
    EXPECT_EQ(history.count, 0);
    EXPECT_EQ(Title(), "新規 - Zelcap Ver2.3");

    answers.add([&](HWND dialog) { AnswerFileDialog(dialog, path); });
    SendMessageA(window_, WM_COMMAND, IDM_FILE_OPEN, 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[1].caption, "開くファイル名を指定して下さい");
    EXPECT_EQ(history.count, 2);
    EXPECT_EQ(history.modified, 0);
    EXPECT_EQ(Title(), "log.csv - Zelcap Ver2.3 - [" + path + "]");
    EXPECT_TRUE(MenuEnabled(IDM_REPORT));

    // Save of a named, modified history writes without asking.
    HotKey();
    SendMessageA(window_, WM_COMMAND, IDM_FILE_SAVE, 0);
    EXPECT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(history.modified, 0);
    EXPECT_GT(ReadFileBytes(path).size(), saved.size());
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST_F(HistoryCommandsTest, SaveQuestionGuardsNewOpenAndClose) {
    HotKey();
    DialogAnswerer answers;
    // New: Cancel keeps everything, No discards.
    answers.press(IDCANCEL);
    SendMessageA(window_, WM_COMMAND, IDM_FILE_NEW, 0);
    EXPECT_EQ(history.count, 1);
    answers.press(IDNO);
    SendMessageA(window_, WM_COMMAND, IDM_FILE_NEW, 0);
    EXPECT_EQ(history.count, 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[0].caption, "保存確認");

    // Open: Yes saves first (asking for a name), then opens.
    HotKey();
    const std::string first = InFolder("first.csv");
    WriteFileBytes(InFolder("other.csv"),
                   std::string(kHeader) + "2004/07/16 10:23:45,売上集計,\\a000012.jpg,\r\n");
    answers.press(IDYES);
    answers.add([&](HWND dialog) { AnswerFileDialog(dialog, first); });
    answers.add([&](HWND dialog) { AnswerFileDialog(dialog, InFolder("other.csv")); });
    SendMessageA(window_, WM_COMMAND, IDM_FILE_OPEN, 0);
    EXPECT_NE(ReadFileBytes(first).find(",SCREEN,"), std::string::npos);
    ASSERT_EQ(history.count, 1);
    EXPECT_STREQ(history.records[0].comment, "売上集計");
    EXPECT_EQ(history.records[0].relative, 1);

    // Close: Yes on a named history saves and closes.
    HotKey();
    answers.press(IDYES);
    EXPECT_TRUE(Close());
    EXPECT_EQ(history.modified, 0);
    EXPECT_NE(ReadFileBytes(InFolder("other.csv")).find(",SCREEN,"), std::string::npos);
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST_F(HistoryCommandsTest, ArmingButtonAndRefusalStates) {
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_START, 0);
    EXPECT_EQ(ButtonState(IDM_CAPTURE_TOGGLE), TBSTATE_ENABLED | TBSTATE_CHECKED);
    EXPECT_EQ(StatusText(), "キャプチャ監視中");
    // The button toggles itself before its command arrives.
    SendMessageA(toolbar.window, TB_SETSTATE, IDM_CAPTURE_TOGGLE, TBSTATE_ENABLED);
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_TOGGLE, 0);
    EXPECT_EQ(capturer.monitoring(), 0);
    EXPECT_EQ(StatusText(), "キャプチャ停止中");

    settingsStore.settings.folderOption = 1;
    DialogAnswerer answers;
    answers.press(IDOK);
    SendMessageA(toolbar.window, TB_SETSTATE, IDM_CAPTURE_TOGGLE,
                 TBSTATE_ENABLED | TBSTATE_CHECKED);
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_TOGGLE, 0);
    EXPECT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(capturer.monitoring(), 0);
    EXPECT_EQ(ButtonState(IDM_CAPTURE_TOGGLE), TBSTATE_ENABLED);
    EXPECT_EQ(StatusText(), "キャプチャ停止中");
    EXPECT_TRUE(MenuEnabled(IDM_CAPTURE_START));
}

TEST_F(HistoryCommandsTest, NewHistoryWhileArmedOnTheHistoryFolderStopsCapturing) {
    settingsStore.settings.folderOption = 1;
    NameHistory("armed.csv");
    SendMessageA(window_, WM_COMMAND, IDM_CAPTURE_START, 0);
    ASSERT_EQ(capturer.monitoring(), 1);
    DialogAnswerer answers;
    answers.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_FILE_NEW, 0);
    testsupport::PumpPending();
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, folder_->path());
    EXPECT_EQ(capturer.monitoring(), 0);
    EXPECT_EQ(StatusText(), "キャプチャ停止中");
}

// New from the 設定 page shows the history page, not only its tab.
TEST_F(HistoryCommandsTest, NewFromTheSettingsPageShowsTheHistoryPage) {
    TabCtrl_SetCurSel(tabHost.tabControl, 1);
    ShowPage();
    ASSERT_FALSE(IsWindowVisible(tabHost.imagePane.container));
    SendMessageA(window_, WM_COMMAND, IDM_FILE_NEW, 0);
    EXPECT_EQ(TabCtrl_GetCurSel(tabHost.tabControl), 0);
    EXPECT_TRUE(IsWindowVisible(tabHost.imagePane.container));
    EXPECT_FALSE(IsWindowVisible(tabHost.keyPanelHost.container));
}

// Saving never loses the previous history: a target that cannot be replaced
// keeps its old contents and the history stays modified.
TEST_F(HistoryCommandsTest, FailedSaveKeepsTheOldFileAndTheChanges) {
    NameHistory("keep.csv");
    const std::string old = std::string(kHeader) + "2004/07/16 10:23:45,old,\\a.jpg,\r\n";
    ASSERT_TRUE(WriteFileBytes(InFolder("keep.csv"), old));
    HotKey();
    HANDLE held = CreateFileA(InFolder("keep.csv").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DialogAnswerer answers;
    answers.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_FILE_SAVE, 0);
    CloseHandle(held);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, "エラー");
    EXPECT_EQ(answers.seen()[0].text.rfind(
                  "ファイルオープンエラー [" + InFolder("keep.csv") + "] errno=", 0),
              0u);
    EXPECT_EQ(ReadFileBytes(InFolder("keep.csv")), old);
    EXPECT_EQ(history.modified, 1);
    EXPECT_TRUE(MenuEnabled(IDM_FILE_SAVE));
    // No stray temporary files are left beside it.
    EXPECT_TRUE(testsupport::FilesMatching(InFolder("*.tmp")).empty());
}

// After a file that could not be read the history must not keep its name,
// or the next save would overwrite it with an empty list.
TEST_F(HistoryCommandsTest, UnreadableFileIsNotAdoptedAsTheHistory) {
    const std::string notHistory(300, 'x');  // no line end in its first 128 bytes
    ASSERT_TRUE(WriteFileBytes(InFolder("photo.csv"), notHistory));
    DialogAnswerer answers;
    answers.add([&](HWND dialog) { AnswerFileDialog(dialog, InFolder("photo.csv")); });
    SendMessageA(window_, WM_COMMAND, IDM_FILE_OPEN, 0);
    EXPECT_EQ(history.count, 0);
    EXPECT_EQ(history.untitled, 1);
    EXPECT_EQ(Title(), "新規 - Zelcap Ver2.3");
    EXPECT_EQ(ReadFileBytes(InFolder("photo.csv")), notHistory);
}

TEST_F(HistoryCommandsTest, TooltipsComeFromTheToolbar) {
    NMTTDISPINFOA request{};
    request.hdr.code = TTN_NEEDTEXTA;
    request.hdr.idFrom = IDM_FILE_OPEN;
    SendMessageA(window_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
    ASSERT_NE(request.lpszText, nullptr);
    EXPECT_STREQ(request.lpszText, "ファイルを開く");
    EXPECT_EQ(request.hinst, appState.instance);
}

}  // namespace

namespace {

TEST_F(HistoryCommandsTest, StatusBarIsDividedInThirds) {
    SendMessageA(window_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    int edges[3] = {};
    ASSERT_EQ(SendMessageA(statusBar.window, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 3);
    EXPECT_EQ(edges[0], 100);
    EXPECT_EQ(edges[1], 200);
    EXPECT_EQ(edges[2], 300);
}

// There is no help file here: the three help commands fail without a word
// (an unexpected message box would fail the test) and the program goes on.
TEST_F(HistoryCommandsTest, HelpCommandsWithoutAHelpFileFailQuietly) {
    for (int id : {IDM_HELP_CONTENTS, IDM_HELP_SEARCH, IDM_HELP_KEYWORD}) {
        SendMessageA(window_, WM_COMMAND, id, 0);
        testsupport::PumpPending();
    }
    EXPECT_TRUE(IsWindow(window_));
    HotKey();
    EXPECT_EQ(history.count, 1);
}

}  // namespace

namespace {

TEST_F(HistoryCommandsTest, ReportCommandWritesTheReportAndConfirms) {
    HotKey();
    HotKey();
    Settings& s = settingsStore.settings;
    std::snprintf(s.reportFolder, kPathSize, "%s", folder_->path().c_str());
    std::snprintf(s.reportFileName, kPathSize, "report1");
    std::snprintf(s.reportTitle, kPathSize, "レポート１");
    s.reportItemsPerRow = 1;
    s.reportTocSplit = 1;
    s.reportRowsPerPage = 10;
    DialogAnswerer answers;
    answers.add([](HWND dialog) { testsupport::PressButton(dialog, 3); });  // 出力(&S)
    answers.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_REPORT, 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[0].caption, "HTML出力");
    EXPECT_EQ(answers.seen()[1].text, "HTMLファイルの作成処理が終了しました。");
    EXPECT_EQ(answers.seen()[1].caption, "確認");
    const std::string html = ReadFileBytes(InFolder("report1.htm"));
    EXPECT_NE(html.find("レポート１"), std::string::npos);
    EXPECT_NE(html.find("1.bmp"), std::string::npos);
    EXPECT_NE(html.find("2.bmp"), std::string::npos);
    EXPECT_NE(ReadFileBytes(settingsStore.iniPath).find("[HTML]"), std::string::npos);

    // Cancel writes nothing more.
    answers.press(IDCANCEL);
    DeleteFileA(InFolder("report1.htm").c_str());
    SendMessageA(window_, WM_COMMAND, IDM_REPORT, 0);
    EXPECT_EQ(answers.seen().size(), 3u);
    EXPECT_FALSE(testsupport::FileExists(InFolder("report1.htm")));
}

// While a window of ours is open over the main window (it is disabled), keys
// that reach the list past a message box and a close sent to the main window
// wait: an arrow would load the next picture under the box and a close
// would destroy the box's owner.
TEST_F(HistoryCommandsTest, ListKeysAndCloseWaitWhileTheMainWindowIsDisabled) {
    HotKey();
    HotKey();
    testsupport::PumpPending();
    const auto selected = [] {
        return static_cast<int>(
            SendMessageA(historyList.window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    };
    ASSERT_EQ(selected(), 1);
    EnableWindow(window_, FALSE);
    SendMessageA(historyList.window, WM_KEYDOWN, VK_UP, 0);
    SendMessageA(window_, WM_CLOSE, 0, 0);
    testsupport::PumpPending();
    EXPECT_EQ(selected(), 1);
    EXPECT_TRUE(IsWindow(window_));
    EnableWindow(window_, TRUE);
    SendMessageA(historyList.window, WM_KEYDOWN, VK_UP, 0);
    testsupport::PumpPending();
    EXPECT_EQ(selected(), 0);
}

}  // namespace
