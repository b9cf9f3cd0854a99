// The history list on the real list control inside the real main window:
// rows and records, moving, deleting with the image rule, dropped files,
// heading edits and the context menu.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/bmp_format.h"
#include "capture/capturer_win.h"
#include "history/history.h"
#include "history/history_list_win.h"
#include "base/app_messages_win.h"
#include "resources/compare_ids.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/capture_fixture.h"
#include "tests/win32/support/main_window_fixture.h"
#include "view/compare_window_win.h"

using testsupport::AnswerFileDialog;
using testsupport::DialogAnswerer;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

const char kHeader[] = "日時,コメント,ファイルパス,テキスト情報\r\n";

// A small valid picture: selecting a row loads its image, and a missing or
// broken one would (rightly) bring up a message.
std::string TinyBmp() {
    uint8_t headers[kBmpHeaderSize];
    makeBmpHeaders(2, 2, headers);
    return std::string(reinterpret_cast<const char*>(headers), kBmpHeaderSize) +
           std::string(16, '\x7f');
}

class HistoryListTest : public testsupport::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s", folder_->path().c_str());
    }
    HWND List() const { return historyList.window; }
    int Rows() const { return historyList.itemCount(); }
    std::string Cell(int row, int column) const {
        char text[300] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(List(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    void Select(std::vector<int> rows) {
        LVITEMA none{};
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
        for (int r : rows) {
            LVITEMA item{};
            item.state = item.stateMask = LVIS_SELECTED;
            SendMessageA(List(), LVM_SETITEMSTATE, r, reinterpret_cast<LPARAM>(&item));
        }
    }
    // A history file of n records "h0".."h(n-1)" whose images are relative
    // files i.bmp of the folder, opened through the open dialog.
    void OpenCsv(const std::string& csv) {
        ASSERT_TRUE(WriteFileBytes(InFolder("list.csv"), csv));
        DialogAnswerer answers;
        answers.add([&](HWND dialog) { AnswerFileDialog(dialog, InFolder("list.csv")); });
        SendMessageA(window_, WM_COMMAND, IDM_FILE_OPEN, 0);
        testsupport::PumpPending();
    }
    void OpenHistoryOf(int n, bool makeImages = true) {
        std::string csv = kHeader;
        for (int i = 0; i < n; ++i) {
            char line[128];
            std::snprintf(line, sizeof line, "2004/07/16 10:23:%02d,h%d,\\%d.bmp,\r\n", i % 60, i,
                          i);
            csv += line;
            if (makeImages)
                WriteFileBytes(InFolder(std::to_string(i) + ".bmp"), TinyBmp());
        }
        OpenCsv(csv);
        ASSERT_EQ(history.count, n);
    }
    // Whether the list draws: a row redrawn leaves an update region only
    // while drawing is on.
    bool ListDraws() const {
        UpdateWindow(List());
        const LRESULT top = SendMessageA(List(), LVM_GETTOPINDEX, 0, 0);
        SendMessageA(List(), LVM_REDRAWITEMS, top, top);
        RECT r;
        return GetUpdateRect(List(), &r, FALSE) != FALSE;
    }
    // The rows the list's vertical bar covers.
    int ScrollRows() const {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE;
        GetScrollInfo(List(), SB_VERT, &info);
        return info.nMax - info.nMin + 1;
    }
    std::vector<std::string> Headings() const {
        std::vector<std::string> out;
        for (int i = 0; i < history.count; ++i)
            out.push_back(history.records[i].comment);
        return out;
    }
};

TEST_F(HistoryListTest, OpenedFileFillsTheRowsAndStaysUnmodified) {
    OpenHistoryOf(10);
    EXPECT_EQ(Rows(), 10);
    EXPECT_EQ(Cell(3, 0), "h3");
    EXPECT_EQ(Cell(3, 1), "\\3.bmp");
    EXPECT_EQ(Cell(3, 2), "2004/07/16 10:23:03");
    EXPECT_EQ(Cell(3, 3), "");
    EXPECT_EQ(history.modified, 0);
    EXPECT_FALSE(MenuEnabled(IDM_FILE_SAVE));
}

TEST_F(HistoryListTest, CaptureIntoTheHistoryFolderBecomesARelativeRow) {
    OpenHistoryOf(2);
    settingsStore.settings.folderOption = 1;
    capturer.prime(settingsStore.settings, history);
    SendMessageA(window_, WM_HOTKEY, 103, 0);
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(2, 1), "\\1.bmp");
    // Until the next write-back the record holds the path the capture formed.
    EXPECT_EQ(std::string(history.records[2].imagePath), InFolder("1.bmp"));
    EXPECT_EQ(history.records[2].relative, 1);
    EXPECT_EQ(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
    Select({1});
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_MOVE_DOWN, 0);
    EXPECT_STREQ(history.records[1].imagePath, "\\1.bmp");
    EXPECT_EQ(history.records[1].relative, 1);
}

// A full path on the current drive ("\captures\a.bmp", stored with the
// writer's mark) looks relative; an edit of the list must not make it so.
TEST_F(HistoryListTest, FullPathThatLooksRelativeKeepsItsFolderThroughAnEdit) {
    OpenCsv(std::string(kHeader) + "2004/07/16 10:23:00,h0,\\0.bmp,\r\n" +
            "2004/07/16 10:23:01,h1,\"\"\"\\captures\\a.bmp\",\r\n");
    ASSERT_EQ(history.count, 2);
    ASSERT_EQ(history.records[1].relative, 0);
    WriteFileBytes(InFolder("0.bmp"), TinyBmp());
    Select({0});
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_MOVE_DOWN, 0);
    EXPECT_STREQ(history.records[0].imagePath, "\\captures\\a.bmp");
    EXPECT_EQ(history.records[0].relative, 0);
    EXPECT_EQ(history.records[1].relative, 1);
    SendMessageA(window_, WM_COMMAND, IDM_FILE_SAVE, 0);
    EXPECT_NE(ReadFileBytes(InFolder("list.csv")).find("\"\"\"\\captures\\a.bmp\""),
              std::string::npos);
}

