#include "report/report_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "base/cp932.h"
#include "history/history_paths.h"
#include "history/open_records.h"
#include "report/comparison_export.h"
#include "report/report_cases.h"
#include "view/picture_diff.h"

namespace {

constexpr std::size_t kTextFileLimit = 65535;
// Beyond this a row or a page holds nothing but empty cells (the history
// never has more records), and the settings file can hold any number.
constexpr int kCountLimit = kRecordMaximum;

int clampCount(int value) {
    return std::min(std::max(value, 1), kCountLimit);
}

// Calls emit(i, len) for each character of text: one byte, or two for a
// double-byte character.
template <typename F>
void forEachCharacter(const std::string& text, F emit) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = cp932::charLength(text.data(), text.size(), i);
        emit(i, n);
        i += n;
    }
}

// A lead byte with no trail byte after it. Written as it is, a decoder that
// pairs it with the next byte anyway would swallow the '<' or quote that
// follows and turn escaped text back into markup, so it goes out as "?".
bool isLoneLead(const std::string& text, std::size_t i, std::size_t n) {
    return n == 1 && cp932::isLeadByte(static_cast<unsigned char>(text[i]));
}

// Window titles and typed headings are plain text: a '<' in one must not
// open a tag in the report.
std::string escapeText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    forEachCharacter(text, [&](std::size_t i, std::size_t n) {
        if (n == 2)
            out.append(text, i, 2);
        else if (isLoneLead(text, i, n))
            out += '?';
        else if (text[i] == '&')
            out += "&amp;";
        else if (text[i] == '<')
            out += "&lt;";
        else if (text[i] == '>')
            out += "&gt;";
        else
            out += text[i];
    });
    return out;
}

// The src value is unquoted and the href single-quoted. Every byte that could
// end either value (a blank, a control byte, a quote, '>'), begin a
// reference or another attribute, or make the name an absolute URL (the
// colon of "javascript:" or "C:a.jpg", a leading slash) goes in as a URL
// escape, and so does a lone lead byte. Ordinary capture names, double-byte
// characters included, stay as they are.
std::string urlName(const std::string& name) {
    std::string out;
    forEachCharacter(name, [&](std::size_t i, std::size_t n) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (n == 1 && (c < 0x20 || c == 0x7F || std::strchr(" \"#%&'/:<=>?\\`", c) != nullptr ||
                       isLoneLead(name, i, n))) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        } else {
            out.append(name, i, n);
        }
    });
    return out;
}

// What a record's file is called in the output folder. Windows allows none
// of the replaced bytes in a file name, so only a damaged history holds them,
// and there a '/' or ':' would send the copy into another folder or stream
// ("a/../../x"). Trailing blanks and dots, which Windows drops, go too, so
// that two different names never land on one file.
std::string copyName(const std::string& bare) {
    std::string out;
    forEachCharacter(bare, [&](std::size_t i, std::size_t n) {
        const unsigned char c = static_cast<unsigned char>(bare[i]);
        if (n == 1 &&
            (c < 0x20 || std::strchr("<>:\"/\\|?*", c) != nullptr || isLoneLead(bare, i, n)))
            out += '_';
        else
            out.append(bare, i, n);
    });
    for (std::size_t end = out.size(); end > 0 && (out[end - 1] == ' ' || out[end - 1] == '.');
         --end)
        out[end - 1] = '_';
    return out;
}

// "a.jpg" as "a_2.jpg": the extension stays, so the browser still knows
// what kind of file it links to.
std::string numberedName(const std::string& name, int number) {
    const char* dot = cp932::findLastChar(name.c_str(), '.');
    const std::size_t at =
        dot != nullptr ? static_cast<std::size_t>(dot - name.c_str()) : name.size();
    return name.substr(0, at) + "_" + std::to_string(number) + name.substr(at);
}

std::string decimal(long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", value);
    return text;
}

// The item number as "番号表示" shows it: right-aligned in three places.
std::string itemNumber(long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%3lld.", value);
    return text;
}

