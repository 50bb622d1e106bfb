#include "jobs/batch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

namespace varnox::jobs {

namespace {

// How often the calling thread looks whether the batch was cancelled.
constexpr std::chrono::milliseconds kCancelPoll{10};

// One batch on a pool: which file goes next, which may ask, and the outcomes.
class ParallelBatch {
  public:
    ParallelBatch(const std::vector<Path>& gfps, const BatchOptions& options, std::size_t threads)
        : gfps_(gfps), options_(options), count_(gfps.size()), threads_(threads), outcomes_(count_),
          started_(count_, 0), finished_(count_, 0), mayAsk_(count_, 0), inHand_(threads)
    {
    }

    GfpToTgaResult Run();

  private:
    void MarkAskers();
    ReplaceAnswer Ask(const Path& target);
    std::size_t FirstOpenAsker();
    bool TakeNext(std::size_t& k);
    void Work(std::size_t worker);
    void WatchCancel();
    GfpToTgaResult Collect();

    const std::vector<Path>& gfps_;
    const BatchOptions& options_;
    const std::size_t count_;
    const std::size_t threads_;
    std::vector<GfpToTgaResult> outcomes_;
    std::vector<char> started_;
    std::vector<char> finished_;
    std::vector<char> mayAsk_;        // a file whose target exists: only those may ask
    std::vector<JobProgress> inHand_; // each worker's file: its cancel stops that file
    std::mutex mutex_;                // guards all below and the vectors above
    std::condition_variable changed_;
    std::size_t next_ = 0;
    std::size_t openAsker_ = 0; // no file before it may still ask
    std::size_t running_ = 0;
    int lastIndex_ = -1;
    bool stop_ = false;
    bool replaceAll_ = false;
    std::mutex asking_; // one question at a time
};

void ParallelBatch::MarkAskers()
{
    if (!options_.askReplace)
        return;
    for (std::size_t k = 0; k < count_; ++k) {
        const std::string target = TargetName(gfps_[k].filename().string(), options_.format);
        std::error_code ignored;
        mayAsk_[k] =
            !target.empty() && std::filesystem::exists(gfps_[k].parent_path() / target, ignored) ? 1 : 0;
    }
}

ReplaceAnswer ParallelBatch::Ask(const Path& target)
{
    const std::lock_guard<std::mutex> one(asking_);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (stop_ || Cancelled(options_.progress))
            return ReplaceAnswer::Cancel;
        if (replaceAll_)
            return ReplaceAnswer::Yes;
    }
    ReplaceAnswer answer = options_.askReplace(target);
    if (Cancelled(options_.progress))
        answer = ReplaceAnswer::Cancel;
    if (answer == ReplaceAnswer::YesToAll || answer == ReplaceAnswer::Cancel) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (answer == ReplaceAnswer::YesToAll)
            replaceAll_ = true;
        else
            stop_ = true;
        changed_.notify_all();
    }
    return answer;
}

std::size_t ParallelBatch::FirstOpenAsker()
{
    while (openAsker_ < count_ && (mayAsk_[openAsker_] == 0 || finished_[openAsker_] != 0))
        ++openAsker_;
    return openAsker_;
}

// Takes the next file once no earlier one may still ask; false when the batch is over.
bool ParallelBatch::TakeNext(std::size_t& k)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (stop_ || Cancelled(options_.progress) || next_ >= count_)
        return false;
    k = next_++;
    changed_.wait(lock, [&] { return stop_ || replaceAll_ || FirstOpenAsker() >= k; });
    if (stop_ || Cancelled(options_.progress))
        return false;
    started_[k] = 1;
    // The progress shows the furthest file started.
    if (static_cast<int>(k) > lastIndex_) {
        lastIndex_ = static_cast<int>(k);
        if (options_.progress != nullptr)
            options_.progress->SetCurrent(lastIndex_);
    }
    return true;
}

void ParallelBatch::Work(std::size_t worker)
{
    std::size_t k = 0;
    while (TakeNext(k)) {
        GfpToTgaOptions one;
        one.format = options_.format;
        one.progress = &inHand_[worker];
        if (options_.askReplace)
            one.askReplace = [this](const Path& target) { return Ask(target); };
        GfpToTgaResult outcome = ConvertGfpFiles({gfps_[k]}, one);
        const std::lock_guard<std::mutex> lock(mutex_);
        outcomes_[k] = std::move(outcome);
        finished_[k] = 1;
        if (options_.progress != nullptr)
            options_.progress->Advance();
        changed_.notify_all();
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    --running_;
    changed_.notify_all();
}

// A cancel reaches the files in hand from here, until every worker has ended.
void ParallelBatch::WatchCancel()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (running_ > 0) {
        changed_.wait_for(lock, kCancelPoll);
        if (!stop_ && Cancelled(options_.progress)) {
            stop_ = true;
            for (JobProgress& file : inHand_)
                file.Cancel();
            changed_.notify_all();
        }
    }
}

GfpToTgaResult ParallelBatch::Collect()
{
    GfpToTgaResult result;
    result.lastIndex = lastIndex_;
    result.outcomes.assign(count_, FileOutcome::NotStarted);
    for (std::size_t k = 0; k < count_; ++k) {
        if (started_[k] == 0) {
            result.cancelled = true;
            continue;
        }
        GfpToTgaResult& one = outcomes_[k];
        result.written += one.written;
        result.kept += one.kept;
        for (std::string& kept : one.keptNames)
            result.keptNames.push_back(std::move(kept));
        result.cancelled = result.cancelled || one.cancelled;
        for (Refusal& refusal : one.refused)
            result.refused.push_back(std::move(refusal));
        if (!one.outcomes.empty())
            result.outcomes[k] = one.outcomes.front();
    }
    if (lastIndex_ >= 0)
        result.records = outcomes_[static_cast<std::size_t>(lastIndex_)].records;
    return result;
}

GfpToTgaResult ParallelBatch::Run()
{
    MarkAskers();
    if (options_.progress != nullptr)
        options_.progress->Start(static_cast<std::int64_t>(count_));
    running_ = threads_;
    {
        std::vector<std::jthread> pool;
        for (std::size_t w = 0; w < threads_; ++w)
            pool.emplace_back([this, w] { Work(w); });
        WatchCancel();
    }
    return Collect();
}

} // namespace

unsigned DefaultWorkers()
{
    return std::max(1U, std::thread::hardware_concurrency());
}

GfpToTgaResult ConvertGfpFilesParallel(const std::vector<Path>& gfps, const BatchOptions& options)
{
    const std::size_t threads = std::min<std::size_t>(options.workers, gfps.size());
    if (threads <= 1) {
        GfpToTgaOptions sequential;
        sequential.format = options.format;
        sequential.progress = options.progress;
        sequential.askReplace = options.askReplace;
        return ConvertGfpFiles(gfps, sequential);
    }
    ParallelBatch batch(gfps, options, threads);
    return batch.Run();
}

} // namespace varnox::jobs
