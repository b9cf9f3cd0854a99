// The picture of the selected record in the real main window's image view:
// which file is loaded, where it is painted, and what an unloadable one does.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/panes_win.h"
#include "app/status_bar_win.h"
#include "base/app_state_win.h"
#include "base/bmp_format.h"
#include "capture/capturer_win.h"
#include "capture/jpeg_encoder.h"
#include "picture/png_encoder.h"
#include "history/history.h"
#include "history/history_list_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

#include "tests/win32/support/capture_fixture.h"
#include "tests/win32/support/main_window_fixture.h"
#include "view/bmp_loader.h"
#include "view/image_view_win.h"
#include "view/jpeg_decoder.h"
#include "view/png_decoder.h"

using testsupport::AnswerFileDialog;
using testsupport::DialogAnswerer;
using testsupport::SolidBmp;
using testsupport::WriteFileBytes;

namespace {

bool SolidJpeg(const std::string& path, int w, int h, uint8_t b, uint8_t g, uint8_t r) {
    std::string pixels = SolidBmp(w, h, b, g, r).substr(kBmpHeaderSize);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok =
        encodeJpegStream(f, w, h, 95, reinterpret_cast<uint8_t*>(&pixels[0]), dibStride(w));
    return std::fclose(f) == 0 && ok;
}

bool SolidPng(const std::string& path, int w, int h, uint8_t b, uint8_t g, uint8_t r) {
    const std::string pixels = SolidBmp(w, h, b, g, r).substr(kBmpHeaderSize);
    std::vector<uint8_t> file;
    return encodePngBytes(w, h, reinterpret_cast<const uint8_t*>(pixels.data()), dibStride(w),
                          file) &&
           WriteFileBytes(path, std::string(file.begin(), file.end()));
}

SCROLLINFO Info(UINT mask) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    return info;
}

