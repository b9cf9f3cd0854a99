// The global application state that every subsystem reads.
#pragma once

#include <windows.h>

struct AppState {
    static constexpr int recordMaximum = 1000;

    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND tabControl = nullptr;
    HMODULE richEditModule = nullptr;
    DWORD_PTR helpCookie = 0;
    int captureBusy = 0;
};

extern AppState appState;
