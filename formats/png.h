#pragma once
// PNG pictures: read as rows of 24-bit RGB, written as 24-bit RGB.

#include "formats/rows.h"

#include <memory>

namespace varnox {

// Opens a PNG as a source of Rgb24 rows, top row first.
Result<std::unique_ptr<RowSource>> OpenPngSource(const Path& path);

// A sink writing a 24-bit RGB PNG into file; the file is not committed.
std::unique_ptr<RowSink> MakePngSink(AtomicFile& file);

}  // namespace varnox
