#include "view/panes_win.h"

#include <commctrl.h>

#include "app/app_state_win.h"
#include "app/status_bar_win.h"
#include "app/toolbar_win.h"
#include "capture/key_panel_win.h"
#include "history/history_list_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "view/image_view_win.h"
#include "view/pane_layout.h"

extern SettingsStore settingsStore;

ImagePane* imagePane = nullptr;

namespace {

constexpr int kTabId = 2000;
constexpr int kContainerId = 2000;
constexpr int kPaneId = 2001;
const char kListPaneClass[] = "ZELCAP_CLASS_1";
const char kFrameClass[] = "ZELCAP_CLASS_2BS";
const char* const kPageNames[] = {"履歴データ", "設定"};

WNDPROC listViewProc = nullptr;

// The fonts of the panes: the general font's face and size; the tab font
// also takes its weight and slant.
void MakeFont(win::Font& font, TEXTMETRICA& metrics, HWND target, int weight, int italic) {
    const FontEntry& f = settingsStore.settings.generalFont;
    font.reset(CreateFontA(f.pointSize, 0, 0, 0, weight, italic, 0, 0, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                           FIXED_PITCH | FF_MODERN, f.faceName));
    {
        win::WindowDc dc(target);
        win::SelectGuard selected(dc.get(), font.get());
        GetTextMetricsA(dc.get(), &metrics);
    }
    PostMessageA(target, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
}

void RegisterPaneClass(HINSTANCE instance, const char* name, WNDPROC proc) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZELCAP));
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    wc.lpszClassName = name;
    RegisterClassExA(&wc);  // registered before: fine
}

SIZE WindowSize(HWND window) {
    RECT r{};
    if (window)
        GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

int ClientHeight(HWND window) {
    RECT r{};
    if (window)
        GetClientRect(window, &r);
    return r.bottom - r.top;
}

void Move(HWND window, const PaneRect& r) {
    MoveWindow(window, r.x, r.y, r.width, r.height, TRUE);
}

void AnswerTrackLimits(MINMAXINFO* info, const TrackLimits& limits) {
    info->ptMinTrackSize = {limits.minWidth, limits.minHeight};
    info->ptMaxTrackSize = {limits.maxWidth, limits.maxHeight};
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOVE:
        case WM_SIZE:
            if (imagePane && imagePane->frame && imagePane->view) {
                RECT client;
                GetClientRect(window, &client);
                MoveWindow(imagePane->view, 0, 0, client.right, client.bottom, TRUE);
                return 0;
            }
            break;
        case WM_GETMINMAXINFO:
            if (imagePane && imagePane->tabControl) {
                const SIZE c = WindowSize(imagePane->container);
                AnswerTrackLimits(reinterpret_cast<MINMAXINFO*>(lParam),
                                  frameTrackLimits(c.cx, c.cy, GetSystemMetrics(SM_CXFRAME),
                                                   GetSystemMetrics(SM_CYFRAME)));
                return 0;
            }
            break;
        case WM_NCHITTEST:
            return mapEdgeHitTest(
                static_cast<int>(DefWindowProcA(window, message, wParam, lParam)));
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK ListPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (historyList.window) {
                historyList.fitToParent();
                return 0;
            }
            break;
        case WM_ACTIVATE:
            SetFocus(window);
            return 0;
        case WM_GETMINMAXINFO:
            if (imagePane && imagePane->tabControl) {
                const SIZE c = WindowSize(imagePane->container);
                AnswerTrackLimits(reinterpret_cast<MINMAXINFO*>(lParam),
                                  listPaneTrackLimits(c.cx, c.cy, GetSystemMetrics(SM_CXFRAME),
                                                      GetSystemMetrics(SM_CYFRAME),
                                                      GetSystemMetrics(SM_CYHSCROLL)));
                return 0;
            }
            break;
        case WM_NOTIFY:
            historyList.handleNotify(reinterpret_cast<NMHDR*>(lParam));
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Tab in the list hands the focus to the image view.
LRESULT CALLBACK ListTabProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_TAB && imagePane && imagePane->view) {
        SetFocus(imagePane->view);
        return 0;
    }
    return CallWindowProcA(listViewProc, window, message, wParam, lParam);
}

}  // namespace

// ---- the objects ----

