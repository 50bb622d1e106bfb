#include "jobs/archive_shared.h"

#include "formats/describe.h"
#include "formats/gfp_length.h"
#include "formats/text.h"
#include "jobs/report.h"

#include <algorithm>
#include <libdeflate.h>

namespace varnox::jobs {

Error Because(const Path& file, JobError code, std::vector<std::string> args)
{
    return Error{code, file, {}, {}, std::move(args)};
}

std::string Reason(JobError code, std::vector<std::string> args)
{
    return Describe(Error{code, {}, {}, {}, std::move(args)});
}

Error WriteFailed(const Path& file, const std::error_code& error)
{
    return Error{IoError::CannotWrite, file, error, {}};
}

Error ReadFailed(const Path& file, const std::error_code& error)
{
    return Error{IoError::CannotRead, file, error ? error : std::make_error_code(std::errc::io_error), {}};
}

Error ArchiveError(Error error)
{
    if (CodeOf<ResError>(Status(error)) == ResError::NotRes)
        error = Error{JobError::NotResArchive, error.file, {}, {}};
    return error;
}

std::string Label(std::size_t index)
{
    return "#" + std::to_string(index);
}

Error RewriteError(const Rewrite& rewrite, const Path& archive)
{
    switch (rewrite.fault()) {
    case Rewrite::Fault::Busy: return Because(archive, JobError::ArchiveBusy);
    case Rewrite::Fault::Changed: return Because(archive, JobError::ArchiveChanged);
    case Rewrite::Fault::Open: return ArchiveError(Error{ResError::CannotOpen, archive, rewrite.error(), {}});
    case Rewrite::Fault::Backup:
        return Error{IoError::CannotBackUp, rewrite.BackupPath(), rewrite.error(), {}};
    case Rewrite::Fault::None:
    case Rewrite::Fault::Write: break;
    }
    return WriteFailed(archive, rewrite.error());
}

std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> bytes)
{
    // libdeflate answers 0 for no bytes at null, whatever the sum so far.
    return bytes.empty() ? crc : ::libdeflate_crc32(crc, bytes.data(), bytes.size());
}

bool CopyRange(InputFile& in, const ByteRange& range, AtomicFile& out, Bytes& chunk, std::uint32_t* crc)
{
    if (crc != nullptr)
        *crc = 0;
    chunk.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(range.length, 0, kChunk)));
    for (std::int64_t at = range.offset; at < range.end();) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(range.end() - at, kChunk));
        const std::span<std::uint8_t> piece(chunk.data(), n);
        if (!in.ReadAt(at, piece) || !out.Write({piece}))
            return false;
        if (crc != nullptr)
            *crc = Crc32(*crc, piece);
        at += static_cast<std::int64_t>(n);
    }
    return true;
}

// The bytes an item's file gets: a picture's own GFP length (as unpack copies it) or, for a
// damaged picture and every other type, its extent.
ItemPlan PlanItem(InputFile& file, const ArchiveModel& model, std::size_t index, ExtractResult& result)
{
    const ArchiveItem& item = model.items[index];
    const std::int64_t offset = item.entry.itemDataOffset;
    ItemPlan plan;
    plan.data = {offset, item.extent};
    plan.owner = index;
    if (!item.inFile) {
        plan.data.length = 0;
        result.notKept.push_back(Label(index) + ": " + Describe(ExtractError::BadItemOffset));
        return plan;
    }
    if (item.entry.itemDataType != kItemTypePicture)
        return plan;
    std::array<std::uint8_t, kGfpPayloadAt> head{};
    const std::size_t got = file.ReadSomeAt(offset, head);
    const Result<std::int64_t> length = MeasureGfp(std::span(head.data(), got), model.fileSize - offset);
    if (!length) {
        result.notes.push_back(Label(index) + ": " +
                               Reason(JobError::RawPicture, {Describe(length.error())}));
    } else if (length.value() > item.extent) {
        plan.data.length = length.value();
        result.notKept.push_back(Label(index) + ": " + Reason(JobError::PictureIntoNext));
    } else {
        plan.data.length = length.value();
        plan.fill = item.extent - length.value();
    }
    return plan;
}

} // namespace varnox::jobs
