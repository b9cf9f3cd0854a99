// The check of a pack's PDF on any file. Properties:
// - the findings list each picture found, and the log when there is one;
// - an attachment read whole from a file without compressed streams is
//   there in the file byte for byte;
// - reads that fail part way give findings, never more than a whole read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pack/pdf_verify.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/native/openssl_sha256.h"
#include "tests/native/openssl_stream_digest.h"

namespace {

const Sha256Function opensslSha256Function = [](const void* data, std::size_t size) {
    return opensslSha256(data, size);
};

pack::PackContents read(const std::string& file, std::size_t readable) {
    const pack::PdfReadAt readAt = [&](uint64_t offset, std::size_t size, std::string& out) {
        if (offset + size > readable)
            return false;
        out = file.substr(static_cast<std::size_t>(offset), size);
        return true;
    };
    return pack::readPackPdf(file.size(), readAt, opensslStreamDigest());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    const std::string file(reinterpret_cast<const char*>(bytes), size);
    const pack::PackContents whole = read(file, size);
    const VerifyResult result = pack::verifyPack(whole, opensslSha256Function);
    FUZZ_CHECK(result.files.size() == whole.pictures.size() + (result.hasLog ? 1 : 0));
    (void)verifyReportText(result);
    const bool compressed = file.find("/FlateDecode") != std::string::npos;
    for (const pack::ScannedAttachment& a : whole.attachments)
        FUZZ_CHECK(!a.whole || compressed || file.find(a.bytes) != std::string::npos);

    const pack::PackContents failing = read(file, size / 2 + (size > 0 ? bytes[0] % 64 : 0));
    FUZZ_CHECK(failing.pictures.size() <= whole.pictures.size());
    FUZZ_CHECK(failing.attachments.size() <= whole.attachments.size());
    return 0;
}
