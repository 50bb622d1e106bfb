#include "jobs/archive.h"
#include "jobs/archive_shared.h"
#include "jobs/items.h"

#include "formats/gfp_length.h"
#include "formats/picture.h"
#include "formats/png.h"
#include "jobs/report.h"
#include "jobs/sidepicture.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace varnox::jobs {

namespace {

// Copies the first size bytes of in to out, a mebibyte at a time.
bool CopyInto(InputFile& in, std::int64_t size, AtomicFile& out)
{
    Bytes chunk;
    return CopyRange(in, {0, size}, out, chunk);
}

} // namespace

ItemGfp ConvertPictureIntoItemGfp(const Bytes& itemGfp, const Path& pictureFile, GfpPacking packing,
                                  const Folder* in)
{
    ItemGfp result;
    // The item's own head is kept, as tga2gfp keeps the target's.
    auto parsed = ParseGfpHead(itemGfp);
    if (!parsed) {
        return Refused<ItemGfp>(Error{parsed.error().code, pictureFile, {}, {}});
    }
    GfpHead& head = *parsed;
    const bool png = PictureKindOf(pictureFile) == PictureKind::Png;
    TgaHeaderRecord tgaHeader;
    auto source = png ? OpenPngSource(pictureFile, in) : OpenTgaSource(pictureFile, &tgaHeader, in);
    if (!source)
        return Refused<ItemGfp>(source.error());
    if (!png)
        result.records.tgaHeader = tgaHeader;
    const auto write = [&result](std::int64_t at, std::span<const std::uint8_t> bytes) {
        const auto end = static_cast<std::size_t>(at) + bytes.size();
        if (result.gfp.size() < end)
            result.gfp.resize(end);
        std::copy(bytes.begin(), bytes.end(), result.gfp.begin() + at);
        return true;
    };
    try {
        if (auto status = WriteGfp(write, head, **source, packing); !status) {
            Error error = status.error();
            error.file = pictureFile;
            result.status = error;
            return result;
        }
    } catch (const std::bad_alloc&) {
        return Refused<ItemGfp>(Error{IoError::OutOfMemory, pictureFile, {}, {}});
    }
    result.records.gfpHead = head;
    return result;
}

namespace {

// The GFP that takes the item's place into data: picture as it is when it is a GFP, else
// converted into the item's own head.
Result<Bytes> NewItemData(const Path& archive, const Path& picture, InputFile& in, const ArchiveModel& model,
                          std::size_t index, GfpPacking packing, ReadRecords& records)
{
    const ArchiveItem& item = model.items[index];
    InputFile source;
    if (!source.Open(picture))
        return Error{ResError::CannotOpen, picture, source.error(), {}};
    std::array<std::uint8_t, kGfpTagSize> tag{};
    if (source.ReadSomeAt(0, tag) == tag.size() && tag == kGfpTag) {
        Result<Bytes> data = ReadGfpAt(source, 0, source.Size());
        if (!data)
            return OnFile(data.error(), picture);
        // Taken as it is, so zlib itself must read it as the game will.
        if (auto status = CheckGfpPixels(source, 0, static_cast<std::int64_t>(data->size())); !status)
            return OnFile(status.error(), picture);
        return data;
    }
    const std::int64_t offset = item.entry.itemDataOffset;
    Result<Bytes> itemGfp = item.inFile ? ReadGfpAt(in, offset, model.fileSize - offset)
                                        : Result<Bytes>(Error{ExtractError::BadItemOffset, {}, {}, {}});
    if (!itemGfp) {
        Error damaged = WithCause(Because(archive, JobError::DamagedItemHead), itemGfp.error());
        damaged.item = Label(index);
        return damaged;
    }
    ItemGfp converted = ConvertPictureIntoItemGfp(*itemGfp, picture, packing);
    Overlay(records, converted.records);
    if (!converted.status)
        return converted.status.error();
    return std::move(converted.gfp);
}

ReplaceResult ReplaceItemIn(const Path& archive, const std::string& itemText, const Path& picture,
                            GfpPacking packing, const WriteGuard& guard, ReadRecords& records)
{
    // Held from the read to the rename, so that no other writer's update is lost.
    Rewrite rewrite;
    rewrite.SetBackup(guard.backup);
    if (!rewrite.Begin(archive) || (guard.expected && !rewrite.Expect(*guard.expected)))
        return Refused<ReplaceResult>(RewriteError(rewrite, archive));
    ArchiveModel model;
    Module1 module;
    if (auto status = ReadArchive(module, rewrite.Target(), model); !status)
        return Refused<ReplaceResult>(ArchiveError(status.error()));
    records = ArchiveRecords(module);
    const Result<std::size_t> found = FindItem(model, itemText);
    if (!found)
        return Refused<ReplaceResult>(OnFile(found.error(), archive));
    const std::size_t index = *found;
    const ArchiveItem& item = model.items[index];
    if (item.entry.itemDataType != kItemTypePicture)
        return Refused<ReplaceResult>(Because(archive, JobError::NotPictureItem,
                                              {Label(index), ItemTypeLabel(item.entry.itemDataType)}));
    InputFile in;
    if (!in.Open(rewrite.Target()))
        return Refused<ReplaceResult>(ArchiveError(Error{ResError::CannotOpen, archive, in.error(), {}}));

    Result<Bytes> made = NewItemData(archive, picture, in, model, index, packing, records);
    if (!made)
        return Refused<ReplaceResult>(made.error());
    const Bytes& data = *made;

    ReplaceResult result;
    result.index = static_cast<std::int32_t>(index);
    const auto length = static_cast<std::int64_t>(data.size());
    result.inPlace = item.inFile && !item.shared && !model.OverlapsTables(index) && length <= item.extent;
    const std::int64_t at = result.inPlace ? item.entry.itemDataOffset : model.fileSize;
    if (at > INT32_MAX)
        return Refused<ReplaceResult>(Because(archive, JobError::ArchiveTooLarge));
    result.offset = static_cast<std::int32_t>(at);

    AtomicFile& out = rewrite.File();
    if (!CopyInto(in, model.fileSize, out) && !out.error())
        return Refused<ReplaceResult>(ReadFailed(archive, in.error()));
    out.WriteAt(at, data);
    if (result.inPlace) {
        const Bytes zeros(static_cast<std::size_t>(std::min<std::int64_t>(item.extent - length, kChunk)), 0);
        for (std::int64_t from = at + length; from < at + item.extent;) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(at + item.extent - from, kChunk));
            out.WriteAt(from, std::span(zeros.data(), n));
            from += static_cast<std::int64_t>(n);
        }
    } else {
        std::array<std::uint8_t, 4> entry{};
        PutLe32(entry.data(), result.offset);
        out.WriteAt(model.tables.offset + static_cast<std::int64_t>(index * kResEntrySize) + 4, entry);
    }
    if (out.error())
        return Refused<ReplaceResult>(WriteFailed(archive, out.error()));
    if (!rewrite.Commit())
        return Refused<ReplaceResult>(RewriteError(rewrite, archive));
    result.written = rewrite.Identity();
    return result;
}

} // namespace

ReplaceResult ReplaceItem(const Path& archive, const std::string& item, const Path& picture,
                          GfpPacking packing, const WriteGuard& guard)
{
    ReadRecords records;
    ReplaceResult result = ReplaceItemIn(archive, item, picture, packing, guard, records);
    result.records = std::move(records);
    return result;
}

} // namespace varnox::jobs
