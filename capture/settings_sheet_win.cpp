#include "capture/settings_sheet_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstddef>
#include <cstdio>

#include "base/cp932.h"
#include "base/dialog_text_win.h"
#include "base/message_box_win.h"
#include "base/typed_chars_win.h"
#include "base/win_handles_win.h"
#include "capture/capture_extras_page_win.h"
#include "capture/capturer_win.h"
#include "capture/settings_sheet_rules.h"
#include "resources/capture_extras_ids.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

SettingsSheet settingsSheet;

// The font chooser edits the settings' font records in place.
static_assert(offsetof(FontEntry, faceName) == offsetof(LOGFONTA, lfFaceName),
              "FontEntry must start like LOGFONTA");
static_assert(offsetof(FontEntry, pointSize) >= sizeof(LOGFONTA),
              "FontEntry must hold a whole LOGFONTA");

namespace {

Settings& settings() {
    return settingsStore.settings;
}

bool IsChecked(HWND page, int id) {
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void Enable(HWND page, int id, bool enabled) {
    EnableWindow(GetDlgItem(page, id), enabled ? TRUE : FALSE);
}

void LimitText(HWND page, int id, int bytes) {
    SendDlgItemMessageA(page, id, EM_LIMITTEXT, static_cast<WPARAM>(bytes), 0);
}

int32_t ReadNumber(HWND page, int id) {
    BOOL ok = FALSE;
    return static_cast<int32_t>(GetDlgItemInt(page, id, &ok, TRUE));
}

// Tells the sheet how an apply went.
INT_PTR ApplyResult(HWND page, LONG_PTR result) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

bool IsApply(LPARAM lParam) {
    return reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY);
}

// --- 保存ファイル ---------------------------------------------------------

void ShowFolderChoice(HWND page, bool given) {
    Enable(page, IDC_SHEET_FOLDER, given);
    Enable(page, IDC_SHEET_BROWSE, given);
}

void InitSaveFiles(HWND page) {
    const Settings& s = settings();
    // Capturer keeps at most 63 bytes of the prefix; a longer one typed here
    // would name files differently from what the field shows.
    LimitText(page, IDC_SHEET_PREFIX, Capturer::kPrefixSize - 1);
    SetDlgItemTextA(page, IDC_SHEET_PREFIX, s.imageFilePrefix);
    SetDlgItemTextA(page, IDC_SHEET_FOLDER, s.saveFolder);
    SetDlgItemInt(page, IDC_SHEET_START, static_cast<UINT>(s.startNumber), TRUE);
    SetDlgItemInt(page, IDC_SHEET_MAX, static_cast<UINT>(s.maxNumber), TRUE);
    CheckRadioButton(page, IDC_SHEET_OVERWRITE_YES, IDC_SHEET_OVERWRITE_NO,
                     s.confirmOverwrite == 1 ? IDC_SHEET_OVERWRITE_YES : IDC_SHEET_OVERWRITE_NO);
    const bool given = !s.capturesFollowHistory();
    CheckRadioButton(page, IDC_SHEET_FOLDER_GIVEN, IDC_SHEET_FOLDER_HISTORY,
                     given ? IDC_SHEET_FOLDER_GIVEN : IDC_SHEET_FOLDER_HISTORY);
    ShowFolderChoice(page, given);
    // The armed hot keys were registered for the current folder rule.
    if (capturer.monitoring() == 1)
        Enable(page, given ? IDC_SHEET_FOLDER_HISTORY : IDC_SHEET_FOLDER_GIVEN, false);
    CheckRadioButton(page, IDC_SHEET_OFFSCREEN_CUT, IDC_SHEET_OFFSCREEN_BLACK,
                     s.offscreenBlack == 0 ? IDC_SHEET_OFFSCREEN_CUT : IDC_SHEET_OFFSCREEN_BLACK);
    CheckDlgButton(page, IDC_SHEET_ZERO_PAD, s.zeroPadNumbers == 1 ? BST_CHECKED : BST_UNCHECKED);
    LimitText(page, IDC_SHEET_START, 6);
    LimitText(page, IDC_SHEET_MAX, 6);
}

INT_PTR ApplySaveFiles(HWND page) {
    const int32_t start = ReadNumber(page, IDC_SHEET_START);
    const int32_t maximum = ReadNumber(page, IDC_SHEET_MAX);
    if (!sheet_rules::numbersInOrder(start, maximum)) {
        ShowMessage(page, "開始番号が最大番号を超えています", "ファイル番号設定エラー",
                    MB_ICONWARNING | MB_OK);
        return ApplyResult(page, PSNRET_INVALID_NOCHANGEPAGE);
    }
    Settings& s = settings();
    ReadDialogText(page, IDC_SHEET_PREFIX, s.imageFilePrefix);
    ReadDialogText(page, IDC_SHEET_FOLDER, s.saveFolder);
    s.startNumber = start;
    s.maxNumber = maximum;
    s.confirmOverwrite = IsChecked(page, IDC_SHEET_OVERWRITE_YES) ? 1 : 0;
    s.folderOption = IsChecked(page, IDC_SHEET_FOLDER_HISTORY) ? 1 : 0;
    s.offscreenBlack = IsChecked(page, IDC_SHEET_OFFSCREEN_CUT) ? 0 : 1;
    s.zeroPadNumbers = IsChecked(page, IDC_SHEET_ZERO_PAD) ? 1 : 0;
    settingsStore.saveFileSettings();

    capturer.applySettings(s);
    return ApplyResult(page, PSNRET_NOERROR);
}

INT_PTR CALLBACK SaveFilesPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitSaveFiles(page);
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED)
                return FALSE;
            switch (LOWORD(wParam)) {
                case IDC_SHEET_FOLDER_GIVEN:
                    ShowFolderChoice(page, true);
                    return TRUE;
                case IDC_SHEET_FOLDER_HISTORY:
                    ShowFolderChoice(page, false);
                    return TRUE;
                case IDC_SHEET_BROWSE:
                    SettingsSheet::browseSaveFolder(page);
                    SetDlgItemTextA(page, IDC_SHEET_FOLDER, settings().saveFolder);
                    return TRUE;
            }
            return FALSE;
        case WM_NOTIFY:
            if (IsApply(lParam))
                return ApplySaveFiles(page);
            return FALSE;
    }
    return FALSE;
}

