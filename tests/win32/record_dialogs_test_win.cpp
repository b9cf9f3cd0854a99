// The heading and text-file dialogs, run modally with their answers given
// from inside their own message loops.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/record_dialogs_win.h"
#include "resources/resource_ids.h"
#include "tests/win32/support/win_test_support.h"

using testsupport::DialogAnswerer;
using testsupport::PressButton;

namespace {

HINSTANCE Instance() {
    return GetModuleHandleA(nullptr);
}

std::string FieldText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Puts text into a field as a paste or typing does, under the field's limit.
void Paste(HWND dialog, int id, const std::string& text) {
    SendDlgItemMessageA(dialog, id, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

// A click that returns only when the dialog has handled it, so that the
// answer can go on with the dialog's new state.
void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::vector<std::string> ListEntries(HWND dialog) {
    std::vector<std::string> entries;
    const int count =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_TEXTFILE_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char entry[1024] = {};
        SendDlgItemMessageA(dialog, IDC_TEXTFILE_LIST, LB_GETTEXT, i,
                            reinterpret_cast<LPARAM>(entry));
        entries.push_back(entry);
    }
    return entries;
}

int SelectedIndex(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_TEXTFILE_LIST, LB_GETCURSEL, 0, 0));
}

// Whether a message box shows an icon (Wine's icon control is 0x440,
// Windows' is 20).
bool MessageBoxHasIcon(HWND box) {
    for (int id : {0x440, 20}) {
        if (SendDlgItemMessageA(box, id, STM_GETICON, 0, 0) != 0)
            return true;
    }
    return false;
}

// ---- heading dialog ----

TEST(HeadingDialog, ReturnsUpTo128BytesWithoutSplittingACharacter) {
    HeadingDialog heading;
    DialogAnswerer answers;

    // 128 bytes with double-byte characters come back whole.
    const std::string full = "見出し" + std::string(122, 'x');
    ASSERT_EQ(full.size(), 128u);
    answers.add([&](HWND dialog) {
        Paste(dialog, IDC_HEADING_TEXT, full);
        PressButton(dialog, IDC_HEADING_OK);
    });
    EXPECT_EQ(heading.run(Instance(), nullptr), IDOK);
    EXPECT_EQ(std::string(heading.text), full);

    // A 130-byte paste stops at the field's limit; Enter (IDOK) confirms.
    int fieldLength = -1;
    answers.add([&](HWND dialog) {
        Paste(dialog, IDC_HEADING_TEXT, std::string(130, 'p'));
        fieldLength = GetWindowTextLengthA(GetDlgItem(dialog, IDC_HEADING_TEXT));
        PressButton(dialog, IDOK);
    });
    EXPECT_EQ(heading.run(Instance(), nullptr), IDOK);
    EXPECT_EQ(fieldLength, 128);
    EXPECT_EQ(std::string(heading.text), std::string(128, 'p'));

    // A field longer than 128 bytes (the limit may count characters) is cut
    // before the character that would be torn.
    answers.add([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_HEADING_TEXT, (std::string(127, 'a') + "表").c_str());
        PressButton(dialog, IDC_HEADING_OK);
    });
    EXPECT_EQ(heading.run(Instance(), nullptr), IDOK);
    EXPECT_EQ(std::string(heading.text), std::string(127, 'a'));
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST(HeadingDialog, OpensEmptyAndCancelKeepsTheLastText) {
    HeadingDialog heading;
    DialogAnswerer answers;
    answers.add([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_HEADING_TEXT, "最初");
        PressButton(dialog, IDC_HEADING_OK);
    });
    ASSERT_EQ(heading.run(Instance(), nullptr), IDOK);

    std::string shown = "?";
    answers.add([&](HWND dialog) {
        shown = FieldText(dialog, IDC_HEADING_TEXT);
        SetDlgItemTextA(dialog, IDC_HEADING_TEXT, "捨てる");
        PressButton(dialog, IDC_HEADING_CANCEL);
    });
    EXPECT_EQ(heading.run(Instance(), nullptr), IDCANCEL);
    EXPECT_EQ(shown, "");
    EXPECT_STREQ(heading.text, "最初");

    // Esc arrives as IDCANCEL.
    answers.add([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_HEADING_TEXT, "捨てる");
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(heading.run(Instance(), nullptr), IDCANCEL);
    EXPECT_STREQ(heading.text, "最初");
    ASSERT_EQ(answers.seen().size(), 3u);
    EXPECT_EQ(answers.seen()[0].caption, "編集");
    EXPECT_EQ(answers.unexpected(), 0);
}

