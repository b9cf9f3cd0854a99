// What a scripted call and the window it reaches ask of each other's
// process: the same user, and the folder of the program.
#pragma once

#include <windows.h>

#include <string>

namespace script_peer {

// The process runs as the user this one runs as (the token's user SID).
bool SameUser(DWORD processId);
// The folder the process's program was started from; empty when it cannot
// be read.
std::wstring ProgramFolder(DWORD processId);
// This program's folder.
std::wstring OwnFolder();

// How a request reached the window.
enum class Delivery { answered, gone, timedOut };

// Sends `data` (WM_COPYDATA from `from`) to `target` again every few
// milliseconds while it answers `tryAgain`, until it answers something else
// (in `code`), the window goes, or `deadline` (GetTickCount64) passes. A
// window slow to answer is waited for: it is never judged hung.
Delivery SendUntil(HWND target, HWND from, const COPYDATASTRUCT& data, ULONGLONG deadline,
                   DWORD_PTR tryAgain, DWORD_PTR& code);

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

}  // namespace script_peer
