#include "app/main_window_win.h"

#include <commctrl.h>
#include <htmlhelp.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <cstring>
#include <utility>
#include <vector>

#include "base/app_messages_win.h"
#include "base/app_state_win.h"
#include "base/cp932.h"
#include "base/file_names_win.h"
#include "app/capture_road_win.h"
#include "app/export_road_win.h"
#include "app/html_help_win.h"
#include "app/keyboard_win.h"
#include "app/ocr_road_win.h"
#include "app/panes_win.h"
#include "app/record_find_win.h"
#include "app/retest_guide_win.h"
#include "app/retest_road_win.h"
#include "app/script_host_win.h"
#include "base/menu_win.h"
#include "base/message_box_win.h"
#include "base/sha256_win.h"
#include "app/status_bar_win.h"
#include "app/toolbar_win.h"
#include "capture/capturer_win.h"
#include "capture/stamp_dialog_win.h"
#include "capture/key_panel_win.h"
#include "capture/settings_sheet_win.h"
#include "history/evidence_book_win.h"
#include "history/evidence_verify_win.h"
#include "history/history.h"
#include "history/history_file_win.h"
#include "history/history_list_win.h"
#include "history/history_paths.h"
#include "pack/pack_verify_win.h"
#include "report/report_dialog_win.h"
#include "report/report_generator_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "view/annotation_editor_win.h"
#include "picture/annotation_file.h"
#include "view/compare_window_win.h"
#include "view/image_view_win.h"
#include "view/mask_proposals_win.h"
#include "view/personal_patterns_dialog_win.h"

// WM_DPICHANGED, which the headers declare only for a newer Windows than
// the program targets; a per-monitor aware program gets it all the same.
constexpr UINT kDpiChanged = 0x02E0;

