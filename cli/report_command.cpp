#include "cli/commands.h"
#include "cli/help.h"
#include "formats/describe.h"
#include "formats/text.h"
#include "jobs/report.h"

#include <iostream>

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
    if (unpack)
        options.extractWanted = [] { return true; };
    const jobs::ReportResult result = jobs::RunArchiveReport(folder, archive.filename().string(), options);

    std::string out;
    for (const auto& line : result.lines) {
        out += line;
        out += '\n';
    }
    std::cout << out << std::flush;
    if (!result.valid) {
        PrintError(MessageText(result.status.error()));
        return kExitFailed;
    }
    if (!result.failures.empty()) {
        PrintError(TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1: %2 Bilder nicht entpackt"),
                                 {args[0], std::to_string(result.failures.size())}));
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace varnox::cli
