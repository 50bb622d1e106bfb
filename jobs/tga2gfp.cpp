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

TgaToGfpResult CancelledResult()
{
    TgaToGfpResult result;
    result.cancelled = true;
    return result;
}

// Deflates pixels at the default level into file from the stream's offset on, a chunk at
// a time, telling job the pixel bytes taken; the stream's length, or -1 when packing or
// writing failed (file.error() tells which) or job was cancelled.
std::int64_t DeflateInto(AtomicFile& file, std::span<const std::uint8_t> pixels, JobProgress* job)
{
    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK)
        return -1;
    Bytes chunk(std::min<std::size_t>(1024 * 1024, deflateBound(&z, static_cast<uLong>(pixels.size()))));
    z.next_in = const_cast<Bytef*>(pixels.data());  // zlib does not write through it
    z.avail_in = static_cast<uInt>(pixels.size());
    std::int64_t at = kGfpStreamAt;
    int code = Z_OK;
    while (code == Z_OK) {
        z.next_out = chunk.data();
        z.avail_out = static_cast<uInt>(chunk.size());
        code = deflate(&z, Z_FINISH);
        const std::size_t produced = chunk.size() - z.avail_out;
        if ((code == Z_OK || code == Z_STREAM_END) && produced > 0 &&
            !file.WriteAt(at, std::span<const std::uint8_t>(chunk.data(), produced)))
            code = Z_ERRNO;
        at += static_cast<std::int64_t>(produced);
        if (job != nullptr) {
            job->SetDone(static_cast<std::int64_t>(z.total_in));
            if (code == Z_OK && job->Cancelled())
                code = Z_ERRNO;
        }
    }
    deflateEnd(&z);
    return code == Z_STREAM_END ? at - kGfpStreamAt : -1;
}

}  // namespace

TgaToGfpResult ConvertTgaToGfp(Module1& module, const Path& source, const Path& target, bool uncompressed,
                               const std::function<void(TgaToGfpStage)>& stage, const TgaProgress& progress,
                               JobProgress* job)
{
    if (stage)
        stage(TgaToGfpStage::Analysing);
    if (Cancelled(job))
        return CancelledResult();
    if (auto reason = ReadTargetHeaders(module, target))
        return Refused(target, std::move(*reason));

    // The reader has filled TgaHeader when it tells the first row.
    TgaProgress rows = progress;
    if (job != nullptr)
        rows = [&module, &progress, job](int row, bool done) {
            if (row == 1 && !done)
                job->Start(module.TgaHeader.height());
            job->SetDone(row);
            if (progress)
                progress(row, done);
        };
    TgaError tgaError = TgaError::None;
    Bytes pixels = module.ReadTgaAsRgb565(source, &tgaError, rows);
    if (Cancelled(job))
        return CancelledResult();
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

    // The new file is written under a temporary name first: the pixels (packed a chunk at
    // a time, so that no second picture-sized buffer is made), then the headers in front.
    // Only when the old target is kept as target.bak does the new file replace it.
    AtomicFile file;
    if (!file.Open(target))
        return Refused(target, "Die Datei kann nicht geschrieben werden: " + SystemReason(file.error()));
    std::array<std::uint8_t, kGfpStreamAt> head{};
    std::size_t headLength = kGfpPayloadAt;
    if (!uncompressed) {
        pixel.setCompression(kGfpCompressionZlib);
        if (stage)
            stage(TgaToGfpStage::Packing);
        if (job != nullptr)
            job->Start(static_cast<std::int64_t>(pixels.size()));
        const std::int64_t streamLength = DeflateInto(file, pixels, job);
        if (Cancelled(job))
            return CancelledResult();
        if (streamLength < 0 && !file.error())
            return Refused(source, "Die Pixel können nicht gepackt werden");
        if (streamLength >= 0) {
            pixel.setStoredSize(CheckedAdd32(static_cast<std::int32_t>(streamLength), 8));
            PutLe32(&head[kGfpPayloadAt], rawSize);
            PutLe32(&head[kGfpPayloadAt + 4], static_cast<std::int32_t>(streamLength));
            headLength = kGfpStreamAt;
        }
    } else {
        pixel.setCompression(0);
        pixel.setRawMark(1);
        pixel.setStoredSize(0);
        file.WriteAt(kGfpPayloadAt, pixels);
    }
    std::copy(kGfpTag.begin(), kGfpTag.end(), head.begin());
    std::copy(picture.bytes.begin(), picture.bytes.end(), head.begin() + kGfpPictureHeaderAt);
    std::copy(kGfpTag.begin(), kGfpTag.end(), head.begin() + (kGfpPixelHeaderAt - kGfpTagSize));
    std::copy(pixel.bytes.begin(), pixel.bytes.end(), head.begin() + kGfpPixelHeaderAt);
    file.WriteAt(0, std::span<const std::uint8_t>(head.data(), headLength));
    if (file.error())
        return Refused(target, "Die Datei kann nicht geschrieben werden: " + SystemReason(file.error()));

    // The last point at which a cancel leaves every file as it was.
    if (Cancelled(job))
        return CancelledResult();
    Path backup = target;
    backup += ".bak";
    std::error_code ioError;
    if (!CopyFileAtomically(target, backup, ioError))
        return Refused(backup, "Die Sicherungskopie kann nicht geschrieben werden: " + SystemReason(ioError));
    if (!file.Commit())
        return Refused(target, "Die Datei kann nicht geschrieben werden: " + SystemReason(file.error()));

    TgaToGfpResult result;
    result.ok = true;
    return result;
}

}  // namespace varnox::jobs
