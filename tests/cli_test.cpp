// varnox-cli report and unpack, run as a program: output lines, exit codes, messages.

#include "tests/support/builders.h"
#include "tests/support/cli_runner.h"

#include <gtest/gtest.h>

using namespace varnox;

namespace {

using test::CliRun;
using test::RunCli;

const std::string kReport = "Gültige RES-File\nAnzahl:1\nDataoffset:12\nInfooffset:20\n"
                            "\tItemdatatype:Grafik(14)\n\tItemdataoffset:276\n\tItemname:pic\n";

struct CliCase {
    const char* name;
    std::vector<std::string> args;
    Bytes archive; // written as a.res when not empty
    int exitCode;
    std::string out;                   // exact stdout
    std::vector<std::string> errParts; // each must appear in stderr; none: stderr empty
    std::vector<std::string> tree;     // the folder afterwards
    friend std::ostream& operator<<(std::ostream& os, const CliCase& c) { return os << c.name; }
};

const Bytes kGood = test::MakeRes({{14, "pic", test::MakeGfp()}});
const Bytes kNoRes = test::MakeGfp();
const Bytes kNoItems = [] {
    Bytes b = kGood;
    PutLe32(b, 4, 0);
    return b;
}();
const std::vector<test::ResItemSpec> kBadItems = {{14, "pic", test::MakeGfp()}, {14, "bad", Bytes(8, 0)}};
const Bytes kBadItem = test::MakeRes(kBadItems);
const std::string kBadItemOut = "Gültige RES-File\nAnzahl:2\nDataoffset:12\nInfooffset:28\n"
                                "\tItemdatatype:Grafik(14)\n\tItemdataoffset:540\n\tItemname:pic\n"
                                "\tItemdatatype:Grafik(14)\n\tItemdataoffset:" +
                                std::to_string(test::LayoutRes(kBadItems).itemOffsets[1]) +
                                "\n\tItemname:bad\n"
                                "Nicht entpackt: 1\n\tbad: Die Daten beginnen nicht mit \"NALP\"\n";

// A name that would clear the terminal and forge a line reaches it only as text.
const Bytes kControlName = test::MakeRes({{14, "\x1B[2J\r\nx", test::MakeGfp()}});
const std::string kControlNameOut =
    "Gültige RES-File\nAnzahl:1\nDataoffset:12\nInfooffset:20\n"
    "\tItemdatatype:Grafik(14)\n\tItemdataoffset:276\n\tItemname:\\x1B[2J\\x0D\\x0Ax\n"
    "Nicht entpackt: 1\n\t\\x1B[2J\\x0D\\x0Ax: Der Name enthält Steuerzeichen\n";

class CliTest : public testing::TestWithParam<CliCase> {};

TEST_P(CliTest, OutputAndExitCode)
{
    const CliCase& c = GetParam();
    test::TempDir dir;
    if (!c.archive.empty())
        test::WriteBytes(dir / "a.res", c.archive);
    const CliRun run = RunCli(c.args, dir.path());
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out, c.out);
    for (const auto& part : c.errParts)
        EXPECT_NE(run.err.find(part), std::string::npos) << part << " not in: " << run.err;
    if (c.errParts.empty()) {
        EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(test::ListTree(dir.path()), c.tree);
}

const std::vector<std::string> kArchiveOnly = {"a.res"};

INSTANTIATE_TEST_SUITE_P(
    Cases, CliTest,
    testing::Values(
        CliCase{"Report", {"report", "a.res"}, kGood, 0, kReport, {}, kArchiveOnly},
        CliCase{"Unpack", {"unpack", "./a.res"}, kGood, 0, kReport, {}, {"a", "a.res", "a/pic.gfp"}},
        CliCase{"NoRes", {"report", "a.res"}, kNoRes, 1, "", {"a.res: Keine gültige RES-File"}, kArchiveOnly},
        CliCase{"Missing",
                {"unpack", "gone.res"},
                {},
                1,
                "",
                {"gone.res: Die Datei kann nicht geöffnet werden"},
                {}},
        CliCase{"NoItems",
                {"unpack", "a.res"},
                kNoItems,
                1,
                "",
                {"a.res: Die Anzahl der Einträge"},
                kArchiveOnly},
        CliCase{"ItemNotUnpacked",
                {"unpack", "a.res"},
                kBadItem,
                1,
                kBadItemOut,
                {"a.res: 1 Bilder nicht entpackt"},
                {"a", "a.res", "a/pic.gfp"}},
        CliCase{"ControlCharacters",
                {"unpack", "a.res"},
                kControlName,
                1,
                kControlNameOut,
                {"a.res: 1 Bilder nicht entpackt"},
                kArchiveOnly},
        CliCase{"NoArguments", {}, {}, 2, "", {"Aufruf: varnox-cli BEFEHL"}, {}},
        CliCase{"ReportWithoutArchive", {"report"}, {}, 2, "", {"Aufruf: varnox-cli report ARCHIV"}, {}},
        CliCase{"TwoArchives",
                {"unpack", "a.res", "a.res"},
                kGood,
                2,
                "",
                {"Aufruf: varnox-cli unpack ARCHIV"},
                kArchiveOnly},
        CliCase{"OptionAsArchive", {"report", "--all"}, {}, 2, "", {"Aufruf: varnox-cli report"}, {}},
        CliCase{
            "UnknownCommand", {"list", "a.res"}, kGood, 2, "", {"unbekannter Befehl: list"}, kArchiveOnly}),
    test::CaseName());

TEST(Cli, HelpAndVersion)
{
    test::TempDir dir;
    const CliRun help = RunCli({"--help"}, dir.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("report ARCHIV"), std::string::npos);
    EXPECT_NE(help.out.find("unpack ARCHIV"), std::string::npos);
    EXPECT_EQ(help.err, "");
    const CliRun version = RunCli({"--version"}, dir.path());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("varnox-cli ", 0), 0u) << version.out;
    EXPECT_EQ(version.out.back(), '\n');
}

TEST(Cli, ArchiveInAnotherFolderUnpacksBesideIt)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "game");
    test::WriteBytes(dir / "game" / "gfx.res", kGood);
    const CliRun run = RunCli({"unpack", (dir / "game" / "gfx.res").string()}, "/");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::ListTree(dir.path()),
              (std::vector<std::string>{"game", "game/gfx", "game/gfx.res", "game/gfx/pic.gfp"}));
}

} // namespace
