// What the decorated capture kinds draw into a fresh picture: a frame round
// the window under the cursor, a marker at the cursor, or the cursor itself.
// Screen mode works in screen coordinates; window mode takes the picture's
// origin to be the captured window's top-left corner.
#pragma once

#include <windows.h>

enum class DecorationMode { Window, Screen };

void drawTargetFrame(HDC picture, int cursorX, int cursorY, DecorationMode mode);
// The window the frame marks, with the frame's rectangle in picture
// coordinates; nullptr when the cursor is over nothing the walk accepts.
HWND findTargetUnderCursor(int cursorX, int cursorY, DecorationMode mode, RECT* frame);
// The topmost visible child of parent whose window rectangle holds the point.
HWND findChildAt(HWND parent, int x, int y);

void drawMarker(HWND window, HDC picture, int cursorX, int cursorY, DecorationMode mode, int cell);
// One 30 x 30 cell of the strip, shrunk to 20 x 20 with white see-through,
// drawn with its top-left corner at (x, y).
void blendMarker(HDC picture, int x, int y, HBITMAP strip, int cell);

void drawCursor(HWND window, HDC picture, int cursorX, int cursorY, DecorationMode mode,
                HCURSOR shape);
// The cursor the application under the mouse shows, not this program's own.
HCURSOR currentCursorShape();

// The decoration of capture hot key hotKeyId (frame, marker or cursor), drawn
// into the fresh picture; the undecorated kinds draw nothing. target is the
// captured window in window mode.
void decorateCapture(HDC picture, HWND target, int hotKeyId, POINT cursor, DecorationMode mode,
                     int markerChoice);
