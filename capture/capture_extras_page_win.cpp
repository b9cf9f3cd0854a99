#include "capture/capture_extras_page_win.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/app_state_win.h"
#include "base/dialog_text_win.h"
#include "base/message_box_win.h"
#include "capture/capturer_win.h"
#include "resources/capture_extras_ids.h"
#include "settings/case_settings.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"

namespace {

void ShowKey(HWND page, int keyId, int onId, const HotKeyEntry& key) {
    SendDlgItemMessageA(page, keyId, HKM_SETHOTKEY,
                        MAKEWORD(key.virtualKey & 0xFF, key.modifiers & 0xFF), 0);
    CheckDlgButton(page, onId, key.monitored ? BST_CHECKED : BST_UNCHECKED);
}

void ReadKey(HWND page, int keyId, int onId, HotKeyEntry& key) {
    const WORD value = LOWORD(SendDlgItemMessageA(page, keyId, HKM_GETHOTKEY, 0, 0));
    key.modifiers = HIBYTE(value);
    key.virtualKey = LOBYTE(value);
    key.monitored = IsDlgButtonChecked(page, onId) == BST_CHECKED ? 1 : 0;
}

// The current case: the test ID hot-key and step captures are filed under,
// the 手順 the next of them gets, and the tester ([TestCase]).
constexpr std::size_t kCaseTextLimit = 64;

CaseSettings LoadCase() {
    Win32SettingsFiles files;
    return case_settings::load(files, settingsStore.iniPath);
}

std::string ItemText(HWND page, int id) {
    return DialogItemText(page, id, static_cast<std::size_t>(-1));
}

void InitCase(HWND page) {
    const CaseSettings c = LoadCase();
    SetDlgItemTextA(page, IDC_EXTRAS_CASE_ID, c.currentTestId.c_str());
    SetDlgItemInt(page, IDC_EXTRAS_CASE_STEP, static_cast<UINT>(c.nextStep), FALSE);
    SetDlgItemTextA(page, IDC_EXTRAS_CASE_TESTER, c.tester.c_str());
    SendDlgItemMessageA(page, IDC_EXTRAS_CASE_STEP, EM_LIMITTEXT, 5, 0);
}

// The page stays open on a value it cannot keep, with the focus on it.
INT_PTR Refuse(HWND page, int id, const char* text) {
    ShowMessage(page, text, "定義設定エラー", MB_ICONWARNING | MB_OK);
    SetFocus(GetDlgItem(page, id));
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
    return TRUE;
}

// Checks the current case's fields; false when the page was refused. The
// group is written only when a value changed, so that a user who never
// sets a case has none in the settings file.
bool ApplyCase(HWND page) {
    const CaseSettings before = LoadCase();
    CaseSettings c = before;
    c.currentTestId = ItemText(page, IDC_EXTRAS_CASE_ID);
    c.tester = ItemText(page, IDC_EXTRAS_CASE_TESTER);
    BOOL ok = FALSE;
    const UINT step = GetDlgItemInt(page, IDC_EXTRAS_CASE_STEP, &ok, FALSE);
    if (c.currentTestId.size() > kCaseTextLimit) {
        Refuse(page, IDC_EXTRAS_CASE_ID, "テストIDは半角64文字（全角32文字）までで指定してください。");
        return false;
    }
    if (!ok || step < 1 || step > static_cast<UINT>(case_settings::kMaxNextStep)) {
        Refuse(page, IDC_EXTRAS_CASE_STEP, "次の手順は1～99999で指定してください。");
        return false;
    }
    if (c.tester.size() > kCaseTextLimit) {
        Refuse(page, IDC_EXTRAS_CASE_TESTER, "実施者は半角64文字（全角32文字）までで指定してください。");
        return false;
    }
    c.nextStep = static_cast<int32_t>(step);
    if (c.currentTestId != before.currentTestId || c.nextStep != before.nextStep ||
        c.tester != before.tester) {
        Win32SettingsFiles files;
        case_settings::save(files, settingsStore.iniPath, c);
    }
    return true;
}

void Init(HWND page) {
    const CaptureExtras& e = capturer.extras();
    ShowKey(page, IDC_EXTRAS_REGION_KEY, IDC_EXTRAS_REGION_ON, e.regionKey);
    ShowKey(page, IDC_EXTRAS_REPEAT_KEY, IDC_EXTRAS_REPEAT_ON, e.repeatRegionKey);
    ShowKey(page, IDC_EXTRAS_STEP_KEY, IDC_EXTRAS_STEP_ON, e.stepKey);
    ShowKey(page, IDC_EXTRAS_ALL_MONITORS_KEY, IDC_EXTRAS_ALL_MONITORS_ON, e.allMonitorsKey);
    ShowKey(page, IDC_EXTRAS_MOUSE_MONITOR_KEY, IDC_EXTRAS_MOUSE_MONITOR_ON, e.mouseMonitorKey);
    ShowKey(page, IDC_EXTRAS_SCROLL_KEY, IDC_EXTRAS_SCROLL_ON, e.scrollKey);
    CheckDlgButton(page, IDC_EXTRAS_STEP_SCREEN, e.stepWholeScreen ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_EXTRAS_STEP_TYPING, e.stepTyping ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_EXTRAS_STEP_SHORTCUTS, e.stepShortcuts ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_EXTRAS_SCROLL_BY_HAND, e.scrollByHand ? BST_CHECKED : BST_UNCHECKED);
    char text[96] = "なし";
    const CaptureRegion& r = e.lastRegion;
    if (!r.empty())
        std::snprintf(text, sizeof text, "%d, %d から %d × %d", r.left, r.top, r.width(),
                      r.height());
    SetDlgItemTextA(page, IDC_EXTRAS_LAST_REGION, text);
    SendDlgItemMessageA(page, IDC_EXTRAS_DELAY_SPIN, UDM_SETRANGE32, 0, kMaxCaptureDelay);
    SendDlgItemMessageA(page, IDC_EXTRAS_DELAY_SPIN, UDM_SETPOS32, 0, e.delaySeconds);
    SendDlgItemMessageA(page, IDC_EXTRAS_DELAY, EM_LIMITTEXT, 2, 0);
    CheckDlgButton(page, IDC_EXTRAS_CLIPBOARD, e.copyToClipboard ? BST_CHECKED : BST_UNCHECKED);
    InitCase(page);
}

INT_PTR Apply(HWND page) {
    BOOL ok = FALSE;
    const UINT delay = GetDlgItemInt(page, IDC_EXTRAS_DELAY, &ok, FALSE);
    if (!ok || delay > static_cast<UINT>(kMaxCaptureDelay)) {
        ShowMessage(page, "遅延は0～10秒で指定してください。", "定義設定エラー",
                    MB_ICONWARNING | MB_OK);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
        return TRUE;
    }
    if (!ApplyCase(page))
        return TRUE;
    CaptureExtras e = capturer.extras();
    ReadKey(page, IDC_EXTRAS_REGION_KEY, IDC_EXTRAS_REGION_ON, e.regionKey);
    ReadKey(page, IDC_EXTRAS_REPEAT_KEY, IDC_EXTRAS_REPEAT_ON, e.repeatRegionKey);
    ReadKey(page, IDC_EXTRAS_STEP_KEY, IDC_EXTRAS_STEP_ON, e.stepKey);
    ReadKey(page, IDC_EXTRAS_ALL_MONITORS_KEY, IDC_EXTRAS_ALL_MONITORS_ON, e.allMonitorsKey);
    ReadKey(page, IDC_EXTRAS_MOUSE_MONITOR_KEY, IDC_EXTRAS_MOUSE_MONITOR_ON, e.mouseMonitorKey);
    ReadKey(page, IDC_EXTRAS_SCROLL_KEY, IDC_EXTRAS_SCROLL_ON, e.scrollKey);
    // A recording already running keeps the kind of picture it started with.
    e.stepWholeScreen = IsDlgButtonChecked(page, IDC_EXTRAS_STEP_SCREEN) == BST_CHECKED;
    e.stepTyping = IsDlgButtonChecked(page, IDC_EXTRAS_STEP_TYPING) == BST_CHECKED;
    e.stepShortcuts = IsDlgButtonChecked(page, IDC_EXTRAS_STEP_SHORTCUTS) == BST_CHECKED;
    e.scrollByHand = IsDlgButtonChecked(page, IDC_EXTRAS_SCROLL_BY_HAND) == BST_CHECKED;
    e.delaySeconds = static_cast<int32_t>(delay);
    e.copyToClipboard = IsDlgButtonChecked(page, IDC_EXTRAS_CLIPBOARD) == BST_CHECKED;
    capturer.setExtras(e);
    capturer.saveExtras();
    capturer.registerStepKey(appState.mainWindow);
    // Armed keys follow the settings only when they are registered anew.
    if (capturer.monitoring() == 1) {
        capturer.stopMonitoring(appState.mainWindow);
        capturer.startMonitoring(appState.mainWindow);
        capturer.reportHotKeyFailures(page);
    }
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK CaptureExtrasPage(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Init(page);
            return TRUE;
        case WM_NOTIFY:
            if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY))
                return Apply(page);
            return FALSE;
    }
    return FALSE;
}