class Writer {
  public:
    Writer(const HistoryRecord* records, int count, const char* historyFolder,
           const ReportOptions& options, const ReportFileReader& readFile,
           const ReportFolder& outFolder, const PictureFiles& pictures,
           const ExportDigests& digests, const RecordCases& cases,
           const ExportComparison& comparison)
        : records_(records),
          count_(std::max(count, 0)),
          folder_(historyFolder),
          options_(options),
          readFile_(readFile),
          outFolder_(outFolder),
          digests_(digests),
          cases_(cases),
          comparison_(comparison),
          withCases_((anyCase(cases) || comparison.active) &&
                     cases.size() == static_cast<std::size_t>(std::max(count, 0))),
          withComparison_(withCases_ && comparison.active),
          perRow_(clampCount(options.itemsPerRow)),
          rows_(clampCount(options.job.rowsPerPage)) {
        pictures_.reserve(static_cast<std::size_t>(count_));
        for (int i = 0; i < count_; ++i)
            pictures_.push_back(exportPicture(resolvedPath(i), pictures));
        planFiles();
        if (withComparison_)
            planDiffs(pictures);
    }

    ReportText run(const ReportCopyFirst& copyFirst) {
        const int layout = options_.job.layout == 5 ? 4 : options_.job.layout;
        if (layout < 0 || layout > 4)
            return {};
        layout_ = layout;
        if (copyFirst) {
            // The rows copy their records' files in record order.
            std::vector<ReportCopy> copies;
            for (int i = 0; i < static_cast<int>(files_.size()); ++i)
                if (files_[static_cast<std::size_t>(i)].copy)
                    copies.push_back(copyOf(i));
            copyFirst(copies);
        }
        writePageHead();
        if (options_.coverPage)
            writeCover();
        else if (options_.job.showDigests)
            html() += "<FONT size=2>" + escapeText(manifestCoverLine(digests_)) + "</FONT><BR>\n";
        if (!options_.coverPage && withComparison_)
            html() += "<FONT size=2>" + escapeText(comparison_export::coverLine(comparison_)) +
                      "</FONT><BR>\n";
        if (withCases_)
            writeCaseTable();
        const long long perPage = static_cast<long long>(perRow_) * rows_;
        const long long pages = (count_ - 1) / perPage + 1;
        for (long long p = 0; p < pages; ++p) {
            writePage(p);
            if (p < pages - 1)
                out_.html += "<hr color=white>\n";
        }
        if (options_.coverPage)
            out_.html += "<A href=#0><FONT size=2>目次へ</FONT></a>\n";
        out_.html += "</body></html>";
        return std::move(out_);
    }

  private:
    std::string& html() { return out_.html; }

    void writePageHead() {
        const std::string title = escapeText(options_.title);
        // Without the declaration a browser guesses the encoding, and one
        // odd byte turns the whole report into mojibake.
        html() +=
            "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
            "charset=Shift_JIS\">\n<title>" +
            title + "</title>\n";
        html() += "<style type=\"text/css\">\n<!-- hr { page-break-after:always} -->\n";
        if (withCases_)
            html() += report_cases::kStyle;
        html() += "</style>\n</head>\n";
        html() += "<BODY bgcolor=#ffffff leftmargin=\"50px\">\n";
    }

    void writeCoverLine(const std::string& line) {
        html() += "<TABLE border=0 width=650>\n    <TR>\n      <TD><FONT size=2>" +
                  escapeText(line) + "</FONT></TD>\n    </TR>\n</TABLE>\n";
    }

    void writeContentsEntry(int i) {
        html() += "<a href=#" + decimal(i + 1) + ">";
        if (options_.itemNumbers)
            html() += itemNumber(i + 1);
        html() += escapeText(records_[i].comment) + "</A>\n<BR>\n";
    }

