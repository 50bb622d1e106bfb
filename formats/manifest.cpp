#include "formats/manifest.h"
#include "formats/manifest_words.h"

namespace varnox {

std::string SidePictureFile(const std::string& gfpFile, bool png)
{
    constexpr std::string_view kGfp = ".gfp";
    if (gfpFile.size() <= kGfp.size() || FoldNameCase(gfpFile.substr(gfpFile.size() - kGfp.size())) != kGfp)
        return {};
    return gfpFile.substr(0, gfpFile.size() - kGfp.size()) + (png ? ".png" : ".tga");
}

std::optional<NameField> NameFieldFromFile(std::string_view file, std::int32_t type)
{
    const std::string extension = TypeExtension(type);
    if (file.size() >= extension.size() && file.substr(file.size() - extension.size()) == extension)
        file.remove_suffix(extension.size());
    const auto points = DecodeUtf8(file);
    if (!points)
        return std::nullopt;
    return NameFieldOf(*points);
}

} // namespace varnox
