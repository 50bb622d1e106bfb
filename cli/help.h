#pragma once
// The help texts of varnox-cli, one entry per command: the overview of --help, the part
// "help COMMAND" and "COMMAND --help" print, and the usage line of a wrong call all come
// from here, and the man page follows the same list.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnox::cli {

struct CommandHelp {
    std::string_view name;
    std::string_view synopsis; // the call after "varnox-cli "
    std::string_view summary;  // the lines of the overview, without indentation
    std::string_view options;  // "  -x  what it does" lines, may be empty
};

// Every command in the order the overview lists them.
const std::vector<CommandHelp>& Commands();

// The command of that name; nullopt for none.
std::optional<CommandHelp> FindCommand(std::string_view name);

// "Aufruf: varnox-cli " and the command's synopsis.
std::string UsageLine(std::string_view command);

// The whole overview (--help), and the part of one command.
std::string OverviewText();
std::string CommandText(const CommandHelp& command);

} // namespace varnox::cli
