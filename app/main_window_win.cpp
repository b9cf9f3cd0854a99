#include "app/main_window_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdio>

#include "app/app_state_win.h"
#include "app/cp932.h"
#include "app/html_help_win.h"
#include "app/status_bar_win.h"
#include "capture/capturer_win.h"
#include "history/history.h"
#include "history/history_file_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "view/panes_win.h"

extern History history;
extern SettingsStore settingsStore;

namespace {

const char kStatusStopped[] = "キャプチャ停止中";
const char kStatusMonitoring[] = "キャプチャ監視中";

Settings& settings() {
    return settingsStore.settings;
}

void EnableMenuCommand(HWND window, UINT id, bool enabled) {
    EnableMenuItem(GetMenu(window), id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// ---- creation and shutdown ----

bool OnCreate(HWND window) {
    InitCommonControls();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    appState.richEditModule = LoadLibraryA("RICHED32.DLL");
    capturer.reset();
    appState.tabControl = CreatePanes(window, appState.instance);
    statusBar.create(window, appState.instance);
    statusBar.setText(kStatusStopped);
    UpdateTitle(window);
    SetCaptureCommands(window, false);
    UpdateHistoryCommands(window);
    UpdateSelectionCommands(window);
    InitializeHtmlHelp(&appState.helpCookie);
    return true;
}

void OnDestroy() {
    UninitializeHtmlHelp(appState.helpCookie);
    if (appState.richEditModule) {
        FreeLibrary(appState.richEditModule);
        appState.richEditModule = nullptr;
    }
    PostQuitMessage(0);
}

void OnClose(HWND window) {
    SaveGeometry(window);
    // The settings are kept even when the user then cancels the close.
    settingsStore.saveWindowSettings();
    settingsStore.saveFileSettings();
    if (!ConfirmSaveChanges(window))
        return;
    capturer.stopMonitoring(window);
    DestroyWindow(window);
}

void OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize.x = 20 * GetSystemMetrics(SM_CXFRAME);
    info->ptMinTrackSize.y = 20 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) +
                             GetSystemMetrics(SM_CYMENU) + 150;
    info->ptMaxTrackSize.x = GetSystemMetrics(SM_CXFULLSCREEN);
    info->ptMaxTrackSize.y = GetSystemMetrics(SM_CYFULLSCREEN);
}

void OnSize(HWND window, WPARAM sizeType, LPARAM size) {
    statusBar.onSize(sizeType, size);
    LayoutPanes(window, sizeType, size);
}

// ---- commands ----

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void StartCapturing(HWND window) {
    const int started = capturer.startMonitoring(window);
    InvalidateRect(appState.tabControl, nullptr, TRUE);
    if (appState.tabControl && TabCtrl_GetCurSel(appState.tabControl) == 1)
        InvalidateRect(window, nullptr, TRUE);
    if (!started)
        return;
    SetCaptureCommands(window, true);
    statusBar.setText(kStatusMonitoring);
}

void StopCapturing(HWND window) {
    capturer.stopMonitoring(window);
    InvalidateRect(appState.tabControl, nullptr, TRUE);
    if (appState.tabControl && TabCtrl_GetCurSel(appState.tabControl) == 1)
        InvalidateRect(window, nullptr, TRUE);
    SetCaptureCommands(window, false);
    statusBar.setText(kStatusStopped);
}

bool OnCommand(HWND window, int id) {
    switch (id) {
        case IDM_EXIT:
            PostMessageA(window, WM_CLOSE, 0, 0);
            return true;
        case IDM_ABOUT:
            DialogBoxParamA(appState.instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), window,
                            AboutDialogProc, 0);
            return true;
        case IDM_CAPTURE_START:
            StartCapturing(window);
            return true;
        case IDM_CAPTURE_STOP:
            StopCapturing(window);
            return true;
        default:
            return false;
    }
}

}  // namespace

