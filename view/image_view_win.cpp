#include "view/image_view_win.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "base/cp932.h"
#include "base/message_box_win.h"
#include "base/win_handles_win.h"
#include "history/history.h"
#include "history/history_paths.h"
#include "view/bmp_loader.h"
#include "view/image_names.h"
#include "view/jpeg_decoder.h"
#include "view/image_pane_win.h"
#include "view/pane_layout.h"
#include "view/scroll_math.h"

extern History history;

namespace {

HWND MessageOwner() {
    return imagePane ? imagePane->container : nullptr;
}

void ReportFile(const char* what, const char* path) {
    char text[kPathSize + 96];
    std::snprintf(text, sizeof text, "%s\r\n (%s)\r\n", what, path);
    ShowMessage(MessageOwner(), text, "ERROR", MB_ICONERROR | MB_OK);
}

void ReportReadFailure(const char* path) {
    ReportFile("ファイルの読み込みに失敗しました", path);
}

ScrollBar ReadBar(HWND view, int bar, bool* ok) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    *ok = GetScrollInfo(view, bar, &info) != FALSE;
    return {info.nMin, info.nMax, static_cast<int>(info.nPage), info.nPos};
}

void SetBarPos(HWND view, int bar, int pos) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = pos;
    SetScrollInfo(view, bar, &info, TRUE);
}

void SetBar(HWND view, int bar, const ScrollBar& values) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    info.nMin = values.min;
    info.nMax = values.max;
    info.nPage = static_cast<UINT>(values.page);
    info.nPos = values.pos;
    SetScrollInfo(view, bar, &info, TRUE);
}

void OnScroll(HWND view, int bar, WPARAM wParam) {
    bool ok = false;
    const ScrollBar current = ReadBar(view, bar, &ok);
    if (!ok)
        return;
    SetBarPos(view, bar, scrollRequestPos(current, static_cast<std::uint32_t>(wParam)));
    InvalidateRect(view, nullptr, TRUE);
}

void OnKey(HWND view, WPARAM key) {
    const ViewKeyAction action = viewKeyAction(static_cast<int>(key));
    if (action.focusList) {
        if (imagePane && imagePane->list)
            SetFocus(imagePane->list);
        return;
    }
    if (action.axis != ScrollAxis::kNone) {
        const int bar = action.axis == ScrollAxis::kVertical ? SB_VERT : SB_HORZ;
        bool ok = false;
        const ScrollBar current = ReadBar(view, bar, &ok);
        if (ok)
            SetBarPos(view, bar, lineScrollPos(current, action.lines));
    }
    if (action.repaint)
        InvalidateRect(view, nullptr, TRUE);
}

void OnWheel(HWND view, WPARAM wParam) {
    const std::uint32_t w = static_cast<std::uint32_t>(wParam);
    const int bar = wheelScrollsHorizontally(w) ? SB_HORZ : SB_VERT;
    bool ok = false;
    const ScrollBar current = ReadBar(view, bar, &ok);
    if (!ok)
        return;
    SetBarPos(view, bar, wheelScrollPos(current, w));
    InvalidateRect(view, nullptr, TRUE);
}

// The view follows its frame; the list pane takes what the frame leaves.
void Relayout(HWND view) {
    if (!imagePane || !imagePane->view)
        return;
    const int f = GetSystemMetrics(SM_CXFRAME);
    RECT c, fr;
    GetWindowRect(imagePane->container, &c);
    GetWindowRect(imagePane->frame, &fr);
    const PaneRect inFrame = viewRectInFrame(fr.right - fr.left, fr.bottom - fr.top, f);
    MoveWindow(view, inFrame.x, inFrame.y, inFrame.width, inFrame.height, TRUE);
    const PaneRect list =
        listPaneRectAboveFrame(c.right - c.left, c.bottom - c.top, fr.bottom - fr.top, f);
    MoveWindow(imagePane->listPane, list.x, list.y, list.width, list.height, TRUE);
    UpdateScrollRanges();
    InvalidateRect(view, nullptr, TRUE);
}

bool ReadWholeFile(HANDLE file, std::vector<uint8_t>& bytes) {
    LARGE_INTEGER size{};
    // Larger than any picture the pane would take: refused before reading.
    if (!GetFileSizeEx(file, &size) ||
        static_cast<unsigned long long>(size.QuadPart) > kMaxDibBlockSize + 4096)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    return bytes.empty() ||
           (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
            got == bytes.size());
}

}  // namespace

void ReleaseImage() {
    if (imagePane)
        imagePane->picture.reset();
}

int LoadJpegFile(const char* path) {
    if (!imagePane)
        return 0;
    win::StdioFile file(std::fopen(path, "rb"));
    if (!file) {
        ReportFile("ファイルのオープンに失敗しました", path);
        return 0;
    }
    imagePane->picture.reset();
    const bool decoded = decodeJpegFile(file.get(), imagePane->picture);
    file.reset();
    if (!decoded) {
        imagePane->picture.reset();
        ReportReadFailure(path);
        return 0;
    }
    return 1;
}

