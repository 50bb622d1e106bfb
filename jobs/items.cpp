#include "jobs/items.h"

#include "formats/gfp_length.h"
#include "jobs/archive_shared.h"

#include <algorithm>

namespace varnox::jobs {

Result<std::size_t> FindItem(const ArchiveModel& model, const std::string& text)
{
    const std::size_t count = model.items.size();
    if (text.size() > 1 && text.size() <= 11 && text[0] == '#' &&
        std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const auto index = static_cast<std::size_t>(std::stoll(text.substr(1)));
        if (index < count)
            return index;
        return Error{JobError::ItemBeyond, {}, {}, {}, {text, Label(count - 1)}};
    }
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < count; ++i)
        if (Latin1ToUtf8(ItemName(model.items[i].entry)) == text)
            found.push_back(i);
    if (found.size() == 1)
        return found.front();
    if (found.empty())
        return Error{JobError::NoItemNamed, {}, {}, {}, {text}};
    std::string labels;
    for (std::size_t k = 0; k < found.size(); ++k)
        labels += (k > 0 ? ", " : "") + Label(found[k]);
    return Error{JobError::ItemsNamed, {}, {}, {}, {text, labels}};
}

Result<Bytes> ReadGfpAt(InputFile& file, std::int64_t offset, std::int64_t available)
{
    std::array<std::uint8_t, kGfpPayloadAt> head{};
    const std::size_t got = file.ReadSomeAt(offset, head);
    const Result<std::int64_t> length = MeasureGfp(std::span(head.data(), got), available);
    if (!length)
        return length.error();
    Bytes gfp(static_cast<std::size_t>(length.value()));
    if (!file.ReadAt(offset, gfp))
        return ReadFailed({}, file.error());
    return gfp;
}

std::vector<std::int64_t> ItemDataLengths(InputFile& file, const ArchiveModel& model)
{
    std::vector<std::int64_t> lengths;
    ExtractResult unused;
    lengths.reserve(model.items.size());
    for (std::size_t i = 0; i < model.items.size(); ++i)
        lengths.push_back(PlanItem(file, model, i, unused).data.length);
    return lengths;
}

std::vector<std::int64_t> ItemDataLengths(const Path& archive, const ArchiveModel& model)
{
    InputFile in;
    if (!in.Open(archive))
        return {};
    return ItemDataLengths(in, model);
}

ItemGfp ReadItemGfp(InputFile& file, const Path& archive, const ArchiveModel& model, std::size_t index)
{
    ItemGfp result;
    Error refused{JobError::NoSuchItem, archive, {}, {}};
    refused.item = Label(index);
    if (index >= model.items.size())
        return Refused<ItemGfp>(refused);
    const ArchiveItem& item = model.items[index];
    if (item.entry.itemDataType != kItemTypePicture)
        return Refused<ItemGfp>(Because(archive, JobError::NotPictureItem,
                                        {Label(index), ItemTypeLabel(item.entry.itemDataType)}));
    if (!item.inFile) {
        refused.code = ExtractError::BadItemOffset;
        return Refused<ItemGfp>(refused);
    }
    const std::int64_t offset = item.entry.itemDataOffset;
    Result<Bytes> gfp = ReadGfpAt(file, offset, file.Size() - offset);
    if (!gfp) {
        refused = gfp.error();
        refused.file = archive;
        refused.item = Label(index);
        return Refused<ItemGfp>(refused);
    }
    result.gfp = std::move(*gfp);
    return result;
}

ItemGfp ReadItemGfp(const Path& archive, const ArchiveModel& model, std::size_t index)
{
    InputFile in;
    if (!in.Open(archive))
        return Refused<ItemGfp>(Error{ResError::CannotOpen, archive, in.error(), {}});
    return ReadItemGfp(in, archive, model, index);
}

} // namespace varnox::jobs
