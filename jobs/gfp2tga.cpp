#include "formats/png.h"
#include "formats/tga.h"
#include "jobs/convert.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

namespace varnox::jobs {

namespace {

// The header checks of a GFP that can be converted.
Status FitPicture(const GfpPixelHeaderRecord& gfp, const Path& source)
{
    if (gfp.bitsPerPixel() < 7)
        return Error{JobError::BitsPerPixel, source, {}, {}, {std::to_string(gfp.bitsPerPixel())}};
    if (gfp.width() < 0 || gfp.height() < 0)
        return Error{JobError::NegativeSize, source, {}, {}};
    if (gfp.width() > kMaxTgaSize || gfp.height() > kMaxTgaSize)
        return Error{JobError::TooLargeForTga, source, {}, {}};
    return {};
}

Error CannotWrite(const Path& target, const std::error_code& error)
{
    return Error{IoError::CannotWrite, target, error, {}};
}

std::unique_ptr<RowSink> MakeSink(PictureFormat format, AtomicFile& file)
{
    if (format == PictureFormat::Png)
        return MakePngSink(file);
    return MakeTgaSink(file);
}

struct OneResult {
    FileOutcome outcome = FileOutcome::Written;
    Status status;       // failed when Refused
    ReadRecords records; // the headers read
};

OneResult Refused(Error error)
{
    return {FileOutcome::Refused, std::move(error), {}};
}

// What converting one file takes from its batch.
struct Batch {
    PictureFormat format = PictureFormat::Tga;
    JobProgress* progress = nullptr; // its cancel stops the file
    bool countRows = false;          // progress counts the file's rows (a batch of one file)
    ReplaceQuestion ask;             // unset: an existing file is replaced without asking
    bool replaceAll = false;         // the answer YesToAll was given
};

// The answer to replacing target, asked when it exists and differs from the file written.
FileOutcome AskReplace(const Path& target, AtomicFile& file, Batch& batch)
{
    std::error_code ignored;
    if (!batch.ask || batch.replaceAll || !std::filesystem::exists(target, ignored) || file.MatchesTarget())
        return FileOutcome::Written;
    switch (batch.ask(target)) {
    case ReplaceAnswer::Yes: break;
    case ReplaceAnswer::YesToAll: batch.replaceAll = true; break;
    case ReplaceAnswer::No: return FileOutcome::Kept;
    case ReplaceAnswer::Cancel: return FileOutcome::Cancelled;
    }
    return Cancelled(batch.progress) ? FileOutcome::Cancelled : FileOutcome::Written;
}

// Converts one GFP; a refusal, a cancel or the answer No leaves every file as it was. A
// damaged GFP is named before a target that cannot be written.
OneResult ConvertOne(const Path& source, const Path& target, Batch& batch, ReadRecords& records)
{
    JobProgress* progress = batch.progress;
    JobProgress* rows = batch.countRows ? progress : nullptr;
    GfpSource gfp;
    GfpHead head;
    if (auto status = gfp.Open(source, head.picture, head.pixel); !status)
        return Refused(status.error());
    records.gfpHead = head;
    AtomicFile file;
    Status ready = FitPicture(head.pixel, source);
    if (ready && !file.Open(target))
        ready = CannotWrite(target, file.error());
    if (!ready) {
        if (auto status = gfp.Drain(); !status)
            return Refused(status.error());
        return Refused(ready.error());
    }
    if (rows != nullptr)
        rows->Start(gfp.Info().height);
    const auto rowDone = [&](std::int32_t row) {
        if (rows != nullptr)
            rows->SetDone(row);
        return !Cancelled(progress);
    };
    const std::unique_ptr<RowSink> sink = MakeSink(batch.format, file);
    if (auto status = CopyRows(gfp, *sink, rowDone); !status) {
        if (Is(status, IoError::Cancelled))
            return {FileOutcome::Cancelled, {}, {}};
        if (std::holds_alternative<IoError>(status.error().code))
            return Refused(CannotWrite(target, file.error() ? file.error() : status.error().system));
        Error error = status.error();
        error.file = source;
        return Refused(error);
    }
    if (Cancelled(progress))
        return {FileOutcome::Cancelled, {}, {}};
    if (const FileOutcome answer = AskReplace(target, file, batch); answer != FileOutcome::Written)
        return {answer, {}, {}};
    if (!file.Commit())
        return Refused(CannotWrite(target, file.error()));
    Wrote(progress, target);
    if (batch.format == PictureFormat::Tga)
        records.tgaHeader = TgaHeaderFor(static_cast<std::int16_t>(gfp.Info().width),
                                         static_cast<std::int16_t>(gfp.Info().height));
    return {};
}

// Converts one GFP into target; an exception becomes its refusal.
OneResult ConvertGuarded(const Path& source, const Path& target, Batch& batch)
{
    OneResult one;
    try {
        ReadRecords records;
        one = ConvertOne(source, target, batch, records);
        one.records = std::move(records);
    } catch (const std::bad_alloc&) {
        return Refused(Error{IoError::OutOfMemory, source, {}, {}});
    } catch (const std::exception& e) {
        return Refused(Error{IoError::CannotRead, source, {}, e.what()});
    }
    return one;
}

// Converts one GFP, after checking its name; an exception becomes the file's refusal, so
// that no worker dies of it.
OneResult ConvertNamed(const Path& gfp, Batch& batch)
{
    const Path folder = gfp.parent_path();
    const std::string name = gfp.filename().string();
    const Path source = folder / name;
    const std::string targetName = TargetName(name, batch.format);
    if (targetName.empty())
        return Refused(Error{JobError::NotGfpName, source, {}, {}});
    return ConvertGuarded(source, folder / targetName, batch);
}

// Adds what became of file k of gfps to result.
void Record(GfpToTgaResult& result, const std::vector<Path>& gfps, std::size_t k, PictureFormat format,
            OneResult& one)
{
    result.outcomes[k] = one.outcome;
    switch (one.outcome) {
    case FileOutcome::Written: ++result.written; break;
    case FileOutcome::Kept:
        ++result.kept;
        result.keptNames.push_back(TargetName(gfps[k].filename().string(), format));
        break;
    case FileOutcome::Refused: result.refused.push_back(one.status.error()); break;
    case FileOutcome::Cancelled:
    case FileOutcome::NotStarted: result.cancelled = true; break;
    }
}

// The files one after another on the calling thread.
GfpToTgaResult ConvertInTurn(const std::vector<Path>& gfps, const BatchOptions& options)
{
    GfpToTgaResult result;
    const std::size_t count = gfps.size();
    result.outcomes.assign(count, FileOutcome::NotStarted);
    Batch batch{options.format, options.progress, count == 1, options.askReplace};
    if (count > 1 && options.progress != nullptr)
        options.progress->Start(static_cast<std::int64_t>(count));
    for (std::size_t k = 0; k < count && !result.cancelled; ++k) {
        if (Cancelled(options.progress)) {
            result.cancelled = true;
            break;
        }
        if (options.progress != nullptr)
            options.progress->SetCurrent(static_cast<std::int64_t>(k));
        result.lastIndex = static_cast<int>(k);
        OneResult one = ConvertNamed(gfps[k], batch);
        if (count > 1 && options.progress != nullptr)
            options.progress->Advance();
        Overlay(result.records, one.records);
        Record(result, gfps, k, options.format, one);
    }
    return result;
}

} // namespace

std::string TargetName(const std::string& gfpName, PictureFormat format)
{
    if (gfpName.size() < 4)
        return {};
    std::string ending = gfpName.substr(gfpName.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ending != ".gfp")
        return {};
    return gfpName.substr(0, gfpName.size() - 3) + (format == PictureFormat::Png ? "png" : "tga");
}

// GFP -> TGA or PNG of many files on a pool of worker threads.

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
    std::vector<OneResult> outcomes_;
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
        Batch one{options_.format, &inHand_[worker], false, {}};
        if (options_.askReplace)
            one.ask = [this](const Path& target) { return Ask(target); };
        OneResult outcome = ConvertNamed(gfps_[k], one);
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
        Record(result, gfps_, k, options_.format, outcomes_[k]);
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

GfpToTgaResult ConvertGfpFiles(const std::vector<Path>& gfps, const BatchOptions& options)
{
    const std::size_t threads = std::min<std::size_t>(options.workers, gfps.size());
    if (threads <= 1)
        return ConvertInTurn(gfps, options);
    ParallelBatch batch(gfps, options, threads);
    return batch.Run();
}

Status ConvertGfpFile(const Path& gfp, const Path& target, PictureFormat format, JobProgress* progress)
{
    Batch batch{format, progress, true, {}};
    OneResult one = ConvertGuarded(gfp, target, batch);
    if (one.outcome == FileOutcome::Cancelled)
        return Error{IoError::Cancelled, target, {}, {}};
    return one.status;
}

} // namespace varnox::jobs