class ImagePaneTest : public testsupport::MainWindowFixture {
  protected:
    // The first layout splits the page; later ones keep the frame's height.
    void PrepareSettings() override {
        settingsStore.settings.windowWidth = 900;
        settingsStore.settings.windowHeight = 700;
    }
    // Opens a history whose records name the given image texts.
    void OpenHistory(const std::vector<std::string>& images) {
        std::string csv = "日時,コメント,ファイルパス,テキスト情報\r\n";
        for (const auto& image : images)
            csv += "2004/07/16 10:23:45,h," + image + ",\r\n";
        ASSERT_TRUE(WriteFileBytes(InFolder("pane.csv"), csv));
        DialogAnswerer answers;
        answers.add([&](HWND dialog) { AnswerFileDialog(dialog, InFolder("pane.csv")); });
        SendMessageA(window_, WM_COMMAND, IDM_FILE_OPEN, 0);
        testsupport::PumpPending();
    }
    void Select(int row) {
        LVITEMA none{};
        none.stateMask = LVIS_SELECTED;
        SendMessageA(historyList.window, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
        if (row < 0)
            return;
        LVITEMA item{};
        item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(historyList.window, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
    // Whether the view shows `expected` at (x, y) of its client area once
    // painted. Wine hands a window's pixels to the X server a moment after
    // painting, so the screen is read until it shows them or time runs out.
    // The pixels PaintImageTo gives for a 200 x 100 view, as a lookup.
    std::function<COLORREF(int, int)> Painted(const PackedDib* picture, int hPos, int vPos) {
        auto pixels = std::make_shared<std::vector<uint32_t>>(200 * 100);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 200, -100, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HBITMAP target = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, target);
        RECT client{0, 0, 200, 100};
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        PaintImageTo(dc, client, nullptr, 0, 0);  // the white of an empty view
        PaintImageTo(dc, client, picture, hPos, vPos);
        GdiFlush();
        std::memcpy(pixels->data(), bits, pixels->size() * 4);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(target);
        return [pixels](int x, int y) {
            const uint32_t p = (*pixels)[static_cast<size_t>(y) * 200 + x];
            return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        };
    }

    bool ViewShows(int x, int y, COLORREF expected) {
        const COLORREF seen = testsupport::ShownPixel(imagePane->view, x, y, expected);
        if (seen == expected)
            return true;
        std::printf("pixel (%d, %d) is %06lX, not %06lX\n", x, y, static_cast<unsigned long>(seen),
                    static_cast<unsigned long>(expected));
        return false;
    }
};

TEST_F(ImagePaneTest, PanesSplitThePageAndTheTabsSwitchIt) {
    ASSERT_NE(imagePane, nullptr);
    RECT list, frame;
    GetWindowRect(imagePane->listPane, &list);
    GetWindowRect(imagePane->frame, &frame);
    EXPECT_GT(list.bottom - list.top, 50);
    EXPECT_GT(frame.bottom - frame.top, 50);
    EXPECT_LE(list.bottom, frame.top + GetSystemMetrics(SM_CYFRAME) + 1);
    EXPECT_TRUE(IsWindowVisible(historyList.window));
    EXPECT_TRUE(IsWindowVisible(imagePane->view));

    TabCtrl_SetCurSel(appState.tabControl, 1);
    NMHDR change{};
    change.hwndFrom = appState.tabControl;
    change.idFrom = 2000;
    change.code = static_cast<UINT>(TCN_SELCHANGE);
    SendMessageA(window_, WM_NOTIFY, 2000, reinterpret_cast<LPARAM>(&change));
    EXPECT_FALSE(IsWindowVisible(historyList.window));
    EXPECT_FALSE(IsWindowVisible(imagePane->view));
    EXPECT_TRUE(IsWindowVisible(tabHost.keyPanelHost.container));

    TabCtrl_SetCurSel(appState.tabControl, 0);
    SendMessageA(window_, WM_NOTIFY, 2000, reinterpret_cast<LPARAM>(&change));
    EXPECT_TRUE(IsWindowVisible(historyList.window));
    EXPECT_FALSE(IsWindowVisible(tabHost.keyPanelHost.container));
    RECT again;
    GetWindowRect(imagePane->frame, &again);
    EXPECT_EQ(again.top, frame.top);
}

// The tab strip (the tab control above the page containers) as the screen
// shows it, one COLORREF a pixel. Wine hands painted pixels to the X server
// a moment later, so the messages are pumped a while first.
std::vector<COLORREF> TabStripPixels() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 500) {
        testsupport::PumpPending();
        Sleep(20);
    }
    HWND tab = appState.tabControl;
    RECT strip;
    GetClientRect(tab, &strip);
    RECT page;
    GetWindowRect(imagePane->container, &page);
    MapWindowPoints(nullptr, tab, reinterpret_cast<POINT*>(&page), 2);
    strip.bottom = page.top;
    const int w = strip.right, h = strip.bottom;
    std::vector<COLORREF> pixels;
    if (w <= 0 || h <= 0)
        return pixels;
    POINT origin{0, 0};
    ClientToScreen(tab, &origin);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP target = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, target);
    BitBlt(dc, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    pixels.assign(p, p + static_cast<size_t>(w) * h);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// With the font that every written settings file names, made for this
// window as in a fresh process (the panes are globals that outlive a test's window).
class TabStripTest : public ImagePaneTest {
  protected:
    void PrepareSettings() override {
        ImagePaneTest::PrepareSettings();
        tabHost.fontMade = 0;
        std::strcpy(settingsStore.settings.generalFont.faceName, "MS ゴシック");
        settingsStore.settings.generalFont.weight = 400;
    }
};

// The tab font reaches the tab control by a posted WM_SETFONT that does not
// redraw, after the window has been painted once with the system font: the
// strip must not keep the wider tabs of that first painting.
TEST_F(TabStripTest, AfterTheFontChangeItIsWhatAFullRepaintDraws) {
    const std::vector<COLORREF> shown = TabStripPixels();
    ASSERT_FALSE(shown.empty());
    RedrawWindow(appState.tabControl, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const std::vector<COLORREF> repainted = TabStripPixels();
    ASSERT_EQ(shown.size(), repainted.size());
    // Wine shades the page border by the size of the area it repaints, a
    // level or two; a stale tab differs by the contrast of text and ground.
    const auto apart = [](COLORREF a, COLORREF b) {
        for (int shift = 0; shift < 24; shift += 8) {
            if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                         static_cast<int>((b >> shift) & 0xFF)) > 8)
                return true;
        }
        return false;
    };
    size_t differing = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        differing += apart(shown[i], repainted[i]);
    EXPECT_EQ(differing, 0u) << "of " << shown.size() << " strip pixels";
    // The labels are drawn: the strip is not one flat colour.
    size_t other = 0;
    for (COLORREF c : repainted)
        other += c != repainted[0];
    EXPECT_GT(other, 50u);
}