    void writeCover() {
        const std::string title = escapeText(options_.title);
        // Anchor names carry no '#': the links "#0" and "#n" name them.
        html() += "<A name=0></A><BR><BR><BR><BR><BR><BR>\n";
        html() +=
            "<TABLE border=0 width=650>\n  <TBODY>\n    <TR>\n"
            "      <TD><FONT color=#000099 size=5><B>" +
            title +
            "      </B></FONT></TD>\n      <TD valign=bottom></TD>\n    </TR>\n  </TBODY>\n"
            "</TABLE>\n";
        html() +=
            "<TABLE border=0 width=650>\n    <TR>\n      <TD bgcolor=#000099></TD>\n    </TR>\n"
            "</TABLE>\n";
        if (options_.job.showDigests)
            writeCoverLine(manifestCoverLine(digests_));
        // The baseline's manifest beside this cycle's: a reviewer checks both.
        if (withComparison_)
            writeCoverLine(comparison_export::coverLine(comparison_));
        html() +=
            "<TABLE border=0 width=650>\n  <TBODY>\n    <TR>\n"
            "      <TD bgcolor=#ccccff><FONT size=2>　【目次】</FONT></TD>\n    </TR>\n"
            "    <TR>\n      <TD bgcolor=#999999></TD>\n    </TR>\n  </TBODY>\n</TABLE>\n<BR>\n";
        static const char kColumnOpen[] =
            "      <TD valign=top>\n       <FONT color=#000000 size=2>\n";
        static const char kColumnClose[] = "       </FONT>\n      </TD>\n";
        html() += "<TABLE border=0 width=650>\n  <TBODY>\n    <TR>\n";
        html() += kColumnOpen;
        // A negative split would make the column length zero or negative.
        if (options_.tocSplit > 0) {
            const int perColumn = (count_ - 1) / options_.tocSplit + 1;
            for (int i = 0; i < count_; ++i) {
                writeContentsEntry(i);
                if (perColumn > 0 && (i + 1) % perColumn == 0) {
                    html() += kColumnClose;
                    html() += kColumnOpen;
                }
            }
        }
        html() += kColumnClose;
        html() += "    </TR>\n  </TBODY>\n</TABLE>\n<HR color=white>\n";
    }

    void writePage(long long page) {
        html() += "<table bgcolor='" + htmlColour(options_.backgroundColour) + "'>\n";
        for (long long r = 0; r < rows_; ++r) {
            const long long base = perRow_ * (r + rows_ * page);
            writeRow(base);
            if (count_ - 1 <= base + perRow_ - 1)
                break;
        }
        html() += " </table>\n";
    }

    enum class Cell { heading, image, description, imageThenDescription, descriptionThenImage };

    void writeLine(long long base, Cell cell) {
        html() += " <tr nowrap bgcolor='" + htmlColour(options_.frameColour) + "'>\n\n";
        for (int k = 0; k < perRow_; ++k) {
            const long long item = base + k;
            const int i = item < count_ ? static_cast<int>(item) : -1;
            switch (cell) {
                case Cell::heading:
                    writeHeadingCell(i);
                    break;
                case Cell::image:
                    writeImageCell(i);
                    break;
                case Cell::description:
                    writeDescriptionCell(i);
                    break;
                case Cell::imageThenDescription:
                    writeImageCell(i);
                    writeDescriptionCell(i);
                    break;
                case Cell::descriptionThenImage:
                    writeDescriptionCell(i);
                    writeImageCell(i);
                    break;
            }
            // The case's block beside the picture; a blank cell under and
            // over it keeps each record's column.
            if (withCases_ && cell != Cell::heading)
                html() += cell == Cell::description || i < 0
                              ? std::string("  <td></td>\n")
                              : report_cases::cell(cases_[static_cast<std::size_t>(i)]);
            if (withComparison_ && cell != Cell::heading)
                html() +=
                    cell == Cell::description || i < 0 ? std::string("  <td></td>\n") : diffCell(i);
        }
        html() += " </tr>\n";
    }

    void writeRow(long long base) {
        writeLine(base, Cell::heading);
        switch (layout_) {
            case 0:
                writeLine(base, Cell::imageThenDescription);
                break;
            case 1:
                writeLine(base, Cell::descriptionThenImage);
                break;
            case 2:
                writeLine(base, Cell::description);
                writeLine(base, Cell::image);
                break;
            case 3:
                writeLine(base, Cell::image);
                break;
            default:
                writeLine(base, Cell::image);
                break;
        }
        copyRowImages(base);
        if (layout_ == 3)
            writeLine(base, Cell::description);
    }

