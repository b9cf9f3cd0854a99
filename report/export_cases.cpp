#include "report/export_cases.h"

#include <cstdio>

bool anyCase(const RecordCases& cases) {
    for (const testcase::TestCase& c : cases)
        if (!c.empty())
            return true;
    return false;
}

void VerdictCounts::add(testcase::Verdict verdict) {
    switch (verdict) {
        case testcase::Verdict::ok:
            ++ok;
            break;
        case testcase::Verdict::ng:
            ++ng;
            break;
        case testcase::Verdict::hold:
            ++hold;
            break;
        case testcase::Verdict::none:
            ++none;
            break;
    }
}

std::string verdictCountsLine(const VerdictCounts& counts) {
    using testcase::Verdict;
    using testcase::verdictText;
    char line[128];
    std::snprintf(line, sizeof line, "%s %d件　%s %d件　%s %d件　%s %d件", verdictText(Verdict::ok),
                  counts.ok, verdictText(Verdict::ng), counts.ng, verdictText(Verdict::hold),
                  counts.hold, verdictText(Verdict::none), counts.none);
    return line;
}

bool isMultiLine(testcase::Field field) {
    return field == testcase::Field::expected || field == testcase::Field::actual ||
           field == testcase::Field::remarks;
}