TEST_F(HistoryListTest, MovingAtTheEndsDoesNothingAndInTheMiddleSwaps) {
    OpenHistoryOf(4);
    Select({0});
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_MOVE_UP, 0);
    Select({3});
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_MOVE_DOWN, 0);
    EXPECT_EQ(history.modified, 0);
    EXPECT_EQ(Headings(), (std::vector<std::string>{"h0", "h1", "h2", "h3"}));

    Select({2});
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_MOVE_UP, 0);
    EXPECT_EQ(Headings(), (std::vector<std::string>{"h0", "h2", "h1", "h3"}));
    EXPECT_EQ(history.modified, 1);
    EXPECT_EQ(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_MOVE_DOWN, 0);
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_MOVE_DOWN, 0);
    EXPECT_EQ(Headings(), (std::vector<std::string>{"h0", "h1", "h3", "h2"}));
    EXPECT_EQ(Cell(3, 0), "h2");
}

TEST_F(HistoryListTest, DeletingRowsRemovesOnlyTheirOwnImages) {
    OpenHistoryOf(7, true);
    settingsStore.settings.keepImagesOnDelete = 0;
    // Row 4's image lies outside the history folder: it is never deleted.
    ASSERT_TRUE(CreateDirectoryA(InFolder("outside").c_str(), nullptr));
    const std::string outside = InFolder("outside\\x.bmp");
    WriteFileBytes(outside, TinyBmp());
    std::snprintf(history.records[4].imagePath, kPathSize, "%s", outside.c_str());
    history.records[4].relative = 0;
    Select({2, 4, 5});
    DialogAnswerer answers;
    answers.press(IDYES);
    answers.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_DELETE, 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[0].text, "選択した行を削除します。よろしいですか？");
    EXPECT_EQ(answers.seen()[1].text, "オリジナル画像は削除しません");
    EXPECT_EQ(answers.seen()[1].caption, outside);
    EXPECT_FALSE(FileExists(InFolder("2.bmp")));
    EXPECT_FALSE(FileExists(InFolder("5.bmp")));
    EXPECT_TRUE(FileExists(outside));
    for (int kept : {0, 1, 3, 6})
        EXPECT_TRUE(FileExists(InFolder(std::to_string(kept) + ".bmp")));
    EXPECT_EQ(Headings(), (std::vector<std::string>{"h0", "h1", "h3", "h6"}));
    EXPECT_EQ(history.modified, 1);

    // With the setting on, rows go and every file stays, without a word.
    settingsStore.settings.keepImagesOnDelete = 1;
    Select({0});
    answers.press(IDYES);
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_DELETE, 0);
    EXPECT_EQ(answers.seen().size(), 3u);
    EXPECT_TRUE(FileExists(InFolder("0.bmp")));
    EXPECT_EQ(Rows(), 3);

    // Anything but Yes keeps the rows.
    Select({0});
    answers.press(IDNO);
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_DELETE, 0);
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(answers.unexpected(), 0);
}

