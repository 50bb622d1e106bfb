#include "cli/help.h"
#include "formats/text.h"
#include "tools/docs.h"

#include <algorithm>
#include <utility>

namespace varnox::docs {

namespace {

// What the shells need of a command: its options, which take a value (a file or another
// word), and the kind of each operand.
struct CommandShape {
    std::string name;
    std::string description;
    std::vector<std::string> options;
    std::vector<std::string> valued;
    std::vector<std::string> fileValued;
    std::vector<std::string> kinds;
};

// The kinds as the scripts name them, and the extensions of those that are files.
struct KindName {
    cli::Operand operand;
    const char* name;
    std::vector<std::string> extensions;
};

const std::vector<KindName>& Kinds()
{
    static const std::vector<KindName> kinds = {
        {cli::Operand::Archive, "archive", {"res"}},
        {cli::Operand::Gfp, "gfp", {"gfp"}},
        {cli::Operand::Tga, "tga", {"tga"}},
        {cli::Operand::Png, "png", {"png"}},
        {cli::Operand::Picture, "picture", {"gfp", "png", "tga"}},
        {cli::Operand::ArchiveOrGfp, "archive-or-gfp", {"res", "gfp"}},
        {cli::Operand::File, "file", {}},
        {cli::Operand::Folder, "folder", {}},
        {cli::Operand::Command, "command", {}},
        {cli::Operand::Item, "item", {}},
    };
    return kinds;
}

const KindName& Kind(cli::Operand operand)
{
    return *std::find_if(Kinds().begin(), Kinds().end(),
                         [&](const KindName& kind) { return kind.operand == operand; });
}

// Whether the help text names the option's value DATEI (a file), as in "-o DATEI".
bool TakesFile(const cli::CommandHelp& command, const cli::OptionSpec& spec)
{
    const std::string longName = "--" + std::string(spec.name);
    const std::string shortName = spec.letter != 0 ? std::string{'-', spec.letter} : longName;
    std::string german;
    for (const char* options : cli::OptionTexts(command))
        german += options;
    for (const OptionLine& line : OptionLines(german)) {
        std::string tag = line.tag;
        std::replace(tag.begin(), tag.end(), ',', ' ');
        tag += ' ';
        for (const std::string& name : {longName, shortName})
            if (tag.find(name + " DATEI ") != std::string::npos ||
                tag.find(name + "=DATEI ") != std::string::npos)
                return true;
    }
    return false;
}

CommandShape Shape(const cli::CommandHelp& command)
{
    CommandShape shape{std::string(command.name), Translate(command.summary), {}, {}, {}, {}};
    // One line: the summary up to its first pause.
    std::replace(shape.description.begin(), shape.description.end(), '\n', ' ');
    shape.description = shape.description.substr(0, shape.description.find_first_of(";("));
    shape.description.erase(shape.description.find_last_not_of(' ') + 1);
    for (const cli::OptionSpec& spec : command.accepted) {
        std::vector<std::string> names = {"--" + std::string(spec.name)};
        if (spec.letter != 0)
            names.push_back(std::string{'-', spec.letter});
        shape.options.insert(shape.options.end(), names.begin(), names.end());
        if (spec.takesValue)
            shape.valued.insert(shape.valued.end(), names.begin(), names.end());
        if (spec.takesValue && TakesFile(command, spec))
            shape.fileValued.insert(shape.fileValued.end(), names.begin(), names.end());
    }
    shape.options.insert(shape.options.end(), {"--help", "-h"});
    for (const cli::Operand operand : command.operands)
        shape.kinds.emplace_back(Kind(operand).name);
    if (shape.kinds.empty())
        shape.kinds.emplace_back("item");
    return shape;
}

std::vector<CommandShape> Shapes()
{
    std::vector<CommandShape> shapes;
    for (const cli::CommandHelp& command : cli::Commands())
        shapes.push_back(Shape(command));
    return shapes;
}

std::string Words(const std::vector<std::string>& words)
{
    std::string out;
    for (const std::string& word : words)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

std::string CommandNames()
{
    std::vector<std::string> names;
    for (const cli::CommandHelp& command : cli::Commands())
        names.emplace_back(command.name);
    return Words(names);
}

// A text inside single quotes of a shell.
std::string Quoted(std::string_view text, std::string_view quote)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string(quote) : std::string(1, c);
    return out + "'";
}

// "res" as a bash pattern of either case: [rR][eE][sS].
std::string AnyCase(std::string_view extension)
{
    std::string out;
    for (const char c : extension)
        out += std::string("[") + c + static_cast<char>(c - 'a' + 'A') + "]";
    return out;
}

// The cases of a shell's kind switch: kind) patterns=... ;; (a bash array, a zsh alternation).
std::string KindPatterns(std::string (*pattern)(std::string_view), const char* separator, const char* open,
                         const char* close)
{
    std::string out;
    for (const KindName& kind : Kinds()) {
        if (kind.extensions.empty())
            continue;
        std::string patterns;
        for (const std::string& extension : kind.extensions)
            patterns += (patterns.empty() ? "" : separator) + pattern(extension);
        out += "    " + std::string(kind.name) + ") patterns=" + open + patterns + close + " ;;\n";
    }
    return out;
}

// The per-command switch shared by bash and zsh.
std::string ShapeCases()
{
    std::string out;
    for (const CommandShape& shape : Shapes())
        out += "    " + shape.name + ") options='" + Words(shape.options) + "' valued='" +
               Words(shape.valued) + "' filevalued='" + Words(shape.fileValued) + "' kinds='" +
               Words(shape.kinds) + "' ;;\n";
    return out;
}

// The loop of bash and zsh over the words before the current one: the count of operands,
// whether "--" ended the options, and whether the current word is an option's value.
constexpr const char* kOperandCount = R"(    local i word skip= ended= count=0
    for ((i = FIRST; i < LAST; i++)); do
        word=${WORDS[i]}
        if [[ -n $skip ]]; then
            skip=
        elif [[ -n $ended || $word == - || $word != -* ]]; then
            count=$((count + 1))
        elif [[ $word == -- ]]; then
            ended=1
        elif [[ " $valued " == *" $word "* ]]; then
            skip=1
        fi
    done
)";

std::string OperandCount(const char* first, const char* last, const char* words)
{
    std::string loop = kOperandCount;
    for (const auto& [from, to] : {std::pair{"FIRST", first}, {"LAST", last}, {"WORDS", words}})
        loop.replace(loop.find(from), std::string_view(from).size(), to);
    return loop;
}

} // namespace

