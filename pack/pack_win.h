// The one-file pack of the global history, written to a temporary file in
// the target's folder and moved into place only when complete, with a
// progress window that can cancel and one closing message. The shell hands
// in what this subsystem may not reach itself: the evidence book's digests,
// the records' cases, the tester, and where the manifest and log are.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "report/export_cases.h"
#include "report/export_picture.h"
#include "settings/pack_settings.h"

namespace pack_win {

struct PackSources {
    ExportDigests digests;
    RecordCases cases;  // one a record, or none
    std::string author;
    std::string manifestPath, logPath;  // CP932 full paths; a missing file is left out
};

// The TrueType font the PDF embeds, beside Zelcap.exe.
extern const char* const kPdfFontName;

// Every outcome is told to the user (kept for a script). True when the pack
// was written; `unreadable` then holds the pictures that went in as a note.
bool WritePack(HWND owner, const PackSettings& settings, const PackSources& sources,
               int* unreadable = nullptr);

// The pack's progress window over `work` (win::RunWithProgress), for the
// pack and its check alike.
void RunPackProgress(HWND owner, std::atomic<bool>& cancel,
                     const std::function<std::string(int& position)>& describe,
                     const std::function<void()>& work);

}  // namespace pack_win
