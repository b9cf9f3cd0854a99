// The program's entry point. The command line is not used.
#include <windows.h>

#include "base/app_state_win.h"
#include "app/main_window_win.h"
#include "resources/resource_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    appState.instance = instance;
    RegisterMainWindowClass(instance);
    if (!CreateMainWindow(instance, showCommand))
        return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    return RunMessageLoop(appState.mainWindow, accelerators);
}
