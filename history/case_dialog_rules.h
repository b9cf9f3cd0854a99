// What the テストケース dialog decides, platform-free: the defaults a case
// shows (the tester, the capture's date), the fields several records share,
// what the user's edits leave on each record, the message about texts cut
// at their limits, and the case a hot-key or step capture is filed under.
#pragma once

#include <string>
#include <vector>

#include "history/test_case.h"

namespace case_dialog {

// "yyyy/mm/dd" of a record's "yyyy/mm/dd hh:mm:ss"; the whole text when it
// has no blank.
std::string datePart(const char* dateTime);

// The record's case as the dialog shows it: an empty 実施者 takes `tester`,
// an empty 実施日 the capture's date.
testcase::TestCase withDefaults(testcase::TestCase c, const std::string& tester,
                                const char* dateTime);

// What the dialog shows for the selected records: each field they all share,
// and the fields they differ in, shown empty.
struct Form {
    testcase::TestCase shown;
    bool differs[testcase::kFieldCount] = {};
};
Form shared(const std::vector<testcase::TestCase>& cases);

// What the user left in the dialog: the values and which fields were typed
// in (or, for 判定, chosen).
struct Edit {
    testcase::TestCase values;
    bool touched[testcase::kFieldCount] = {};
};
bool anyTouched(const Edit& edit);

// One record's case after the dialog: a field the records differed in and
// the user did not touch keeps the record's own value; every other field
// takes the dialog's.
testcase::TestCase apply(const testcase::TestCase& own, const Form& form, const Edit& edit);

// The dialog's name of a field: "テストID" for the test ID, the sheet's
// heading for the others.
const char* fieldLabel(testcase::Field field);

// The message naming the fields cut at their limits, each once and in the
// dialog's order, whichever records they were cut on; empty when none was.
std::string cutMessage(const std::vector<testcase::Field>& cut);

// The case a capture gets from the current case of the settings: none
// (empty) without a current test ID; else the test ID, 手順 `step`, the
// tester and the capture's date.
testcase::TestCase currentCase(const std::string& testId, int step, const std::string& tester,
                               const char* dateTime);

}  // namespace case_dialog
