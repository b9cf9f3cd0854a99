// The capture road's own decisions, on the real main window: what it
// refuses, what it holds busy, the record and evidence of a picture it
// wrote, and what a question declined or a failed write leaves (nothing).
// The write failures are real ones: this program runs under a file-size
// limit, so that a picture larger than it cannot be written.
// ctest-file-size-limit-kb: 64
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/capture_road_win.h"
#include "base/app_messages_win.h"
#include "base/app_state_win.h"
#include "base/bmp_format.h"
#include "base/message_box_win.h"
#include "base/sha256.h"
#include "base/sha256_win.h"
#include "capture/capturer_win.h"
#include "capture/step_recorder_win.h"
#include "history/evidence_book_win.h"
#include "history/history.h"
#include "picture/annotation_file.h"
#include "picture/png_encoder.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"

using testsupport::DialogAnswerer;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

const char kFolderFollowsUntitled[] =
    "キャプチャファイルの保存先が履歴と同じに設定されています。\n"
    "『ファイルを開く』か『名前を付けて保存』で履歴ファイル名を決めてから"
    "キャプチャーを開始してください。";
const char kOverwrite[] = "同じ名前のファイルがあります。上書きしますか？";

// A PNG file of `side` x `side` pixels: one colour, or noise, which does
// not compress and so goes over the size limit from 150 pixels on.
std::vector<uint8_t> Png(int side, bool noise) {
    const uint32_t stride = dibStride(side);
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * side, 0x80);
    std::mt19937 random(5);
    if (noise)
        for (auto& p : pixels)
            p = static_cast<uint8_t>(random());
    std::vector<uint8_t> file;
    encodePngBytes(side, side, pixels.data(), stride, file);
    return file;
}

// A recorded step of the screen's corner, as the hook thread takes it.
StepShot Step(int number, int side) {
    StepShot shot;
    shot.number = number;
    shot.rect = RECT{0, 0, side, side};
    shot.point = POINT{side / 2, side / 2};
    shot.pixels.assign(static_cast<size_t>(dibStride(side)) * side, 0x40);
    shot.ready = true;
    return shot;
}

class CaptureRoadTest : public testsupport::MainWindowFixture {
  protected:
    void PrepareSettings() override {
        folder = folder_->path() + "\\証跡 画像";
        CreateDirectoryA(folder.c_str(), nullptr);
        Settings& s = settingsStore.settings;
        std::snprintf(s.saveFolder, sizeof s.saveFolder, "%s", folder.c_str());
        s.confirmOverwrite = 1;
        s.folderOption = 0;
        s.autoSaveHistory = 0;
        s.startNumber = 1;
        s.zeroPadNumbers = 0;
        s.jpegMode = 0;
        std::snprintf(s.imageFilePrefix, sizeof s.imageFilePrefix, "a");
    }

    bool AddComparison(const std::vector<uint8_t>& png, const char* name = "比較_diff.png") {
        const ComparisonRecord record{name, "比較の見出し", png.data(), png.size()};
        return SendMessageA(window_, UWM_ADD_COMPARISON, 0, reinterpret_cast<LPARAM>(&record)) == 1;
    }
    std::string InCaptures(const std::string& name) const { return folder + "\\" + name; }

    std::string folder;
};

TEST_F(CaptureRoadTest, RefusesAnUntitledHistorysFolderAndABusyRoad) {
    const std::vector<uint8_t> png = Png(8, false);
    struct Case {
        const char* name;
        bool followHistory, busy;
        const char* message;  // nullptr: refused without a word
    };
    for (const Case& c : {Case{"untitled history folder", true, false, kFolderFollowsUntitled},
                          Case{"busy", false, true, nullptr}}) {
        SCOPED_TRACE(c.name);
        settingsStore.settings.folderOption = c.followHistory ? 1 : 0;
        DialogAnswerer answers;
        for (int i = 0; c.message && i < 2; ++i)  // the comparison's, the capture's
            answers.press(IDOK);
        bool compared, captured;
        {
            std::unique_ptr<CaptureBusyScope> busy;
            if (c.busy)
                busy = std::make_unique<CaptureBusyScope>();
            compared = AddComparison(png);
            capture_road::CaptureReport report;
            captured = capture_road::CaptureNow(window_, 103, nullptr, "", report);
        }
        EXPECT_FALSE(compared);
        EXPECT_FALSE(captured);
        EXPECT_EQ(history.count, 0);
        EXPECT_TRUE(testsupport::FilesMatching(folder + "\\*").empty());
        EXPECT_EQ(answers.unexpected(), 0);
        ASSERT_EQ(answers.seen().size(), c.message ? 2u : 0u);
        for (const auto& seen : answers.seen()) {
            EXPECT_EQ(seen.text, c.message);
            EXPECT_EQ(seen.caption, history.folder);
        }
    }
}

