#include "history/case_dialog_rules.h"

#include <cstring>

namespace case_dialog {

using testcase::Field;
using testcase::TestCase;

namespace {

constexpr Field kFields[testcase::kFieldCount] = {
    Field::testId, Field::step,   Field::expected, Field::actual,
    Field::verdict, Field::tester, Field::date,    Field::remarks};

bool same(const TestCase& a, const TestCase& b, Field f) {
    if (f == Field::verdict)
        return a.verdict == b.verdict;
    return *a.text(f) == *b.text(f);
}

}  // namespace

std::string datePart(const char* dateTime) {
    if (!dateTime)
        return {};
    const char* blank = std::strchr(dateTime, ' ');
    return blank ? std::string(dateTime, blank) : std::string(dateTime);
}

TestCase withDefaults(TestCase c, const std::string& tester, const char* dateTime) {
    if (c.tester.empty())
        c.tester = tester;
    if (c.date.empty())
        c.date = datePart(dateTime);
    return c;
}

Form shared(const std::vector<TestCase>& cases) {
    Form form;
    if (cases.empty())
        return form;
    form.shown = cases.front();
    for (const TestCase& c : cases) {
        for (Field f : kFields) {
            const int i = static_cast<int>(f);
            if (form.differs[i] || same(c, form.shown, f))
                continue;
            form.differs[i] = true;
            if (f == Field::verdict)
                form.shown.verdict = testcase::Verdict::none;
            else
                form.shown.text(f)->clear();
        }
    }
    return form;
}

bool anyTouched(const Edit& edit) {
    for (bool t : edit.touched)
        if (t)
            return true;
    return false;
}

TestCase apply(const TestCase& own, const Form& form, const Edit& edit) {
    TestCase result = own;
    for (Field f : kFields) {
        const int i = static_cast<int>(f);
        if (form.differs[i] && !edit.touched[i])
            continue;
        if (f == Field::verdict)
            result.verdict = edit.values.verdict;
        else
            *result.text(f) = *edit.values.text(f);
    }
    return result;
}

const char* fieldLabel(Field field) {
    return field == Field::testId ? "テストID" : testcase::fieldHeading(field);
}

std::string cutMessage(const std::vector<Field>& cut) {
    std::string names;
    for (Field f : kFields) {
        bool found = false;
        for (Field c : cut)
            found = found || c == f;
        if (!found)
            continue;
        if (!names.empty())
            names += "、";
        names += fieldLabel(f);
    }
    if (names.empty())
        return {};
    return "次の項目は長すぎるため、入る長さまでで切り詰めました: " + names;
}

TestCase currentCase(const std::string& testId, int step, const std::string& tester,
                     const char* dateTime) {
    TestCase c;
    if (testId.empty())
        return c;
    c.testId = testId;
    c.step = std::to_string(step);
    c.tester = tester;
    c.date = datePart(dateTime);
    return c;
}

}  // namespace case_dialog
