// The search of a history's records by what the user typed: a record
// matches when every word stands in its heading, its description or the
// text read from its picture (each word in any of them; no word across a
// line). Pure functions over what the caller hands in: the list's order and
// the records are never changed. Platform-free.
#pragma once

#include <string>
#include <vector>

#include "ocr/ocr_text.h"
#include "ocr/text_fold.h"

namespace record_search {

struct Record {
    std::string heading;      // CP932
    std::string description;  // CP932
    const OcrResult* ocr = nullptr;  // nullptr: not read (yet)
};

// A record's texts folded once, so that a keystroke only searches: the
// caller keeps one per record and makes it again when the record's texts
// or its OCR result change.
struct FoldedRecord {
    std::string heading, description;
    std::vector<std::string> lines;  // as the OCR result's lines
};

FoldedRecord fold(const Record& record);

// The indices of the matching records, in list order; every record for a
// query without words.
std::vector<int> matches(const std::vector<FoldedRecord>& records, const text_fold::Query& query);
std::vector<int> matches(const std::vector<Record>& records, const std::string& query);

// The match after (forward) or before `current` in `found` (ascending, as
// matches() gives), wrapping round at either end; `current` need not be a
// match itself (-1: before the first record). -1 when nothing matches.
int step(const std::vector<int>& found, int current, bool forward);

// Which of the record's OCR lines hold a word of the query (to be framed),
// ascending; none when the record does not match as a whole.
std::vector<int> matchingLines(const FoldedRecord& record, const text_fold::Query& query);

}  // namespace record_search