// An HDROP as the shell hands it over, for the files given.
HDROP MakeDrop(const std::vector<std::string>& files) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const auto& f : files)
        size += f.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* names = reinterpret_cast<char*>(drop + 1);
    for (const auto& f : files) {
        std::memcpy(names, f.c_str(), f.size() + 1);
        names += f.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class DropTest : public HistoryListTest {
  protected:
    void SetUp() override {
        HistoryListTest::SetUp();
        CreateDirectoryA(InFolder("src").c_str(), nullptr);
        CreateDirectoryA(InFolder("dst").c_str(), nullptr);
        std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s", InFolder("dst").c_str());
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            WriteFileBytes(InFolder(std::string("src\\") + name), TinyBmp() + name);
    }
    void Drop(std::vector<std::string> names) {
        std::vector<std::string> files;
        for (auto& n : names)
            files.push_back(InFolder("src\\" + n));
        SendMessageA(List(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(files)), 0);
    }
};

TEST_F(DropTest, DroppedFilesAreCopiedAndAppended) {
    Drop({"a.bmp", "b.bmp"});
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(ReadFileBytes(InFolder("dst\\a.bmp")), TinyBmp() + "a.bmp");
    EXPECT_EQ(std::string(history.records[1].imagePath), InFolder("dst\\b.bmp"));
    EXPECT_EQ(std::string(history.records[1].comment), InFolder("dst\\b.bmp"));
    EXPECT_EQ(std::strlen(history.records[1].dateTime), 19u);
    EXPECT_EQ(history.modified, 1);
}

TEST_F(DropTest, ThreeFilesOnto999RowsAddOneAndStop) {
    OpenHistoryOf(999, false);
    DialogAnswerer answers;
    answers.press(IDOK);
    Drop({"a.bmp", "b.bmp", "c.bmp"});
    EXPECT_EQ(Rows(), 1000);
    EXPECT_EQ(history.count, 1000);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "最大登録件数を超えました");
    EXPECT_EQ(answers.seen()[0].caption, "ERROR");
    EXPECT_TRUE(FileExists(InFolder("dst\\b.bmp")));  // copied, but no row
    EXPECT_FALSE(FileExists(InFolder("dst\\c.bmp")));
}

TEST_F(DropTest, CancelledOverwriteEndsTheDropKeepingEarlierRows) {
    WriteFileBytes(InFolder("dst\\b.bmp"), TinyBmp() + "old b");
    DialogAnswerer answers;
    answers.press(IDCANCEL);
    Drop({"a.bmp", "b.bmp", "c.bmp"});
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "同じ名前のファイルがあります。上書きしますか？\r\n\\b.bmp");
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(history.count, 1);
    EXPECT_EQ(ReadFileBytes(InFolder("dst\\b.bmp")), TinyBmp() + "old b");
    EXPECT_FALSE(FileExists(InFolder("dst\\c.bmp")));
}

// Opening, deleting and dropping change many rows with the list's drawing
// held: afterwards the list draws again and its bar covers the new rows,
// and a question in the middle of a drop comes with the rows so far drawn.
class BulkChangeTest : public DropTest {
  protected:
    // Rows must be on the screen for a redraw to leave an update region.
    void PrepareSettings() override {
        settingsStore.settings.windowWidth = 900;
        settingsStore.settings.windowHeight = 700;
    }
};

