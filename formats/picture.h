#pragma once
// Any picture file the tool reads, as a source of rows: GFP, TGA or PNG by its extension.

#include "fileio/fileio.h"
#include "formats/rows.h"

#include <memory>

namespace varnox {

enum class PictureKind { Gfp, Tga, Png, Other };

// The kind a file name's extension says (".gfp", ".tga", ".png", in any case).
PictureKind PictureKindOf(const Path& path);

// Opens the picture as a source of rows, by its extension.
// With in given, path names a file of that held folder, opened without following a link.
Result<std::unique_ptr<RowSource>> OpenPictureSource(const Path& path, const Folder* in = nullptr);

} // namespace varnox
