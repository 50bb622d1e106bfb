#include "jobs/batch.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
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
        return Refusal{PathText(gfp), e.what()};
    }
}

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

} // namespace varnox::jobs