bool LoadBmpFile(const char* path) {
    if (!imagePane)
        return false;
    win::FileHandle file(
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ShowMessage(MessageOwner(), "ファイルのオープンに失敗しました", "Error", MB_OK);
        return false;
    }
    imagePane->picture.reset();
    std::vector<uint8_t> bytes;
    // A file is untrusted: only a block the checks accept becomes the picture.
    if (!ReadWholeFile(file.get(), bytes) ||
        loadBmpBytes(bytes.data(), bytes.size(), imagePane->picture) != BmpLoad::ok) {
        imagePane->picture.reset();
        ReportReadFailure(path);
        return false;
    }
    return true;
}

void UpdateScrollRanges() {
    if (!imagePane || !imagePane->view || imagePane->picture.empty())
        return;
    RECT r;
    GetWindowRect(imagePane->view, &r);
    const ScrollRanges ranges =
        computeScrollRanges(r.right - r.left, r.bottom - r.top, imagePane->picture.width(),
                            imagePane->picture.height(), GetSystemMetrics(SM_CYHSCROLL));
    SetBar(imagePane->view, SB_VERT, ranges.vertical);
    SetBar(imagePane->view, SB_HORZ, ranges.horizontal);
}

void ShowSelectedImage() {
    if (!imagePane || !imagePane->list)
        return;
    const int row = static_cast<int>(
        SendMessageA(imagePane->list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) {
        ReleaseImage();
    } else {
        char text[kPathSize] = {};
        LVITEMA item{};
        item.iSubItem = 1;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(imagePane->list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        char path[kPathSize] = {};
        if (isRelative(text)) {
            char joined[kPathSize * 2];
            std::snprintf(joined, sizeof joined, "%s%s", history.folder, text);
            // Too long to name the file: no picture rather than another file's.
            if (!cp932::copyText(path, joined))
                path[0] = '\0';
        } else {
            cp932::copyText(path, text);
        }
        if (isJpegName(path)) {
            LoadJpegFile(path);
        } else if (isBmpName(path)) {
            LoadBmpFile(path);
        } else {
            ReleaseImage();
        }
        UpdateScrollRanges();
    }
    InvalidateRect(imagePane->view, nullptr, TRUE);
}

void PaintImageTo(HDC dc, const RECT& client, const PackedDib* picture, int hPos, int vPos) {
    if (picture && !picture->empty()) {
        const ViewPoint at = pictureOrigin(hPos, vPos);
        SetDIBitsToDevice(dc, at.x, at.y, picture->width(), picture->height(), 0, 0, 0,
                          picture->height(), picture->bits(),
                          reinterpret_cast<const BITMAPINFO*>(picture->data()), DIB_RGB_COLORS);
    } else {
        BitBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top,
               nullptr, 0, 0, WHITENESS);
    }
}

bool PaintImage(HWND view) {
    bool vertical = false, horizontal = false;
    const ScrollBar v = ReadBar(view, SB_VERT, &vertical);
    const ScrollBar h = ReadBar(view, SB_HORZ, &horizontal);
    if (!vertical || !horizontal)
        return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(view, &ps);
    {
        win::SelectGuard font(
            dc, imagePane && imagePane->font ? imagePane->font.get() : GetStockObject(SYSTEM_FONT));
        SetBkMode(dc, TRANSPARENT);
        RECT client;
        GetClientRect(view, &client);
        PaintImageTo(dc, client, imagePane ? &imagePane->picture : nullptr, h.pos, v.pos);
    }
    EndPaint(view, &ps);
    return true;
}

LRESULT CALLBACK ImageViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            if (PaintImage(window))
                return 0;
            break;
        case WM_HSCROLL:
            OnScroll(window, SB_HORZ, wParam);
            return 0;
        case WM_VSCROLL:
            OnScroll(window, SB_VERT, wParam);
            return 0;
        case WM_KEYDOWN:
            OnKey(window, wParam);
            return 0;
        case WM_MOUSEWHEEL:
            OnWheel(window, wParam);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_ACTIVATE:
            SetFocus(window);
            return 0;
        case WM_MOVE:
        case WM_SIZE:
            if (imagePane && imagePane->view) {
                Relayout(window);
                return 0;
            }
            break;
        case WM_GETMINMAXINFO:
            if (imagePane && imagePane->tabControl) {
                const SIZE c = PaneWindowSize(imagePane->container);
                AnswerTrackLimits(reinterpret_cast<MINMAXINFO*>(lParam),
                                  viewTrackLimits(c.cx, c.cy, GetSystemMetrics(SM_CXFRAME),
                                                  GetSystemMetrics(SM_CYFRAME)));
                return 0;
            }
            break;
        case WM_NCHITTEST:
            return mapEdgeHitTest(
                static_cast<int>(DefWindowProcA(window, message, wParam, lParam)));
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
