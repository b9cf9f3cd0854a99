// libFuzzer target: the pack's PDF of records with texts and pictures of
// any content. Whatever they hold, the writer finishes a file whose cross-
// reference table names every object where it stands.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "pack/pack_pdf.h"

namespace {

const char* const kFont = "/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf";

const std::string& fontBytes() {
    static const std::string bytes = [] {
        std::string b;
        if (FILE* f = std::fopen(kFont, "rb")) {
            char buffer[65536];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
                b.append(buffer, n);
            std::fclose(f);
        }
        return b;
    }();
    return bytes;
}

void checkCrossReference(const std::string& file) {
    const std::size_t mark = file.rfind("startxref\n");
    if (file.compare(0, 9, "%PDF-1.7\n") != 0 || mark == std::string::npos ||
        file.compare(file.size() - 6, 6, "%%EOF\n") != 0)
        std::abort();
    const std::size_t xref = std::stoul(file.substr(mark + 10));
    if (file.compare(xref, 7, "xref\n0 ") != 0)
        std::abort();
    const std::size_t count = std::stoul(file.substr(xref + 7));
    const std::size_t table = file.find('\n', xref + 7) + 1;
    for (std::size_t i = 1; i < count; ++i) {
        const std::size_t offset = std::stoul(file.substr(table + 20 * i, 10));
        const std::string head = std::to_string(i) + " 0 obj\n";
        if (file.compare(offset, head.size(), head) != 0)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (fontBytes().empty())
        std::abort();
    FuzzedDataProvider in(data, size);
    pack::PackInput input;
    input.title = in.ConsumeRandomLengthString(64);
    input.author = in.ConsumeRandomLengthString(32);
    input.created = in.ConsumeRandomLengthString(32);
    pack::PackOptions options;
    options.coverPage = in.ConsumeBool();
    options.caseTable = in.ConsumeBool();
    options.showDigests = in.ConsumeBool();
    options.recordsPerPage = in.ConsumeIntegralInRange(0, 5);
    std::vector<std::string> pictures;
    for (int i = in.ConsumeIntegralInRange(0, 6); i > 0; --i) {
        pack::PackRecord r;
        r.number = static_cast<int>(input.records.size()) + 1;
        r.heading = in.ConsumeRandomLengthString(64);
        r.description = in.ConsumeRandomLengthString(600);
        r.testCase.remarks = in.ConsumeRandomLengthString(300);
        r.testCase.verdict = static_cast<testcase::Verdict>(in.ConsumeIntegralInRange(0, 3));
        r.picture.withheld = in.ConsumeBool();
        if (in.ConsumeBool()) {
            r.picture.path = std::to_string(pictures.size());
            pictures.push_back(in.ConsumeRandomLengthString(2000));
        }
        input.records.push_back(r);
    }
    input.attachments.push_back({"a.csv", "text/csv", in.ConsumeRemainingBytesAsString()});
    const pack::PackReader read = [&](const std::string& path, const auto& chunk) {
        if (path == kFont) {
            chunk(fontBytes().data(), fontBytes().size());
            return true;
        }
        const std::size_t i = std::stoul(path);
        chunk(pictures[i].data(), pictures[i].size());
        return true;
    };
    std::string file;
    const pack::PackResult result = pack::writePackPdf(
        input, options, kFont, read,
        [&](const char* d, std::size_t n) {
            file.append(d, n);
            return true;
        },
        [](int, int) { return true; });
    if (!result.ok)
        std::abort();
    checkCrossReference(file);
    return 0;
}
