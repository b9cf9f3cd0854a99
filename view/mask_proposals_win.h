// 編集 → 個人情報のマスク候補: the picture's text as read (its .ocr) is
// checked for personal data and the annotation editor opens with a mask
// proposed over each hit, listed in a panel beside the canvas. A checked
// row is a mask among the editor's objects; unchecking or Delete takes it
// away, Enter accepts those left and closes the list. Nothing is written
// until the user saves in the editor, which saves, flattens and logs the
// masks as it does any other.
#pragma once

#include <windows.h>

// False, after a message, when the picture has no readable .ocr, shows no
// personal data, or the editor cannot open.
bool OpenMaskProposals(HINSTANCE instance, HWND owner, const char* picturePath);
