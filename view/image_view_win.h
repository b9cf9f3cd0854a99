// The image view: loading the selected record's picture, painting it at its
// natural size and scrolling it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "view/packed_dib.h"

constexpr char kImageViewClass[] = "ZELCAP_CLASS_2";

// Loads and shows the selected record's picture (none: an empty pane). A
// record with a flattened annotated picture ("<stem>_ann.png" beside its
// own) shows that one; the record keeps its own path.
void ShowSelectedImage();
// True while the pane shows a record's flattened annotated picture.
bool ShowsAnnotatedPicture();
int LoadJpegFile(const char* path);
bool LoadBmpFile(const char* path);
bool LoadPngFile(const char* path);
void ReleaseImage();
// Lends the pane the bytes of the file a capture has just written to
// `path`: when the selection next comes to that file, its picture is made
// from them rather than read back. Returns an earlier loan; any other
// selection returns this one.
void LendCaptureBytes(const char* path, std::vector<uint8_t> bytes);
// Takes back the lent bytes the pane has returned (the selection came to a
// record, or a later loan replaced them), for the next capture to make its
// file in; empty when none were returned.
std::vector<uint8_t> ReclaimCaptureBytes();
// Takes back the lent bytes whether or not the pane made a picture of them,
// when another capture follows at once; the pane reads the file should the
// selection come to it.
std::vector<uint8_t> WithdrawCaptureBytes();
// Ranges for the present picture and view size; both positions back to 0.
void UpdateScrollRanges();
// Paints the view; false when the default procedure should (no bars yet).
bool PaintImage(HWND view);
// What PaintImage draws into a view's DC for these scroll positions: the
// picture at its natural size 10 pixels in, or white without one.
void PaintImageTo(HDC dc, const RECT& client, const PackedDib* picture, int hPos, int vPos);
// The frames over a picture PaintImageTo drew at these scroll positions:
// each box moved as the picture is, in the search's colour.
void PaintFramesTo(HDC dc, const std::vector<RECT>& frames, int hPos, int vPos);
// The frames' colour, for those who read the pane's pixels.
constexpr COLORREF kFrameColour = RGB(255, 0, 128);
LRESULT CALLBACK ImageViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
