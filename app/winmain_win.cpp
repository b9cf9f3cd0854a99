// The program's entry point. Without arguments it is the program with its
// window; with arguments, a scripted call to that window.
#include <windows.h>

#include "app/main_window_win.h"
#include "app/script_client_win.h"
#include "app/script_host_win.h"
#include "base/app_state_win.h"
#include "resources/resource_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    appState.instance = instance;
    if (script_client::HasArguments())
        return script_client::Run();
    RegisterMainWindowClass(instance);
    if (!CreateMainWindow(instance, showCommand))
        return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    script_host::Ready();
    return RunMessageLoop(appState.mainWindow, accelerators);
}
