// The one option parser of varnox-cli: every form getopt users write, against each command's
// own options from the command table.

#include "cli/help.h"
#include "cli/options.h"

#include <gtest/gtest.h>

namespace varnox::cli {
namespace {

using Kind = UsageError::Kind;

struct ParseCase {
    const char* name;
    const char* command;
    std::vector<std::string> args;
    std::map<std::string, std::string, std::less<>> options; // when parsed
    std::vector<std::string> operands;
    bool help = false;
    std::optional<Kind> error; // set: refused with this kind
    friend std::ostream& operator<<(std::ostream& os, const ParseCase& c) { return os << c.name; }
};

class OptionParserTest : public testing::TestWithParam<ParseCase> {};

TEST_P(OptionParserTest, ParsesAsGetopt)
{
    const ParseCase& c = GetParam();
    const std::optional<CommandHelp> command = FindCommand(c.command);
    ASSERT_TRUE(command);
    const Parsed parsed = ParseArgs(c.args, command->accepted);
    if (c.error) {
        ASSERT_FALSE(parsed.args);
        EXPECT_EQ(parsed.error.kind, *c.error);
        EXPECT_NE(UsageErrorText(c.command, parsed.error).find(UsageLine(c.command)), std::string::npos);
        return;
    }
    ASSERT_TRUE(parsed.args) << parsed.error.argument;
    EXPECT_EQ(parsed.args->options, c.options);
    EXPECT_EQ(parsed.args->operands, c.operands);
    EXPECT_EQ(parsed.args->help, c.help);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, OptionParserTest,
    testing::Values(
        ParseCase{"LongFlag", "pack", {"--fast", "d", "a.res"}, {{"fast", ""}}, {"d", "a.res"}},
        ParseCase{"OptionsAfterOperands",
                  "pack",
                  {"d", "a.res", "--uncompressed"},
                  {{"uncompressed", ""}},
                  {"d", "a.res"}},
        ParseCase{"ShortValueApart", "gfp2tga", {"-j", "3", "a.gfp"}, {{"jobs", "3"}}, {"a.gfp"}},
        ParseCase{"ShortValueJoined", "gfp2tga", {"-j3", "a.gfp"}, {{"jobs", "3"}}, {"a.gfp"}},
        ParseCase{"LongValueEquals",
                  "thumbnail",
                  {"--size=128", "a.gfp", "b.png"},
                  {{"size", "128"}},
                  {"a.gfp", "b.png"}},
        ParseCase{"LongValueApart",
                  "thumbnail",
                  {"--size", "64", "a.gfp", "b.png"},
                  {{"size", "64"}},
                  {"a.gfp", "b.png"}},
        ParseCase{"DoubleDashEndsOptions", "report", {"--", "-x.res"}, {}, {"-x.res"}},
        ParseCase{"DashIsAFile", "png2gfp", {"-", "a.gfp"}, {}, {"-", "a.gfp"}},
        ParseCase{"HelpAfterCommand", "report", {"-h"}, {}, {}, true},
        ParseCase{"LongHelpAmongOthers", "extract", {"a.res", "--help"}, {}, {"a.res"}, true},
        ParseCase{"HelpAfterDoubleDashIsAFile", "restore", {"--", "--help"}, {}, {"--help"}},
        ParseCase{"GroupOfTwoRefused", "extract", {"--png", "--tga", "a.res"}, {}, {}, false, Kind::Excluded},
        ParseCase{
            "SameTwiceRefused", "tga2gfp", {"--fast", "--fast", "a", "b"}, {}, {}, false, Kind::Excluded},
        ParseCase{"UnknownLong", "report", {"--fast", "a.res"}, {}, {}, false, Kind::UnknownOption},
        ParseCase{"UnknownShort", "pack", {"-x", "d", "a.res"}, {}, {}, false, Kind::UnknownOption},
        ParseCase{"ValueMissing", "thumbnail", {"a.gfp", "b.png", "-s"}, {}, {}, false, Kind::MissingValue},
        ParseCase{"ValueToAFlag", "pack", {"--fast=yes", "d", "a.res"}, {}, {}, false, Kind::UnwantedValue},
        ParseCase{"EmptyArgument", "restore", {""}, {}, {}, false, Kind::EmptyArgument},
        ParseCase{"EmptyAfterDoubleDash", "gfp2png", {"--", ""}, {}, {}, false, Kind::EmptyArgument}),
    [](const testing::TestParamInfo<ParseCase>& row) { return std::string(row.param.name); });

} // namespace
} // namespace varnox::cli
