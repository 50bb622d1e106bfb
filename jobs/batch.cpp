#include "jobs/batch.h"

#include "formats/text.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

namespace varnox::jobs {

namespace {

// Converts one GFP; an exception becomes the file's refusal, so that no worker dies of it.
std::optional<Refusal> ConvertFile(Module1& module, const Path& gfp, PictureFormat format)
{
    try {
        GfpToTgaResult result =
            ConvertGfpFiles(module, gfp.parent_path(), {gfp.filename().string()}, 0, 0, format);
        if (result.refused.empty())
            return std::nullopt;
        return std::move(result.refused.front());
    } catch (const std::exception& e) {
        return Refusal{PathText(gfp), Translate(e.what())};
    }
}

// How often the calling thread looks whether the batch was cancelled.
constexpr std::chrono::milliseconds kCancelPoll{10};

} // namespace

unsigned DefaultWorkers()
{
    return std::max(1U, std::thread::hardware_concurrency());
}

std::vector<std::optional<Refusal>> ConvertGfpFilesParallel(const std::vector<Path>& gfps,
                                                            PictureFormat format, unsigned workers,
                                                            const BatchDone& done, Module1* records)
{
    std::vector<std::optional<Refusal>> results(gfps.size());
    const std::size_t threads = std::min<std::size_t>(workers, gfps.size());
    if (threads <= 1) {
        Module1 own;
        Module1& module = records != nullptr ? *records : own;
        for (std::size_t k = 0; k < gfps.size(); ++k) {
            results[k] = ConvertFile(module, gfps[k], format);
            if (done)
                done(k, results[k]);
        }
        return results;
    }

    std::vector<Module1> modules(threads);
    std::vector<char> finished(gfps.size(), 0);
    std::size_t lastBy = 0; // the worker that took the last file
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    {
        std::vector<std::jthread> pool;
        for (std::size_t w = 0; w < threads; ++w) {
            pool.emplace_back([&, w] {
                for (std::size_t k = next++; k < gfps.size(); k = next++) {
                    std::optional<Refusal> refusal = ConvertFile(modules[w], gfps[k], format);
                    const std::lock_guard<std::mutex> lock(mutex);
                    results[k] = std::move(refusal);
                    finished[k] = 1;
                    if (k + 1 == gfps.size())
                        lastBy = w;
                    changed.notify_all();
                }
            });
        }
        // The outcomes are told in the files' order as they come in.
        for (std::size_t k = 0; k < gfps.size(); ++k) {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return finished[k] != 0; });
            lock.unlock();
            if (done)
                done(k, results[k]);
        }
    }
    if (records != nullptr)
        *records = modules[lastBy];
    return results;
}

