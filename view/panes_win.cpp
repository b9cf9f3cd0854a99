#include "view/panes_win.h"

#include <commctrl.h>

#include "app/app_state_win.h"
#include "app/status_bar_win.h"
#include "app/toolbar_win.h"

namespace {
const char* const kPageNames[] = {"履歴データ", "設定"};
}

HWND CreatePanes(HWND mainWindow, HINSTANCE instance) {
    HWND tab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                               0, 0, mainWindow, nullptr, instance, nullptr);
    if (!tab)
        return nullptr;
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(kPageNames[i]);
        SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    return tab;
}

void LayoutPanes(HWND mainWindow, WPARAM sizeType, LPARAM) {
    if (sizeType == SIZE_MINIMIZED || !appState.tabControl)
        return;
    RECT client;
    GetClientRect(mainWindow, &client);
    if (toolbar.window) {
        RECT bar;
        GetWindowRect(toolbar.window, &bar);
        client.top += bar.bottom - bar.top;
    }
    if (statusBar.window) {
        RECT bar;
        GetWindowRect(statusBar.window, &bar);
        client.bottom -= bar.bottom - bar.top;
    }
    MoveWindow(appState.tabControl, client.left, client.top, client.right - client.left,
               client.bottom > client.top ? client.bottom - client.top : 0, TRUE);
}
