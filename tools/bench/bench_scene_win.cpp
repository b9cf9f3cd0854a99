// Covers the screen with the busy picture for the hot-key bursts, from a
// process of its own, so that Zelcap and the floor capture the same pixels.
// It has the keyboard focus: the keys the script types reach Wine here and
// fire the hot keys the other program registered.
//   bench_scene.exe SECONDS
#include <windows.h>

#include <cstdlib>

#include "tools/bench/bench_support_win.h"

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    HWND scene = bench::CreateSceneWindow();
    SetTimer(scene, 1, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0 && message.message != WM_TIMER)
        DispatchMessageA(&message);
    DestroyWindow(scene);
    return 0;
}
