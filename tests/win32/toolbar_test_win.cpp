// The toolbar on a plain parent window of its own, which answers tooltip
// requests and records commands as the main window does.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/toolbar_win.h"
#include "resources/resource_ids.h"
#include "tests/win32/support/win_test_support.h"

namespace {

constexpr char kParentClass[] = "ZELCAP_TOOLBAR_TEST";

// Where each table button sits on the bar, after the separators.
constexpr int kBarPosition[Toolbar::kButtonCount] = {0, 1, 2, 4, 5, 6, 7, 9, 11};
constexpr int kBarSize = 12;

struct ButtonText {
    UINT command;
    const char* text;
};
const ButtonText kTips[Toolbar::kButtonCount] = {
    {IDM_FILE_NEW, "新規作成"},         {IDM_FILE_OPEN, "ファイルを開く"},
    {IDM_FILE_SAVE, "上書きして保存"},  {IDM_EDIT_HEADINGS, "履歴編集"},
    {IDM_EDIT_DELETE, "履歴削除"},      {IDM_EDIT_MOVE_UP, "履歴上移動"},
    {IDM_EDIT_MOVE_DOWN, "履歴下移動"}, {IDM_CAPTURE_TOGGLE, "キャプチャー"},
    {IDM_REPORT, "レポート(HTML)出力"},
};

// What the parent saw of a command: its id and the capture button's state
// at that moment.
struct CommandSeen {
    int id;
    int captureState;
};
bool operator==(const CommandSeen& a, const CommandSeen& b) {
    return a.id == b.id && a.captureState == b.captureState;
}
std::ostream& operator<<(std::ostream& out, const CommandSeen& c) {
    return out << "{" << c.id << ", state " << c.captureState << "}";
}

const Toolbar* parentsToolbar = nullptr;
std::vector<CommandSeen> commandsSeen;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && parentsToolbar) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == TTN_NEEDTEXTA) {
            auto* request = reinterpret_cast<NMTTDISPINFOA*>(lParam);
            request->hinst = GetModuleHandleA(nullptr);
            parentsToolbar->tooltipText(static_cast<UINT>(header->idFrom), request);
            return 0;
        }
    }
    if (message == WM_COMMAND && parentsToolbar) {
        commandsSeen.push_back(
            {LOWORD(wParam), parentsToolbar->getButtonState(Toolbar::kCaptureButton)});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Bitmap 131 as the program's resources hold it.
struct Strip {
    const BITMAPINFOHEADER* header = nullptr;
    const RGBQUAD* palette = nullptr;
    const BYTE* bits = nullptr;

    static Strip Load() {
        Strip strip;
        HMODULE module = GetModuleHandleA(nullptr);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDB_TOOLBAR), MAKEINTRESOURCEA(2));
        if (!found)
            return strip;
        auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
        strip.header = reinterpret_cast<const BITMAPINFOHEADER*>(data);
        strip.palette = reinterpret_cast<const RGBQUAD*>(data + strip.header->biSize);
        strip.bits = data + strip.header->biSize + 16 * sizeof(RGBQUAD);
        return strip;
    }
    // Palette index of a pixel, top row 0.
    int index(int x, int y) const {
        const int stride = ((header->biWidth * 4 + 31) / 32) * 4;
        const BYTE pair = bits[(header->biHeight - 1 - y) * stride + x / 2];
        return x % 2 ? pair & 0x0F : pair >> 4;
    }
    COLORREF colour(int x, int y) const {
        const RGBQUAD& q = palette[index(x, y)];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
};

constexpr int kBackgroundIndex = 7;  // light grey, the classic button face
constexpr int kShadowIndex = 8;      // dark grey, the classic button shadow

class ToolbarTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSA wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kParentClass;
        RegisterClassA(&wc);
    }

    void SetUp() override {
        parent_ =
            CreateWindowExA(0, kParentClass, "toolbar", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500,
                            200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
        toolbar_ = std::make_unique<Toolbar>();
        ASSERT_NE(toolbar_->create(parent_, GetModuleHandleA(nullptr)), nullptr);
        ASSERT_EQ(toolbar_->window, GetWindow(parent_, GW_CHILD));
        parentsToolbar = toolbar_.get();
        commandsSeen.clear();
        testsupport::PumpPending();
    }

    void TearDown() override {
        parentsToolbar = nullptr;
        if (parent_)
            DestroyWindow(parent_);
        testsupport::PumpPending();
        toolbar_.reset();
    }

    TBBUTTON BarButton(int position) const {
        TBBUTTON button{};
        SendMessageA(toolbar_->window, TB_GETBUTTON, position, reinterpret_cast<LPARAM>(&button));
        return button;
    }

    // Clicks the button at a bar position as the mouse would.
    void Click(int position) {
        RECT r{};
        SendMessageA(toolbar_->window, TB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(toolbar_->window, WM_MOUSEMOVE, 0, at);
        SendMessageA(toolbar_->window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(toolbar_->window, WM_LBUTTONUP, 0, at);
        testsupport::PumpPending();
    }

    int ToolbarWidth() const {
        RECT r;
        GetWindowRect(toolbar_->window, &r);
        return r.right - r.left;
    }

    HWND parent_ = nullptr;
    std::unique_ptr<Toolbar> toolbar_;
};

TEST_F(ToolbarTest, BarHoldsTheNineButtonsAndThreeSeparatorsInOrder) {
    ASSERT_EQ(SendMessageA(toolbar_->window, TB_BUTTONCOUNT, 0, 0), kBarSize);
    const int expected[kBarSize] = {IDM_FILE_NEW,
                                    IDM_FILE_OPEN,
                                    IDM_FILE_SAVE,
                                    0,
                                    IDM_EDIT_HEADINGS,
                                    IDM_EDIT_DELETE,
                                    IDM_EDIT_MOVE_UP,
                                    IDM_EDIT_MOVE_DOWN,
                                    0,
                                    IDM_CAPTURE_TOGGLE,
                                    0,
                                    IDM_REPORT};
    for (int position = 0; position < kBarSize; ++position) {
        const TBBUTTON b = BarButton(position);
        EXPECT_EQ(b.idCommand, expected[position]) << position;
        const bool separator = position == 3 || position == 8 || position == 10;
        EXPECT_EQ((b.fsStyle & BTNS_SEP) != 0, separator) << position;
    }

    const LONG style = GetWindowLongA(toolbar_->window, GWL_STYLE);
    EXPECT_EQ(style & (TBSTYLE_TOOLTIPS | TBSTYLE_FLAT), TBSTYLE_TOOLTIPS | TBSTYLE_FLAT);
    EXPECT_EQ(GetDlgCtrlID(toolbar_->window), 0);
}

TEST_F(ToolbarTest, ButtonsUseTheStandardFileImagesThenTheStripInOrder) {
    EXPECT_EQ(BarButton(0).iBitmap, STD_FILENEW);
    EXPECT_EQ(BarButton(1).iBitmap, STD_FILEOPEN);
    EXPECT_EQ(BarButton(2).iBitmap, STD_FILESAVE);

    auto images =
        reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar_->window, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    const int first = BarButton(kBarPosition[3]).iBitmap;
    EXPECT_GT(first, STD_FILESAVE);
    EXPECT_EQ(ImageList_GetImageCount(images), first + 6);

    // Each own button shows its image of the strip. The greys follow the
    // 3-D colours, so the background is the face and drawn transparent:
    // draw each image over a colour of its own and compare every pixel.
    const Strip strip = Strip::Load();
    ASSERT_NE(strip.header, nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -15, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* raw = nullptr;
    win::Bitmap canvas(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0));
    ASSERT_TRUE(canvas);
    win::MemoryDc dc(CreateCompatibleDC(nullptr));
    win::SelectGuard select(dc.get(), canvas.get());
    auto* pixels = static_cast<DWORD*>(raw);
    constexpr DWORD kUnder = 0x00123456;  // in no image and no 3-D colour
    for (int k = 0; k < 6; ++k) {
        const TBBUTTON b = BarButton(kBarPosition[3 + k]);
        EXPECT_EQ(b.iBitmap, first + k) << k;
        std::fill(pixels, pixels + 16 * 15, kUnder);
        ASSERT_TRUE(ImageList_Draw(images, b.iBitmap, dc.get(), 0, 0, ILD_NORMAL));
        GdiFlush();
        int wrongImage = 0, boxed = 0;
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 16; ++x) {
                const DWORD p = pixels[y * 16 + x] & 0xFFFFFF;
                const COLORREF drawn = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
                switch (strip.index(16 * k + x, y)) {
                    case kBackgroundIndex:
                        boxed += p != kUnder;
                        break;
                    case kShadowIndex:
                        wrongImage += drawn != GetSysColor(COLOR_3DSHADOW);
                        break;
                    default:
                        wrongImage += drawn != strip.colour(16 * k + x, y);
                }
            }
        }
        EXPECT_EQ(wrongImage, 0) << "image " << k;
        EXPECT_EQ(boxed, 0) << "image " << k;
    }
}

