#include "pack/pack_pdf.h"

#include <algorithm>

#include "pack/pdf_archive.h"
#include "pack/pdf_layout.h"
#include "report/export_cases.h"
#include "report/export_picture.h"

namespace pack {

namespace {

using pdf::kBottom;
using pdf::kMargin;
using pdf::kTextWidth;
using pdf::kTop;
using pdf::Layout;

const char* const kWriteFailed =
    "PDFファイルを書き込めませんでした。書き込み先とディスクの空き容量を確認してください。";
const char* const kFontFailed = "PDFに埋め込むフォントを読み込めませんでした: ";
const char* const kUnreadable = "画像を読み込めませんでした: ";
const char* const kCaseTitle = "試験成績書";

// The document's opening page: what the pack is and what proves it.
void cover(Layout& page, const PackInput& in, const PackOptions& options) {
    page.newPage();
    page.y -= 120;
    page.paragraph(in.title, 20);
    page.y -= 24;
    if (!in.author.empty())
        page.paragraph(std::string("実施者: ") + in.author, 11);
    page.paragraph("作成日時: " + in.created, 11);
    page.paragraph("記録: " + std::to_string(in.records.size()) + "件", 11);
    RecordCases cases;
    for (const PackRecord& r : in.records)
        cases.push_back(r.testCase);
    if (anyCase(cases)) {
        VerdictCounts counts;
        for (const auto& c : cases)
            counts.add(c.verdict);
        page.paragraph(verdictCountsLine(counts), 11);
    }
    page.y -= 12;
    if (options.showDigests && !in.manifestSha256Hex.empty())
        for (const PackAttachment& a : in.attachments)
            if (a.name.size() > 7 && a.name.compare(a.name.size() - 7, 7, ".sha256") == 0)
                page.paragraph("マニフェスト " + a.name + "  SHA-256: " + in.manifestSha256Hex, 8);
    for (const PackAttachment& a : in.attachments)
        page.paragraph(
            "添付ファイル: " + a.name + " (" + std::to_string(a.bytes.size()) + "バイト)", 9);
}

struct Column {
    double width;
    std::string heading;
};

std::vector<std::string> caseRow(const PackRecord& r) {
    std::vector<std::string> cells{std::to_string(r.number)};
    for (int k = 0; k < testcase::kFieldCount; ++k) {
        const auto field = static_cast<testcase::Field>(k);
        cells.push_back(field == testcase::Field::verdict
                            ? testcase::verdictText(r.testCase.verdict)
                            : *r.testCase.text(field));
    }
    cells.push_back(r.picture.sha256Hex);
    return cells;
}

using CellLines = std::vector<std::vector<std::u32string>>;
constexpr double kCellSize = 7, kDigestSize = 5.5, kCellLeading = 9, kCellPad = 2;

void tableRow(Layout& page, const std::vector<Column>& columns,
              const std::vector<std::string>& cells, bool ng, bool heading);

// Lines [from, to) of each cell of a row, as one band of the table.
void tableBand(Layout& page, const std::vector<Column>& columns, const CellLines& lines,
               std::size_t from, std::size_t to, bool ng, bool heading) {
    const double height = static_cast<double>(to - from) * kCellLeading + 2 * kCellPad;
    const double bottom = page.y - height;
    if (ng || heading)
        page.draw(std::string(ng ? "1 0.78 0.81" : "0.91 0.91 0.97") + " rg " + pdf::num(kMargin) +
                  " " + pdf::num(bottom) + " " + pdf::num(kTextWidth) + " " + pdf::num(height) +
                  " re f 0 g\n");
    double x = kMargin;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const double cellSize = i + 1 == columns.size() && !heading ? kDigestSize : kCellSize;
        double baseline = page.y - kCellPad - kCellLeading + 2;
        for (std::size_t k = from; k < to && k < lines[i].size(); ++k, baseline -= kCellLeading)
            page.textAt(x + kCellPad, baseline, lines[i][k], cellSize);
        page.draw("0.5 w " + pdf::num(x) + " " + pdf::num(bottom) + " " +
                  pdf::num(columns[i].width) + " " + pdf::num(height) + " re S\n");
        x += columns[i].width;
    }
    page.y = bottom;
}

// One row of the case table from the current height. A row that does not
// fit goes on in bands on the next pages, each under the headings again: a
// case's texts may be longer than a page.
void tableRow(Layout& page, const std::vector<Column>& columns,
              const std::vector<std::string>& cells, bool ng, bool heading) {
    CellLines lines;
    std::size_t most = 1;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const double cellSize = i + 1 == columns.size() && !heading ? kDigestSize : kCellSize;
        lines.push_back(pdf::wrapText(page.font(), pdf::unicodeOf(cells[i]), cellSize,
                                      columns[i].width - 2 * kCellPad));
        most = std::max(most, lines.back().size());
    }
    for (std::size_t from = 0; from < most;) {
        const double room = (page.y - kBottom - 2 * kCellPad) / kCellLeading;
        // A new page when not even the whole row or three of its lines fit.
        if (room < static_cast<double>(std::min<std::size_t>(most - from, 3))) {
            page.newPage();
            if (!heading) {
                std::vector<std::string> titles;
                for (const Column& c : columns)
                    titles.push_back(c.heading);
                tableRow(page, columns, titles, false, true);
            }
            continue;
        }
        const std::size_t to = std::min(most, from + static_cast<std::size_t>(room));
        tableBand(page, columns, lines, from, to, ng, heading);
        from = to;
    }
}

