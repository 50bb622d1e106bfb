#include "jobs/report.h"

#include "formats/archive.h"
#include "formats/describe.h"

#include <unordered_map>

namespace varnox::jobs {

namespace {

// Removes the last n characters of UTF-8 text.
std::string DropLastCharacters(const std::string& text, std::size_t n)
{
    std::size_t end = text.size();
    while (n > 0 && end > 0) {
        --end;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
        --n;
    }
    return text.substr(0, end);
}

// The report of a file that is no readable archive: the verdict, then the reason when there
// is more to say than that.
ReportResult Refused(const Path& archive, const Status& status)
{
    ReportResult result;
    result.lines.push_back(Translate(kInvalidRes));
    if (status.ok()) {
        result.status = Error{JobError::NotResArchive, archive, {}, {}};
        return result;
    }
    result.lines.push_back(Describe(status.error()));
    result.status = OnFile(status.error(), archive);
    return result;
}

} // namespace

std::string UnpackFolderName(const std::string& fileName)
{
    return DropLastCharacters(fileName, 4);
}

std::string DisplayName(std::string_view latin1)
{
    return DisplayFileName(Latin1ToUtf8(latin1));
}

std::string DisplayFileName(std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto b = static_cast<unsigned char>(utf8[i]);
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
        const bool c1 = b == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0;
        if (c1)
            b = static_cast<unsigned char>(utf8[++i]);
        if (c1 || b < 0x20 || b == 0x7F)
            shown += {'\\', 'x', kHex[b >> 4], kHex[b & 15]};
        else
            shown += static_cast<char>(b);
    }
    return shown;
}

std::string ItemReportLine(const ResItem& item, std::size_t line)
{
    switch (line) {
    case 0: return "\tItemdatatype:" + ItemTypeLabel(item.itemDataType);
    case 1: return "\tItemdataoffset:" + std::to_string(item.itemDataOffset);
    default: return "\tItemname:" + DisplayName(ItemName(item));
    }
}

ReportResult RunArchiveReport(const Path& folder, const std::string& fileName, const ReportOptions& options)
{
    const Path archive = folder / fileName;
    InputFile file;
    if (!file.Open(archive))
        return Refused(archive, Error{ResError::CannotOpen, archive, file.error(), {}});
    return RunArchiveReport(file, folder, fileName, options);
}

ReportResult RunArchiveReport(InputFile& file, const Path& folder, const std::string& fileName,
                              const ReportOptions& options)
{
    const Path archive = folder / fileName;
    Module1 module;
    if (const Status magic = module.IsResFile(file, archive); !magic)
        return Refused(archive, Status());
    Status read = module.ReadResHeader(file, archive);
    if (!read)
        return Refused(archive, read);
    if (read = module.ReadResDirectory(file, archive); !read) {
        ReportResult refused = Refused(archive, read);
        refused.records.resHeader = module.ResHeader;
        return refused;
    }

    ReportResult result;
    result.valid = true;
    result.records.resHeader = module.ResHeader;
    const ResHeaderRecord& header = module.ResHeader;
    auto& lines = result.lines;
    const bool itemLines = options.itemLines == ItemLines::Made;
    lines.reserve(kReportHeadLines + (itemLines ? kReportLinesPerItem * module.ResItems.size() : 0));
    lines.push_back(Translate(QT_TRANSLATE_NOOP("Varnox", "Gültige RES-File")));
    // The field words are a format that scripts read, the same in every language.
    lines.push_back("Anzahl:" + std::to_string(header.itemCount));
    lines.push_back("Dataoffset:" + std::to_string(header.dataOffset));
    lines.push_back("Infooffset:" + std::to_string(header.infoOffset));

    FolderOnFirstUse unpackFolder(folder, UnpackFolderName(fileName));
    // The item each file name (case ignored) was written for: a later item of the same name would
    // replace it unseen.
    std::unordered_map<std::string, std::int32_t> writtenAs;
    if (options.progress != nullptr)
        options.progress->Start(header.itemCount);
    for (std::int32_t i = 0; i < header.itemCount; ++i) {
        if (options.progress != nullptr)
            options.progress->SetDone(i);
        const ResItem& item = module.ResItems[static_cast<std::size_t>(i)];
        for (std::size_t line = 0; itemLines && line < kReportLinesPerItem; ++line)
            lines.push_back(ItemReportLine(item, line));

        if (item.itemDataType != kItemTypePicture || Cancelled(options.progress) || !options.extractWanted ||
            !options.extractWanted())
            continue;
        const std::string_view rawName = ItemName(item);
        const std::string name = DisplayName(rawName);
        const std::string fileKey = FoldNameCase(Latin1ToUtf8(rawName));
        if (const auto earlier = writtenAs.find(fileKey); earlier != writtenAs.end()) {
            result.failures.push_back(
                {name, Describe(Error{
                           JobError::SameNameUnpacked, {}, {}, {}, {std::to_string(earlier->second + 1)}})});
        } else if (const Status extracted =
                       module.ExtractItem(archive, unpackFolder, static_cast<std::int16_t>(i));
                   extracted) {
            ++result.written;
            writtenAs.emplace(fileKey, i);
        } else {
            result.failures.push_back({name, Describe(extracted.error())});
        }
    }
    if (options.progress != nullptr)
        options.progress->SetDone(header.itemCount);
    if (!unpackFolder.Sync())
        result.failures.push_back({UnpackFolderName(fileName),
                                   Describe(Error{JobError::FolderNotSynced, {}, unpackFolder.error(), {}})});

    if (!result.failures.empty()) {
        lines.push_back(TranslateWith(QT_TRANSLATE_NOOP("Varnox", "Nicht entpackt: %1"),
                                      {std::to_string(result.failures.size())}));
        for (const auto& failure : result.failures)
            lines.push_back("\t" + failure.name + ": " + failure.reason);
    }
    result.records.resItems = std::move(module.ResItems); // not copied: the module goes here
    return result;
}

std::string ReportText(const ReportResult& result)
{
    std::string text;
    for (std::size_t i = 0; i < result.lines.size(); ++i) {
        text += result.lines[i];
        if (result.valid || i + 1 < result.lines.size())
            text += "\r\n";
    }
    return text;
}

} // namespace varnox::jobs