    void writeHeadingCell(int i) {
        const int span = (layout_ <= 1 ? 2 : 1) + (withCases_ ? 1 : 0) + (withComparison_ ? 1 : 0);
        html() += span > 1 ? "  <td colspan='" + decimal(span) + "'>\n" : std::string("  <td>\n");
        if (i >= 0) {
            html() += "   <A name=" + decimal(i + 1) + "></A>";
            if (options_.itemNumbers)
                html() += itemNumber(i + 1);
            html() += escapeText(records_[i].comment);
        }
        html() += "\n  </td>\n";
    }

    std::string resolvedPath(int i) const {
        char path[kPathSize];
        resolvedImagePath(records_[i], folder_, path);
        return path;
    }

    void writeImageCell(int i) {
        html() += "  <td>\n";
        if (i < 0) {
            html() += "  </td>\n";
            return;
        }
        const HistoryRecord& record = records_[i];
        const ExportPicture& picture = pictures_[static_cast<std::size_t>(i)];
        if (picture.choice == annotation::ExportChoice::withheld) {
            // Neither the picture nor a link to it: the original is
            // unmasked, and a link by its name would show it wherever the
            // report lands beside it.
            html() += std::string("   <font size=2>") + kWithheldPictureNote + "</font>\n  </td>\n";
            return;
        }
        const std::string name = picture.choice == annotation::ExportChoice::flattened
                                     ? bareName(picture.path.c_str())
                                     : bareName(record.imagePath);
        const std::string url = urlName(files_.empty() ? name : files_[i].name);
        if (options_.imageLinks)
            html() += "   <a target='_blank' href='" + url + "'>";
        if (isImageFileName(name.c_str())) {
            html() += "   <img src=" + url;
            if (options_.job.imageWidth >= 0)
                html() += " width='" + decimal(options_.job.imageWidth) + "' ";
            html() += " border='0'>";
        } else if (isTextFileName(record.imagePath)) {
            // A relative record names a file of the history folder, not one
            // of whatever folder happens to be current.
            writeTextFile(resolvedPath(i));
        } else {
            html() += "<br>";
        }
        if (options_.imageLinks)
            html() += "</a>";
        if (options_.job.showDigests) {
            const std::string& hex = digestHex(i);
            html() += "<br><font size=1><tt>SHA-256: " + (hex.empty() ? kDigestUnknown : hex) +
                      "</tt></font>";
        }
        html() += "\n  </td>\n";
    }

    void writeCaseTable() {
        std::vector<std::string> digests;
        digests.reserve(pictures_.size());
        for (int i = 0; i < count_; ++i) {
            const std::string& hex = digestHex(i);
            digests.push_back(pictures_[static_cast<std::size_t>(i)].choice ==
                                      annotation::ExportChoice::withheld
                                  ? std::string()
                              : hex.empty() ? std::string(kDigestUnknown)
                                            : hex);
        }
        html() += report_cases::table(cases_, digests, comparison_);
    }

    // Taken once a record: the case table and the record's cell show the
    // same digest, and a file not pinned is read for it only once.
    const std::string& digestHex(int i) {
        if (digestHex_.empty())
            digestHex_.resize(static_cast<std::size_t>(count_));
        auto& hex = digestHex_[static_cast<std::size_t>(i)];
        if (!hex)
            hex = exportDigestHex(digests_, pictures_[static_cast<std::size_t>(i)]);
        return *hex;
    }

    void writeDescriptionCell(int i) {
        const int width = options_.job.descriptionWidth;
        html() += width < 0 ? std::string("  <td>\n") : "  <td width='" + decimal(width) + "'>\n";
        if (i >= 0) {
            html() += "   <font size=2>";
            char path[kPathSize];
            resolvedTextPath(records_[i].textFile, folder_, path);
            if (path[0] != '\0')
                writeTextFile(path);
            html() += "</font>\n";
        }
        html() += "  </td>\n";
    }

