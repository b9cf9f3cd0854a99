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

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

}  // namespace script_peer
