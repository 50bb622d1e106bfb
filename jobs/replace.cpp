#include "jobs/archive.h"
#include "jobs/archive_shared.h"

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

// The index that text names: "#N" from 0, else the one item of that name.
std::optional<std::size_t> FindItem(const ArchiveModel& model, const std::string& text, std::string& reason)
{
    const std::size_t count = model.items.size();
    if (text.size() > 1 && text.size() <= 11 && text[0] == '#' &&
        std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const auto index = static_cast<std::size_t>(std::stoll(text.substr(1)));
        if (index < count)
            return index;
        reason = Reason(JobError::ItemBeyond, {text, Label(count - 1)});
        return std::nullopt;
    }
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < count; ++i)
        if (Latin1ToUtf8(ItemName(model.items[i].entry)) == text)
            found.push_back(i);
    if (found.size() == 1)
        return found.front();
    if (found.empty()) {
        reason = Reason(JobError::NoItemNamed, {text});
    } else {
        std::string labels;
        for (std::size_t k = 0; k < found.size(); ++k)
            labels += (k > 0 ? ", " : "") + Label(found[k]);
        reason = Reason(JobError::ItemsNamed, {text, labels});
    }
    return std::nullopt;
}

namespace {

// Reads the GFP at the start of file (both tags, payload within the file), up to its own length.
bool ReadGfp(InputFile& file, std::int64_t offset, std::int64_t available, Bytes& gfp, std::string& reason)
{
    std::array<std::uint8_t, kGfpPayloadAt> head{};
    const std::size_t got = file.ReadSomeAt(offset, head);
    const Result<std::int64_t> length = MeasureGfp(std::span(head.data(), got), available);
    if (!length) {
        reason = Describe(length.error());
        return false;
    }
    gfp.resize(static_cast<std::size_t>(length.value()));
    if (!file.ReadAt(offset, gfp)) {
        reason = CannotRead(file.error());
        return false;
    }
    return true;
}

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
        result.refusal = RefusalOf(Error{parsed.error().code, pictureFile, {}, {}});
        return result;
    }
    GfpHead& head = *parsed;
    const bool png = PictureKindOf(pictureFile) == PictureKind::Png;
    TgaHeaderRecord tgaHeader;
    auto source = png ? OpenPngSource(pictureFile, in) : OpenTgaSource(pictureFile, &tgaHeader, in);
    if (!source) {
        result.refusal = RefusalOf(source.error());
        return result;
    }
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
            result.refusal = RefusalOf(error);
            return result;
        }
    } catch (const std::bad_alloc&) {
        result.refusal = RefusalOf(Error{IoError::OutOfMemory, pictureFile, {}, {}});
        return result;
    }
    result.records.gfpHead = head;
    result.ok = true;
    return result;
}

std::vector<std::int64_t> ItemDataLengths(const Path& archive, const ArchiveModel& model)
{
    std::vector<std::int64_t> lengths;
    InputFile in;
    if (!in.Open(archive))
        return lengths;
    ExtractResult unused;
    lengths.reserve(model.items.size());
    for (std::size_t i = 0; i < model.items.size(); ++i)
        lengths.push_back(PlanItem(in, model, i, unused).data.length);
    return lengths;
}

ItemGfp ReadItemGfp(const Path& archive, const ArchiveModel& model, std::size_t index)
{
    ItemGfp result;
    if (index >= model.items.size()) {
        result.refusal = Because(archive, Label(index) + ": " + Reason(JobError::NoSuchItem));
        return result;
    }
    const ArchiveItem& item = model.items[index];
    if (item.entry.itemDataType != kItemTypePicture) {
        result.refusal = Because(archive, JobError::NotPictureItem,
                                 {Label(index), ItemTypeLabel(item.entry.itemDataType)});
        return result;
    }
    if (!item.inFile) {
        result.refusal = Because(archive, Label(index) + ": " + Describe(ExtractError::BadItemOffset));
        return result;
    }
    InputFile in;
    if (!in.Open(archive)) {
        result.refusal = RefusalOf(Error{ResError::CannotOpen, archive, in.error(), {}});
        return result;
    }
    std::string reason;
    const std::int64_t offset = item.entry.itemDataOffset;
    if (!ReadGfp(in, offset, in.Size() - offset, result.gfp, reason)) {
        result.gfp.clear();
        result.refusal = Because(archive, Label(index) + ": " + reason);
        return result;
    }
    result.ok = true;
    return result;
}

