#pragma once
// The plain reader the conversions are measured against (see floor_bench.cpp).

#include "fileio/fileio.h"
#include "formats/bytes.h"

#include <cstdint>
#include <vector>

namespace varnox::bench {

// Reads GFPs one after another with every buffer kept from file to file.
class FloorReader {
  public:
    FloorReader();
    ~FloorReader();
    FloorReader(const FloorReader&) = delete;
    FloorReader& operator=(const FloorReader&) = delete;

    // Reads the GFP whole and inflates its stream; false on any fault.
    bool Inflate(const Path& gfp);
    // Writes the picture last inflated as a 24-bit TGA, in 1 MiB pieces.
    bool WriteTga(const Path& tga);
    // Inflates the GFP and averages it into a box x box square.
    bool Reduce(const Path& gfp, std::int32_t box);

  private:
    void* inflater_;
    std::vector<std::uint32_t> table_; // BGR24 of each RGB565 value
    Bytes file_;
    Bytes pixels_;
    Bytes piece_;
    Bytes row_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};

} // namespace varnox::bench
