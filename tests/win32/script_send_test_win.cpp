// A scripted call's request reaches a window that is slow to answer: one
// whose thread has fetched no message for over 5 s is waited for, not taken
// as hung; "try again" answers are sent again; a window that goes or never
// stops saying "try again" ends the call.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/script_peer_win.h"

namespace {

constexpr DWORD_PTR kTryAgain = 0x7A11;
constexpr DWORD_PTR kDone = 3;

struct Target {
    std::atomic<HWND> window{nullptr};
    std::atomic<int> tryAgains{0};  // answers of "try again" before kDone
    std::atomic<bool> quit{false};
};
Target* target = nullptr;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA)
        return target->tryAgains-- > 0 ? kTryAgain : kDone;
    return DefWindowProcW(window, message, wParam, lParam);
}

// The window's thread: fetches messages, but first stays busy for `busyMs`
// without fetching any, as a window's thread does during long work.
void RunTarget(Target& t, DWORD busyMs, bool destroyAfterBusy) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ScriptSendTarget";
    RegisterClassW(&wc);
    HWND w = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);
    t.window = w;
    Sleep(busyMs);
    if (destroyAfterBusy) {
        DestroyWindow(w);
        return;
    }
    while (!t.quit) {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    DestroyWindow(w);
}

struct Case {
    const char* what;
    DWORD busyMs;       // the target's thread fetches nothing this long
    DWORD sendAfterMs;  // the request is sent this long after the window is made
    int tryAgains;      // "try again" answers before the real one
    DWORD timeoutMs;    // the call's deadline after the send
    bool destroy;       // the window goes after being busy
    script_peer::Delivery expected;
};

TEST(ScriptSend, SlowTryAgainGoneAndTimedOut) {
    using script_peer::Delivery;
    const Case cases[] = {
        {"busy 6.5 s, asked after 5.5 s", 6500, 5500, 0, 10000, false, Delivery::answered},
        {"try again twice", 0, 0, 2, 5000, false, Delivery::answered},
        {"always try again", 0, 0, 1 << 30, 300, false, Delivery::timedOut},
        {"the window goes while busy", 800, 100, 0, 5000, true, Delivery::gone},
    };
    for (const Case& c : cases) {
        Target t;
        t.tryAgains = c.tryAgains;
        target = &t;
        std::thread thread(RunTarget, std::ref(t), c.busyMs, c.destroy);
        while (!t.window)
            Sleep(5);
        Sleep(c.sendAfterMs);
        COPYDATASTRUCT data{1, 0, nullptr};
        DWORD_PTR code = 0;
        const Delivery got = script_peer::SendUntil(
            t.window, nullptr, data, GetTickCount64() + c.timeoutMs, kTryAgain, code);
        EXPECT_EQ(static_cast<int>(got), static_cast<int>(c.expected)) << c.what;
        if (c.expected == Delivery::answered) {
            EXPECT_EQ(code, kDone) << c.what;
        }
        t.quit = true;
        thread.join();
    }
}

}  // namespace
