// The command "Excel出力(&X)..." through the real main window: its state,
// its dialog, the [Excel] group, and the export's failures (a locked or
// unwritable target), with every message answered from here. What the
// workbook holds is read back with openpyxl by the end-to-end run.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "capture/capturer_win.h"
#include "history/history.h"
#include "report/excel_export_win.h"
#include "report/workbook_writer.h"
#include "resources/excel_ids.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/fuzz/sample_images.h"
#include "tests/win32/support/main_window_fixture.h"

using testsupport::DialogAnswerer;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

const char kProgress[] = "Excelファイルを作成しています";
const char kLockedText[] =
    "出力ファイルを書き換えられません。他のプログラムで開かれているか、読み取り専用です。\r\n"
    "閉じてからもう一度出力してください。\r\n";

std::string ItemText(HWND dialog, int id) {
    char text[kPathSize] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Sent, not posted, so that the dialog has acted on it when this returns.
void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int FilesMatching(const std::string& pattern) {
    return static_cast<int>(testsupport::FilesMatching(pattern).size());
}

class ExcelExportTest : public testsupport::MainWindowFixture {
  protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        // A folder name in Japanese, with a trail byte 0x5C: the library's
        // file functions take the ANSI code page on Windows.
        sub_ = folder_->path() + "\\証跡表ソ";
        CreateDirectoryA(sub_.c_str(), nullptr);
        std::snprintf(settingsStore.settings.saveFolder, kPathSize, "%s", sub_.c_str());
        capturer.prime(settingsStore.settings, history);
    }
    // Two whole-screen captures, then a record whose file is gone.
    void Capture() {
        SendMessageA(window_, WM_HOTKEY, 103, 0);
        SendMessageA(window_, WM_HOTKEY, 103, 0);
        ASSERT_EQ(history.count, 2);
        DeleteFileA(history.records[1].imagePath);
        std::snprintf(history.fileName, sizeof history.fileName, "表示.csv");
        std::snprintf(history.folder, kPathSize, "%s", sub_.c_str());
        testsupport::PumpPending();
    }
    std::string InSub(const std::string& name) const { return sub_ + "\\" + name; }
    std::string sub_;
    ExcelOptions Options(const std::string& path) {
        ExcelOptions o;
        o.outputPath = path;
        return o;
    }
};

TEST_F(ExcelExportTest, TheCommandFollowsTheRowsAndKeepsItsOptionsApart) {
    EXPECT_FALSE(MenuEnabled(IDM_EXCEL));
    Capture();
    EXPECT_TRUE(MenuEnabled(IDM_EXCEL));
    const std::string iniBefore = "[File_Set]\r\nJPEGモード=0\r\n[HTML]\r\nタイトル名=表\r\n";
    ASSERT_TRUE(WriteFileBytes(settingsStore.iniPath, iniBefore));
    const std::string target = InSub("表示.xlsx");

    DialogAnswerer answers;
    answers.letRun(kProgress);
    std::string shownPath;
    bool stillOpen = false;
    answers.add([&](HWND dialog) {
        shownPath = ItemText(dialog, IDC_EXCEL_OUTPUT_PATH);
        SetDlgItemTextA(dialog, IDC_EXCEL_OUTPUT_PATH, "");
        Click(dialog, IDC_EXCEL_OUTPUT);  // refused, stays open
        stillOpen = IsWindow(dialog) != FALSE;
        SetDlgItemTextA(dialog, IDC_EXCEL_OUTPUT_PATH, shownPath.c_str());
        SetDlgItemTextA(dialog, IDC_EXCEL_TITLE, "ソフト試験");
        CheckRadioButton(dialog, IDC_EXCEL_LAYOUT_SHEETS, IDC_EXCEL_LAYOUT_ONE_SHEET,
                         IDC_EXCEL_LAYOUT_ONE_SHEET);
        testsupport::PressButton(dialog, IDC_EXCEL_OUTPUT);
    });
    answers.press(IDOK);  // the empty path's message
    answers.press(IDOK);  // the result
    SendMessageA(window_, WM_COMMAND, IDM_EXCEL, 0);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(answers.seen().size(), 3u);
    EXPECT_EQ(answers.seen()[0].caption, "Excel出力");
    EXPECT_EQ(shownPath, target);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(answers.seen()[1].text, "出力ファイルを指定してください。");
    EXPECT_EQ(answers.seen()[2].caption, "確認");
    EXPECT_EQ(
        answers.seen()[2].text,
        "Excelファイルの作成処理が終了しました。\r\n出力した記録: 2件\r\n問題のあった記録: 1件");
    EXPECT_EQ(ReadFileBytes(target).substr(0, 2), "PK");
    EXPECT_EQ(FilesMatching(InSub("*.tmp")), 0);

    // The specified groups keep their bytes; the options are a group of their own.
    const std::string ini = ReadFileBytes(settingsStore.iniPath);
    EXPECT_EQ(ini,
              iniBefore +
                  "\r\n[Excel]\r\nレイアウト=1\r\n画像サイズ=1\r\n説明文=1\r\nSHA-256表示=1\r\n"
                  "タイトル=ソフト試験\r\n");

    // Cancel writes nothing.
    DeleteFileA(target.c_str());
    answers.press(IDCANCEL);
    SendMessageA(window_, WM_COMMAND, IDM_EXCEL, 0);
    EXPECT_FALSE(FileExists(target));
}

