#include "cli/commands.h"
#include "cli/help.h"
#include "jobs/archive.h"
#include "jobs/report.h"
#include "jobs/sidepicture.h"

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
    return line + " (" + std::to_string(replaced.size()) +
           (replaced.size() == 1 ? " Datei)\n" : " Dateien)\n");
}

// Takes the options among args (each of them at most one of the group), leaving the others
// in rest; false for an unknown option or two of the group.
template <class Value>
bool TakeOption(const Args& args, const std::vector<std::pair<std::string, Value>>& options, Value& value,
                Args& rest)
{
    int taken = 0;
    for (const auto& arg : args) {
        const auto found =
            std::find_if(options.begin(), options.end(), [&](const auto& o) { return o.first == arg; });
        if (found != options.end()) {
            value = found->second;
            ++taken;
        } else if (IsOption(arg)) {
            return false;
        } else {
            rest.push_back(arg);
        }
    }
    return taken <= 1;
}

// The packing options of pack and replace, made on first use.
const std::vector<std::pair<std::string, GfpPacking>>& Packings()
{
    static const std::vector<std::pair<std::string, GfpPacking>> packings = {
        {"--uncompressed", GfpPacking::Uncompressed}, {"--fast", GfpPacking::Fast}};
    return packings;
}

} // namespace

int RunExtract(const Args& all)
{
    jobs::SidePicture pictures = jobs::SidePicture::None;
    Args args;
    if (!TakeOption<jobs::SidePicture>(
            all, {{"--png", jobs::SidePicture::Png}, {"--tga", jobs::SidePicture::Tga}}, pictures, args) ||
        args.empty() || args.size() > 2) {
        PrintError(UsageLine("extract"));
        return kExitUsage;
    }
    const Path archive(args[0]);
    const Path folder = args.size() == 2 ? Path(args[1]) : jobs::ExtractFolder(archive);
    if (folder.empty()) {
        PrintError(args[0] +
                   ": Der Name des Archivs ergibt keinen eigenen Ordner; bitte einen ORDNER angeben");
        return kExitFailed;
    }
    const jobs::ExtractResult result = jobs::ExtractArchive(archive, folder, {}, {}, pictures);
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

int RunPack(const Args& all)
{
    GfpPacking packing = GfpPacking::Zlib;
    Args args;
    if (!TakeOption(all, Packings(), packing, args) || args.size() != 2) {
        PrintError(UsageLine("pack"));
        return kExitUsage;
    }
    const jobs::PackResult result = jobs::PackArchive(Path(args[0]), Path(args[1]), packing);
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
    if (!TakeOption(args, Packings(), packing, rest) || rest.size() != 3) {
        PrintError(UsageLine("replace"));
        return kExitUsage;
    }
    const jobs::ReplaceResult result = jobs::ReplaceItem(Path(rest[0]), rest[1], Path(rest[2]), packing);
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
