#include "base/message_box_win.h"

int ShowMessage(HWND owner, const char* text, const char* caption, UINT flags) {
    return MessageBoxA(owner, text, caption, flags);
}
