#pragma once
// GFP -> TGA or PNG of many files on a pool of worker threads, with the results in the
// order of the files.

#include "jobs/convert.h"

#include <vector>

namespace varnox::jobs {

struct BatchOptions {
    PictureFormat format = PictureFormat::Tga;
    unsigned workers = 1;
    // Files done and the furthest file started as Current; a cancel starts no further file
    // and stops those in hand, leaving them as they were.
    JobProgress* progress = nullptr;
    // Unset: an existing file is replaced without asking. Asked one question at a time, on
    // the worker that met the differing file; "Ja, alle" and "Abbrechen" hold for every worker.
    ReplaceQuestion askReplace;
};

// Converts each GFP as ConvertGfpFiles does, on a pool of workers (one: on the calling
// thread), each with its own buffers. A refused file stops no other. A file whose target
// exists starts only once every earlier such file is finished (until "Ja, alle"), so that no
// later file is written before a question is answered and none after "Abbrechen". Refusals
// come in the order of gfps; the records are those of the furthest file started.
GfpToTgaResult ConvertGfpFilesParallel(const std::vector<Path>& gfps, const BatchOptions& options);

// The number of workers when none is asked for: one per core.
unsigned DefaultWorkers();

} // namespace varnox::jobs
