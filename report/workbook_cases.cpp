#include "report/workbook_cases.h"

#include <algorithm>

#include "report/comparison_export.h"
#include "report/export_cases.h"
#include "report/workbook_names.h"
#include "report/workbook_text.h"

namespace workbook_cases {

const char* const kCaseSheet = u8"試験成績書";

namespace {

using testcase::Field;

// A case text as its cell holds it: UTF-8, its lines ended by LF alone, as
// Excel ends the lines of a wrapped cell.
std::string cellText(const std::string& cp932) {
    std::string joined;
    bool first = true;
    forEachCaseLine(cp932, [&](const char* line, std::size_t length) {
        if (!first)
            joined += '\n';
        joined.append(line, length);
        first = false;
    });
    return workbook_text::fromCp932(joined);
}

std::string fieldText(const testcase::TestCase& c, Field field) {
    if (field == Field::verdict)
        return workbook_text::fromCp932(testcase::verdictText(c.verdict));
    return cellText(*c.text(field));
}

// A cell of the row: blank cells of an NG row are written too, so that the
// whole row is filled.
void writeCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const std::string& text,
               lxw_format* format) {
    if (text.empty())
        worksheet_write_blank(sheet, row, column, format);
    else
        worksheet_write_string(sheet, row, column, text.c_str(), format);
}

void setUpPrinting(lxw_worksheet* sheet) {
    worksheet_set_paper(sheet, 9);  // A4
    // Ten columns: the sheet is printed across the page.
    worksheet_set_landscape(sheet);
    worksheet_fit_to_pages(sheet, 1, 0);
    worksheet_set_header(sheet, "&C&A");
    worksheet_set_footer(sheet, "&C&P / &N");
    worksheet_repeat_rows(sheet, 3, 3);
}

VerdictCounts countsOf(const std::vector<WorkbookRecord>& records) {
    VerdictCounts counts;
    for (const WorkbookRecord& r : records)
        counts.add(r.testCase.verdict);
    return counts;
}

}  // namespace

bool any(const std::vector<WorkbookRecord>& records) {
    for (const WorkbookRecord& r : records)
        if (!r.testCase.empty())
            return true;
    return false;
}

Formats addFormats(lxw_workbook* book) {
    Formats f{};
    f.title = workbook_add_format(book);
    format_set_bold(f.title);
    format_set_font_size(f.title, 16);
    f.label = workbook_add_format(book);
    format_set_bold(f.label);
    format_set_align(f.label, LXW_ALIGN_VERTICAL_TOP);
    f.text = workbook_add_format(book);
    format_set_text_wrap(f.text);
    format_set_align(f.text, LXW_ALIGN_VERTICAL_TOP);
    f.ngText = workbook_add_format(book);
    format_set_text_wrap(f.ngText);
    format_set_align(f.ngText, LXW_ALIGN_VERTICAL_TOP);
    format_set_bg_color(f.ngText, 0xFFC7CE);  // light red
    f.ngLink = workbook_add_format(book);
    format_set_align(f.ngLink, LXW_ALIGN_VERTICAL_TOP);
    format_set_bg_color(f.ngLink, 0xFFC7CE);
    format_set_font_color(f.ngLink, LXW_COLOR_BLUE);
    format_set_underline(f.ngLink, LXW_UNDERLINE_SINGLE);
    return f;
}

int writeBlock(lxw_worksheet* sheet, const Formats& f, const testcase::TestCase& c, int row) {
    if (c.empty())
        return 0;
    for (int k = 0; k < testcase::kFieldCount; ++k) {
        const auto field = static_cast<Field>(k);
        const auto at = static_cast<lxw_row_t>(row + k);
        const std::string heading = workbook_text::fromCp932(testcase::fieldHeading(field));
        worksheet_write_string(sheet, at, 0, heading.c_str(), f.label);
        const bool ng = field == Field::verdict && c.verdict == testcase::Verdict::ng;
        writeCell(sheet, at, 1, fieldText(c, field), ng ? f.ngText : f.text);
    }
    return kBlockRows;
}