TEST_F(ToolbarTest, StartStatesSaveGreyedCaptureAnUncheckedCheckButton) {
    for (int i = 0; i < Toolbar::kButtonCount; ++i) {
        const TBBUTTON b = BarButton(kBarPosition[i]);
        const BYTE state = i == Toolbar::kSaveButton ? TBSTATE_INDETERMINATE : TBSTATE_ENABLED;
        EXPECT_EQ(b.fsState, state) << i;
        EXPECT_EQ(toolbar_->getButtonState(i), state) << i;
        const BYTE style = i == Toolbar::kCaptureButton ? BTNS_CHECK : BTNS_BUTTON;
        EXPECT_EQ(b.fsStyle, style) << i;
    }
}

TEST_F(ToolbarTest, StatesRoundTripAndReachOnlyTheButtonOfThatCommand) {
    for (int index : {Toolbar::kCaptureButton, Toolbar::kSaveButton}) {
        for (BYTE state :
             {Toolbar::kChecked, Toolbar::kEnabled, Toolbar::kGreyed, Toolbar::kChecked}) {
            toolbar_->setButtonState(index, state);
            EXPECT_EQ(toolbar_->getButtonState(index), state) << index;
            EXPECT_EQ(BarButton(kBarPosition[index]).fsState, state) << index;
        }
    }

    // The separators lie between table index and bar position: greying one
    // button at a time must change that button's bar slot and nothing else.
    BYTE before[kBarSize];
    for (int position = 0; position < kBarSize; ++position)
        before[position] = BarButton(position).fsState;
    for (int i = 0; i < Toolbar::kButtonCount; ++i) {
        const BYTE other =
            before[kBarPosition[i]] == Toolbar::kGreyed ? Toolbar::kEnabled : Toolbar::kGreyed;
        toolbar_->setButtonState(i, other);
        for (int position = 0; position < kBarSize; ++position) {
            const BYTE expected = position == kBarPosition[i] ? other : before[position];
            EXPECT_EQ(BarButton(position).fsState, expected)
                << "button " << i << " at " << position;
        }
        toolbar_->setButtonState(i, before[kBarPosition[i]]);
    }

    // No such button: nothing is read or changed.
    EXPECT_EQ(toolbar_->getButtonState(Toolbar::kButtonCount), -1);
    EXPECT_EQ(toolbar_->getButtonState(-1), -1);
    toolbar_->setButtonState(Toolbar::kButtonCount, Toolbar::kGreyed);
    for (int position = 0; position < kBarSize; ++position)
        EXPECT_EQ(BarButton(position).fsState, before[position]) << position;
}

// The main window reads the capture button's state when its command
// arrives, so the toggle must already have happened by then.
TEST_F(ToolbarTest, CaptureButtonIsToggledBeforeItsCommandArrives) {
    Click(kBarPosition[Toolbar::kCaptureButton]);
    Click(kBarPosition[Toolbar::kCaptureButton]);
    const std::vector<CommandSeen> expected = {{IDM_CAPTURE_TOGGLE, Toolbar::kChecked},
                                               {IDM_CAPTURE_TOGGLE, Toolbar::kEnabled}};
    EXPECT_EQ(commandsSeen, expected);

    // A greyed button gives no command.
    toolbar_->setButtonState(Toolbar::kReportButton, Toolbar::kGreyed);
    Click(kBarPosition[Toolbar::kReportButton]);
    EXPECT_EQ(commandsSeen.size(), 2u);
    toolbar_->setButtonState(Toolbar::kReportButton, Toolbar::kEnabled);
    Click(kBarPosition[Toolbar::kReportButton]);
    ASSERT_EQ(commandsSeen.size(), 3u);
    EXPECT_EQ(commandsSeen[2].id, IDM_REPORT);
}