TEST_F(ExcelExportTest, ALockedOrUnwritableTargetLeavesNoFileBehind) {
    Capture();
    const std::string target = InSub("証跡.xlsx");
    ASSERT_TRUE(WriteFileBytes(target, "old workbook"));
    {
        // Held open without sharing, as a spreadsheet program holds it.
        HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        DialogAnswerer answers;
        answers.press(IDOK);
        EXPECT_FALSE(ExportExcelWorkbook(window_, Options(target)));
        CloseHandle(held);
        ASSERT_EQ(answers.seen().size(), 1u);
        EXPECT_EQ(answers.seen()[0].text, kLockedText + target);
    }
    EXPECT_EQ(ReadFileBytes(target), "old workbook");
    EXPECT_EQ(FilesMatching(InSub("*.tmp")), 0);

    const std::string nowhere = InSub("no such folder");
    {
        DialogAnswerer answers;
        answers.press(IDOK);
        EXPECT_FALSE(ExportExcelWorkbook(window_, Options(nowhere + "\\a.xlsx")));
        ASSERT_EQ(answers.seen().size(), 1u);
        EXPECT_EQ(answers.seen()[0].text, "出力先フォルダに書き込めません。\r\n" + nowhere);
    }

    // Unlocked, the old workbook is replaced whole.
    DialogAnswerer answers;
    answers.letRun(kProgress);
    answers.press(IDOK);
    EXPECT_TRUE(ExportExcelWorkbook(window_, Options(target)));
    EXPECT_EQ(ReadFileBytes(target).substr(0, 2), "PK");
    EXPECT_EQ(FilesMatching(InSub("*.tmp")), 0);
}

// A description with a line longer than a cell holds (named by a full
// path), and one that cannot be read, each make their record one with a
// problem. What the workbook holds of them is read back by the records e2e.
TEST_F(ExcelExportTest, DescriptionsThatCannotBeWrittenWholeAreCounted) {
    Capture();
    const std::string notes = folder_->path() + "\\notes";
    CreateDirectoryA(notes.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(notes + "\\long.txt", "first\r\n" + std::string(40000, 'x')));
    std::snprintf(history.records[0].textFile, kPathSize, "%s\\long.txt", notes.c_str());
    std::snprintf(history.records[1].textFile, kPathSize, "missing.txt");
    DialogAnswerer answers;
    answers.letRun(kProgress);
    answers.press(IDOK);
    EXPECT_TRUE(ExportExcelWorkbook(window_, Options(InSub("d.xlsx"))));
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(
        answers.seen()[0].text,
        "Excelファイルの作成処理が終了しました。\r\n出力した記録: 2件\r\n問題のあった記録: 2件");
}

// The sidecar is found as Windows finds files, whatever the case of its
// name: a picture whose mask cannot be read (nor a flattened picture found)
// is withheld and counted, never put in unmasked.
TEST_F(ExcelExportTest, ASidecarNamedInOtherCaseStillWithholdsThePicture) {
    Capture();
    const std::string picture = history.records[0].imagePath;
    const std::size_t cut = picture.find_last_of('\\') + 1;
    std::string name = picture.substr(cut) + ".zan";
    CharUpperBuffA(&name[0], static_cast<DWORD>(name.size()));
    ASSERT_NE(name, picture.substr(cut) + ".zan");
    ASSERT_TRUE(WriteFileBytes(picture.substr(0, cut) + name, "not a sidecar"));
    DialogAnswerer answers;
    answers.letRun(kProgress);
    answers.press(IDOK);
    EXPECT_TRUE(ExportExcelWorkbook(window_, Options(InSub("c.xlsx"))));
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(
        answers.seen()[0].text,
        "Excelファイルの作成処理が終了しました。\r\n出力した記録: 2件\r\n問題のあった記録: 2件");
}

int Occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// A re-test's diff picture goes into the workbook beside the differing
// record; a baseline picture masked without its flattened picture is not
// overlaid (half of its pixels would show). The zip names its parts in
// plain bytes, twice each.
TEST_F(ExcelExportTest, DiffPictureOfARetestAndAMaskedBaseline) {
    Capture();
    const std::string before = InSub("前回表");
    ASSERT_TRUE(CreateDirectoryA(before.c_str(), nullptr));
    const std::vector<uint8_t> bmp =
        samples::bmp(64, 48, [](int x, int y, int c) { return (x * 4 + y + c * 50) & 0xFF; });
    ASSERT_TRUE(WriteFileBytes(before + "\\画面.bmp", std::string(bmp.begin(), bmp.end())));
    ExportComparison comparison;
    comparison.active = true;
    comparison.baselineCsv = before + "\\履歴.csv";
    comparison.records.resize(2);
    comparison.records[0].proposal = retest::propose({true, 10, 3072, true}, {"能: 1 → 2"});
    comparison.records[0].baselinePicture = before + "\\画面.bmp";
    const auto pngParts = [&](const char* name, const ExportComparison& shown) {
        DialogAnswerer answers;
        answers.letRun(kProgress);
        answers.press(IDOK);
        EXPECT_TRUE(ExportExcelWorkbook(window_, Options(InSub(name)), {}, {}, shown));
        return Occurrences(ReadFileBytes(InSub(name)), ".png");
    };
    const int without = pngParts("なし.xlsx", {});
    EXPECT_EQ(pngParts("差分.xlsx", comparison), without + 2);
    ASSERT_TRUE(WriteFileBytes(before + "\\画面.bmp.zan", "not a sidecar"));
    EXPECT_EQ(pngParts("マスク.xlsx", comparison), without);
}

// A JPEG of `size` bytes: the headers, then zeros (a sparse file here), so
// that the export has work for seconds without filling the disk.
bool WriteLargeJpeg(const std::string& path, int number, LONGLONG size) {
    const std::string comment = "picture " + std::to_string(number);
    std::string head = "\xFF\xD8\xFF\xFE";
    head += static_cast<char>(0);
    head += static_cast<char>(comment.size() + 2);
    head += comment;
    head += std::string(
        "\xFF\xC0\x00\x11\x08\x04\x38\x07\x80\x03"
        "\x01\x22\x00\x02\x11\x01\x03\x11\x01"
        "\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00",
        33);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    LARGE_INTEGER end;
    end.QuadPart = size - 2;
    bool ok = WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr) &&
              SetFilePointerEx(file, end, nullptr, FILE_BEGIN) &&
              WriteFile(file, "\xFF\xD9", 2, &written, nullptr);
    CloseHandle(file);
    return ok;
}

std::string ProgressText(HWND dialog) {
    char text[256] = {};
    GetDlgItemTextA(dialog, IDC_EXCEL_PROGRESS_TEXT, text, sizeof text);
    return text;
}

std::string cancelledAt;

// Cancels once the progress window tells of the writing of the file.
VOID CALLBACK CancelWhileWriting(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    const std::string text = ProgressText(dialog);
    if (text.rfind("ファイルに書き込んでいます", 0) != 0)
        return;
    KillTimer(dialog, timer);
    cancelledAt = text;
    testsupport::PressButton(dialog, IDCANCEL);
}

// Cancel while the library writes the pictures: the export stops, says
// nothing more, and leaves no file behind.
TEST_F(ExcelExportTest, CancelWhileWritingLeavesNoFile) {
    constexpr int kRecords = 8;
    history.count = kRecords;
    for (int i = 0; i < kRecords; ++i) {
        HistoryRecord& r = history.records[i];
        std::snprintf(r.imagePath, kPathSize, "%s\\big%d.jpg", sub_.c_str(), i + 1);
        ASSERT_TRUE(WriteLargeJpeg(r.imagePath, i + 1, 96ll << 20));
        std::snprintf(r.comment, sizeof r.comment, "big %d", i + 1);
        std::snprintf(r.dateTime, sizeof r.dateTime, "2026/12/09 10:00:00");
        r.relative = 0;
    }
    const std::string target = InSub("c.xlsx");
    DialogAnswerer answers;
    std::string caption, firstText;
    answers.add([&](HWND dialog) {
        char text[256] = {};
        GetWindowTextA(dialog, text, sizeof text);
        caption = text;
        firstText = ProgressText(dialog);
        SetTimer(dialog, 77, 10, CancelWhileWriting);
    });
    cancelledAt.clear();
    EXPECT_FALSE(ExportExcelWorkbook(window_, Options(target)));
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(answers.seen().size(), 1u);  // no message after the cancel
    EXPECT_EQ(caption, kProgress);
    EXPECT_EQ(firstText.rfind("記録を出力しています: ", 0), 0u) << firstText;
    // Cancelled before the last picture was written, and no file left.
    EXPECT_NE(cancelledAt, "") << "the export ended before the cancel";
    EXPECT_NE(cancelledAt, "ファイルに書き込んでいます: 16 / 16");
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(FilesMatching(InSub("*.tmp")), 0);
    EXPECT_EQ(FilesMatching(InSub("*.xlsx")), 0);
    for (int i = 0; i < kRecords; ++i)
        DeleteFileA(history.records[i].imagePath);
}

}  // namespace