void caseTable(Layout& page, const PackInput& in) {
    page.newPage();
    page.bookmark(kCaseTitle);
    page.paragraph(kCaseTitle, 14);
    VerdictCounts counts;
    for (const PackRecord& r : in.records)
        counts.add(r.testCase.verdict);
    page.paragraph(verdictCountsLine(counts), 9);
    page.y -= 6;
    static const double widths[] = {22, 52, 70, 80, 80, 26, 40, 44, 50, 47};
    std::vector<Column> columns{{widths[0], "番号"}};
    for (int k = 0; k < testcase::kFieldCount; ++k)
        columns.push_back({widths[k + 1], testcase::fieldHeading(static_cast<testcase::Field>(k))});
    columns.push_back({widths[9], "SHA-256"});
    std::vector<std::string> titles;
    for (const Column& c : columns)
        titles.push_back(c.heading);
    tableRow(page, columns, titles, false, true);
    for (const PackRecord& r : in.records)
        if (!r.testCase.empty())
            tableRow(page, columns, caseRow(r), r.testCase.verdict == testcase::Verdict::ng, false);
}

// The record's texts above its picture.
void recordTexts(Layout& page, const PackRecord& r, const PackOptions& options) {
    const std::string heading =
        options.itemNumbers ? std::to_string(r.number) + ". " + r.heading : r.heading;
    page.bookmark(heading);
    page.paragraph(heading, 12);
    page.paragraph(r.dateTime, 8);
    if (options.showDigests)
        page.paragraph("SHA-256: " + (r.picture.sha256Hex.empty() ? std::string(kDigestUnknown)
                                                                  : r.picture.sha256Hex),
                       7);
    if (!r.description.empty())
        page.paragraph(r.description, 9);
    if (r.testCase.empty())
        return;
    page.y -= 3;
    for (int k = 0; k < testcase::kFieldCount; ++k) {
        const auto field = static_cast<testcase::Field>(k);
        const std::string text = field == testcase::Field::verdict
                                     ? testcase::verdictText(r.testCase.verdict)
                                     : *r.testCase.text(field);
        if (!text.empty())
            page.paragraph(std::string(testcase::fieldHeading(field)) + ": " + text, 8, 8);
    }
}

struct RecordWriter {
    pdf::Writer& out;
    Layout& page;
    const PackReader& read;
    const PackOptions& options;
    std::string buffer;  // the picture in hand, kept for the next one's bytes
    int perPage, slot = 0, unreadable = 0;

    void record(const PackRecord& r);
    void picture(const PackRecord& r, double bottom);
};

