#include "cli/commands.h"
#include "cli/help.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "formats/describe.h"
#include "formats/text.h"
#include "jobs/report.h"

namespace varnox::cli {

int RunReport(const ParsedArgs& call, bool unpack)
{
    const Args& args = call.operands;
    if (args.size() != 1) {
        PrintError(UsageLine(unpack ? "unpack" : "report"));
        return kExitUsage;
    }
    const Path archive(args[0]);
    const Path folder = archive.has_parent_path() ? archive.parent_path() : Path(".");
    jobs::ReportOptions options;
    CommandProgress progress(Verbosity::Normal, QT_TRANSLATE_NOOP("Varnox", "Bilder"));
    if (unpack) {
        options.extractWanted = [] { return true; };
        options.progress = progress.Job();
    }
    const jobs::ReportResult result = jobs::RunArchiveReport(folder, archive.filename().string(), options);
    progress.Clear();

    // A file that is no archive has no report: its verdict and reason go to standard error alone.
    if (!result.valid) {
        PrintError(MessageText(result.status.error()));
        return kExitFailed;
    }
    std::string out;
    for (const auto& line : result.lines) {
        out += line;
        out += '\n';
    }
    Put(stdout, out);
    if (unpack && Cancelled(progress.Job())) {
        PrintInterrupted(QT_TRANSLATE_NOOP("Varnox", "jede geschriebene GFP ist vollständig"));
        return kExitInterrupted;
    }
    if (!result.failures.empty()) {
        PrintError(TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1: %2 Bilder nicht entpackt"),
                                 {args[0], std::to_string(result.failures.size())}));
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace varnox::cli
