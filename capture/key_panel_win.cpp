#include "capture/key_panel_win.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "base/app_state_win.h"
#include "base/win_handles_win.h"
#include "capture/capture_kinds.h"
#include "capture/capturer_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace {

constexpr int kToggleIds[kCaptureKindCount] = {
    IDC_KEY_TOGGLE_0, IDC_KEY_TOGGLE_1, IDC_KEY_TOGGLE_2, IDC_KEY_TOGGLE_3,
    IDC_KEY_TOGGLE_4, IDC_KEY_TOGGLE_5, IDC_KEY_TOGGLE_6, IDC_KEY_TOGGLE_7,
};
constexpr int kHotKeyIds[kCaptureKindCount] = {
    IDC_KEY_HOTKEY_0, IDC_KEY_HOTKEY_1, IDC_KEY_HOTKEY_2, IDC_KEY_HOTKEY_3,
    IDC_KEY_HOTKEY_4, IDC_KEY_HOTKEY_5, IDC_KEY_HOTKEY_6, IDC_KEY_HOTKEY_7,
};

constexpr int kMarkerCells = 4;
constexpr int kMarkerCellWidth = 30;
constexpr COLORREF kMarkerTransparent = RGB(255, 255, 255);

// The chooser and the previews (in cell order) of one marker kind.
struct MarkerRow {
    int kind;
    int chooser;
    int previews[kMarkerCells];
};
constexpr MarkerRow kMarkerRows[] = {
    {static_cast<int>(CaptureKind::ActiveWindowMarker),
     IDC_KEY_MARKER_4,
     {IDC_KEY_PREVIEW_4_0, IDC_KEY_PREVIEW_4_1, IDC_KEY_PREVIEW_4_2, IDC_KEY_PREVIEW_4_3}},
    {static_cast<int>(CaptureKind::ScreenMarker),
     IDC_KEY_MARKER_5,
     {IDC_KEY_PREVIEW_5_0, IDC_KEY_PREVIEW_5_1, IDC_KEY_PREVIEW_5_2, IDC_KEY_PREVIEW_5_3}},
};

const char kMonitoredText[] = "有効";
const char kIdleText[] = "無効";
// A monitored kind whose key another program holds while capturing is armed.
const char kTakenText[] = "使用中";

// What one panel owns. It hangs on the dialog's user data, so that a panel
// made by a test beside the main window's own keeps its own image list.
struct KeyPanel {
    win::ImageList markers;
};

HotKeyEntry& Entry(int kind) {
    return settingsStore.settings.hotKeys[kind];
}

// The key of a kind that takes part is locked: what its control shows is
// then exactly what is registered.
void ShowMonitored(HWND dialog, int kind, bool monitored) {
    CheckDlgButton(dialog, kToggleIds[kind], monitored ? BST_CHECKED : BST_UNCHECKED);
    const bool taken = monitored && capturer.hotKeyFailed(kFirstHotKeyId + kind);
    SetDlgItemTextA(dialog, kToggleIds[kind],
                    taken       ? kTakenText
                    : monitored ? kMonitoredText
                                : kIdleText);
    EnableWindow(GetDlgItem(dialog, kHotKeyIds[kind]), monitored ? FALSE : TRUE);
}

void ShowPreview(HWND dialog, const MarkerRow& row, int cell) {
    for (int j = 0; j < kMarkerCells; ++j)
        ShowWindow(GetDlgItem(dialog, row.previews[j]), j == cell ? SW_SHOW : SW_HIDE);
}

