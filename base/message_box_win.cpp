#include "base/message_box_win.h"

namespace {

KeepMessages* keeping = nullptr;

}  // namespace

int ShowMessage(HWND owner, const char* text, const char* caption, UINT flags) {
    if (!keeping)
        return MessageBoxA(owner, text, caption, flags);
    keeping->kept_.push_back({text ? text : "", caption ? caption : "", flags});
    switch (flags & MB_TYPEMASK) {
        case MB_YESNO:
            return IDNO;
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        default:
            // Cancel; an OK-only message too, so that nothing that follows
            // its OK (a settings sheet) opens.
            return IDCANCEL;
    }
}

bool KeepMessages::active() {
    return keeping != nullptr;
}

KeepMessages::KeepMessages() : outer_(keeping) {
    keeping = this;
}

KeepMessages::~KeepMessages() {
    keeping = outer_;
}

bool KeepMessages::declined() const {
    for (const KeptMessage& m : kept_)
        if ((m.flags & MB_TYPEMASK) != MB_OK)
            return true;
    return false;
}

bool KeepMessages::error() const {
    for (const KeptMessage& m : kept_)
        if ((m.flags & MB_ICONMASK) == MB_ICONERROR)
            return true;
    return false;
}
