// What the picture windows of their own (the annotation editor, the
// comparison) share: a picture file read whole into a DIB, the window and
// canvas classes, the message font, labels measured in it, and a canvas
// scrolled by its bars and keys.
#pragma once

#include <windows.h>

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

// The font of message boxes, which Japanese systems set to a Japanese face.
HFONT CreateMessageFont();

// A label's width in the font selected into `dc`, without its '&'.
int LabelWidth(HDC dc, const char* label);

// Where a scroll bar's code (WM_HSCROLL / WM_VSCROLL, or a key's stand-in)
// moves `bar` of `canvas`; the caller clamps and scrolls.
int ScrollTarget(HWND canvas, int bar, WPARAM code);

}  // namespace picture_window
