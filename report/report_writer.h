// The HTML report as text: every byte of the .htm file and the list of files
// to copy next to it, decided here without touching the platform, so that
// the Win32 side only creates the file, writes the text and copies.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "history/history.h"
#include "report/export_cases.h"
#include "report/export_comparison.h"
#include "report/export_picture.h"
#include "settings/settings.h"

// What the report command hands over after the options dialog.
struct ReportJob {
    int layout = 0;             // 0-4 as in the dialog's style list; 5 is taken as 4
    int rowsPerPage = 1;        // "最大イメージ数"
    int imageWidth = -1;        // -1: no width attribute
    int descriptionWidth = -1;  // -1: no width attribute, -2: kept as preformatted text
    char folder[kPathSize]{};
    char fileName[kPathSize]{};  // without ".htm"
    // Each record's SHA-256 under its picture and the manifest's on the
    // cover (or the first page): kept in a settings group of its own.
    bool showDigests = false;
};

// The rest comes from the [HTML] settings.
struct ReportOptions {
    ReportJob job;
    std::string title;
    bool copyImages = true;
    bool coverPage = false;
    bool itemNumbers = false;
    bool htmlTags = false;  // description files may hold their own tags
    bool imageLinks = false;
    uint32_t frameColour = 0;       // COLORREF of the rows
    uint32_t backgroundColour = 0;  // COLORREF of the tables
    int itemsPerRow = 1;
    int tocSplit = 0;
};

ReportJob reportJobFromSettings(const Settings& settings);
ReportOptions reportOptionsFromSettings(const Settings& settings, const ReportJob& job);

// Fills bytes with the whole file (at most 65,535 bytes are used) and returns
// true, or returns false when the file cannot be opened.
using ReportFileReader = std::function<bool(const std::string& path, std::string& bytes)>;

// What a destination in the output folder holds, against the file that
// would be copied there.
enum class ReportTarget {
    free,       // nothing of that name
    sameBytes,  // a file with the source's bytes: an earlier report's copy
    taken,      // another file, or a folder
};

// How the output folder's file system sees names and files; the planner of
// the copies asks it.
struct ReportFolder {
    // A key that two names (or two paths) share exactly when the file system
    // takes them for one file: Windows compares them without case, for
    // full-width, Greek and Cyrillic letters as for ASCII.
    std::function<std::string(const std::string& name)> nameKey;
    std::function<ReportTarget(const std::string& source, const std::string& destination)> probe;
    // For the diff pictures of a re-test: a picture's whole file, and what
    // a destination holds against bytes the report would write there.
    // Without them no diff picture is made.
    std::function<bool(const std::string& path, std::string& bytes)> readPicture{};
    std::function<ReportTarget(const std::string& bytes, const std::string& destination)>
        probeBytes{};
};

struct ReportCopy {
    std::string source;
    std::string destination;
};

// The copies go into the output folder, each under a name of its own that
// the report links to: a second file of a name already taken (by another
// record's file, a different file already there, or the report) gets a
// numbered name ("a_2.jpg"), so no copy overwrites another, a file it did
// not make, or the report. A copy an earlier report left, byte for byte the
// same, is the record's own and is linked again without copying.
// A file the report makes (a diff picture), written beside it with
// overwrite: its name was free, or the folder held these bytes there.
struct ReportFile {
    std::string destination;
    std::string bytes;
};

struct ReportText {
    std::string html;
    std::vector<ReportCopy> copies;  // in report order, each to be copied with overwrite
    std::vector<ReportFile> files;   // in report order
};

// output folder + "\" + file name + ".htm"
std::string reportFilePath(const ReportJob& job);

// "#rrggbb" of a COLORREF (red in the low byte).
std::string htmlColour(uint32_t colour);

// The file part after the last backslash, or the whole path without one.
std::string bareName(const char* path);

// A heading or any other plain text as the report writes it: entities for
// & < >, and a lead byte without its trail byte as "?".
std::string reportEscapeText(const std::string& text);

// A description file's bytes as they go into a cell: cut at the first NUL,
// entities for & < > unless tags are allowed, and line ends as <BR> unless
// the text is kept preformatted (width -2), where it is wrapped in <pre>. A
// lead byte without its trail byte becomes "?" either way.
std::string reportDescriptionText(const std::string& bytes, bool htmlTags, int descriptionWidth);

// Handed the copies (in report order) before any digest is asked for, when
// the shell makes them before the text: a digest can then come from the
// bytes the copy read, instead of a second read of every picture.
using ReportCopyFirst = std::function<void(const std::vector<ReportCopy>& copies)>;

// `pictures` tells which file of each record goes out (see
// export_picture.h): an annotated record's flattened picture is copied and
// shown instead of its own, and a withheld one gets a note in its cell and
// no copy. Without it every record's own file goes. `digests` is read when
// the job shows them. `cases` holds each record's test case (report_cases.h);
// with none, the report is as it was before cases existed. An active
// `comparison` adds the 比較 column and the 未実施 rows to the case table,
// the baseline's line to the cover, and beside each record that differs
// from the baseline a cell with its diff picture ("<stem>_diff.png", named
// as the copies are) and its changed lines.
// `copyFirst` is called once the copies are planned (not for a layout that
// writes nothing); the copies are listed in the result all the same.
ReportText buildReport(const HistoryRecord* records, int count, const char* historyFolder,
                       const ReportOptions& options, const ReportFileReader& readFile,
                       const ReportFolder& folder, const PictureFiles& pictures = {},
                       const ExportDigests& digests = {}, const RecordCases& cases = {},
                       const ExportComparison& comparison = {},
                       const ReportCopyFirst& copyFirst = {});