TEST_F(ImagePaneTest, SelectedRowsPictureIsPaintedAtTenTen) {
    ASSERT_TRUE(WriteFileBytes(InFolder("red.bmp"), SolidBmp(30, 20, 0, 0, 200)));
    ASSERT_TRUE(SolidJpeg(InFolder("blue.jpg"), 30, 20, 200, 0, 0));
    ASSERT_TRUE(SolidPng(InFolder("green.png"), 30, 20, 10, 190, 20));
    OpenHistory({"\\red.bmp", InFolder("blue.jpg"), "\\green.png"});
    Select(0);  // relative: from the history folder
    ASSERT_FALSE(imagePane->picture.empty());
    // On the screen, at (10, 10) of the view.
    EXPECT_TRUE(ViewShows(10, 10, RGB(200, 0, 0)));
    // The whole picture and its margins, painted into a DC of our own.
    const auto painted = Painted(&imagePane->picture, 0, 0);
    EXPECT_EQ(painted(10, 10), RGB(200, 0, 0));
    EXPECT_EQ(painted(39, 29), RGB(200, 0, 0));
    EXPECT_EQ(painted(9, 10), RGB(255, 255, 255));
    EXPECT_EQ(painted(40, 10), RGB(255, 255, 255));
    EXPECT_EQ(painted(10, 30), RGB(255, 255, 255));
    // Scrolled by (5, 8): the picture moves up and left.
    const auto scrolled = Painted(&imagePane->picture, 5, 8);
    EXPECT_EQ(scrolled(5, 2), RGB(200, 0, 0));
    EXPECT_EQ(scrolled(4, 2), RGB(255, 255, 255));

    Select(1);
    ASSERT_FALSE(imagePane->picture.empty());
    // A decoded JPEG of pure blue: exact after the quality-95 round trip.
    const uint8_t* row = imagePane->picture.bits();
    EXPECT_GT(row[0], 190);
    EXPECT_LT(row[2], 10);
    EXPECT_EQ(Painted(&imagePane->picture, 0, 0)(20, 20), RGB(row[2], row[1], row[0]));

    Select(2);  // lossless: the very colour, read from the file
    ASSERT_FALSE(imagePane->picture.empty());
    EXPECT_EQ(imagePane->picture.width(), 30);
    EXPECT_TRUE(ViewShows(10, 10, RGB(20, 190, 10)));
    EXPECT_EQ(Painted(&imagePane->picture, 0, 0)(39, 29), RGB(20, 190, 10));
}

TEST_F(ImagePaneTest, UnknownExtensionAndNoSelectionLeaveAWhitePane) {
    ASSERT_TRUE(WriteFileBytes(InFolder("red.bmp"), SolidBmp(30, 20, 0, 0, 200)));
    ASSERT_TRUE(WriteFileBytes(InFolder("mixed.Bmp"), SolidBmp(30, 20, 0, 0, 200)));
    OpenHistory({"\\red.bmp", "\\mixed.Bmp"});
    Select(0);
    ASSERT_FALSE(imagePane->picture.empty());
    Select(1);  // mixed case: not an image the pane knows, and no message
    EXPECT_TRUE(imagePane->picture.empty());
    EXPECT_TRUE(ViewShows(15, 15, RGB(255, 255, 255)));
    Select(0);
    ASSERT_FALSE(imagePane->picture.empty());
    Select(-1);
    SendMessageA(window_, WM_USER + 101, 0, 0);  // the list's show-image message
    EXPECT_TRUE(imagePane->picture.empty());
    EXPECT_TRUE(ViewShows(15, 15, RGB(255, 255, 255)));
}

TEST_F(ImagePaneTest, MissingBmpKeepsThePictureAndBrokenOnesAreRefused) {
    ASSERT_TRUE(WriteFileBytes(InFolder("red.bmp"), SolidBmp(30, 20, 0, 0, 200)));
    std::string broken = SolidBmp(30, 20, 0, 0, 200);
    broken.resize(200);  // the rows the header promises are not there
    ASSERT_TRUE(WriteFileBytes(InFolder("broken.bmp"), broken));
    OpenHistory({"\\red.bmp", "\\missing.bmp", "\\broken.bmp"});
    Select(0);
    ASSERT_FALSE(imagePane->picture.empty());

    // The selected record's file goes missing.
    LVITEMA text{};
    text.iSubItem = 1;
    text.pszText = const_cast<char*>("\\missing.bmp");
    SendMessageA(historyList.window, LVM_SETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&text));
    DialogAnswerer answers;
    answers.press(IDOK);
    SendMessageA(window_, WM_USER + 101, 0, 0);
    ASSERT_EQ(answers.seen().size(), 1u);
    EXPECT_EQ(answers.seen()[0].text, "ファイルのオープンに失敗しました");
    EXPECT_EQ(answers.seen()[0].caption, "Error");
    EXPECT_FALSE(imagePane->picture.empty());  // the previous picture stays
    EXPECT_TRUE(ViewShows(10, 10, RGB(200, 0, 0)));

    answers.press(IDOK);
    Select(2);
    ASSERT_EQ(answers.seen().size(), 2u);
    EXPECT_EQ(answers.seen()[1].text,
              "ファイルの読み込みに失敗しました\r\n (" + InFolder("broken.bmp") + ")\r\n");
    EXPECT_EQ(answers.seen()[1].caption, "ERROR");
    EXPECT_TRUE(imagePane->picture.empty());
    EXPECT_TRUE(ViewShows(10, 10, RGB(255, 255, 255)));
}

