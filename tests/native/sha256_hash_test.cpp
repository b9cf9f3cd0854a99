// The program's own SHA-256, both engines: the NIST vectors, and random
// messages fed in random pieces against OpenSSL, across the block and
// padding boundaries where a slip would hide.
#include "base/sha256_hash.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/native/openssl_sha256.h"
#include "tests/native/sha256_vectors.h"

namespace {

constexpr Sha256Engine kEngines[] = {Sha256Engine::best, Sha256Engine::portable};

TEST(Sha256Hash, NistVectorsWithEitherEngine) {
    for (const Sha256Engine engine : kEngines) {
        Sha256Hash hash(engine);
        for (const Sha256Vector& v : kNistSha256Vectors) {
            hash.update(v.message.data(), v.message.size());
            EXPECT_EQ(sha256Hex(hash.finish()), v.hex) << v.message.size();
        }
    }
    for (const Sha256Vector& v : kNistSha256Vectors)
        EXPECT_EQ(sha256Hex(sha256Of(v.message.data(), v.message.size())), v.hex);
}

TEST(Sha256Hash, RandomMessagesInRandomPiecesMatchOpenssl) {
    std::mt19937 rng(20261210);
    std::string message;
    for (int round = 0; round < 400; ++round) {
        // Every length up to three blocks, then longer ones.
        const std::size_t length = round < 200 ? static_cast<std::size_t>(round) : rng() % 70000;
        message.resize(length);
        for (char& c : message)
            c = static_cast<char>(rng());
        const Sha256Digest expected = opensslSha256(message);
        for (const Sha256Engine engine : kEngines) {
            Sha256Hash hash(engine);
            // Something left behind by a digest given up half-way.
            hash.update("left over", 9);
            hash.begin();
            for (std::size_t at = 0; at < length;) {
                const std::size_t piece = std::min<std::size_t>(rng() % 150, length - at);
                hash.update(message.data() + at, piece);
                at += piece;
            }
            ASSERT_EQ(hash.finish(), expected) << length;
            // finish() starts the next digest afresh.
            hash.update(message.data(), length);
            ASSERT_EQ(hash.finish(), expected) << length;
        }
    }
}

}  // namespace
