// The evidence check of a one-file HTML pack: the file read in pieces on a
// worker thread behind a progress window, each picture hashed as it
// streams past, then the findings as the verify command lists them.
#pragma once

#include <windows.h>

#include <string>

#include "history/evidence_verify.h"

namespace pack_win {

// False when the file cannot be read (told to the user) or the check was
// cancelled; else `result` and its list `text` (CP932, CR LF).
bool VerifyPackFile(HWND owner, const std::string& path, VerifyResult& result, std::string& text);

// The open dialog for a pack to check; false when the user cancels.
bool ChoosePackToVerify(HWND owner, std::string& path);

}  // namespace pack_win
