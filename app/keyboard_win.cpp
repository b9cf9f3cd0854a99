#include "app/keyboard_win.h"

#include <commctrl.h>

#include "app/keyboard.h"
#include "app/panes_win.h"
#include "app/record_find_win.h"
#include "history/history_list_win.h"
#include "resources/resource_ids.h"
#include "view/annotation_editor_win.h"
#include "view/compare_window_win.h"

namespace {

constexpr int kPageCount = 2;

// The control whose value the guard keeps, and the guard.
HWND guardedControl = nullptr;
HotKeyEditGuard guard;
// F10 went down in a hot-key control: its release opens the menu.
bool menuKeyDown = false;
// Where the focus was on each page when it was last left.
HWND lastHistoryFocus = nullptr;
HWND lastPanelFocus = nullptr;
HWND focusOnDeactivate = nullptr;

HWND KeyPanel() {
    return tabHost.keyPanelHost.keyPanel;
}

bool Within(HWND ancestor, HWND window) {
    return ancestor && window && (window == ancestor || IsChild(ancestor, window));
}

bool IsKeyMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

bool IsKeyDown(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
}

bool IsKeyUp(UINT message) {
    return message == WM_KEYUP || message == WM_SYSKEYUP;
}

bool Held(int key) {
    return GetKeyState(key) < 0;
}

KeyPress PressOf(const MSG& message) {
    return {static_cast<int>(message.wParam), Held(VK_CONTROL), Held(VK_SHIFT), Held(VK_MENU)};
}

bool IsHotKeyControl(HWND window) {
    char name[32] = {};
    return window && GetClassNameA(window, name, sizeof name) > 0 &&
           lstrcmpiA(name, HOTKEY_CLASSA) == 0;
}

Pane PaneOf(HWND window) {
    if (Within(historyList.window, window))
        return Pane::list;
    if (window && window == tabHost.imagePane.view)
        return Pane::view;
    if (Within(KeyPanel(), window))
        return Pane::keyPanel;
    return Pane::none;
}

int CurrentPage() {
    return tabHost.tabControl ? TabCtrl_GetCurSel(tabHost.tabControl) : 0;
}

bool Usable(HWND window) {
    return window && IsWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window);
}

// Notes where the focus is on the page being left.
void RememberFocus(HWND focus) {
    const Pane pane = PaneOf(focus);
    if (pane == Pane::keyPanel && focus != KeyPanel())
        lastPanelFocus = focus;
    else if (pane == Pane::list || pane == Pane::view)
        lastHistoryFocus = focus;
}

void ShowPageOf(int page) {
    if (!tabHost.tabControl || CurrentPage() == page)
        return;
    TabCtrl_SetCurSel(tabHost.tabControl, page);
    ShowPage();
}

HWND FirstPanelControl() {
    HWND panel = KeyPanel();
    if (!panel)
        return nullptr;
    if (Usable(lastPanelFocus) && IsChild(panel, lastPanelFocus))
        return lastPanelFocus;
    return GetNextDlgTabItem(panel, nullptr, FALSE);
}

HWND PaneWindow(Pane pane) {
    switch (pane) {
        case Pane::list:
            return historyList.window;
        case Pane::view:
            return tabHost.imagePane.view;
        case Pane::keyPanel:
            return FirstPanelControl();
        case Pane::none:
            break;
    }
    return nullptr;
}

void FocusPane(Pane pane) {
    ShowPageOf(pageOfPane(pane));
    HWND target = PaneWindow(pane);
    if (target)
        SetFocus(target);
}

// The page's pane that had the focus last, else its first one.
void FocusPage(int page) {
    ShowPageOf(page);
    if (page == 1) {
        FocusPane(Pane::keyPanel);
    } else if (Usable(lastHistoryFocus) && PaneOf(lastHistoryFocus) != Pane::none) {
        SetFocus(lastHistoryFocus);
    } else {
        FocusPane(Pane::list);
    }
}

bool HandleWindowKey(const MSG& message) {
    if (message.message != WM_KEYDOWN)
        return false;
    const WindowKey key = windowKey(PressOf(message));
    if (key == WindowKey::none)
        return false;
    HWND focus = GetFocus();
    RememberFocus(focus);
    if (key == WindowKey::nextPage || key == WindowKey::previousPage) {
        FocusPage(nextPage(CurrentPage(), kPageCount, key == WindowKey::nextPage));
    } else {
        FocusPane(nextPane(PaneOf(focus), key == WindowKey::nextPane));
    }
    return true;
}

// F4 / Shift+F4 in the list or the picture: the selected records' verdict;
// F8 the proposals' verdicts, F7 the guide.
// An in-place heading edit (a child of the list) keeps its keys.
bool HandleRecordKey(HWND mainWindow, const MSG& message) {
    HWND list = historyList.window;
    HWND view = tabHost.imagePane.view;
    if (message.message != WM_KEYDOWN || !message.hwnd ||
        (message.hwnd != list && message.hwnd != view))
        return false;
    switch (recordKey(PressOf(message))) {
        case RecordKey::verdictOk:
            SendMessageA(mainWindow, WM_COMMAND, IDM_VERDICT_OK, 0);
            return true;
        case RecordKey::verdictNg:
            SendMessageA(mainWindow, WM_COMMAND, IDM_VERDICT_NG, 0);
            return true;
        case RecordKey::acceptProposal:
            SendMessageA(mainWindow, WM_COMMAND, IDM_ACCEPT_PROPOSAL, 0);
            return true;
        case RecordKey::toggleGuide:
            SendMessageA(mainWindow, WM_COMMAND, IDM_BASELINE_GUIDE, 0);
            return true;
        case RecordKey::none:
            break;
    }
    return false;
}

