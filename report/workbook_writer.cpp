#include "report/workbook_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "base/cp932.h"
#include "report/comparison_export.h"
#include "report/export_picture.h"
#include "report/workbook_cases.h"
#include "report/workbook_names.h"
#include "report/workbook_text.h"
#include "view/picture_diff.h"

namespace workbook_layout {

const char* const kCoverSheet = u8"表紙";
const char* const kEvidenceSheet = u8"証跡";
const char* const kMissingImage = u8"画像ファイルがありません: ";
const char* const kMissingText = u8"説明文ファイルを読めません: ";

std::string externalLinkPath(const std::string& utf8Path) {
    std::string out;
    out.reserve(utf8Path.size());
    for (char c : utf8Path) {
        if (c == '#')
            out += "%23";
        else if (c == '%')
            out += "%25";
        else
            out += c;
    }
    return out;
}

double pictureScale(const PictureInfo& picture, PictureSize size) {
    if (size == PictureSize::actual || picture.width == 0)
        return 1.0;
    const double shown = picture.width * 96.0 / picture.dpiX;
    return shown > kPrintableWidth ? kPrintableWidth / shown : 1.0;
}

int pictureRows(const PictureInfo& picture, double scale) {
    const double shown = picture.height * 96.0 / picture.dpiY * scale;
    return std::max(1, static_cast<int>(std::ceil(shown / kRowHeight)));
}

int descriptionRow(int pictureRowCount) {
    return kPictureRow + pictureRowCount + 1;
}

}  // namespace workbook_layout