    void writeTextFile(const std::string& path) {
        std::string bytes;
        if (!readFile_ || !readFile_(path, bytes))
            return;
        if (bytes.size() > kTextFileLimit)
            bytes.resize(kTextFileLimit);
        html() += reportDescriptionText(bytes, options_.htmlTags, options_.job.descriptionWidth);
    }

    // Where each record's file goes and under which name the report links
    // it. A file already in the output folder keeps its name and is never
    // overwritten; otherwise the first record of a name keeps it unless the
    // folder holds a different file of that name, and a later file of the
    // same name from another folder gets a numbered name of its own instead
    // of replacing the first one's copy. Numbered names skip the folder's
    // other files too. The report's own name is never given away: the
    // copies run after it is written.
    void planFiles() {
        if (!options_.copyImages)
            return;
        files_.resize(static_cast<std::size_t>(count_));
        const std::string folder = std::string(options_.job.folder) + "\\";
        const auto key = [this](const std::string& name) { return outFolder_.nameKey(name); };
        for (int i = 0; i < count_; ++i) {
            PlannedFile& file = files_[static_cast<std::size_t>(i)];
            // A withheld picture has no file to copy.
            file.source = pictures_[static_cast<std::size_t>(i)].path;
            file.name = copyName(bareName(file.source.c_str()));
            file.copy = !file.name.empty() && key(file.source) != key(folder + file.name);
            if (file.copy)
                file.target = outFolder_.probe(file.source, folder + file.name);
        }
        const std::string reportKey = key(std::string(options_.job.fileName) + ".htm");
        std::map<std::string, std::string> owners;  // name key -> source key
        for (const PlannedFile& file : files_) {
            if (!file.copy && !file.name.empty())
                owners.emplace(key(file.name), key(file.source));
        }
        for (const PlannedFile& file : files_) {
            if (file.copy && file.target != ReportTarget::taken && key(file.name) != reportKey)
                owners.emplace(key(file.name), key(file.source));
        }
        std::set<std::string> taken = {reportKey};
        for (const PlannedFile& file : files_)
            taken.insert(key(file.name));
        std::map<std::string, std::string> named;  // source key -> name
        for (PlannedFile& file : files_) {
            if (file.name.empty())
                continue;
            const std::string source = key(file.source);
            const auto done = named.find(source);
            if (done != named.end()) {
                file.name = done->second;
                file.copy = false;
                continue;
            }
            const auto owner = owners.find(key(file.name));
            if (owner == owners.end() || owner->second != source) {
                std::string numbered;
                for (int n = 2;; ++n) {
                    numbered = numberedName(file.name, n);
                    if (taken.count(key(numbered)))
                        continue;
                    file.target = outFolder_.probe(file.source, folder + numbered);
                    if (file.target != ReportTarget::taken)
                        break;
                }
                file.name = numbered;
                taken.insert(key(file.name));
            }
            // An earlier report's copy is already there.
            if (file.target == ReportTarget::sameBytes)
                file.copy = false;
            named.emplace(source, file.name);
        }
    }

    // The cell beside a record that differs from its baseline step: the
    // diff picture, what changed, and the baseline's heading.
    std::string diffCell(int i) const {
        const RecordComparison* c = comparison_export::of(comparison_, static_cast<std::size_t>(i));
        if (!comparison_export::differs(c))
            return "  <td></td>\n";
        const comparison_export::Section s = comparison_export::section(*c);
        std::string cell = "  <td valign=top>\n   <font size=2>" + escapeText(s.summary) + "<BR>" +
                           escapeText(s.baseline) + "</font><BR>\n";
        const std::string& name = diffNames_[static_cast<std::size_t>(i)];
        if (!name.empty()) {
            cell += "   <img src=" + urlName(name);
            if (options_.job.imageWidth >= 0)
                cell += " width='" + decimal(options_.job.imageWidth) + "' ";
            cell += " border='0'><BR>\n";
        }
        cell += "   <font size=2>";
        for (std::size_t k = 0; k < s.changes.size(); ++k)
            cell += (k > 0 ? "<BR>" : "") + escapeText(s.changes[k]);
        return cell + "</font>\n  </td>\n";
    }

