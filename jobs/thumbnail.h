#pragma once
// A small PNG of a GFP picture, as file managers show for a picture file.

#include "formats/error.h"

#include <cstdint>

namespace varnox::jobs {

// The box side a thumbnail gets when none is asked for, and the largest one taken.
inline constexpr std::int32_t kDefaultThumbnailSize = 256;
inline constexpr std::int32_t kMaxThumbnailSize = 4096;
// The most pixels a picture may have to get a thumbnail: a file manager runs the thumbnailer
// on every file it lists, and a GFP of a few hundred KiB can hold a picture of 16384 x 16384
// (512 MiB and seconds to read); this bounds a thumbnail to about 130 MiB and a second.
inline constexpr std::int64_t kMaxThumbnailPixels = 8192LL * 8192LL;

// Writes the GFP picture at gfp, reduced to fit size x size (aspect kept, never enlarged),
// as a 24-bit PNG at png. The picture is read as a GFP whatever its name. A damaged or
// empty picture, one wider or higher than 32767 or with more than kMaxThumbnailPixels,
// writes nothing; so does a failed write,
// which leaves an existing png as it was. Holds the reduced picture and the GFP reader's
// buffers, never the picture at full size.
Status WriteThumbnail(const Path& gfp, const Path& png, std::int32_t size);

} // namespace varnox::jobs
