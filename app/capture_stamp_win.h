// What the capture road adds to a new record beyond its row: the test case
// a script gave with its capture, and the stamp of the [TestCase] options.
// Each is one call after the record is appended, so that the road's own
// steps stay as they are.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "history/test_case.h"

namespace capture_stamp {

// The last record's case takes the fields `given` sets (empty texts and
// Verdict::none set nothing) over any it has; its tester, when none, is the
// options' (else the Windows user name), its date the capture's. Returns the
// fields cut to their limits, for the script's message.
std::vector<testcase::Field> ApplyScriptCase(const testcase::TestCase& given);

// With the stamp on, the last record's picture (`picture`, the file just
// written) gets its stamp: date and time, tester and test ID (the record's
// case, else the current case). The picture file stays as captured; the
// stamp's sidecar and flattened picture are logged as an annotation. A
// failure is told in a message over `owner`; false then.
bool StampNewRecord(HWND owner, const std::string& picture);

// The name the case's 実施者 takes when the options name none.
std::string WindowsUserName();

}  // namespace capture_stamp
