// The stamp of a capture on the real main window: the picture file is the
// one captured without it, byte for byte and by its digest, and only the
// flattened picture carries it, in the corner chosen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/capture_road_win.h"
#include "base/bmp_format.h"
#include "base/sha256.h"
#include "base/sha256_win.h"
#include "capture/step_recorder_win.h"
#include "history/evidence_book_win.h"
#include "history/history.h"
#include "picture/annotation_file.h"
#include "resources/resource_ids.h"
#include "resources/stamp_ids.h"
#include "settings/case_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "tests/win32/support/main_window_fixture.h"
#include "view/bmp_loader.h"
#include "view/packed_dib.h"
#include "view/png_decoder.h"

using testsupport::DialogAnswerer;
using testsupport::FileExists;
using testsupport::ReadFileBytes;

namespace {

// Wide enough for the stamp's line at its default height.
constexpr int kWidth = 640, kHeight = 200;
constexpr uint32_t kText = 0xFFFF00, kBackground = 0x0000C0;

StepShot Step(int number) {
    StepShot shot;
    shot.number = number;
    shot.rect = RECT{0, 0, kWidth, kHeight};
    shot.point = POINT{20, 20};
    shot.pixels.assign(static_cast<size_t>(dibStride(kWidth)) * kHeight, 0x40);
    shot.ready = true;
    return shot;
}

uint32_t PixelAt(const PackedDib& p, int32_t x, int32_t y) {
    const uint8_t* b = p.bits() + std::size_t(p.height() - 1 - y) * p.stride() + std::size_t(x) * 3;
    return uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0];
}

class CaptureStampTest : public testsupport::MainWindowFixture {
  protected:
    void PrepareSettings() override {
        folder = folder_->path() + "\\証跡 スタンプ";
        CreateDirectoryA(folder.c_str(), nullptr);
        Settings& s = settingsStore.settings;
        std::snprintf(s.saveFolder, sizeof s.saveFolder, "%s", folder.c_str());
        s.confirmOverwrite = 0;
        s.folderOption = 0;
        s.autoSaveHistory = 0;
        s.startNumber = 1;
        s.jpegMode = 0;
        std::snprintf(s.imageFilePrefix, sizeof s.imageFilePrefix, "a");
        SetStamp(true);
    }
    void SetStamp(bool on) {
        CaseSettings options;
        options.stamp = on;
        options.tester = "試験者";
        options.currentTestId = "TC-9";
        options.stampCorner = StampCorner::topRight;
        options.stampTextColour = kText;
        options.stampBackgroundColour = kBackground;
        Win32SettingsFiles files;
        ASSERT_TRUE(case_settings::save(files, settingsStore.iniPath, options));
    }
    std::string InCaptures(const std::string& name) const { return folder + "\\" + name; }
    std::string folder;
};