// --- 履歴リスト -----------------------------------------------------------

void InitHistoryList(HWND page) {
    const Settings& s = settings();
    LimitText(page, IDC_SHEET_COMMENT, kCommentSize - 1);
    SetDlgItemTextA(page, IDC_SHEET_COMMENT, s.comment);
    CheckRadioButton(page, IDC_SHEET_COMMENT_TITLE, IDC_SHEET_COMMENT_TEXT,
                     s.commentSource == 0 ? IDC_SHEET_COMMENT_TITLE : IDC_SHEET_COMMENT_TEXT);
    Enable(page, IDC_SHEET_COMMENT, s.commentSource != 0);
    if (s.autoSaveHistory == 1)
        CheckDlgButton(page, IDC_SHEET_AUTOSAVE_ON, BST_CHECKED);
    else if (s.autoSaveHistory == 0)
        CheckDlgButton(page, IDC_SHEET_AUTOSAVE_OFF, BST_CHECKED);
    LimitText(page, IDC_SHEET_IMAGE_APP, kPathSize);
    LimitText(page, IDC_SHEET_TEXT_APP, kPathSize);
    SetDlgItemTextA(page, IDC_SHEET_IMAGE_APP, s.imageApp);
    SetDlgItemTextA(page, IDC_SHEET_TEXT_APP, s.textApp);
    CheckDlgButton(page, IDC_SHEET_KEEP_IMAGES,
                   s.keepImagesOnDelete == 1 ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR ApplyHistoryList(HWND page) {
    Settings& s = settings();
    ReadDialogText(page, IDC_SHEET_COMMENT, s.comment);
    s.commentSource = IsChecked(page, IDC_SHEET_COMMENT_TITLE) ? 0 : 1;
    // With neither button checked the stored choice stays as it was.
    if (IsChecked(page, IDC_SHEET_AUTOSAVE_ON))
        s.autoSaveHistory = 1;
    else if (IsChecked(page, IDC_SHEET_AUTOSAVE_OFF))
        s.autoSaveHistory = 0;
    s.keepImagesOnDelete = IsChecked(page, IDC_SHEET_KEEP_IMAGES) ? 1 : 0;
    ReadDialogText(page, IDC_SHEET_IMAGE_APP, s.imageApp);
    ReadDialogText(page, IDC_SHEET_TEXT_APP, s.textApp);
    settingsStore.saveFileSettings();
    return ApplyResult(page, PSNRET_NOERROR);
}

void ChooseApplication(HWND page, char (&setting)[kPathSize], int field) {
    if (!settingsSheet.chooseExecutable(page))
        return;
    cp932::copyText(setting, settingsSheet.chosenPath);
    SetDlgItemTextA(page, field, setting);
}

INT_PTR CALLBACK HistoryListPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitHistoryList(page);
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED)
                return FALSE;
            switch (LOWORD(wParam)) {
                case IDC_SHEET_COMMENT_TITLE:
                    Enable(page, IDC_SHEET_COMMENT, false);
                    return TRUE;
                case IDC_SHEET_COMMENT_TEXT:
                    Enable(page, IDC_SHEET_COMMENT, true);
                    return TRUE;
                case IDC_SHEET_CHOOSE_IMAGE_APP:
                    ChooseApplication(page, settings().imageApp, IDC_SHEET_IMAGE_APP);
                    return TRUE;
                case IDC_SHEET_CHOOSE_TEXT_APP:
                    ChooseApplication(page, settings().textApp, IDC_SHEET_TEXT_APP);
                    return TRUE;
            }
            return FALSE;
        case WM_NOTIFY:
            if (IsApply(lParam))
                return ApplyHistoryList(page);
            return FALSE;
    }
    return FALSE;
}

