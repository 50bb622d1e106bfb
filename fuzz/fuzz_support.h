#pragma once
// Shared by the fuzz targets: a private folder per process and the input written as a file,
// since the readers take paths.

#include "formats/fileio.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace varnox::fuzz {

inline const Path& Workspace()
{
    static const Path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "varnox-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return Path(pattern);
    }();
    return folder;
}

inline Path WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const Path path = Workspace() / name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return path;
}

// Stops the run with a message when an invariant does not hold.
inline void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant violated: %s\n", what);
        std::abort();
    }
}

}  // namespace varnox::fuzz
