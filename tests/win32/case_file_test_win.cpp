// The test cases on disk with the real main window, in a folder named in
// Japanese: set, saved beside the CSV, opened again, each on its record
// after rows were moved and deleted and after the history moved with its
// pictures; the manifest covers the case file; a damaged case file is said
// once with its line, left as it is, and kept as .zcase.bak by the save; a
// history without cases writes no case file.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "base/bmp_format.h"
#include "base/sha256_win.h"
#include "history/case_file.h"
#include "history/evidence_manifest.h"
#include "history/history.h"
#include "history/history_file_win.h"
#include "history/history_list_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"

using testsupport::AnswerFileDialog;
using testsupport::DialogAnswerer;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

const char kHeader[] = "日時,コメント,ファイルパス,テキスト情報\r\n";

std::string TinyBmp() {
    uint8_t headers[kBmpHeaderSize];
    makeBmpHeaders(2, 2, headers);
    return std::string(reinterpret_cast<const char*>(headers), kBmpHeaderSize) +
           std::string(16, '\x7f');
}

testcase::TestCase CaseFor(int i) {
    testcase::TestCase c;
    c.testId = "TC-表" + std::to_string(i);
    c.step = std::to_string(i);
    c.expected = "画面が開く\r\n\tソフトの表示";
    c.actual = "C:\\能力\\" + std::to_string(i);
    c.verdict = i % 2 ? testcase::Verdict::ng : testcase::Verdict::ok;
    c.tester = "山田";
    c.date = "2026/12/10";
    return c;
}

class CaseFileTest : public testsupport::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        settingsStore.settings.keepImagesOnDelete = 1;
        // ソ and 表 end in 0x5C, which a byte-wise search takes for a backslash.
        folder = InFolder("成績書ソ表");
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    }
    std::string Csv() const { return folder + "\\履歴表.csv"; }
    std::string CaseFile() const { return folder + "\\履歴表.zcase"; }

    // A history of n records "見出しi" whose pictures 画像表i.bmp are in its folder.
    void WriteHistory(int n) {
        std::string csv = kHeader;
        for (int i = 0; i < n; ++i) {
            const std::string name = "画像表" + std::to_string(i) + ".bmp";
            csv += "2026/12/10 10:00:0" + std::to_string(i) + ",見出し" + std::to_string(i) +
                   ",\\" + name + ",\r\n";
            ASSERT_TRUE(WriteFileBytes(folder + "\\" + name, TinyBmp()));
        }
        ASSERT_TRUE(WriteFileBytes(Csv(), csv));
    }
    // Opens the CSV through the open dialog; with `message`, the text of the
    // one message box that the open shows, answered by a click.
    void Open(std::string* message = nullptr) {
        DialogAnswerer answers;
        answers.add([&](HWND dialog) { AnswerFileDialog(dialog, Csv()); });
        if (message)
            answers.press(IDOK);
        SendMessageA(window_, WM_COMMAND, IDM_FILE_OPEN, 0);
        testsupport::PumpPending();
        EXPECT_EQ(answers.unexpected(), 0);
        EXPECT_EQ(answers.pending(), 0u);
        if (message && !answers.seen().empty())
            *message = answers.seen().back().text;
    }
    void Save() {
        history.modified = 1;  // as the case dialog leaves it
        SendMessageA(window_, WM_COMMAND, IDM_FILE_SAVE, 0);
    }
    void Select(int row) {
        LVITEMA none{};
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(historyList.window, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
        LVITEMA item{};
        item.state = item.stateMask = LVIS_SELECTED;
        SendMessageA(historyList.window, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
    // Each record's heading and the test ID of its case ("" for none).
    std::map<std::string, std::string> CasesByHeading() const {
        std::map<std::string, std::string> out;
        for (int i = 0; i < history.count; ++i) {
            const testcase::TestCase* c = history.cases.find(history.records[i].id);
            out[history.records[i].comment] = c ? c->testId : "";
        }
        return out;
    }
    // Whether the manifest beside the CSV lists the case file with its digest.
    bool ManifestCoversCases() const {
        const std::string bytes = ReadFileBytes(folder + "\\履歴表.sha256");
        const Manifest manifest = parseManifest(bytes.data(), bytes.size());
        const std::string cases = ReadFileBytes(CaseFile());
        for (const ManifestEntry& e : manifest.entries)
            if (e.path == "履歴表.zcase")
                return e.digest == win::sha256OrZero(cases.data(), cases.size());
        return false;
    }

    std::string folder;
};

TEST_F(CaseFileTest, CasesStayOnTheirRecordsThroughSaveMoveDeleteAndAMovedFolder) {
    WriteHistory(3);
    Open();
    ASSERT_EQ(history.count, 3);
    for (int i = 0; i < 3; ++i)
        history.cases.set(history.records[i].id, CaseFor(i));
    Save();
    const std::string saved = ReadFileBytes(CaseFile());
    ASSERT_EQ(saved.rfind("ZCASE\t1\r\n", 0), 0u) << saved;
    EXPECT_TRUE(ManifestCoversCases());

    Open();
    ASSERT_EQ(history.count, 3);
    for (int i = 0; i < 3; ++i) {
        const testcase::TestCase* c = history.cases.find(history.records[i].id);
        ASSERT_NE(c, nullptr) << i;
        EXPECT_TRUE(*c == CaseFor(i)) << i;
    }

    // 見出し0 one down, then 見出し2 deleted: the rows are records again.
    Select(0);
    SendMessageA(window_, WM_COMMAND, IDM_EDIT_MOVE_DOWN, 0);
    Select(2);
    {
        DialogAnswerer answers;
        answers.press(IDYES);
        SendMessageA(window_, WM_COMMAND, IDM_EDIT_DELETE, 0);
        EXPECT_EQ(answers.unexpected(), 0);
    }
    ASSERT_EQ(history.count, 2);
    EXPECT_STREQ(history.records[0].comment, "見出し1");
    const std::map<std::string, std::string> expected = {{"見出し0", "TC-表0"},
                                                         {"見出し1", "TC-表1"}};
    EXPECT_EQ(CasesByHeading(), expected);
    Save();
    Open();
    EXPECT_EQ(CasesByHeading(), expected);

    // The folder moved with its pictures, opened from its new place.
    const std::string moved = InFolder("移動先ソ");
    // The open dialog made the history's folder the current one, which
    // holds it: a folder in use cannot move.
    ASSERT_TRUE(SetCurrentDirectoryA(folder_->path().c_str()));
    ASSERT_TRUE(MoveFileA(folder.c_str(), moved.c_str())) << GetLastError();
    folder = moved;
    Open();
    EXPECT_EQ(CasesByHeading(), expected);
}

TEST_F(CaseFileTest, ADamagedCaseFileIsSaidLeftAsItIsAndKeptAtTheSave) {
    WriteHistory(2);
    const std::string damaged = std::string("ZCASE\t1\r\n") +
                                "画像表0.bmp\t2026/12/10 10:00:00\t0\tTC-1\t\t\t\tOK\t\t\t\r\n" +
                                "画像表1.bmp\t2026/12/10 10:00:01\t0\t\\q\t\t\t\tOK\t\t\t\r\n";
    ASSERT_TRUE(WriteFileBytes(CaseFile(), damaged));
    std::string text;
    Open(&text);
    EXPECT_NE(text.find("3 行目: "), std::string::npos) << text;
    EXPECT_NE(text.find(CaseFile()), std::string::npos) << text;
    ASSERT_EQ(history.count, 2);
    EXPECT_TRUE(history.cases.empty());
    EXPECT_EQ(ReadFileBytes(CaseFile()), damaged);
    EXPECT_FALSE(FileExists(CaseFile() + ".bak"));

    history.cases.set(history.records[1].id, CaseFor(1));
    Save();
    EXPECT_EQ(ReadFileBytes(CaseFile() + ".bak"), damaged);
    const std::string now = ReadFileBytes(CaseFile());
    const casefile::ReadResult read = casefile::parse(now.data(), now.size());
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].key.name, "画像表1.bmp");
    EXPECT_TRUE(ManifestCoversCases());
}

