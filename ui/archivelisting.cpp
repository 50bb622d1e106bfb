#include "ui/archivelisting.h"

#include "formats/res.h"
#include "formats/text.h"
#include "jobs/archive.h"
#include "jobs/items.h"
#include "ui/folders.h"

#include <QFile>
#include <algorithm>

namespace varnox::ui {

namespace {

void MakeRows(ArchiveListing& listing)
{
    const std::vector<ArchiveItem>& items = listing.model.items;
    ItemRows& rows = listing.rows;
    rows.names.reserve(items.size());
    rows.foldedNames.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ResItem& entry = items[i].entry;
        QString name = ToQString(Latin1ToUtf8(ItemName(entry)));
        rows.foldedNames.push_back(name.toCaseFolded());
        rows.names.push_back(std::move(name));
        rows.types.push_back(entry.itemDataType);
        rows.offsets.push_back(entry.itemDataOffset);
        rows.sizes.push_back(listing.lengths[i]);
    }
}

// The number of item lines ReportLine makes from the model.
std::size_t LeftLineCount(const ArchiveListing& listing)
{
    return listing.itemLinesLeft ? jobs::kReportLinesPerItem * listing.model.items.size() : 0;
}

// The report's lines for the report box, taken from the report. Once listed the items' lines
// are made from the model when shown; else they are made here from the records read.
void TakeLines(ArchiveListing& listing)
{
    jobs::ReportResult& report = listing.report;
    listing.itemLinesLeft = listing.listed;
    if (report.valid && !listing.listed && report.records.resItems) {
        std::vector<std::string> items;
        for (const ResItem& item : *report.records.resItems)
            for (std::size_t line = 0; line < jobs::kReportLinesPerItem; ++line)
                items.push_back(jobs::ItemReportLine(item, line));
        report.lines.insert(report.lines.begin() + jobs::kReportHeadLines, items.begin(), items.end());
    }
    // The report ends in that line and one line per failure.
    const std::size_t count = report.lines.size() + LeftLineCount(listing);
    if (!report.failures.empty() && count > report.failures.size())
        listing.firstFailureLine = static_cast<int>(count - report.failures.size() - 1);
    listing.lines = std::move(report.lines);
    if (report.valid)
        listing.lines.emplace_back();
}

// The lines measured for the report box's width: the head and tail, the first and last item's
// lines, and the name lines of the items of the longest names.
void ChooseWidestLines(ArchiveListing& listing)
{
    constexpr std::size_t kSamples = 256;
    std::vector<std::size_t>& widest = listing.widestLines;
    for (std::size_t i = 0; i < listing.lines.size() && i < kSamples; ++i)
        widest.push_back(i < jobs::kReportHeadLines ? i : i + LeftLineCount(listing));
    const std::vector<ArchiveItem>& items = listing.model.items;
    if (LeftLineCount(listing) == 0 || items.empty())
        return;
    const auto nameLength = [](const ArchiveItem& item) { return ItemName(item.entry).size(); };
    std::size_t longest = 0;
    for (const ArchiveItem& item : items)
        longest = std::max(longest, nameLength(item));
    for (std::size_t i = 0; i < items.size() && widest.size() < 2 * kSamples; ++i)
        if (nameLength(items[i]) * 4 >= longest * 3)
            widest.push_back(jobs::kReportHeadLines + i * jobs::kReportLinesPerItem + 2);
    const std::size_t last = jobs::kReportHeadLines + LeftLineCount(listing) - jobs::kReportLinesPerItem;
    for (std::size_t line = 0; line < jobs::kReportLinesPerItem; ++line) {
        widest.push_back(jobs::kReportHeadLines + line);
        widest.push_back(last + line);
    }
}

} // namespace

std::size_t ReportLineCount(const ArchiveListing& listing)
{
    return listing.lines.size() + LeftLineCount(listing);
}

std::string ReportLine(const ArchiveListing& listing, std::size_t line)
{
    const std::size_t left = LeftLineCount(listing);
    if (line < jobs::kReportHeadLines || left == 0)
        return listing.lines[line];
    if (line < jobs::kReportHeadLines + left) {
        const std::size_t at = line - jobs::kReportHeadLines;
        return jobs::ItemReportLine(listing.model.items[at / jobs::kReportLinesPerItem].entry,
                                    at % jobs::kReportLinesPerItem);
    }
    return listing.lines[line - left];
}

ArchiveListing ListArchive(const QString& folder, const QString& file, const jobs::ReportOptions& options)
{
    ArchiveListing listing;
    const Path from = ToPath(folder);
    const std::string name = QFile::encodeName(file).toStdString();
    // Opened once: the report, the list and the lengths all read the same version.
    InputFile opened;
    if (!opened.Open(from / name)) {
        listing.report = jobs::RunArchiveReport(from, name, options);
    } else {
        // The list's directory first, its reader's copy gone before the report reads its own.
        if (Module1 items; ReadArchive(items, opened, from / name, listing.model).ok())
            listing.lengths = jobs::ItemDataLengths(opened, listing.model);
        jobs::ReportOptions leftLines = options;
        leftLines.itemLines = jobs::ItemLines::Left;
        listing.report = jobs::RunArchiveReport(opened, from, name, leftLines);
        listing.listed = listing.report.valid && !listing.model.items.empty() &&
                         listing.lengths.size() == listing.model.items.size();
        if (!listing.listed)
            listing.model = {};
    }
    if (listing.listed)
        MakeRows(listing);
    TakeLines(listing);
    ChooseWidestLines(listing);
    return listing;
}

} // namespace varnox::ui