namespace {

using namespace workbook_layout;

struct WorkbookCloser {
    void operator()(lxw_workbook* w) const { workbook_close(w); }
};

// Everything a record contributes, converted once: the cover and the
// evidence both use it.
struct Prepared {
    std::string dateTime, heading, imagePath, imageName, firstLine, sheet;
    std::string textMissing;  // the cell that tells of an unreadable description
    std::string digest;       // hex, or the note that it cannot be taken; empty: not shown
    std::vector<std::string> lines;
    std::string picture;      // the head of the file, enough for the probe
    std::string libraryPath;  // the picture is opened by the library at the close
    PictureInfo info;
    std::string key;         // the library's key for identical pictures; empty: its MD5
    bool hashedNow = false;  // digest was taken from the file by this export
    bool problem = false;    // something of the record is missing or split
    bool withheld = false;   // the record's picture is not to be shown
    int firstRow = 0;        // 0-based row of the block on its sheet
};

// Appends the line to `lines`, split into cells of the most characters a
// cell holds; true when it had to be split.
bool addLine(std::string_view line, std::vector<std::string>& lines) {
    bool split = false;
    while (workbook_text::length(line) > kCellCharacters) {
        const std::string_view cell = workbook_text::prefix(line, kCellCharacters);
        lines.emplace_back(cell);
        line.remove_prefix(cell.size());
        split = true;
    }
    lines.emplace_back(line);
    return split;
}

std::string bareName(const std::string& cp932Path) {
    // Searched from the front: a trail byte 0x5C is not a backslash.
    std::size_t cut = 0;
    for (std::size_t i = 0; i < cp932Path.size();
         i += cp932::charLength(cp932Path.data(), cp932Path.size(), i)) {
        if (cp932Path[i] == '\\' || cp932Path[i] == '/')
            cut = i + 1;
    }
    return cp932Path.substr(cut);
}

Prepared prepare(const WorkbookRecord& r, const WorkbookOptions& options, WorkbookSource& source) {
    Prepared p;
    p.dateTime = workbook_text::fromCp932(r.dateTime);
    p.heading = workbook_text::fromCp932(r.heading);
    p.imagePath = workbook_text::fromCp932(r.imagePath);
    p.imageName = workbook_text::fromCp932(bareName(r.imagePath));
    std::string text;
    if (!r.descriptionPath.empty()) {
        if (source.read(r.descriptionPath, text)) {
            const std::string utf8 = workbook_text::fromCp932(text);
            const std::string_view first = workbook_text::firstLine(utf8);
            // The cover shows the first line only; the sheet has all of it.
            p.firstLine = workbook_text::cutWithMark(first, kCellCharacters);
            p.problem = p.firstLine != first;
            if (options.includeDescription)
                workbook_text::forEachLine(utf8, [&](std::string_view line) {
                    if (addLine(line, p.lines))
                        p.problem = true;
                });
        } else {
            p.textMissing = kMissingText + workbook_text::fromCp932(r.descriptionPath);
            p.problem = true;
        }
    }
    p.withheld = r.pictureWithheld;
    if (p.withheld)
        return p;
    if (options.includeDigests) {
        p.hashedNow = r.sha256.empty();
        p.digest = p.hashedNow ? source.digestHex(r.imagePath) : r.sha256;
        if (p.digest.empty()) {
            p.hashedNow = false;
            p.digest = workbook_text::fromCp932(kDigestUnknown);
        }
    }
    const auto probe = [&] {
        p.info = probePicture(reinterpret_cast<const uint8_t*>(p.picture.data()), p.picture.size());
    };
    if (source.readHead(r.imagePath, p.picture, kPictureHead)) {
        probe();
        // Headers past the head (a large EXIF or colour profile segment).
        if (p.info.kind == PictureKind::none && p.picture.size() == kPictureHead &&
            source.read(r.imagePath, p.picture))
            probe();
    }
    if (p.info.kind == PictureKind::none)
        p.picture.clear();
    else
        p.libraryPath = source.libraryPath(r.imagePath);
    return p;
}

void setUpPrinting(lxw_worksheet* sheet) {
    worksheet_set_paper(sheet, 9);  // A4
    worksheet_set_portrait(sheet);
    worksheet_fit_to_pages(sheet, 1, 0);
    worksheet_set_header(sheet, "&C&A");
    worksheet_set_footer(sheet, "&C&P / &N");
}

struct Formats {
    lxw_format* label;
    lxw_format* title;
    const workbook_cases::Formats* cases;  // null: no record has a test case
};

#ifdef LXW_HAS_IMAGE_KNOWN
// With a key, a JPEG or BMP goes in with the headers the probe read, which it
// reads as the library does: the library need not open every picture once
// more before the close. A PNG's resolution may lie past the head the probe
// saw, and a picture without a key needs the library's MD5 of the file:
// those the library opens itself.
bool insertKnown(lxw_worksheet* sheet, lxw_row_t row, const Prepared& p, lxw_image_options& image) {
    const char* key = p.key.empty() ? nullptr : p.key.c_str();
    const bool known = key && (p.info.kind == PictureKind::jpeg || p.info.kind == PictureKind::bmp);
    if (!known)
        return worksheet_insert_image_key(sheet, row, 0, p.libraryPath.c_str(), &image, key) ==
               LXW_NO_ERROR;
    lxw_image_known headers{};
    headers.type = p.info.kind == PictureKind::jpeg ? LXW_IMAGE_JPEG : LXW_IMAGE_BMP;
    headers.width = p.info.width;
    headers.height = p.info.height;
    headers.x_dpi = p.info.dpiX;
    headers.y_dpi = p.info.dpiY;
    return worksheet_insert_image_known(sheet, row, 0, p.libraryPath.c_str(), &image, key,
                                        &headers) == LXW_NO_ERROR;
}
#endif

// Writes one record's block at p.firstRow; returns the row after it and
// whether the picture went in.
int writeBlock(lxw_worksheet* sheet, const Formats& f, int number, Prepared& p,
               const WorkbookRecord& record, const WorkbookOptions& options, WorkbookSource& source,
               bool& pictureOk) {
    const auto row = static_cast<lxw_row_t>(p.firstRow);
    worksheet_write_string(sheet, row, 0, u8"番号", f.label);
    worksheet_write_number(sheet, row, 1, number, nullptr);
    worksheet_write_string(sheet, row + 1, 0, u8"日時", f.label);
    worksheet_write_string(sheet, row + 1, 1, p.dateTime.c_str(), nullptr);
    worksheet_write_string(sheet, row + 2, 0, u8"見出し", f.label);
    worksheet_write_string(sheet, row + 2, 1, p.heading.c_str(), nullptr);

    int rows = 1;
    pictureOk = false;
    if (!p.picture.empty() || !p.libraryPath.empty()) {
        lxw_image_options image{};
        image.x_scale = image.y_scale = pictureScale(p.info, options.pictureSize);
        image.description = const_cast<char*>(p.imageName.c_str());
        // Moved with the cells but never resized by them, as pasted evidence is.
        image.object_position = LXW_OBJECT_MOVE_DONT_SIZE;
        // By path the library reads the file again at the close instead of
        // holding a copy of every picture until then: a thousand screen
        // captures would fill much of a 32-bit address space. The bytes,
        // read whole now, are the fallback for a path it cannot open.
#if defined(LXW_HAS_IMAGE_KNOWN)
        pictureOk = !p.libraryPath.empty() && insertKnown(sheet, row + kPictureRow, p, image);
#elif defined(LXW_HAS_IMAGE_KEY)
        pictureOk =
            !p.libraryPath.empty() &&
            worksheet_insert_image_key(sheet, row + kPictureRow, 0, p.libraryPath.c_str(), &image,
                                       p.key.empty() ? nullptr : p.key.c_str()) == LXW_NO_ERROR;
#else
        pictureOk = !p.libraryPath.empty() &&
                    worksheet_insert_image_opt(sheet, row + kPictureRow, 0, p.libraryPath.c_str(),
                                               &image) == LXW_NO_ERROR;
#endif
        if (!pictureOk && source.read(record.imagePath, p.picture) &&
            probePicture(reinterpret_cast<const uint8_t*>(p.picture.data()), p.picture.size())
                    .kind != PictureKind::none)
            pictureOk = worksheet_insert_image_buffer_opt(
                            sheet, row + kPictureRow, 0,
                            reinterpret_cast<const unsigned char*>(p.picture.data()),
                            p.picture.size(), &image) == LXW_NO_ERROR;
        if (pictureOk)
            rows = pictureRows(p.info, image.x_scale);
    }
    // The library has the path or its own copy now.
    std::string().swap(p.picture);
    if (!pictureOk) {
        const std::string text = record.pictureWithheld
                                     ? workbook_text::fromCp932(kWithheldPictureNote)
                                     : kMissingImage + p.imagePath;
        worksheet_write_string(sheet, row + kPictureRow, 0, text.c_str(), nullptr);
    }
    // The row between the picture and the description, under the picture.
    if (!p.digest.empty()) {
        const auto under = static_cast<lxw_row_t>(p.firstRow + descriptionRow(rows) - 1);
        worksheet_write_string(sheet, under, 0, "SHA-256", f.label);
        worksheet_write_string(sheet, under, 1, p.digest.c_str(), nullptr);
    }
    int next = p.firstRow + descriptionRow(rows);
    if (!p.textMissing.empty() && options.includeDescription)
        worksheet_write_string(sheet, static_cast<lxw_row_t>(next++), 0, p.textMissing.c_str(),
                               nullptr);
    for (const std::string& line : p.lines)
        worksheet_write_string(sheet, static_cast<lxw_row_t>(next++), 0, line.c_str(), nullptr);
    return next;
}

void writeCover(lxw_worksheet* cover, const Formats& f, const std::vector<Prepared>& prepared,
                const WorkbookOptions& options, const ExportComparison& comparison) {
    worksheet_set_column(cover, 0, 0, 6, nullptr);
    worksheet_set_column(cover, 1, 1, 20, nullptr);
    worksheet_set_column(cover, 2, 2, 36, nullptr);
    worksheet_set_column(cover, 3, 3, 20, nullptr);
    worksheet_set_column(cover, 4, 4, 50, nullptr);
    worksheet_write_string(cover, 0, 0, workbook_text::fromCp932(options.title).c_str(), f.title);
    worksheet_write_string(cover, 1, 0, u8"作成日時", f.label);
    worksheet_write_string(cover, 1, 1, workbook_text::fromCp932(options.created).c_str(), nullptr);
    const char* const heads[] = {u8"番号",         u8"日時", u8"見出し",
                                 u8"画像ファイル", u8"説明", "SHA-256"};
    const lxw_col_t columns = options.includeDigests ? 6 : 5;
    // The baseline's line takes the row above the table.
    const lxw_row_t top = comparison.active ? 4 : 3;
    if (comparison.active)
        worksheet_write_string(
            cover, 3, 0, workbook_text::fromCp932(comparison_export::coverLine(comparison)).c_str(),
            nullptr);
    for (lxw_col_t c = 0; c < columns; ++c)
        worksheet_write_string(cover, top, c, heads[c], f.label);
    if (options.includeDigests) {
        worksheet_set_column(cover, 5, 5, 66, nullptr);
        worksheet_write_string(cover, 2, 0, workbook_text::fromCp932(options.manifestLine).c_str(),
                               nullptr);
    }
    for (std::size_t i = 0; i < prepared.size(); ++i) {
        const Prepared& p = prepared[i];
        const auto row = static_cast<lxw_row_t>(top + 1 + i);
        const std::string number = std::to_string(i + 1);
        const std::string target = "internal:" + cellReference(p.sheet, p.firstRow + 1);
        if (worksheet_write_url_opt(cover, row, 0, target.c_str(), nullptr, number.c_str(),
                                    nullptr) != LXW_NO_ERROR)
            worksheet_write_string(cover, row, 0, number.c_str(), nullptr);
        worksheet_write_string(cover, row, 1, p.dateTime.c_str(), nullptr);
        worksheet_write_string(cover, row, 2, p.heading.c_str(), nullptr);
        // No link to a withheld original: one click would open it unmasked.
        const std::string file = "external:" + externalLinkPath(p.imagePath);
        if (p.withheld || worksheet_write_url_opt(cover, row, 3, file.c_str(), nullptr,
                                                  p.imageName.c_str(), nullptr) != LXW_NO_ERROR)
            worksheet_write_string(cover, row, 3, p.imageName.c_str(), nullptr);
        worksheet_write_string(
            cover, row, 4, (p.textMissing.empty() ? p.firstLine : p.textMissing).c_str(), nullptr);
        if (!p.digest.empty())
            worksheet_write_string(cover, row, 5, p.digest.c_str(), nullptr);
    }
    setUpPrinting(cover);
}

// Beside a record that differs from its baseline step, from the block's
// first row: what changed and the baseline's heading, the diff picture of the
// two pictures in the picture's row, the changed lines under it. Returns
// the row after it all.
int writeDiff(lxw_worksheet* sheet, const Prepared& p, const WorkbookRecord& record,
              const RecordComparison& c, const picture_diff::Options& diffOptions,
              const WorkbookOptions& options, WorkbookSource& source) {
    const comparison_export::Section s = comparison_export::section(c);
    const auto row = static_cast<lxw_row_t>(p.firstRow);
    worksheet_write_string(sheet, row, kDiffColumn, workbook_text::fromCp932(s.summary).c_str(),
                           nullptr);
    worksheet_write_string(sheet, row + 1, kDiffColumn,
                           workbook_text::fromCp932(s.baseline).c_str(), nullptr);
    std::string baseline, current, png;
    if (!record.pictureWithheld && !c.baselinePicture.empty() &&
        source.read(c.baselinePicture, baseline) && source.read(record.imagePath, current))
        png = comparison_export::diffPng(baseline, current, diffOptions);
    int rows = 1;
    if (!png.empty()) {
        const PictureInfo info =
            probePicture(reinterpret_cast<const uint8_t*>(png.data()), png.size());
        const std::string name =
            workbook_text::fromCp932(picture_diff::diffFileName(record.imagePath));
        lxw_image_options image{};
        image.x_scale = image.y_scale = pictureScale(info, options.pictureSize);
        image.description = const_cast<char*>(name.c_str());
        image.object_position = LXW_OBJECT_MOVE_DONT_SIZE;
        if (worksheet_insert_image_buffer_opt(sheet, row + kPictureRow, kDiffColumn,
                                              reinterpret_cast<const unsigned char*>(png.data()),
                                              png.size(), &image) == LXW_NO_ERROR)
            rows = pictureRows(info, image.x_scale);
    }
    int next = p.firstRow + descriptionRow(rows);
    for (const std::string& line : s.changes)
        worksheet_write_string(sheet, static_cast<lxw_row_t>(next++), kDiffColumn,
                               workbook_text::fromCp932(line).c_str(), nullptr);
    return next;
}

// The library's progress hook (a build of it with the hook) during the
// close; a cancel before the close stops it at its first step.
struct PackageProgress {
    WorkbookProgress* progress;
    bool cancelled;
};

#ifdef LXW_HAS_PROGRESS
int onPackage(void* context, uint32_t done, uint32_t total) {
    auto* p = static_cast<PackageProgress*>(context);
    if (!p->cancelled && p->progress &&
        !p->progress->report(WorkbookStage::package, static_cast<int>(done),
                             static_cast<int>(total)))
        p->cancelled = true;
    return p->cancelled ? 1 : 0;
}
#endif

lxw_worksheet* evidenceSheet(lxw_workbook* book, const std::string& name) {
    lxw_worksheet* sheet = workbook_add_worksheet(book, name.c_str());
    if (sheet) {
        worksheet_set_column(sheet, 0, 0, 10, nullptr);
        worksheet_set_column(sheet, 1, 1, 80, nullptr);
        setUpPrinting(sheet);
    }
    return sheet;
}

lxw_workbook* openBook(const std::string& outputPath, const WorkbookOptions& options) {
    lxw_workbook_options bookOptions{};
    bookOptions.tmpdir =
        options.tempFolder.empty() ? nullptr : const_cast<char*>(options.tempFolder.c_str());
    bookOptions.use_zip64 = LXW_TRUE;  // 1000 screen captures pass 4 GB at worst
    return workbook_new_opt(outputPath.c_str(), &bookOptions);
}

Formats addFormats(lxw_workbook* book) {
    Formats f{};
    f.label = workbook_add_format(book);
    format_set_bold(f.label);
    f.title = workbook_add_format(book);
    format_set_bold(f.title);
    format_set_font_size(f.title, 16);
    return f;
}

// Pictures of a size that no other has are stored without the library's
// MD5 of the whole file, which was a third of a large export's time. True
// for each record whose picture is alone in its size.
std::vector<bool> uniqueSizes(const std::vector<WorkbookRecord>& records, WorkbookSource& source) {
    std::map<int64_t, int> sizes;
    std::vector<int64_t> sizeOf(records.size(), -1);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].pictureWithheld)
            continue;
        sizeOf[i] = source.fileSize(records[i].imagePath);
        if (sizeOf[i] >= 0)
            ++sizes[sizeOf[i]];
    }
    std::vector<bool> unique(records.size(), false);
    for (std::size_t i = 0; i < records.size(); ++i)
        unique[i] = sizeOf[i] >= 0 && sizes[sizeOf[i]] == 1;
    return unique;
}