namespace {

// The GFP that takes the item's place into data: picture as it is when it is a GFP, else
// converted into the item's own head; the refusal when neither can be had.
std::optional<ReplaceResult> NewItemData(const Path& archive, const Path& picture, InputFile& in,
                                         const ArchiveModel& model, std::size_t index, GfpPacking packing,
                                         Bytes& data, ReadRecords& records)
{
    const ArchiveItem& item = model.items[index];
    std::string reason;
    InputFile source;
    if (!source.Open(picture))
        return Refused<ReplaceResult>(picture, Describe(Error{ResError::CannotOpen, {}, source.error(), {}}));
    std::array<std::uint8_t, kGfpTagSize> tag{};
    if (source.ReadSomeAt(0, tag) == tag.size() && tag == kGfpTag) {
        if (!ReadGfp(source, 0, source.Size(), data, reason))
            return Refused<ReplaceResult>(picture, reason);
        // Taken as it is, so zlib itself must read it as the game will.
        if (auto status = CheckGfpPixels(source, 0, static_cast<std::int64_t>(data.size())); !status)
            return Refused<ReplaceResult>(picture, Describe(status.error()));
        return std::nullopt;
    }
    Bytes itemGfp;
    const std::int64_t offset = item.entry.itemDataOffset;
    if (!item.inFile || !ReadGfp(in, offset, model.fileSize - offset, itemGfp, reason))
        return Refused<ReplaceResult>(
            archive, Label(index) + ": " +
                         Reason(JobError::DamagedItemHead,
                                {item.inFile ? reason : Describe(ExtractError::BadItemOffset)}));
    ItemGfp converted = ConvertPictureIntoItemGfp(itemGfp, picture, packing);
    Overlay(records, converted.records);
    if (!converted.ok) {
        ReplaceResult result;
        result.refusal = converted.refusal;
        return result;
    }
    data = std::move(converted.gfp);
    return std::nullopt;
}

ReplaceResult ReplaceItemIn(const Path& archive, const std::string& itemText, const Path& picture,
                            GfpPacking packing, const WriteGuard& guard, ReadRecords& records)
{
    // Held from the read to the rename, so that no other writer's update is lost.
    Rewrite rewrite;
    rewrite.SetBackup(guard.backup);
    if (!rewrite.Begin(archive) || (guard.expected && !rewrite.Expect(*guard.expected))) {
        ReplaceResult result;
        result.refusal = RewriteRefusal(rewrite, archive);
        return result;
    }
    ArchiveModel model;
    Module1 module;
    if (auto status = ReadArchive(module, rewrite.Target(), model); !status)
        return Refused<ReplaceResult>(archive, ArchiveReason(status));
    records = ArchiveRecords(module);
    std::string reason;
    const std::optional<std::size_t> found = FindItem(model, itemText, reason);
    if (!found)
        return Refused<ReplaceResult>(archive, reason);
    const std::size_t index = *found;
    const ArchiveItem& item = model.items[index];
    if (item.entry.itemDataType != kItemTypePicture)
        return Refused<ReplaceResult>(
            archive,
            Reason(JobError::NotPictureItem, {Label(index), ItemTypeLabel(item.entry.itemDataType)}));
    InputFile in;
    if (!in.Open(rewrite.Target()))
        return Refused<ReplaceResult>(archive,
                                      ArchiveReason(Error{ResError::CannotOpen, archive, in.error(), {}}));

    Bytes data;
    if (std::optional<ReplaceResult> refused =
            NewItemData(archive, picture, in, model, index, packing, data, records))
        return std::move(*refused);

    ReplaceResult result;
    result.index = static_cast<std::int32_t>(index);
    const auto length = static_cast<std::int64_t>(data.size());
    result.inPlace = item.inFile && !item.shared && !model.OverlapsTables(index) && length <= item.extent;
    const std::int64_t at = result.inPlace ? item.entry.itemDataOffset : model.fileSize;
    if (at > INT32_MAX)
        return Refused<ReplaceResult>(archive, Reason(JobError::ArchiveTooLarge));
    result.offset = static_cast<std::int32_t>(at);

    AtomicFile& out = rewrite.File();
    if (!CopyInto(in, model.fileSize, out) && !out.error())
        return Refused<ReplaceResult>(archive, CannotRead(in.error()));
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
        return Refused<ReplaceResult>(archive, CannotWrite(out.error()));
    if (!rewrite.Commit()) {
        result.refusal = RewriteRefusal(rewrite, archive);
        return result;
    }
    result.ok = true;
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
