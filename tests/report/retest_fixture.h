// A re-test for the tests of the exports: the first record differs from
// the baseline's picture of its step, the second matches, the others are
// not compared; the baseline's step `notRun` was not run, twice over.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "report/export_comparison.h"

inline ExportComparison sampleRetest(std::size_t records, const std::string& baselinePicture,
                                     const std::string& baselineHeading,
                                     const retest::PictureChange& change,
                                     std::vector<std::string> changes, const NotRunStep& notRun,
                                     char digest) {
    ExportComparison c;
    c.active = true;
    c.baselineCsv = "C:\\前回\\履歴.csv";
    c.baselineManifestDigest = std::string(64, digest);
    c.records.resize(records);
    c.records[0].proposal = retest::propose(change, std::move(changes));
    c.records[0].baselinePicture = baselinePicture;
    c.records[0].baselineHeading = baselineHeading;
    c.records[1].proposal = retest::propose({true, 0, change.compared, false}, {});
    c.notRun = {notRun, notRun};
    return c;
}