TEST_F(ImagePaneTest, LargePictureScrollsByBarKeysAndWheel) {
    ASSERT_TRUE(WriteFileBytes(InFolder("big.bmp"), SolidBmp(3000, 2000, 0, 200, 0)));
    OpenHistory({"\\big.bmp"});
    Select(0);
    HWND view = imagePane->view;
    SCROLLINFO v = Info(SIF_ALL);
    ASSERT_TRUE(GetScrollInfo(view, SB_VERT, &v));
    RECT r;
    GetWindowRect(view, &r);
    EXPECT_EQ(v.nMax, 2000 + GetSystemMetrics(SM_CYHSCROLL) + 30);
    EXPECT_EQ(static_cast<int>(v.nPage), r.bottom - r.top);
    EXPECT_EQ(v.nPos, 0);

    SendMessageA(view, WM_VSCROLL, SB_PAGEDOWN, 0);
    SCROLLINFO after = Info(SIF_POS);
    GetScrollInfo(view, SB_VERT, &after);
    EXPECT_EQ(after.nPos, static_cast<int>(v.nPage));
    SendMessageA(view, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);  // one notch up
    GetScrollInfo(view, SB_VERT, &after);
    EXPECT_EQ(after.nPos, static_cast<int>(v.nPage) - static_cast<int>(v.nPage / 10));
    SendMessageA(view, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-240)), 0);
    SCROLLINFO h = Info(SIF_ALL);
    GetScrollInfo(view, SB_HORZ, &h);
    EXPECT_EQ(h.nPos, 2 * static_cast<int>(h.nPage / 10));
    SendMessageA(view, WM_KEYDOWN, VK_RIGHT, 0);
    GetScrollInfo(view, SB_HORZ, &h);
    EXPECT_EQ(h.nPos, 3 * static_cast<int>(h.nPage / 10));
    // Tab hands the focus back to the list.
    SetFocus(view);
    SendMessageA(view, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), historyList.window);
    SendMessageA(historyList.window, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), view);
}

