// The HTML report options dialog, run modally with its answers given from
// inside its own message loop.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "report/report_dialog_win.h"
#include "resources/report_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/win_test_support.h"

using testsupport::DialogAnswerer;
using testsupport::PressButton;
using testsupport::ReadFileBytes;
using testsupport::ScopedWorkFolder;

namespace {

const int kPreviews[] = {IDC_REPORT_PREVIEW_0, IDC_REPORT_PREVIEW_1, IDC_REPORT_PREVIEW_2,
                         IDC_REPORT_PREVIEW_3, IDC_REPORT_PREVIEW_4, IDC_REPORT_PREVIEW_5};
const int kCommentGroup[] = {IDC_REPORT_COMMENT_NONE, IDC_REPORT_COMMENT_SET,
                             IDC_REPORT_COMMENT_FIT, IDC_REPORT_COMMENT_WIDTH};

std::string Text(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool Shown(HWND dialog, int id) {
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

// The one preview showing, or -1 when none or several are.
int ShownPreview(HWND dialog) {
    int shown = -1;
    for (int i = 0; i < 6; ++i) {
        if (Shown(dialog, kPreviews[i])) {
            if (shown != -1)
                return -1;
            shown = i;
        }
    }
    return shown;
}

int ComboSelection(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_REPORT_STYLE, CB_GETCURSEL, 0, 0));
}

// A click or selection that returns only when the dialog has handled it
// (message boxes it raises included), so the answer can go on from there.
void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ChooseCheck(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void ChooseRadio(HWND dialog, int first, int last, int id) {
    CheckRadioButton(dialog, first, last, id);
    Click(dialog, id);
}

void ChooseLayout(HWND dialog, int index) {
    SendDlgItemMessageA(dialog, IDC_REPORT_STYLE, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_REPORT_STYLE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_REPORT_STYLE)));
}

void SetText(char (&field)[kPathSize], const char* text) {
    std::snprintf(field, kPathSize, "%s", text);
}

class ReportDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        // The colour boxes are rich-edit controls, which the main window
        // would otherwise have loaded.
        richEdit_ = LoadLibraryA("RICHED32.DLL");
    }
    static void TearDownTestSuite() { FreeLibrary(richEdit_); }

    void SetUp() override {
        ASSERT_NE(richEdit_, nullptr);
        folder_ = std::make_unique<ScopedWorkFolder>();
        settingsStore.initialize();
        Settings& s = settingsStore.settings;
        s.reportLayout = 2;
        s.reportRowsPerPage = 7;
        s.reportImageWidth = -1;
        s.reportCommentWidth = -2;
        SetText(s.reportFolder, "C:\\出力\\表示");
        SetText(s.reportFileName, "report1");
        SetText(s.reportTitle, "レポート１");
        s.reportNoImageCopy = 1;
        s.reportCoverPage = 0;
        s.reportItemNumbers = 1;
        s.reportHtmlTags = 0;
        s.reportLargeImageLink = 1;
        s.reportFrameColour = 0x0000FF;
        s.reportBackgroundColour = 0x00FF00;
        s.reportItemsPerRow = 3;
        s.reportTocSplit = 4;
        before_ = s;
        iniBefore_ = ReadFileBytes(Ini());
    }
    void TearDown() override { folder_.reset(); }

    std::string Ini() const { return folder_->path() + "\\Zelcap.ini"; }

    static HMODULE richEdit_;
    std::unique_ptr<ScopedWorkFolder> folder_;
    Settings before_{};
    std::string iniBefore_;
};

HMODULE ReportDialogTest::richEdit_ = nullptr;

void ExpectReportSettingsEqual(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.reportLayout, b.reportLayout);
    EXPECT_EQ(a.reportRowsPerPage, b.reportRowsPerPage);
    EXPECT_EQ(a.reportImageWidth, b.reportImageWidth);
    EXPECT_EQ(a.reportCommentWidth, b.reportCommentWidth);
    EXPECT_STREQ(a.reportFolder, b.reportFolder);
    EXPECT_STREQ(a.reportFileName, b.reportFileName);
    EXPECT_STREQ(a.reportTitle, b.reportTitle);
    EXPECT_EQ(a.reportNoImageCopy, b.reportNoImageCopy);
    EXPECT_EQ(a.reportCoverPage, b.reportCoverPage);
    EXPECT_EQ(a.reportItemNumbers, b.reportItemNumbers);
    EXPECT_EQ(a.reportHtmlTags, b.reportHtmlTags);
    EXPECT_EQ(a.reportLargeImageLink, b.reportLargeImageLink);
    EXPECT_EQ(a.reportFrameColour, b.reportFrameColour);
    EXPECT_EQ(a.reportBackgroundColour, b.reportBackgroundColour);
    EXPECT_EQ(a.reportItemsPerRow, b.reportItemsPerRow);
    EXPECT_EQ(a.reportTocSplit, b.reportTocSplit);
}

