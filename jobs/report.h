#pragma once
// The archive report and the unpack of its picture items, shared by the unpacker
// window and varnox-cli.

#include "formats/module1.h"
#include "formats/text.h"
#include "jobs/progress.h"
#include "jobs/records.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varnox::jobs {

// Whether the report's three lines per item are made into ReportResult::lines, or left to
// the caller, who makes them from the records when shown (ItemReportLine).
enum class ItemLines { Made, Left };

struct ReportOptions {
    // Asked before each picture item: extract it? (the window reads its check box afresh)
    std::function<bool()> extractWanted;
    // Counts the directory entries walked (item i in hand at Done() == i); once cancelled, no
    // further item is written.
    JobProgress* progress = nullptr;
    ItemLines itemLines = ItemLines::Made;
};

// The report's lines before the items' lines.
inline constexpr std::size_t kReportHeadLines = 4;
inline constexpr std::size_t kReportLinesPerItem = 3;

struct NotUnpacked {
    std::string name;   // UTF-8, control characters as \xNN
    std::string reason; // in the user's language
};

struct ReportResult {
    bool valid = false;             // the archive could be read
    std::vector<std::string> lines; // UTF-8, without line ends; the field words German, the rest in
                                    // the user's language. With ItemLines::Left the items' lines
                                    // are missing after the head's kReportHeadLines.
    std::vector<NotUnpacked> failures;
    int written = 0;     // picture items written
    Status status;       // failed: the archive could not be read
    ReadRecords records; // the archive's header and directory, as far as read
};

// The report's verdict on a file that is no archive, in German; Translate() gives the shown text.
inline constexpr const char* kInvalidRes = QT_TRANSLATE_NOOP("Varnox", "Keine gültige RES-File");

// The unpack folder's name: the archive's file name less its last four characters. A name
// that is empty, "." or ".." is refused by the unpack.
std::string UnpackFolderName(const std::string& fileName);

// An item name as the report shows it: UTF-8, each control character (0x00-0x1F, 0x7F-0x9F)
// as \xNN with two upper-case hex digits, so that no name can forge a line or reach a
// terminal as a command.
std::string DisplayName(std::string_view latin1);

// A UTF-8 file name shown the same way.
std::string DisplayFileName(std::string_view utf8);

// Line (0 to kReportLinesPerItem - 1) of item's lines in the report.
std::string ItemReportLine(const ResItem& item, std::size_t line);

// Reads the archive folder/fileName and builds its report; extracts
// the picture items while options.extractWanted says so. A later item of a name already
// written (case ignored) is not written, and the files written are flushed to disk once at the end.
ReportResult RunArchiveReport(const Path& folder, const std::string& fileName, const ReportOptions& options);
// The same from the archive already open as file, so that the caller reads the same version.
ReportResult RunArchiveReport(InputFile& file, const Path& folder, const std::string& fileName,
                              const ReportOptions& options);

// The report as the text box shows it: CR LF after every line of a valid report; an
// invalid file's lines joined by CR LF with none after the last.
std::string ReportText(const ReportResult& result);

} // namespace varnox::jobs
