#include "report/report_dialog_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>

#include "base/app_state_win.h"
#include "base/dialog_text_win.h"
#include "base/message_box_win.h"
#include "base/win_handles_win.h"
#include "report/report_extras.h"
#include "resources/report_ids.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"

namespace {

constexpr int kLayoutCount = 6;
constexpr int kPreviewIds[kLayoutCount] = {IDC_REPORT_PREVIEW_0, IDC_REPORT_PREVIEW_1,
                                           IDC_REPORT_PREVIEW_2, IDC_REPORT_PREVIEW_3,
                                           IDC_REPORT_PREVIEW_4, IDC_REPORT_PREVIEW_5};
constexpr const char* kLayoutNames[] = {
    "レイアウト１ 左：画像／右：説明", "レイアウト２ 左：説明／右：画像",
    "レイアウト３ 上：説明／下：画像", "レイアウト４ 上：画像／下：説明", "レイアウト５ 画像のみ"};

constexpr int kRowsMin = 1;
constexpr int kRowsMax = 100;
constexpr int kCountMin = 1;
constexpr int kCountMax = 5;

// The dialog's private copy: nothing reaches the settings record until the
// user confirms, so a cancel needs no undo.
struct ReportOptions {
    int layout;
    int rowsPerPage;
    int imageWidth;
    int commentWidth;
    char folder[kPathSize];
    char fileName[kPathSize];
    char title[kPathSize];
    int noImageCopy;
    int coverPage;
    int itemNumbers;
    int htmlTags;
    int largeImageLink;
    COLORREF rowColour;    // kept under "枠色", shown as "背景色"
    COLORREF tableColour;  // kept under "背景色", shown as "枠色"
    int itemsPerRow;
    int tocSplit;
    ReportExtras extras;
};

// The colour dialog remembers the user's custom colours across openings.
COLORREF customColours[16];

ReportOptions FromSettings(const Settings& s) {
    ReportOptions o{};
    o.layout = s.reportLayout;
    o.rowsPerPage = s.reportRowsPerPage;
    o.imageWidth = s.reportImageWidth;
    o.commentWidth = s.reportCommentWidth;
    std::snprintf(o.folder, sizeof o.folder, "%s", s.reportFolder);
    std::snprintf(o.fileName, sizeof o.fileName, "%s", s.reportFileName);
    std::snprintf(o.title, sizeof o.title, "%s", s.reportTitle);
    o.noImageCopy = s.reportNoImageCopy;
    o.coverPage = s.reportCoverPage;
    o.itemNumbers = s.reportItemNumbers;
    o.htmlTags = s.reportHtmlTags;
    o.largeImageLink = s.reportLargeImageLink;
    o.rowColour = static_cast<COLORREF>(s.reportFrameColour);
    o.tableColour = static_cast<COLORREF>(s.reportBackgroundColour);
    o.itemsPerRow = s.reportItemsPerRow;
    o.tocSplit = s.reportTocSplit;
    return o;
}

void ToSettings(const ReportOptions& o, Settings& s) {
    s.reportLayout = o.layout;
    s.reportRowsPerPage = o.rowsPerPage;
    s.reportImageWidth = o.imageWidth;
    s.reportCommentWidth = o.commentWidth;
    std::snprintf(s.reportFolder, sizeof s.reportFolder, "%s", o.folder);
    std::snprintf(s.reportFileName, sizeof s.reportFileName, "%s", o.fileName);
    std::snprintf(s.reportTitle, sizeof s.reportTitle, "%s", o.title);
    s.reportNoImageCopy = o.noImageCopy;
    s.reportCoverPage = o.coverPage;
    s.reportItemNumbers = o.itemNumbers;
    s.reportHtmlTags = o.htmlTags;
    s.reportLargeImageLink = o.largeImageLink;
    s.reportFrameColour = static_cast<int32_t>(o.rowColour);
    s.reportBackgroundColour = static_cast<int32_t>(o.tableColour);
    s.reportItemsPerRow = o.itemsPerRow;
    s.reportTocSplit = o.tocSplit;
}

ReportOptions* OptionsOf(HWND dialog) {
    return reinterpret_cast<ReportOptions*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

// A number edit as the user left it: non-numbers count as 0, so that an
// emptied field fails the range checks instead of slipping through.
int ReadNumber(HWND dialog, int id) {
    char text[8] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

void Check(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Enable(HWND dialog, int id, bool on) {
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

// The spin shows the clamped value, as its own arrows would; the edit is
// set afterwards so that it does not depend on the buddy being updated.
void SetUpSpin(HWND dialog, int spinId, int editId, int low, int high, int value) {
    const int shown = Clamp(value, low, high);
    SendDlgItemMessageA(dialog, spinId, UDM_SETRANGE32, low, high);
    SendDlgItemMessageA(dialog, spinId, UDM_SETPOS32, 0, shown);
    SetDlgItemInt(dialog, editId, static_cast<UINT>(shown), TRUE);
}

void ShowColour(HWND dialog, int id, COLORREF colour) {
    SendDlgItemMessageA(dialog, id, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(colour));
}

void UpdatePreviews(HWND dialog, int layout) {
    for (int i = 0; i < kLayoutCount; ++i)
        ShowWindow(GetDlgItem(dialog, kPreviewIds[i]), i == layout ? SW_SHOW : SW_HIDE);
    // The picture-only layouts have no description to size. The rule looks
    // at the layout alone, so at opening it also enables the width edit that
    // a "指定なし" or "テキスト幅に合わせる" choice had just greyed.
    const bool described = layout >= 0 && layout <= 3;
    for (int id : {IDC_REPORT_COMMENT_NONE, IDC_REPORT_COMMENT_SET, IDC_REPORT_COMMENT_FIT,
                   IDC_REPORT_COMMENT_WIDTH})
        Enable(dialog, id, described);
}

// Stacks the previews on the first one's place, at a size that follows the
// dialog's so that they read the same at any font size.
void PlacePreviews(HWND dialog) {
    RECT window{};
    GetWindowRect(dialog, &window);
    const int width = (window.right - window.left) * 2 / 5;
    const int height = width * 30 / 45;
    RECT first{};
    GetWindowRect(GetDlgItem(dialog, kPreviewIds[0]), &first);
    POINT corner{first.left, first.top};
    ScreenToClient(dialog, &corner);
    for (int id : kPreviewIds)
        SetWindowPos(GetDlgItem(dialog, id), nullptr, corner.x, corner.y, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitDialog(HWND dialog, const ReportOptions& o) {
    for (int id : {IDC_REPORT_FOLDER, IDC_REPORT_FILE_NAME, IDC_REPORT_TITLE})
        SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, kPathSize, 0);
    SetDlgItemTextA(dialog, IDC_REPORT_FOLDER, o.folder);
    SetDlgItemTextA(dialog, IDC_REPORT_FILE_NAME, o.fileName);
    SetDlgItemTextA(dialog, IDC_REPORT_TITLE, o.title);

    for (const char* name : kLayoutNames)
        SendDlgItemMessageA(dialog, IDC_REPORT_STYLE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(name));
    // Layout 5 has no entry: the combo then shows no selection.
    SendDlgItemMessageA(dialog, IDC_REPORT_STYLE, CB_SETCURSEL, o.layout, 0);

    // A stored 0 is no width (reportJobFromSettings), so it shows as "なし".
    const bool imageSet = o.imageWidth > 0;
    Check(dialog, IDC_REPORT_IMAGE_NONE, !imageSet);
    Check(dialog, IDC_REPORT_IMAGE_SET, imageSet);
    Enable(dialog, IDC_REPORT_IMAGE_WIDTH, imageSet);
    if (imageSet)
        SetDlgItemInt(dialog, IDC_REPORT_IMAGE_WIDTH, static_cast<UINT>(o.imageWidth), TRUE);

    const bool commentSet = o.commentWidth >= 0;
    const bool commentFit = o.commentWidth == -2;
    Check(dialog, IDC_REPORT_COMMENT_SET, commentSet);
    Check(dialog, IDC_REPORT_COMMENT_FIT, commentFit);
    Check(dialog, IDC_REPORT_COMMENT_NONE, !commentSet && !commentFit);
    Enable(dialog, IDC_REPORT_COMMENT_WIDTH, commentSet);
    if (commentSet)
        SetDlgItemInt(dialog, IDC_REPORT_COMMENT_WIDTH, static_cast<UINT>(o.commentWidth), TRUE);

    SetUpSpin(dialog, IDC_REPORT_ROWS_SPIN, IDC_REPORT_ROWS, kRowsMin, kRowsMax, o.rowsPerPage);
    SetUpSpin(dialog, IDC_REPORT_PER_ROW_SPIN, IDC_REPORT_PER_ROW, kCountMin, kCountMax,
              o.itemsPerRow);
    SetUpSpin(dialog, IDC_REPORT_TOC_SPLIT_SPIN, IDC_REPORT_TOC_SPLIT, kCountMin, kCountMax,
              o.tocSplit);

    PlacePreviews(dialog);

    Check(dialog, IDC_REPORT_NO_IMAGE_COPY, o.noImageCopy != 0);
    Check(dialog, IDC_REPORT_COVER, o.coverPage != 0);
    Check(dialog, IDC_REPORT_ITEM_NUMBERS, o.itemNumbers != 0);
    Check(dialog, IDC_REPORT_HTML_TAGS, o.htmlTags != 0);
    Check(dialog, IDC_REPORT_LARGE_IMAGE_LINK, o.largeImageLink != 0);
    Check(dialog, IDC_REPORT_DIGESTS, o.extras.showDigests);

    UpdatePreviews(dialog, o.layout);

    ShowColour(dialog, IDC_REPORT_ROW_COLOUR, o.rowColour);
    ShowColour(dialog, IDC_REPORT_TABLE_COLOUR, o.tableColour);
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED)
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

// Starts from the folder last chosen, not from what may have been typed.
void BrowseForFolder(HWND dialog, ReportOptions& o) {
    char display[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = dialog;
    info.pszDisplayName = display;
    info.lpszTitle = "フォルダを選択してください";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(o.folder);
    win::CoTaskMemory list(SHBrowseForFolderA(&info));
    if (!list)
        return;
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(static_cast<LPITEMIDLIST>(list.get()), path)) {
        std::snprintf(o.folder, sizeof o.folder, "%s", path);
        SetDlgItemTextA(dialog, IDC_REPORT_FOLDER, o.folder);
    }
}

void ChooseColour(HWND dialog, int boxId, COLORREF& colour) {
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = dialog;
    choose.rgbResult = colour;
    choose.lpCustColors = customColours;
    choose.Flags = CC_RGBINIT;
    if (!ChooseColorA(&choose))
        return;
    colour = choose.rgbResult;
    ShowColour(dialog, boxId, colour);
}

// The two counts share their range and differ only in the message.
enum class Count { ItemsPerRow, TocSplit };

bool CountInRange(HWND dialog, Count count, int& value) {
    value =
        ReadNumber(dialog, count == Count::ItemsPerRow ? IDC_REPORT_PER_ROW : IDC_REPORT_TOC_SPLIT);
    if (value >= kCountMin && value <= kCountMax)
        return true;
    char text[128];
    if (count == Count::ItemsPerRow)
        std::snprintf(text, sizeof text, "１行項目数は%dから%dの値を入力してください。", kCountMin,
                      kCountMax);
    else
        std::snprintf(text, sizeof text, "目次分割数は%dから%dの値を入力してください。", kCountMin,
                      kCountMax);
    ShowMessage(dialog, text, "エラー", MB_OK | MB_ICONWARNING);
    return false;
}

// Takes everything from the controls; false (dialog stays open) when one of
// the two counts is out of range.
bool Confirm(HWND dialog, ReportOptions& o) {
    int itemsPerRow = 0;
    int tocSplit = 0;
    if (!CountInRange(dialog, Count::ItemsPerRow, itemsPerRow))
        return false;
    if (!CountInRange(dialog, Count::TocSplit, tocSplit))
        return false;
    o.itemsPerRow = itemsPerRow;
    o.tocSplit = tocSplit;
    // The report divides by the row count; typed past the spin's range it
    // is pulled back into it rather than refused.
    o.rowsPerPage = Clamp(ReadNumber(dialog, IDC_REPORT_ROWS), kRowsMin, kRowsMax);
    ReadDialogText(dialog, IDC_REPORT_FOLDER, o.folder);
    ReadDialogText(dialog, IDC_REPORT_FILE_NAME, o.fileName);
    ReadDialogText(dialog, IDC_REPORT_TITLE, o.title);
    o.imageWidth =
        Checked(dialog, IDC_REPORT_IMAGE_NONE) ? -1 : ReadNumber(dialog, IDC_REPORT_IMAGE_WIDTH);
    if (Checked(dialog, IDC_REPORT_COMMENT_NONE))
        o.commentWidth = -1;
    else if (Checked(dialog, IDC_REPORT_COMMENT_FIT))
        o.commentWidth = -2;
    else
        o.commentWidth = ReadNumber(dialog, IDC_REPORT_COMMENT_WIDTH);
    o.noImageCopy = Checked(dialog, IDC_REPORT_NO_IMAGE_COPY) ? 1 : 0;
    o.coverPage = Checked(dialog, IDC_REPORT_COVER) ? 1 : 0;
    o.itemNumbers = Checked(dialog, IDC_REPORT_ITEM_NUMBERS) ? 1 : 0;
    o.htmlTags = Checked(dialog, IDC_REPORT_HTML_TAGS) ? 1 : 0;
    o.largeImageLink = Checked(dialog, IDC_REPORT_LARGE_IMAGE_LINK) ? 1 : 0;
    o.extras.showDigests = Checked(dialog, IDC_REPORT_DIGESTS);
    return true;
}

void OnCommand(HWND dialog, ReportOptions& o, int id, int code) {
    switch (id) {
        case IDC_REPORT_STYLE:
            if (code == CBN_SELCHANGE) {
                o.layout = static_cast<int>(
                    SendDlgItemMessageA(dialog, IDC_REPORT_STYLE, CB_GETCURSEL, 0, 0));
                UpdatePreviews(dialog, o.layout);
            }
            break;
        case IDC_REPORT_IMAGE_NONE:
        case IDC_REPORT_IMAGE_SET:
            if (code == BN_CLICKED)
                Enable(dialog, IDC_REPORT_IMAGE_WIDTH, id == IDC_REPORT_IMAGE_SET);
            break;
        case IDC_REPORT_COMMENT_NONE:
        case IDC_REPORT_COMMENT_SET:
            if (code == BN_CLICKED)
                Enable(dialog, IDC_REPORT_COMMENT_WIDTH, id == IDC_REPORT_COMMENT_SET);
            break;
        case IDC_REPORT_BROWSE:
            BrowseForFolder(dialog, o);
            break;
        case IDC_REPORT_ROW_COLOUR_PICK:
            ChooseColour(dialog, IDC_REPORT_ROW_COLOUR, o.rowColour);
            break;
        case IDC_REPORT_TABLE_COLOUR_PICK:
            ChooseColour(dialog, IDC_REPORT_TABLE_COLOUR, o.tableColour);
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        case IDC_REPORT_OUTPUT:
            if (Confirm(dialog, o))
                EndDialog(dialog, IDOK);
            break;
        default:
            break;
    }
}

INT_PTR CALLBACK ReportDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* options = reinterpret_cast<ReportOptions*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            InitDialog(dialog, *options);
            return TRUE;
        }
        case WM_COMMAND:
            if (ReportOptions* options = OptionsOf(dialog))
                OnCommand(dialog, *options, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int RunReportOptionsDialog(HWND owner, ReportExtras* extras) {
    Win32SettingsFiles files;
    ReportOptions options = FromSettings(settingsStore.settings);
    options.extras = report_extras::load(files, settingsStore.iniPath);
    HINSTANCE instance = appState.instance ? appState.instance : GetModuleHandleA(nullptr);
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_REPORT_OPTIONS), owner,
                                           ReportDialogProc, reinterpret_cast<LPARAM>(&options));
    if (result != IDOK)
        return IDCANCEL;
    ToSettings(options, settingsStore.settings);
    settingsStore.saveReportSettings();
    report_extras::save(files, settingsStore.iniPath, options.extras);
    if (extras)
        *extras = options.extras;
    return IDOK;
}