TEST_F(ReportDialogTest, OpensShowingTheSettings) {
    DialogAnswerer answers;
    answers.add([&](HWND dialog) {
        char caption[64] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, "HTML出力");
        EXPECT_EQ(ComboSelection(dialog), 2);
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_REPORT_STYLE, CB_GETCOUNT, 0, 0), 5);
        EXPECT_EQ(ShownPreview(dialog), 2);
        EXPECT_EQ(Text(dialog, IDC_REPORT_FOLDER), "C:\\出力\\表示");
        EXPECT_EQ(Text(dialog, IDC_REPORT_FILE_NAME), "report1");
        EXPECT_EQ(Text(dialog, IDC_REPORT_TITLE), "レポート１");
        EXPECT_EQ(Text(dialog, IDC_REPORT_ROWS), "7");
        EXPECT_EQ(Text(dialog, IDC_REPORT_PER_ROW), "3");
        EXPECT_EQ(Text(dialog, IDC_REPORT_TOC_SPLIT), "4");
        // Image width -1: "指定なし", the value edit greyed.
        EXPECT_TRUE(Checked(dialog, IDC_REPORT_IMAGE_NONE));
        EXPECT_FALSE(Checked(dialog, IDC_REPORT_IMAGE_SET));
        EXPECT_FALSE(Enabled(dialog, IDC_REPORT_IMAGE_WIDTH));
        // Description width -2: fit to the text.
        EXPECT_TRUE(Checked(dialog, IDC_REPORT_COMMENT_FIT));
        EXPECT_FALSE(Checked(dialog, IDC_REPORT_COMMENT_NONE));
        EXPECT_FALSE(Checked(dialog, IDC_REPORT_COMMENT_SET));
        // The preview update that ends the opening enables the width edit
        // for every layout with a description (layout 2 here).
        EXPECT_TRUE(Enabled(dialog, IDC_REPORT_COMMENT_WIDTH));
        EXPECT_TRUE(Enabled(dialog, IDC_REPORT_COMMENT_FIT));
        EXPECT_TRUE(Checked(dialog, IDC_REPORT_NO_IMAGE_COPY));
        EXPECT_FALSE(Checked(dialog, IDC_REPORT_COVER));
        EXPECT_TRUE(Checked(dialog, IDC_REPORT_ITEM_NUMBERS));
        EXPECT_FALSE(Checked(dialog, IDC_REPORT_HTML_TAGS));
        EXPECT_TRUE(Checked(dialog, IDC_REPORT_LARGE_IMAGE_LINK));
        // Enter must not confirm: there is no button 1.
        EXPECT_EQ(GetDlgItem(dialog, IDOK), nullptr);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(RunReportOptionsDialog(nullptr), IDCANCEL);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(answers.pending(), 0u);

    // Widths given in pixels show as "指定" with the number.
    settingsStore.settings.reportImageWidth = 320;
    settingsStore.settings.reportCommentWidth = 0;
    answers.add([&](HWND dialog) {
        EXPECT_TRUE(Checked(dialog, IDC_REPORT_IMAGE_SET));
        EXPECT_FALSE(Checked(dialog, IDC_REPORT_IMAGE_NONE));
        EXPECT_TRUE(Enabled(dialog, IDC_REPORT_IMAGE_WIDTH));
        EXPECT_EQ(Text(dialog, IDC_REPORT_IMAGE_WIDTH), "320");
        EXPECT_TRUE(Checked(dialog, IDC_REPORT_COMMENT_SET));
        EXPECT_FALSE(Checked(dialog, IDC_REPORT_COMMENT_FIT));
        EXPECT_TRUE(Enabled(dialog, IDC_REPORT_COMMENT_WIDTH));
        EXPECT_EQ(Text(dialog, IDC_REPORT_COMMENT_WIDTH), "0");
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(RunReportOptionsDialog(nullptr), IDCANCEL);
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST_F(ReportDialogTest, ConfirmStoresEveryValueAndWritesTheHtmlGroup) {
    DialogAnswerer answers;
    answers.add([&](HWND dialog) {
        ChooseLayout(dialog, 0);
        SetDlgItemTextA(dialog, IDC_REPORT_ROWS, "12");
        SetDlgItemTextA(dialog, IDC_REPORT_FOLDER, "D:\\報告");
        SetDlgItemTextA(dialog, IDC_REPORT_FILE_NAME, "week2");
        SetDlgItemTextA(dialog, IDC_REPORT_TITLE, "週報・表示");
        ChooseRadio(dialog, IDC_REPORT_IMAGE_NONE, IDC_REPORT_IMAGE_SET, IDC_REPORT_IMAGE_SET);
        EXPECT_TRUE(Enabled(dialog, IDC_REPORT_IMAGE_WIDTH));
        SetDlgItemTextA(dialog, IDC_REPORT_IMAGE_WIDTH, "480");
        ChooseRadio(dialog, IDC_REPORT_COMMENT_NONE, IDC_REPORT_COMMENT_FIT,
                    IDC_REPORT_COMMENT_SET);
        EXPECT_TRUE(Enabled(dialog, IDC_REPORT_COMMENT_WIDTH));
        SetDlgItemTextA(dialog, IDC_REPORT_COMMENT_WIDTH, "200");
        ChooseCheck(dialog, IDC_REPORT_NO_IMAGE_COPY, false);
        ChooseCheck(dialog, IDC_REPORT_COVER, true);
        ChooseCheck(dialog, IDC_REPORT_ITEM_NUMBERS, false);
        ChooseCheck(dialog, IDC_REPORT_HTML_TAGS, true);
        ChooseCheck(dialog, IDC_REPORT_LARGE_IMAGE_LINK, false);
        SetDlgItemTextA(dialog, IDC_REPORT_PER_ROW, "5");
        SetDlgItemTextA(dialog, IDC_REPORT_TOC_SPLIT, "1");
        PressButton(dialog, IDC_REPORT_OUTPUT);
    });
    EXPECT_EQ(RunReportOptionsDialog(nullptr), IDOK);
    EXPECT_EQ(answers.unexpected(), 0);

    const Settings& s = settingsStore.settings;
    EXPECT_EQ(s.reportLayout, 0);
    EXPECT_EQ(s.reportRowsPerPage, 12);
    EXPECT_EQ(s.reportImageWidth, 480);
    EXPECT_EQ(s.reportCommentWidth, 200);
    EXPECT_STREQ(s.reportFolder, "D:\\報告");
    EXPECT_STREQ(s.reportFileName, "week2");
    EXPECT_STREQ(s.reportTitle, "週報・表示");
    EXPECT_EQ(s.reportNoImageCopy, 0);
    EXPECT_EQ(s.reportCoverPage, 1);
    EXPECT_EQ(s.reportItemNumbers, 0);
    EXPECT_EQ(s.reportHtmlTags, 1);
    EXPECT_EQ(s.reportLargeImageLink, 0);
    // Each colour goes back under the key it came from.
    EXPECT_EQ(s.reportFrameColour, 0x0000FF);
    EXPECT_EQ(s.reportBackgroundColour, 0x00FF00);
    EXPECT_EQ(s.reportItemsPerRow, 5);
    EXPECT_EQ(s.reportTocSplit, 1);

    const std::string ini = ReadFileBytes(Ini());
    const char* expected[] = {"[HTML]",
                              "レイアウト=0",
                              "最大イメージ数=12",
                              "イメージ幅=480",
                              "コメント幅=200",
                              "出力先=D:\\報告",
                              "ファイル名=week2",
                              "タイトル名=週報・表示",
                              "画像コピーしない=0",
                              "表紙作成=1",
                              "番号表示=0",
                              "タグ使用=1",
                              "拡大画像リンク=0",
                              "枠色=255",
                              "背景色=65280",
                              "１行項目数=5",
                              "目次分割数=1"};
    size_t at = 0;
    for (const char* line : expected) {
        const size_t found = ini.find(std::string(line) + "\r\n", at);
        ASSERT_NE(found, std::string::npos) << line << " missing or out of order in\n" << ini;
        at = found;
    }
}

TEST_F(ReportDialogTest, ItemsPerRowOutOfRangeIsRefusedAndTheDialogStays) {
    // One opening per value: the dialog is activated again when each
    // message box closes, and that must not look like a new dialog.
    for (const std::string typed : {"0", "6", ""}) {
        DialogAnswerer answers;
        bool stillOpen = false;
        answers.add([&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_REPORT_PER_ROW, typed.c_str());
            Click(dialog, IDC_REPORT_OUTPUT);
            stillOpen = IsWindow(dialog) && Text(dialog, IDC_REPORT_PER_ROW) == typed;
            PressButton(dialog, IDCANCEL);
        });
        answers.press(IDOK);
        EXPECT_EQ(RunReportOptionsDialog(nullptr), IDCANCEL) << typed;
        EXPECT_EQ(answers.unexpected(), 0) << typed;
        EXPECT_TRUE(stillOpen) << typed;
        ASSERT_EQ(answers.seen().size(), 2u) << typed;
        EXPECT_EQ(answers.seen()[1].caption, "エラー");
        EXPECT_EQ(answers.seen()[1].text, "１行項目数は1から5の値を入力してください。");
    }
    ExpectReportSettingsEqual(settingsStore.settings, before_);
    EXPECT_EQ(ReadFileBytes(Ini()), iniBefore_);
}

TEST_F(ReportDialogTest, ContentsColumnsAreCheckedAfterItemsPerRow) {
    DialogAnswerer answers;
    answers.add([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_REPORT_PER_ROW, "3");
        SetDlgItemTextA(dialog, IDC_REPORT_TOC_SPLIT, "6");
        Click(dialog, IDC_REPORT_OUTPUT);
        EXPECT_EQ(Text(dialog, IDC_REPORT_TOC_SPLIT), "6");
        PressButton(dialog, IDCANCEL);
    });
    answers.press(IDOK);
    EXPECT_EQ(RunReportOptionsDialog(nullptr), IDCANCEL);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[1].caption, "エラー");
    EXPECT_EQ(answers.seen()[1].text, "目次分割数は1から5の値を入力してください。");
    ExpectReportSettingsEqual(settingsStore.settings, before_);
}

