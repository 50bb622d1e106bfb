#include "formats/png.h"

namespace varnox {

Result<std::unique_ptr<RowSource>> OpenPngSource(const Path& path)
{
    return Error{PngError::Unsupported, path, {}, {}};
}

std::unique_ptr<RowSink> MakePngSink(AtomicFile&) { return nullptr; }

}  // namespace varnox
