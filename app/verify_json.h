// What a script reads of the verify command: the list as the window shows
// it ("findings", Japanese text), and the same findings in a form a script
// can test without reading Japanese. Platform-free.
//
//   "ok":      true only when nothing was found (verifyClean)
//   "verdict": "clean" or "findings"
//   "counts":  {"match", "changed", "missing", "unlisted", "manifestLines",
//               "logLines", "order", "chain"}: how many of each kind
//   "items":   one object per finding, in the order of the list:
//     {"kind":"file", "state":"changed"|"missing"|"unlisted", "record":n,
//      "role":"picture"|"description"|"other"|"log", "file":path}
//     {"kind":"manifest", "line":n, "issue":"damaged"|"refused"|
//      "not-in-history", "file":path}
//     {"kind":"order", "record":n, "logRecord":n, "file":path}
//     {"kind":"log", "line":n}          a line of the log that cannot be read
//     {"kind":"chain", "line":n}        where the chain breaks
//     {"kind":"no-manifest"}, {"kind":"no-log"}
// Paths are the manifest's spelling (CP932 in the program, UTF-8 here).
#pragma once

#include <string>

#include "history/evidence_verify.h"
#include "script/json_result.h"

script::JsonObject verifyResultJson(const VerifyResult& result, const std::string& text);
