#include "view/panes_win.h"

#include <commctrl.h>

#include "app/app_state_win.h"
#include "app/status_bar_win.h"
#include "app/toolbar_win.h"
#include "app/win_handles_win.h"
#include "history/history_list_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

extern SettingsStore settingsStore;

namespace {

constexpr int kTabId = 2000;
constexpr int kContainerId = 2000;
constexpr int kPaneId = 2001;
const char kListPaneClass[] = "ZELCAP_CLASS_1";
const char* const kPageNames[] = {"履歴データ", "設定"};

// The windows of the history page, and the tab font.
struct Panes {
    HWND tab = nullptr;
    HWND historyPage = nullptr;
    HWND listPane = nullptr;
    win::Font tabFont;
    TEXTMETRICA tabMetrics{};
    int fontMade = 0;
} panes;

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
        case WM_NOTIFY:
            historyList.handleNotify(reinterpret_cast<NMHDR*>(lParam));
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
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
    RegisterClassExA(&wc);  // already registered: fine
}

void MakeTabFont() {
    const FontEntry& f = settingsStore.settings.generalFont;
    panes.tabFont.reset(CreateFontA(f.pointSize, 0, 0, 0, f.weight, f.italic, 0, 0,
                                    SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    PROOF_QUALITY, FIXED_PITCH | FF_MODERN, f.faceName));
    win::WindowDc dc(panes.tab);
    win::SelectGuard selected(dc.get(), panes.tabFont.get());
    GetTextMetricsA(dc.get(), &panes.tabMetrics);
    PostMessageA(panes.tab, WM_SETFONT, reinterpret_cast<WPARAM>(panes.tabFont.get()), FALSE);
}

int ClientHeight(HWND window) {
    RECT r{};
    if (window)
        GetClientRect(window, &r);
    return r.bottom - r.top;
}

}  // namespace

HWND CreatePanes(HWND mainWindow, HINSTANCE instance) {
    panes = Panes{};
    panes.tab =
        CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 4, 4,
                        mainWindow, reinterpret_cast<HMENU>(kTabId), instance, nullptr);
    if (!panes.tab)
        return nullptr;
    panes.historyPage =
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, panes.tab,
                        reinterpret_cast<HMENU>(kContainerId), instance, nullptr);
    RegisterPaneClass(instance, kListPaneClass, ListPaneProc);
    panes.listPane =
        CreateWindowExA(0, kListPaneClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                        panes.historyPage, reinterpret_cast<HMENU>(kPaneId), instance, nullptr);
    historyList.create(instance, panes.listPane);
    ShowWindow(historyList.window, SW_SHOW);
    ShowWindow(panes.historyPage, SW_SHOW);
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(kPageNames[i]);
        SendMessageA(panes.tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    return panes.tab;
}

void LayoutPanes(HWND mainWindow, WPARAM sizeType, LPARAM) {
    if (!panes.tab)
        return;
    if (!panes.fontMade) {
        MakeTabFont();
        panes.fontMade = 1;
    }
    if (sizeType == SIZE_MINIMIZED)
        return;
    const int f = GetSystemMetrics(SM_CYFRAME), e = GetSystemMetrics(SM_CYEDGE);
    RECT client;
    GetClientRect(mainWindow, &client);
    const int toolbarHeight = ClientHeight(toolbar.window);
    const int statusHeight = ClientHeight(statusBar.window);
    const int top = toolbarHeight + f + e;
    MoveWindow(panes.tab, e, top, client.right - f - e, client.bottom - top - f - e - statusHeight,
               TRUE);
    const int header = 3 * f + panes.tabMetrics.tmHeight;
    RECT t;
    GetWindowRect(panes.tab, &t);
    const int width = t.right - t.left - 2 * f, height = t.bottom - t.top - header - 2 * f;
    MoveWindow(panes.historyPage, f, header + f, width, height, TRUE);
    // Until the image pane shares the page, the list has all of it.
    MoveWindow(panes.listPane, 0, 0, width, height, TRUE);
}

void ShowPage() {
    const bool history = TabCtrl_GetCurSel(panes.tab) == 0;
    ShowWindow(panes.historyPage, history ? SW_SHOW : SW_HIDE);
    InvalidateRect(panes.tab, nullptr, TRUE);
}

void PanesNotify(NMHDR* header) {
    if (header && header->hwndFrom == panes.tab && header->code == TCN_SELCHANGE)
        ShowPage();
}