// --- ファイル形式 ---------------------------------------------------------

void InitFileFormat(HWND page) {
    const Settings& s = settings();
    SendDlgItemMessageA(page, IDC_SHEET_QUALITY, TBM_SETRANGE, TRUE,
                        MAKELPARAM(sheet_rules::kQualityMin, sheet_rules::kQualityMax));
    SendDlgItemMessageA(page, IDC_SHEET_QUALITY, TBM_SETPOS, TRUE,
                        sheet_rules::shownQuality(s.jpegQuality));
    SendDlgItemMessageA(page, IDC_SHEET_QUALITY, TBM_SETPAGESIZE, 0, sheet_rules::kQualityPage);
    // PNG lives in the [Capture_Ext] group and overrides the JPEG/BMP
    // choice, which stays stored as it was.
    if (capturer.extras().png)
        CheckDlgButton(page, IDC_SHEET_PNG, BST_CHECKED);
    else if (s.jpegMode == 1)
        CheckDlgButton(page, IDC_SHEET_JPEG, BST_CHECKED);
    else if (s.jpegMode == 0)
        CheckDlgButton(page, IDC_SHEET_BMP, BST_CHECKED);
    Enable(page, IDC_SHEET_QUALITY, IsChecked(page, IDC_SHEET_JPEG));
}