TEST_F(BulkChangeTest, BulkChangesLeaveTheListDrawing) {
    OpenHistoryOf(300);
    EXPECT_EQ(ScrollRows(), 300);
    EXPECT_TRUE(ListDraws());

    std::vector<int> half;
    for (int r = 0; r < 150; ++r)
        half.push_back(2 * r);
    Select(half);
    DialogAnswerer answers;
    answers.press(IDYES);
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_DELETE, 0);
    EXPECT_EQ(Rows(), 150);
    EXPECT_EQ(Cell(0, 0), "h1");
    EXPECT_EQ(ScrollRows(), 150);
    EXPECT_TRUE(ListDraws());

    WriteFileBytes(InFolder("dst\\b.bmp"), TinyBmp() + "old b");
    int rowsAsked = 0;
    bool drawnAsked = false;
    answers.add([&](HWND dialog) {
        rowsAsked = Rows();
        drawnAsked = ListDraws();
        testsupport::PressButton(dialog, IDOK);
    });
    Drop({"a.bmp", "b.bmp", "c.bmp"});
    EXPECT_EQ(rowsAsked, 151);
    EXPECT_TRUE(drawnAsked);
    EXPECT_EQ(Rows(), 153);
    EXPECT_EQ(ScrollRows(), 153);
    EXPECT_TRUE(ListDraws());
    EXPECT_EQ(answers.unexpected(), 0);
}

// Captures one after the other hold the list's drawing until the last one's
// row is in: then the list draws, its bar covers every row, and the last
// row alone is selected, has the focus and is on the screen, though the
// list scrolled while it did not draw.
TEST_F(BulkChangeTest, CapturesInARowEndDrawnAtTheLastRow) {
    OpenHistoryOf(300);
    Select({5, 7});
    capturer.prime(settingsStore.settings, history);
    for (int i = 0; i < 3; ++i)
        SendMessageA(window_, WM_HOTKEY, 103, 0);
    ASSERT_EQ(Rows(), 303);
    testsupport::PumpPending();
    EXPECT_TRUE(ListDraws());
    EXPECT_EQ(ScrollRows(), 303);
    EXPECT_EQ(SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 302);
    EXPECT_EQ(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 302);
    const LRESULT top = SendMessageA(List(), LVM_GETTOPINDEX, 0, 0);
    const LRESULT page = SendMessageA(List(), LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_GT(top, 0);
    EXPECT_LE(302, top + page - 1);
}

// A file dragged from the folder it would be copied into is the target
// itself: it must survive, and is taken as it is.
TEST_F(DropTest, FileDroppedOntoItsOwnFolderIsKept) {
    std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s", InFolder("src").c_str());
    DialogAnswerer answers;
    Drop({"a.bmp"});
    EXPECT_EQ(ReadFileBytes(InFolder("src\\a.bmp")), TinyBmp() + "a.bmp");
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(answers.seen().size(), 0u);
}

TEST_F(HistoryListTest, HeadingOf128BytesSurvivesBothEditsAndEscKeepsTheOld) {
    OpenHistoryOf(3);
    std::string heading = std::string(64, 'x') + std::string(32, 'y');
    for (int i = 0; i < 16; ++i)
        heading += "表";
    ASSERT_EQ(heading.size(), 128u);

    // In place: the edit control takes the text and ends the edit.
    Select({1});
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_HEADING, 0);
    HWND edit = reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(history.modified, 1);
    SetWindowTextA(edit, heading.c_str());
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    testsupport::PumpPending();
    EXPECT_EQ(std::string(history.records[1].comment), heading);

    // Esc: the old heading stays.
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_HEADING, 0);
    edit = reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "discarded");
    SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    testsupport::PumpPending();
    EXPECT_EQ(std::string(history.records[1].comment), heading);
    EXPECT_EQ(Cell(1, 0), heading);

    // The batch dialog, for two rows.
    Select({0, 2});
    DialogAnswerer answers;
    answers.add([&](HWND dialog) {
        SetDlgItemTextA(dialog, 1016, heading.c_str());
        testsupport::PressButton(dialog, 1018);
    });
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_HEADINGS, 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, "編集");
    EXPECT_EQ(std::string(history.records[0].comment), heading);
    EXPECT_EQ(std::string(history.records[2].comment), heading);
}

