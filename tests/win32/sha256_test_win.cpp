// SHA-256 through CNG on the NIST vectors, whole and in uneven pieces, and the
// object used again after a digest.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/sha256_win.h"
#include "tests/native/sha256_vectors.h"

namespace {

TEST(Sha256Cng, NistVectorsWholeAndInPieces) {
    win::Sha256 hash;
    ASSERT_TRUE(hash.ok());
    for (const Sha256Vector& v : kNistSha256Vectors) {
        Sha256Digest whole;
        ASSERT_TRUE(win::sha256(v.message.data(), v.message.size(), whole));
        EXPECT_EQ(sha256Hex(whole), v.hex) << v.message.size();

        // Pieces of 1, 2, 3 ... bytes, through the one object each time.
        std::size_t at = 0;
        for (std::size_t piece = 1; at < v.message.size(); ++piece) {
            const std::size_t n = std::min(piece, v.message.size() - at);
            ASSERT_TRUE(hash.update(v.message.data() + at, n));
            at += n;
        }
        Sha256Digest pieces;
        ASSERT_TRUE(hash.finish(pieces));
        EXPECT_EQ(pieces, whole) << v.message.size();
        EXPECT_EQ(win::sha256OrZero(v.message.data(), v.message.size()), whole);
    }
}

}  // namespace
