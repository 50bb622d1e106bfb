#include "cli/commands.h"
#include "cli/help.h"
#include "formats/describe.h"
#include "formats/text.h"
#include "jobs/convert.h"

#include <charconv>
#include <optional>

namespace varnox::cli {

namespace {

bool IsOption(const std::string& arg)
{
    return !arg.empty() && arg.front() == '-';
}

} // namespace

// The number in "-j N" or "-jN"; nullopt when it is no whole number from 1 on.
std::optional<unsigned> WorkerCount(const std::string& text)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0)
        return std::nullopt;
    return value;
}

int RunGfp2Picture(const Args& args, jobs::PictureFormat format)
{
    const std::string command = format == jobs::PictureFormat::Png ? "gfp2png" : "gfp2tga";
    unsigned workers = jobs::DefaultWorkers();
    std::vector<Path> files;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (arg.rfind("-j", 0) == 0) {
            const std::string number = arg.size() > 2 ? arg.substr(2) : k + 1 < args.size() ? args[++k] : "";
            const std::optional<unsigned> count = WorkerCount(number);
            if (!count) {
                PrintError(
                    TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1: -j braucht eine ganze Zahl ab 1 (%2)"),
                                  {command, UsageLine(command)}));
                return kExitUsage;
            }
            workers = *count;
        } else if (arg.empty() || IsOption(arg)) {
            PrintError(TranslateWith(
                QT_TRANSLATE_NOOP("Varnox", "%1: unbekannte Option oder leerer Name \"%2\" (%3)"),
                {command, arg, UsageLine(command)}));
            return kExitUsage;
        } else {
            files.emplace_back(arg);
        }
    }
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

int RunPicture2Gfp(const Args& args, jobs::PictureFormat format)
{
    const std::string command = format == jobs::PictureFormat::Png ? "png2gfp" : "tga2gfp";
    GfpPacking packing = GfpPacking::Zlib;
    Args files;
    int packings = 0;
    for (const auto& arg : args) {
        if (arg == "--uncompressed" || arg == "--fast") {
            packing = arg == "--fast" ? GfpPacking::Fast : GfpPacking::Uncompressed;
            ++packings;
        } else if (arg.empty() || IsOption(arg)) {
            files.clear();
            break;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2 || packings > 1) {
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