bool BarShown(int bar) {
    return (GetWindowLongA(imagePane->view, GWL_STYLE) &
            (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
}

TEST_F(ImagePaneTest, BarsAreShownOnlyWhereThePictureDoesNotFit) {
    const struct {
        const char* name;
        int width, height;
        bool horizontal, vertical;
    } pictures[] = {{"small.bmp", 30, 20, false, false},
                    {"wide.bmp", 3000, 20, true, false},
                    {"tall.bmp", 30, 2000, false, true},
                    {"big.bmp", 3000, 2000, true, true},
                    {"small.bmp", 30, 20, false, false}};
    std::vector<std::string> rows;
    for (const auto& p : pictures) {
        ASSERT_TRUE(WriteFileBytes(InFolder(p.name), SolidBmp(p.width, p.height, 0, 200, 0)));
        rows.push_back(std::string("\\") + p.name);
    }
    OpenHistory(rows);
    RECT r;
    GetWindowRect(imagePane->view, &r);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(pictures[i].name);
        Select(i);
        ASSERT_EQ(imagePane->picture.width(), pictures[i].width);
        EXPECT_EQ(BarShown(SB_HORZ), pictures[i].horizontal);
        EXPECT_EQ(BarShown(SB_VERT), pictures[i].vertical);
    }
    // Hidden, the bars keep the ranges of the fitting picture, and the
    // picture is painted at (10, 10).
    SCROLLINFO v = Info(SIF_ALL), h = Info(SIF_ALL);
    ASSERT_TRUE(GetScrollInfo(imagePane->view, SB_VERT, &v));
    ASSERT_TRUE(GetScrollInfo(imagePane->view, SB_HORZ, &h));
    EXPECT_EQ(v.nMax, r.bottom - r.top);
    EXPECT_EQ(static_cast<int>(v.nPage), r.bottom - r.top);
    EXPECT_EQ(h.nMax, 50);
    EXPECT_EQ(static_cast<int>(h.nPage), 50);
    EXPECT_TRUE(ViewShows(10, 10, RGB(0, 200, 0)));
}

// The picture of a file is kept while its record stays selected; a file
// written again since is read again, whether only its time or only its size
// tells.
TEST_F(ImagePaneTest, FileWrittenAgainIsReadAgain) {
    ASSERT_TRUE(WriteFileBytes(InFolder("p.bmp"), SolidBmp(30, 20, 0, 0, 200)));
    OpenHistory({"\\p.bmp"});
    Select(0);
    ASSERT_EQ(imagePane->picture.bits()[2], 200);
    const struct {
        int width;
        LONGLONG later;  // 100 ns steps added to the last write time
        uint8_t red;
    } rewrites[] = {{30, 36000000000LL, 100}, {31, 0, 50}};
    for (const auto& w : rewrites) {
        SCOPED_TRACE(w.red);
        FILETIME written{};
        {
            HANDLE f = CreateFileA(InFolder("p.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(f, INVALID_HANDLE_VALUE);
            GetFileTime(f, nullptr, nullptr, &written);
            CloseHandle(f);
        }
        ASSERT_TRUE(WriteFileBytes(InFolder("p.bmp"), SolidBmp(w.width, 20, 0, 0, w.red)));
        ULARGE_INTEGER t{};
        t.LowPart = written.dwLowDateTime;
        t.HighPart = written.dwHighDateTime;
        t.QuadPart += w.later;
        written.dwLowDateTime = t.LowPart;
        written.dwHighDateTime = t.HighPart;
        HANDLE f = CreateFileA(InFolder("p.bmp").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        SetFileTime(f, nullptr, nullptr, &written);
        CloseHandle(f);
        SendMessageA(window_, WM_USER + 101, 0, 0);
        EXPECT_EQ(imagePane->picture.width(), w.width);
        EXPECT_EQ(imagePane->picture.bits()[2], w.red);
    }
}

// A capture's picture is made from the bytes it wrote: it must be what
// reading the file gives, also when the capture replaced a file of the
// same name that was shown before.
TEST_F(ImagePaneTest, CapturedPictureIsTheFilesPicture) {
    Settings& s = settingsStore.settings;
    std::snprintf(s.saveFolder, sizeof s.saveFolder, "%s", folder_->path().c_str());
    s.confirmOverwrite = 0;
    s.jpegQuality = 90;
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) {
        o.confirmOverwrite = 0;
        o.jpegQuality = 90;
    });
    for (const ImageFormat format : {ImageFormat::bmp, ImageFormat::jpeg, ImageFormat::png}) {
        const bool jpeg = format == ImageFormat::jpeg;
        for (COLORREF colour : {RGB(200, 0, 0), RGB(0, 0, 200)}) {
            SCOPED_TRACE(::testing::Message()
                         << "format " << static_cast<int>(format) << " colour " << colour);
            WNDCLASSA wc{};
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hbrBackground = CreateSolidBrush(colour);
            const std::string name = "ZelcapCaptured" + std::to_string(colour);
            wc.lpszClassName = name.c_str();
            RegisterClassA(&wc);
            HWND cover = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE,
                                         0, 0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
            UpdateWindow(cover);
            testsupport::PumpPending();
            GdiFlush();
            Sleep(100);
            s.jpegMode = jpeg;
            testsupport::EditFileOptions([&](Capturer::FileOptions& o) { o.jpegMode = jpeg; });
            testsupport::EditExtras([&](CaptureExtras& e) { e.png = format == ImageFormat::png; });
            capturer.setNextNumber(1);  // the second colour replaces the first's file
            SendMessageA(window_, WM_HOTKEY, 103, 0);
            testsupport::PumpPending();
            DestroyWindow(cover);
            const std::string path = history.records[history.count - 1].imagePath;
            ASSERT_EQ(path, InFolder(format == ImageFormat::png ? "1.png"
                                     : jpeg                     ? "1.jpg"
                                                                : "1.bmp"));
            PackedDib fromFile;
            if (format == ImageFormat::png) {
                const std::string bytes = testsupport::ReadFileBytes(path);
                ASSERT_TRUE(decodePngBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                                           bytes.size(), fromFile));
            } else if (jpeg) {
                FILE* f = std::fopen(path.c_str(), "rb");
                ASSERT_NE(f, nullptr);
                ASSERT_TRUE(decodeJpegFile(f, fromFile));
                std::fclose(f);
            } else {
                const std::string bytes = testsupport::ReadFileBytes(path);
                ASSERT_EQ(loadBmpBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                       fromFile),
                          BmpLoad::ok);
            }
            const PackedDib& shown = imagePane->picture;
            ASSERT_EQ(shown.size(), fromFile.size());
            EXPECT_EQ(std::memcmp(shown.data(), fromFile.data(), shown.size()), 0);
            // The top-left pixel is the cover's: this capture's, not the last.
            const uint8_t* topLeft = shown.bits() + (shown.height() - 1) * shown.stride();
            EXPECT_NEAR(topLeft[2], GetRValue(colour), 8);
            EXPECT_NEAR(topLeft[0], GetBValue(colour), 8);
        }
    }
    testsupport::EditExtras([&](CaptureExtras& e) { e.png = false; });
    history.modified = 0;
}