// No case, no case file: the history's files are the ones it always had.
// Once there was one, removing every case leaves the version line alone, so
// that no old case comes back; Save As takes the cases to the new name.
TEST_F(CaseFileTest, TheCaseFileIsWrittenOnlyForCasesAndGoesWithSaveAs) {
    WriteHistory(2);
    Open();
    Save();
    EXPECT_FALSE(FileExists(CaseFile()));
    EXPECT_EQ(ReadFileBytes(folder + "\\履歴表.sha256").find("zcase"), std::string::npos);

    history.cases.set(history.records[0].id, CaseFor(0));
    const std::string renamed = folder + "\\別名ソ.csv";
    ASSERT_TRUE(historyfile::SaveAsPath(history, renamed.c_str(), window_));
    EXPECT_FALSE(FileExists(CaseFile()));
    const std::string moved = ReadFileBytes(folder + "\\別名ソ.zcase");
    EXPECT_NE(moved.find("TC-表0"), std::string::npos) << moved;

    history.cases.clear();
    ASSERT_TRUE(historyfile::Write(history, window_));
    EXPECT_EQ(ReadFileBytes(folder + "\\別名ソ.zcase"), "ZCASE\t1\r\n");
}

// An entry whose record is gone is said once at the open, with its key,
// and is still in the file after the next save.
TEST_F(CaseFileTest, AnEntryNoRecordTakesIsSaidAndWrittenBack) {
    WriteHistory(1);
    ASSERT_TRUE(WriteFileBytes(CaseFile(),
                               "ZCASE\t1\r\n"
                               "画像表0.bmp\t2026/12/10 10:00:00\t0\tTC-1\t\t\t\tOK\t\t\t\r\n"
                               "消えた表.bmp\t2026/12/10 09:00:00\t0\tTC-9\t\t\t\tNG\t\t\t\r\n"));
    std::string text;
    Open(&text);
    EXPECT_NE(text.find("1 件"), std::string::npos) << text;
    EXPECT_NE(text.find("消えた表.bmp  2026/12/10 09:00:00"), std::string::npos) << text;
    EXPECT_EQ(CasesByHeading(), (std::map<std::string, std::string>{{"見出し0", "TC-1"}}));
    Save();
    const std::string now = ReadFileBytes(CaseFile());
    EXPECT_NE(now.find("消えた表.bmp\t2026/12/10 09:00:00\t0\tTC-9"), std::string::npos) << now;
}

}  // namespace
