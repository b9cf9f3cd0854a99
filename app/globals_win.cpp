// The long-lived objects of the shell, defined in this one file so that
// their construction order is the order written here (and destruction the
// reverse). Those of a subsystem that need no order of their own live with
// it: the step recorder, the settings sheet and the image pane pointer.
// The settings are loaded while settingsStore is constructed, so the record
// is complete before any window exists.
#include <windows.h>

#include "app/panes_win.h"
#include "app/status_bar_win.h"
#include "app/toolbar_win.h"
#include "base/app_state_win.h"
#include "capture/capturer_win.h"
#include "history/history.h"
#include "history/history_list_win.h"
#include "history/record_dialogs_win.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"

namespace {

const char* CurrentDirectory() {
    static char dir[kPathSize];
    const DWORD n = GetCurrentDirectoryA(kPathSize, dir);
    if (n == 0 || n >= static_cast<DWORD>(kPathSize))
        dir[0] = '\0';
    return dir;
}

// No state and a constexpr constructor: ready before any dynamic initialiser.
Win32SettingsFiles settingsFiles;

}  // namespace

// Plain state without construction work.
AppState appState;
Capturer capturer;

History history(CurrentDirectory());         // 1
SettingsStore settingsStore(settingsFiles);  // 2: loads Zelcap.ini
Toolbar toolbar;                             // 3
StatusBar statusBar;                         // 4
TabHost tabHost;                             // 5
HeadingDialog headingDialog;                 // 6
HistoryList historyList;                     // 7
