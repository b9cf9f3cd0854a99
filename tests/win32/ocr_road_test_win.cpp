// The text reading on the real main window: a picture on the capture road
// gets its "<picture>.ocr" with the text drawn in it, and the status bar
// says while it is read and when it could not be; with the option off
// nothing is read and no worker is made; an opened history's unread pictures
// are read; ツール → 文字の読み取り reads the rest and counts them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/ocr_road_win.h"
#include "app/status_bar_win.h"
#include "base/app_messages_win.h"
#include "base/bmp_format.h"
#include "base/win_handles_win.h"
#include "history/history.h"
#include "ocr/ocr_file.h"
#include "picture/png_encoder.h"
#include "resources/ocr_ids.h"
#include "resources/resource_ids.h"
#include "settings/ocr_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"

using testsupport::DialogAnswerer;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

const char kHeader[] = "日時,コメント,ファイルパス,テキスト情報\r\n";
const char kWord[] = "請求金額";

// A white PNG with `text` in large black letters (empty: white only).
std::string TextPng(const char* text) {
    const int width = 360, height = 80;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    win::MemoryDc dc(CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    win::Bitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win::SelectGuard selected(dc.get(), bitmap.get());
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    win::Font font(CreateFontA(-28, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, "IPAPGothic"));
    {
        win::SelectGuard withFont(dc.get(), font.get());
        SetBkMode(dc.get(), TRANSPARENT);
        TextOutA(dc.get(), 20, 24, text, static_cast<int>(std::strlen(text)));
    }
    GdiFlush();
    std::vector<uint8_t> png;
    encodePngBytes(width, height, static_cast<const uint8_t*>(bits), dibStride(width), png);
    return std::string(png.begin(), png.end());
}

std::string PictureStatusText() {
    char text[128] = {};
    SendMessageA(statusBar.window, SB_GETTEXTA, 2, reinterpret_cast<LPARAM>(text));
    return text;
}

FILETIME WriteTime(const std::string& path) {
    FILETIME written{};
    win::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    GetFileTime(file.get(), nullptr, nullptr, &written);
    return written;
}

// The sidecar's text lines joined, or "(none)" when it is missing,
// "(damaged)", or "(unreadable)" when it says the picture could not be read.
std::string SidecarText(const std::string& picture) {
    if (!FileExists(ocrfile::sidecarPath(picture)))
        return "(none)";
    const std::string bytes = ReadFileBytes(ocrfile::sidecarPath(picture));
    const ocrfile::ReadResult read = ocrfile::parse(bytes.data(), bytes.size());
    if (!read.ok)
        return "(damaged)";
    if (read.unreadable)
        return "(unreadable)";
    std::string all;
    for (const OcrLine& line : read.result.lines)
        all += line.text;
    return all;
}

template <bool kEnabled>
class OcrRoadTest : public testsupport::MainWindowFixture {
  protected:
    void PrepareSettings() override {
        folder = folder_->path() + "\\証跡 読み取り";
        CreateDirectoryA(folder.c_str(), nullptr);
        Settings& s = settingsStore.settings;
        std::snprintf(s.saveFolder, sizeof s.saveFolder, "%s", folder.c_str());
        s.confirmOverwrite = 0;
        s.folderOption = 0;
        s.autoSaveHistory = 0;
        OcrSettings options;
        options.enabled = kEnabled;
        Win32SettingsFiles files;
        if (kEnabled) {
            ASSERT_TRUE(ocr_settings::save(files, settingsStore.iniPath, options));
        }
    }

    bool AddComparison(const std::string& bytes, const char* name) {
        const ComparisonRecord record{name, "比較", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
        return SendMessageA(window_, UWM_ADD_COMPARISON, 0, reinterpret_cast<LPARAM>(&record)) == 1;
    }
    std::string InCaptures(const std::string& name) const { return folder + "\\" + name; }

    // A history in the captures' folder whose records are these pictures.
    std::string WriteHistory(const std::vector<std::pair<std::string, std::string>>& pictures) {
        std::string csv = kHeader;
        for (const auto& picture : pictures) {
            csv += "2026/12/10 10:00:00,見出し,\\" + picture.first + ",\r\n";
            EXPECT_TRUE(WriteFileBytes(InCaptures(picture.first), picture.second));
        }
        const std::string path = InCaptures("読み取り履歴.csv");
        EXPECT_TRUE(WriteFileBytes(path, csv));
        return path;
    }
    void Open(const std::string& csv) {
        DialogAnswerer answers;
        answers.add([&](HWND dialog) { testsupport::AnswerFileDialog(dialog, csv); });
        SendMessageA(window_, WM_COMMAND, IDM_FILE_OPEN, 0);
        testsupport::PumpPending();
        EXPECT_EQ(answers.unexpected(), 0);
        EXPECT_EQ(history.count > 0, true);
    }

    std::string folder;
};

using OcrRoadOn = OcrRoadTest<true>;
using OcrRoadOff = OcrRoadTest<false>;

TEST_F(OcrRoadOn, ACapturedPictureGetsItsTextBesideItAndTheStatusSaysSo) {
    const std::string picture = InCaptures("請求_diff.png");
    ASSERT_TRUE(AddComparison(TextPng("請求金額 Total 1100"), "請求_diff.png"));
    // The road did not wait for the reading.
    EXPECT_FALSE(FileExists(ocrfile::sidecarPath(picture)));
    EXPECT_EQ(PictureStatusText(), ocr_road::kReading);
    const FILETIME before = WriteTime(picture);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return FileExists(ocrfile::sidecarPath(picture)); }, 120000));
    EXPECT_NE(SidecarText(picture).find(kWord), std::string::npos) << SidecarText(picture);
    EXPECT_EQ(PictureStatusText(), "");
    const FILETIME after = WriteTime(picture);
    EXPECT_EQ(CompareFileTime(&before, &after), 0) << "the reading touched the picture";

    // A picture the decoder refuses: its sidecar says so, and the pane too.
    const std::string broken = InCaptures("壊れ_diff.png");
    DialogAnswerer answers;
    answers.press(IDOK);  // the pane's own word on the picture
    ASSERT_TRUE(AddComparison("not a picture", "壊れ_diff.png"));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return PictureStatusText() == ocr_road::kUnreadable; }, 60000))
        << PictureStatusText();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return SidecarText(broken) == "(unreadable)"; }, 10000))
        << SidecarText(broken);
    // Opening the history again does not queue it.
    ocr_road::HistoryOpened(window_);
    EXPECT_STREQ(ocr_road::PictureStatus(broken), ocr_road::kUnreadable);
    EXPECT_TRUE(ocr_road::WorkerStarted());
}

