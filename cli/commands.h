#pragma once
// The commands of varnox-cli. Each returns the exit code: 0 all well, 1 an input was
// refused or failed, 2 a usage error.

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

int RunReport(const Args& args, bool unpack);
int RunGfp2Picture(const Args& args, jobs::PictureFormat format);
int RunPicture2Gfp(const Args& args, jobs::PictureFormat format);
int RunExtract(const Args& args);
int RunPack(const Args& args);
int RunReplace(const Args& args);
int RunEdit(const Args& args);
int RunRestore(const Args& args);
int RunThumbnail(const Args& args);

// "#3 ersetzt, an seinem Platz (Itemdataoffset:276)": where replace put the item's data.
std::string ReplacedText(const jobs::ReplaceResult& result);

// Prints "varnox-cli: message" on stderr.
void PrintError(const std::string& message);

} // namespace varnox::cli