namespace {

constexpr int kSaveButton = Toolbar::kSaveButton;
constexpr int kCaptureButton = Toolbar::kCaptureButton;
constexpr int kReportButton = Toolbar::kReportButton;
constexpr BYTE kEnabled = Toolbar::kEnabled;
constexpr BYTE kChecked = Toolbar::kChecked;
constexpr BYTE kGreyed = Toolbar::kGreyed;

Settings& settings() {
    return settingsStore.settings;
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
    capture_road::ShowCaptureStatus(false);
    toolbar.create(window, appState.instance);
    UpdateTitle(window);
    SetCaptureCommands(window, false);
    UpdateHistoryCommands(window);
    UpdateSelectionCommands(window);
    InitializeHtmlHelp(&appState.helpCookie);
    ocr_road::LoadOptions();
    return true;
}

// The chained log names the record whose picture was annotated, with the
// flattened picture just written.
void LogAnnotation(const char* picture) {
    if (!picture)
        return;
    for (int i = 0; i < history.count; ++i) {
        char path[kPathSize];
        resolvedImagePath(history.records[i], history.folder, path);
        if (win::SameFileName(path, picture)) {
            evidenceBook.event(LogEvent::annotate, i + 1, annotation::flattenedPath(picture));
            // The log and the manifest are written with the history: the
            // event is kept like a change of rows, so that closing asks
            // (or auto-save writes) instead of dropping it.
            if (settings().autoSaveHistory == 1 && history.filePath[0] != '\0') {
                historyList.saveHistoryFile();
            } else {
                history.modified = 1;
                PostMessageA(appState.mainWindow, UWM_UPDATE_COMMANDS, 0, 0);
            }
            return;
        }
    }
}

void OnDestroy() {
    // A capture's digest still being taken reads a block of the capture
    // road's: done before anything is torn down.
    evidenceBook.flush();
    // The text reader's thread posts to this window: it goes first.
    retest_guide::Close();
    retest_road::Stop();
    ocr_road::Stop();
    UninitializeHtmlHelp(appState.helpCookie);
    if (appState.richEditModule) {
        FreeLibrary(appState.richEditModule);
        appState.richEditModule = nullptr;
    }
    PostQuitMessage(0);
}

void OnClose(HWND window) {
    // The steps clicked before the close are records the save question
    // covers, and their numbers are the start number the settings keep.
    capture_road::FinishStepRecording(window);
    if (!CloseAnnotationEditor())
        return;
    SaveGeometry(window);
    // The settings are kept even when the user then cancels the close.
    settingsStore.saveWindowSettings();
    settingsStore.saveFileSettings();
    historyList.saveCaseColumnWidths();
    if (!historyList.confirmSaveChanges())
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
    toolbar.onSize(sizeType, size);
    LayoutPanes(window, sizeType, size);
}

LRESULT OnNotify(HWND window, NMHDR* header) {
    if (header->code == TTN_NEEDTEXTA) {
        auto* request = reinterpret_cast<NMTTDISPINFOA*>(header);
        request->hinst = appState.instance;
        toolbar.tooltipText(static_cast<UINT>(header->idFrom), request);
        return 0;
    }
    (void)window;
    PanesNotify(header);
    return 0;
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

void RefreshAfterFileCommand(HWND window) {
    UpdateHistoryCommands(window);
    UpdateSelectionCommands(window);
}

// TabCtrl_SetCurSel sends no TCN_SELCHANGE: the pages are switched here,
// or the strip would say 履歴データ over the key panel.
// On the history page already, nothing is switched and the strip stays as
// it is drawn.
void SelectHistoryPage() {
    if (!appState.tabControl)
        return;
    if (TabCtrl_SetCurSel(appState.tabControl, 0) != 0)
        ShowPage();
}

void OnNew(HWND window) {
    if (historyList.confirmSaveChanges() &&
        historyList.newHistoryFile(capturer.monitoring() != 0)) {
        retest_guide::Close();
        SelectHistoryPage();
        UpdateTitle(window);
    }
    RefreshAfterFileCommand(window);
    ShowSelectedPicture();
}

void OnOpen(HWND window) {
    if (historyList.confirmSaveChanges() && historyList.openHistoryFile()) {
        retest_guide::Close();
        SelectHistoryPage();
        UpdateTitle(window);
        ocr_road::HistoryOpened(window);
        retest_road::HistoryOpened(window);
    }
    RefreshAfterFileCommand(window);
    ShowSelectedPicture();
}

void OnSave(HWND window) {
    historyList.saveHistoryFile();
    UpdateTitle(window);
    RefreshAfterFileCommand(window);
}

void OnSaveAs(HWND window) {
    if (!historyList.saveHistoryFileAs())
        return;
    UpdateTitle(window);
    RefreshAfterFileCommand(window);
}

void InvalidateForCaptureState(HWND window) {
    InvalidateRect(appState.tabControl, nullptr, TRUE);
    if (appState.tabControl && TabCtrl_GetCurSel(appState.tabControl) == 1)
        InvalidateRect(window, nullptr, TRUE);
}

void StartCapturing(HWND window) {
    capturer.startMonitoring(window);
    InvalidateForCaptureState(window);
    if (settings().capturesFollowHistory() && history.untitled) {
        toolbar.setButtonState(kCaptureButton, kEnabled);
        return;
    }
    SetCaptureCommands(window, true);
    capture_road::ShowCaptureStatus(true);
    ShowHotKeyFailures(tabHost.keyPanelHost.keyPanel);
    capturer.reportHotKeyFailures(window);
}

void StopCapturing(HWND window) {
    capture_road::CancelPendingCapture(window);
    capturer.stopMonitoring(window);
    InvalidateForCaptureState(window);
    SetCaptureCommands(window, false);
    capture_road::ShowCaptureStatus(false);
    ShowHotKeyFailures(tabHost.keyPanelHost.keyPanel);
}

void OnCaptureButton(HWND window) {
    const int command =
        toolbar.getButtonState(kCaptureButton) == kChecked ? IDM_CAPTURE_START : IDM_CAPTURE_STOP;
    SendMessageA(window, WM_COMMAND, command, 0);
}

void OnReport(HWND window) {
    ReportExtras extras;
    if (RunReportOptionsDialog(window, &extras) != IDOK)
        return;
    if (export_road::Report(window, reportJobFromSettings(settings()), extras)) {
        ShowMessage(window, "HTMLファイルの作成処理が終了しました。", "確認",
                    MB_ICONINFORMATION | MB_OK);
    }
}

void OnPreferences(HWND window) {
    RunSettingsPropertySheet(window);
    tabHost.makeFont();
    historyList.applyFont();
    LayoutPanes(window, 0, 0);
}

void HelpPath(char (&path)[kPathSize]) {
    char full[kPathSize + 16];
    std::snprintf(full, sizeof full, "%s\\ZCP2Help.chm", settingsStore.startDirectory);
    // A help path too long to hold names no file: the viewer finds nothing.
    if (!cp932::copyText(path, full))
        path[0] = '\0';
}

void OnHelp(HWND window, int id) {
    char path[kPathSize];
    HelpPath(path);
    if (id == IDM_HELP_CONTENTS) {
        CallHtmlHelp(window, path, HH_DISPLAY_TOC, 0);
    } else if (id == IDM_HELP_SEARCH) {
        HH_FTS_QUERY query{};
        query.cbStruct = sizeof query;
        query.fUniCodeStrings = FALSE;
        query.pszSearchQuery = "";
        query.iProximity = -1;
        query.fStemmedSearch = FALSE;
        query.fTitleOnly = FALSE;
        query.fExecute = TRUE;
        query.pszWindow = nullptr;
        CallHtmlHelp(window, path, HH_DISPLAY_SEARCH, reinterpret_cast<DWORD_PTR>(&query));
    } else {
        HH_AKLINK link{};
        link.cbStruct = sizeof link;
        link.fReserved = FALSE;
        link.pszKeywords = "";
        link.pszUrl = nullptr;
        link.pszMsgText = "キーワードが見つかりません";
        link.pszMsgTitle = "キーワードエラー";
        link.pszWindow = nullptr;
        CallHtmlHelp(window, path, HH_KEYWORD_LOOKUP, reinterpret_cast<DWORD_PTR>(&link));
    }
}

// The two selected records, in list order, and the pictures a comparison
// takes of them; false when the command does not apply.
bool SelectedComparison(CompareRequest& request) {
    char first[kPathSize], second[kPathSize];
    char firstHeading[kCommentSize], secondHeading[kCommentSize];
    std::string shown;
    if (!historyList.selectedPicturePair(first, second, firstHeading, secondHeading) ||
        !ComparisonPicture(first, shown) || !ComparisonPicture(second, shown))
        return false;
    request = {first, second, firstHeading, secondHeading};
    return true;
}

void OnCompare(HWND window) {
    CompareRequest request;
    if (SelectedComparison(request))
        OpenCompareWindow(appState.instance, window, request);
}

void OnAnnotate(HWND window) {
    char picture[kPathSize];
    if (historyList.selectedPicturePath(picture))
        OpenAnnotationEditor(appState.instance, window, picture);
}

void OnMaskProposals(HWND window) {
    char picture[kPathSize];
    if (historyList.selectedPicturePath(picture))
        OpenMaskProposals(appState.instance, window, picture);
}

void OnAbout(HWND window) {
    DialogBoxParamA(appState.instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), window, AboutDialogProc, 0);
}

// ツール → 証跡の検証: a saved history with records is checked as always;
// without one the command asks for a one-file pack to check instead.
void VerifyCommand(HWND window) {
    if (!history.untitled && history.count > 0) {
        RunEvidenceVerify(window);
        return;
    }
    std::string path, text;
    VerifyResult result;
    if (pack_win::ChoosePackToVerify(window, path) &&
        pack_win::VerifyPackFile(window, path, result, text))
        ShowEvidenceList(window, path, text);
}

// The menus' and toolbar's commands, each one operation.
struct Command {
    int id;
    void (*run)(HWND window, int id);
};

constexpr Command kCommands[] = {
    // 履歴ファイル
    {IDM_FILE_NEW, [](HWND w, int) { OnNew(w); }},
    {IDM_FILE_OPEN, [](HWND w, int) { OnOpen(w); }},
    {IDM_FILE_SAVE, [](HWND w, int) { OnSave(w); }},
    {IDM_FILE_SAVE_AS, [](HWND w, int) { OnSaveAs(w); }},
    {IDM_EXIT, [](HWND w, int) { PostMessageA(w, WM_CLOSE, 0, 0); }},
    // 編集
    {IDM_EDIT_HEADING, [](HWND, int) { historyList.editHeadingInPlace(); }},
    {IDM_EDIT_HEADINGS,
     [](HWND w, int) {
         if (historyList.editHeadingsOfSelection())
             UpdateHistoryCommands(w);
     }},
    {IDM_EDIT_DELETE,
     [](HWND w, int) {
         historyList.deleteSelected();
         UpdateHistoryCommands(w);
     }},
    {IDM_EDIT_MOVE_UP,
     [](HWND w, int) {
         historyList.moveUp();
         UpdateHistoryCommands(w);
     }},
    {IDM_EDIT_MOVE_DOWN,
     [](HWND w, int) {
         historyList.moveDown();
         UpdateHistoryCommands(w);
     }},
    {IDM_EDIT_SELECT_ALL, [](HWND, int) { historyList.selectAll(); }},
    {IDM_ANNOTATE, [](HWND w, int) { OnAnnotate(w); }},
    {IDM_COMPARE, [](HWND w, int) { OnCompare(w); }},
    {IDM_MASK_PROPOSALS, [](HWND w, int) { OnMaskProposals(w); }},
    {IDM_FIND, [](HWND w, int) { record_find::Open(w); }},
    {IDM_FIND_NEXT, [](HWND w, int) { record_find::Step(w, true); }},
    {IDM_FIND_PREVIOUS, [](HWND w, int) { record_find::Step(w, false); }},
    {IDM_TEST_CASE,
     [](HWND w, int) {
         if (historyList.editCasesOfSelection()) {
             retest_road::CasesEdited(w);
             UpdateHistoryCommands(w);
         }
     }},
    {IDM_VERDICT_OK,
     [](HWND w, int) {
         if (historyList.setVerdictOfSelection(testcase::Verdict::ok))
             UpdateHistoryCommands(w);
     }},
    {IDM_ACCEPT_PROPOSAL,
     [](HWND w, int) {
         retest_road::AcceptCommand(w);
         UpdateHistoryCommands(w);
     }},
    {IDM_BASELINE_CHOOSE,
     [](HWND w, int) {
         retest_road::ChooseCommand(w);
         UpdateHistoryCommands(w);
     }},
    {IDM_BASELINE_CLEAR,
     [](HWND w, int) {
         retest_road::ClearCommand(w);
         retest_guide::Close();
         UpdateHistoryCommands(w);
     }},
    {IDM_BASELINE_GUIDE, [](HWND w, int) { retest_guide::Toggle(w); }},
    {IDM_VERDICT_NG,
     [](HWND w, int) {
         if (historyList.setVerdictOfSelection(testcase::Verdict::ng))
             UpdateHistoryCommands(w);
     }},
    {IDM_ASSIGN_TEXT, [](HWND, int) { historyList.assignTextFile(); }},
    {IDM_EDIT_TEXT, [](HWND, int) { historyList.openTextOfSelection(); }},
    {IDM_OPEN_RECORD, [](HWND, int) { historyList.openSelected(); }},
    // キャプチャー
    {IDM_CAPTURE_START, [](HWND w, int) { StartCapturing(w); }},
    {IDM_CAPTURE_STOP, [](HWND w, int) { StopCapturing(w); }},
    {IDM_STEP_START, [](HWND w, int) { capture_road::StartStepRecording(w); }},
    {IDM_STEP_STOP, [](HWND w, int) { capture_road::StopStepRecording(w); }},
    {IDM_SCROLL_CAPTURE, [](HWND w, int) { capture_road::StartScrollCapture(w); }},
    {IDM_CAPTURE_TOGGLE, [](HWND w, int) { OnCaptureButton(w); }},
    // 出力とツール
    {IDM_REPORT, [](HWND w, int) { OnReport(w); }},
    {IDM_EXCEL, [](HWND w, int) { export_road::WorkbookCommand(w); }},
    {IDM_VERIFY, [](HWND w, int) { VerifyCommand(w); }},
    {IDM_STAMP_SETTINGS, [](HWND w, int) { EditStampSettings(appState.instance, w); }},
    {IDM_PACK, [](HWND w, int) { export_road::PackCommand(w); }},
    {IDM_PERSONAL_PATTERNS, [](HWND w, int) { EditPersonalPatterns(appState.instance, w); }},
    {IDM_PREFERENCES, [](HWND w, int) { OnPreferences(w); }},
    {IDM_OCR_READ_ALL, [](HWND w, int) { ocr_road::ReadAllCommand(w); }},
    {IDM_OCR_SETTINGS, [](HWND w, int) { ocr_road::SettingsCommand(w); }},
    // ヘルプ
    {IDM_HELP_CONTENTS, OnHelp},
    {IDM_HELP_SEARCH, OnHelp},
    {IDM_HELP_KEYWORD, OnHelp},
    {IDM_ABOUT, [](HWND w, int) { OnAbout(w); }},
};

bool OnCommand(HWND window, int id) {
    for (const Command& command : kCommands) {
        if (command.id == id) {
            command.run(window, id);
            return true;
        }
    }
    return false;
}

// Moved onto a monitor of another scale: the size the system suggests for
// it, laid out by WM_SIZE. Nothing here waits, so a capture key pressed
// meanwhile goes through as always.
void OnDpiChanged(HWND window, const RECT& suggested) {
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A record the capture road appended: the title when auto-save wrote the
// history, and the command states.
void OnRecordAdded(HWND window, bool saved) {
    if (saved)
        UpdateTitle(window);
    UpdateHistoryCommands(window);
    UpdateSelectionCommands(window);
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
    capturer.loadExtras();
    capture_road::SetStepCommands(window);
    capturer.registerStepKey(window);
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
    DispatchWithKeyboard(mainWindow, accelerators, message);
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
        case WM_ACTIVATE:
            OnMainWindowActivate(window, wParam);
            return 0;
        case WM_CLOSE:
            // Disabled, a window of ours is open over this one; keys that
            // reach it past a message box (Alt+F4 through the box's loop)
            // must not destroy the box's owner under it.
            if (IsWindowEnabled(window))
                OnClose(window);
            return 0;
        case UWM_UPDATE_COMMANDS:
            UpdateHistoryCommands(window);
            UpdateSelectionCommands(window);
            return 0;
        case UWM_STEP_SHOT:
            capture_road::OnStepShot(window);
            return 0;
        case UWM_RECORD_ADDED:
            OnRecordAdded(window, wParam != 0);
            return 0;
        case UWM_ADD_COMPARISON:
            return capture_road::AddComparison(
                       window, *reinterpret_cast<const ComparisonRecord*>(lParam))
                       ? 1
                       : 0;
        case UWM_ANNOTATED:
            LogAnnotation(reinterpret_cast<const char*>(lParam));
            return 0;
        case UWM_SHOW_IMAGE:
            ShowSelectedPicture();
            return 0;
        case UWM_REPAINT_TABS:
            RepaintTabStrip();
            return 0;
        case WM_TIMER:
            if (capture_road::OnTimer(window, wParam))
                return 0;
            break;
        case WM_HOTKEY:
            capture_road::OnHotKey(window, static_cast<int>(wParam), lParam);
            return 0;
        case kDpiChanged:
            OnDpiChanged(window, *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(window, reinterpret_cast<NMHDR*>(lParam));
        case WM_COPYDATA:
            return script_host::OnCopyData(window, reinterpret_cast<HWND>(wParam),
                                           reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_COMMAND:
            if (OnCommand(window, LOWORD(wParam)))
                return 0;
            break;
        default:
            if (ocr_road::OnPosted(window, message, lParam) ||
                retest_road::OnPosted(window, message, lParam))
                return 0;
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ShowSelectedPicture() {
    ShowSelectedImage();
    record_find::FramePicture();
    statusBar.setAnnotated(ShowsAnnotatedPicture());
    ocr_road::ShowStatusOfSelection();
    retest_road::ShowStatusOfSelection();
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
    toolbar.setButtonState(kCaptureButton, started ? kChecked : kEnabled);
}

void UpdateHistoryCommands(HWND mainWindow) {
    const bool modified = history.modified != 0;
    EnableMenuCommand(mainWindow, IDM_FILE_SAVE, modified);
    toolbar.setButtonState(kSaveButton, modified ? kEnabled : kGreyed);
    const bool items = historyList.itemCount() > 0;
    EnableMenuCommand(mainWindow, IDM_REPORT, items);
    EnableMenuCommand(mainWindow, IDM_EXCEL, items);
    EnableMenuCommand(mainWindow, IDM_PACK, items);
    EnableMenuCommand(mainWindow, IDM_OCR_READ_ALL, items);
    // The evidence files sit beside a saved history; without one the command
    // checks a one-file pack, so it is always there.
    EnableMenuCommand(mainWindow, IDM_VERIFY, true);
    EnableMenuCommand(mainWindow, IDM_BASELINE_CLEAR, !history.baseline.empty());
    EnableMenuCommand(mainWindow, IDM_ACCEPT_PROPOSAL, retest_road::Active());
    EnableMenuCommand(mainWindow, IDM_BASELINE_GUIDE, retest_road::Active());
    toolbar.setButtonState(kReportButton, items ? kEnabled : kGreyed);
}

void UpdateSelectionCommands(HWND mainWindow) {
    EnableMenuCommand(mainWindow, IDM_EDIT_SELECT_ALL, historyList.itemCount() > 0);
    const bool selection = historyList.selectedCount() > 0;
    for (UINT id : {IDM_EDIT_HEADINGS, IDM_EDIT_HEADING, IDM_EDIT_DELETE, IDM_EDIT_MOVE_UP,
                    IDM_EDIT_MOVE_DOWN, IDM_TEST_CASE}) {
        EnableMenuCommand(mainWindow, id, selection);
    }
    char picture[kPathSize];
    const bool picked = historyList.selectedPicturePath(picture);
    EnableMenuCommand(mainWindow, IDM_ANNOTATE, picked);
    EnableMenuCommand(mainWindow, IDM_MASK_PROPOSALS, picked);
    CompareRequest pair;
    EnableMenuCommand(mainWindow, IDM_COMPARE, SelectedComparison(pair));
    for (int button = Toolbar::kHeadingsButton; button <= Toolbar::kMoveDownButton; ++button) {
        toolbar.setButtonState(button, selection ? kEnabled : kGreyed);
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
    if (historyList.window) {
        for (int i = 0; i < kColumnCount; ++i)
            s.columnWidths[i] = historyList.columnWidth(i);
    }
    s.windowX = r.left;
    s.windowY = r.top;
    s.windowWidth = r.right - r.left;
    s.windowHeight = r.bottom - r.top;
}
