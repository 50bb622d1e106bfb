// The readers behind Module1 that keep what they read in the module's records: the RES
// archive's magic, header and directory, and a TGA as RGB565.
#include "formats/module1.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace varnox {

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
        items[i].itemName = ResNameField(std::span(&names[i * kResNameSize], kResNameSize));
    }
    ResItems = std::move(items);
    return {};
}

namespace {

// Reads every row of source into one buffer, top row first.
Result<Bytes> ReadAllRows(RowSource& source, const Path& path, const RowProgress& progress)
{
    const std::size_t rowBytes = source.Info().RowBytes();
    const std::int32_t height = source.Info().height;
    Bytes result;
    try {
        result.resize(rowBytes * static_cast<std::size_t>(height));
    } catch (const std::bad_alloc&) {
        return Error{IoError::OutOfMemory, path, {}, {}};
    }
    const auto told = [&](std::int32_t done) { return !progress || progress(done); };
    for (std::int32_t row = 0; row < height; ++row) {
        if (!told(row))
            return Error{IoError::Cancelled, path, {}, {}};
        const std::span<std::uint8_t> into(result.data() + rowBytes * static_cast<std::size_t>(row),
                                           rowBytes);
        if (auto status = source.ReadRow(into); !status)
            return status.error();
    }
    if (!told(height))
        return Error{IoError::Cancelled, path, {}, {}};
    return result;
}

} // namespace

Result<Bytes> Module1::ReadTgaAsRgb565(const Path& path, const RowProgress& progress)
{
    auto opened = OpenTgaSource(path, &TgaHeader);
    if (!opened)
        return opened.error();
    return ReadAllRows(**opened, path, progress);
}

} // namespace varnox
