#include "cli/help.h"
#include "formats/text.h"
#include "tools/docs.h"
#include "tools/man_texts.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace varnox::docs {

namespace {

// A metavariable of a synopsis: upper case (ARCHIV, GRÖSSE), no lower-case ASCII letter.
bool IsMetavariable(std::string_view word)
{
    return !word.empty() && word.front() != '-' && word.front() != '#' &&
           std::none_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// One word of a synopsis or an option tag: brackets and "..." roman, a metavariable in
// italics, the rest (command, option) in bold.
std::string SynopsisWord(std::string_view word)
{
    const std::size_t first = word.find_first_not_of("[|");
    if (first == std::string_view::npos)
        return Roff(word);
    std::size_t last = word.size();
    while (last > first && (word[last - 1] == ']' || word[last - 1] == '.'))
        --last;
    const std::string_view core = word.substr(first, last - first);
    const char* font = IsMetavariable(core) ? "\\fI" : "\\fB";
    return Roff(word.substr(0, first)) + font + Roff(core) + "\\fR" + Roff(word.substr(last));
}

std::string Synopsis(std::string_view text)
{
    std::string out;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (!out.empty())
            out += ' ';
        out += SynopsisWord(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

// The lines of a text joined into one, for a filled paragraph.
std::string Joined(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

// A line of running text; one beginning with a dot or quote would be a request.
std::string TextLine(std::string_view text)
{
    const std::string line = Roff(text);
    return (line.starts_with('.') || line.starts_with('\'') ? "\\&" : "") + line + '\n';
}

std::string Heading(const char* german)
{
    return ".SH " + Roff(Translate(german)) + '\n';
}

// A tagged paragraph; the tag already in roff.
std::string Item(std::string_view tag, std::string_view text)
{
    return ".TP\n" + std::string(tag) + '\n' + TextLine(text);
}

// Files, variables and exit codes, their tags in bold.
std::string Items(std::span<const ManItem> items)
{
    std::string out;
    for (const ManItem& item : items)
        out += Item("\\fB" + Roff(Translate(item.tag)) + "\\fR", Translate(item.text));
    return out;
}

std::string Paragraphs(std::span<const char* const> texts)
{
    std::string out;
    for (const char* text : texts)
        out += (out.empty() ? "" : ".PP\n") + TextLine(Translate(text));
    return out;
}

std::string Title(std::string_view name, const Release& release)
{
    std::string title = ".\\\" Made by varnox-docs from the command table and the catalogue.\n";
    title += ".TH " + Roff(name) + " 1 \"" + release.date + "\" \"Varnox " + Roff(release.version) + "\" \"" +
             Roff(Translate(kUserCommands)) + "\"\n";
    return title + ".nh\n.ad l\n";
}

std::string CommandSection(const cli::CommandHelp& command)
{
    std::string out = ".SS \"" + Synopsis("varnox-cli " + Translate(command.synopsis)) + "\"\n";
    std::string summary = Joined(Translate(command.summary)) + '.';
    if (summary.front() >= 'a' && summary.front() <= 'z')
        summary.front() = static_cast<char>(summary.front() - 'a' + 'A');
    out += TextLine(summary);
    if (const char* details = CommandDetails(command.name))
        out += ".PP\n" + TextLine(Translate(details));
    for (const char* options : cli::OptionTexts(command))
        for (const OptionLine& option : OptionLines(Translate(options)))
            out += Item(Synopsis(option.tag), option.description);
    return out;
}

std::string ProgramOptions()
{
    std::string out;
    for (const std::string& text : {cli::CommonOptionLines(), cli::ProgramOptionLines()})
        for (const OptionLine& option : OptionLines(text))
            out += Item(Synopsis(option.tag), option.description);
    return out;
}

} // namespace

std::string Roff(std::string_view text)
{
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte == '\\' || byte == '-') {
            out += byte == '\\' ? "\\e" : "\\-";
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else if ((byte & 0xc0) != 0x80) {
            // A UTF-8 lead byte and its continuation bytes as one code point.
            const int length = byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : 2;
            unsigned code = byte & (0x7fu >> length);
            for (int i = 1; i < length && at + 1 < text.size(); ++i)
                code = code << 6 | (static_cast<unsigned char>(text[++at]) & 0x3fu);
            char name[16];
            std::snprintf(name, sizeof name, "\\[u%04X]", code);
            out += name;
        }
    }
    return out;
}

std::vector<OptionLine> OptionLines(std::string_view text)
{
    std::vector<OptionLine> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos)
            continue;
        const std::size_t gap = line.find("  ", start);
        if (start > 2 && !lines.empty()) { // a description's next line
            lines.back().description += ' ' + std::string(line.substr(start));
            continue;
        }
        const std::string_view tag = line.substr(start, gap == std::string_view::npos ? gap : gap - start);
        const std::size_t described =
            gap == std::string_view::npos ? line.size() : line.find_first_not_of(' ', gap);
        lines.push_back({std::string(tag), std::string(line.substr(std::min(described, line.size())))});
    }
    return lines;
}

std::string CliManPage(const Release& release)
{
    std::string page = Title("VARNOX-CLI", release);
    page += Heading(kHeadingName) + "varnox\\-cli \\- " + Roff(Translate(kCliName)) + '\n';
    page += Heading(kHeadingSynopsis);
    for (const char* synopsis : kCliSynopses)
        page += Synopsis("varnox-cli " + Translate(synopsis)) + "\n.br\n";
    page += Synopsis("varnox-cli --help | --version") + '\n';
    page += Heading(kHeadingDescription) + Paragraphs(kCliDescription);
    page += Heading(kHeadingCommands);
    for (const cli::CommandHelp& command : cli::Commands())
        page += CommandSection(command);
    page += Heading(kHeadingOptions) + TextLine(Translate(kOptionsText)) + ProgramOptions();
    page += Heading(kHeadingLanguage) + Paragraphs(kLanguageText);
    page += Heading(kHeadingExitStatus) + Items(kCliExitStatus);
    page += Heading(kHeadingEnvironment) + Items(kCliEnvironment);
    page += Heading(kHeadingFiles) + Items(kCliFiles);
    page += Heading(kHeadingExamples) + ".nf\n";
    for (const char* example : kCliExamples)
        page += TextLine(example);
    page += ".fi\n" + Heading(kHeadingSeeAlso) + ".BR varnox (1)\n";
    return page;
}

std::string WindowsManPage(const Release& release)
{
    std::string page = Title("VARNOX", release);
    page += Heading(kHeadingName) + "varnox \\- " + Roff(Translate(kWindowsName)) + '\n';
    page += Heading(kHeadingSynopsis) + Synopsis("varnox " + Translate(kWindowsSynopsis)) + '\n';
    page += Heading(kHeadingDescription) + Paragraphs(kWindowsDescription);
    page += Heading(kHeadingArguments) + Items(kWindowsArguments) + ".PP\n" +
            TextLine(Translate(kWindowsNoArgument));
    page += Heading(kHeadingLanguage) + Paragraphs(kLanguageText);
    page += Heading(kHeadingExitStatus) + TextLine(Translate(kWindowsExitStatus));
    page += Heading(kHeadingEnvironment) + Items(kWindowsEnvironment);
    page += Heading(kHeadingFiles) + Items(kWindowsFiles);
    page += Heading(kHeadingSeeAlso) + ".BR varnox\\-cli (1)\n";
    return page;
}

} // namespace varnox::docs
