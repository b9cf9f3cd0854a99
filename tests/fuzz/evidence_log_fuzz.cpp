// The chained log's parser and its chain check. Properties:
// - a line read as valid writes back to its own bytes;
// - the chain breaks at a line that exists, and every line before it is
//   valid and linked; an intact chain has only valid lines;
// - the valid entries chained anew make an intact log that reads back to the
//   same entries.
#include <openssl/evp.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "history/evidence_log.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

Sha256Digest sha256(const void* data, std::size_t size) {
    Sha256Digest digest;
    unsigned int length = 0;
    EVP_Digest(data, size, digest.bytes.data(), &length, EVP_sha256(), nullptr);
    return digest;
}

const Sha256Function kHash = sha256;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const EvidenceLog log = parseEvidenceLog(reinterpret_cast<const char*>(data), size);
    std::string rebuilt;
    Sha256Digest last = kLogFirstPrevious;
    std::size_t valid = 0;
    for (const LogLine& line : log.lines) {
        if (!line.valid)
            continue;
        FUZZ_CHECK(logLineText(line.entry) == line.text);
        FUZZ_CHECK(appendLogLine(rebuilt, last, line.entry, kHash));
        ++valid;
    }
    const int broken = firstBrokenLine(log, kHash);
    FUZZ_CHECK(broken >= 0 && static_cast<std::size_t>(broken) <= log.lines.size());
    for (int i = 0; i < (broken == 0 ? static_cast<int>(log.lines.size()) : broken - 1); ++i)
        FUZZ_CHECK(log.lines[i].valid);

    const EvidenceLog again = parseEvidenceLog(rebuilt.data(), rebuilt.size());
    FUZZ_CHECK(again.lines.size() == valid && firstBrokenLine(again, kHash) == 0);
    FUZZ_CHECK(lastLineHash(again, kHash) == last);
    std::size_t j = 0;
    for (const LogLine& line : log.lines) {
        if (!line.valid)
            continue;
        const LogEntry& a = line.entry;
        const LogEntry& b = again.lines[j++].entry;
        FUZZ_CHECK(a.time == b.time && a.event == b.event && a.record == b.record &&
                   a.path == b.path && a.file == b.file);
    }
    return 0;
}
