#include "jobs/itembytes.h"

#include "formats/res.h"
#include "jobs/archive_shared.h"

#include <algorithm>
#include <cstdio>

namespace varnox::jobs {

namespace {

constexpr std::size_t kBytesPerLine = 16;

// The byte as Latin-1 text in UTF-8; a dot for C0 and C1 controls and DEL.
void AppendLatin1(std::string& out, std::uint8_t byte)
{
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0))
        out += '.';
    else if (byte < 0x80)
        out += static_cast<char>(byte);
    else
        out += Latin1ToUtf8(std::string(1, static_cast<char>(byte)));
}

} // namespace

Result<ItemBytes> ReadItemBytes(const Path& archive, const ArchiveModel& model, std::size_t index,
                                std::size_t limit)
{
    ItemBytes result;
    if (index >= model.items.size()) {
        Error error = Because(archive, JobError::NoSuchItem);
        error.item = Label(index);
        return error;
    }
    const ArchiveItem& item = model.items[index];
    result.length = item.inFile ? item.extent : 0;
    InputFile file;
    if (!file.Open(archive))
        return ReadFailed(archive, file.error());
    const auto count =
        static_cast<std::size_t>(std::min<std::int64_t>(result.length, static_cast<std::int64_t>(limit)));
    result.bytes.resize(count);
    if (count > 0 && !file.ReadAt(item.entry.itemDataOffset, result.bytes))
        return ReadFailed(archive, file.error());
    return result;
}

std::string HexDump(const Bytes& bytes, std::int64_t first)
{
    std::string out;
    for (std::size_t line = 0; line < bytes.size(); line += kBytesPerLine) {
        const std::size_t end = std::min(bytes.size(), line + kBytesPerLine);
        char head[24];
        std::snprintf(head, sizeof head, "%08llx ", static_cast<unsigned long long>(first) + line);
        out += head;
        for (std::size_t i = line; i < line + kBytesPerLine; ++i) {
            char hex[4] = "   ";
            if (i < end)
                std::snprintf(hex, sizeof hex, " %02x", bytes[i]);
            out += hex;
        }
        out += "  ";
        for (std::size_t i = line; i < end; ++i)
            AppendLatin1(out, bytes[i]);
        out += '\n';
    }
    return out;
}

} // namespace varnox::jobs
