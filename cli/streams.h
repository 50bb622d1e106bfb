#pragma once
// "-" as a file: the jobs read and write files, so standard input is first copied whole into
// a private folder, and a file written there is copied to standard output once complete.
// A picture that fails halfway thus puts nothing into the pipe.

#include "formats/error.h"
#include "jobs/edit.h"

#include <string>

namespace varnox::cli {

inline bool IsStream(const std::string& arg)
{
    return arg == "-";
}

// A private folder (0700) under $TMPDIR or /tmp for the files of a pipe, removed with them.
class PipeFolder {
  public:
    Status Make();
    // name inside the folder.
    Path File(const std::string& name) const { return folder_.path() / name; }

  private:
    jobs::EditFolder folder_;
};

// Copies all of standard input into the new file file.
Status SpoolStandardInput(const Path& file);

// Copies file to standard output.
Status CopyToStandardOutput(const Path& file);

// error with its file shown as "-" when it is standIn, the copy of a stream (none when empty).
Error AsStream(Error error, const Path& standIn);

} // namespace varnox::cli
