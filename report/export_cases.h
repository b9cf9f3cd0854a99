// What the report and the workbook show of the records' test cases, as the
// test-result sheet (試験成績書): each record's case in export order, and
// the count of each verdict. A history whose records have no case exports
// as it did before cases existed. Platform-free.
#pragma once

#include <string>
#include <vector>

#include "base/cp932.h"
#include "history/test_case.h"

// One case a record, in the history's order; an empty list (or one whose
// cases are all empty) is a history without cases.
using RecordCases = std::vector<testcase::TestCase>;

bool anyCase(const RecordCases& cases);

// Records by verdict; a record without a case counts as 未判定.
struct VerdictCounts {
    int ok = 0, ng = 0, hold = 0, none = 0;
    void add(testcase::Verdict verdict);
};

// "OK 2件　NG 1件　保留 0件　未判定 1件" (CP932), as the covers show it.
std::string verdictCountsLine(const VerdictCounts& counts);

// Calls line(text, length) for each line of a CP932 text, split at CR LF,
// LF or a lone CR (a pasted text may hold any of them).
template <typename F>
void forEachCaseLine(const std::string& text, F line) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = cp932::charLength(text.data(), text.size(), i);
        if (n == 1 && (text[i] == '\r' || text[i] == '\n')) {
            line(text.data() + start, i - start);
            i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            start = i;
            continue;
        }
        i += n;
    }
    line(text.data() + start, text.size() - start);
}

// The multi-line fields (期待結果, 実施結果, 備考) wrap in their cells.
bool isMultiLine(testcase::Field field);
