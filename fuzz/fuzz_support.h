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
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Workspace(), ignored);
        });
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

// True when the input claims a picture of more than 64 MiB of pixels. ReadGfpPixels then
// makes that many zero bytes, which is correct but costs seconds under the sanitizers; the
// large sizes are covered by the tests, so the fuzzer spends its time elsewhere.
inline bool ClaimsHugePicture(const std::uint8_t* data, std::size_t size)
{
    if (size < 132)
        return false;
    auto le32 = [data](std::size_t at) {
        return static_cast<std::int64_t>(static_cast<std::int32_t>(
            std::uint32_t(data[at]) | std::uint32_t(data[at + 1]) << 8 | std::uint32_t(data[at + 2]) << 16 |
            std::uint32_t(data[at + 3]) << 24));
    };
    const double pixels = double(le32(64)) * double(le32(68)) * double((le32(72) + 1) / 8);
    return pixels > double(64 << 20) || le32(100) > (64 << 20);
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
