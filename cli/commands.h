#pragma once
// The commands of varnox-cli. Each returns the exit code: 0 all well, 1 an input was
// refused or failed, 2 a usage error.

#include "cli/options.h"
#include "jobs/convert.h"

#include <string>
#include <vector>

namespace varnox::jobs {
struct ReplaceResult;
} // namespace varnox::jobs

namespace varnox::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

using Args = std::vector<std::string>;

// Each takes the call as the option parser leaves it.
int RunReport(const ParsedArgs& call, bool unpack);
int RunGfp2Picture(const ParsedArgs& call, jobs::PictureFormat format);
int RunPicture2Gfp(const ParsedArgs& call, jobs::PictureFormat format);
int RunExtract(const ParsedArgs& call);
int RunPack(const ParsedArgs& call);
int RunReplace(const ParsedArgs& call);
int RunEdit(const ParsedArgs& call);
int RunRestore(const ParsedArgs& call);
int RunThumbnail(const ParsedArgs& call);

// The packing --uncompressed or --fast ask for; zlib's by default.
GfpPacking PackingOf(const ParsedArgs& call);

// "#3 ersetzt, an seinem Platz (Itemdataoffset:276)": where replace put the item's data.
std::string ReplacedText(const jobs::ReplaceResult& result);

// Prints "varnox-cli: message" on stderr.
void PrintError(const std::string& message);

} // namespace varnox::cli
