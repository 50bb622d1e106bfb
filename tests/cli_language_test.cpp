// varnox-cli in the user's language: German under C and every locale that is not English,
// exactly as the other tests expect it; English when the first locale variable set says so.
// The report's field words are a format and the same in both.

#include "tests/support/builders.h"
#include "tests/support/cli_runner.h"

#include <gtest/gtest.h>

using namespace varnox;

namespace {

struct Texts {
    std::string report;  // of an archive with a damaged picture item, run with unpack
    std::string refused; // stderr for a file that is no archive
    std::string usage;   // stderr for report without an archive
};

const std::vector<test::ResItemSpec> kItems = {{14, "pic", test::MakeGfp()}, {14, "bad", Bytes(8, 0)}};

std::string Fields()
{
    return "Anzahl:2\nDataoffset:12\nInfooffset:28\n\tItemdatatype:Grafik(14)\n\tItemdataoffset:540\n"
           "\tItemname:pic\n\tItemdatatype:Grafik(14)\n\tItemdataoffset:" +
           std::to_string(test::LayoutRes(kItems).itemOffsets[1]) + "\n\tItemname:bad\n";
}

const Texts kGerman = {
    "Gültige RES-File\n" + Fields() + "Nicht entpackt: 1\n\tbad: Die Daten beginnen nicht mit \"NALP\"\n",
    "varnox-cli: ./b.res: Keine gültige RES-File\n", "varnox-cli: Aufruf: varnox-cli report ARCHIV\n"};
const Texts kEnglish = {
    "Valid RES file\n" + Fields() + "Not unpacked: 1\n\tbad: The data do not begin with \"NALP\"\n",
    "varnox-cli: ./b.res: Not a valid RES file\n", "varnox-cli: Usage: varnox-cli report ARCHIVE\n"};

struct LocaleCase {
    const char* name;
    test::Locale locale;
    bool english;
    friend std::ostream& operator<<(std::ostream& os, const LocaleCase& c) { return os << c.name; }
};

class CliLanguageTest : public testing::TestWithParam<LocaleCase> {};

TEST_P(CliLanguageTest, ReportRefusalUsageAndHelp)
{
    const LocaleCase& c = GetParam();
    const Texts& expected = c.english ? kEnglish : kGerman;
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes(kItems));
    test::WriteBytes(dir / "b.res", test::MakeGfp());

    const test::CliRun unpack = test::RunCli({"unpack", "a.res"}, dir.path(), test::RunAs::Self, c.locale);
    EXPECT_EQ(unpack.exitCode, 1);
    EXPECT_EQ(unpack.out, expected.report);
    EXPECT_EQ(test::RunCli({"report", "b.res"}, dir.path(), test::RunAs::Self, c.locale).err,
              expected.refused);
    EXPECT_EQ(test::RunCli({"report"}, dir.path(), test::RunAs::Self, c.locale).err, expected.usage);

    // Every line of the help in the same language: no German letter in the English one.
    const std::string help = test::RunCli({"--help"}, dir.path(), test::RunAs::Self, c.locale).out;
    EXPECT_EQ(help.find(c.english ? "Usage: varnox-cli COMMAND" : "Aufruf: varnox-cli BEFEHL"), 0u) << help;
    for (const char* german : {"ä", "ö", "ü", "ß", "Ä", "Ö", "Ü"})
        EXPECT_TRUE(!c.english || help.find(german) == std::string::npos) << german << " in " << help;
}

INSTANTIATE_TEST_SUITE_P(
    Locales, CliLanguageTest,
    testing::Values(LocaleCase{"C", {"LANG=C"}, false}, LocaleCase{"CUtf8", {"LC_ALL=C.UTF-8"}, false},
                    LocaleCase{"German", {"LANG=de_DE.UTF-8"}, false},
                    LocaleCase{"OtherLanguage", {"LANG=fr_FR.UTF-8"}, false},
                    LocaleCase{"Lang", {"LANG=en_US.UTF-8"}, true},
                    LocaleCase{"Language", {"LANGUAGE=en", "LC_ALL=C"}, true},
                    LocaleCase{"LanguageListGermanFirst", {"LANGUAGE=de:en", "LANG=en_US.UTF-8"}, false},
                    LocaleCase{"Messages", {"LC_MESSAGES=en_GB.UTF-8", "LANG=C"}, true},
                    LocaleCase{"LcAllBeforeLang", {"LC_ALL=C", "LANG=en_US.UTF-8"}, false}),
    [](const testing::TestParamInfo<LocaleCase>& locale) { return std::string(locale.param.name); });

} // namespace
