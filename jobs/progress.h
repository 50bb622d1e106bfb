#pragma once
// How far a job has come and whether it should stop: written by the job on its thread,
// read and cancelled from another (the window polls it). No Qt.

#include "fileio/paths.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>

namespace varnox::jobs {

class JobProgress {
  public:
    // A new stretch of work of total units (rows, files, items or bytes); none done yet.
    void Start(std::int64_t total)
    {
        done_.store(0, std::memory_order_relaxed);
        total_.store(total, std::memory_order_relaxed);
        Told();
    }
    void Advance(std::int64_t n = 1)
    {
        done_.fetch_add(n, std::memory_order_relaxed);
        Told();
    }
    void SetDone(std::int64_t done)
    {
        done_.store(done, std::memory_order_relaxed);
        Told();
    }
    std::int64_t Done() const { return done_.load(std::memory_order_relaxed); }
    // Bytes of data moved so far (read from an archive or laid into one), beside the units.
    void AddBytes(std::int64_t n) { bytes_.fetch_add(n, std::memory_order_relaxed); }
    std::int64_t Bytes() const { return bytes_.load(std::memory_order_relaxed); }
    std::int64_t Total() const { return total_.load(std::memory_order_relaxed); }

    // The file or item in hand: its index in the job's list, -1 before the first.
    void SetCurrent(std::int64_t index)
    {
        current_.store(index, std::memory_order_relaxed);
        Told();
    }
    std::int64_t Current() const { return current_.load(std::memory_order_relaxed); }

    // The stage of a job that has stages, as a value of its own stage enum; -1 before the first.
    void SetStage(int stage)
    {
        stage_.store(stage, std::memory_order_relaxed);
        Told();
    }
    int Stage() const { return stage_.load(std::memory_order_relaxed); }

    // Called with the progress after each report of the job above, on the thread that made
    // it: follows a job step by step where nobody polls it, and may cancel it at a chosen
    // point. Set before the job starts.
    void SetListener(std::function<void(JobProgress&)> listener) { listener_ = std::move(listener); }

    // Told of every file a job has put in place, on the thread that wrote it (a batch's
    // workers among them). Set before the job starts.
    void SetWrittenListener(std::function<void(const Path&)> listener) { written_ = std::move(listener); }
    void Wrote(const Path& file) const
    {
        if (written_)
            written_(file);
    }

    // Asks the job to stop at its next safe point; it then leaves the file in hand as it was.
    void Cancel() { cancelled_.store(true, std::memory_order_release); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_acquire); }

  private:
    void Told()
    {
        if (listener_)
            listener_(*this);
    }

    std::atomic<std::int64_t> done_{0};
    std::atomic<std::int64_t> total_{0};
    std::atomic<std::int64_t> bytes_{0};
    std::atomic<std::int64_t> current_{-1};
    std::atomic<int> stage_{-1};
    std::atomic<bool> cancelled_{false};
    std::function<void(JobProgress&)> listener_;
    std::function<void(const Path&)> written_;
};

// Tells progress, when given, of a file put in place.
inline void Wrote(JobProgress* progress, const Path& file)
{
    if (progress != nullptr)
        progress->Wrote(file);
}

// True when progress is given and was cancelled.
inline bool Cancelled(const JobProgress* progress)
{
    return progress != nullptr && progress->Cancelled();
}

} // namespace varnox::jobs