TEST_F(HistoryListTest, TextFileIsChosenForExactlyOneRow) {
    OpenHistoryOf(2);
    WriteFileBytes(InFolder("memo.txt"), "");
    DialogAnswerer answers;
    Select({0, 1});
    answers.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_ASSIGN_TEXT, 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "複数選択してテキスト追加はできません？");

    Select({1});
    answers.add([&](HWND dialog) {
        HWND box = GetDlgItem(dialog, 1015);
        SendMessageA(box, LB_SETCURSEL,
                     SendMessageA(box, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>("memo.txt")),
                     0);
        testsupport::PressButton(dialog, IDOK);
    });
    SendMessageA(window_, WM_COMMAND, IDM_ASSIGN_TEXT, 0);
    EXPECT_EQ(Cell(1, 3), "memo.txt");
    EXPECT_STREQ(history.records[1].textFile, "memo.txt");
    EXPECT_EQ(history.modified, 1);
}

// 編集 → 比較 takes exactly two rows whose pictures a comparison may show,
// and its 履歴に追加 goes the way of a capture, overwrite question included.
TEST_F(HistoryListTest, CompareTakesTwoComparablePicturesAndAddsItsOverlayAsACapture) {
    OpenHistoryOf(3);
    uint8_t headers[kBmpHeaderSize];
    makeBmpHeaders(2, 2, headers);
    WriteFileBytes(InFolder("2.bmp"),
                   std::string(reinterpret_cast<const char*>(headers), kBmpHeaderSize) +
                       std::string(16, '\0'));
    const auto enabled = [&](std::vector<int> rows) {
        Select(rows);
        SendMessageA(window_, UWM_UPDATE_COMMANDS, 0, 0);
        return MenuEnabled(IDM_COMPARE);
    };
    EXPECT_FALSE(enabled({0}));
    EXPECT_TRUE(enabled({0, 1}));
    EXPECT_FALSE(enabled({0, 1, 2}));
    // A masked record without its flattened picture never shows its original.
    std::string shown;
    EXPECT_TRUE(ComparisonPicture(InFolder("1.bmp").c_str(), shown));
    EXPECT_EQ(shown, InFolder("1.bmp"));
    WriteFileBytes(InFolder("1.bmp.zan"), "ZAN 1\r\nmask 0 0 1 1 000000\r\n");
    EXPECT_FALSE(ComparisonPicture(InFolder("1.bmp").c_str(), shown));
    WriteFileBytes(InFolder("1_ann.png"), "");
    EXPECT_TRUE(ComparisonPicture(InFolder("1.bmp").c_str(), shown));
    EXPECT_EQ(shown, InFolder("1_ann.png"));
    EXPECT_FALSE(ComparisonPicture(InFolder("9.bmp").c_str(), shown));
    DeleteFileA(InFolder("1_ann.png").c_str());
    DeleteFileA(InFolder("1.bmp.zan").c_str());

    ASSERT_TRUE(enabled({0, 2}));
    SendMessageA(window_, WM_COMMAND, IDM_COMPARE, 0);
    HWND compare = CompareWindowHandle();
    ASSERT_NE(compare, nullptr);
    char title[128] = {};
    GetWindowTextA(compare, title, sizeof title);
    EXPECT_STREQ(title, "比較 - 0.bmp ⇔ 2.bmp");
    SendMessageA(compare, WM_COMMAND, IDC_COMPARE_ADD, 0);
    ASSERT_EQ(history.count, 4);
    EXPECT_STREQ(history.records[3].comment, "比較: h0 ⇔ h2 (変化 100.0 %)");
    EXPECT_EQ(std::string(history.records[3].imagePath), InFolder("0_diff.png"));
    EXPECT_TRUE(FileExists(InFolder("0_diff.png")));
    EXPECT_EQ(Rows(), 4);

    testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.confirmOverwrite = 1; });
    DialogAnswerer answers;
    answers.press(IDCANCEL);
    SendMessageA(compare, WM_COMMAND, IDC_COMPARE_ADD, 0);
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.confirmOverwrite = 0; });
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "同じ名前のファイルがあります。上書きしますか？");
    EXPECT_EQ(history.count, 4);

    // Options changed in the window are its own group's, kept at the close.
    const std::string before = ReadFileBytes(settingsStore.iniPath);
    EXPECT_EQ(before.find("[Compare]"), std::string::npos);
    SetDlgItemInt(compare, IDC_COMPARE_TOLERANCE, 20, FALSE);
    SendDlgItemMessageA(compare, IDC_COMPARE_IGNORE_TOP, BM_CLICK, 0, 0);
    SendMessageA(compare, WM_CLOSE, 0, 0);
    EXPECT_EQ(CompareWindowHandle(), nullptr);
    const std::string after = ReadFileBytes(settingsStore.iniPath);
    EXPECT_NE(after.find("[Compare]\r\n許容差=20\r\n上端を無視=1\r\n上端の高さ=32\r\n"),
              std::string::npos);
    EXPECT_EQ(after.substr(0, before.size()), before) << "the other groups keep their bytes";
}