GfpToTgaResult ConvertGfpFilesParallel(const Path& folder, const std::vector<std::string>& names, int first,
                                       int last, const BatchOptions& options,
                                       const std::function<void(int)>& select, Module1* records)
{
    const int from = std::max(first, 0);
    const int to = std::min(last, static_cast<int>(names.size()) - 1);
    const std::size_t count = to >= from ? static_cast<std::size_t>(to - from + 1) : 0;
    const std::size_t threads = std::min<std::size_t>(options.workers, count);
    if (threads <= 1) {
        GfpToTgaOptions sequential;
        sequential.format = options.format;
        sequential.progress = options.progress;
        sequential.askReplace = options.askReplace;
        Module1 own;
        return ConvertGfpToTga(records != nullptr ? *records : own, folder, names, first, last, select,
                               sequential);
    }

    const auto name = [&](std::size_t k) -> const std::string& {
        return names[static_cast<std::size_t>(from) + k];
    };
    // Only a file whose target exists can be asked about; those go one after the other.
    std::vector<char> mayAsk(count, 0);
    if (options.askReplace) {
        for (std::size_t k = 0; k < count; ++k) {
            const std::string target = TargetName(name(k), options.format);
            std::error_code ignored;
            mayAsk[k] = !target.empty() && std::filesystem::exists(folder / target, ignored) ? 1 : 0;
        }
    }
    std::vector<GfpToTgaResult> outcomes(count);
    std::vector<char> started(count, 0);
    std::vector<char> finished(count, 0);
    std::vector<Module1> modules(threads, records != nullptr ? *records : Module1{});
    std::vector<JobProgress> inHand(threads); // each worker's file: its cancel stops that file
    std::mutex mutex;                         // guards all below and the vectors above
    std::condition_variable changed;
    std::size_t next = 0;
    std::size_t openAsker = 0; // no file before it may still ask
    std::size_t running = threads;
    std::size_t lastBy = 0;
    int lastIndex = -1;
    bool stop = false;
    bool replaceAll = false;
    std::mutex asking; // one question at a time

    const auto firstOpenAsker = [&] {
        while (openAsker < count && (mayAsk[openAsker] == 0 || finished[openAsker] != 0))
            ++openAsker;
        return openAsker;
    };
    ReplaceQuestion ask;
    if (options.askReplace) {
        ask = [&](const Path& target) {
            const std::lock_guard<std::mutex> one(asking);
            {
                const std::lock_guard<std::mutex> lock(mutex);
                if (stop || Cancelled(options.progress))
                    return ReplaceAnswer::Cancel;
                if (replaceAll)
                    return ReplaceAnswer::Yes;
            }
            ReplaceAnswer answer = options.askReplace(target);
            if (Cancelled(options.progress))
                answer = ReplaceAnswer::Cancel;
            if (answer == ReplaceAnswer::YesToAll || answer == ReplaceAnswer::Cancel) {
                const std::lock_guard<std::mutex> lock(mutex);
                if (answer == ReplaceAnswer::YesToAll)
                    replaceAll = true;
                else
                    stop = true;
                changed.notify_all();
            }
            return answer;
        };
    }
    if (options.progress != nullptr)
        options.progress->Start(static_cast<std::int64_t>(count));

    {
        std::vector<std::jthread> pool;
        for (std::size_t w = 0; w < threads; ++w) {
            pool.emplace_back([&, w] {
                for (;;) {
                    std::size_t k = 0;
                    {
                        std::unique_lock<std::mutex> lock(mutex);
                        if (stop || Cancelled(options.progress) || next >= count)
                            break;
                        k = next++;
                        changed.wait(lock, [&] { return stop || replaceAll || firstOpenAsker() >= k; });
                        if (stop || Cancelled(options.progress))
                            break;
                        started[k] = 1;
                        // The list shows the furthest file started.
                        if (from + static_cast<int>(k) > lastIndex) {
                            lastIndex = from + static_cast<int>(k);
                            lastBy = w;
                            if (select)
                                select(lastIndex);
                        }
                    }
                    GfpToTgaOptions one;
                    one.format = options.format;
                    one.progress = &inHand[w];
                    one.askReplace = ask;
                    GfpToTgaResult outcome;
                    try {
                        outcome = ConvertGfpToTga(modules[w], folder, {name(k)}, 0, 0, {}, one);
                    } catch (const std::exception& e) {
                        outcome.refused.push_back({PathText(folder / name(k)), e.what()});
                    }
                    const std::lock_guard<std::mutex> lock(mutex);
                    outcomes[k] = std::move(outcome);
                    finished[k] = 1;
                    if (options.progress != nullptr)
                        options.progress->Advance();
                    changed.notify_all();
                }
                const std::lock_guard<std::mutex> lock(mutex);
                --running;
                changed.notify_all();
            });
        }
        // A cancel reaches the files in hand from here.
        std::unique_lock<std::mutex> lock(mutex);
        while (running > 0) {
            changed.wait_for(lock, kCancelPoll);
            if (!stop && Cancelled(options.progress)) {
                stop = true;
                for (JobProgress& file : inHand)
                    file.Cancel();
                changed.notify_all();
            }
        }
    }

    GfpToTgaResult result;
    result.lastIndex = lastIndex;
    for (std::size_t k = 0; k < count; ++k) {
        if (started[k] == 0) {
            result.cancelled = true;
            continue;
        }
        GfpToTgaResult& one = outcomes[k];
        result.written += one.written;
        result.kept += one.kept;
        for (std::string& kept : one.keptNames)
            result.keptNames.push_back(std::move(kept));
        result.cancelled = result.cancelled || one.cancelled;
        for (Refusal& refusal : one.refused)
            result.refused.push_back(std::move(refusal));
    }
    if (records != nullptr)
        *records = modules[lastBy];
    return result;
}

} // namespace varnox::jobs