INT_PTR ApplyFileFormat(HWND page) {
    Settings& s = settings();
    const bool png = IsChecked(page, IDC_SHEET_PNG);
    if (IsChecked(page, IDC_SHEET_JPEG))
        s.jpegMode = 1;
    else if (IsChecked(page, IDC_SHEET_BMP))
        s.jpegMode = 0;
    s.jpegQuality =
        static_cast<int32_t>(SendDlgItemMessageA(page, IDC_SHEET_QUALITY, TBM_GETPOS, 0, 0));
    capturer.applySettings(s);
    settingsStore.saveFileSettings();
    // Only a change rewrites the group: a user who never picks PNG keeps a
    // settings file without it. With no button checked (a jpegMode other
    // than 0 and 1) the choice stays as it was.
    const bool chosen = png || IsChecked(page, IDC_SHEET_JPEG) || IsChecked(page, IDC_SHEET_BMP);
    if (chosen && png != capturer.extras().png) {
        CaptureExtras extras = capturer.extras();
        extras.png = png;
        capturer.setExtras(extras);
        capturer.saveExtras();
    }
    return ApplyResult(page, PSNRET_NOERROR);
}

INT_PTR CALLBACK FileFormatPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitFileFormat(page);
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED)
                return FALSE;
            switch (LOWORD(wParam)) {
                case IDC_SHEET_JPEG:
                    Enable(page, IDC_SHEET_QUALITY, true);
                    return TRUE;
                case IDC_SHEET_BMP:
                case IDC_SHEET_PNG:
                    Enable(page, IDC_SHEET_QUALITY, false);
                    return TRUE;
            }
            return FALSE;
        case WM_NOTIFY:
            if (IsApply(lParam))
                return ApplyFileFormat(page);
            return FALSE;
    }
    return FALSE;
}

// --- フォント -------------------------------------------------------------

// Only face, style, size and sample mean anything to the program.
UINT_PTR CALLBACK fontDialogHook(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG)
        return 0;
    static const int kHidden[] = {1072, 1040, 1041, 1091, 1139, 1094, 1140};
    for (const int id : kHidden)
        ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    return TRUE;
}

void ShowFont(HWND page, const FontEntry& font, int faceField, int sizeField) {
    SetDlgItemTextA(page, faceField, font.faceName);
    char size[16];
    std::snprintf(size, sizeof size, "%d", static_cast<int>(font.pointSize));
    SetDlgItemTextA(page, sizeField, size);
}

void ChooseFontFor(HWND page, FontEntry& font, int faceField, int sizeField) {
    CHOOSEFONTA choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = page;
    choice.lpLogFont = reinterpret_cast<LOGFONTA*>(&font);
    choice.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK;
    choice.lpfnHook = fontDialogHook;
    choice.nFontType = SCREEN_FONTTYPE;
    if (!ChooseFontA(&choice))
        return;
    font.pointSize = sheet_rules::pointSizeFromTenths(choice.iPointSize);
    ShowFont(page, font, faceField, sizeField);
}

INT_PTR ApplyFonts(HWND page) {
    Settings& s = settings();
    ReadDialogText(page, IDC_SHEET_GENERAL_FACE, s.generalFont.faceName);
    ReadDialogText(page, IDC_SHEET_HISTORY_FACE, s.historyFont.faceName);
    s.generalFont.pointSize = ReadNumber(page, IDC_SHEET_GENERAL_SIZE);
    s.historyFont.pointSize = ReadNumber(page, IDC_SHEET_HISTORY_SIZE);
    settingsStore.saveFileSettings();
    return ApplyResult(page, PSNRET_NOERROR);
}

INT_PTR CALLBACK FontPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    Settings& s = settings();
    switch (message) {
        case WM_INITDIALOG:
            ShowFont(page, s.generalFont, IDC_SHEET_GENERAL_FACE, IDC_SHEET_GENERAL_SIZE);
            ShowFont(page, s.historyFont, IDC_SHEET_HISTORY_FACE, IDC_SHEET_HISTORY_SIZE);
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED)
                return FALSE;
            switch (LOWORD(wParam)) {
                case IDC_SHEET_GENERAL_FONT:
                    ChooseFontFor(page, s.generalFont, IDC_SHEET_GENERAL_FACE,
                                  IDC_SHEET_GENERAL_SIZE);
                    return TRUE;
                case IDC_SHEET_HISTORY_FONT:
                    ChooseFontFor(page, s.historyFont, IDC_SHEET_HISTORY_FACE,
                                  IDC_SHEET_HISTORY_SIZE);
                    return TRUE;
            }
            return FALSE;
        case WM_NOTIFY:
            if (IsApply(lParam))
                return ApplyFonts(page);
            return FALSE;
    }
    return FALSE;
}

