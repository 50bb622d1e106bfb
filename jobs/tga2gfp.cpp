#include "formats/picture.h"
#include "formats/png.h"
#include "formats/text.h"
#include "jobs/convert.h"

#include <new>

namespace varnox::jobs {

std::string StageText(TgaToGfpStage stage)
{
    switch (stage) {
    case TgaToGfpStage::Analysing: return Translate(QT_TRANSLATE_NOOP("Varnox", "Analysiere tga und gfp"));
    case TgaToGfpStage::Packing: return Translate(QT_TRANSLATE_NOOP("Varnox", "Packe Daten"));
    }
    return {};
}

namespace {

TgaToGfpResult Refused(Error error)
{
    TgaToGfpResult result;
    result.status = std::move(error);
    return result;
}

// The refusal of a rewrite of target that did not go through.
TgaToGfpResult RewriteRefused(const Rewrite& rewrite, const Path& target)
{
    switch (rewrite.fault()) {
    case Rewrite::Fault::Open: return Refused(Error{IoError::CannotOpen, target, rewrite.error(), {}});
    case Rewrite::Fault::Busy: return Refused(Error{IoError::Busy, target, {}, {}});
    case Rewrite::Fault::Changed: return Refused(Error{IoError::Changed, target, {}, {}});
    case Rewrite::Fault::Backup:
        return Refused(Error{IoError::CannotBackUp, rewrite.BackupPath(), rewrite.error(), {}});
    case Rewrite::Fault::None:
    case Rewrite::Fault::Write: break;
    }
    return Refused(Error{IoError::CannotWrite, target, rewrite.error(), {}});
}

TgaToGfpResult CancelledResult(const Path& target)
{
    TgaToGfpResult result = Refused(Error{IoError::Cancelled, target, {}, {}});
    result.cancelled = true;
    return result;
}

void SetStage(JobProgress* job, TgaToGfpStage stage)
{
    if (job != nullptr)
        job->SetStage(static_cast<int>(stage));
}

TgaToGfpResult ConvertInto(const Path& source, PictureFormat format, const Path& target, GfpPacking packing,
                           JobProgress* job, const WriteGuard& guard, ReadRecords& records)
{
    SetStage(job, TgaToGfpStage::Analysing);
    if (Cancelled(job))
        return CancelledResult(target);
    // Held from reading the target's head to the rename, so that no other writer's update is lost.
    Rewrite rewrite;
    rewrite.SetBackup(guard.backup);
    if (!rewrite.Begin(target) || (guard.expected && !rewrite.Expect(*guard.expected)))
        return RewriteRefused(rewrite, target);
    // Both tags are required, since the rewritten file carries the target's own header bytes.
    auto head = ReadGfpHead(rewrite.Target());
    if (!head)
        return Refused(head.error());
    records.gfpHead = *head;

    TgaHeaderRecord tgaHeader;
    auto opened = format == PictureFormat::Png ? OpenPngSource(source) : OpenTgaSource(source, &tgaHeader);
    if (!opened)
        return Refused(opened.error());
    if (format == PictureFormat::Tga)
        records.tgaHeader = tgaHeader;
    RowSource& picture = **opened;

    // The new file is written aside first, the rows packed as they are read, then the
    // headers in front. Only when the old target is kept as target.bak does the new file
    // replace it.
    AtomicFile& file = rewrite.File();
    if (packing != GfpPacking::Uncompressed)
        SetStage(job, TgaToGfpStage::Packing);
    const std::int32_t height = picture.Info().height;
    if (job != nullptr)
        job->Start(height);
    const auto rowDone = [&](std::int32_t row) {
        if (job != nullptr)
            job->SetDone(row);
        return !Cancelled(job);
    };
    const auto write = [&file](std::int64_t at, std::span<const std::uint8_t> bytes) {
        return file.WriteAt(at, bytes);
    };
    if (auto status = WriteGfp(write, *head, picture, packing, rowDone); !status) {
        if (status.error().code == ErrorCode{IoError::Cancelled})
            return CancelledResult(target);
        if (file.error())
            return Refused(Error{IoError::CannotWrite, target, file.error(), {}});
        Error error = status.error();
        if (error.file.empty())
            error.file = source;
        return Refused(error);
    }
    if (Cancelled(job))
        return CancelledResult(target);

    // A repeated conversion leaves the file and the backup of the original as they are.
    if (!rewrite.Commit())
        return RewriteRefused(rewrite, target);
    Wrote(job, target);
    TgaToGfpResult result;
    result.written = rewrite.Identity();
    return result;
}

} // namespace

TgaToGfpResult ConvertPictureToGfp(const Path& source, PictureFormat format, const Path& target,
                                   GfpPacking packing, JobProgress* progress, const WriteGuard& guard)
{
    ReadRecords records;
    TgaToGfpResult result;
    try {
        result = ConvertInto(source, format, target, packing, progress, guard, records);
    } catch (const std::bad_alloc&) {
        result = Refused(Error{IoError::OutOfMemory, source, {}, {}});
    }
    result.records = std::move(records);
    return result;
}

} // namespace varnox::jobs
