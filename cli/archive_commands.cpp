#include "cli/commands.h"
#include "cli/help.h"
#include "jobs/archive.h"
#include "jobs/report.h"

#include <algorithm>
#include <iostream>

namespace varnox::cli {

namespace {

bool IsOption(const std::string& arg)
{
    return arg.empty() || arg.front() == '-';
}

// "ersetzt: a.sound, b.gfp (2 Dateien)" naming the first few files replaced by other content.
std::string ReplacedLine(const std::vector<std::string>& replaced)
{
    constexpr std::size_t kNamed = 5;
    if (replaced.empty())
        return {};
    std::string line = "ersetzt: ";
    for (std::size_t i = 0; i < replaced.size() && i < kNamed; ++i)
        line += (i > 0 ? ", " : "") + jobs::DisplayFileName(replaced[i]);
    if (replaced.size() > kNamed)
        line += ", …";
    return line + " (" + std::to_string(replaced.size()) + (replaced.size() == 1 ? " Datei)\n" : " Dateien)\n");
}

} // namespace

int RunExtract(const Args& args)
{
    if (args.empty() || args.size() > 2 || std::any_of(args.begin(), args.end(), IsOption)) {
        PrintError(UsageLine("extract"));
        return kExitUsage;
    }
    const Path archive(args[0]);
    const Path folder = args.size() == 2 ? Path(args[1]) : jobs::ExtractFolder(archive);
    if (folder.empty()) {
        PrintError(args[0] + ": Der Name des Archivs ergibt keinen eigenen Ordner; bitte einen ORDNER angeben");
        return kExitFailed;
    }
    Module1 module;
    const jobs::ExtractResult result = jobs::ExtractArchive(module, archive, folder);
    std::string out;
    for (const auto& note : result.notes)
        out += note + '\n';
    if (!result.ok) {
        std::cout << out << std::flush;
        PrintError(jobs::MessageText(result.refusal));
        return kExitFailed;
    }
    out += ReplacedLine(result.replaced);
    for (const auto& reason : result.notKept)
        out += "nicht erhalten: " + reason + '\n';
    out += std::to_string(result.written) + " Einträge nach " + PathText(folder) + " geschrieben\n";
    out += result.status + '\n';
    std::cout << out << std::flush;
    return kExitOk;
}

int RunPack(const Args& args)
{
    if (args.size() != 2 || std::any_of(args.begin(), args.end(), IsOption)) {
        PrintError(UsageLine("pack"));
        return kExitUsage;
    }
    const jobs::PackResult result = jobs::PackArchive(Path(args[0]), Path(args[1]));
    if (!result.ok) {
        PrintError(jobs::MessageText(result.refusal));
        return kExitFailed;
    }
    std::cout << result.items << " Einträge nach " << args[1] << " gepackt\n";
    return kExitOk;
}

int RunReplace(const Args& args)
{
    GfpPacking packing = GfpPacking::Zlib;
    Args rest;
    int packings = 0;
    bool usable = true;
    for (const auto& arg : args) {
        if (arg == "--uncompressed" || arg == "--fast") {
            packing = arg == "--fast" ? GfpPacking::Fast : GfpPacking::Uncompressed;
            ++packings;
        } else if (IsOption(arg)) {
            usable = false;
        } else {
            rest.push_back(arg);
        }
    }
    if (!usable || rest.size() != 3 || packings > 1) {
        PrintError(UsageLine("replace"));
        return kExitUsage;
    }
    Module1 module;
    const jobs::ReplaceResult result =
        jobs::ReplaceItem(module, Path(rest[0]), rest[1], Path(rest[2]), packing);
    if (!result.ok) {
        PrintError(jobs::MessageText(result.refusal));
        return kExitFailed;
    }
    std::cout << "#" << result.index << " ersetzt, "
              << (result.inPlace ? "an seinem Platz" : "ans Dateiende verlegt")
              << " (Itemdataoffset:" << result.offset << ")\n";
    return kExitOk;
}

} // namespace varnox::cli
