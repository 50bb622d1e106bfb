#pragma once
// The help texts of varnox-cli, one entry per command: the overview of --help, the part
// "help COMMAND" and "COMMAND --help" print, and the usage line of a wrong call all come
// from here, and the man page follows the same list.

#include "cli/options.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varnox::cli {

// What an operand takes, for the shells' completion: files of one kind, a folder, a command
// name, or a word no file name completes (an item's name or #N).
enum class Operand { Archive, Gfp, Tga, Png, Picture, ArchiveOrGfp, File, Folder, Command, Item };

// The texts in German, as marked for the catalogue; Translate() gives them in the user's
// language.
struct CommandHelp {
    std::string_view name;
    const char* synopsis;                   // the call after "varnox-cli "
    const char* summary;                    // the lines of the overview, without indentation
    const char* options;                    // "  -x  what it does" lines, may be empty
    std::vector<OptionSpec> accepted = {};  // the options the parser takes
    std::span<const Operand> operands = {}; // in order; the last one repeats
};

// Every command in the order the overview lists them.
const std::vector<CommandHelp>& Commands();

// The command of that name; nullopt for none.
std::optional<CommandHelp> FindCommand(std::string_view name);

// "Aufruf: varnox-cli " and the command's synopsis, in the user's language.
std::string UsageLine(std::string_view command);

// The whole overview (--help), and the part of one command, in the user's language.
std::string OverviewText();
std::string CommandText(const CommandHelp& command);

// The option lines every command's help ends with (-h, --), and those of the overview
// (--help, --version), in the user's language.
std::string CommonOptionLines();
// The German option lines of command as marked for the catalogue: its own, then -q/-v where
// it takes them (help, manual page and completion all read these).
std::vector<const char*> OptionTexts(const CommandHelp& command);
std::string ProgramOptionLines();

// The text of a usage error for command in the user's language, with its usage line.
std::string UsageErrorText(std::string_view command, const UsageError& error);

} // namespace varnox::cli
