#include "ui/archivelisting.h"

#include "formats/res.h"
#include "formats/text.h"
#include "jobs/archive.h"
#include "jobs/items.h"
#include "ui/folders.h"

#include <QFile>

namespace varnox::ui {

namespace {

void MakeRows(ArchiveListing& listing)
{
    const std::vector<ArchiveItem>& items = listing.model.items;
    ItemRows& rows = listing.rows;
    rows.texts.reserve(items.size());
    rows.foldedNames.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ResItem& entry = items[i].entry;
        QString name = ToQString(Latin1ToUtf8(ItemName(entry)));
        rows.foldedNames.push_back(name.toCaseFolded());
        rows.texts.push_back({QStringLiteral("#%1").arg(i), std::move(name), ItemTypeText(entry.itemDataType),
                              QString::number(entry.itemDataOffset), QString::number(listing.lengths[i])});
        rows.types.push_back(entry.itemDataType);
        rows.offsets.push_back(entry.itemDataOffset);
        rows.sizes.push_back(listing.lengths[i]);
    }
}

// The report's lines for the report box, taken from the report.
void TakeLines(ArchiveListing& listing)
{
    jobs::ReportResult& report = listing.report;
    // The report ends in that line and one line per failure.
    if (!report.failures.empty() && report.lines.size() > report.failures.size())
        listing.firstFailureLine = static_cast<int>(report.lines.size() - report.failures.size() - 1);
    listing.lines = std::move(report.lines);
    if (report.valid)
        listing.lines.emplace_back();
}

} // namespace

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
        listing.report = jobs::RunArchiveReport(opened, from, name, options);
        if (Module1 items;
            listing.report.valid && ReadArchive(items, opened, from / name, listing.model).ok()) {
            listing.lengths = jobs::ItemDataLengths(opened, listing.model);
            listing.listed = listing.lengths.size() == listing.model.items.size();
        }
    }
    if (listing.listed)
        MakeRows(listing);
    TakeLines(listing);
    return listing;
}

} // namespace varnox::ui