TEST_F(HistoryListTest, ContextMenuGreysForNoSelectionAndForAnUntitledHistory) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), "POPUPMENUCSV");
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 11);
    auto grey = [&](UINT id) { return (GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };

    SendMessageA(window_, WM_HOTKEY, 103, 0);  // one row, untitled history
    Select({});
    historyList.prepareContextMenu(popup);
    for (UINT id :
         {IDM_OPEN_RECORD, IDM_EDIT_HEADINGS, IDM_EDIT_DELETE, IDM_EDIT_MOVE_UP, IDM_EDIT_MOVE_DOWN,
          IDM_EDIT_HEADING, IDM_ASSIGN_TEXT, IDM_EDIT_TEXT, IDM_ANNOTATE})
        EXPECT_TRUE(grey(id)) << id;

    Select({0});
    historyList.prepareContextMenu(popup);
    EXPECT_FALSE(grey(IDM_EDIT_DELETE));
    EXPECT_FALSE(grey(IDM_ANNOTATE));  // one row whose picture exists
    EXPECT_FALSE(grey(IDM_OPEN_RECORD));
    EXPECT_TRUE(grey(IDM_ASSIGN_TEXT));
    EXPECT_TRUE(grey(IDM_EDIT_TEXT));

    history.untitled = 0;
    historyList.prepareContextMenu(popup);
    EXPECT_FALSE(grey(IDM_ASSIGN_TEXT));
    EXPECT_FALSE(grey(IDM_EDIT_TEXT));
    DestroyMenu(menu);
}

// Opened from the keyboard the menu belongs at the focused row, not at the
// screen's corner.
TEST_F(HistoryListTest, KeyboardContextMenuOpensAtTheFocusedRow) {
    OpenHistoryOf(5);
    LVITEMA focus{};
    focus.state = focus.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(List(), LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&focus));
    RECT row{};
    row.left = LVIR_LABEL;
    SendMessageA(List(), LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&row));
    POINT expected{row.left, row.bottom};
    ClientToScreen(List(), &expected);
    const POINT at = historyList.contextMenuPoint(-1, -1);
    EXPECT_EQ(at.x, expected.x);
    EXPECT_EQ(at.y, expected.y);
    EXPECT_GT(at.y, 0);
    const POINT mouse = historyList.contextMenuPoint(300, 200);
    EXPECT_EQ(mouse.x, 300);
    EXPECT_EQ(mouse.y, 200);
}

TEST_F(HistoryListTest, SelectAllAndSelectionCommands) {
    OpenHistoryOf(3);
    EXPECT_TRUE(MenuEnabled(IDM_EDIT_SELECT_ALL));
    EXPECT_FALSE(MenuEnabled(IDM_EDIT_DELETE));
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_SELECT_ALL, 0);
    testsupport::PumpPending();
    EXPECT_EQ(historyList.selectedCount(), 3);
    EXPECT_EQ(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
    EXPECT_TRUE(MenuEnabled(IDM_EDIT_DELETE));
    EXPECT_TRUE(MenuEnabled(IDM_EDIT_MOVE_UP));
}

}  // namespace