void ImagePane::createWindows(HWND tab, HINSTANCE moduleInstance) {
    tabControl = tab;
    instance = moduleInstance;
    container = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, tab,
                                reinterpret_cast<HMENU>(kContainerId), instance, nullptr);
    imagePane = this;
    RegisterPaneClass(instance, kListPaneClass, ListPaneProc);
    listPane = CreateWindowExA(0, kListPaneClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                               container, reinterpret_cast<HMENU>(kPaneId), instance, nullptr);
    RegisterPaneClass(instance, kFrameClass, FrameProc);
    frame =
        CreateWindowExA(WS_EX_CLIENTEDGE, kFrameClass, "", WS_CHILD | WS_VISIBLE | WS_THICKFRAME, 0,
                        0, 10, 10, container, reinterpret_cast<HMENU>(kPaneId), instance, nullptr);
    RegisterPaneClass(instance, kImageViewClass, ImageViewProc);
    view = CreateWindowExA(WS_EX_CLIENTEDGE, kImageViewClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 10,
                           10, frame, reinterpret_cast<HMENU>(kPaneId), instance, nullptr);
    historyList.create(instance, listPane);
    listViewProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        historyList.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListTabProc)));
    ShowWindow(historyList.window, SW_SHOW);
    ShowWindow(container, SW_SHOW);
}

void ImagePane::makeFont() {
    MakeFont(font, metrics, container, 400, 0);
}

void ImagePane::layoutPage() {
    if (!container)
        return;
    if (!fontMade) {
        makeFont();
        fontMade = 1;
    }
    const SIZE c = WindowSize(container);
    const int f = GetSystemMetrics(SM_CYFRAME);
    const ImagePageLayout layout =
        layoutImagePage(c.cx, c.cy, f, WindowSize(frame).cy, layoutDone != 0);
    if (layout.placeListPane)
        Move(listPane, layout.listPane);
    Move(frame, layout.frame);
    layoutDone = 1;
}

void KeyPanelHost::createWindows(HWND tab, HINSTANCE instance) {
    tabControl = tab;
    container = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, tab,
                                reinterpret_cast<HMENU>(kContainerId), instance, nullptr);
    keyPanel = CreateKeyPanel(instance, container);
    if (keyPanel)
        ShowWindow(keyPanel, SW_SHOW);
    ShowWindow(container, SW_HIDE);
}

void KeyPanelHost::makeFont() {
    MakeFont(font, metrics, container, 400, 0);
}

void TabHost::makeFont() {
    const FontEntry& f = settingsStore.settings.generalFont;
    MakeFont(font, metrics, tabControl, f.weight, f.italic);
}

// ---- the operations ----

HWND CreatePanes(HWND mainWindow, HINSTANCE instance) {
    tabHost.mainWindow = mainWindow;
    tabHost.instance = instance;
    tabHost.tabControl =
        CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 4, 4,
                        mainWindow, reinterpret_cast<HMENU>(kTabId), instance, nullptr);
    if (!tabHost.tabControl)
        return nullptr;
    tabHost.imagePane.createWindows(tabHost.tabControl, instance);
    tabHost.keyPanelHost.createWindows(tabHost.tabControl, instance);
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(kPageNames[i]);
        SendMessageA(tabHost.tabControl, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    return tabHost.tabControl;
}

void LayoutPanes(HWND mainWindow, WPARAM sizeType, LPARAM) {
    if (!tabHost.tabControl)
        return;
    if (!tabHost.fontMade) {
        tabHost.makeFont();
        tabHost.keyPanelHost.makeFont();
        tabHost.fontMade = 1;
    }
    if (sizeType == SIZE_MINIMIZED)
        return;
    RECT client;
    GetClientRect(mainWindow, &client);
    const int f = GetSystemMetrics(SM_CYFRAME), e = GetSystemMetrics(SM_CYEDGE);
    Move(tabHost.tabControl,
         tabControlRect(client.right, client.bottom, ClientHeight(toolbar.window),
                        ClientHeight(statusBar.window), f, e));
    const SIZE t = WindowSize(tabHost.tabControl);
    const PaneRect page = pageContainerRect(t.cx, t.cy, f, tabHost.metrics.tmHeight);
    Move(tabHost.imagePane.container, page);
    Move(tabHost.keyPanelHost.container, page);
    tabHost.imagePane.layoutPage();
}

void ShowPage() {
    const bool history = TabCtrl_GetCurSel(tabHost.tabControl) == 0;
    ShowWindow(tabHost.imagePane.container, history ? SW_SHOW : SW_HIDE);
    ShowWindow(tabHost.keyPanelHost.container, history ? SW_HIDE : SW_SHOW);
    InvalidateRect(tabHost.tabControl, nullptr, TRUE);
}

void PanesNotify(NMHDR* header) {
    if (header && header->hwndFrom == tabHost.tabControl && header->code == TCN_SELCHANGE)
        ShowPage();
}