std::string BashCompletion()
{
    std::string script =
        "# bash completion for varnox-cli, made by varnox-docs from its command table.\n\n"
        "# Completes the current word as an operand of the kind $1.\n"
        "_varnox_cli_operand()\n{\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} pattern\n    local -a patterns=()\n    case $1 in\n";
    script +=
        "    command) mapfile -t COMPREPLY < <(compgen -W '" + CommandNames() + "' -- \"$cur\"); return ;;\n";
    script += KindPatterns([](std::string_view extension) { return "'" + AnyCase(extension) + "'"; }, " ",
                           "(", ")");
    script +=
        "    folder) ;;\n"
        "    file)\n        compopt -o filenames 2>/dev/null\n"
        "        mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n        return ;;\n"
        "    *) COMPREPLY=(); return ;;\n    esac\n"
        "    compopt -o filenames 2>/dev/null\n"
        "    mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")\n"
        "    for pattern in \"${patterns[@]}\"; do\n"
        "        mapfile -t -O ${#COMPREPLY[@]} COMPREPLY < <(compgen -f -X \"!*.$pattern\" -- \"$cur\")\n"
        "    done\n}\n\n";
    script += "_varnox_cli()\n{\n    local cur=${COMP_WORDS[COMP_CWORD]}\n"
              "    if ((COMP_CWORD == 1)); then\n"
              "        mapfile -t COMPREPLY < <(compgen -W '" +
              CommandNames() +
              " --help --version' -- \"$cur\")\n        return\n    fi\n"
              "    local options valued filevalued kinds\n    case ${COMP_WORDS[1]} in\n";
    script += ShapeCases() + "    *) return ;;\n    esac\n" + OperandCount("2", "COMP_CWORD", "COMP_WORDS");
    script +=
        "    if [[ -n $skip ]]; then\n"
        "        [[ \" $filevalued \" == *\" ${COMP_WORDS[COMP_CWORD - 1]} \"* ]] && _varnox_cli_operand "
        "file\n"
        "        return\n    fi\n"
        "    if [[ -z $ended && $cur == -* ]]; then\n"
        "        mapfile -t COMPREPLY < <(compgen -W \"$options\" -- \"$cur\")\n        return\n    fi\n"
        "    local -a operands=($kinds)\n"
        "    _varnox_cli_operand \"${operands[count]:-${operands[-1]}}\"\n}\n\n"
        "complete -F _varnox_cli varnox-cli\n";
    return script;
}