// ---- text-file dialog ----

class TextFileDialogTest : public testing::Test {
  protected:
    void SetUp() override { Fill(dialog_.folder, folder_.path()); }
    static void Fill(char (&dst)[kPathSize], const std::string& src) {
        ASSERT_LT(src.size(), sizeof dst);
        src.copy(dst, src.size());
        dst[src.size()] = '\0';
    }
    std::string InFolder(const std::string& name) const { return folder_.path() + "\\" + name; }
    void Touch(const std::string& name) {
        ASSERT_TRUE(testsupport::WriteFileBytes(InFolder(name), ""));
    }
    int Run() { return dialog_.run(Instance(), nullptr); }

    testsupport::ScopedWorkFolder folder_;
    TextFileDialog dialog_;
    DialogAnswerer answers_;
};

TEST_F(TextFileDialogTest, ListsTheTextFilesOfTheFolderAndShowsIt) {
    Touch("b.txt");
    Touch("a.TXT");
    Touch("c.doc");
    ASSERT_TRUE(CreateDirectoryA(InFolder("d.txt").c_str(), nullptr));
    std::vector<std::string> entries;
    std::string shownFolder;
    answers_.add([&](HWND dialog) {
        entries = ListEntries(dialog);
        shownFolder = FieldText(dialog, IDC_TEXTFILE_FOLDER);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(entries, (std::vector<std::string>{"a.TXT", "b.txt"}));
    EXPECT_EQ(shownFolder, folder_.path());
    ASSERT_EQ(answers_.seen().size(), 1u);
    EXPECT_EQ(answers_.seen()[0].caption, "ファイル選択");
}

TEST_F(TextFileDialogTest, AddCreatesListsAndSelectsThenReportsAnExistingFile) {
    Touch("z.txt");
    std::vector<std::string> entries;
    int selected = -1;
    answers_.add([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_TEXTFILE_NEW_NAME, "memo");
        Click(dialog, IDC_TEXTFILE_ADD);
        entries = ListEntries(dialog);
        selected = SelectedIndex(dialog);
        // Without a selection "選択" would keep the dialog open.
        PressButton(dialog, selected >= 0 ? IDOK : IDCANCEL);
    });
    EXPECT_EQ(Run(), IDOK);
    EXPECT_EQ(entries, (std::vector<std::string>{"memo.txt", "z.txt"}));
    EXPECT_EQ(selected, 0);
    EXPECT_STREQ(dialog_.fileName, "memo.txt");
    bool exists = false;
    EXPECT_EQ(testsupport::ReadFileBytes(InFolder("memo.txt"), &exists), "");
    EXPECT_TRUE(exists);

    // The same name again: reported with the path as the caption, nothing
    // added, and the dialog stays open.
    ASSERT_TRUE(testsupport::WriteFileBytes(InFolder("memo.txt"), "keep"));
    bool icon = true;
    answers_.add([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_TEXTFILE_NEW_NAME, "memo");
        Click(dialog, IDC_TEXTFILE_ADD);
        entries = ListEntries(dialog);
        PressButton(dialog, IDCANCEL);
    });
    answers_.add([&](HWND box) {
        icon = MessageBoxHasIcon(box);
        PressButton(box, IDOK);
    });
    EXPECT_EQ(Run(), IDCANCEL);
    ASSERT_EQ(answers_.seen().size(), 3u);
    EXPECT_EQ(answers_.seen()[2].text, "指定されたファイルは既にあります。");
    EXPECT_EQ(answers_.seen()[2].caption, InFolder("memo.txt"));
    EXPECT_FALSE(icon);
    EXPECT_EQ(entries, (std::vector<std::string>{"memo.txt", "z.txt"}));
    EXPECT_EQ(testsupport::ReadFileBytes(InFolder("memo.txt")), "keep");
    EXPECT_EQ(answers_.unexpected(), 0);
}

