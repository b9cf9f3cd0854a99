// The text sidecar's parser. Properties: a file read is written back so that
// it reads to the same lines and writes again to the same bytes; a refused
// file says a line inside it and keeps no lines.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ocr/ocr_file.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const ocrfile::ReadResult read = ocrfile::parse(input.data(), input.size());
    if (!read.ok) {
        FUZZ_CHECK(read.result.lines.empty() && read.errorLine >= 1);
        FUZZ_CHECK(read.error.rfind(std::to_string(read.errorLine) + " ", 0) == 0);
        return 0;
    }
    for (const OcrLine& line : read.result.lines)
        FUZZ_CHECK(line.left >= 0 && line.left <= line.right && line.top >= 0 &&
                   line.top <= line.bottom && line.right <= ocrfile::kCoordinateMaximum &&
                   line.bottom <= ocrfile::kCoordinateMaximum);
    const std::string written = ocrfile::write(read.result);
    const ocrfile::ReadResult again = ocrfile::parse(written.data(), written.size());
    FUZZ_CHECK(again.ok && again.result == read.result);
    FUZZ_CHECK(ocrfile::write(again.result) == written);
    return 0;
}
