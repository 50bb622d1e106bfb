#pragma once
// How far a job has come and whether it should stop: written by the job on its thread,
// read and cancelled from another (the window polls it). No Qt.

#include <atomic>
#include <cstdint>

namespace varnox::jobs {

class JobProgress {
  public:
    // A new stretch of work of total units (rows, files, items or bytes); none done yet.
    void Start(std::int64_t total)
    {
        done_.store(0, std::memory_order_relaxed);
        total_.store(total, std::memory_order_relaxed);
    }
    void Advance(std::int64_t n = 1) { done_.fetch_add(n, std::memory_order_relaxed); }
    void SetDone(std::int64_t done) { done_.store(done, std::memory_order_relaxed); }
    std::int64_t Done() const { return done_.load(std::memory_order_relaxed); }
    std::int64_t Total() const { return total_.load(std::memory_order_relaxed); }

    // The file or item in hand: its index in the job's list, -1 before the first.
    void SetCurrent(std::int64_t index) { current_.store(index, std::memory_order_relaxed); }
    std::int64_t Current() const { return current_.load(std::memory_order_relaxed); }

    // Asks the job to stop at its next safe point; it then leaves the file in hand as it was.
    void Cancel() { cancelled_.store(true, std::memory_order_release); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_acquire); }

  private:
    std::atomic<std::int64_t> done_{0};
    std::atomic<std::int64_t> total_{0};
    std::atomic<std::int64_t> current_{-1};
    std::atomic<bool> cancelled_{false};
};

// True when progress is given and was cancelled.
inline bool Cancelled(const JobProgress* progress)
{
    return progress != nullptr && progress->Cancelled();
}

} // namespace varnox::jobs
