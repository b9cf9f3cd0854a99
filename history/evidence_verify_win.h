// The command "証跡の検証(&V)...": the saved history's records checked against
// its manifest "<history stem>.sha256" and its chained log "<history
// stem>.zlog", the findings shown in a list that can be saved as text. A
// history without a manifest is offered one made from the files as they are
// now.
#pragma once

#include <windows.h>

#include <string>

#include "history/evidence_verify.h"

class History;

// The path of the evidence file beside a history CSV: the CSV's path with
// its extension replaced by `extension` (".sha256", ".zlog"), or added when
// its name has none.
std::string EvidenceFileBeside(const char* historyPath, const char* extension);

// What the command found: the list as shown and saved, and the findings it
// was made from.
struct VerifyFindings {
    std::string text;
    VerifyResult result;
};

// The list of findings, with its 保存 button; the file it offers is named
// after `about` (a CP932 path) with "_検証.txt".
void ShowEvidenceList(HWND owner, const std::string& about, const std::string& text);

// Runs the command on the global history; every outcome is told to the user.
// With `findings`, the list is not shown but left there: true when it was
// made.
bool RunEvidenceVerify(HWND owner, VerifyFindings* findings = nullptr);

// The check of another history `h` (one to compare with), asking nothing:
// with the progress window when there is an owner. Without a manifest
// beside it nothing is checked and `manifestDigest` is "". False, with the
// reason (CP932) in `error`, when its evidence files cannot be read or the
// user cancelled; true with the findings otherwise, clean or not.
bool VerifyOtherHistory(HWND owner, const History& h, VerifyFindings& findings,
                        std::string& manifestDigest, std::string& error);
