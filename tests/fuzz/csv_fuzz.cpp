// The history file reader and writer on any bytes. Reading in pieces of any
// size gives what reading the whole file gives; and what was read comes back
// the same after a write and a second read, except that a line end inside a
// field (only a damaged file has one) comes back as a blank.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "history/history_csv.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

struct Outcome {
    bool nothing, header, noLineEnd, limit;
};

// Feeds the file whole (seed 0), a byte at a time (seed 1), or in pieces
// whose sizes follow the seed.
Outcome read(History& current, const char* data, std::size_t size, uint32_t seed) {
    HistoryCsvReader reader(current);
    for (std::size_t at = 0; at < size;) {
        std::size_t n = seed == 0 ? size - at : 1;
        if (seed > 1) {
            seed = seed * 1103515245u + 12345u;
            n = 1 + (seed >> 16) % 300;
        }
        n = std::min(n, size - at);
        reader.feed(data + at, n);
        at += n;
    }
    reader.finish();
    return {reader.receivedNothing(), reader.headerSeen(), reader.firstPieceHadNoLineEnd(),
            reader.limitExceeded()};
}

bool sameOutcome(const Outcome& a, const Outcome& b) {
    return a.nothing == b.nothing && a.header == b.header && a.noLineEnd == b.noLineEnd &&
           a.limit == b.limit;
}

// a with its CR and LF bytes as blanks equals b.
bool sameBlanked(const char* a, const char* b) {
    std::string blanked = a;
    std::replace(blanked.begin(), blanked.end(), '\r', ' ');
    std::replace(blanked.begin(), blanked.end(), '\n', ' ');
    return blanked == b;
}

bool sameRecords(const History& a, const History& b, bool blanked) {
    if (a.count != b.count)
        return false;
    for (int i = 0; i < a.count; ++i) {
        const HistoryRecord& x = a.records[i];
        const HistoryRecord& y = b.records[i];
        const auto same = [&](const char* p, const char* q) {
            return blanked ? sameBlanked(p, q) : std::strcmp(p, q) == 0;
        };
        if (!same(x.dateTime, y.dateTime) || !same(x.comment, y.comment) ||
            !same(x.imagePath, y.imagePath) || !same(x.textFile, y.textFile) ||
            x.relative != y.relative)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // A history holds 1000 records of 670 bytes: made once, and the reader
    // overwrites every record it counts.
    static History whole("C:\\start"), pieces("C:\\start"), again("C:\\start");
    const char* text = reinterpret_cast<const char*>(data);

    const Outcome first = read(whole, text, size, 0);
    uint32_t seed = static_cast<uint32_t>(size);
    for (std::size_t i = 0; i < std::min<std::size_t>(size, 8); ++i)
        seed = seed * 31u + data[i];
    for (const uint32_t pieceSeed : {1u, seed | 2u}) {
        FUZZ_CHECK(sameOutcome(read(pieces, text, size, pieceSeed), first));
        FUZZ_CHECK(sameRecords(pieces, whole, false));
    }

    const std::string file = formatHistoryCsv(whole);
    const Outcome second = read(again, file.data(), file.size(), 0);
    FUZZ_CHECK(second.header && !second.noLineEnd && !second.limit);
    FUZZ_CHECK(sameRecords(whole, again, true));
    FUZZ_CHECK(formatHistoryCsv(again) == file);
    return 0;
}
