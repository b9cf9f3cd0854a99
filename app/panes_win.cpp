#include "app/panes_win.h"

#include <commctrl.h>

#include "app/status_bar_win.h"
#include "app/toolbar_win.h"
#include "base/app_messages_win.h"
#include "capture/key_panel_win.h"
#include "history/history_list_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "view/image_view_win.h"
#include "view/pane_layout.h"

namespace {

constexpr int kTabId = 2000;
constexpr int kContainerId = 2000;
constexpr int kPaneId = 2001;
const char kListPaneClass[] = "ZELCAP_CLASS_1";
const char* const kPageNames[] = {"履歴データ", "設定"};

WNDPROC listViewProc = nullptr;

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

int ClientHeight(HWND window) {
    RECT r{};
    if (window)
        GetClientRect(window, &r);
    return r.bottom - r.top;
}

void Move(HWND window, const PaneRect& r) {
    MoveWindow(window, r.x, r.y, r.width, r.height, TRUE);
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
                const SIZE c = PaneWindowSize(imagePane->container);
                AnswerTrackLimits(reinterpret_cast<MINMAXINFO*>(lParam),
                                  listPaneTrackLimits(c.cx, c.cy, GetSystemMetrics(SM_CXFRAME),
                                                      GetSystemMetrics(SM_CYFRAME),
                                                      GetSystemMetrics(SM_CYHSCROLL)));
                return 0;
            }
            break;
        case WM_NOTIFY: {
            NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
            // Custom drawing answers with its return value.
            if (header->code == static_cast<UINT>(NM_CUSTOMDRAW))
                return historyList.customDraw(header);
            historyList.handleNotify(header);
            return 0;
        }
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

// The history page: its windows, and the history list in the list pane,
// whose control the image view is handed.
void CreateHistoryPage(ImagePane& pane, HWND tab, HINSTANCE instance) {
    pane.tabControl = tab;
    pane.instance = instance;
    pane.container = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, tab,
                                     reinterpret_cast<HMENU>(kContainerId), instance, nullptr);
    imagePane = &pane;
    RegisterPaneClass(instance, kListPaneClass, ListPaneProc);
    pane.listPane =
        CreateWindowExA(0, kListPaneClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, pane.container,
                        reinterpret_cast<HMENU>(kPaneId), instance, nullptr);
    RegisterPaneClass(instance, kImageFrameClass, ImageFrameProc);
    pane.frame = CreateWindowExA(
        WS_EX_CLIENTEDGE, kImageFrameClass, "", WS_CHILD | WS_VISIBLE | WS_THICKFRAME, 0, 0, 10, 10,
        pane.container, reinterpret_cast<HMENU>(kPaneId), instance, nullptr);
    RegisterPaneClass(instance, kImageViewClass, ImageViewProc);
    pane.view =
        CreateWindowExA(WS_EX_CLIENTEDGE, kImageViewClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                        pane.frame, reinterpret_cast<HMENU>(kPaneId), instance, nullptr);
    pane.list = historyList.create(instance, pane.listPane);
    listViewProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        historyList.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListTabProc)));
    ShowWindow(historyList.window, SW_SHOW);
    ShowWindow(pane.container, SW_SHOW);
}

}  // namespace

// ---- the objects ----

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
    MakePaneFont(font, metrics, container, 400, 0);
}

void TabHost::makeFont() {
    const FontEntry& f = settingsStore.settings.generalFont;
    MakePaneFont(font, metrics, tabControl, f.weight, f.italic);
    // The window has usually been painted with the old font by the time the
    // tab control takes the new one; its strip is repainted after that.
    PostMessageA(mainWindow, UWM_REPAINT_TABS, 0, 0);
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
    CreateHistoryPage(tabHost.imagePane, tabHost.tabControl, instance);
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
    const SIZE t = PaneWindowSize(tabHost.tabControl);
    const PaneRect page = pageContainerRect(t.cx, t.cy, f, tabHost.metrics.tmHeight);
    Move(tabHost.imagePane.container, page);
    Move(tabHost.keyPanelHost.container, page);
    tabHost.imagePane.layoutPage();
}

void RepaintTabStrip() {
    if (!tabHost.tabControl || !tabHost.imagePane.container)
        return;
    // Only the strip above the pages: the tab control does not clip its
    // children, so erasing more would wipe the pages without repainting them.
    RECT strip, page;
    GetClientRect(tabHost.tabControl, &strip);
    GetWindowRect(tabHost.imagePane.container, &page);
    MapWindowPoints(nullptr, tabHost.tabControl, reinterpret_cast<POINT*>(&page), 2);
    strip.bottom = page.top;
    InvalidateRect(tabHost.tabControl, &strip, TRUE);
}

void ShowPage() {
    const bool history = TabCtrl_GetCurSel(tabHost.tabControl) == 0;
    ShowWindow(tabHost.imagePane.container, history ? SW_SHOW : SW_HIDE);
    ShowWindow(tabHost.keyPanelHost.container, history ? SW_HIDE : SW_SHOW);
    // The strip alone: the pages repaint themselves as they are shown, and
    // the whole control, which does not clip them, took Wine over a second
    // to paint beside a list of 1000 rows.
    RepaintTabStrip();
}

void PanesNotify(NMHDR* header) {
    if (header && header->hwndFrom == tabHost.tabControl && header->code == TCN_SELCHANGE)
        ShowPage();
}
