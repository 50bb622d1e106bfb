#pragma once
// Text for standard output and standard error, written through stdio: the C++ streams would
// add their start (a locale with every facet) to each start of varnox-cli.

#include <cstdio>
#include <string_view>

namespace varnox::cli {

// Writes text to stream as it is, and flushes it.
inline void Put(std::FILE* stream, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

} // namespace varnox::cli