// One preview shows at a time, so all four share the first one's place
// whatever the template says.
void StackPreviews(HWND dialog, const MarkerRow& row) {
    RECT place;
    GetWindowRect(GetDlgItem(dialog, row.previews[0]), &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    for (int j = 1; j < kMarkerCells; ++j)
        MoveWindow(GetDlgItem(dialog, row.previews[j]), place.left, place.top,
                   place.right - place.left, place.bottom - place.top, FALSE);
}

void FillChooser(HWND dialog, const MarkerRow& row, HIMAGELIST markers) {
    HWND chooser = GetDlgItem(dialog, row.chooser);
    SendMessageA(chooser, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(markers));
    for (int cell = 0; cell < kMarkerCells; ++cell) {
        char text[16];
        std::snprintf(text, sizeof text, "イメージ%d", cell + 1);
        COMBOBOXEXITEMA item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = cell;
        item.pszText = text;
        item.iImage = cell;
        item.iSelectedImage = cell;
        SendMessageA(chooser, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    const int choice = Entry(row.kind).markerChoice;
    SendMessageA(chooser, CB_SETCURSEL, static_cast<WPARAM>(choice), 0);
    ShowPreview(dialog, row, choice);
}

// The registrations only follow the settings when they are made anew.
void RearmIfMonitoring(HWND dialog) {
    if (capturer.monitoring() != 1)
        return;
    capturer.stopMonitoring(appState.mainWindow);
    capturer.startMonitoring(appState.mainWindow);
    ShowHotKeyFailures(dialog);
    capturer.reportHotKeyFailures(appState.mainWindow);
}

void OnInitDialog(HWND dialog, KeyPanel& panel) {
    for (int kind = 0; kind < kCaptureKindCount; ++kind) {
        const HotKeyEntry& entry = Entry(kind);
        const WORD key = MAKEWORD(entry.virtualKey & 0xFF, entry.modifiers & 0xFF);
        SendDlgItemMessageA(dialog, kHotKeyIds[kind], HKM_SETHOTKEY, key, 0);
        ShowMonitored(dialog, kind, entry.monitored != 0);
    }
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    panel.markers.reset(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_MARKERS),
                                             kMarkerCellWidth, 0, kMarkerTransparent, IMAGE_BITMAP,
                                             0));
    if (!panel.markers)
        return;
    for (const MarkerRow& row : kMarkerRows) {
        StackPreviews(dialog, row);
        FillChooser(dialog, row, panel.markers.get());
    }
}

void OnToggle(HWND dialog, int kind) {
    HotKeyEntry& entry = Entry(kind);
    const bool on = IsDlgButtonChecked(dialog, kToggleIds[kind]) == BST_CHECKED;
    if (on) {
        // Switching a kind on takes over whatever the control holds, an
        // empty control included (key 0, no modifiers).
        const WORD key = LOWORD(SendDlgItemMessageA(dialog, kHotKeyIds[kind], HKM_GETHOTKEY, 0, 0));
        entry.modifiers = HIBYTE(key);
        entry.virtualKey = LOBYTE(key);
        entry.monitored = 1;
    } else {
        entry.monitored = 0;  // the key stays for the next time it is switched on
    }
    ShowMonitored(dialog, kind, on);
    settingsStore.saveFileSettings();
    RearmIfMonitoring(dialog);
}

void OnMarkerChosen(HWND dialog, const MarkerRow& row) {
    const auto cell =
        static_cast<int>(SendDlgItemMessageA(dialog, row.chooser, CB_GETCURSEL, 0, 0));
    Entry(row.kind).markerChoice = cell;
    settingsStore.saveFileSettings();
    RearmIfMonitoring(dialog);
    ShowPreview(dialog, row, cell);
}

bool OnCommand(HWND dialog, int id, int code) {
    if (code == BN_CLICKED) {
        for (int kind = 0; kind < kCaptureKindCount; ++kind) {
            if (id == kToggleIds[kind]) {
                OnToggle(dialog, kind);
                return true;
            }
        }
    } else if (code == CBN_SELCHANGE) {
        for (const MarkerRow& row : kMarkerRows) {
            if (id == row.chooser) {
                OnMarkerChosen(dialog, row);
                return true;
            }
        }
    }
    return false;
}

// The choosers must not keep drawing from a list that is gone.
void ReleaseMarkers(HWND dialog, KeyPanel& panel) {
    for (const MarkerRow& row : kMarkerRows)
        SendDlgItemMessageA(dialog, row.chooser, CBEM_SETIMAGELIST, 0, 0);
    panel.markers.reset();
}

}  // namespace

INT_PTR CALLBACK KeyPanelProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        auto panel = std::make_unique<KeyPanel>();
        OnInitDialog(dialog, *panel);
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(panel.release()));
        // The panel sits on a page that is usually hidden: taking the focus
        // would send the user's typing into a hot-key control nobody sees.
        return FALSE;
    }
    auto* panel = reinterpret_cast<KeyPanel*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!panel)
        return FALSE;
    switch (message) {
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_CLOSE:
            ReleaseMarkers(dialog, *panel);
            return TRUE;
        case WM_NCDESTROY:
            // A child dialog is destroyed with its parent and never sees
            // WM_CLOSE then; the children are gone by now.
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            delete panel;
            return FALSE;
        default:
            return FALSE;
    }
}

void ShowHotKeyFailures(HWND panel) {
    if (!panel)
        return;
    for (int kind = 0; kind < kCaptureKindCount; ++kind)
        ShowMonitored(panel, kind, Entry(kind).monitored != 0);
}

HWND CreateKeyPanel(HINSTANCE instance, HWND container) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_HOTKEY_CLASS | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    HWND panel = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_KEY_PANEL), container,
                                    KeyPanelProcedure, 0);
    if (panel)
        ShowWindow(panel, SW_SHOW);
    return panel;
}
