#pragma once
// A small PNG of a GFP picture, as file managers show for a picture file.

#include "formats/error.h"

#include <cstdint>

namespace varnox::jobs {

// The box side a thumbnail gets when none is asked for, and the largest one taken.
inline constexpr std::int32_t kDefaultThumbnailSize = 256;
inline constexpr std::int32_t kMaxThumbnailSize = 4096;

// Writes the GFP picture at gfp, reduced to fit size x size (aspect kept, never enlarged),
// as a 24-bit PNG at png. The picture is read as a GFP whatever its name. A damaged or
// empty picture, or one wider or higher than 32767, writes nothing; so does a failed write,
// which leaves an existing png as it was. Holds the reduced picture and the GFP reader's
// buffers, never the picture at full size.
Status WriteThumbnail(const Path& gfp, const Path& png, std::int32_t size);

} // namespace varnox::jobs
