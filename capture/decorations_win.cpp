#include "capture/decorations_win.h"

#include <cstring>

#include "base/win_handles_win.h"
#include "capture/capture_kinds.h"
#include "capture/decoration_math.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kCellSize = 30;
constexpr int kMarkerSize = 20;
constexpr int kCellCount = 4;

CaptureRect ToRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

RECT ToRECT(const CaptureRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

bool WindowContains(HWND window, int x, int y) {
    RECT r{};
    return GetWindowRect(window, &r) && containsInclusive(ToRect(r), x, y);
}

// The top-level walk skips what the user cannot be pointing at: hidden
// windows, untitled ones (tool tips, message windows) and the desktop.
bool WalkAccepts(HWND window) {
    if (!IsWindowVisible(window) || GetWindowTextLengthA(window) <= 0)
        return false;
    char className[16]{};
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, "Progman") != 0;
}

HWND FirstTopLevel() {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        if (WalkAccepts(w))
            return w;
    return nullptr;
}

HWND NextTopLevel(HWND after) {
    for (HWND w = GetWindow(after, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (WalkAccepts(w))
            return w;
    return nullptr;
}

NonClientMetrics SystemNonClient() {
    return {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CXBORDER),
            GetSystemMetrics(SM_CYMENU),     GetSystemMetrics(SM_CYCAPTION),
            GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYBORDER)};
}

// The window-relative point of a client point, and the client size it must
// fall within; false when the window's rectangles cannot be read.
bool EstimateInWindow(HWND window, int x, int y, DecorationPoint* point, RECT* client) {
    RECT outer{};
    if (!GetWindowRect(window, &outer) || !GetClientRect(window, client))
        return false;
    *point = estimateNonClient(x, y, SystemNonClient(), outer.bottom - outer.top,
                               client->bottom - client->top);
    return true;
}

}  // namespace

HWND findChildAt(HWND parent, int x, int y) {
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (IsWindowVisible(w) && WindowContains(w, x, y))
            return w;
    return nullptr;
}

HWND findTargetUnderCursor(int cursorX, int cursorY, DecorationMode mode, RECT* frame) {
    for (HWND top = FirstTopLevel(); top; top = NextTopLevel(top)) {
        HWND deepest = top;
        // A window cannot be its own descendant, but a child list that changes
        // under the walk could cycle; the depth bound keeps the walk finite.
        for (int depth = 0; depth < 256; ++depth) {
            HWND child = findChildAt(deepest, cursorX, cursorY);
            if (!child)
                break;
            deepest = child;
        }
        RECT topRect{};
        GetWindowRect(top, &topRect);
        if (deepest != top) {
            if (mode == DecorationMode::Window) {
                RECT childRect{};
                GetWindowRect(deepest, &childRect);
                *frame = ToRECT(rectRelativeTo(ToRect(childRect), ToRect(topRect)));
            } else {
                *frame = topRect;
            }
            return deepest;
        }
        if (containsInclusive(ToRect(topRect), cursorX, cursorY)) {
            *frame =
                mode == DecorationMode::Window ? ToRECT(rectAtOrigin(ToRect(topRect))) : topRect;
            return top;
        }
    }
    return nullptr;
}

void drawTargetFrame(HDC picture, int cursorX, int cursorY, DecorationMode mode) {
    if (mode == DecorationMode::Window) {
        // Only a frame inside the captured window makes sense on its picture.
        HWND under = nullptr;
        for (HWND w = FirstTopLevel(); w && !under; w = NextTopLevel(w))
            if (WindowContains(w, cursorX, cursorY))
                under = w;
        if (!under || under != GetForegroundWindow())
            return;
    }
    RECT r{};
    if (!findTargetUnderCursor(cursorX, cursorY, mode, &r))
        return;
    win::GdiObject pen(CreatePen(PS_SOLID, 2, RGB(255, 0, 0)));
    if (!pen)
        return;
    win::SelectGuard selected(picture, pen.get());
    MoveToEx(picture, r.left, r.top, nullptr);
    LineTo(picture, r.right, r.top);
    LineTo(picture, r.right, r.bottom);
    LineTo(picture, r.left, r.bottom);
    LineTo(picture, r.left, r.top);
}

