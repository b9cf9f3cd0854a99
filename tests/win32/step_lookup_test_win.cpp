// What a step finds out about an open menu's item. A menu of this very
// program, because Wine shares no menu between programs (Windows does, and
// there the same calls name another program's item).
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "capture/step_heading.h"
#include "capture/step_recorder_win.h"

namespace {

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(StepLookup, AMenuItemIsNamedWithTheWindowItWasOpenedFrom) {
    HWND owner = nullptr;
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // The menu runs its own loop on the thread that opens it.
    std::thread menuThread([&] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZelcapMenuOwner";
        RegisterClassA(&wc);
        owner =
            CreateWindowExA(0, wc.lpszClassName, "メニューの窓", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            100, 100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, 1, "開く(&O)...");
        AppendMenuA(popup, MF_STRING, 2, "上書き保存(&S)\tCtrl+S");
        SetForegroundWindow(owner);
        SetEvent(opened);
        TrackPopupMenu(popup, TPM_RETURNCMD, 150, 150, 0, owner, nullptr);
        DestroyMenu(popup);
        DestroyWindow(owner);
    });
    WaitForSingleObject(opened, 5000);
    CloseHandle(opened);
    HWND menuWindow = nullptr;
    for (int i = 0; i < 100 && !menuWindow; ++i) {
        Sleep(50);
        HWND found = FindWindowA("#32768", nullptr);
        if (found && IsWindowVisible(found))
            menuWindow = found;
    }
    ASSERT_NE(menuWindow, nullptr);
    // The second of two items of one height: the menu's lower half. (Wine
    // places a popup's GetMenuItemRect by the owner window.)
    RECT menu{};
    GetWindowRect(menuWindow, &menu);
    const POINT point{(menu.left + menu.right) / 2, menu.bottom - (menu.bottom - menu.top) / 4};

    StepTarget target;
    StepRecorder::describeQuickly(menuWindow, target);
    EXPECT_EQ(target.topTitle, "メニューの窓");
    StepRecorder::askProgram(menuWindow, point, 500, target);
    EXPECT_EQ(stepHeading(target, 128), "「上書き保存(S)」メニュー項目をクリック (メニューの窓)");

    PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    menuThread.join();
}

}  // namespace
