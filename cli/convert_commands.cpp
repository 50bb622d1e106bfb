#include "cli/commands.h"
#include "jobs/convert.h"

namespace varnox::cli {

namespace {

bool IsOption(const std::string& arg)
{
    return !arg.empty() && arg.front() == '-';
}

}  // namespace

int RunGfp2Tga(const Args& args)
{
    if (args.empty()) {
        PrintError("Aufruf: varnox-cli gfp2tga GFP...");
        return kExitUsage;
    }
    for (const auto& arg : args) {
        if (arg.empty() || IsOption(arg)) {
            PrintError("gfp2tga: unbekannte Option oder leerer Name \"" + arg +
                       "\" (Aufruf: varnox-cli gfp2tga GFP...)");
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
            jobs::ConvertGfpToTga(module, folder, {gfp.filename().string()}, 0, 0);
        for (const auto& refusal : result.refused) {
            PrintError(jobs::MessageText(refusal));
            anyRefused = true;
        }
    }
    return anyRefused ? kExitFailed : kExitOk;
}

int RunTga2Gfp(const Args& args)
{
    bool uncompressed = false;
    Args files;
    for (const auto& arg : args) {
        if (arg == "--uncompressed") {
            uncompressed = true;
        } else if (arg.empty() || IsOption(arg)) {
            files.clear();
            break;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        PrintError("Aufruf: varnox-cli tga2gfp [--uncompressed] TGA GFP");
        return kExitUsage;
    }
    Module1 module;
    const jobs::TgaToGfpResult result =
        jobs::ConvertTgaToGfp(module, Path(files[0]), Path(files[1]), uncompressed);
    if (!result.ok) {
        PrintError(jobs::MessageText(result.refusal));
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace varnox::cli
