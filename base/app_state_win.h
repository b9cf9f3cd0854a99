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

// The capture road is busy while one of these lives: a hot key that comes
// meanwhile (while a message box of the road is up, say) is ignored.
class CaptureBusyScope {
  public:
    CaptureBusyScope() { appState.captureBusy = 1; }
    ~CaptureBusyScope() { appState.captureBusy = 0; }
    CaptureBusyScope(const CaptureBusyScope&) = delete;
    CaptureBusyScope& operator=(const CaptureBusyScope&) = delete;
};