TEST_F(ReportDialogTest, StoredLayoutFiveShowsNoSelectionAndIsKept) {
    settingsStore.settings.reportLayout = 5;
    DialogAnswerer answers;
    answers.add([&](HWND dialog) {
        EXPECT_EQ(ComboSelection(dialog), CB_ERR);
        EXPECT_EQ(ShownPreview(dialog), 5);
        for (int id : kCommentGroup)
            EXPECT_FALSE(Enabled(dialog, id)) << id;
        // Rows per page below the spin's range is pulled back into it.
        SetDlgItemTextA(dialog, IDC_REPORT_ROWS, "0");
        PressButton(dialog, IDC_REPORT_OUTPUT);
    });
    EXPECT_EQ(RunReportOptionsDialog(nullptr), IDOK);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(settingsStore.settings.reportLayout, 5);
    EXPECT_EQ(settingsStore.settings.reportRowsPerPage, 1);
    EXPECT_NE(ReadFileBytes(Ini()).find("レイアウト=5\r\n"), std::string::npos);
}

TEST_F(ReportDialogTest, ImageOnlyLayoutGreysTheDescriptionWidth) {
    settingsStore.settings.reportLayout = 0;
    settingsStore.settings.reportCommentWidth = 50;
    DialogAnswerer answers;
    answers.add([&](HWND dialog) {
        for (int id : kCommentGroup)
            EXPECT_TRUE(Enabled(dialog, id)) << id;
        ChooseLayout(dialog, 4);
        EXPECT_EQ(ShownPreview(dialog), 4);
        for (int id : kCommentGroup)
            EXPECT_FALSE(Enabled(dialog, id)) << id;
        ChooseLayout(dialog, 3);
        EXPECT_EQ(ShownPreview(dialog), 3);
        for (int id : kCommentGroup)
            EXPECT_TRUE(Enabled(dialog, id)) << id;
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(RunReportOptionsDialog(nullptr), IDCANCEL);
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST_F(ReportDialogTest, CancelAfterChangesLeavesSettingsAndFileAlone) {
    DialogAnswerer answers;
    answers.add([&](HWND dialog) {
        ChooseLayout(dialog, 4);
        SetDlgItemTextA(dialog, IDC_REPORT_ROWS, "50");
        SetDlgItemTextA(dialog, IDC_REPORT_TITLE, "別の題");
        SetDlgItemTextA(dialog, IDC_REPORT_PER_ROW, "1");
        ChooseCheck(dialog, IDC_REPORT_COVER, true);
        ChooseRadio(dialog, IDC_REPORT_IMAGE_NONE, IDC_REPORT_IMAGE_SET, IDC_REPORT_IMAGE_SET);
        SetDlgItemTextA(dialog, IDC_REPORT_IMAGE_WIDTH, "99");
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(RunReportOptionsDialog(nullptr), IDCANCEL);
    EXPECT_EQ(answers.unexpected(), 0);
    ExpectReportSettingsEqual(settingsStore.settings, before_);
    EXPECT_EQ(ReadFileBytes(Ini()), iniBefore_);
}

}  // namespace
