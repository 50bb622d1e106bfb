#pragma once
// The bytes of an archive item as a modder reads them: offset, hex and Latin-1 text.

#include "formats/archive.h"
#include "jobs/convert.h"

#include <cstdint>
#include <string>

namespace varnox::jobs {

struct ItemBytes {
    std::int64_t length = 0; // the item's extent; more than bytes.size() when cut at the limit
    Bytes bytes;             // its first bytes, at most the limit asked for
};

// The first limit bytes (at most) of item index's extent in archive, which model describes.
// Refuses an index outside the model and a file that cannot be read or has become shorter.
Result<ItemBytes> ReadItemBytes(const Path& archive, const ArchiveModel& model, std::size_t index,
                                std::size_t limit);

// Lines of 16 bytes as UTF-8: the offset in 8 hex digits, the bytes in hex, then as Latin-1
// text with a dot for each control byte; offsets count from first.
std::string HexDump(const Bytes& bytes, std::int64_t first = 0);

} // namespace varnox::jobs