namespace {

void writeNotRun(lxw_worksheet* sheet, const Formats& f, const ExportComparison& comparison,
                 std::size_t firstRow) {
    const std::string notRun =
        workbook_text::fromCp932(retest::comparisonText(retest::Comparison::notRun));
    for (std::size_t k = 0; k < comparison.notRun.size(); ++k) {
        const NotRunStep& step = comparison.notRun[k];
        const auto row = static_cast<lxw_row_t>(firstRow + k);
        for (const Field field : {Field::testId, Field::step, Field::expected})
            writeCell(sheet, row, static_cast<lxw_col_t>(field),
                      fieldText(step.baselineCase, field), f.text);
        writeCell(sheet, row, 8, workbook_text::fromCp932(step.baselineHeading), f.text);
        writeCell(sheet, row, 10, notRun, f.text);
    }
}

}  // namespace

void writeSheet(lxw_worksheet* sheet, const Formats& f, const std::vector<WorkbookRecord>& records,
                const std::vector<Target>& targets, const ExportComparison& comparison) {
    const double widths[] = {14, 8, 36, 36, 8, 12, 12, 24, 8, 66};
    for (lxw_col_t c = 0; c < 10; ++c)
        worksheet_set_column(sheet, c, c, widths[c], nullptr);
    worksheet_write_string(sheet, 0, 0, kCaseSheet, f.title);
    worksheet_write_string(sheet, 1, 0,
                           workbook_text::fromCp932(verdictCountsLine(countsOf(records))).c_str(),
                           nullptr);
    for (int k = 0; k < testcase::kFieldCount; ++k)
        worksheet_write_string(
            sheet, 3, static_cast<lxw_col_t>(k),
            workbook_text::fromCp932(testcase::fieldHeading(static_cast<Field>(k))).c_str(),
            f.label);
    worksheet_write_string(sheet, 3, 8, u8"記録", f.label);
    worksheet_write_string(sheet, 3, 9, "SHA-256", f.label);
    if (comparison.active) {
        worksheet_set_column(sheet, 10, 10, 10, nullptr);
        worksheet_write_string(
            sheet, 2, 0, workbook_text::fromCp932(comparison_export::coverLine(comparison)).c_str(),
            nullptr);
        worksheet_write_string(sheet, 3, 10,
                               workbook_text::fromCp932(comparison_export::kColumnHeading).c_str(),
                               f.label);
    }
    for (std::size_t i = 0; i < records.size() && i < targets.size(); ++i) {
        const testcase::TestCase& c = records[i].testCase;
        const bool ng = c.verdict == testcase::Verdict::ng;
        lxw_format* text = ng ? f.ngText : f.text;
        const auto row = static_cast<lxw_row_t>(4 + i);
        for (int k = 0; k < testcase::kFieldCount; ++k)
            writeCell(sheet, row, static_cast<lxw_col_t>(k), fieldText(c, static_cast<Field>(k)),
                      text);
        const std::string number = std::to_string(i + 1);
        const std::string link = "internal:" + cellReference(targets[i].sheet, targets[i].row + 1);
        if (worksheet_write_url_opt(sheet, row, 8, link.c_str(), ng ? f.ngLink : nullptr,
                                    number.c_str(), nullptr) != LXW_NO_ERROR)
            writeCell(sheet, row, 8, number, text);
        writeCell(sheet, row, 9, targets[i].digest, text);
        if (comparison.active)
            writeCell(sheet, row, 10,
                      workbook_text::fromCp932(comparison_export::cellText(comparison, i)), text);
    }
    if (comparison.active)
        writeNotRun(sheet, f, comparison, 4 + std::min(records.size(), targets.size()));
    setUpPrinting(sheet);
}

void writeCoverCounts(lxw_worksheet* cover, const Formats& f,
                      const std::vector<WorkbookRecord>& records) {
    worksheet_write_string(cover, 1, 2, u8"判定", f.label);
    worksheet_write_string(cover, 1, 3,
                           workbook_text::fromCp932(verdictCountsLine(countsOf(records))).c_str(),
                           nullptr);
}

}  // namespace workbook_cases