TEST_F(TextFileDialogTest, AddWithoutANameAsksForOne) {
    bool icon = true;
    std::vector<std::string> entries;
    answers_.add([&](HWND dialog) {
        Click(dialog, IDC_TEXTFILE_ADD);
        entries = ListEntries(dialog);
        PressButton(dialog, IDCANCEL);
    });
    answers_.add([&](HWND box) {
        icon = MessageBoxHasIcon(box);
        PressButton(box, IDOK);
    });
    EXPECT_EQ(Run(), IDCANCEL);
    ASSERT_EQ(answers_.seen().size(), 2u);
    EXPECT_EQ(answers_.seen()[1].text, "ファイル名を入力してください");
    EXPECT_EQ(answers_.seen()[1].caption, "確認");
    EXPECT_FALSE(icon);
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(testsupport::FileExists(InFolder(".txt")));
}

TEST_F(TextFileDialogTest, AddOfAPathBeyond259BytesCreatesNothingSilently) {
    // folder + "\" + name + ".txt": 259 bytes fit a path, 260 do not.
    const size_t fitting = 259 - folder_.path().size() - 1 - 4;
    ASSERT_LT(fitting, 250u);
    const std::string longest(fitting, 'n');
    std::vector<std::string> afterTooLong;
    answers_.add([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_TEXTFILE_NEW_NAME, (longest + "n").c_str());
        Click(dialog, IDC_TEXTFILE_ADD);
        afterTooLong = ListEntries(dialog);
        SetDlgItemTextA(dialog, IDC_TEXTFILE_NEW_NAME, longest.c_str());
        Click(dialog, IDC_TEXTFILE_ADD);
        PressButton(dialog, SelectedIndex(dialog) >= 0 ? IDOK : IDCANCEL);
    });
    EXPECT_EQ(Run(), IDOK);
    EXPECT_EQ(answers_.seen().size(), 1u);
    EXPECT_TRUE(afterTooLong.empty());
    EXPECT_EQ(std::string(dialog_.fileName), longest + ".txt");

    // Only the fitting name exists: the longer one was not cut into another.
    EXPECT_EQ(testsupport::FilesMatching(InFolder("*")),
              (std::vector<std::string>{longest + ".txt"}));
}

TEST_F(TextFileDialogTest, ChooseWithoutASelectionStaysOpenUntilAnEntryIsChosen) {
    Touch("a.txt");
    Touch("b.txt");
    HWND textDialog = nullptr;
    bool icon = false;
    answers_.add([&](HWND dialog) {
        textDialog = dialog;
        PressButton(dialog, IDOK);
    });
    answers_.add([&](HWND box) {
        icon = MessageBoxHasIcon(box);
        PressButton(box, IDOK);
        SendDlgItemMessageA(textDialog, IDC_TEXTFILE_LIST, LB_SETCURSEL, 1, 0);
        PressButton(textDialog, IDOK);
    });
    EXPECT_EQ(Run(), IDOK);
    ASSERT_EQ(answers_.seen().size(), 2u);
    EXPECT_EQ(answers_.seen()[1].text, "ファイルが選択されていません");
    EXPECT_EQ(answers_.seen()[1].caption, "確認");
    EXPECT_TRUE(icon);
    EXPECT_STREQ(dialog_.fileName, "b.txt");
    EXPECT_EQ(answers_.unexpected(), 0);
}

TEST_F(TextFileDialogTest, NoFileConfirmsWithAnEmptyNameAndCancelReturns2) {
    Touch("a.txt");
    Fill(dialog_.fileName, "old.txt");
    answers_.add([](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_TEXTFILE_LIST, LB_SETCURSEL, 0, 0);
        PressButton(dialog, IDC_TEXTFILE_NONE);
    });
    EXPECT_EQ(Run(), IDOK);
    EXPECT_STREQ(dialog_.fileName, "");

    Fill(dialog_.fileName, "old.txt");
    answers_.add([](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_TEXTFILE_LIST, LB_SETCURSEL, 0, 0);
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_STREQ(dialog_.fileName, "old.txt");
    EXPECT_EQ(answers_.unexpected(), 0);
}

}  // namespace
