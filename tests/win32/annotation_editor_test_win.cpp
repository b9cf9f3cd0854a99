// The annotation editor with bad input: a picture that cannot be read, a
// damaged sidecar (kept as .zan.bak at the first save), and a save that
// cannot write (said so, nothing lost, the close still asks). And the font
// of the editor's and the comparison window's controls, which must show
// Japanese under any message font.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "picture/annotation_file.h"
#include "tests/win32/support/win_test_support.h"
#include "view/annotation_editor_win.h"
#include "view/compare_window_win.h"

namespace {

using testsupport::DialogAnswerer;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

constexpr WPARAM kSaveCommand = 122;  // the editor's 保存 button

// Grey, 0x80 in every byte of its pixels.
std::string Bmp() {
    return testsupport::GreyBmp(40, 30);
}

void Key(WPARAM key) {
    HWND canvas =
        FindWindowExA(AnnotationEditorWindow(), nullptr, "ZELCAP_ANNOTATE_CANVAS", nullptr);
    MSG message{canvas, WM_KEYDOWN, key, 0, 0, {}};
    TranslateAnnotationMessage(message);
}

class AnnotationEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        picture_ = folder_.path() + "\\shot.bmp";
        ASSERT_TRUE(WriteFileBytes(picture_, Bmp()));
    }
    void TearDown() override {
        if (HWND editor = AnnotationEditorWindow())
            DestroyWindow(editor);
        DestroyWindow(owner_);
    }
    bool Open() {
        return OpenAnnotationEditor(GetModuleHandleA(nullptr), owner_, picture_.c_str());
    }

    testsupport::ScopedWorkFolder folder_;
    HWND owner_ = nullptr;
    std::string picture_;
};

TEST_F(AnnotationEditorTest, APictureThatCannotBeReadIsSaidAndOpensNothing) {
    ASSERT_TRUE(WriteFileBytes(picture_, "not a picture"));
    DialogAnswerer answers;
    answers.press(IDOK);
    EXPECT_FALSE(Open());
    EXPECT_EQ(AnnotationEditorWindow(), nullptr);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "画像ファイルを読み込めませんでした。\r\n" + picture_);
}

TEST_F(AnnotationEditorTest, ADamagedSidecarOpensEmptyAndIsKeptAsBackupAtTheSave) {
    const std::string sidecar = annotation::sidecarPath(picture_);
    const std::string damaged = "ZAN 1\r\nrect 1 2\r\n";
    ASSERT_TRUE(WriteFileBytes(sidecar, damaged));
    DialogAnswerer answers;
    answers.press(IDOK);
    ASSERT_TRUE(Open());
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text.rfind("注釈ファイルの 2 行目が読めません。", 0), 0u)
        << answers.seen()[0].text;
    EXPECT_EQ(ReadFileBytes(sidecar), damaged);  // untouched until a save

    Key('R');
    Key(VK_RETURN);  // a frame in the middle of the view
    SendMessageA(AnnotationEditorWindow(), WM_COMMAND, kSaveCommand, 0);
    EXPECT_EQ(ReadFileBytes(annotation::sidecarBackupPath(picture_)), damaged);
    const annotation::SidecarRead read = annotation::parseSidecar(ReadFileBytes(sidecar));
    ASSERT_TRUE(read.ok);
    ASSERT_EQ(read.objects.size(), 1u);
    EXPECT_EQ(read.objects[0].kind, annotation::Kind::rectangle);
    EXPECT_TRUE(FileExists(annotation::flattenedPath(picture_)));
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST_F(AnnotationEditorTest, ASaveThatCannotWriteIsSaidAndTheCloseStillAsks) {
    // A folder where the flattened picture would go: no file can replace it.
    ASSERT_TRUE(CreateDirectoryA(annotation::flattenedPath(picture_).c_str(), nullptr));
    ASSERT_TRUE(Open());
    Key('M');
    Key(VK_RETURN);
    DialogAnswerer answers;
    answers.press(IDOK);  // the failure
    answers.press(IDNO);  // the close's question: leave unsaved
    SendMessageA(AnnotationEditorWindow(), WM_COMMAND, kSaveCommand, 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text.rfind("注釈付きの画像を保存できませんでした。", 0), 0u);
    EXPECT_FALSE(FileExists(annotation::sidecarPath(picture_)));
    ASSERT_NE(AnnotationEditorWindow(), nullptr);
    SendMessageA(AnnotationEditorWindow(), WM_CLOSE, 0, 0);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[1].text, "注釈は変更されています。保存しますか？");
    EXPECT_EQ(AnnotationEditorWindow(), nullptr);
}

// The system's message font made an ANSI Tahoma for the life of the guard,
// as some Wine prefixes have it; without SPIF_UPDATEINIFILE nothing of it is
// written to the prefix.
class AnsiMessageFont {
  public:
    AnsiMessageFont() {
        saved_.cbSize = sizeof saved_;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof saved_, &saved_, 0);
        NONCLIENTMETRICSA ansi = saved_;
        lstrcpyA(ansi.lfMessageFont.lfFaceName, "Tahoma");
        ansi.lfMessageFont.lfCharSet = ANSI_CHARSET;
        SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof ansi, &ansi, 0);
        NONCLIENTMETRICSA now{};
        now.cbSize = sizeof now;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof now, &now, 0);
        set_ = now.lfMessageFont.lfCharSet == ANSI_CHARSET &&
               lstrcmpiA(now.lfMessageFont.lfFaceName, "Tahoma") == 0;
    }
    ~AnsiMessageFont() {
        SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof saved_, &saved_, 0);
    }
    bool set() const { return set_; }

  private:
    NONCLIENTMETRICSA saved_{};
    bool set_ = false;
};

// The character set of `control`'s font as asked for, and as the font
// mapper gave it: a face without Japanese glyphs would come out ANSI.
void ExpectShiftJisFont(HWND control, const char* what) {
    ASSERT_NE(control, nullptr) << what;
    const auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr) << what;
    LOGFONTA asked{};
    ASSERT_EQ(GetObjectA(font, sizeof asked, &asked), static_cast<int>(sizeof asked));
    EXPECT_EQ(asked.lfCharSet, SHIFTJIS_CHARSET) << what << ": " << asked.lfFaceName;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    EXPECT_EQ(GetTextCharset(dc), SHIFTJIS_CHARSET) << what << ": " << asked.lfFaceName;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
}

TEST_F(AnnotationEditorTest, ItsControlsAndTheComparisonsShowJapaneseUnderAnAnsiMessageFont) {
    AnsiMessageFont ansi;
    ASSERT_TRUE(ansi.set());
    ASSERT_TRUE(Open());
    ExpectShiftJisFont(FindWindowExA(AnnotationEditorWindow(), nullptr, "BUTTON", nullptr),
                       "the editor's tool button");

    const std::string second = folder_.path() + "\\second.bmp";
    ASSERT_TRUE(WriteFileBytes(second, Bmp()));
    CompareRequest request{picture_, second, "1", "2"};
    ASSERT_TRUE(OpenCompareWindow(GetModuleHandleA(nullptr), owner_, request));
    HWND compare = CompareWindowHandle();
    ExpectShiftJisFont(FindWindowExA(compare, nullptr, "BUTTON", nullptr),
                       "the comparison's view button");
    DestroyWindow(compare);
}

}  // namespace