    // Each differing record's diff picture, made of the baseline's picture
    // and the one the record shows, under a name of its own in the output
    // folder: one the copies, the report and the other diffs do not take,
    // and that holds no other file already (a diff an earlier report left
    // with these bytes is linked again). The baseline's picture goes by the
    // rule of the record's own: its flattened picture when annotated, none
    // when masked without one, since the overlay shows half of its pixels.
    void planDiffs(const PictureFiles& pictures) {
        diffNames_.resize(static_cast<std::size_t>(count_));
        if (!outFolder_.readPicture)
            return;
        const auto key = [this](const std::string& name) { return outFolder_.nameKey(name); };
        std::set<std::string> taken = {key(std::string(options_.job.fileName) + ".htm")};
        for (const PlannedFile& file : files_)
            taken.insert(key(file.name));
        const std::string folder = std::string(options_.job.folder) + "\\";
        for (int i = 0; i < count_; ++i) {
            const RecordComparison* c =
                comparison_export::of(comparison_, static_cast<std::size_t>(i));
            if (!comparison_export::differs(c) || c->baselinePicture.empty())
                continue;
            const std::string& shown = pictures_[static_cast<std::size_t>(i)].path;
            const std::string base = exportPicture(c->baselinePicture, pictures).path;
            std::string baseline, current;
            if (shown.empty() || base.empty() || !outFolder_.readPicture(base, baseline) ||
                !outFolder_.readPicture(shown, current))
                continue;
            std::string png = comparison_export::diffPng(baseline, current, comparison_.diffOptions);
            if (png.empty())
                continue;
            const std::string first = copyName(picture_diff::diffFileName(shown));
            std::string name = first;
            ReportTarget target = ReportTarget::taken;
            for (int n = 2;; ++n) {
                if (!taken.count(key(name))) {
                    target = outFolder_.probeBytes ? outFolder_.probeBytes(png, folder + name)
                                                   : ReportTarget::free;
                    if (target != ReportTarget::taken)
                        break;
                }
                name = numberedName(first, n);
            }
            taken.insert(key(name));
            diffNames_[static_cast<std::size_t>(i)] = name;
            if (target == ReportTarget::free)
                out_.files.push_back({folder + name, std::move(png)});
        }
    }

    void copyRowImages(long long base) {
        if (files_.empty())
            return;
        for (int k = 0; k < perRow_; ++k) {
            const long long item = base + k;
            if (item >= count_)
                break;
            if (files_[static_cast<std::size_t>(item)].copy)
                out_.copies.push_back(copyOf(static_cast<int>(item)));
        }
    }

    ReportCopy copyOf(int i) const {
        const PlannedFile& file = files_[static_cast<std::size_t>(i)];
        return {file.source, options_.job.folder + ("\\" + file.name)};
    }

    struct PlannedFile {
        std::string source;
        std::string name;
        bool copy = false;
        ReportTarget target = ReportTarget::free;  // of the name, when copied
    };

    const HistoryRecord* records_;
    const int count_;
    const char* folder_;
    const ReportOptions& options_;
    const ReportFileReader& readFile_;
    const ReportFolder& outFolder_;
    const ExportDigests& digests_;
    const RecordCases& cases_;
    const ExportComparison& comparison_;
    const bool withCases_;  // one case a record, some of them not empty (or a baseline)
    const bool withComparison_;
    const int perRow_;
    const int rows_;
    std::vector<ExportPicture> pictures_;  // which file each record shows
    std::vector<PlannedFile> files_;       // empty when nothing is copied
    std::vector<std::string> diffNames_;   // each record's diff picture; "" for none
    std::vector<std::optional<std::string>> digestHex_;  // by record, once asked for
    int layout_ = 0;
    ReportText out_;
};

}  // namespace

