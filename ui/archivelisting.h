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
    std::vector<std::string> lines; // the report
    int firstFailureLine = -1;      // the line "Nicht entpackt: …", if any
};

// Reads the report (extracting while options say so) and the items of folder/file; the
// report's lines are taken for the report box: they end in an empty line when the archive was read.
ArchiveListing ListArchive(const QString& folder, const QString& file, const jobs::ReportOptions& options);

} // namespace varnox::ui
