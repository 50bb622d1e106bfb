#include "jobs/convert.h"

#include <algorithm>
#include <array>
#include <optional>
#include <zlib.h>

namespace varnox::jobs {

std::string StageText(TgaToGfpStage stage)
{
    switch (stage) {
    case TgaToGfpStage::Analysing: return "Analysiere tga und gfp";
    case TgaToGfpStage::Packing: return "Packe Daten";
    }
    return {};
}

namespace {

TgaToGfpResult Refused(const Path& file, std::string reason)
{
    TgaToGfpResult result;
    result.refusal = Refusal{PathText(file), std::move(reason)};
    return result;
}

// Reads the two header blocks of the target into the records; both tags are required,
// since the rewritten file carries the target's own header bytes.
std::optional<std::string> ReadTargetHeaders(Module1& module, const Path& target)
{
    InputFile file;
    if (!file.Open(target))
        return Describe(GfpError::CannotOpen) + ": " + SystemReason(file.error());
    std::array<std::uint8_t, kGfpPayloadAt> head{};
    const std::size_t got = file.ReadSomeAt(0, head);
    const auto tagAt = [&](std::size_t at) {
        return got >= at + kGfpTagSize && std::equal(kGfpTag.begin(), kGfpTag.end(), head.begin() + at);
    };
    if (!tagAt(0))
        return Describe(GfpError::FirstTag);
    const auto secondTagAt = static_cast<std::size_t>(kGfpPixelHeaderAt) - kGfpTagSize;
    if (got < secondTagAt)
        return Describe(GfpError::PictureHeader);
    if (!tagAt(secondTagAt))
        return Describe(GfpError::SecondTag);
    if (got < head.size())
        return Describe(GfpError::PixelHeader);
    std::copy_n(head.begin() + kGfpPictureHeaderAt, kGfpPictureHeaderSize,
                module.GfpPictureHeader.bytes.begin());
    std::copy_n(head.begin() + kGfpPixelHeaderAt, kGfpPixelHeaderSize, module.GfpPixelHeader.bytes.begin());
    return std::nullopt;
}

}  // namespace

TgaToGfpResult ConvertTgaToGfp(Module1& module, const Path& source, const Path& target, bool uncompressed,
                               const std::function<void(TgaToGfpStage)>& stage, const TgaProgress& progress)
{
    if (stage)
        stage(TgaToGfpStage::Analysing);
    if (auto reason = ReadTargetHeaders(module, target))
        return Refused(target, std::move(*reason));

    TgaError tgaError = TgaError::None;
    Bytes pixels = module.ReadTgaAsRgb565(source, &tgaError, progress);
    if (tgaError == TgaError::CannotOpen)
        return Refused(source, Describe(tgaError) + ": " + SystemReason(module.lastIoError));
    if (tgaError != TgaError::None)
        return Refused(source, Describe(tgaError));

    GfpPictureHeaderRecord& picture = module.GfpPictureHeader;
    GfpPixelHeaderRecord& pixel = module.GfpPixelHeader;
    const std::int32_t rawSize = static_cast<std::int32_t>(pixels.size());
    picture.setHeight(module.TgaHeader.height());
    pixel.setHeight(module.TgaHeader.height());
    picture.setWidth(module.TgaHeader.width());
    pixel.setWidth(module.TgaHeader.width());
    pixel.setBitsPerPixel(16);
    pixel.setRawSize(rawSize);

    std::array<std::uint8_t, 8> sizes{};
    if (!uncompressed) {
        pixel.setCompression(kGfpCompressionZlib);
        if (stage)
            stage(TgaToGfpStage::Packing);
        if (CompressBlock(pixels, -1) != Z_OK)
            return Refused(source, "Die Pixel können nicht gepackt werden");
        const auto streamLength = static_cast<std::int32_t>(pixels.size());
        pixel.setStoredSize(CheckedAdd32(streamLength, 8));
        PutLe32(&sizes[0], rawSize);
        PutLe32(&sizes[4], streamLength);
    } else {
        pixel.setCompression(0);
        pixel.setRawMark(1);
        pixel.setStoredSize(0);
    }

    // The old target is kept as target.bak first; both writes replace their file whole.
    Path backup = target;
    backup += ".bak";
    std::error_code ioError;
    // A target that cannot be rewritten is refused before its backup replaces an older one.
    if (!CanReplaceFile(target, ioError))
        return Refused(target, "Die Datei kann nicht geschrieben werden: " + SystemReason(ioError));
    if (!CopyFileAtomically(target, backup, ioError))
        return Refused(backup, "Die Sicherungskopie kann nicht geschrieben werden: " + SystemReason(ioError));
    const std::span<const std::uint8_t> sizeFields =
        uncompressed ? std::span<const std::uint8_t>() : std::span<const std::uint8_t>(sizes);
    if (!WriteFileAtomically(
            target,
            {kGfpTag, picture.bytes, kGfpTag, pixel.bytes, sizeFields, std::span<const std::uint8_t>(pixels)},
            ioError))
        return Refused(target, "Die Datei kann nicht geschrieben werden: " + SystemReason(ioError));

    TgaToGfpResult result;
    result.ok = true;
    return result;
}

}  // namespace varnox::jobs