TEST_F(CaptureRoadTest, AComparisonIsRecordedWithTheDigestOfTheBytesWritten) {
    const std::vector<uint8_t> png = Png(16, false);
    ASSERT_TRUE(AddComparison(png));
    ASSERT_EQ(history.count, 1);
    EXPECT_EQ(std::string(history.records[0].imagePath), InCaptures("比較_diff.png"));
    EXPECT_STREQ(history.records[0].comment, "比較の見出し");
    const std::string path = InCaptures("比較_diff.png");
    EXPECT_EQ(ReadFileBytes(path), std::string(png.begin(), png.end()));
    EXPECT_TRUE(history.modified);
    EXPECT_TRUE(MenuEnabled(IDM_FILE_SAVE));  // the window refreshed itself
    // A comparison takes no number from the captures.
    EXPECT_EQ(settingsStore.settings.startNumber, 1);

    // The evidence is the bytes written, not what the file holds later.
    WriteFileBytes(path, "changed afterwards");
    Sha256Digest expected{}, pinned{};
    ASSERT_TRUE(win::sha256(png.data(), png.size(), expected));
    ASSERT_TRUE(evidenceBook.digestOf(path, pinned));
    EXPECT_EQ(sha256Hex(pinned), sha256Hex(expected));
}

TEST_F(CaptureRoadTest, AComparisonAsksBeforeItReplacesAFileAndHoldsTheRoadMeanwhile) {
    const std::vector<uint8_t> png = Png(16, false);
    const std::string path = InCaptures("比較_diff.png");
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replaced" : "kept");
        WriteFileBytes(path, "old picture");
        WriteFileBytes(annotation::sidecarPath(path), "old annotations");
        bool busyMeanwhile = false;
        DialogAnswerer answers;
        answers.add([&](HWND box) {
            busyMeanwhile = capture_road::CaptureInProgress();
            // A hot key pressed while the question is up is ignored.
            SendMessageA(window_, WM_HOTKEY, 103, 0);
            testsupport::PressButton(box, replace ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(AddComparison(png), replace);
        ASSERT_EQ(answers.seen().size(), 1u);
        EXPECT_EQ(answers.seen()[0].text, kOverwrite);
        EXPECT_EQ(answers.seen()[0].caption, path);
        EXPECT_TRUE(busyMeanwhile);
        EXPECT_FALSE(capture_road::CaptureInProgress());
        EXPECT_EQ(history.count, replace ? 1 : 0);
        EXPECT_EQ(ReadFileBytes(path),
                  replace ? std::string(png.begin(), png.end()) : std::string("old picture"));
        // The annotations were made on the picture replaced.
        EXPECT_EQ(FileExists(annotation::sidecarPath(path)), !replace);
    }
}

TEST_F(CaptureRoadTest, AFailedWriteLeavesNoFileAndNoRecord) {
    testsupport::DialogAnswerer answers;
    answers.press(IDOK);
    answers.press(IDOK);
    EXPECT_FALSE(AddComparison(Png(200, true)));
    const int stepsBefore = capture_road::StepsWritten();
    StepShot big = Step(7, 200);  // a 120 KB file
    EXPECT_FALSE(capture_road::WriteStep(window_, big));
    EXPECT_EQ(history.count, 0);
    EXPECT_EQ(capture_road::StepsWritten(), stepsBefore);
    EXPECT_FALSE(FileExists(InCaptures("比較_diff.png")));
    EXPECT_FALSE(FileExists(InCaptures("a1.bmp")));
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[0].text, "ファイルの書き込みに失敗しました");
    // A step's names the step and its file: the user sees it long after
    // the click, from another program.
    EXPECT_EQ(
        answers.seen()[1].text,
        "ファイルの書き込みに失敗しました\n\nステップ 7 のファイル:\n" + InCaptures("a1.bmp"));
    EXPECT_EQ(answers.seen()[1].caption, "S00011 <SYSTEM ERROR>");
}

// Whether a key message was still queued on this thread when a message box
// was being made, which would then have gone to the box.
bool keyQueuedAtBox = false;
LRESULT CALLBACK NoteQueuedKeys(int code, WPARAM wParam, LPARAM lParam) {
    char name[16] = {};
    if (code == HCBT_CREATEWND &&
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name) &&
        std::string(name) == "#32770") {
        MSG queued;
        keyQueuedAtBox = PeekMessageA(&queued, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE) != 0;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(CaptureRoadTest, AStepsOverwriteQuestionIsInFrontAndNoTypedKeyAnswersIt) {
    WriteFileBytes(InCaptures("a1.bmp"), "old step");
    WriteFileBytes(InCaptures("a2.bmp"), "old step");
    const int stepsBefore = capture_road::StepsWritten();
    StepShot declined = Step(1, 20), replaced = Step(2, 20);
    {
        // Kept, the question is declined and its flags can be read.
        KeepMessages kept;
        EXPECT_FALSE(capture_road::WriteStep(window_, declined));
        ASSERT_EQ(kept.messages().size(), 1u);
        const KeptMessage& asked = kept.messages()[0];
        EXPECT_EQ(asked.text, kOverwrite);
        EXPECT_EQ(asked.caption, InCaptures("a1.bmp"));
        // In front of the program the user works in, without taking its
        // keyboard.
        EXPECT_TRUE(asked.flags & MB_TOPMOST);
        EXPECT_FALSE(asked.flags & MB_SETFOREGROUND);
    }
    DialogAnswerer answers;
    answers.press(IDOK);
    HHOOK hook = SetWindowsHookExA(WH_CBT, NoteQueuedKeys, nullptr, GetCurrentThreadId());
    // Typed into Zelcap while the step was being written.
    PostMessageA(window_, WM_KEYDOWN, VK_RETURN, 0);
    keyQueuedAtBox = true;
    EXPECT_TRUE(capture_road::WriteStep(window_, replaced));
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(keyQueuedAtBox);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].caption, InCaptures("a2.bmp"));
    // The status bar counts the step written, not the one declined.
    EXPECT_EQ(capture_road::StepsWritten(), stepsBefore + 1);
    ASSERT_EQ(history.count, 1);
    EXPECT_EQ(std::string(history.records[0].imagePath), InCaptures("a2.bmp"));
    EXPECT_EQ(ReadFileBytes(InCaptures("a1.bmp")), "old step");
    // The numbers declined and written are used up alike.
    EXPECT_EQ(settingsStore.settings.startNumber, 3);
}

