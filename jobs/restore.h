#pragma once
// A file put back from its ".bak" copy, the current file becoming the copy.

#include "jobs/convert.h"

namespace varnox::jobs {

// file + ".bak".
Path BackupOf(const Path& file);

// True when the file that file names (links followed, as writers follow them) and its
// ".bak" beside it are both regular files.
bool HasBackup(const Path& file);

// Swaps the file that file names (links followed) and its .bak, so that the restore can be
// undone by another: in one step where the file system can, so that a crash leaves either
// both as they were or both swapped, else in three renames undone on failure. Refuses a
// .bak that is missing, a link, or no regular file, with that reason; a failure leaves both
// files as they were.
Status RestoreBackup(const Path& file);

} // namespace varnox::jobs
