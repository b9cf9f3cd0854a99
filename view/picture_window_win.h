// What the picture windows of their own (the annotation editor, the
// comparison) share: a picture file read whole into a DIB, the window and
// canvas classes, the message font, labels measured in it, and a canvas
// scrolled by its bars, keys and wheel and painted off the screen first.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "view/packed_dib.h"

namespace picture_window {

// The name after the last backslash (a CP932 trail byte is never one).
const char* FileNamePart(const std::string& path);

// A BMP, JPEG or PNG file, by its name's ending.
bool LoadPictureFile(const std::string& path, PackedDib& out);

// The frame and its canvas, registered once; `canvasStyle` is the canvas
// class's style (CS_DBLCLKS where double clicks count).
bool RegisterClasses(HINSTANCE instance, const char* frameClass, WNDPROC frameProc,
                     const char* canvasClass, WNDPROC canvasProc, UINT canvasStyle);

// The font of message boxes, made to show CP932 text: Shift-JIS whatever
// character set the system's font has, and a face with the Japanese glyphs
// in place of a face that has none (an ANSI Tahoma in some Wine prefixes).
HFONT CreateMessageFont();

// A label's width in the font selected into `dc`, without its '&'.
int LabelWidth(HDC dc, const char* label);

// Where a scroll bar's code (WM_HSCROLL / WM_VSCROLL, or a key's stand-in)
// moves `bar` of `canvas`; the caller clamps and scrolls.
int ScrollTarget(HWND canvas, int bar, WPARAM code);

// Sets both bars of `canvas` for `content` shown in `shown` (both in screen
// pixels), first bringing the scroll position back within the content.
void SetScrollBars(HWND canvas, SIZE content, SIZE shown, int& scrollX, int& scrollY);

// The scroll position a WM_MOUSEWHEEL asks for: the vertical bar by the
// wheel's delta, the horizontal one with Shift held. The caller clamps.
POINT WheelTarget(WPARAM wParam, int scrollX, int scrollY);

// A WM_PAINT of `canvas` drawn into a bitmap off the screen and copied in
// one go, so that nothing flickers; `paint` gets the client area and the
// part to paint. Without memory for the bitmap it paints the screen itself.
void PaintBuffered(HWND canvas,
                   const std::function<void(HDC, const RECT& client, const RECT& update)>& paint);

}  // namespace picture_window
