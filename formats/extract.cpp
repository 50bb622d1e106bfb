#include "formats/archive.h"
#include "formats/gfp_length.h"
#include "formats/module1.h"
#include "formats/text.h"

#include <algorithm>
#include <cstring>

namespace varnox {

namespace {

// What a refused head means for an item: a head cut short (the second tag included) is
// truncated.
ExtractError HeadRefusal(GfpError code, std::size_t got)
{
    if (code == GfpError::FirstTag)
        return ExtractError::NoTag;
    if (code == GfpError::SecondTag && got >= static_cast<std::size_t>(kGfpPixelHeaderAt))
        return ExtractError::NoSecondTag;
    return ExtractError::HeaderTruncated;
}

Status Refused(ExtractError code, const Path& archive, std::error_code system = {})
{
    return Error{code, archive, system, {}};
}

} // namespace

Status Module1::ExtractItem(const Path& archive, FolderOnFirstUse& unpackFolder, std::int16_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= ResItems.size())
        return Refused(ExtractError::NoSuchItem, archive);
    const ResItem& item = ResItems[static_cast<std::size_t>(index)];
    const std::string_view name = ItemName(item);
    // The file is the name with ".gfp" appended, so an empty name still makes one of its own;
    // "\" is refused as in every item name. Control characters have a refusal of their own.
    if (!name.empty() && (!IsPlainFileName(name) || name.find('\\') != std::string_view::npos))
        return Refused(ExtractError::UnsafeName, archive);
    if (HasControlCharacter(name))
        return Refused(ExtractError::ControlCharacter, archive);

    InputFile file;
    if (!file.Open(archive))
        return Refused(ExtractError::CannotOpenArchive, archive, file.error());
    const std::int64_t offset = item.itemDataOffset;
    if (offset < 0 || offset >= file.Size())
        return Refused(ExtractError::BadItemOffset, archive);

    GfpHeadBytes head{};
    const std::size_t got = file.ReadSomeAt(offset, head);
    if (auto status = ParseGfpBlocks(std::span(head.data(), got), GfpPictureHeader, GfpPixelHeader); !status)
        return Refused(HeadRefusal(CodeOf<GfpError>(status), got), archive);

    const std::optional<std::int32_t> payloadLength = GfpPayloadLength(GfpPixelHeader);
    if (!payloadLength)
        return Refused(ExtractError::PayloadLength, archive);
    const std::int32_t length = *payloadLength;
    if (offset + kGfpPayloadAt + length > file.Size())
        return Refused(ExtractError::PayloadPastEnd, archive);

    Bytes payload(static_cast<std::size_t>(length));
    if (!file.ReadAt(offset + kGfpPayloadAt, payload))
        return Refused(ExtractError::PayloadPastEnd, archive, file.error());
    file.Close();

    const Folder* folder = unpackFolder.Get();
    if (folder == nullptr) {
        if (unpackFolder.error() == std::errc::invalid_argument)
            return Refused(ExtractError::FolderName, archive);
        if (unpackFolder.error() == std::errc::not_a_directory)
            return Refused(ExtractError::FolderNotReal, archive);
        return Refused(ExtractError::WriteFailed, archive, unpackFolder.error());
    }
    PutGfpHead(GfpPictureHeader, GfpPixelHeader, head);
    AtomicFile out;
    if (!out.Open(*folder, Latin1ToUtf8(name) + ".gfp") || !out.Write({head, payload}) ||
        !out.Commit(Flush::ByCaller))
        return Refused(ExtractError::WriteFailed, archive, out.error());
    return {};
}

} // namespace varnox
