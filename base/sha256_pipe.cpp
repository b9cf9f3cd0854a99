#include "base/sha256_pipe.h"

#include <algorithm>

Sha256Pipe::Sha256Pipe(std::size_t blockSize, std::size_t blocks)
    : blockSize_(blockSize),
      blocks_(std::max<std::size_t>(blocks, 1), std::vector<unsigned char>(blockSize)),
      worker_([this] { run(); }) {}

Sha256Pipe::~Sha256Pipe() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

unsigned char* Sha256Pipe::take() {
    unsigned char* block = blocks_[next_].data();
    next_ = (next_ + 1) % blocks_.size();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] {
        return std::find(inUse_.begin(), inUse_.end(), block) == inUse_.end();
    });
    return block;
}

void Sha256Pipe::push(const Job& job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (job.block)
            inUse_.push_back(job.block);
        jobs_.push_back(job);
    }
    changed_.notify_all();
}

void Sha256Pipe::add(unsigned char* block, std::size_t size) {
    push(Job{block, size, nullptr, nullptr});
}

void Sha256Pipe::finish(Sha256Digest* out, bool* done) {
    push(Job{nullptr, 0, out, done});
}

void Sha256Pipe::drop() {
    push(Job{});
}

void Sha256Pipe::wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return jobs_.empty() && busy_ == 0; });
}

void Sha256Pipe::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // What was handed over is hashed before the pipe goes.
        changed_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty())
            return;
        const Job job = jobs_.front();
        jobs_.pop_front();
        ++busy_;
        lock.unlock();
        if (job.block) {
            hash_.update(job.block, job.size);
        } else if (job.out) {
            *job.out = hash_.finish();
            *job.done = true;
        } else {
            hash_.begin();
        }
        lock.lock();
        if (job.block)
            inUse_.erase(std::find(inUse_.begin(), inUse_.end(), job.block));
        --busy_;
        changed_.notify_all();
    }
}