TEST_F(CaptureStampTest, TheOriginalStaysAsCapturedAndTheFlattenedPictureCarriesTheStamp) {
    StepShot stamped = Step(1);
    ASSERT_TRUE(capture_road::WriteStep(window_, stamped));
    SetStamp(false);
    StepShot plain = Step(1);  // the same step's picture again: the same mark
    ASSERT_TRUE(capture_road::WriteStep(window_, plain));
    ASSERT_EQ(history.count, 2);

    // The stamped record's picture is the bytes a capture without the stamp
    // writes, and the evidence's digest is theirs.
    const std::string original = ReadFileBytes(InCaptures("a1.bmp"));
    ASSERT_FALSE(original.empty());
    EXPECT_TRUE(original == ReadFileBytes(InCaptures("a2.bmp")));
    evidenceBook.flush();
    Sha256Digest pinned{}, now{};
    ASSERT_TRUE(evidenceBook.digestOf(InCaptures("a1.bmp"), pinned));
    ASSERT_TRUE(
        win::sha256(reinterpret_cast<const uint8_t*>(original.data()), original.size(), now));
    EXPECT_EQ(sha256Hex(pinned), sha256Hex(now));
    EXPECT_FALSE(FileExists(annotation::sidecarPath(InCaptures("a2.bmp"))));
    EXPECT_FALSE(FileExists(annotation::flattenedPath(InCaptures("a2.bmp"))));

    // The sidecar holds the stamp alone: when, by whom, for which case.
    const annotation::SidecarRead read =
        annotation::parseSidecar(ReadFileBytes(annotation::sidecarPath(InCaptures("a1.bmp"))));
    ASSERT_TRUE(read.ok);
    ASSERT_EQ(read.objects.size(), 1u);
    const annotation::Object& stamp = read.objects[0];
    EXPECT_EQ(stamp.kind, annotation::Kind::stamp);
    EXPECT_EQ(stamp.text,
              std::string(history.records[0].dateTime) + "  実施者: 試験者  テストID: TC-9");
    const annotation::Rect box = annotation::bounds(stamp);
    EXPECT_EQ(box.right, kWidth - 4);  // the top right corner
    EXPECT_EQ(box.top, 4);

    PackedDib before, after;
    ASSERT_EQ(
        loadBmpBytes(reinterpret_cast<const uint8_t*>(original.data()), original.size(), before),
        BmpLoad::ok);
    const std::string png = ReadFileBytes(annotation::flattenedPath(InCaptures("a1.bmp")));
    ASSERT_TRUE(decodePngBytes(reinterpret_cast<const uint8_t*>(png.data()), png.size(), after));
    ASSERT_EQ(after.width(), before.width());
    ASSERT_EQ(after.height(), before.height());
    int changedOutside = 0, background = 0, text = 0, other = 0;
    for (int32_t y = 0; y < before.height(); ++y)
        for (int32_t x = 0; x < before.width(); ++x) {
            const uint32_t p = PixelAt(after, x, y);
            if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) {
                changedOutside += p != PixelAt(before, x, y) ? 1 : 0;
                continue;
            }
            background += p == kBackground ? 1 : 0;
            text += p == kText ? 1 : 0;
            other += p != kBackground && p != kText ? 1 : 0;
        }
    EXPECT_EQ(changedOutside, 0);
    EXPECT_EQ(other, 0);  // not anti-aliased: the text's colour or the box's
    EXPECT_GT(text, 50);
    EXPECT_GT(background, text);
}

TEST_F(CaptureStampTest, TheToolsMenusDialogSetsTheStampAndKeepsTheRestOfTheGroup) {
    DialogAnswerer answers;
    answers.add([](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_STAMP_ON, BM_CLICK, 0, 0);
        SetDlgItemTextA(dialog, IDC_STAMP_HEIGHT, "99");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    // The height out of range is told over the dialog, which stays open:
    // then cancelled, it writes nothing.
    answers.add([](HWND box) {
        PostMessageA(GetWindow(box, GW_OWNER), WM_COMMAND, IDCANCEL, 0);
        testsupport::PressButton(box, IDOK);
    });
    SendMessageA(window_, WM_COMMAND, IDM_STAMP_SETTINGS, 0);
    EXPECT_EQ(answers.unexpected(), 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[0].caption, "スタンプの設定");
    EXPECT_EQ(answers.seen()[1].text, "文字の高さは 8 から 72 の整数で指定してください。");
    Win32SettingsFiles files;
    CaseSettings stored = case_settings::load(files, settingsStore.iniPath);
    EXPECT_TRUE(stored.stamp);
    EXPECT_EQ(stored.stampFontHeight, 14);

    DialogAnswerer again;
    again.add([](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_STAMP_ON, BM_CLICK, 0, 0);
        SendDlgItemMessageA(dialog, IDC_STAMP_CORNER, CB_SETCURSEL, 1, 0);
        SetDlgItemTextA(dialog, IDC_STAMP_HEIGHT, "30");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(window_, WM_COMMAND, IDM_STAMP_SETTINGS, 0);
    EXPECT_EQ(again.unexpected(), 0);
    stored = case_settings::load(files, settingsStore.iniPath);
    EXPECT_FALSE(stored.stamp);
    EXPECT_EQ(stored.stampCorner, StampCorner::bottomLeft);
    EXPECT_EQ(stored.stampFontHeight, 30);
    EXPECT_EQ(stored.stampTextColour, kText);
    EXPECT_EQ(stored.tester, "試験者");  // the rest of the group as it was
    EXPECT_EQ(stored.currentTestId, "TC-9");
}

}  // namespace
