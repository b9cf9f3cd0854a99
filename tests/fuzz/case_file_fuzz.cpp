// The case file's parser, and the placement of what it reads. Properties:
// - a file read is written back so that it reads to the same entries and
//   baseline and writes again to the same bytes; a refused file says a line
//   inside it and has no baseline;
// - every entry lands on one record or is kept aside, never both and
//   never on two records; saved and opened again, the same records have
//   the same cases.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "history/case_file.h"
#include "history/case_placement.h"
#include "history/history.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool sameEntries(const std::vector<casefile::Entry>& a, const std::vector<casefile::Entry>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].key.name != b[i].key.name || a[i].key.dateTime != b[i].key.dateTime ||
            a[i].key.ordinal != b[i].key.ordinal || !(a[i].testCase == b[i].testCase))
            return false;
    return true;
}

// A few records whose keys the corpus's files name, twice one of them.
std::unique_ptr<History> records() {
    auto h = std::make_unique<History>("C:\\hist");
    h->appendCapture("C:\\hist\\a.bmp", "", "t", 0);
    h->appendCapture("C:\\hist\\\x95\x5C.bmp", "", "t", 0);  // 表
    h->appendCapture("D:\\A.BMP", "", "t", 0);
    h->appendCapture("b.bmp", "", "2026/12/10 10:00:00", 1);
    return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    casefile::ReadResult read = casefile::parse(input.data(), input.size());
    if (!read.ok) {
        FUZZ_CHECK(read.entries.empty() && read.baseline.empty() && read.errorLine >= 1);
        // "N 行目: ...": the fuzzer's own literals are UTF-8, the message CP932.
        FUZZ_CHECK(read.error.rfind(std::to_string(read.errorLine) + " ", 0) == 0);
        return 0;
    }
    for (const casefile::Cut& cut : read.cuts)
        FUZZ_CHECK(cut.line >= 2 && !cut.fields.empty());
    const std::string written = casefile::write(read.entries, read.baseline);
    const casefile::ReadResult again = casefile::parse(written.data(), written.size());
    FUZZ_CHECK(again.ok && again.cuts.empty());
    FUZZ_CHECK(sameEntries(again.entries, read.entries));
    FUZZ_CHECK(again.baseline == read.baseline);
    FUZZ_CHECK(casefile::write(again.entries, again.baseline) == written);

    auto h = records();
    const std::size_t entries = read.entries.size();
    const std::size_t aside = caseplace::place(std::move(read.entries), *h);
    FUZZ_CHECK(aside == h->casesAside.size());
    FUZZ_CHECK(h->cases.all().size() + aside <= entries);
    const std::string saved = casefile::write(caseplace::entriesToWrite(*h));
    casefile::ReadResult reread = casefile::parse(saved.data(), saved.size());
    FUZZ_CHECK(reread.ok);
    auto reopened = records();
    FUZZ_CHECK(caseplace::place(std::move(reread.entries), *reopened) == aside);
    for (int i = 0; i < h->count; ++i) {
        const testcase::TestCase* before = h->cases.find(h->records[i].id);
        const testcase::TestCase* after = reopened->cases.find(reopened->records[i].id);
        FUZZ_CHECK((before == nullptr) == (after == nullptr));
        FUZZ_CHECK(before == nullptr || *before == *after);
    }
    return 0;
}
