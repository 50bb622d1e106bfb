#include "cli/commands.h"
#include "jobs/convert.h"

namespace varnox::cli {

namespace {

bool IsOption(const std::string& arg)
{
    return !arg.empty() && arg.front() == '-';
}

}  // namespace

int RunGfp2Picture(const Args& args, jobs::PictureFormat format)
{
    const std::string command = format == jobs::PictureFormat::Png ? "gfp2png" : "gfp2tga";
    if (args.empty()) {
        PrintError("Aufruf: varnox-cli " + command + " GFP...");
        return kExitUsage;
    }
    for (const auto& arg : args) {
        if (arg.empty() || IsOption(arg)) {
            std::string message = command;
            message += ": unbekannte Option oder leerer Name \"";
            message += arg;
            message += "\" (Aufruf: varnox-cli " + command + " GFP...)";
            PrintError(message);
            return kExitUsage;
        }
    }
    // One set of records for all files, as when the window converts a whole folder.
    Module1 module;
    bool anyRefused = false;
    for (const auto& arg : args) {
        const Path gfp(arg);
        const Path folder = gfp.parent_path(); // empty for a bare name: the current folder
        const jobs::GfpToTgaResult result =
            jobs::ConvertGfpFiles(module, folder, {gfp.filename().string()}, 0, 0, format);
        for (const auto& refusal : result.refused) {
            PrintError(jobs::MessageText(refusal));
            anyRefused = true;
        }
    }
    return anyRefused ? kExitFailed : kExitOk;
}

int RunPicture2Gfp(const Args& args, jobs::PictureFormat format)
{
    const std::string command = format == jobs::PictureFormat::Png ? "png2gfp" : "tga2gfp";
    GfpPacking packing = GfpPacking::Zlib;
    Args files;
    for (const auto& arg : args) {
        if (arg == "--uncompressed") {
            packing = GfpPacking::Uncompressed;
        } else if (arg.empty() || IsOption(arg)) {
            files.clear();
            break;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        PrintError("Aufruf: varnox-cli " + command + " [--uncompressed] " +
                   (format == jobs::PictureFormat::Png ? "PNG" : "TGA") + " GFP");
        return kExitUsage;
    }
    Module1 module;
    const jobs::TgaToGfpResult result =
        jobs::ConvertPictureToGfp(module, Path(files[0]), format, Path(files[1]), packing);
    if (!result.ok) {
        PrintError(jobs::MessageText(result.refusal));
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace varnox::cli
