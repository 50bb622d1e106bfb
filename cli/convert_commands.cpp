#include "cli/commands.h"
#include "cli/help.h"
#include "formats/describe.h"
#include "formats/text.h"
#include "jobs/convert.h"

#include <charconv>
#include <optional>

namespace varnox::cli {

// The number in "-j N" or "-jN"; nullopt when it is no whole number from 1 on.
std::optional<unsigned> WorkerCount(const std::string& text)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0)
        return std::nullopt;
    return value;
}

int RunGfp2Picture(const ParsedArgs& call, jobs::PictureFormat format)
{
    const std::string command = format == jobs::PictureFormat::Png ? "gfp2png" : "gfp2tga";
    unsigned workers = jobs::DefaultWorkers();
    if (const auto jobs = call.options.find("jobs"); jobs != call.options.end()) {
        const std::optional<unsigned> count = WorkerCount(jobs->second);
        if (!count) {
            PrintError(TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1: -j braucht eine ganze Zahl ab 1 (%2)"),
                                     {command, UsageLine(command)}));
            return kExitUsage;
        }
        workers = *count;
    }
    const std::vector<Path> files(call.operands.begin(), call.operands.end());
    if (files.empty()) {
        PrintError(UsageLine(command));
        return kExitUsage;
    }
    // The refusals are printed in the files' order.
    jobs::BatchOptions options;
    options.format = format;
    options.workers = workers;
    const jobs::GfpToTgaResult result = jobs::ConvertGfpFiles(files, options);
    for (const Error& error : result.refused)
        PrintError(MessageText(error));
    const bool anyRefused = !result.refused.empty();
    return anyRefused ? kExitFailed : kExitOk;
}

int RunPicture2Gfp(const ParsedArgs& call, jobs::PictureFormat format)
{
    const std::string command = format == jobs::PictureFormat::Png ? "png2gfp" : "tga2gfp";
    const GfpPacking packing = PackingOf(call);
    const Args& files = call.operands;
    if (files.size() != 2) {
        PrintError(UsageLine(command));
        return kExitUsage;
    }
    const jobs::TgaToGfpResult result =
        jobs::ConvertPictureToGfp(Path(files[0]), format, Path(files[1]), packing);
    if (!result.status) {
        PrintError(MessageText(result.status.error()));
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace varnox::cli
