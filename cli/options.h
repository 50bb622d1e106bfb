#pragma once
// One option parser for every command, as getopt users expect: "--" ends the options,
// "-" is a file (standard input or output), "--name=value" and "--name value",
// "-s 128" and "-s128", flags grouped as in "-qv", and -h/--help anywhere before "--".

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnox::cli {

struct OptionSpec {
    std::string_view name; // the long name without "--"
    char letter = 0;       // the short name, 0 for none
    bool takesValue = false;
    int group = 0; // options of one group above 0 exclude each other
};

struct ParsedArgs {
    std::map<std::string, std::string, std::less<>> options; // by long name; "" for a flag
    std::vector<std::string> operands;
    bool help = false; // -h or --help was given
};

// What was wrong with a call; the text names the argument at fault.
struct UsageError {
    enum class Kind { UnknownOption, MissingValue, UnwantedValue, Excluded, EmptyArgument } kind;
    std::string argument;
};

// The options and operands of args for a command taking accepted; a UsageError for an
// unknown option, a value missing or given to a flag, two of a group, or an empty argument.
struct Parsed {
    std::optional<ParsedArgs> args;
    UsageError error{UsageError::Kind::UnknownOption, {}};
};
Parsed ParseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& accepted);

} // namespace varnox::cli