// The evidence of every record, on one shared sheet or a sheet each, with
// what the cover needs of each record kept in `prepared`. False when a
// sheet could not be added (the result's error says so).
bool writeRecords(lxw_workbook* book, const Formats& f, lxw_worksheet* shared,
                  const std::vector<WorkbookRecord>& records, const WorkbookOptions& options,
                  WorkbookSource& source, WorkbookProgress* progress, PackageProgress& package,
                  const ExportComparison& comparison, std::vector<Prepared>& prepared,
                  WorkbookResult& result) {
    SheetNames names;
    names.reserve(kCoverSheet);
    names.reserve(kEvidenceSheet);
    if (f.cases)
        names.reserve(workbook_cases::kCaseSheet);
    const std::vector<bool> unique = uniqueSizes(records, source);
    std::vector<lxw_row_t> breaks;
    int row = 0;
    const int total = static_cast<int>(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (progress && !progress->report(WorkbookStage::records, static_cast<int>(i), total)) {
            package.cancelled = true;
            break;
        }
        Prepared p = prepare(records[i], options, source);
        const int number = static_cast<int>(i) + 1;
        // A digest taken from the file now is as good a key as the MD5: the
        // same digest, the same bytes. A pinned one may be older than the file.
        if (unique[i])
            p.key = "unique picture " + std::to_string(number);
        else if (p.hashedNow)
            p.key = "sha256 " + p.digest;
        lxw_worksheet* sheet = shared;
        if (shared) {
            p.sheet = kEvidenceSheet;
            p.firstRow = row;
            if (row > 0)
                breaks.push_back(static_cast<lxw_row_t>(row));
        } else {
            p.sheet = names.make(p.heading, number);
            sheet = evidenceSheet(book, p.sheet);
        }
        if (!sheet) {
            result.error = "workbook_add_worksheet";
            return false;
        }
        if (f.cases)
            p.firstRow +=
                workbook_cases::writeBlock(sheet, *f.cases, records[i].testCase, p.firstRow);
        bool pictureOk = false;
        int end = writeBlock(sheet, f, number, p, records[i], options, source, pictureOk);
        const RecordComparison* c = comparison_export::of(comparison, i);
        if (comparison_export::differs(c))
            end = std::max(end, writeDiff(sheet, p, records[i], *c, comparison.diffOptions, options, source));
        row = end + 1;
        ++result.written;
        if (!pictureOk || p.problem)
            ++result.problems;
        p.lines.clear();
        prepared.push_back(std::move(p));
    }
    if (shared && !breaks.empty()) {
        // The library takes at most 1023 breaks, more than the history's
        // 1000 records need.
        breaks.push_back(0);
        worksheet_set_h_pagebreaks(shared, breaks.data());
    }
    return true;
}

