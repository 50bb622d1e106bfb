#pragma once
// The length of a GFP at the start of a longer byte string: an archive item or a file.

#include "fileio/fileio.h"
#include "formats/module1.h"

#include <optional>
#include <span>

namespace varnox {

// Payload bytes after the 132 header bytes: storedSize for a zlib payload, width x height x 2
// otherwise; nullopt when that is negative or beyond 32 bits.
std::optional<std::int32_t> GfpPayloadLength(const GfpPixelHeaderRecord& pixel);

// Checks the GFP whose first bytes are head (its 132 header bytes, or all there are) and which
// has available bytes in all: both tags, whole header blocks, payload within those bytes.
// Gives 132 + payload; otherwise an ExtractError says why not.
Result<std::int64_t> MeasureGfp(std::span<const std::uint8_t> head, std::int64_t available);

// Whether zlib itself reads the pixels of the GFP of length bytes at offset in file, whose
// head MeasureGfp accepted, as the game reads them: a compressed payload must inflate to
// exactly width x height x bytes per pixel, its stream ending within storedSize. Read and
// inflated a piece at a time. GfpError RawSize, ZlibData or ShortPixels when not; CannotOpen
// when the file cannot be read.
Status CheckGfpPixels(InputFile& file, std::int64_t offset, std::int64_t length);

} // namespace varnox
