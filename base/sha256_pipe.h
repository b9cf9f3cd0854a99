// SHA-256 of files on a second thread, from the bytes another job reads
// anyway: a copy reads each piece into one of a few kept blocks, hands the
// block over and writes it while it is hashed. On two cores the digests
// then cost neither a second read of the file nor the copy's time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "base/sha256.h"
#include "base/sha256_hash.h"

class Sha256Pipe {
  public:
    // `blocks` blocks of `blockSize` bytes each (at least one).
    explicit Sha256Pipe(std::size_t blockSize = 1 << 20, std::size_t blocks = 3);
    ~Sha256Pipe();  // waits for what was handed over
    Sha256Pipe(const Sha256Pipe&) = delete;
    Sha256Pipe& operator=(const Sha256Pipe&) = delete;

    std::size_t blockSize() const { return blockSize_; }
    // A block to read into, once the hash is done with it. The caller may
    // go on reading the block it handed over (to write it) until the next
    // take(): a block is not given out again while the blocks after it
    // are free.
    unsigned char* take();
    // The next `size` bytes of the current file are in `block` (from take()).
    void add(unsigned char* block, std::size_t size);
    // The current file ends: its digest goes to `*out` and `*done` is set,
    // both seen by the caller after wait(). The next add() starts a file.
    void finish(Sha256Digest* out, bool* done);
    // The current file is given up: what was added of it is dropped.
    void drop();
    // Until everything handed over is hashed.
    void wait();

  private:
    struct Job {
        unsigned char* block = nullptr;  // null: finish or drop
        std::size_t size = 0;
        Sha256Digest* out = nullptr;  // null with no block: drop
        bool* done = nullptr;
    };
    void push(const Job& job);
    void run();

    const std::size_t blockSize_;
    std::vector<std::vector<unsigned char>> blocks_;
    std::size_t next_ = 0;  // the block take() gives out next
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    std::size_t busy_ = 0;  // jobs taken off the queue and not yet done
    std::vector<unsigned char*> inUse_;  // blocks handed over and not hashed
    bool stopping_ = false;
    Sha256Hash hash_;
    std::thread worker_;  // last: it starts once the rest is made
};