// The test-result sheet and the cover's counts: each record's row links to
// the top of its block and shows the digest the cover shows, taken here
// when the cover shows none.
void writeCaseSheet(lxw_worksheet* sheet, const Formats& f,
                    const std::vector<WorkbookRecord>& records,
                    const std::vector<Prepared>& prepared, WorkbookSource& source,
                    lxw_worksheet* cover, const ExportComparison& comparison) {
    std::vector<workbook_cases::Target> targets;
    targets.reserve(prepared.size());
    for (std::size_t i = 0; i < prepared.size(); ++i) {
        const Prepared& p = prepared[i];
        const WorkbookRecord& r = records[i];
        workbook_cases::Target t{p.sheet, p.firstRow, p.digest};
        if (!r.testCase.empty())
            t.row -= workbook_cases::kBlockRows;
        if (t.digest.empty() && !p.withheld) {
            t.digest = r.sha256.empty() ? source.digestHex(r.imagePath) : r.sha256;
            if (t.digest.empty())
                t.digest = workbook_text::fromCp932(kDigestUnknown);
        }
        targets.push_back(std::move(t));
    }
    workbook_cases::writeSheet(sheet, *f.cases, records, targets, comparison);
    if (cover)
        workbook_cases::writeCoverCounts(cover, *f.cases, records);
}

}  // namespace

