#include "app/retest_guide_win.h"

#include <algorithm>
#include <string>

#include "app/retest_road_win.h"
#include "base/app_state_win.h"
#include "base/win_handles_win.h"
#include "history/case_dialog_win.h"
#include "view/packed_dib.h"
#include "view/picture_window_win.h"

namespace retest_guide {

namespace {

const char kClass[] = "ZelcapRetestGuide";
// The client area: wide enough for a heading and two lines of expected
// result in Wine's Japanese fonts, which run wider than Windows' own.
constexpr int kClientWidth = 520;
constexpr int kClientHeight = 420;
constexpr int kMargin = 6;

HWND guide = nullptr;
win::Font font;
PackedDib picture;
retest_road::GuideStep shownStep;
bool hasStep = false;

void LoadStep() {
    const CaseSettings s = LoadCaseSettings();
    hasStep = retest_road::GuideForStep(s.currentTestId, std::to_string(s.nextStep), shownStep);
    picture.reset();
    if (hasStep)
        picture_window::LoadPictureFile(shownStep.picture, picture);
    if (guide) {
        SetWindowTextA(guide, hasStep ? shownStep.title.c_str() : "基準のガイド");
        InvalidateRect(guide, nullptr, TRUE);
    }
}

// The texts at the top, the picture scaled into the rest, its sides kept.
void Paint(HWND window, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font.get()) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    std::string text = hasStep ? "見出し: " + shownStep.heading + "\r\n期待結果: " + shownStep.expected
                               : std::string("基準にこの手順はありません（試験項目番号と手順を確かめてください）");
    RECT box{kMargin, kMargin, client.right - kMargin, client.bottom};
    DrawTextA(dc, text.c_str(), -1, &box, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    box.right = client.right - kMargin;
    DrawTextA(dc, text.c_str(), -1, &box, DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    if (picture.empty())
        return;
    const int top = box.bottom + kMargin;
    const int width = client.right - 2 * kMargin, height = client.bottom - top - kMargin;
    if (width <= 0 || height <= 0)
        return;
    const double scale = std::min(static_cast<double>(width) / picture.width(),
                                  static_cast<double>(height) / picture.height());
    const int w = std::max(1, static_cast<int>(picture.width() * scale));
    const int h = std::max(1, static_cast<int>(picture.height() * scale));
    SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, kMargin, top, w, h, 0, 0, picture.width(), picture.height(), picture.bits(),
                  reinterpret_cast<const BITMAPINFO*>(picture.data()), DIB_RGB_COLORS, SRCCOPY);
}

LRESULT CALLBACK GuideProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            Paint(window, dc);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE || wParam == VK_F7) {
                DestroyWindow(window);
                return 0;
            }
            break;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            guide = nullptr;
            picture.reset();
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND Create(HWND owner) {
    HINSTANCE instance = appState.instance ? appState.instance : GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = GuideProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClass;
    RegisterClassExA(&wc);  // registered before: fine
    if (!font)
        font.reset(picture_window::CreateMessageFont());
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    const DWORD exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    RECT r{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // The top right corner, where the program under test is least likely
    // to have what the tester works on.
    return CreateWindowExA(exStyle, kClass, "基準のガイド", style, work.right - (r.right - r.left),
                           work.top, r.right - r.left, r.bottom - r.top, owner, nullptr, instance,
                           nullptr);
}

}  // namespace

void Toggle(HWND mainWindow) {
    if (guide) {
        Close();
        return;
    }
    if (!retest_road::Active())
        return;
    guide = Create(mainWindow);
    if (!guide)
        return;
    LoadStep();
    // The program under test keeps the focus.
    ShowWindow(guide, SW_SHOWNOACTIVATE);
}

void Refresh() {
    if (guide)
        LoadStep();
}

bool Shown() {
    return guide != nullptr;
}

void Close() {
    if (guide)
        DestroyWindow(guide);
    guide = nullptr;
}

}  // namespace retest_guide
