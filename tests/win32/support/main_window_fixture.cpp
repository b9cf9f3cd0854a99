#include "tests/win32/support/main_window_fixture.h"

#include <commctrl.h>

#include "base/app_state_win.h"
#include "app/main_window_win.h"
#include "app/status_bar_win.h"
#include "capture/capturer_win.h"
#include "history/history.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace testsupport {

void MainWindowFixture::SetUp() {
    folder_ = std::make_unique<ScopedWorkFolder>();
    settingsStore.initialize();
    PrepareSettings();
    history.reset();
    appState = AppState{};
    appState.instance = GetModuleHandleA(nullptr);
    RegisterMainWindowClass(appState.instance);
    ASSERT_EQ(CreateMainWindow(appState.instance, SW_SHOWNORMAL), 1);
    window_ = appState.mainWindow;
    accelerators_ = LoadAcceleratorsA(appState.instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(accelerators_, nullptr);
}

void MainWindowFixture::TearDown() {
    if (IsWindow(window_)) {
        history.modified = 0;
        capturer.stopMonitoring(window_);
        DestroyWindow(window_);
    }
    PumpPending();
    capturer.dropPicture();
    if (accelerators_)
        DestroyAcceleratorTable(accelerators_);
    folder_.reset();
}

bool MainWindowFixture::Close() {
    SendMessageA(window_, WM_CLOSE, 0, 0);
    PumpUntil([&] { return !IsWindow(window_); }, 3000);
    return !IsWindow(window_);
}

std::string MainWindowFixture::Title() const {
    char title[512] = {};
    GetWindowTextA(window_, title, sizeof title);
    return title;
}

bool MainWindowFixture::MenuEnabled(UINT id) const {
    const UINT state = GetMenuState(GetMenu(window_), id, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

std::string MainWindowFixture::StatusText() const {
    char text[128] = {};
    SendMessageA(statusBar.window, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

void AnswerFileDialog(HWND dialog, const std::string& path) {
    // The name field is a combo box (cmb13) in newer dialogs, an edit (edt1)
    // in older ones.
    HWND field = GetDlgItem(dialog, 0x47C);
    if (!field)
        field = GetDlgItem(dialog, 0x480);
    SetWindowTextA(field, path.c_str());
    PressButton(dialog, IDOK);
}

}  // namespace testsupport
