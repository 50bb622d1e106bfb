#pragma once
// What the unpacker shows of an archive, made on the worker: its report, ready for the report
// box, and its items for the list.

#include "formats/archive.h"
#include "jobs/report.h"
#include "ui/itemtable.h"

#include <QString>
#include <string>
#include <vector>

namespace varnox::ui {

// Everything in proportion to the item count is made here, off the window thread.
struct ArchiveListing {
    jobs::ReportResult report;
    bool listed = false;
    ArchiveModel model;
    std::vector<std::int64_t> lengths;
    ItemRows rows;
    // The report's lines; once listed, without the items' lines, which ReportLine makes from
    // the model when shown.
    std::vector<std::string> lines;
    bool itemLinesLeft = false;
    int firstFailureLine = -1;            // the line "Nicht entpackt: …", if any
    std::vector<std::size_t> widestLines; // the report lines measured for the box's width
};

// The number of the report's lines, and line i of them.
std::size_t ReportLineCount(const ArchiveListing& listing);
std::string ReportLine(const ArchiveListing& listing, std::size_t line);

// Reads the report (extracting while options say so) and the items of folder/file; the
// report's lines are taken for the report box: they end in an empty line when the archive was read.
// options.itemLines is not read: the listing leaves the items' lines to ReportLine when it can.
ArchiveListing ListArchive(const QString& folder, const QString& file, const jobs::ReportOptions& options);

} // namespace varnox::ui
