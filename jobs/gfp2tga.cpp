#include "formats/png.h"
#include "jobs/convert.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <new>
#include <optional>

namespace varnox::jobs {

std::string MessageText(const Refusal& refusal)
{
    return refusal.file + ": " + refusal.reason;
}

namespace {

constexpr std::int32_t kMaxTgaSize = 32767;

// The GFP name less its last 3 characters, then the new extension; empty for a name not
// ending in ".gfp", so that no other file (the source itself, say) can be taken as the
// file to write.
std::string TargetName(const std::string& gfpName, PictureFormat format)
{
    if (gfpName.size() < 4)
        return {};
    std::string ending = gfpName.substr(gfpName.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ending != ".gfp")
        return {};
    return gfpName.substr(0, gfpName.size() - 3) + (format == PictureFormat::Png ? "png" : "tga");
}

// The header checks of a GFP that can be converted; empty when it can.
std::optional<std::string> UnfitPicture(const GfpPixelHeaderRecord& gfp)
{
    if (gfp.bitsPerPixel() < 7)
        return "bitsPerPixel " + std::to_string(gfp.bitsPerPixel()) + " ist kleiner als 7 (keine ganzen Bytes je Pixel)";
    if (gfp.width() < 0 || gfp.height() < 0)
        return "Breite oder Höhe ist negativ";
    if (gfp.width() > kMaxTgaSize || gfp.height() > kMaxTgaSize)
        return "Breite oder Höhe ist größer als 32767, zu groß für eine TGA-Datei";
    return std::nullopt;
}

Refusal CannotWrite(const Path& target, const std::error_code& error)
{
    return RefusalOf(Error{IoError::CannotWrite, target, error, {}});
}

std::unique_ptr<RowSink> MakeSink(PictureFormat format, AtomicFile& file)
{
    if (format == PictureFormat::Png)
        return MakePngSink(file);
    return MakeTgaSink(file);
}

// Converts one GFP; a refusal leaves every file as it was. A damaged GFP is named before
// a target that cannot be written.
std::optional<Refusal> ConvertOne(Module1& module, const Path& source, const Path& target, PictureFormat format)
{
    GfpSource gfp;
    if (auto status = gfp.Open(source, module.GfpPictureHeader, module.GfpPixelHeader); !status)
        return RefusalOf(status.error());
    if (auto unfit = UnfitPicture(module.GfpPixelHeader)) {
        if (auto status = gfp.Drain(); !status)
            return RefusalOf(status.error());
        return Refusal{PathText(source), std::move(*unfit)};
    }
    AtomicFile file;
    if (!file.Open(target)) {
        if (auto status = gfp.Drain(); !status)
            return RefusalOf(status.error());
        return CannotWrite(target, file.error());
    }
    const std::unique_ptr<RowSink> sink = MakeSink(format, file);
    if (auto status = CopyRows(gfp, *sink); !status) {
        if (std::holds_alternative<IoError>(status.error().code))
            return CannotWrite(target, file.error() ? file.error() : status.error().system);
        Error error = status.error();
        error.file = source;
        return RefusalOf(error);
    }
    if (!file.Commit())
        return CannotWrite(target, file.error());
    if (format == PictureFormat::Tga)
        module.TgaHeader = TgaHeaderFor(static_cast<std::int16_t>(gfp.Info().width),
                                        static_cast<std::int16_t>(gfp.Info().height));
    return std::nullopt;
}

// Converts one GFP of the folder, after checking its name.
std::optional<Refusal> ConvertNamed(Module1& module, const Path& folder, const std::string& name,
                                    PictureFormat format)
{
    const Path source = folder / name;
    const std::string targetName = TargetName(name, format);
    if (targetName.empty())
        return Refusal{PathText(source), "Der Dateiname endet nicht auf .gfp"};
    try {
        return ConvertOne(module, source, folder / targetName, format);
    } catch (const std::bad_alloc&) {
        return RefusalOf(Error{IoError::OutOfMemory, source, {}, {}});
    }
}

}  // namespace

Refusal RefusalOf(const Error& error)
{
    return Refusal{PathText(error.file), Describe(error)};
}

GfpToTgaResult ConvertGfpToTga(Module1& module, const Path& folder, const std::vector<std::string>& names,
                               int first, int last, const std::function<void(int)>& select)
{
    return ConvertGfpFiles(module, folder, names, first, last, PictureFormat::Tga, select);
}

GfpToTgaResult ConvertGfpFiles(Module1& module, const Path& folder, const std::vector<std::string>& names,
                               int first, int last, PictureFormat format, const std::function<void(int)>& select)
{
    GfpToTgaResult result;
    const int count = static_cast<int>(names.size());
    for (int k = std::max(first, 0); k <= last && k < count; ++k) {
        if (select)
            select(k);
        result.lastIndex = k;
        if (auto refusal = ConvertNamed(module, folder, names[static_cast<std::size_t>(k)], format))
            result.refused.push_back(std::move(*refusal));
    }
    return result;
}

}  // namespace varnox::jobs
