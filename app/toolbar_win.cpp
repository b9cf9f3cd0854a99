#include "app/toolbar_win.h"

#include "resources/resource_ids.h"

namespace {

constexpr int kStandardButtons = 3;
constexpr int kOwnImages = 6;
constexpr int kImageWidth = 16;
constexpr int kImageHeight = 15;

// Buttons 0 to 2 use the common controls' standard images; the image index
// of 3 to 8 is only known once bitmap 131 has been added, so it is set on a
// copy in create().
const TBBUTTON ToolbarButtons[Toolbar::kButtonCount] = {
    {STD_FILENEW, IDM_FILE_NEW, TBSTATE_ENABLED, BTNS_BUTTON, {0, 0}, 0, 0},
    {STD_FILEOPEN, IDM_FILE_OPEN, TBSTATE_ENABLED, BTNS_BUTTON, {0, 0}, 0, 0},
    {STD_FILESAVE, IDM_FILE_SAVE, TBSTATE_INDETERMINATE, BTNS_BUTTON, {0, 0}, 0, 0},
    {0, IDM_EDIT_HEADINGS, TBSTATE_ENABLED, BTNS_BUTTON, {0, 0}, 0, 0},
    {1, IDM_EDIT_DELETE, TBSTATE_ENABLED, BTNS_BUTTON, {0, 0}, 0, 0},
    {2, IDM_EDIT_MOVE_UP, TBSTATE_ENABLED, BTNS_BUTTON, {0, 0}, 0, 0},
    {3, IDM_EDIT_MOVE_DOWN, TBSTATE_ENABLED, BTNS_BUTTON, {0, 0}, 0, 0},
    {4, IDM_CAPTURE_TOGGLE, TBSTATE_ENABLED, BTNS_CHECK, {0, 0}, 0, 0},
    {5, IDM_REPORT, TBSTATE_ENABLED, BTNS_BUTTON, {0, 0}, 0, 0},
};

const char* const ToolbarTips[Toolbar::kButtonCount] = {
    "新規作成",   "ファイルを開く", "上書きして保存", "履歴編集",           "履歴削除",
    "履歴上移動", "履歴下移動",     "キャプチャー",   "レポート(HTML)出力",
};

// Bar positions of the separators, inserted in this order: each insertion
// shifts the later buttons, which the numbers already allow for.
const int kSeparatorPositions[] = {3, 8, 10};

}  // namespace

HWND Toolbar::create(HWND mainWindow, HINSTANCE instance) {
    window = CreateToolbarEx(mainWindow, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT, 0,
                             kStandardButtons, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, ToolbarButtons,
                             kStandardButtons, 0, 0, kImageWidth, kImageHeight, sizeof(TBBUTTON));
    if (!window)
        return nullptr;

    // The strip is drawn on the classic light grey face. Mapping the greys to
    // the current 3-D colours makes the background the face colour the bar
    // masks out, and keeps the images from sitting in grey boxes on a
    // lighter face.
    bitmap.reset(static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(IDB_TOOLBAR),
                                                 IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
    TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(bitmap.get())};
    const int first = static_cast<int>(
        SendMessageA(window, TB_ADDBITMAP, kOwnImages, reinterpret_cast<LPARAM>(&add)));

    TBBUTTON own[kOwnImages];
    for (int i = 0; i < kOwnImages; ++i) {
        own[i] = ToolbarButtons[kStandardButtons + i];
        own[i].iBitmap = first + i;
    }
    SendMessageA(window, TB_ADDBUTTONSA, kOwnImages, reinterpret_cast<LPARAM>(own));

    const TBBUTTON separator{0, 0, TBSTATE_ENABLED, BTNS_SEP, {0, 0}, 0, 0};
    for (int position : kSeparatorPositions)
        SendMessageA(window, TB_INSERTBUTTONA, position, reinterpret_cast<LPARAM>(&separator));
    return window;
}

void Toolbar::setButtonState(int index, BYTE state) {
    if (!window || index < 0 || index >= kButtonCount)
        return;
    SendMessageA(window, TB_SETSTATE, ToolbarButtons[index].idCommand, MAKELPARAM(state, 0));
}

int Toolbar::getButtonState(int index) const {
    if (!window || index < 0 || index >= kButtonCount)
        return -1;
    return static_cast<int>(SendMessageA(window, TB_GETSTATE, ToolbarButtons[index].idCommand, 0));
}

void Toolbar::onSize(WPARAM sizeType, LPARAM size) {
    if (window)
        SendMessageA(window, WM_SIZE, sizeType, size);
}

void Toolbar::tooltipText(UINT commandId, NMTTDISPINFOA* request) const {
    for (int i = 0; i < kButtonCount; ++i) {
        if (static_cast<UINT>(ToolbarButtons[i].idCommand) == commandId) {
            // The tooltip only reads the text; the field is non-const in the
            // platform's structure.
            request->lpszText = const_cast<char*>(ToolbarTips[i]);
            return;
        }
    }
}