void blendMarker(HDC picture, int x, int y, HBITMAP strip, int cell) {
    if (!strip || cell < 0 || cell >= kCellCount)
        return;
    win::MemoryDc stripDc(CreateCompatibleDC(picture));
    win::MemoryDc cellDc(CreateCompatibleDC(picture));
    win::MemoryDc maskDc(CreateCompatibleDC(picture));
    win::MemoryDc inverseDc(CreateCompatibleDC(picture));
    win::MemoryDc blockDc(CreateCompatibleDC(picture));
    if (!stripDc || !cellDc || !maskDc || !inverseDc || !blockDc)
        return;
    win::Bitmap cellBitmap(CreateCompatibleBitmap(picture, kMarkerSize, kMarkerSize));
    win::Bitmap blockBitmap(CreateCompatibleBitmap(picture, kMarkerSize, kMarkerSize));
    win::Bitmap mask(CreateBitmap(kMarkerSize, kMarkerSize, 1, 1, nullptr));
    win::Bitmap inverse(CreateBitmap(kMarkerSize, kMarkerSize, 1, 1, nullptr));
    if (!cellBitmap || !blockBitmap || !mask || !inverse)
        return;
    win::SelectGuard stripSel(stripDc.get(), strip);
    win::SelectGuard cellSel(cellDc.get(), cellBitmap.get());
    win::SelectGuard maskSel(maskDc.get(), mask.get());
    win::SelectGuard inverseSel(inverseDc.get(), inverse.get());
    win::SelectGuard blockSel(blockDc.get(), blockBitmap.get());

    StretchBlt(cellDc.get(), 0, 0, kMarkerSize, kMarkerSize, stripDc.get(), kCellSize * cell, 0,
               kCellSize, kCellSize, SRCCOPY);
    // Colour to monochrome: pixels of the source's background colour become 1.
    SetBkColor(cellDc.get(), RGB(255, 255, 255));
    BitBlt(maskDc.get(), 0, 0, kMarkerSize, kMarkerSize, cellDc.get(), 0, 0, SRCCOPY);
    BitBlt(inverseDc.get(), 0, 0, kMarkerSize, kMarkerSize, maskDc.get(), 0, 0, NOTSRCCOPY);
    // Monochrome to colour: 1 becomes the destination's background colour and
    // 0 its text colour, so white and black make the masks all-ones and zero.
    for (HDC dc : {blockDc.get(), cellDc.get()}) {
        SetBkColor(dc, RGB(255, 255, 255));
        SetTextColor(dc, RGB(0, 0, 0));
    }
    BitBlt(blockDc.get(), 0, 0, kMarkerSize, kMarkerSize, picture, x, y, SRCCOPY);
    BitBlt(blockDc.get(), 0, 0, kMarkerSize, kMarkerSize, maskDc.get(), 0, 0, SRCAND);
    BitBlt(cellDc.get(), 0, 0, kMarkerSize, kMarkerSize, inverseDc.get(), 0, 0, SRCAND);
    BitBlt(blockDc.get(), 0, 0, kMarkerSize, kMarkerSize, cellDc.get(), 0, 0, SRCPAINT);
    BitBlt(picture, x, y, kMarkerSize, kMarkerSize, blockDc.get(), 0, 0, SRCCOPY);
}

void drawMarker(HWND window, HDC picture, int cursorX, int cursorY, DecorationMode mode, int cell) {
    DecorationPoint at{cursorX, cursorY};
    if (mode == DecorationMode::Window) {
        POINT client{cursorX, cursorY};
        RECT clientRect{};
        if (!window || !ScreenToClient(window, &client) ||
            !EstimateInWindow(window, client.x, client.y, &at, &clientRect) ||
            !withinClientSize(at.x, at.y, clientRect.right, clientRect.bottom))
            return;
    }
    win::Bitmap strip(static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_MARKERS), IMAGE_BITMAP, 0, 0, 0)));
    blendMarker(picture, at.x, at.y, strip.get(), cell);
}

void drawCursor(HWND window, HDC picture, int cursorX, int cursorY, DecorationMode mode,
                HCURSOR shape) {
    if (!shape)
        return;
    ICONINFO info{};
    if (!GetIconInfo(shape, &info))
        return;
    // GetIconInfo hands over copies of the cursor's bitmaps; only the hotspot
    // is wanted, and the copies would otherwise leak on every capture.
    win::Bitmap maskCopy(info.hbmMask);
    win::Bitmap colourCopy(info.hbmColor);
    int x = cursorX - static_cast<int>(info.xHotspot);
    int y = cursorY - static_cast<int>(info.yHotspot);
    if (mode == DecorationMode::Window) {
        DecorationPoint estimated{};
        RECT clientRect{};
        if (!window || !EstimateInWindow(window, x, y, &estimated, &clientRect))
            return;
        POINT p{estimated.x, estimated.y};
        if (!ScreenToClient(window, &p) ||
            !withinClientSize(p.x, p.y, clientRect.right, clientRect.bottom))
            return;
        x = p.x;
        y = p.y;
    }
    DrawIcon(picture, x, y, shape);
}

HCURSOR currentCursorShape() {
    POINT at{};
    if (!GetCursorPos(&at))
        return GetCursor();
    HWND under = WindowFromPoint(at);
    const DWORD other = under ? GetWindowThreadProcessId(under, nullptr) : 0;
    const DWORD self = GetCurrentThreadId();
    // A thread cannot be attached to itself, and a failed attach must not be
    // followed by a detach that would undo someone else's attachment.
    if (other == 0 || other == self)
        return GetCursor();
    const bool attached = AttachThreadInput(self, other, TRUE) != FALSE;
    HCURSOR shape = GetCursor();
    if (attached)
        AttachThreadInput(self, other, FALSE);
    return shape;
}

void decorateCapture(HDC picture, HWND target, int hotKeyId, POINT cursor, DecorationMode mode,
                     int markerChoice) {
    switch (static_cast<CaptureKind>(hotKeyId - kFirstHotKeyId)) {
        case CaptureKind::ActiveWindowFrame:
        case CaptureKind::ScreenFrame:
            drawTargetFrame(picture, cursor.x, cursor.y, mode);
            break;
        case CaptureKind::ActiveWindowMarker:
        case CaptureKind::ScreenMarker:
            drawMarker(target, picture, cursor.x, cursor.y, mode, markerChoice);
            break;
        case CaptureKind::ActiveWindowCursor:
        case CaptureKind::ScreenCursor:
            drawCursor(target, picture, cursor.x, cursor.y, mode, currentCursorShape());
            break;
        default:
            break;
    }
}