// A keyboard step's record: its heading, and the typed text in a
// description file of its own beside the picture (one already there is
// left alone); a password's text nowhere.
TEST_F(CaptureRoadTest, AKeyStepsRecordHasItsHeadingAndTheTypedTextInItsDescription) {
    WriteFileBytes(InCaptures("a2.txt"), "the user's own");
    struct Case {
        StepKind kind;
        const char* name;
        bool password;
        const char* typed;
        const char* heading;
        const char* textFile;  // the record's; "" none
        const char* text;
    } const cases[] = {
        {StepKind::typing, "氏名", false, "山田 太郎", "「氏名」に「山田 太郎」と入力 (入力テスト)",
         "a1.txt", "山田 太郎"},
        {StepKind::typing, "備考", false, "x", "「備考」に「x」と入力 (入力テスト)", "a2(2).txt",
         "x"},
        {StepKind::typing, "パスワード", true, "", "「パスワード」にパスワードを入力 (入力テスト)",
         "", ""},
        {StepKind::shortcut, "", false, "", "「Ctrl+S」を押す (入力テスト)", "", ""},
    };
    int number = 0;
    for (const Case& c : cases) {
        StepShot shot = Step(++number, 20);
        shot.kind = c.kind;
        shot.typed.control.name = c.name;
        shot.typed.control.topTitle = shot.target.topTitle = "入力テスト";
        shot.typed.control.password = c.password;
        shot.typed.text = c.typed;
        shot.shortcut = "Ctrl+S";
        ASSERT_TRUE(capture_road::WriteStep(window_, shot)) << c.heading;
        const HistoryRecord& record = history.records[history.count - 1];
        EXPECT_EQ(std::string(record.comment), c.heading);
        const std::string textFile = record.textFile;
        EXPECT_EQ(textFile.empty() ? "" : textFile.substr(textFile.rfind('\\') + 1), c.textFile);
        if (*c.textFile) {
            EXPECT_EQ(ReadFileBytes(InCaptures(c.textFile)), c.text);
        }
    }
    EXPECT_EQ(ReadFileBytes(InCaptures("a2.txt")), "the user's own");
    EXPECT_EQ(testsupport::FilesMatching(InCaptures("*.txt")).size(), 3u);
}

}  // namespace
