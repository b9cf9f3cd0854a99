// The digest's hex text, on the NIST vectors as OpenSSL computes them.
#include "base/sha256.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/native/openssl_sha256.h"

namespace {

struct Vector {
    std::string message;
    const char* hex;
};

const Vector kNistVectors[] = {
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

TEST(Sha256, NistVectorsWriteAndReadAsHex) {
    for (const Vector& v : kNistVectors) {
        const Sha256Digest digest = opensslSha256(v.message);
        EXPECT_EQ(sha256Hex(digest), v.hex) << v.message.size();
        Sha256Digest parsed;
        ASSERT_TRUE(parseSha256Hex(v.hex, 64, parsed));
        EXPECT_EQ(parsed, digest);
    }
}

TEST(Sha256, HexOfEitherCaseOnlyAtFullLength) {
    const std::string lower = kNistVectors[0].hex;
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
