#pragma once
// The manual pages and the shells' completion of Varnox, made from varnox-cli's command
// table, so that they say what --help says.

#include <string>
#include <string_view>
#include <vector>

namespace varnox::docs {

// What the first entry of a Debian changelog says: the version and the day, as 2026-12-08.
struct Release {
    std::string version;
    std::string date;
};

// The release of the changelog's first entry; empty fields when it has none.
Release ReadRelease(std::string_view changelog);

// The pages in the language the texts are translated into at the call.
std::string CliManPage(const Release& release);
std::string WindowsManPage(const Release& release);

// The completion scripts; their descriptions in the language of the call.
std::string BashCompletion();
std::string ZshCompletion();
std::string FishCompletion();

// A text as roff: backslashes and minus signs escaped, every character past ASCII as \[uXXXX].
std::string Roff(std::string_view text);

// One option line of a help text ("  -j N   what it does"): its tag and its description.
struct OptionLine {
    std::string tag;
    std::string description;
};
std::vector<OptionLine> OptionLines(std::string_view text);

} // namespace varnox::docs
