#include "cli/commands.h"
#include "cli/help.h"
#include "cli/progress.h"
#include "cli/streams.h"
#include "formats/describe.h"
#include "formats/text.h"
#include "jobs/convert.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace varnox::cli {

namespace {

constexpr const char* kRows = QT_TRANSLATE_NOOP("Varnox", "Zeilen");
constexpr const char* kFiles = QT_TRANSLATE_NOOP("Varnox", "Dateien");
constexpr const char* kFilesLeft = QT_TRANSLATE_NOOP("Varnox", "jede angefangene Datei blieb, wie sie war");
constexpr const char* kGfpLeft = QT_TRANSLATE_NOOP("Varnox", "die GFP blieb, wie sie war");

int Failed(const Error& error)
{
    PrintError(MessageText(error));
    return kExitFailed;
}

// The one GFP of gfp2tga/gfp2png -o OUTPUT (each may be "-").
int ConvertToOutput(const std::string& gfp, const std::string& output, jobs::PictureFormat format,
                    Verbosity verbosity)
{
    PipeFolder pipe;
    if (IsStream(gfp) || IsStream(output)) {
        if (auto made = pipe.Make(); !made)
            return Failed(made.error());
    }
    const Path source = IsStream(gfp) ? pipe.File("in.gfp") : Path(gfp);
    const Path target = IsStream(output) ? pipe.File("out") : Path(output);
    CommandProgress progress(verbosity, kRows, IsStream(output));
    if (IsStream(gfp)) {
        if (auto spooled = SpoolStandardInput(source); !spooled)
            return Failed(spooled.error());
    }
    const Status converted = jobs::ConvertGfpFile(source, target, format, progress.Job());
    progress.Clear();
    if (Is(converted, IoError::Cancelled)) {
        PrintInterrupted(kFilesLeft);
        return kExitInterrupted;
    }
    if (!converted)
        return Failed(AsStream(AsStream(converted.error(), IsStream(gfp) ? source : Path()),
                               IsStream(output) ? target : Path()));
    if (IsStream(output)) {
        if (auto copied = CopyToStandardOutput(target); !copied)
            return Failed(copied.error());
    }
    return kExitOk;
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
    const auto output = call.options.find("output");
    const std::vector<Path> files(call.operands.begin(), call.operands.end());
    const bool oneWithOutput = output != call.options.end() && files.size() == 1;
    const bool streamWithoutOutput =
        output == call.options.end() && std::find(files.begin(), files.end(), Path("-")) != files.end();
    if (files.empty() || (output != call.options.end() && !oneWithOutput) || streamWithoutOutput) {
        PrintError(UsageLine(command));
        return kExitUsage;
    }
    if (oneWithOutput)
        return ConvertToOutput(call.operands.front(), output->second, format, VerbosityOf(call));
    CommandProgress progress(VerbosityOf(call), files.size() == 1 ? kRows : kFiles);
    // The refusals are printed in the files' order.
    jobs::BatchOptions options;
    options.format = format;
    options.workers = workers;
    options.progress = progress.Job();
    const jobs::GfpToTgaResult result = jobs::ConvertGfpFiles(files, options);
    progress.Clear();
    for (const Error& error : result.refused)
        PrintError(MessageText(error));
    if (result.cancelled) {
        PrintInterrupted(kFilesLeft);
        return kExitInterrupted;
    }
    const bool anyRefused = !result.refused.empty();
    return anyRefused ? kExitFailed : kExitOk;
}

int RunPicture2Gfp(const ParsedArgs& call, jobs::PictureFormat format)
{
    const std::string command = format == jobs::PictureFormat::Png ? "png2gfp" : "tga2gfp";
    const GfpPacking packing = PackingOf(call);
    const Args& files = call.operands;
    if (files.size() != 2 || IsStream(files[1])) {
        PrintError(UsageLine(command));
        return kExitUsage;
    }
    PipeFolder pipe;
    const bool fromStream = IsStream(files[0]);
    if (fromStream) {
        if (auto made = pipe.Make(); !made)
            return Failed(made.error());
    }
    const Path source = fromStream ? pipe.File("in") : Path(files[0]);
    CommandProgress progress(VerbosityOf(call), kRows);
    if (fromStream) {
        if (auto spooled = SpoolStandardInput(source); !spooled)
            return Failed(spooled.error());
    }
    const jobs::TgaToGfpResult result =
        jobs::ConvertPictureToGfp(source, format, Path(files[1]), packing, progress.Job());
    progress.Clear();
    if (result.cancelled) {
        PrintInterrupted(kGfpLeft);
        return kExitInterrupted;
    }
    if (!result.status)
        return Failed(AsStream(result.status.error(), fromStream ? source : Path()));
    return kExitOk;
}

} // namespace varnox::cli
