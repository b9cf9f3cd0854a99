#include "report/report_cases.h"

#include "report/comparison_export.h"
#include "report/export_picture.h"
#include "report/report_writer.h"

namespace report_cases {

const char* const kStyle =
    "<!--\n"
    "table.zcases { border-collapse:collapse; margin-bottom:8px }\n"
    "table.zcases th, table.zcases td { border:1px solid #999999; padding:2px 4px; "
    "font-size:small; vertical-align:top; text-align:left }\n"
    "table.zcases th { background-color:#e8e8f8 }\n"
    "table.zcases tr.ng td, table.zcases td.ng { background-color:#ffc7ce }\n"
    "-->\n";

namespace {

using testcase::Field;

std::string fieldText(const testcase::TestCase& c, Field field) {
    if (field == Field::verdict)
        return reportEscapeText(testcase::verdictText(c.verdict));
    return caseText(*c.text(field));
}

std::string heading(Field field) {
    return std::string("<th>") + testcase::fieldHeading(field) + "</th>";
}

// A baseline step with no record this time: what it was to show, and that
// it was not run.
std::string notRunRow(const NotRunStep& step) {
    const testcase::TestCase& c = step.baselineCase;
    std::string html = " <tr><td>" + reportEscapeText(step.baselineHeading) + "</td>";
    for (int k = 0; k < testcase::kFieldCount; ++k) {
        const auto field = static_cast<Field>(k);
        const bool shown =
            field == Field::testId || field == Field::step || field == Field::expected;
        html += "<td>" + (shown ? fieldText(c, field) : std::string()) + "</td>";
    }
    html += "<td></td><td>" + std::string(retest::comparisonText(retest::Comparison::notRun)) +
            "</td></tr>\n";
    return html;
}

}  // namespace

std::string caseText(const std::string& cp932) {
    std::string out;
    bool first = true;
    forEachCaseLine(cp932, [&](const char* line, std::size_t length) {
        if (!first)
            out += "<BR>";
        out += reportEscapeText(std::string(line, length));
        first = false;
    });
    return out;
}

std::string table(const RecordCases& cases, const std::vector<std::string>& digests,
                  const ExportComparison& comparison) {
    VerdictCounts counts;
    for (const testcase::TestCase& c : cases)
        counts.add(c.verdict);
    std::string html =
        "<A name=zcases></A><FONT color=#000099 size=4><B>試験成績書</B></FONT><BR>\n";
    html += "<FONT size=2>" + reportEscapeText(verdictCountsLine(counts)) + "</FONT><BR>\n";
    html += "<table class=zcases>\n <tr><th>番号</th>";
    for (int k = 0; k < testcase::kFieldCount; ++k)
        html += heading(static_cast<Field>(k));
    html += "<th>SHA-256</th>";
    if (comparison.active)
        html += std::string("<th>") + comparison_export::kColumnHeading + "</th>";
    html += "</tr>\n";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const testcase::TestCase& c = cases[i];
        const std::string number = std::to_string(i + 1);
        html += c.verdict == testcase::Verdict::ng ? " <tr class=ng>" : " <tr>";
        html += "<td><a href=#" + number + ">" + number + "</a></td>";
        for (int k = 0; k < testcase::kFieldCount; ++k)
            html += "<td>" + fieldText(c, static_cast<Field>(k)) + "</td>";
        const std::string digest = i < digests.size() ? digests[i] : std::string();
        html += "<td><tt>" + digest + "</tt></td>";
        if (comparison.active)
            html += "<td>" + comparison_export::cellText(comparison, i) + "</td>";
        html += "</tr>\n";
    }
    if (comparison.active)
        for (const NotRunStep& step : comparison.notRun)
            html += notRunRow(step);
    html += "</table>\n<BR>\n";
    return html;
}

std::string cell(const testcase::TestCase& c) {
    if (c.empty())
        return "  <td></td>\n";
    std::string html = "  <td valign=top>\n   <table class=zcases>\n";
    for (int k = 0; k < testcase::kFieldCount; ++k) {
        const auto field = static_cast<Field>(k);
        const bool ng = field == Field::verdict && c.verdict == testcase::Verdict::ng;
        html += "    <tr>" + heading(field) + (ng ? "<td class=ng>" : "<td>") +
                fieldText(c, field) + "</td></tr>\n";
    }
    html += "   </table>\n  </td>\n";
    return html;
}

}  // namespace report_cases