std::string ZshCompletion()
{
    std::string script = "#compdef varnox-cli\n# zsh completion for varnox-cli, made by varnox-docs from its "
                         "command table.\n\n_varnox-cli() {\n    local -a commands\n    commands=(\n";
    for (const CommandShape& shape : Shapes()) {
        std::string entry = shape.name + ':' + shape.description;
        std::string escaped;
        for (const char c : entry.substr(shape.name.size() + 1))
            escaped += c == ':' ? std::string("\\:") : std::string(1, c);
        script += "        " + Quoted(shape.name + ':' + escaped, "'\\''") + "\n";
    }
    script += "    )\n    if ((CURRENT == 2)); then\n        _describe -t commands command commands\n        "
              "return\n"
              "    fi\n    local options valued filevalued kinds patterns=\n    case $words[2] in\n";
    script += ShapeCases() + "    *) return 1 ;;\n    esac\n" + OperandCount("3", "CURRENT", "words");
    script +=
        "    if [[ -n $skip ]]; then\n"
        "        [[ \" $filevalued \" == *\" $words[CURRENT-1] \"* ]] && _files\n        return\n    fi\n"
        "    if [[ -z $ended && $PREFIX == -* ]]; then\n        compadd -- ${=options}\n        return\n    "
        "fi\n"
        "    local -a operands\n    operands=(${=kinds})\n"
        "    local kind=${operands[count + 1]:-${operands[-1]}}\n    case $kind in\n"
        "    command) _describe -t commands command commands; return ;;\n"
        "    folder) _files -/; return ;;\n    file) _files; return ;;\n";
    script += KindPatterns([](std::string_view extension) { return std::string(extension); }, "|", "'", "'");
    script +=
        "    *) return 1 ;;\n    esac\n    _files -g \"*.(#i)($patterns)(-.)\"\n}\n\n_varnox-cli \"$@\"\n";
    return script;
}

std::string FishCompletion()
{
    std::string script = "# fish completion for varnox-cli, made by varnox-docs from its command table.\n\n"
                         "# The kind of the word being completed: an operand's kind, or file/value after an\n"
                         "# option that takes one.\nfunction __varnox_cli_kind\n"
                         "    set -l words (commandline -opc)\n    set -l valued\n    set -l filevalued\n"
                         "    set -l kinds item\n    switch \"$words[2]\"\n";
    for (const CommandShape& shape : Shapes())
        script += "        case " + shape.name + "\n            set valued " + Words(shape.valued) +
                  "\n            set filevalued " + Words(shape.fileValued) + "\n            set kinds " +
                  Words(shape.kinds) + "\n";
    script +=
        "    end\n    set -l count 0\n    set -l skip\n    set -l ended\n    set -l previous\n"
        "    for word in $words[3..-1]\n"
        "        if test -n \"$skip\"\n            set skip\n"
        "        else if test -n \"$ended\"; or test \"x$word\" = x-; or not string match -q -- '-*' $word\n"
        "            set count (math $count + 1)\n"
        "        else if test \"x$word\" = x--\n            set ended 1\n"
        "        else if contains -- $word $valued\n            set skip 1\n            set previous $word\n"
        "        end\n    end\n"
        "    if test -n \"$skip\"\n        contains -- $previous $filevalued; and echo file; or echo value\n"
        "        return\n    end\n"
        "    set -l index (math \"min($count + 1, \"(count $kinds)\")\")\n    echo $kinds[$index]\nend\n\n"
        "# Folders, and the files whose names end in one of the extensions given, in any case.\n"
        "function __varnox_cli_files\n    set -l token (commandline -ct)\n"
        "    for file in $token*\n        if test -d $file\n            echo $file/\n"
        "        else if string match -qir -- '\\\\.('(string join '|' $argv)')$' $file\n"
        "            echo $file\n        end\n    end\nend\n\n"
        "complete -c varnox-cli -f\n";
    for (const CommandShape& shape : Shapes())
        script += "complete -c varnox-cli -n __fish_use_subcommand -a " + shape.name + " -d " +
                  Quoted(shape.description, "\\'") + "\n";
    for (const cli::CommandHelp& command : cli::Commands())
        for (const cli::OptionSpec& spec : command.accepted)
            script += "complete -c varnox-cli -n '__fish_seen_subcommand_from " + std::string(command.name) +
                      "' -l " + std::string(spec.name) +
                      (spec.letter != 0 ? std::string(" -s ") + spec.letter : "") +
                      (spec.takesValue ? (TakesFile(command, spec) ? " -r -F" : " -x") : "") + "\n";
    script += "complete -c varnox-cli -n 'not __fish_use_subcommand' -s h -l help\n";
    const std::string when =
        "complete -c varnox-cli -n 'not __fish_use_subcommand; and test (__varnox_cli_kind) = ";
    for (const KindName& kind : Kinds())
        if (!kind.extensions.empty())
            script += when + kind.name + "' -a '(__varnox_cli_files " + Words(kind.extensions) + ")'\n";
    script += when + "folder' -a '(__fish_complete_directories)'\n" + when + "file' -F\n" + when +
              "command' -a '" + CommandNames() + "'\n";
    return script;
}

} // namespace varnox::docs