// A capture with another hot key queued behind it leaves the picture to the
// last capture of the burst; when that next key writes nothing, the picture
// owed comes with the rows' drawing. Either way the pane ends on the last
// file written, as read from the file.
TEST_F(ImagePaneTest, ACaptureFollowedByAQueuedHotKeyLeavesThePictureToTheLast) {
    Settings& s = settingsStore.settings;
    std::snprintf(s.saveFolder, sizeof s.saveFolder, "%s", folder_->path().c_str());
    s.confirmOverwrite = 0;
    s.jpegMode = 0;
    testsupport::EditFileOptions([&](Capturer::FileOptions& o) {
        o.confirmOverwrite = 0;
        o.jpegMode = 0;
    });
    struct Case {
        const char* name;
        int queuedId;  // 101: no kind, the key writes nothing
        int records;
    };
    for (const Case& c :
         {Case{"the queued key captures", 103, 2}, Case{"the queued key writes nothing", 101, 1}}) {
        SCOPED_TRACE(c.name);
        ReleaseImage();
        history.clearRecords();
        SendMessageA(historyList.window, LVM_DELETEALLITEMS, 0, 0);
        capturer.setNextNumber(1);
        PostMessageA(window_, WM_HOTKEY, static_cast<WPARAM>(c.queuedId), 0);
        SendMessageA(window_, WM_HOTKEY, 103, 0);
        EXPECT_EQ(history.count, 1);
        EXPECT_TRUE(imagePane->picture.empty());
        testsupport::PumpPending();
        ASSERT_EQ(history.count, c.records);
        EXPECT_EQ(historyList.selectedCount(), 1);
        const std::string bytes =
            testsupport::ReadFileBytes(history.records[c.records - 1].imagePath);
        PackedDib fromFile;
        ASSERT_EQ(
            loadBmpBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fromFile),
            BmpLoad::ok);
        const PackedDib& shown = imagePane->picture;
        ASSERT_EQ(shown.size(), fromFile.size());
        EXPECT_EQ(std::memcmp(shown.data(), fromFile.data(), shown.size()), 0);
    }
    history.modified = 0;
}

// A record with a flattened annotated picture beside its own shows that one,
// and the status bar says so; a record without one shows its own and the
// word goes.
TEST_F(ImagePaneTest, AnnotatedRecordShowsItsFlattenedPictureAndTheStatusBarSaysSo) {
    const auto annotationWord = [] {
        char text[64] = {};
        SendMessageA(statusBar.window, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    ASSERT_TRUE(SolidPng(InFolder("shot.png"), 30, 20, 0, 0, 200));
    ASSERT_TRUE(SolidPng(InFolder("shot_ann.png"), 30, 20, 0, 0, 0));
    ASSERT_TRUE(WriteFileBytes(InFolder("shot.png.zan"), "ZAN 1\r\nmask 0 0 29 19 000000\r\n"));
    ASSERT_TRUE(WriteFileBytes(InFolder("plain.bmp"), SolidBmp(30, 20, 0, 200, 0)));
    OpenHistory({"\\shot.png", "\\plain.bmp"});
    Select(0);
    EXPECT_TRUE(ViewShows(10, 10, RGB(0, 0, 0)));
    EXPECT_EQ(annotationWord(), "注釈あり");
    Select(1);
    EXPECT_TRUE(ViewShows(10, 10, RGB(0, 200, 0)));
    EXPECT_EQ(annotationWord(), "");
}

}  // namespace
