#pragma once
// PNG pictures through libspng: a source that yields a PNG's rows as 24-bit RGB one at a
// time, and a sink that writes 24-bit RGB PNGs row by row.

#include "fileio/fileio.h"
#include "formats/rows.h"

#include <cstdint>
#include <memory>

namespace varnox {

// Largest width or height of a PNG read here, as for TGA and GFP pictures.
constexpr std::int32_t kMaxPngSide = 32767;

// Opens a PNG of any colour type and depth for reading its rows as Rgb24, top row first:
// 16-bit channels keep their high byte, grey and palette pictures are widened, alpha and
// tRNS are dropped, not composited. Refuses a file without the PNG signature, a zero or
// too large size (before any large allocation), and a damaged one, with libspng's reason.
// An interlaced picture holds its even rows (3 x width x height / 2 bytes) until its last
// pass yields the odd ones; any other picture holds a few rows only.
// With in given, path names a file of that held folder, opened without following a link.
Result<std::unique_ptr<RowSource>> OpenPngSource(const Path& path, const Folder* in = nullptr);

// A sink writing a 24-bit RGB PNG into file, which the caller opened and commits.
std::unique_ptr<RowSink> MakePngSink(AtomicFile& file);

} // namespace varnox
