// varnox-cli: the archive report, unpack, extract, pack, replace, the picture conversions
// and thumbnails from a shell.

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/output.h"
#include "formats/text.h"
#include "l10n/gettext.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <new>
#include <optional>

#ifndef VARNOX_VERSION
#define VARNOX_VERSION "0.1"
#endif

namespace {

using namespace varnox::cli;

// "help [COMMAND]": the overview, or the part of one command.
int RunHelp(const ParsedArgs& call)
{
    const Args& args = call.operands;
    if (args.empty()) {
        Put(stdout, OverviewText());
        return kExitOk;
    }
    const std::optional<CommandHelp> command = args.size() == 1 ? FindCommand(args[0]) : std::nullopt;
    if (!command) {
        PrintError(varnox::TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1 (Befehle: siehe varnox-cli --help)"),
                                         {UsageLine("help")}));
        return kExitUsage;
    }
    Put(stdout, CommandText(*command));
    return kExitOk;
}

// Whether -h or --help stands among args before "--", whatever else is wrong with them.
bool AsksForHelp(const Args& args)
{
    const auto end = std::find(args.begin(), args.end(), "--");
    return std::find_if(args.begin(), end,
                        [](const std::string& arg) { return arg == "-h" || arg == "--help"; }) != end;
}

// The command's exit code.
int RunCommand(const std::string& command, const ParsedArgs& args)
{
    if (command == "report")
        return RunReport(args, false);
    if (command == "unpack")
        return RunReport(args, true);
    if (command == "gfp2tga")
        return RunGfp2Picture(args, varnox::jobs::PictureFormat::Tga);
    if (command == "gfp2png")
        return RunGfp2Picture(args, varnox::jobs::PictureFormat::Png);
    if (command == "tga2gfp")
        return RunPicture2Gfp(args, varnox::jobs::PictureFormat::Tga);
    if (command == "png2gfp")
        return RunPicture2Gfp(args, varnox::jobs::PictureFormat::Png);
    if (command == "extract")
        return RunExtract(args);
    if (command == "pack")
        return RunPack(args);
    if (command == "replace")
        return RunReplace(args);
    if (command == "edit")
        return RunEdit(args);
    if (command == "restore")
        return RunRestore(args);
    if (command == "thumbnail")
        return RunThumbnail(args);
    return RunHelp(args);
}

// The texts in the user's language, from the catalogue beside this program.
void ChooseLanguage()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    varnox::l10n::UseCatalogue(varnox::l10n::ChosenLanguage(), self.parent_path().string());
}

} // namespace

namespace varnox::cli {

void PrintError(const std::string& message)
{
    Put(stderr, "varnox-cli: " + message + '\n');
}

} // namespace varnox::cli

int main(int argc, char** argv)
{
    ChooseLanguage();
    // A reader that went away is told as a failed write to "-", not by a silent death that
    // would leave a pipe's private folder behind.
    std::signal(SIGPIPE, SIG_IGN);
    Args args(argv + 1, argv + argc);
    if (args.empty()) {
        Put(stderr, OverviewText());
        return kExitUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    try {
        if (command == "--help" || command == "-h") {
            Put(stdout, OverviewText());
            return kExitOk;
        }
        if (command == "--version") {
            Put(stdout, "varnox-cli " VARNOX_VERSION "\n");
            return kExitOk;
        }
        if (const std::optional<CommandHelp> known = FindCommand(command)) {
            const Parsed parsed = ParseArgs(args, known->accepted);
            if ((parsed.args && parsed.args->help) || AsksForHelp(args)) {
                Put(stdout, CommandText(*known));
                return kExitOk;
            }
            if (!parsed.args) {
                PrintError(UsageErrorText(command, parsed.error));
                return kExitUsage;
            }
            return RunCommand(command, *parsed.args);
        }
    } catch (const std::bad_alloc&) {
        PrintError(varnox::Translate(QT_TRANSLATE_NOOP("Varnox", "Nicht genug Arbeitsspeicher")));
        return kExitFailed;
    } catch (const std::exception& e) {
        PrintError(varnox::Translate(e.what()));
        return kExitFailed;
    }
    PrintError(varnox::TranslateWith(
        QT_TRANSLATE_NOOP("Varnox", "unbekannter Befehl: %1 (siehe varnox-cli --help)"), {command}));
    return kExitUsage;
}