// ---- public ----

ATOM RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZELCAP));
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    wc.lpszClassName = kMainWindowClass;
    return RegisterClassExA(&wc);
}

int CreateMainWindow(HINSTANCE instance, int showCommand) {
    const Settings& s = settings();
    HWND window = CreateWindowExA(0, kMainWindowClass, kProductTitle, WS_OVERLAPPEDWINDOW,
                                  s.windowX, s.windowY, s.windowWidth, s.windowHeight, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 0;
    appState.mainWindow = window;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    capturer.prime(settings(), history);
    return 1;
}

int RunMessageLoop(HWND mainWindow, HACCEL accelerators) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchAppMessage(mainWindow, accelerators, message);
    }
    return static_cast<int>(message.wParam);
}

void DispatchAppMessage(HWND mainWindow, HACCEL accelerators, MSG& message) {
    // Accelerators go to the main window whichever child has the focus.
    if (TranslateAcceleratorA(mainWindow, accelerators, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETMINMAXINFO:
            // While the window is being created the built-in 100 x 100 stays.
            if (!appState.mainWindow)
                break;
            OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_CREATE:
            return OnCreate(window) ? 0 : -1;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_SIZE:
            OnSize(window, wParam, lParam);
            return 0;
        case WM_CLOSE:
            OnClose(window);
            return 0;
        case UWM_UPDATE_COMMANDS:
            UpdateHistoryCommands(window);
            UpdateSelectionCommands(window);
            return 0;
        case WM_COMMAND:
            if (OnCommand(window, LOWORD(wParam)))
                return 0;
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void UpdateTitle(HWND mainWindow) {
    char title[kPathSize] = {};
    char full[kPathSize * 2 + 64];
    if (history.untitled) {
        std::snprintf(full, sizeof full, "%s - %s", history.fileName, kProductTitle);
    } else {
        std::snprintf(full, sizeof full, "%s - %s - [%s]", history.fileName, kProductTitle,
                      history.filePath);
    }
    // A long history path is cut, never in the middle of a character.
    cp932::copyText(title, full);
    SetWindowTextA(mainWindow, title);
}

void SetCaptureCommands(HWND mainWindow, bool started) {
    EnableMenuCommand(mainWindow, IDM_CAPTURE_START, !started);
    EnableMenuCommand(mainWindow, IDM_CAPTURE_STOP, started);
}

void UpdateHistoryCommands(HWND mainWindow) {
    EnableMenuCommand(mainWindow, IDM_FILE_SAVE, history.modified != 0);
    EnableMenuCommand(mainWindow, IDM_REPORT, history.count > 0);
}

void UpdateSelectionCommands(HWND mainWindow) {
    // Until the history list exists nothing can be selected.
    EnableMenuCommand(mainWindow, IDM_EDIT_SELECT_ALL, history.count > 0);
    for (UINT id : {IDM_EDIT_HEADINGS, IDM_EDIT_HEADING, IDM_EDIT_DELETE, IDM_EDIT_MOVE_UP,
                    IDM_EDIT_MOVE_DOWN}) {
        EnableMenuCommand(mainWindow, id, false);
    }
}

void SaveGeometry(HWND mainWindow) {
    RECT r;
    GetWindowRect(mainWindow, &r);
    // A minimised window sits far off the screen and a maximised one covers
    // it: keep the restored rectangle, or the next start is unusable.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if ((IsIconic(mainWindow) || IsZoomed(mainWindow)) &&
        GetWindowPlacement(mainWindow, &placement)) {
        r = placement.rcNormalPosition;
        // The placement is in workspace coordinates: relative to the work area.
        RECT work;
        if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
            OffsetRect(&r, work.left, work.top);
    }
    Settings& s = settings();
    s.windowX = r.left;
    s.windowY = r.top;
    s.windowWidth = r.right - r.left;
    s.windowHeight = r.bottom - r.top;
}
