#include "app/html_help_win.h"

#include <htmlhelp.h>

#include "base/win_handles_win.h"

namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// Loaded once and kept until the process ends.
win::Module helpModule;
HtmlHelpFn htmlHelp = nullptr;
bool tried = false;

HtmlHelpFn Load() {
    if (!tried) {
        tried = true;
        helpModule.reset(LoadLibraryA("hhctrl.ocx"));
        if (helpModule) {
            htmlHelp = reinterpret_cast<HtmlHelpFn>(
                reinterpret_cast<void*>(GetProcAddress(helpModule.get(), "HtmlHelpA")));
        }
    }
    return htmlHelp;
}

}  // namespace

HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    const HtmlHelpFn fn = Load();
    return fn ? fn(caller, file, command, data) : nullptr;
}

void InitializeHtmlHelp(DWORD_PTR* cookie) {
    CallHtmlHelp(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(cookie));
}

void UninitializeHtmlHelp(DWORD_PTR cookie) {
    if (htmlHelp)
        htmlHelp(nullptr, nullptr, HH_UNINITIALIZE, cookie);
}
