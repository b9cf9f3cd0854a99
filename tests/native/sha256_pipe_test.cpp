// The second thread's digests: files read into a few kept blocks in random
// pieces, some given up half-way, each digest against OpenSSL's of the
// whole file. The blocks are few and small, so the reader waits for the
// hash and reuses every block many times within one file.
#include "base/sha256_pipe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/native/openssl_sha256.h"

namespace {

TEST(Sha256Pipe, FilesInRandomPiecesMatchOpenssl) {
    struct Shape {
        std::size_t blockSize, blocks;
    };
    for (const Shape shape : {Shape{7, 1}, Shape{64, 2}, Shape{97, 3}, Shape{4096, 4}}) {
        std::mt19937 rng(static_cast<unsigned>(shape.blockSize * 31 + shape.blocks));
        std::vector<std::string> files(60);
        std::vector<Sha256Digest> digests(files.size());
        std::vector<char> dropped(files.size());
        bool done[60] = {};
        Sha256Pipe pipe(shape.blockSize, shape.blocks);
        for (std::size_t f = 0; f < files.size(); ++f) {
            files[f].resize(f < 10 ? f : rng() % 9000);
            for (char& c : files[f])
                c = static_cast<char>(rng());
            dropped[f] = rng() % 5 == 0;
            const std::size_t stop = dropped[f] ? files[f].size() / 2 : files[f].size();
            for (std::size_t at = 0; at < stop;) {
                unsigned char* block = pipe.take();
                const std::size_t piece =
                    std::min<std::size_t>(1 + rng() % shape.blockSize, stop - at);
                std::memcpy(block, files[f].data() + at, piece);
                pipe.add(block, piece);
                at += piece;
            }
            if (dropped[f])
                pipe.drop();
            else
                pipe.finish(&digests[f], &done[f]);
        }
        pipe.wait();
        for (std::size_t f = 0; f < files.size(); ++f) {
            EXPECT_EQ(done[f], !dropped[f]) << f;
            if (!dropped[f]) {
                EXPECT_EQ(digests[f], opensslSha256(files[f])) << f << " of " << shape.blockSize;
            }
        }
    }
}

}  // namespace
