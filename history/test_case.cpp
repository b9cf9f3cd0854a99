#include "history/test_case.h"

#include <utility>

#include "base/cp932.h"

namespace testcase {

const char* verdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::ok:
        return "OK";
    case Verdict::ng:
        return "NG";
    case Verdict::hold:
        return "保留";
    case Verdict::none:
        break;
    }
    return "未判定";
}

const char* fieldHeading(Field field) {
    static const char* const kHeadings[kFieldCount] = {
        "試験項目番号", "手順", "期待結果", "実施結果", "判定", "実施者", "実施日", "備考"};
    return kHeadings[static_cast<int>(field)];
}

std::size_t fieldLimit(Field field) {
    switch (field) {
    case Field::testId:
    case Field::tester:
        return 64;
    case Field::step:
    case Field::date:
        return 32;
    case Field::verdict:
        return 0;
    case Field::expected:
    case Field::actual:
    case Field::remarks:
        break;
    }
    return 4000;
}

bool TestCase::empty() const {
    return verdict == Verdict::none && testId.empty() && step.empty() && expected.empty() &&
           actual.empty() && tester.empty() && date.empty() && remarks.empty();
}

std::string* TestCase::text(Field field) {
    return const_cast<std::string*>(static_cast<const TestCase*>(this)->text(field));
}

const std::string* TestCase::text(Field field) const {
    switch (field) {
    case Field::testId:
        return &testId;
    case Field::step:
        return &step;
    case Field::expected:
        return &expected;
    case Field::actual:
        return &actual;
    case Field::tester:
        return &tester;
    case Field::date:
        return &date;
    case Field::remarks:
        return &remarks;
    case Field::verdict:
        break;
    }
    return nullptr;
}

bool TestCase::operator==(const TestCase& o) const {
    return verdict == o.verdict && testId == o.testId && step == o.step &&
           expected == o.expected && actual == o.actual && tester == o.tester && date == o.date &&
           remarks == o.remarks;
}

std::vector<Field> cutToLimits(TestCase& c) {
    std::vector<Field> cut;
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = static_cast<Field>(i);
        std::string* s = c.text(field);
        if (!s || s->size() <= fieldLimit(field))
            continue;
        s->resize(cp932::cutLength(s->data(), s->size(), fieldLimit(field)));
        cut.push_back(field);
    }
    return cut;
}

const TestCase* CaseBook::find(uint32_t recordId) const {
    const auto it = cases_.find(recordId);
    return it == cases_.end() ? nullptr : &it->second;
}

void CaseBook::set(uint32_t recordId, TestCase c) {
    if (c.empty())
        cases_.erase(recordId);
    else
        cases_[recordId] = std::move(c);
}

void CaseBook::erase(uint32_t recordId) {
    cases_.erase(recordId);
}

}  // namespace testcase
