#include "formats/picture.h"
#include "formats/gfp.h"
#include "formats/png.h"
#include "formats/tga.h"

#include <algorithm>
#include <cctype>

namespace varnox {

PictureKind PictureKindOf(const Path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".gfp")
        return PictureKind::Gfp;
    if (extension == ".tga")
        return PictureKind::Tga;
    if (extension == ".png")
        return PictureKind::Png;
    return PictureKind::Other;
}

Result<std::unique_ptr<RowSource>> OpenPictureSource(const Path& path, const Folder* in)
{
    switch (PictureKindOf(path)) {
    case PictureKind::Gfp: return OpenGfpSource(path, nullptr, in);
    case PictureKind::Tga: return OpenTgaSource(path, nullptr, in);
    case PictureKind::Png: return OpenPngSource(path, in);
    case PictureKind::Other: break;
    }
    return Error{TgaError::ImageType, path, {}, {}};
}

} // namespace varnox