TEST_F(OcrRoadOff, NothingIsReadAndNoWorkerIsMade) {
    Open(WriteHistory({{"画面1.png", TextPng(kWord)}}));
    const std::string picture = InCaptures("請求_diff.png");
    ASSERT_TRUE(AddComparison(TextPng(kWord), "請求_diff.png"));
    testsupport::PumpUntil([] { return false; }, 1500);
    EXPECT_FALSE(FileExists(ocrfile::sidecarPath(picture)));
    EXPECT_FALSE(FileExists(ocrfile::sidecarPath(InCaptures("画面1.png"))));
    EXPECT_EQ(PictureStatusText(), "");
    EXPECT_FALSE(ocr_road::WorkerStarted());
    // The settings file keeps no [OCR] group it did not have.
    EXPECT_EQ(ReadFileBytes(settingsStore.iniPath).find("[OCR]"), std::string::npos);
}

TEST_F(OcrRoadOff, TheSettingsDialogTurnsTheReadingOnForTheNextCapture) {
    DialogAnswerer answers;
    answers.add([](HWND dialog) {
        // The key of the checkbox, as a user without a mouse sets it.
        SendMessageA(GetDlgItem(dialog, IDC_OCR_ENABLED), BM_CLICK, 0, 0);
        testsupport::PressButton(dialog, IDOK);
    });
    SendMessageA(window_, WM_COMMAND, IDM_OCR_SETTINGS, 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, "文字読み取りの設定");
    EXPECT_TRUE(ocr_road::Options().enabled);
    const std::string ini = ReadFileBytes(settingsStore.iniPath);
    EXPECT_NE(ini.find("[OCR]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("文字読み取り=1"), std::string::npos) << ini;
    const std::string picture = InCaptures("請求_diff.png");
    ASSERT_TRUE(AddComparison(TextPng(kWord), "請求_diff.png"));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return FileExists(ocrfile::sidecarPath(picture)); }, 120000));
    EXPECT_NE(SidecarText(picture).find(kWord), std::string::npos) << SidecarText(picture);
}

TEST_F(OcrRoadOn, AnOpenedHistorysUnreadPicturesAreRead) {
    const std::string csv = WriteHistory(
        {{"読み済み.png", TextPng(kWord)}, {"未読.png", TextPng(kWord)}, {"壊れた結果.png", TextPng(kWord)}});
    // Read before: the version line alone, which stays as it is.
    const std::string done = std::string(ocrfile::kVersionLine) + "\r\n";
    ASSERT_TRUE(WriteFileBytes(ocrfile::sidecarPath(InCaptures("読み済み.png")), done));
    // A damaged sidecar is read again from its picture.
    const std::string damaged = InCaptures("壊れた結果.png");
    ASSERT_TRUE(WriteFileBytes(ocrfile::sidecarPath(damaged), "ZOCR\t1\r\nnot a line\r\n"));
    Open(csv);
    const std::string unread = InCaptures("未読.png");
    ASSERT_TRUE(testsupport::PumpUntil([&] { return FileExists(ocrfile::sidecarPath(unread)); }, 120000));
    EXPECT_NE(SidecarText(unread).find(kWord), std::string::npos) << SidecarText(unread);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return SidecarText(damaged) != "(damaged)"; }, 120000));
    EXPECT_NE(SidecarText(damaged).find(kWord), std::string::npos) << SidecarText(damaged);
    EXPECT_EQ(ReadFileBytes(ocrfile::sidecarPath(InCaptures("読み済み.png"))), done);
}

TEST_F(OcrRoadOff, ReadAllReadsEveryUnreadPictureAndCountsThem) {
    Open(WriteHistory({{"文字.png", TextPng(kWord)}, {"白.png", TextPng("")}, {"壊れ.png", "broken"}}));
    EXPECT_FALSE(ocr_road::WorkerStarted());
    DialogAnswerer answers;
    answers.letRun("文字を読み取っています");
    answers.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_OCR_READ_ALL, 0);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text,
              "文字の読み取りが終わりました。\n\n読み取り: 1 件\n文字なし: 1 件\n読み取れなかった画像: 1 件");
    EXPECT_NE(SidecarText(InCaptures("文字.png")).find(kWord), std::string::npos);
    EXPECT_EQ(SidecarText(InCaptures("白.png")), "");
    EXPECT_EQ(SidecarText(InCaptures("壊れ.png")), "(unreadable)");

    // Nothing left to read: the broken picture's sidecar says why.
    DialogAnswerer again;
    again.press(IDOK);
    SendMessageA(window_, WM_COMMAND, IDM_OCR_READ_ALL, 0);
    ASSERT_EQ(again.seen().size(), 1u);
    EXPECT_EQ(again.seen()[0].text, "文字を読み取っていない画像はありません。");
}

}  // namespace
