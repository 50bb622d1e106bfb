#include "cli/commands.h"
#include "cli/help.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "formats/describe.h"
#include "formats/text.h"
#include "jobs/archive.h"
#include "jobs/report.h"
#include "jobs/sidepicture.h"

#include <algorithm>
#include <iterator>

namespace varnox::cli {

namespace {

constexpr const char* kItems = QT_TRANSLATE_NOOP("Varnox", "Einträge");

// "ersetzt: a.sound, b.gfp (2 Dateien)" naming the first few files replaced by other content.
std::string ReplacedLine(const std::vector<std::string>& replaced)
{
    constexpr std::size_t kNamed = 5;
    if (replaced.empty())
        return {};
    std::string names;
    for (std::size_t i = 0; i < replaced.size() && i < kNamed; ++i)
        names += (i > 0 ? ", " : "") + jobs::DisplayFileName(replaced[i]);
    if (replaced.size() > kNamed)
        names += ", …";
    return (replaced.size() == 1
                ? TranslateWith(QT_TRANSLATE_NOOP("Varnox", "ersetzt: %1 (1 Datei)"), {names})
                : TranslateWith(QT_TRANSLATE_NOOP("Varnox", "ersetzt: %1 (%2 Dateien)"),
                                {names, std::to_string(replaced.size())})) +
           '\n';
}

} // namespace

GfpPacking PackingOf(const ParsedArgs& call)
{
    if (call.options.contains("fast"))
        return GfpPacking::Fast;
    return call.options.contains("uncompressed") ? GfpPacking::Uncompressed : GfpPacking::Zlib;
}

std::string ReplacedText(const jobs::ReplaceResult& result)
{
    // The field word and its number stay as the report writes them.
    return TranslateWith(
        result.inPlace
            ? QT_TRANSLATE_NOOP("Varnox", "#%1 ersetzt, an seinem Platz (Itemdataoffset:%2)")
            : QT_TRANSLATE_NOOP("Varnox", "#%1 ersetzt, ans Dateiende verlegt (Itemdataoffset:%2)"),
        {std::to_string(result.index), std::to_string(result.offset)});
}

// The refusal of an extract that would replace edited files: the reason, each file, and the way out.
void PrintEdited(const jobs::ExtractResult& result)
{
    std::string text = MessageText(result.status.error());
    for (const std::string& file : result.edited)
        text += "\n  " + jobs::DisplayFileName(file);
    text += "\n" + Translate(QT_TRANSLATE_NOOP("Varnox", "Mit --overwrite werden sie trotzdem ersetzt."));
    PrintError(text);
}

int RunExtract(const ParsedArgs& call)
{
    const Args& args = call.operands;
    const jobs::SidePicture pictures = call.options.contains("png")   ? jobs::SidePicture::Png
                                       : call.options.contains("tga") ? jobs::SidePicture::Tga
                                                                      : jobs::SidePicture::None;
    const jobs::EditedFiles edited =
        call.options.contains("overwrite") ? jobs::EditedFiles::Replace : jobs::EditedFiles::Refuse;
    if (args.empty() || args.size() > 2) {
        PrintError(UsageLine("extract"));
        return kExitUsage;
    }
    const Path archive(args[0]);
    const Path folder = args.size() == 2 ? Path(args[1]) : jobs::ExtractFolder(archive);
    if (folder.empty()) {
        PrintError(TranslateWith(
            QT_TRANSLATE_NOOP(
                "Varnox",
                "%1: Der Name des Archivs ergibt keinen eigenen Ordner; bitte einen ORDNER angeben"),
            {args[0]}));
        return kExitFailed;
    }
    const Verbosity verbosity = VerbosityOf(call);
    CommandProgress progress(verbosity, kItems);
    const jobs::ExtractResult result =
        jobs::ExtractArchive(archive, folder, {}, {}, pictures, edited, progress.Job());
    progress.Clear();
    if (result.status && Cancelled(progress.Job())) {
        PrintInterrupted(QT_TRANSLATE_NOOP(
            "Varnox",
            "jede geschriebene Datei ist vollständig, archive.txt fehlt, bis extract ganz durchläuft"));
        return kExitInterrupted;
    }
    std::string out;
    for (const auto& note : result.notes)
        out += note + '\n';
    if (!result.status) {
        if (verbosity != Verbosity::Quiet)
            Put(stdout, out);
        if (!result.edited.empty() && edited == jobs::EditedFiles::Refuse)
            PrintEdited(result);
        else
            PrintError(MessageText(result.status.error()));
        return kExitFailed;
    }
    out += ReplacedLine(result.replaced);
    for (const auto& reason : result.notKept)
        out += TranslateWith(QT_TRANSLATE_NOOP("Varnox", "nicht erhalten: %1"), {reason}) + '\n';
    out += TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1 Einträge nach %2 geschrieben"),
                         {std::to_string(result.written), PathText(folder)}) +
           '\n';
    out += result.summary + '\n';
    if (verbosity != Verbosity::Quiet)
        Put(stdout, out);
    return kExitOk;
}

int RunPack(const ParsedArgs& call)
{
    const GfpPacking packing = PackingOf(call);
    const Args& args = call.operands;
    if (args.size() != 2) {
        PrintError(UsageLine("pack"));
        return kExitUsage;
    }
    const Verbosity verbosity = VerbosityOf(call);
    CommandProgress progress(verbosity, kItems);
    const jobs::PackResult result = jobs::PackArchive(Path(args[0]), Path(args[1]), packing, progress.Job());
    progress.Clear();
    if (result.cancelled) {
        PrintInterrupted(QT_TRANSLATE_NOOP("Varnox", "das Archiv blieb, wie es war"));
        return kExitInterrupted;
    }
    if (!result.status) {
        PrintError(MessageText(result.status.error()));
        return kExitFailed;
    }
    if (verbosity != Verbosity::Quiet)
        Put(stdout, TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1 Einträge nach %2 gepackt"),
                                  {std::to_string(result.items), args[1]}) +
                        '\n');
    return kExitOk;
}

int RunReplace(const ParsedArgs& call)
{
    const GfpPacking packing = PackingOf(call);
    const Args& rest = call.operands;
    if (rest.size() != 3) {
        PrintError(UsageLine("replace"));
        return kExitUsage;
    }
    const jobs::ReplaceResult result = jobs::ReplaceItem(Path(rest[0]), rest[1], Path(rest[2]), packing);
    if (!result.status) {
        PrintError(MessageText(result.status.error()));
        return kExitFailed;
    }
    if (VerbosityOf(call) != Verbosity::Quiet)
        Put(stdout, ReplacedText(result) + '\n');
    return kExitOk;
}

} // namespace varnox::cli
