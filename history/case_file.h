// The test cases of a history on disk: "<history stem>.zcase" beside the
// CSV, which stays its four columns. Platform-free; the Win32 side only
// moves the bytes (history/history_file_win.cpp).
//
// The file, all CP932:
// - the version line "ZCASE<TAB>1", then one line per case, each line
//   ending in CR LF (an LF alone is read too);
// - a line is eleven fields between tabs: the record's key (its picture's
//   file name, its date/time text, its number among the records of the same
//   name and time, from 0), then testId, step, expected, actual, verdict
//   (未判定, OK, NG or 保留), tester, date and remarks;
// - inside a field a backslash is "\\", a tab "\t", a CR "\r", an LF "\n",
//   and every other control byte, and a lead byte with no trail byte after
//   it, "\xHH" (two hex digits). Everything else stands as it is. The field
//   is walked by characters, so the trail byte 0x5C of 表, ソ or 能 is never
//   taken for the start of an escape, and since every lead byte that stands
//   in the file has its trail byte beside it, no escape's backslash is ever
//   taken for one either. Any text comes back byte for byte.
//
// - a history re-tested against an earlier one has one more line of the
//   same eleven fields: the name kBaselineName (a '?' is in no file name, so
//   no record ever takes it), an empty time, number 0, the baseline
//   manifest's digest as expected and the baseline CSV's path as remarks,
//   every other field empty and the verdict 未判定. A reader that knows no
//   baseline keeps it aside as an entry no record takes and writes it back;
//   a history without a baseline has no such line.
//
// The key is what survives Zelcap's editing and a move of the history with
// its pictures: the file name without its folder, compared as Windows
// compares names, and the time the record was made.
//
// A file that does not keep to this is refused whole: the history then opens
// without cases, and the message names the line. A text longer than its
// field keeps is cut and the cut reported.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "history/test_case.h"

namespace casefile {

// Without its line end.
extern const char kVersionLine[];

struct Key {
    std::string name;      // the file part of the record's image path
    std::string dateTime;  // as the record holds it
    int ordinal = 0;       // among the records of the same name and time, from 0
};

struct Entry {
    Key key;
    testcase::TestCase testCase;
};

// A line whose texts were longer than their fields keep.
struct Cut {
    int line = 0;
    std::vector<testcase::Field> fields;
};

// The earlier history a re-test compares against.
struct Baseline {
    std::string csvPath;         // full CP932 path; "" for none
    std::string manifestDigest;  // hex SHA-256 of its manifest, "" when it has none
    bool empty() const { return csvPath.empty(); }
    bool operator==(const Baseline& o) const {
        return csvPath == o.csvPath && manifestDigest == o.manifestDigest;
    }
};

// The key name of the baseline's line ("?基準").
extern const char kBaselineName[];

struct ReadResult {
    bool ok = false;
    // "N 行目: ..." when !ok; N is the line the file went wrong at, from 1.
    std::string error;
    int errorLine = 0;
    std::vector<Entry> entries;  // in the file's order
    std::vector<Cut> cuts;
    Baseline baseline;  // empty when the file has no baseline line
};

ReadResult parse(const char* data, std::size_t size);

// The whole file, the version line first, the baseline's line last when
// there is one. What parse reads, this writes back to the same entries and
// baseline.
std::string write(const std::vector<Entry>& entries, const Baseline& baseline = {});

// The largest number a key may carry: a history holds at most 1000 records.
constexpr int kOrdinalMaximum = 999;

}  // namespace casefile
