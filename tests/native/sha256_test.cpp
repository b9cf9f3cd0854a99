// The digest's hex text, on the NIST vectors as OpenSSL computes them.
#include "base/sha256.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/native/openssl_sha256.h"
#include "tests/native/sha256_vectors.h"

namespace {

TEST(Sha256, NistVectorsWriteAndReadAsHex) {
    for (const Sha256Vector& v : kNistSha256Vectors) {
        const Sha256Digest digest = opensslSha256(v.message);
        EXPECT_EQ(sha256Hex(digest), v.hex) << v.message.size();
        Sha256Digest parsed;
        ASSERT_TRUE(parseSha256Hex(v.hex, 64, parsed));
        EXPECT_EQ(parsed, digest);
    }
}

TEST(Sha256, HexOfEitherCaseOnlyAtFullLength) {
    const std::string lower = kNistSha256Vectors[0].hex;
    std::string upper = lower;
    for (char& c : upper)
        c = static_cast<char>(c >= 'a' ? c - 32 : c);
    Sha256Digest digest;
    ASSERT_TRUE(parseSha256Hex(upper.data(), upper.size(), digest));
    EXPECT_EQ(sha256Hex(digest), lower);

    const std::string bad[] = {lower.substr(0, 63), lower + "0", "g" + lower.substr(1),
                               lower.substr(0, 63) + " ", std::string(64, ' ')};
    for (const std::string& text : bad) {
        Sha256Digest untouched = digest;
        EXPECT_FALSE(parseSha256Hex(text.data(), text.size(), untouched)) << text;
        EXPECT_EQ(untouched, digest);
    }
}

}  // namespace
