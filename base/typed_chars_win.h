// The characters typed into a box of a modeless dialog or a property sheet
// whose loop asks IsDialogMessageA (or PSM_ISDIALOGMESSAGE) first.
#pragma once

#include <windows.h>

// Hands a character for a control that takes every character (an edit box:
// DLGC_WANTCHARS) straight to it and says so; false for any other message.
// The dialog manager would only pass such a character on, but under Wine
// it turns each byte of a double-byte character that GetMessageA handed on
// into a character of its own, so typed Japanese came out as "・・".
inline bool DispatchTypedChar(const MSG& message) {
    if (message.message != WM_CHAR || !message.hwnd)
        return false;
    MSG copy = message;
    const LRESULT code = SendMessageA(message.hwnd, WM_GETDLGCODE, message.wParam,
                                      reinterpret_cast<LPARAM>(&copy));
    if (!(code & DLGC_WANTCHARS))
        return false;
    DispatchMessageA(&message);
    return true;
}
