// The masks proposed over the personal data of a picture's read text: the
// editor opens with one per hit, the list takes one away, the save writes
// the rest as true-black masks; a close without saving masks nothing; the
// patterns' dialog refuses a pattern it cannot use.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ocr/ocr_file.h"
#include "picture/annotation_file.h"
#include "settings/ocr_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "tests/win32/support/win_test_support.h"
#include "view/annotation_editing.h"
#include "view/annotation_editor_win.h"
#include "view/mask_proposals_win.h"
#include "view/packed_dib.h"
#include "view/personal_patterns_dialog_win.h"
#include "view/png_decoder.h"

namespace {

using testsupport::DialogAnswerer;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

constexpr WPARAM kSaveCommand = 122;  // the editor's 保存 button
constexpr int kWidth = 300, kHeight = 120;

// Grey, 0x80 in every byte of its pixels.
std::string Bmp() {
    return testsupport::GreyBmp(kWidth, kHeight);
}

// Each line ten pixels a byte wide, so that a hit's box is exact: the
// address starts at byte 7 of 22, the phone number at 5 of 17, the card
// number at 7 of 26.
OcrResult Lines() {
    OcrResult r;
    r.lines = {{10, 10, 230, 24, "連絡先 taro@example.jp"},
               {10, 40, 180, 54, "電話 03-1234-5678"},
               {10, 70, 270, 84, "カード 4111-1111-1111-1111"},
               {10, 95, 150, 109, "今日は晴れです"}};
    return r;
}

// The masks expected, padded by two pixels, corners included.
const annotation::Rect kEmail{78, 8, 232, 26}, kPhone{58, 38, 182, 56}, kCard{78, 68, 272, 86};

annotation::Rect BoxOf(const annotation::Object& o) {
    return annotation::normalized(o.a, o.b);
}

HWND ProposalList() {
    return FindWindowExA(AnnotationEditorWindow(), nullptr, WC_LISTVIEWA, nullptr);
}

std::string RowText(HWND list, int row, int column) {
    char text[128] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<annotation::Rect> MaskBoxes(const std::vector<annotation::Object>& objects) {
    std::vector<annotation::Rect> boxes;
    for (const annotation::Object& o : objects) {
        EXPECT_EQ(o.kind, annotation::Kind::mask);
        EXPECT_EQ(o.colour, annotation::kBlack);
        boxes.push_back(BoxOf(o));
    }
    return boxes;
}

bool Black(const PackedDib& dib, int x, int y) {
    const uint8_t* p = dib.bits() + static_cast<std::size_t>(dib.height() - 1 - y) * dib.stride() +
                       static_cast<std::size_t>(x) * 3;
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

class MaskProposalsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        picture_ = folder_.path() + "\\証跡フォルダー\\画面1.bmp";
        ASSERT_TRUE(CreateDirectoryA((folder_.path() + "\\証跡フォルダー").c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(picture_, Bmp()));
        const std::string ini = folder_.path() + "\\zelcap.ini";
        ASSERT_TRUE(WriteFileBytes(ini, ""));
        lstrcpynA(settingsStore.iniPath, ini.c_str(), sizeof settingsStore.iniPath);
    }
    void TearDown() override {
        if (HWND editor = AnnotationEditorWindow())
            DestroyWindow(editor);
        DestroyWindow(owner_);
    }
    void WriteText(const OcrResult& r) {
        ASSERT_TRUE(WriteFileBytes(ocrfile::sidecarPath(picture_), ocrfile::write(r)));
    }
    bool Open() { return OpenMaskProposals(GetModuleHandleA(nullptr), owner_, picture_.c_str()); }

    testsupport::ScopedWorkFolder folder_;
    HWND owner_ = nullptr;
    std::string picture_;
};

TEST_F(MaskProposalsTest, OneMaskAHitTheListRemovesOneAndTheSaveMasksTheRest) {
    WriteText(Lines());
    ASSERT_TRUE(Open());
    HWND list = ProposalList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(RowText(list, 0, 0), "メールアドレス");
    EXPECT_EQ(RowText(list, 0, 1), "taro@example.jp");
    EXPECT_EQ(RowText(list, 1, 0), "電話番号");
    EXPECT_EQ(RowText(list, 2, 0), "カード番号");
    EXPECT_EQ(RowText(list, 2, 1), "4111-1111-1111-1111");
    const annotation_editing::Session* session = AnnotationEditorSession();
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(MaskBoxes(session->document.objects()),
              (std::vector<annotation::Rect>{kEmail, kPhone, kCard}));
    EXPECT_EQ(GetFocus(), list);

    // Unchecking takes the mask away, checking brings it back.
    ListView_SetCheckState(list, 2, FALSE);
    EXPECT_EQ(MaskBoxes(session->document.objects()),
              (std::vector<annotation::Rect>{kEmail, kPhone}));
    ListView_SetCheckState(list, 2, TRUE);
    EXPECT_EQ(session->document.size(), 3u);

    ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    MSG del{list, WM_KEYDOWN, VK_DELETE, 0, 0, {}};
    EXPECT_TRUE(TranslateAnnotationMessage(del));
    EXPECT_EQ(ListView_GetItemCount(list), 2);
    MSG enter{list, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(TranslateAnnotationMessage(enter));
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_FALSE(FileExists(annotation::sidecarPath(picture_)));  // nothing before the save

    SendMessageA(AnnotationEditorWindow(), WM_COMMAND, kSaveCommand, 0);
    const annotation::SidecarRead read =
        annotation::parseSidecar(ReadFileBytes(annotation::sidecarPath(picture_)));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(MaskBoxes(read.objects), (std::vector<annotation::Rect>{kEmail, kCard}));

    const std::string png = ReadFileBytes(annotation::flattenedPath(picture_));
    PackedDib flat;
    ASSERT_TRUE(decodePngBytes(reinterpret_cast<const uint8_t*>(png.data()), png.size(), flat));
    ASSERT_EQ(flat.width(), kWidth);
    ASSERT_EQ(flat.height(), kHeight);
    int black = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const auto in = [x, y](const annotation::Rect& r) {
                return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            };
            const bool masked = in(kEmail) || in(kCard);
            black += Black(flat, x, y);
            if (Black(flat, x, y) != masked)
                ADD_FAILURE() << x << "," << y << (masked ? " not black" : " black");
            if (HasFailure())
                return;
        }
    EXPECT_GT(black, 0);
}

TEST_F(MaskProposalsTest, ClosingWithoutSavingMasksNothing) {
    WriteText(Lines());
    ASSERT_TRUE(Open());
    DialogAnswerer answers;
    answers.press(IDNO);
    SendMessageA(AnnotationEditorWindow(), WM_CLOSE, 0, 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "注釈は変更されています。保存しますか？");
    EXPECT_EQ(AnnotationEditorWindow(), nullptr);
    EXPECT_FALSE(FileExists(annotation::sidecarPath(picture_)));
    EXPECT_FALSE(FileExists(annotation::flattenedPath(picture_)));
    EXPECT_EQ(ReadFileBytes(picture_), Bmp());
}

TEST_F(MaskProposalsTest, NoReadTextOrNoHitIsSaidAndOpensNoEditor) {
    struct Case {
        bool sidecar;
        const char* message;
    };
    const Case cases[] = {
        {false, "この画像の文字はまだ読み取られていません。"},
        {true, "この画像の文字に個人情報は見つかりませんでした。"},
    };
    for (const Case& c : cases) {
        if (c.sidecar) {
            OcrResult harmless;
            harmless.lines = {Lines().lines[3]};
            WriteText(harmless);
        }
        DialogAnswerer answers;
        answers.press(IDOK);
        EXPECT_FALSE(Open());
        EXPECT_EQ(AnnotationEditorWindow(), nullptr);
        ASSERT_EQ(answers.seen().size(), 1u);
        EXPECT_EQ(answers.seen()[0].text.rfind(c.message, 0), 0u) << answers.seen()[0].text;
    }
}

TEST_F(MaskProposalsTest, ThePatternsDialogRefusesAPatternItCannotUseNamingIt) {
    const auto type = [](const char* text) {
        return [text](HWND dialog) {
            SetDlgItemTextA(dialog, 2960, text);  // IDC_PERSONAL_PATTERNS
            testsupport::PressButton(dialog, IDOK);
        };
    };
    DialogAnswerer answers;
    answers.add(type("社員-####\r\nAB\\"));
    answers.press(IDOK);  // the refusal
    answers.add(type("社員-####\r\n\r\n  \r\nAB\\\\"));
    EXPECT_TRUE(EditPersonalPatterns(GetModuleHandleA(nullptr), owner_));
    ASSERT_EQ(answers.seen().size(), 3u);
    EXPECT_EQ(answers.seen()[1].text.rfind("パターン「AB\\」は使えません", 0), 0u)
        << answers.seen()[1].text;
    EXPECT_EQ(answers.unexpected(), 0);
    Win32SettingsFiles files;
    EXPECT_EQ(ocr_settings::load(files, settingsStore.iniPath).patterns,
              (std::vector<std::string>{"社員-####", "AB\\\\"}));
}

}  // namespace
