#include "formats/module1.h"
#include "formats/text.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace varnox {

std::string ItemTypeLabel(std::int32_t code)
{
    const char* text = "unbekannt";
    switch (code) {
    case 14: text = "Grafik"; break;
    case 16: text = "Sound"; break;
    case 17: text = "Schrift"; break;
    case 40: text = "Sprite"; break;
    default: break;
    }
    return std::string(text) + "(" + std::to_string(code) + ")";
}

std::string_view ItemName(const ResItem& item)
{
    const auto* begin = reinterpret_cast<const char*>(item.itemName.data());
    const void* nul = std::memchr(begin, 0, item.itemName.size());
    const std::size_t length = nul != nullptr
                                   ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin)
                                   : item.itemName.size();
    return {begin, length};
}

std::string Latin1ToUtf8(std::string_view latin1)
{
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

namespace {

Status Refused(ResError code, const Path& path, std::error_code system = {})
{
    return Error{code, path, system, {}};
}

} // namespace

Status Module1::IsResFile(const Path& path)
{
    InputFile file;
    if (!file.Open(path))
        return Refused(ResError::CannotOpen, path, file.error());
    return IsResFile(file, path);
}

Status Module1::IsResFile(InputFile& file, const Path& path)
{
    std::array<std::uint8_t, 4> magic{};
    if (!file.ReadAt(0, magic) || std::memcmp(magic.data(), "RESF", 4) != 0)
        return Refused(ResError::NotRes, path);
    return {};
}

Status Module1::ReadResHeader(const Path& path)
{
    InputFile file;
    if (!file.Open(path))
        return Refused(ResError::CannotOpen, path, file.error());
    return ReadResHeader(file, path);
}

Status Module1::ReadResHeader(InputFile& file, const Path& path)
{
    std::array<std::uint8_t, 8> fields{};
    const bool complete = file.ReadAt(4, fields);
    if (!complete)
        return Refused(ResError::HeaderTruncated, path);
    ResHeader.itemCount = Le32(&fields[0]);
    ResHeader.dataOffset = Le32(&fields[4]);
    const std::optional<std::int32_t> directoryBytes = CheckedMul32(ResHeader.itemCount, 8);
    const std::optional<std::int32_t> infoOffset =
        directoryBytes ? CheckedAdd32(*directoryBytes, ResHeader.dataOffset) : std::nullopt;
    ResHeader.infoOffset = infoOffset.value_or(0);
    if (!infoOffset)
        return Refused(ResError::InfoOffsetOverflow, path);
    return {};
}

Status Module1::ReadResDirectory(const Path& path)
{
    InputFile file;
    if (!file.Open(path))
        return Refused(ResError::CannotOpen, path, file.error());
    return ReadResDirectory(file, path);
}

Status Module1::ReadResDirectory(InputFile& file, const Path& path)
{
    const ResHeaderRecord header = ResHeader;
    if (header.itemCount < 1 || header.itemCount > kMaxResItems)
        return Refused(ResError::ItemCountRange, path);
    if (header.dataOffset < 0)
        return Refused(ResError::DataOffsetNegative, path);
    const std::int64_t count = header.itemCount;
    const std::int64_t infoOffset = std::int64_t(header.dataOffset) + count * 8;
    if (infoOffset > INT32_MAX || infoOffset != header.infoOffset)
        return Refused(ResError::InfoOffsetOverflow, path);
    if (infoOffset > file.Size())
        return Refused(ResError::DirectoryPastEnd, path);
    if (infoOffset + count * std::int64_t(kResNameSize) > file.Size())
        return Refused(ResError::NamesPastEnd, path);

    // Both tables are within the file, so their sizes are bounded by it.
    Bytes directory(static_cast<std::size_t>(count) * kResEntrySize);
    Bytes names(static_cast<std::size_t>(count) * kResNameSize);
    if (!file.ReadAt(header.dataOffset, directory) || !file.ReadAt(infoOffset, names))
        return Refused(ResError::ReadFailed, path, file.error());

    std::vector<ResItem> items(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i].itemDataType = Le32(&directory[i * kResEntrySize]);
        items[i].itemDataOffset = Le32(&directory[i * kResEntrySize + 4]);
        std::copy_n(&names[i * kResNameSize], kResNameSize, items[i].itemName.begin());
    }
    ResItems = std::move(items);
    return {};
}

} // namespace varnox
