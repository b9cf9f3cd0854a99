// The test case a record proves, for the hand-over's test-result sheet
// (試験成績書): its test ID, step, expected and actual result, verdict,
// tester, date and remarks. A record without one has an empty case, and a
// history whose cases are all empty writes no case file and exports as it
// did before cases existed. Platform-free; the file beside the history is
// history/case_file.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testcase {

enum class Verdict : uint8_t { none, ok, ng, hold };

// "未判定", "OK", "NG", "保留" (CP932), as the list, the dialog, the sheet and
// the report show them.
const char* verdictText(Verdict verdict);

// The fields in the sheet's order. Each is CP932; expected, actual and
// remarks may hold line ends (CR LF).
enum class Field { testId, step, expected, actual, verdict, tester, date, remarks };
constexpr int kFieldCount = 8;

// The sheet's column heading of a field: "試験項目番号", "手順", "期待結果",
// "実施結果", "判定", "実施者", "実施日", "備考".
const char* fieldHeading(Field field);

// The longest text a field keeps, in bytes. Longer texts are cut (at a
// character boundary) and the cut is reported, never silent.
std::size_t fieldLimit(Field field);

struct TestCase {
    std::string testId, step, expected, actual, tester, date, remarks;
    Verdict verdict = Verdict::none;

    // Nothing set: the record has no case.
    bool empty() const;
    std::string* text(Field field);  // nullptr for Field::verdict
    const std::string* text(Field field) const;
    bool operator==(const TestCase& o) const;
};

// Cuts each text field of `c` to its limit; returns the fields that were
// cut, for the message that says so.
std::vector<Field> cutToLimits(TestCase& c);

// The cases of one history, by the records' ids (HistoryRecord::id), so that
// a case stays with its record however rows are moved, deleted or edited.
class CaseBook {
  public:
    const TestCase* find(uint32_t recordId) const;
    // Sets the record's case; an empty case removes it. Taken by value, so
    // that an open moves a thousand cases in instead of copying them.
    void set(uint32_t recordId, TestCase c);
    void erase(uint32_t recordId);
    void clear() { cases_.clear(); }
    // No record has a case.
    bool empty() const { return cases_.empty(); }
    const std::map<uint32_t, TestCase>& all() const { return cases_; }

  private:
    std::map<uint32_t, TestCase> cases_;
};

}  // namespace testcase
