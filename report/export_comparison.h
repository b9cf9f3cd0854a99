// What the report and the workbook show of a re-test against the last
// cycle: each record's comparison with the baseline's picture of the same
// step, the baseline's steps not run this cycle, and the baseline's manifest
// digest for the cover. Filled by the shell from the comparisons of the
// re-test; an inactive one (no baseline chosen) leaves every export as it
// was. Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/test_case.h"
#include "retest/retest_steps.h"
#include "view/picture_diff.h"

struct RecordComparison {
    // none: the record repeats no baseline step (no test ID and step, or
    // not compared yet); the table's 比較 cell is then empty.
    retest::Proposal proposal;
    std::string baselinePicture;  // the baseline step's picture, "" when it has none
    std::string baselineHeading;
};

// A baseline step with no capture this cycle (未実施).
struct NotRunStep {
    testcase::TestCase baselineCase;
    std::string baselineHeading;
    std::string baselinePicture;
};

struct ExportComparison {
    bool active = false;  // a baseline is chosen for the history
    std::string baselineCsv;             // its path
    std::string baselineManifestDigest;  // hex SHA-256 of its manifest, "" when it has none
    // The tolerance and ignored band the comparisons were made with, so that
    // the diff picture shows what the figure counted.
    picture_diff::Options diffOptions;
    std::vector<RecordComparison> records;  // one a record, in the history's order
    std::vector<NotRunStep> notRun;         // in the baseline's order
};
