// The search of the records in the real main window: the find window's keys
// step through the matches in list order with wrap-round and count them, F3
// goes on once it is closed, the pane frames the matching text lines on its
// picture, and neither the list nor the history file is changed.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/record_find_win.h"
#include "history/history.h"
#include "history/history_list_win.h"
#include "ocr/ocr_file.h"
#include "resources/find_ids.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"
#include "view/image_pane_win.h"
#include "view/image_view_win.h"

using testsupport::AnswerFileDialog;
using testsupport::DialogAnswerer;
using testsupport::WriteFileBytes;

namespace {

// The picture's colour (B, G, R) and the box of the first record's line
// that holds 金額.
constexpr COLORREF kPictureColour = RGB(250, 230, 200);
constexpr RECT kAmountBox = {30, 20, 130, 40};

class RecordFindTest : public testsupport::MainWindowFixture {
  protected:
    void PrepareSettings() override {
        settingsStore.settings.windowWidth = 900;
        settingsStore.settings.windowHeight = 700;
    }

    // Five records: 金額 in the first one's picture, in the third one's
    // heading, in the fourth one's description and, read with the engine's
    // blanks, in the fifth one's picture; the second has none.
    void SetUp() override {
        MainWindowFixture::SetUp();
        const char* const pictures[] = {"画面一.bmp", "画面二.bmp", "画面三.bmp", "画面四.bmp",
                                        "画面五.bmp"};
        for (const char* name : pictures)
            ASSERT_TRUE(
                WriteFileBytes(InFolder(name), testsupport::SolidBmp(200, 100, 200, 230, 250)));
        Sidecar("画面一.bmp", {{kAmountBox.left, kAmountBox.top, kAmountBox.right,
                                kAmountBox.bottom, "合計金額 1,100円"},
                               {30, 60, 90, 80, "備考"}});
        Sidecar("画面二.bmp", {{5, 5, 50, 20, "氏名 山田"}});
        Sidecar("画面五.bmp", {{5, 5, 50, 20, "金 額 2,200"}});
        ASSERT_TRUE(WriteFileBytes(InFolder("説明四.txt"), "振込の金額を確かめる\r\n"));
        csv_ =
            "日時,コメント,ファイルパス,テキスト情報\r\n"
            "2004/07/16 10:23:45,ログイン,\\画面一.bmp,\r\n"
            "2004/07/16 10:23:46,設定,\\画面二.bmp,\r\n"
            "2004/07/16 10:23:47,金額の確認,\\画面三.bmp,\r\n"
            "2004/07/16 10:23:48,振込,\\画面四.bmp,説明四.txt\r\n"
            "2004/07/16 10:23:49,完了,\\画面五.bmp,\r\n";
        ASSERT_TRUE(WriteFileBytes(InFolder("履歴.csv"), csv_));
        DialogAnswerer answers;
        answers.add([&](HWND dialog) { AnswerFileDialog(dialog, InFolder("履歴.csv")); });
        SendMessageA(window_, WM_COMMAND, IDM_FILE_OPEN, 0);
        testsupport::PumpPending();
        ASSERT_EQ(historyList.itemCount(), 5);
    }
    // The find window is a dialog the guard would otherwise close.
    void OpenFindWindow() {
        modeless_ = std::make_unique<DialogAnswerer>();
        modeless_->letRun("検索");
        SendMessageA(window_, WM_COMMAND, IDM_FIND, 0);
    }
    void TearDown() override {
        record_find::Close();
        modeless_.reset();
        MainWindowFixture::TearDown();
    }

    void Sidecar(const char* picture, const std::vector<OcrLine>& lines) {
        OcrResult result;
        result.lines = lines;
        ASSERT_TRUE(
            WriteFileBytes(ocrfile::sidecarPath(InFolder(picture)), ocrfile::write(result)));
    }

    // A key as the main loop hands it on, with Shift held or not.
    void Key(HWND target, WPARAM key, bool shift = false) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG message{target, WM_KEYDOWN, key, 1, GetTickCount(), {}};
        if (!record_find::TranslateFindMessage(message) &&
            !TranslateAcceleratorA(window_, accelerators_, &message))
            DispatchMessageA(&message);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        testsupport::PumpPending();
    }
    HWND Words() const { return GetDlgItem(record_find::Window(), IDC_FIND_WORDS); }

    std::vector<std::string> Headings() const {
        std::vector<std::string> headings;
        for (int row = 0; row < historyList.itemCount(); ++row)
            headings.push_back(historyList.rowFiles(row).heading);
        return headings;
    }

    // The view's pixel at a picture pixel: the pane's margin, scrolled to
    // the origin.
    COLORREF Shown(int x, int y, COLORREF expected) {
        return testsupport::ShownPixel(imagePane->view, 10 + x, 10 + y, expected);
    }

    std::string csv_;
    std::unique_ptr<DialogAnswerer> modeless_;
};

