#include "formats/archive.h"

#include <algorithm>

namespace varnox {

bool ArchiveModel::OverlapsTables(std::size_t index) const
{
    const ArchiveItem& item = items[index];
    const std::int64_t offset = item.entry.itemDataOffset;
    const std::int64_t end = offset + std::max<std::int64_t>(item.extent, 1);
    const auto overlaps = [&](const ByteRange& range) { return offset < range.end() && end > range.offset; };
    return overlaps({0, static_cast<std::int64_t>(kResHeaderSize)}) || overlaps(tables);
}

Status ReadArchive(Module1& module, const Path& path, ArchiveModel& out)
{
    InputFile file;
    if (!file.Open(path))
        return Error{ResError::CannotOpen, path, file.error(), {}};
    return ReadArchive(module, file, path, out);
}

Status ReadArchive(Module1& module, InputFile& file, const Path& path, ArchiveModel& out)
{
    if (auto status = module.IsResFile(file, path); !status)
        return status;
    if (auto status = module.ReadResHeader(file, path); !status)
        return status;
    if (auto status = module.ReadResDirectory(file, path); !status)
        return status;

    ArchiveModel model;
    model.header = module.ResHeader;
    model.fileSize = file.Size();
    const std::int64_t count = model.header.itemCount;
    model.tables = {model.header.dataOffset, count * std::int64_t(kResEntrySize + kResNameSize)};
    if (model.tables.end() > model.fileSize) // the file shrank since the directory was read
        return Error{ResError::NamesPastEnd, path, {}, {}};

    std::vector<std::int64_t> starts, sharedStarts;
    model.items.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < model.items.size(); ++i) {
        ArchiveItem& item = model.items[i];
        item.entry = module.ResItems[i];
        const std::int64_t offset = item.entry.itemDataOffset;
        item.inFile = offset >= 0 && offset <= model.fileSize;
        if (item.inFile)
            starts.push_back(offset);
    }
    std::sort(starts.begin(), starts.end());
    for (std::size_t i = 0; i + 1 < starts.size(); ++i)
        if (starts[i] == starts[i + 1])
            sharedStarts.push_back(starts[i]);
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());

    const std::int64_t directory = model.tables.offset;
    for (ArchiveItem& item : model.items) {
        if (!item.inFile)
            continue;
        const std::int64_t offset = item.entry.itemDataOffset;
        item.shared = std::binary_search(sharedStarts.begin(), sharedStarts.end(), offset);
        std::int64_t next = model.fileSize;
        if (const auto above = std::upper_bound(starts.begin(), starts.end(), offset); above != starts.end())
            next = std::min(next, *above);
        if (directory > offset)
            next = std::min(next, directory);
        item.extent = next - offset;
    }

    const auto header = static_cast<std::int64_t>(kResHeaderSize);
    std::int64_t first = directory >= header ? directory : model.fileSize;
    if (const auto item = std::lower_bound(starts.begin(), starts.end(), header); item != starts.end())
        first = std::min(first, *item);
    model.afterHeader = {header, std::max<std::int64_t>(first - header, 0)};

    std::vector<ByteRange> claimed = {{0, header}, model.tables};
    for (const ArchiveItem& item : model.items)
        if (item.extent > 0)
            claimed.push_back({item.entry.itemDataOffset, item.extent});
    std::sort(claimed.begin(), claimed.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.offset < b.offset; });
    std::int64_t covered = 0;
    for (const ByteRange& range : claimed) {
        if (range.offset > covered)
            model.unclaimed.push_back({covered, range.offset - covered});
        covered = std::max(covered, range.end());
    }
    if (covered < model.fileSize)
        model.unclaimed.push_back({covered, model.fileSize - covered});

    out = std::move(model);
    return {};
}

std::string TypeExtension(std::int32_t type)
{
    switch (type) {
    case kItemTypePicture: return ".gfp";
    case 16: return ".sound";
    case 17: return ".font";
    case 40: return ".sprite";
    default: return ".type" + std::to_string(type);
    }
}

bool HasControlCharacter(std::string_view name)
{
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

bool IsUnsafeFileName(std::string_view name)
{
    return !IsPlainFileName(name) || name.find('\\') != std::string_view::npos || HasControlCharacter(name);
}

std::string FoldNameCase(std::string_view name)
{
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto u = static_cast<unsigned char>(folded[i]);
        if (u >= 'A' && u <= 'Z') {
            folded[i] = static_cast<char>(u + 0x20);
        } else if (u == 0xC3 && i + 1 < folded.size()) { // U+00C0 to U+00FF
            const auto next = static_cast<unsigned char>(folded[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                folded[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return folded;
}

} // namespace varnox