void RestoreGuardedValue() {
    if (guardedControl && IsWindow(guardedControl))
        SendMessageA(guardedControl, HKM_SETHOTKEY, guard.savedValue(), 0);
}

void OpenMenu(HWND mainWindow) {
    SendMessageA(mainWindow, WM_SYSCOMMAND, SC_KEYMENU, 0);
}

// A key on its way to a hot-key control. True when it was handled here.
bool HandleHotKeyControlKey(HWND mainWindow, HACCEL accelerators, MSG& message) {
    if (!IsKeyDown(message.message) && !IsKeyUp(message.message)) {
        DispatchMessageA(&message);
        return true;
    }
    const KeyPress press = PressOf(message);
    HWND control = message.hwnd;
    const HotKeyControlKey kind = hotKeyControlKey(press);
    switch (kind) {
        case HotKeyControlKey::dialog:
            // The panel moves the focus; the control never sees the key.
            return IsDialogMessageA(KeyPanel(), &message) != FALSE;
        case HotKeyControlKey::menu:
            if (IsKeyDown(message.message)) {
                menuKeyDown = true;
            } else if (menuKeyDown) {
                menuKeyDown = false;
                OpenMenu(mainWindow);
            }
            return true;
        case HotKeyControlKey::close:
            message.hwnd = mainWindow;
            return false;
        case HotKeyControlKey::modifier:
            if (IsKeyDown(message.message)) {
                if (guardedControl != control)
                    guard.focusLeft();
                guardedControl = control;
                guard.modifierDown(press.key, LOWORD(SendMessageA(control, HKM_GETHOTKEY, 0, 0)));
                DispatchMessageA(&message);
            } else {
                DispatchMessageA(&message);
                if (guardedControl != control)
                    return true;
                const bool stillDown = Held(VK_SHIFT) || Held(VK_CONTROL) || Held(VK_MENU);
                const HotKeyEditGuard::Release release = guard.modifierUp(press.key, stillDown);
                if (release != HotKeyEditGuard::Release::keep)
                    RestoreGuardedValue();
                if (release == HotKeyEditGuard::Release::restoreAndOpenMenu)
                    OpenMenu(mainWindow);
            }
            return true;
        case HotKeyControlKey::keep:
        case HotKeyControlKey::take:
            break;
    }
    if (kind != HotKeyControlKey::keep &&
        TranslateAcceleratorA(mainWindow, accelerators, &message)) {
        if (guardedControl == control)
            guard.otherKeyDown(false);
        return true;
    }
    if (IsKeyDown(message.message) && guardedControl == control)
        guard.otherKeyDown(true);
    // Not translated: a character message would reach the control's default
    // procedure, and Alt with a letter would open that menu as well.
    DispatchMessageA(&message);
    return true;
}

// After each message: a modifier pressed in a hot-key control whose focus
// went elsewhere (Tab, F6, Ctrl+Tab, a click) gives the control its key back.
void CheckGuardedControl() {
    if (!guard.armed() || GetFocus() == guardedControl)
        return;
    if (guard.focusLeft())
        RestoreGuardedValue();
    guardedControl = nullptr;
}

bool DispatchKey(HWND mainWindow, HACCEL accelerators, MSG& message) {
    if (!IsKeyMessage(message.message) || !Within(mainWindow, message.hwnd))
        return false;
    if (HandleWindowKey(message) || HandleRecordKey(mainWindow, message))
        return true;
    HWND panel = KeyPanel();
    if (!Within(panel, message.hwnd))
        return false;
    if (IsHotKeyControl(message.hwnd))
        return HandleHotKeyControlKey(mainWindow, accelerators, message);
    if (TranslateAcceleratorA(mainWindow, accelerators, &message))
        return true;
    return IsDialogMessageA(panel, &message) != FALSE;
}

}  // namespace

void DispatchWithKeyboard(HWND mainWindow, HACCEL accelerators, MSG& message) {
    if (TranslateAnnotationMessage(message))
        return;
    // The comparison window keeps its keys too (its digits, Space and Esc).
    if (TranslateCompareMessage(message))
        return;
    // The find window keeps Enter and Esc; Ctrl+S there saves nothing.
    if (record_find::TranslateFindMessage(message))
        return;
    // Another top-level window of ours (the annotation editor) keeps its
    // keys: the main window's accelerators would save the history on its
    // Ctrl+S.
    if (message.hwnd && GetAncestor(message.hwnd, GA_ROOT) == AnnotationEditorWindow()) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        return;
    }
    if (!DispatchKey(mainWindow, accelerators, message)) {
        // Accelerators go to the main window whichever child has the focus.
        if (!TranslateAcceleratorA(mainWindow, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    CheckGuardedControl();
}

void OnMainWindowActivate(HWND mainWindow, WPARAM state) {
    if (LOWORD(state) == WA_INACTIVE) {
        HWND focus = GetFocus();
        focusOnDeactivate = Within(mainWindow, focus) ? focus : nullptr;
        return;
    }
    if (Usable(focusOnDeactivate) && Within(mainWindow, focusOnDeactivate) &&
        PaneOf(focusOnDeactivate) != Pane::none &&
        pageOfPane(PaneOf(focusOnDeactivate)) == CurrentPage()) {
        SetFocus(focusOnDeactivate);
        return;
    }
    if (CurrentPage() == 1 && FirstPanelControl())
        SetFocus(FirstPanelControl());
    else if (historyList.window)
        SetFocus(historyList.window);
}
