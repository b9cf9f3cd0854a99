// SHA-256 through CNG on the NIST vectors, whole and in uneven pieces, and the
// object used again after a digest.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/sha256_win.h"

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

TEST(Sha256Cng, NistVectorsWholeAndInPieces) {
    win::Sha256 hash;
    ASSERT_TRUE(hash.ok());
    for (const Vector& v : kNistVectors) {
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
