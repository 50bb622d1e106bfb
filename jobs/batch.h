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

struct BatchOptions {
    PictureFormat format = PictureFormat::Tga;
    unsigned workers = 1;
    // Files done; a cancel starts no further file and stops those in hand, leaving them as
    // they were.
    JobProgress* progress = nullptr;
    // Unset: an existing file is replaced without asking. Asked one question at a time, on
    // the worker that met the differing file; "Ja, alle" and "Abbrechen" hold for every worker.
    ReplaceQuestion askReplace;
};

// Converts names[first..last] of folder as ConvertGfpToTga with options does, on a pool of
// workers. A file whose target exists starts only once every earlier such file is finished
// (until "Ja, alle"), so that no later file is written before a question is answered and none
// after "Abbrechen". select(k) is told, on a worker, when entry k is started. Refusals come in
// the order of names; records, when given, ends with those of the worker of the last file.
GfpToTgaResult ConvertGfpFilesParallel(const Path& folder, const std::vector<std::string>& names, int first,
                                       int last, const BatchOptions& options,
                                       const std::function<void(int)>& select = {},
                                       Module1* records = nullptr);

// The number of workers when none is asked for: one per core.
unsigned DefaultWorkers();

} // namespace varnox::jobs
