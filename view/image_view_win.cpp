#include "view/image_view_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "base/cp932.h"
#include "base/file_io_win.h"
#include "base/message_box_win.h"
#include "base/win_handles_win.h"
#include "history/history.h"
#include "history/history_paths.h"
#include "picture/annotation_file.h"
#include "view/bmp_loader.h"
#include "view/image_names.h"
#include "view/jpeg_decoder.h"
#include "view/image_pane_win.h"
#include "view/png_decoder.h"
#include "view/pane_layout.h"
#include "view/scroll_math.h"

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

// Setting a bar has Wine redraw the view's frame, and showing or hiding
// one resizes the view, which lays the panes out again: that was most of a
// selection step. A bar is set only when its values or its visibility
// change.
void SetBar(HWND view, int bar, const ScrollBar& values) {
    bool known = false;
    const ScrollBar now = ReadBar(view, bar, &known);
    const LONG style = GetWindowLongA(view, GWL_STYLE);
    const bool shown = (style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
    const bool wanted = scrollBarShown(values);
    if (known && now == values && shown == wanted)
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    info.nMin = values.min;
    info.nMax = values.max;
    info.nPage = static_cast<UINT>(values.page);
    info.nPos = values.pos;
    SetScrollInfo(view, bar, &info, TRUE);
    // The platform shows a bar whose page is exactly its range, thumb
    // filling it; a picture that fits the view has none.
    if (!wanted)
        ShowScrollBar(view, bar, FALSE);
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

// Larger than any picture the pane would take: refused before reading.
bool ReadPictureFile(HANDLE file, std::vector<uint8_t>& bytes) {
    return win::ReadWholeFile(file, bytes, static_cast<int64_t>(kMaxDibBlockSize) + 4096);
}

using win::FileStamp;

// The file the pane's picture was made from, as it was then. Every step of
// the arrow keys asks for the picture twice (the selection change, then
// the key), and a capture's record once more: the same version of the
// same file is not read and decoded again.
struct ShownFile {
    bool known = false;
    char path[kPathSize] = {};
    FileStamp stamp;
};
ShownFile shownFile;

// The bytes of the file a capture has just written, until the selection
// comes to its record: the picture is made from them with the loader the
// file would go through, so it is the file's picture without reading it
// back.
struct LentCapture {
    bool present = false;
    char path[kPathSize] = {};
    FileStamp stamp;
    std::vector<uint8_t> bytes;
};
LentCapture lentCapture;
// The lent bytes once the pane is done with them, until the capture road
// reclaims them for the capturer's next file.
std::vector<uint8_t> returnedCaptureBytes;

void ReturnCaptureBytes() {
    if (lentCapture.present)
        returnedCaptureBytes = std::move(lentCapture.bytes);
    lentCapture = LentCapture{};
}

// The block every decode writes into, a released picture's kept for the
// next picture of its size: each step of the arrow keys releases the old
// row's picture just before it decodes the next, and fresh pages for every
// picture were a fifth of a step; a capture's picture replaces the last
// one's. At most this one block is kept beyond the pane's picture.
PackedDib decodeTarget;

// After a decode into decodeTarget: on success it becomes the pane's
// picture.
bool DecodeIntoPane(bool decoded) {
    if (decoded)
        imagePane->picture = std::move(decodeTarget);
    return decoded;
}

void Remember(const char* path, const FileStamp& stamp) {
    shownFile.known = cp932::copyText(shownFile.path, path);
    shownFile.stamp = stamp;
}

bool PictureFromBytes(const char* path, const std::vector<uint8_t>& bytes) {
    if (isJpegName(path))
        return DecodeIntoPane(decodeJpegBytes(bytes.data(), bytes.size(), decodeTarget));
    if (isPngName(path))
        return DecodeIntoPane(decodePngBytes(bytes.data(), bytes.size(), decodeTarget));
    return DecodeIntoPane(loadBmpBytes(bytes.data(), bytes.size(), decodeTarget) == BmpLoad::ok);
}

// True when the pane now holds the picture of this version of the file
// without having read it: the one shown already, or the capture's.
bool PictureInMemory(const char* path, const FileStamp& stamp) {
    if (lentCapture.present && std::strcmp(lentCapture.path, path) == 0 &&
        win::SameFileStamp(lentCapture.stamp, stamp)) {
        // As a load does, the old picture goes before the new one is made.
        ReleaseImage();
        if (PictureFromBytes(path, lentCapture.bytes)) {
            Remember(path, stamp);
            return true;
        }
    }
    return shownFile.known && !imagePane->picture.empty() &&
           std::strcmp(shownFile.path, path) == 0 && win::SameFileStamp(shownFile.stamp, stamp);
}

// The file whose picture could not be made, as it was then (missing, or
// this version of it), or is being made while its message is open. The
// arrow keys ask for the selection's picture again behind the selection
// change (and the message box's own loop runs that request): the same
// version of the same file is not tried again, so one failure gives one
// message, as it does for the mouse.
struct FailedFile {
    bool known = false;
    bool stamped = false;
    char path[kPathSize] = {};
    FileStamp stamp;
};
FailedFile failedFile;

// Whether the picture shown is a record's flattened annotated picture.
bool annotatedShown = false;

bool IsFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FailedBefore(const char* path, bool stamped, const FileStamp& stamp) {
    return failedFile.known && failedFile.stamped == stamped &&
           std::strcmp(failedFile.path, path) == 0 &&
           (!stamped || win::SameFileStamp(failedFile.stamp, stamp));
}

void NoteAttempt(const char* path, bool stamped, const FileStamp& stamp) {
    failedFile.known = cp932::copyText(failedFile.path, path);
    failedFile.stamped = stamped;
    failedFile.stamp = stamp;
}

// The picture of an image file for the pane: from memory when it is there,
// else read from the file.
void LoadPicture(const char* path) {
    FileStamp stamp;
    const bool stamped = win::ReadFileStamp(path, &stamp);
    if (stamped && PictureInMemory(path, stamp)) {
        failedFile = FailedFile{};
        return;
    }
    if (FailedBefore(path, stamped, stamp))
        return;
    NoteAttempt(path, stamped, stamp);
    const bool loaded = isJpegName(path)  ? LoadJpegFile(path) == 1
                        : isPngName(path) ? LoadPngFile(path)
                                          : LoadBmpFile(path);
    if (!loaded)
        return;
    failedFile = FailedFile{};
    if (stamped)
        Remember(path, stamp);
}

}  // namespace

void LendCaptureBytes(const char* path, std::vector<uint8_t> bytes) {
    ReturnCaptureBytes();
    LentCapture captured;
    captured.present = !bytes.empty() && cp932::copyText(captured.path, path) &&
                       win::ReadFileStamp(path, &captured.stamp);
    if (captured.present)
        captured.bytes = std::move(bytes);
    lentCapture = std::move(captured);
}

std::vector<uint8_t> ReclaimCaptureBytes() {
    return std::move(returnedCaptureBytes);
}

std::vector<uint8_t> WithdrawCaptureBytes() {
    ReturnCaptureBytes();
    return ReclaimCaptureBytes();
}

void ReleaseImage() {
    shownFile = ShownFile{};
    if (imagePane && !imagePane->picture.empty())
        decodeTarget = std::move(imagePane->picture);
}

int LoadJpegFile(const char* path) {
    if (!imagePane)
        return 0;
    shownFile = ShownFile{};
    win::StdioFile file(std::fopen(path, "rb"));
    if (!file) {
        ReportFile("ファイルのオープンに失敗しました", path);
        return 0;
    }
    ReleaseImage();  // its block may take the new picture
    const bool decoded = DecodeIntoPane(decodeJpegFile(file.get(), decodeTarget));
    file.reset();
    if (!decoded) {
        ReportReadFailure(path);
        return 0;
    }
    return 1;
}

namespace {

// The file a loader reads whole; the pane forgets which file it shows.
win::FileHandle OpenPictureFile(const char* path) {
    shownFile = ShownFile{};
    return win::FileHandle(
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

bool LoadBmpFile(const char* path) {
    if (!imagePane)
        return false;
    win::FileHandle file = OpenPictureFile(path);
    if (!file) {
        ShowMessage(MessageOwner(), "ファイルのオープンに失敗しました", "Error", MB_OK);
        return false;
    }
    imagePane->picture.reset();
    decodeTarget.reset();
    std::vector<uint8_t> bytes;
    // A file is untrusted: only a block the checks accept becomes the picture.
    const bool loaded = ReadPictureFile(file.get(), bytes) &&
                        loadBmpBytes(bytes.data(), bytes.size(), imagePane->picture) == BmpLoad::ok;
    // Opened without sharing: closed before the message, whose own loop may
    // let anything, this pane included, open the file again.
    file.reset();
    if (!loaded) {
        imagePane->picture.reset();
        ReportReadFailure(path);
        return false;
    }
    return true;
}

bool LoadPngFile(const char* path) {
    if (!imagePane)
        return false;
    win::FileHandle file = OpenPictureFile(path);
    if (!file) {
        ReportFile("ファイルのオープンに失敗しました", path);
        return false;
    }
    ReleaseImage();  // its block may take the new picture
    std::vector<uint8_t> bytes;
    const bool decoded = ReadPictureFile(file.get(), bytes) &&
                         DecodeIntoPane(decodePngBytes(bytes.data(), bytes.size(), decodeTarget));
    file.reset();
    if (!decoded) {
        ReportReadFailure(path);
        return false;
    }
    return true;
}

void UpdateScrollRanges() {
    // Showing or hiding a bar resizes the view, whose re-layout comes back
    // here: the outer call sets both bars, from the outer size, which a bar
    // does not change.
    static bool setting = false;
    if (!imagePane || !imagePane->view || imagePane->picture.empty() || setting)
        return;
    setting = true;
    RECT r;
    GetWindowRect(imagePane->view, &r);
    const ScrollRanges ranges =
        computeScrollRanges(r.right - r.left, r.bottom - r.top, imagePane->picture.width(),
                            imagePane->picture.height(), GetSystemMetrics(SM_CYHSCROLL));
    SetBar(imagePane->view, SB_VERT, ranges.vertical);
    SetBar(imagePane->view, SB_HORZ, ranges.horizontal);
    setting = false;
}

void ShowSelectedImage() {
    if (!imagePane || !imagePane->list)
        return;
    // The frames were the last picture's; a search frames the new one.
    imagePane->frames.clear();
    const int row = static_cast<int>(
        SendMessageA(imagePane->list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    annotatedShown = false;
    if (row < 0) {
        ReleaseImage();
        failedFile = FailedFile{};
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
        if (isJpegName(path) || isBmpName(path) || isPngName(path)) {
            // The annotations as they were last saved; a flattened picture
            // that cannot be read is reported as any picture is, and the
            // original is not shown in its place as if nothing were marked.
            char flattened[kPathSize] = {};
            if (cp932::copyText(flattened, annotation::flattenedPath(path).c_str()) &&
                IsFile(flattened) && IsFile(annotation::sidecarPath(path).c_str())) {
                LoadPicture(flattened);
                annotatedShown = !imagePane->picture.empty();
            } else {
                LoadPicture(path);
            }
        } else {
            ReleaseImage();
            failedFile = FailedFile{};
        }
        // Taken or not, a capture's bytes are of no use once the selection
        // has come to a record.
        ReturnCaptureBytes();
        UpdateScrollRanges();
    }
    InvalidateRect(imagePane->view, nullptr, TRUE);
}

bool ShowsAnnotatedPicture() {
    return annotatedShown;
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

void PaintFramesTo(HDC dc, const std::vector<RECT>& frames, int hPos, int vPos) {
    if (frames.empty())
        return;
    // Two pixels wide, drawn outside the box, so that the text it frames
    // stays as the picture shows it.
    constexpr int kWidth = 2;
    win::GdiObject pen(CreatePen(PS_SOLID, 1, kFrameColour));
    win::SelectGuard usePen(dc, pen.get());
    win::SelectGuard noFill(dc, GetStockObject(NULL_BRUSH));
    const ViewPoint at = pictureOrigin(hPos, vPos);
    for (const RECT& box : frames)
        for (int i = 1; i <= kWidth; ++i)
            Rectangle(dc, at.x + box.left - i, at.y + box.top - i, at.x + box.right + i,
                      at.y + box.bottom + i);
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
        if (imagePane && !imagePane->picture.empty())
            PaintFramesTo(dc, imagePane->frames, h.pos, v.pos);
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
