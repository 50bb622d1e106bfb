#pragma once
// The folder a benchmark keeps its files in.

#include "fileio/paths.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace varnox::bench {

// A new folder of our own under the temporary folder; throws when none can be made.
inline Path MakeBenchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "varnox-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

} // namespace varnox::bench
