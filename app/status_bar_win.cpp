#include "app/status_bar_win.h"

#include <commctrl.h>

HWND StatusBar::create(HWND mainWindow, HINSTANCE instance) {
    window =
        CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                        mainWindow, reinterpret_cast<HMENU>(kControlId), instance, nullptr);
    return window;
}

void StatusBar::setText(const char* text) {
    if (window)
        SendMessageA(window, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

void StatusBar::setAnnotated(bool annotated) {
    if (window)
        SendMessageA(window, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(annotated ? "注釈あり" : ""));
}

void StatusBar::setPictureStatus(const char* text) {
    if (window)
        SendMessageA(window, SB_SETTEXTA, 2, reinterpret_cast<LPARAM>(text));
}

void StatusBar::onSize(WPARAM sizeType, LPARAM size) {
    if (!window)
        return;
    const int width = LOWORD(size);
    int edges[3] = {width / 3, 2 * width / 3, width};
    SendMessageA(window, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    SendMessageA(window, WM_SIZE, sizeType, size);
}