TEST_F(RecordFindTest, StepsThroughMatchesInListOrderAndLeavesTheHistoryAlone) {
    const std::vector<std::string> headings = Headings();
    OpenFindWindow();
    ASSERT_NE(record_find::Window(), nullptr);
    EXPECT_EQ(GetFocus(), Words());

    // Typing selects the first match from the selection on (none yet).
    SetWindowTextA(Words(), "金額");
    EXPECT_EQ(historyList.selectedRow(), 0);
    EXPECT_EQ(record_find::CountText(), "1 / 4 件");

    const struct {
        bool shift;
        int row;
        const char* count;
    } steps[] = {{false, 2, "2 / 4 件"}, {false, 3, "3 / 4 件"},
                 {false, 4, "4 / 4 件"}, {false, 0, "1 / 4 件"},  // wraps round
                 {true, 4, "4 / 4 件"},                           // Shift+Enter: back round
                 {true, 3, "3 / 4 件"}};
    for (const auto& s : steps) {
        Key(Words(), VK_RETURN, s.shift);
        EXPECT_EQ(historyList.selectedRow(), s.row) << s.count;
        EXPECT_EQ(historyList.selectedCount(), 1);
        EXPECT_EQ(record_find::CountText(), s.count);
    }

    // A row the user selects: the window's count follows.
    historyList.selectOnly(1);
    testsupport::PumpPending();
    char count[32] = {};
    GetDlgItemTextA(record_find::Window(), IDC_FIND_COUNT, count, sizeof count);
    EXPECT_STREQ(count, "4 件");

    // Two words: both must stand in the record.
    SetWindowTextA(Words(), "ｷﾝｶﾞｸ 山田");
    EXPECT_EQ(record_find::CountText(), "見つかりません");
    SetWindowTextA(Words(), "山田 氏名");
    EXPECT_EQ(historyList.selectedRow(), 1);
    EXPECT_EQ(record_find::CountText(), "1 / 1 件");
    SetWindowTextA(Words(), "金額");  // from the second row on: the third
    EXPECT_EQ(historyList.selectedRow(), 2);

    Key(Words(), VK_ESCAPE);
    EXPECT_EQ(record_find::Window(), nullptr);
    // F3 and Shift+F3 in the list go on with the last words.
    const struct {
        bool shift;
        int row;
    } keys[] = {{false, 3}, {true, 2}, {true, 0}, {true, 4}};
    for (const auto& k : keys) {
        Key(historyList.window, VK_F3, k.shift);
        EXPECT_EQ(historyList.selectedRow(), k.row);
    }

    // A sidecar written again is read again at the next step.
    Sidecar("画面二.bmp", {{5, 5, 50, 20, "金額 3,300"}});
    Key(historyList.window, VK_F3);
    EXPECT_EQ(historyList.selectedRow(), 0);
    Key(historyList.window, VK_F3);
    EXPECT_EQ(historyList.selectedRow(), 1);

    EXPECT_EQ(Headings(), headings);
    EXPECT_EQ(history.modified, 0);
    EXPECT_FALSE(MenuEnabled(IDM_FILE_SAVE));
    EXPECT_EQ(testsupport::ReadFileBytes(InFolder("履歴.csv")), csv_);
}

// Typed Japanese reaches the words' box whole: GetMessageA hands a
// double-byte character on as two WM_CHARs, the lead byte first.
TEST_F(RecordFindTest, TakesDoubleByteCharactersAsTheMainLoopHandsThemOn) {
    OpenFindWindow();
    historyList.selectOnly(1);
    for (const char byte : std::string("金額")) {
        MSG message{Words(), WM_CHAR, static_cast<unsigned char>(byte), 1, GetTickCount(), {}};
        ASSERT_TRUE(record_find::TranslateFindMessage(message));
    }
    testsupport::PumpPending();
    char words[32] = {};
    GetWindowTextA(Words(), words, sizeof words);
    EXPECT_STREQ(words, "金額");
    EXPECT_EQ(historyList.selectedRow(), 2);
}

TEST_F(RecordFindTest, FramesTheMatchingLinesWhileTheWindowIsOpen) {
    OpenFindWindow();
    SetWindowTextA(Words(), "金額");
    ASSERT_EQ(historyList.selectedRow(), 0);
    testsupport::PumpPending();
    // The 金額 line alone, not 備考's.
    ASSERT_EQ(imagePane->frames.size(), 1u);
    EXPECT_TRUE(EqualRect(&imagePane->frames[0], &kAmountBox));

    // A picture pane tall enough for the picture, as its top edge's drag
    // makes it.
    RECT frame;
    GetWindowRect(imagePane->frame, &frame);
    MapWindowPoints(nullptr, imagePane->container, reinterpret_cast<POINT*>(&frame), 2);
    MoveWindow(imagePane->frame, frame.left, frame.bottom - 300, frame.right - frame.left, 300,
               TRUE);
    // The frame lies just outside the box, the text inside stays as it was.
    const struct {
        int x, y;
        COLORREF colour;
    } pixels[] = {{kAmountBox.left - 1, kAmountBox.top + 5, kFrameColour},
                  {kAmountBox.right, kAmountBox.bottom - 1, kFrameColour},
                  {kAmountBox.left + 3, kAmountBox.bottom, kFrameColour},
                  {kAmountBox.left + 1, kAmountBox.top + 1, kPictureColour},
                  {kAmountBox.left - 4, kAmountBox.top + 5, kPictureColour},
                  {40, 70, kPictureColour}};  // 備考's line, no frame
    for (const auto& p : pixels)
        EXPECT_EQ(Shown(p.x, p.y, p.colour), p.colour) << p.x << ", " << p.y;

    // A record found by its heading has no lines to frame.
    Key(Words(), VK_RETURN);
    EXPECT_EQ(historyList.selectedRow(), 2);
    EXPECT_TRUE(imagePane->frames.empty());

    // Back on the first record, then the search ends: no frame.
    Key(Words(), VK_F3, true);
    ASSERT_EQ(historyList.selectedRow(), 0);
    EXPECT_EQ(imagePane->frames.size(), 1u);
    Key(Words(), VK_ESCAPE);
    EXPECT_TRUE(imagePane->frames.empty());
    EXPECT_EQ(Shown(kAmountBox.left - 1, kAmountBox.top + 5, kPictureColour), kPictureColour);
}

}  // namespace
