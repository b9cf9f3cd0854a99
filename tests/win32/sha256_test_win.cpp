// SHA-256 through CNG on the NIST vectors, whole and in uneven pieces, and the
// object used again after a digest; the program's own SHA-256 in the 32-bit
// build against CNG, on blocks and on files of every size around the read's
// piece.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "base/sha256_hash.h"
#include "base/sha256_win.h"
#include "tests/win32/support/win_test_support.h"
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

TEST(Sha256Own, AgreesWithCngOnBlocksAndFiles) {
    std::mt19937 rng(34);
    testsupport::ScopedWorkFolder folder;
    const std::size_t piece = 1 << 20;  // sha256File's read
    const std::size_t sizes[] = {0, 1, 55, 56, 63, 64, 65, 4096, piece - 1, piece, piece + 1,
                                 3 * piece + 77};
    for (const std::size_t size : sizes) {
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng());
        Sha256Digest cng;
        ASSERT_TRUE(win::sha256(bytes.data(), bytes.size(), cng));
        for (const Sha256Engine engine : {Sha256Engine::best, Sha256Engine::portable}) {
            Sha256Hash own(engine);
            own.update(bytes.data(), bytes.size());
            EXPECT_EQ(own.finish(), cng) << size;
        }
        const std::string path = folder.path() + "\\証跡_" + std::to_string(size) + ".jpg";
        ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
        Sha256Digest ofFile;
        ASSERT_TRUE(win::sha256File(path, ofFile));
        EXPECT_EQ(ofFile, cng) << size;
    }
    Sha256Digest untouched;
    EXPECT_FALSE(win::sha256File(folder.path() + "\\ない.jpg", untouched));
}

}  // namespace