void RecordWriter::picture(const PackRecord& r, double bottom) {
    const PackPicture& p = r.picture;
    std::string note;
    if (p.withheld) {
        note = kWithheldPictureNote;
    } else {
        buffer.clear();
        const bool got = p.path.empty() ? false : read(p.path, [&](const char* d, std::size_t n) {
            buffer.append(d, n);
        });
        const int number = out.reserve();
        pdf::ImageSize size;
        // The record and file name the check of the pack finds the picture by
        // (a key of our own, which PDF readers pass over).
        const std::string label = " /ZelcapRecord " + std::to_string(r.number) + " /ZelcapName " +
                                  pdf::textString(p.name.empty() ? p.path : p.name);
        if (got && pdf::writeImage(out, number, buffer, size, label)) {
            page.image(number, size, kMargin, bottom, kTextWidth, page.y - 4 - bottom);
            return;
        }
        ++unreadable;
        note = kUnreadable + (p.name.empty() ? p.path : p.name);
    }
    page.y -= 8;
    page.paragraph(note, 10);
}

void RecordWriter::record(const PackRecord& r) {
    const double slotHeight = (kTop - kBottom) / perPage;
    if (slot == 0 || !page.onPage())
        page.newPage();
    const double slotTop = kTop - slot * slotHeight;
    page.y = slotTop;
    const bool textOnly = r.picture.path.empty() && !r.picture.withheld;
    const int pageBefore = page.pagesStarted();
    recordTexts(page, r, options);
    double bottom = slotTop - slotHeight + 6;
    if (page.pagesStarted() != pageBefore || page.y < bottom)
        bottom = kBottom;  // the text ran on: the picture takes what is left of this page
    if (!textOnly) {
        if (page.y - bottom < std::min(120.0, slotHeight / 3)) {
            page.newPage();
            bottom = kTop - slotHeight + 6;
        }
        picture(r, bottom);
    }
    slot = bottom == kBottom ? 0 : (slot + 1) % perPage;
}

}  // namespace

PackResult writePackPdf(const PackInput& input, const PackOptions& options,
                        const std::string& fontPath, const PackReader& read, const PackSink& sink,
                        const PackProgress& progress) {
    PackResult result;
    std::string fontBytes;
    pdf::Font font;
    if (!read(fontPath, [&](const char* d, std::size_t n) { fontBytes.append(d, n); }) ||
        !font.load(std::move(fontBytes))) {
        result.message = kFontFailed + fontPath;
        return result;
    }
    pdf::Writer out(sink);
    Layout page(out, font);
    if (options.coverPage)
        cover(page, input, options);
    if (options.caseTable && std::any_of(input.records.begin(), input.records.end(),
                                         [](const PackRecord& r) { return !r.testCase.empty(); }))
        caseTable(page, input);
    RecordWriter records{out, page, read, options, {}, std::clamp(options.recordsPerPage, 1, 4)};
    const int total = static_cast<int>(input.records.size());
    for (int i = 0; i < total && out.ok(); ++i) {
        records.record(input.records[static_cast<std::size_t>(i)]);
        if (progress && !progress(i + 1, total)) {
            result.cancelled = true;
            return result;
        }
    }
    result.unreadable = records.unreadable;
    if (!page.onPage() && total == 0)
        page.newPage();
    std::string catalog = page.finish();
    if (catalog.empty() && out.ok()) {
        result.message = kFontFailed + fontPath;
        return result;
    }
    const pdf::DocumentInfo info{input.title, input.author, input.created};
    catalog += pdf::writeArchiveObjects(out, info);
    catalog += pdf::writeAttachments(out, input.attachments, input.created);
    const int root = out.reserve(), infoObject = out.reserve();
    out.begin(root);
    out.put("<</Type /Catalog" + catalog +
            " /Lang (ja-JP) /ViewerPreferences <</DisplayDocTitle true>>>>");
    out.end();
    out.begin(infoObject);
    out.put(pdf::infoDictionary(info));
    out.end();
    out.finish(root, infoObject, pdf::documentId(input));
    result.ok = out.ok();
    if (!result.ok)
        result.message = kWriteFailed;
    return result;
}

}  // namespace pack
