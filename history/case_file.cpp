#include "history/case_file.h"

#include <utility>

#include "base/tab_file.h"

namespace casefile {

const char kVersionLine[] = "ZCASE\t1";
const char kBaselineName[] = "?基準";

namespace {

using testcase::Field;

constexpr int kFieldsPerLine = 11;
constexpr int kKeyFields = 3;

// The name of field `index` (from 0) of a line, for the messages.
const char* fieldName(int index) {
    static const char* const kKeyNames[kKeyFields] = {"画像ファイル名", "日時", "番号"};
    return index < kKeyFields ? kKeyNames[index]
                              : testcase::fieldHeading(static_cast<Field>(index - kKeyFields));
}

bool parseVerdict(const std::string& text, testcase::Verdict& out) {
    using testcase::Verdict;
    for (Verdict v : {Verdict::none, Verdict::ok, Verdict::ng, Verdict::hold})
        if (text == testcase::verdictText(v)) {
            out = v;
            return true;
        }
    return false;
}

// The baseline's line, read as an entry of the fields it uses.
std::string baselineLine(const Entry& entry, ReadResult& result) {
    const testcase::TestCase& c = entry.testCase;
    if (!result.baseline.empty())
        return "基準の行が二つあります";
    if (c.remarks.empty())
        return "基準の履歴ファイルがありません";
    testcase::TestCase rest = c;
    rest.expected.clear();
    rest.remarks.clear();
    if (!entry.key.dateTime.empty() || entry.key.ordinal != 0 || !rest.empty())
        return "基準の行に使わない欄があります";
    result.baseline = {c.remarks, c.expected};
    return std::string();
}

// Why the case file's line `number` is refused, or "" with its entry kept.
std::string entryLine(int number, const char* s, std::size_t n, ReadResult& result) {
    std::string fields[kFieldsPerLine];
    int bad = 0;
    const char* why = nullptr;
    const int count = tabfile::splitLine(s, n, fields, kFieldsPerLine, bad, why);
    if (count < 0)
        return std::string(fieldName(bad)) + "の欄: " + why;
    if (count != kFieldsPerLine)
        return tabfile::fieldCountError(count, kFieldsPerLine);
    Entry entry;
    entry.key.name = fields[0];
    entry.key.dateTime = fields[1];
    if (entry.key.name.empty())
        return "画像ファイル名がありません";
    if (!tabfile::parseNumber(fields[2], kOrdinalMaximum, entry.key.ordinal))
        return "番号の欄が 0 から 999 までの数ではありません";
    testcase::TestCase& c = entry.testCase;
    if (!parseVerdict(fields[kKeyFields + static_cast<int>(Field::verdict)], c.verdict))
        return "判定が 未判定 / OK / NG / 保留 のどれでもありません";
    for (int i = 0; i < testcase::kFieldCount; ++i)
        if (std::string* text = c.text(static_cast<Field>(i)))
            *text = std::move(fields[kKeyFields + i]);
    if (entry.key.name == kBaselineName)
        return baselineLine(entry, result);
    std::vector<Field> cut = testcase::cutToLimits(c);
    if (!cut.empty())
        result.cuts.push_back({number, std::move(cut)});
    result.entries.push_back(std::move(entry));
    return std::string();
}

}  // namespace

ReadResult parse(const char* data, std::size_t size) {
    ReadResult result;
    result.ok = tabfile::readLines(
        data, size, kVersionLine, "テストケース",
        [&](int number, const char* s, std::size_t n) { return entryLine(number, s, n, result); },
        result.error, result.errorLine);
    if (!result.ok) {
        result.entries.clear();
        result.cuts.clear();
        result.baseline = {};
    }
    return result;
}

namespace {

void appendEntry(std::string& out, const Entry& e) {
    tabfile::appendEscaped(out, e.key.name);
    out += '\t';
    tabfile::appendEscaped(out, e.key.dateTime);
    out += '\t';
    out += std::to_string(e.key.ordinal);
    for (int i = 0; i < testcase::kFieldCount; ++i) {
        out += '\t';
        const Field field = static_cast<Field>(i);
        if (const std::string* text = e.testCase.text(field))
            tabfile::appendEscaped(out, *text);
        else
            out += testcase::verdictText(e.testCase.verdict);
    }
    out += "\r\n";
}

}  // namespace

std::string write(const std::vector<Entry>& entries, const Baseline& baseline) {
    std::string out = kVersionLine;
    out += "\r\n";
    for (const Entry& e : entries)
        appendEntry(out, e);
    if (!baseline.empty()) {
        Entry line;
        line.key.name = kBaselineName;
        line.testCase.expected = baseline.manifestDigest;
        line.testCase.remarks = baseline.csvPath;
        appendEntry(out, line);
    }
    return out;
}

}  // namespace casefile
