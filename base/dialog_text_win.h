// Reading the text of a dialog's control. An edit may count its limit in
// characters rather than bytes, so a CP932 text can be up to twice as many
// bytes as its limit; the text is read whole and then cut, never in the
// middle of a double-byte character.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "base/cp932.h"

// The control's text, cut to at most maxBytes bytes.
inline std::string DialogItemText(HWND dialog, int id, std::size_t maxBytes) {
    HWND item = GetDlgItem(dialog, id);
    const int length = item ? GetWindowTextLengthA(item) : 0;
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const int got = item ? GetWindowTextA(item, &text[0], static_cast<int>(text.size())) : 0;
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    text.resize(cp932::cutLength(text.data(), text.size(), maxBytes));
    return text;
}

// The control's text into dst[N], cut to fit; false when it had to be cut.
template <std::size_t N>
bool ReadDialogText(HWND dialog, int id, char (&dst)[N]) {
    const std::string text = DialogItemText(dialog, id, static_cast<std::size_t>(-1));
    return cp932::copyText(dst, text.c_str());
}
