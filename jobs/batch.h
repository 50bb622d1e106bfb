#pragma once
// GFP -> TGA or PNG of many files on a pool of worker threads, with the results in the
// order of the files.

#include "jobs/convert.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace varnox::jobs {

// Told, on the calling thread and in the order of the files, that file k is finished:
// its refusal, or nullopt when it was written.
using BatchDone = std::function<void(std::size_t k, const std::optional<Refusal>& refusal)>;

// Converts each GFP into a TGA or PNG of the same name beside it, as ConvertGfpFiles does,
// on workers threads (one: on the calling thread), each with records of its own. A refused
// file stops no other. Returns each file's outcome in the order of gfps; records, when
// given, ends with those of the worker that converted the last file.
std::vector<std::optional<Refusal>> ConvertGfpFilesParallel(const std::vector<Path>& gfps,
                                                            PictureFormat format, unsigned workers,
                                                            const BatchDone& done = {},
                                                            Module1* records = nullptr);

// The number of workers when none is asked for: one per core.
unsigned DefaultWorkers();

} // namespace varnox::jobs
