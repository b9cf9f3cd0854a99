// Enabling and greying menu commands, in the menu bar and in pop-up menus.
#pragma once

#include <windows.h>

inline void EnableMenuCommand(HMENU menu, UINT id, bool enabled) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// A command of the window's menu bar.
inline void EnableMenuCommand(HWND window, UINT id, bool enabled) {
    EnableMenuCommand(GetMenu(window), id, enabled);
}