ReportJob reportJobFromSettings(const Settings& settings) {
    ReportJob job;
    job.layout = settings.reportLayout;
    job.rowsPerPage = settings.reportRowsPerPage;
    // 0 is what a folder without the [HTML] group reads, and what earlier
    // versions stored for it: as an attribute it hides every picture, so it
    // keeps the pictures' own size, like "なし" (-1).
    job.imageWidth = settings.reportImageWidth > 0 ? settings.reportImageWidth : -1;
    job.descriptionWidth = settings.reportCommentWidth;
    cp932::copyText(job.folder, settings.reportFolder);
    cp932::copyText(job.fileName, settings.reportFileName);
    return job;
}

ReportOptions reportOptionsFromSettings(const Settings& settings, const ReportJob& job) {
    ReportOptions options;
    options.job = job;
    options.title = settings.reportTitle;
    options.copyImages = settings.reportNoImageCopy == 0;
    // Like the other flags, these act only when set to 1 as the dialog
    // writes it; a hand-edited 2 is off.
    options.coverPage = settings.reportCoverPage == 1;
    options.itemNumbers = settings.reportItemNumbers == 1;
    options.htmlTags = settings.reportHtmlTags != 0;
    options.imageLinks = settings.reportLargeImageLink == 1;
    options.frameColour = static_cast<uint32_t>(settings.reportFrameColour);
    options.backgroundColour = static_cast<uint32_t>(settings.reportBackgroundColour);
    options.itemsPerRow = settings.reportItemsPerRow;
    options.tocSplit = settings.reportTocSplit;
    return options;
}

std::string reportFilePath(const ReportJob& job) {
    return std::string(job.folder) + "\\" + job.fileName + ".htm";
}

std::string htmlColour(uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", static_cast<unsigned>(colour & 0xFF),
                  static_cast<unsigned>((colour >> 8) & 0xFF),
                  static_cast<unsigned>((colour >> 16) & 0xFF));
    return text;
}

std::string bareName(const char* path) {
    const char* part = filePart(path);
    return part != nullptr ? part + 1 : path;
}

std::string reportDescriptionText(const std::string& bytes, bool htmlTags, int descriptionWidth) {
    const std::string text = bytes.substr(0, bytes.find('\0'));
    const bool preformatted = descriptionWidth == -2;
    std::string out;
    out.reserve(text.size() + 16);
    // One pass does what the successive replacements would: none of them
    // produces a character that a later one replaces.
    forEachCharacter(text, [&](std::size_t i, std::size_t n) {
        const char c = text[i];
        if (n == 2)
            out.append(text, i, 2);
        else if (isLoneLead(text, i, n))
            out += '?';
        else if (!htmlTags && c == '&')
            out += "&amp;";
        else if (!htmlTags && c == '<')
            out += "&lt;";
        else if (!htmlTags && c == '>')
            out += "&gt;";
        else if (!preformatted && c == '\r')
            out += ' ';
        else if (!preformatted && c == '\n')
            out += "<BR>";
        else
            out += c;
    });
    return preformatted ? "<pre>" + out + "</pre>" : out;
}

ReportText buildReport(const HistoryRecord* records, int count, const char* historyFolder,
                       const ReportOptions& options, const ReportFileReader& readFile,
                       const ReportFolder& folder, const PictureFiles& pictures,
                       const ExportDigests& digests, const RecordCases& cases,
                       const ExportComparison& comparison,
                       const ReportCopyFirst& copyFirst) {
    // A baseline shows the case table even for a history without cases:
    // its steps not run are the table's rows.
    if (comparison.active && !anyCase(cases)) {
        const RecordCases none(static_cast<std::size_t>(std::max(count, 0)));
        return Writer(records, count, historyFolder, options, readFile, folder, pictures, digests,
                      none, comparison)
            .run(copyFirst);
    }
    return Writer(records, count, historyFolder, options, readFile, folder, pictures, digests,
                  cases, comparison)
        .run(copyFirst);
}

std::string reportEscapeText(const std::string& text) {
    return escapeText(text);
}
