#include "ocr/record_search.h"

#include <algorithm>

namespace record_search {

namespace {

text_fold::Options searchFold() {
    text_fold::Options options;
    options.dropBlanks = true;
    return options;
}

bool wordIn(const FoldedRecord& r, const std::string& word) {
    if (text_fold::containsWord(r.heading, word) || text_fold::containsWord(r.description, word))
        return true;
    for (const std::string& line : r.lines)
        if (text_fold::containsWord(line, word))
            return true;
    return false;
}

bool matchesRecord(const FoldedRecord& r, const text_fold::Query& query) {
    for (const std::string& word : query.words())
        if (!wordIn(r, word))
            return false;
    return true;
}

}  // namespace

FoldedRecord fold(const Record& record) {
    FoldedRecord f;
    f.heading = text_fold::fold(record.heading, searchFold());
    f.description = text_fold::fold(record.description, searchFold());
    if (record.ocr)
        for (const OcrLine& line : record.ocr->lines)
            f.lines.push_back(text_fold::fold(line.text, searchFold()));
    return f;
}

std::vector<int> matches(const std::vector<FoldedRecord>& records, const text_fold::Query& query) {
    std::vector<int> found;
    for (std::size_t i = 0; i < records.size(); ++i)
        if (matchesRecord(records[i], query))
            found.push_back(static_cast<int>(i));
    return found;
}

std::vector<int> matches(const std::vector<Record>& records, const std::string& query) {
    std::vector<FoldedRecord> folded;
    folded.reserve(records.size());
    for (const Record& r : records)
        folded.push_back(fold(r));
    return matches(folded, text_fold::Query(query));
}

int step(const std::vector<int>& found, int current, bool forward) {
    if (found.empty())
        return -1;
    if (forward) {
        const auto next = std::upper_bound(found.begin(), found.end(), current);
        return next == found.end() ? found.front() : *next;
    }
    const auto at = std::lower_bound(found.begin(), found.end(), current);
    return at == found.begin() ? found.back() : *(at - 1);
}

std::vector<int> matchingLines(const FoldedRecord& record, const text_fold::Query& query) {
    std::vector<int> lines;
    if (query.empty() || !matchesRecord(record, query))
        return lines;
    for (std::size_t i = 0; i < record.lines.size(); ++i)
        if (query.anyIn(record.lines[i]))
            lines.push_back(static_cast<int>(i));
    return lines;
}

}  // namespace record_search
