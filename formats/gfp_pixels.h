#pragma once
// The pixel data of a GFP as stored, read in order from the start: one interface, one
// implementation per way the data lie (raw, a zlib stream inflated whole, or a piece at a time).

#include "fileio/input_file.h"
#include "formats/error.h"

#include <cstdint>
#include <memory>
#include <span>

namespace varnox {

// Where a GFP's pixel data lie, as found from its header blocks.
struct GfpPayload {
    InputFile* file = nullptr;
    Path path;                     // named in every refusal
    bool rawForm = false;          // pixels stored as they are, at kGfpPayloadAt
    std::int32_t rawSize = 0;      // pixel bytes of the picture, usable (0 to kMaxRawSize)
    std::int64_t streamLength = 0; // bytes of the zlib stream at kGfpStreamAt, cut at the file's end
    std::size_t rowBytes = 0;      // stored bytes of a row; 0 when rows are not read
};

class GfpPixels {
  public:
    virtual ~GfpPixels() = default;
    // The next row of stored bytes into the first rowBytes bytes of row.
    virtual Status ReadRow(std::span<std::uint8_t> row) = 0;
    // Reads the pixel data not yet read, with the checks of a whole read.
    virtual Status Drain() = 0;
    // All pixel bytes into pixels, which holds rawSize zero bytes; then Drain's checks.
    virtual Status ReadAll(Bytes& pixels) = 0;
};

// The reader for payload's pixel data: raw pixels are read as they lie; a stream short enough
// to be held beside the picture is inflated whole with libdeflate where libdeflate reads it;
// any other is inflated a piece at a time by zlib, which then names the damage.
Result<std::unique_ptr<GfpPixels>> OpenGfpPixels(const GfpPayload& payload);

} // namespace varnox
