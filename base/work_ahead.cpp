#include "base/work_ahead.h"

#include <utility>

WorkAhead::WorkAhead(std::size_t count, std::size_t ahead, std::function<void(std::size_t)> work)
    : count_(count),
      ahead_(ahead),
      work_(std::move(work)),
      state_(count, State::waiting),
      worker_([this] { run(); }) {}

WorkAhead::~WorkAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void WorkAhead::need(std::size_t i) {
    if (i >= count_)
        return;
    std::unique_lock<std::mutex> lock(mutex_);
    if (i + 1 > used_) {
        used_ = i + 1;
        changed_.notify_all();  // room for the second thread
    }
    while (state_[i] != State::done) {
        // Item i when nobody has started it; while the second thread does
        // it, the next item nobody has started, rather than wait idle. The
        // second thread passes over an item started.
        std::size_t j = i;
        if (state_[j] != State::waiting)
            for (j = next_; j < count_ && j < used_ + ahead_; ++j)
                if (state_[j] == State::waiting)
                    break;
        if (j >= count_ || j >= used_ + ahead_ || state_[j] != State::waiting) {
            changed_.wait(lock);
            continue;
        }
        doItem(lock, j);
    }
}

void WorkAhead::doItem(std::unique_lock<std::mutex>& lock, std::size_t i) {
    state_[i] = State::working;
    lock.unlock();
    work_(i);
    lock.lock();
    state_[i] = State::done;
    changed_.notify_all();
}

void WorkAhead::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] {
            return stopping_ || (next_ < count_ && next_ < used_ + ahead_);
        });
        if (stopping_)
            return;
        const std::size_t i = next_++;
        if (state_[i] == State::waiting)
            doItem(lock, i);
    }
}