// A modal sheet's own loop gives each message to IsDialogMessage alone under
// Wine, which takes Ctrl+Tab and Ctrl+PageDown for Tab and moves the focus:
// the page never turns. The sheet runs modeless in this loop instead, which
// asks the sheet first, and keeps its owner disabled as a modal sheet would.
INT_PTR RunSheet(PROPSHEETHEADERA& header) {
    HWND owner = header.hwndParent ? GetAncestor(header.hwndParent, GA_ROOT) : nullptr;
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner)
        EnableWindow(owner, FALSE);
    header.dwFlags |= PSH_MODELESS;
    const auto sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    INT_PTR result = -1;
    if (sheet) {
        MSG message{};
        while (IsWindow(sheet) && PropSheet_GetCurrentPageHwnd(sheet)) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == 0) {
                // The quit belongs to the loop outside.
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got < 0)
                break;
            if (!DispatchTypedChar(message) && !PropSheet_IsDialogMessage(sheet, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        if (IsWindow(sheet))
            result = PropSheet_GetResult(sheet);
    }
    // The owner first, so that the activation goes back to it.
    if (disableOwner)
        EnableWindow(owner, TRUE);
    if (sheet && IsWindow(sheet))
        DestroyWindow(sheet);
    return result;
}

}  // namespace

INT_PTR SettingsSheet::open(HWND owner) {
    struct PageDef {
        int templateId;
        DLGPROC procedure;
    };
    static const PageDef kPages[] = {
        {IDD_SHEET_FILES, SaveFilesPage},
        {IDD_SHEET_HISTORY, HistoryListPage},
        {IDD_SHEET_FORMAT, FileFormatPage},
        {IDD_SHEET_FONTS, FontPage},
        {IDD_SHEET_CAPTURE_EXTRAS, CaptureExtrasPage},
    };
    constexpr int kPageCount = sizeof kPages / sizeof kPages[0];
    const HINSTANCE instance = GetModuleHandleA(nullptr);

    PROPSHEETPAGEA pages[kPageCount] = {};
    for (int i = 0; i < kPageCount; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_DEFAULT;
        pages[i].hInstance = instance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(kPages[i].templateId);
        pages[i].pfnDlgProc = kPages[i].procedure;
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = instance;
    header.pszCaption = "環境設定";
    header.nPages = kPageCount;
    header.ppsp = pages;
    return RunSheet(header);
}

int SettingsSheet::browseSaveFolder(HWND owner) {
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = "フォルダを選択してください";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    win::CoTaskMemory item(SHBrowseForFolderA(&info));
    if (!item)
        return 2;
    char path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListA(static_cast<LPITEMIDLIST>(item.get()), path);
    // A virtual folder has no path to save into.
    if (!found)
        return 2;
    cp932::copyText(settings().saveFolder, path);
    return 1;
}

int SettingsSheet::chooseExecutable(HWND owner) {
    chosenPath[0] = '\0';
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "EXE files(*.exe)\0*.exe\0files(*.*)\0*.*\0";
    dialog.lpstrFile = chosenPath;
    dialog.nMaxFile = sizeof chosenPath;
    dialog.lpstrTitle = "実行ファイル名を指定して下さい";
    dialog.lpstrDefExt = "exe";
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&dialog);
}

void RunSettingsPropertySheet(HWND owner) {
    settingsSheet.open(owner);
}