WorkbookResult writeWorkbook(const std::string& outputPath,
                             const std::vector<WorkbookRecord>& records,
                             const WorkbookOptions& options, WorkbookSource& source,
                             WorkbookProgress* progress, const ExportComparison& comparison) {
    WorkbookResult result;
    lxw_workbook* book = openBook(outputPath, options);
    if (!book) {
        result.error = "workbook_new";
        return result;
    }
    std::unique_ptr<lxw_workbook, WorkbookCloser> closer(book);
    PackageProgress package{progress, false};
#ifdef LXW_HAS_PROGRESS
    workbook_set_progress(book, onPackage, &package);
#endif
    Formats f = addFormats(book);
    lxw_worksheet* cover = workbook_add_worksheet(book, kCoverSheet);
    // The test-result sheet right after the cover, only when some record
    // has a case.
    workbook_cases::Formats caseFormats{};
    lxw_worksheet* caseSheet = nullptr;
    if (workbook_cases::any(records) || comparison.active) {
        caseFormats = workbook_cases::addFormats(book);
        f.cases = &caseFormats;
        caseSheet = workbook_add_worksheet(book, workbook_cases::kCaseSheet);
    }
    // Names first: the cover links to sheets that come after it.
    lxw_worksheet* shared =
        options.layout == WorkbookLayout::oneSheet ? evidenceSheet(book, kEvidenceSheet) : nullptr;
    std::vector<Prepared> prepared;
    prepared.reserve(records.size());
    if (!writeRecords(book, f, shared, records, options, source, progress, package, comparison,
                      prepared, result))
        return result;
    if (cover && !package.cancelled)
        writeCover(cover, f, prepared, options, comparison);
    if (caseSheet && !package.cancelled)
        writeCaseSheet(caseSheet, f, records, prepared, source, cover, comparison);

    const lxw_error closed = workbook_close(closer.release());
    result.cancelled = package.cancelled;
    result.ok = closed == LXW_NO_ERROR && !result.cancelled;
    if (result.cancelled)
        result.error = "cancelled";
    else if (!result.ok)
        result.error = lxw_strerror(closed);
    return result;
}
