// HTML Help, reached through hhctrl.ocx loaded at run time: a machine without
// the viewer (or without the help file) simply shows no help.
#pragma once

#include <windows.h>

// Calls HtmlHelpA when the viewer is there; nullptr otherwise.
HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);
void InitializeHtmlHelp(DWORD_PTR* cookie);
void UninitializeHtmlHelp(DWORD_PTR cookie);