TEST_F(ToolbarTest, TooltipTextsForTheNineCommandsOnly) {
    for (const ButtonText& tip : kTips) {
        NMTTDISPINFOA request{};
        char unchanged[] = "unchanged";
        request.lpszText = unchanged;
        toolbar_->tooltipText(tip.command, &request);
        EXPECT_STREQ(request.lpszText, tip.text) << tip.command;
    }

    // Not a button's command (a separator's 0, menu-only commands): the
    // request is left exactly as it came.
    for (UINT id : {0u, static_cast<UINT>(IDM_FILE_SAVE_AS), static_cast<UINT>(IDM_CAPTURE_START),
                    static_cast<UINT>(IDM_EXIT)}) {
        NMTTDISPINFOA request;
        std::memset(&request, 0x5A, sizeof request);
        NMTTDISPINFOA copy;
        std::memcpy(&copy, &request, sizeof copy);
        toolbar_->tooltipText(id, &request);
        EXPECT_EQ(std::memcmp(&request, &copy, sizeof request), 0) << id;
    }
}

// The way a hover gets its text: the tooltip asks the toolbar, which asks
// the parent with TTN_NEEDTEXTA and the command id.
TEST_F(ToolbarTest, TooltipControlShowsTheTextsTheParentSupplies) {
    auto tips = reinterpret_cast<HWND>(SendMessageA(toolbar_->window, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr);
    for (const ButtonText& tip : kTips) {
        char text[80] = "none";
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = toolbar_->window;
        tool.uId = tip.command;
        tool.lpszText = text;
        SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        EXPECT_STREQ(text, tip.text) << tip.command;
    }
}

TEST_F(ToolbarTest, SizeMessageStretchesTheBarAcrossTheTop) {
    for (int width : {640, 320}) {
        SetWindowPos(parent_, nullptr, 0, 0, width, 200, SWP_NOZORDER | SWP_NOMOVE);
        RECT client;
        GetClientRect(parent_, &client);
        // The plain parent passes nothing on by itself.
        ASSERT_NE(ToolbarWidth(), client.right) << width;
        toolbar_->onSize(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        EXPECT_EQ(ToolbarWidth(), client.right) << width;
        RECT bar;
        GetWindowRect(toolbar_->window, &bar);
        MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&bar), 2);
        EXPECT_EQ(bar.top, 0);
        EXPECT_EQ(bar.left, 0);
    }
}

TEST_F(ToolbarTest, OwnedBitmapIsTheStripAndGoesWithTheObject) {
    HBITMAP owned = toolbar_->bitmap.get();
    ASSERT_EQ(GetObjectType(owned), static_cast<DWORD>(OBJ_BITMAP));
    BITMAP b{};
    ASSERT_EQ(GetObjectA(owned, sizeof b, &b), static_cast<int>(sizeof b));
    EXPECT_EQ(b.bmWidth, 96);
    EXPECT_EQ(b.bmHeight, 15);

    toolbar_.reset();  // the bar itself is still there
    EXPECT_EQ(GetObjectType(owned), 0u);
}

TEST(ToolbarBitmap, StripIsSixImagesOf16By15In16VgaColoursOnButtonFace) {
    const Strip strip = Strip::Load();
    ASSERT_NE(strip.header, nullptr);
    EXPECT_EQ(strip.header->biWidth, 96);
    EXPECT_EQ(strip.header->biHeight, 15);
    EXPECT_EQ(strip.header->biBitCount, 4);
    EXPECT_EQ(strip.header->biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_TRUE(strip.header->biClrUsed == 0 || strip.header->biClrUsed == 16);

    const COLORREF vga[16] = {
        RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
        RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
        RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
        RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
    };
    for (int i = 0; i < 16; ++i) {
        const RGBQUAD& q = strip.palette[i];
        EXPECT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), vga[i]) << i;
    }

    // Every image stands on the button face, which shows at its corners (a
    // toolbar may take its mask colour from the top-left one), and draws
    // something of its own, different from the others.
    std::vector<std::string> images;
    for (int k = 0; k < 6; ++k) {
        for (int x : {0, 15})
            for (int y : {0, 14})
                EXPECT_EQ(strip.index(16 * k + x, y), kBackgroundIndex)
                    << k << ": " << x << "," << y;
        std::string image;
        int drawn = 0;
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int index = strip.index(16 * k + x, y);
                image += static_cast<char>('a' + index);
                drawn += index != kBackgroundIndex;
            }
        }
        EXPECT_GT(drawn, 20) << k;
        EXPECT_LT(drawn, 16 * 15 - 20) << k;
        for (const std::string& earlier : images)
            EXPECT_NE(image, earlier) << k;
        images.push_back(image);
    }
}

}  // namespace
