// Work on items 0 .. count-1 done on a second thread ahead of the thread
// that uses them in order: an export's digests, taken while the export
// builds what comes before them. The second thread keeps at most `ahead`
// items before the last one asked for. The user does an item it reaches
// first itself, and while it waits for one the second thread is doing it
// takes on the next one nobody has started: on two cores both threads
// work when the work is the larger part.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkAhead {
  public:
    // `work(i)` fills the caller's slot i; it runs on either thread, once.
    WorkAhead(std::size_t count, std::size_t ahead, std::function<void(std::size_t)> work);
    // Stops the second thread after the item it is doing; the rest stays undone.
    ~WorkAhead();
    WorkAhead(const WorkAhead&) = delete;
    WorkAhead& operator=(const WorkAhead&) = delete;

    // Returns once work(i) is done; what it filled is then the caller's, as
    // is what any item the caller has asked for or passed filled.
    void need(std::size_t i);

  private:
    enum class State : unsigned char { waiting, working, done };
    void run();
    // Item i, which nobody has started, done with the lock let go meanwhile.
    void doItem(std::unique_lock<std::mutex>& lock, std::size_t i);

    const std::size_t count_;
    const std::size_t ahead_;
    const std::function<void(std::size_t)> work_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<State> state_;
    std::size_t next_ = 0;  // the first item neither thread has started
    std::size_t used_ = 0;  // one past the last item asked for
    bool stopping_ = false;
    std::thread worker_;  // last: it starts once the rest is made
};
