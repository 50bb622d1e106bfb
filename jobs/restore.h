#pragma once
// A file put back from its ".bak" copy, the current file becoming the copy.

#include "jobs/convert.h"

namespace varnox::jobs {

struct RestoreResult {
    bool ok = false;
    Refusal refusal; // when !ok; both files as they were
};

// file + ".bak".
Path BackupOf(const Path& file);

// True when file and its ".bak" are both regular files (links not followed).
bool HasBackup(const Path& file);

// Swaps file and file.bak in one step, so that the restore can be undone by another and
// a crash leaves either both as they were or both swapped. Refuses links and anything but
// regular files.
RestoreResult RestoreBackup(const Path& file);

} // namespace varnox::jobs
