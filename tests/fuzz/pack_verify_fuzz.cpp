// The pack's checker on any page. Properties:
// - the page cut into two pieces anywhere reads as the page whole;
// - the findings list each picture found, and the log when there is one;
// - a picture whose base64 was whole gives the digest of its decoded bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/base64.h"
#include "pack/pack_verify.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/native/openssl_sha256.h"
#include "tests/native/openssl_stream_digest.h"

namespace {

const Sha256Function opensslSha256Function = [](const void* data, std::size_t size) {
    return opensslSha256(data, size);
};

pack::PackContents scan(const char* data, std::size_t size, std::size_t cut) {
    pack::PackScanner scanner(opensslStreamDigest());
    scanner.feed(data, cut);
    scanner.feed(data + cut, size - cut);
    return scanner.finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    if (size == 0)
        return 0;
    const auto* data = reinterpret_cast<const char*>(bytes);
    const std::size_t cut = bytes[0] % size;
    const pack::PackContents whole = scan(data, size, size);
    const pack::PackContents pieces = scan(data, size, cut);
    FUZZ_CHECK(whole.pictures.size() == pieces.pictures.size());
    for (std::size_t i = 0; i < whole.pictures.size(); ++i) {
        FUZZ_CHECK(whole.pictures[i].digest == pieces.pictures[i].digest);
        FUZZ_CHECK(whole.pictures[i].name == pieces.pictures[i].name);
        FUZZ_CHECK(whole.pictures[i].decoded == pieces.pictures[i].decoded);
    }
    FUZZ_CHECK(whole.attachments.size() == pieces.attachments.size());
    for (std::size_t i = 0; i < whole.attachments.size(); ++i)
        FUZZ_CHECK(whole.attachments[i].bytes == pieces.attachments[i].bytes);

    const VerifyResult result = pack::verifyPack(whole, opensslSha256Function);
    FUZZ_CHECK(result.files.size() == whole.pictures.size() + (result.hasLog ? 1 : 0));
    (void)verifyReportText(result);

    // The first picture's bytes, decoded apart, hash to what the scan found.
    const std::string page(data, size);
    const std::size_t tag = page.find("<img class=\"zpic\"");
    const std::size_t start = page.find(";base64,", tag);
    const std::size_t end = page.find('"', start);
    if (tag != std::string::npos && page.find("<pre class=\"zatt\"") > tag &&
        start != std::string::npos && end != std::string::npos &&
        start - tag <= 8 * 1024 && !whole.pictures.empty() && whole.pictures[0].decoded) {
        std::string decoded;
        if (base64::decode(page.substr(start + 8, end - start - 8), decoded))
            FUZZ_CHECK(opensslSha256(decoded) == whole.pictures[0].digest);
    }
    return 0;
}
