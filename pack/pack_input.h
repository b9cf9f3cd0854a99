// What a one-file pack of the evidence holds, gathered by the shell from the
// history, its test cases and its evidence files, and the callbacks through
// which the writers read pictures and write their bytes. The writers never
// hold every picture at once: a pack of 1000 full-screen captures must fit
// the 32-bit address space, so pictures are streamed in and the pack is
// streamed out. Platform-free.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "history/test_case.h"

namespace pack {

enum class Format { html, pdf };

struct PackOptions {
    Format format = Format::html;
    bool coverPage = true;
    bool itemNumbers = true;
    bool showDigests = true;
    bool caseTable = true;
    int recordsPerPage = 1;  // PDF: 1 puts each record on a page of its own; 2 to 4 fit several
};

struct PackPicture {
    std::string path;       // CP932 full path of the file that goes in (the flattened picture of an annotated record)
    std::string name;       // its file name as shown
    std::string mime;       // "image/jpeg", "image/png" or "image/bmp"
    std::string sha256Hex;  // the digest printed beside it; empty when unknown
    bool withheld = false;  // a masked record without its flattened picture: a note, never the original
};

struct PackRecord {
    int number = 0;  // 1-based, in list order
    std::string dateTime, heading, description;  // CP932; description: the description file's text
    PackPicture picture;
    testcase::TestCase testCase;  // empty when the record has none
};

// A file carried whole inside the pack: the history's CSV, its manifest and
// its chained log, byte for byte.
struct PackAttachment {
    std::string name;  // CP932 file name, e.g. "履歴.csv", "履歴.sha256", "履歴.zlog"
    std::string mime;  // "text/csv" or "text/plain"
    std::string bytes;
};

struct PackInput {
    std::string title;    // CP932
    std::string author;   // 実施者, CP932; may be empty
    std::string created;  // local time as "2026-12-10T21:05:00+09:00"
    std::vector<PackRecord> records;
    std::vector<PackAttachment> attachments;  // in the order: CSV, manifest, log (each may be missing)
    std::string manifestSha256Hex;            // of the manifest's bytes; empty without one
};

// Streams a file's bytes to `chunk` in pieces; false when it cannot be read.
using PackReader = std::function<bool(const std::string& path,
                                      const std::function<void(const char* data, std::size_t size)>& chunk)>;
// Takes the pack's bytes in order; false when they could not be written (a full disk).
using PackSink = std::function<bool(const char* data, std::size_t size)>;
// Called after each record; false cancels.
using PackProgress = std::function<bool(int done, int total)>;

struct PackResult {
    bool ok = false;
    bool cancelled = false;
    int unreadable = 0;   // pictures that went in as a note on their page
    std::string message;  // CP932, for the closing message when not ok
};

}  // namespace pack
