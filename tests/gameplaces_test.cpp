#include "jobs/gameplaces.h"
#include "support/builders.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace varnox {
namespace {

using test::TempDir;
using test::Text;
using test::WriteBytes;

struct VdfCase {
    const char* name;
    const char* vdf;
    std::vector<std::string> libraries;
};

const VdfCase kVdfCases[] = {
    {"current_layout",
     "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/u/.local/share/"
     "Steam\"\n\t\t\"label\"\t\t\"\"\n"
     "\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"12345\"\n\t\t}\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"/mnt/"
     "games\"\n\t}\n}\n",
     {"/home/u/.local/share/Steam", "/mnt/games"}},
    {"older_layout",
     "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1\"\n\t\"1\"\t\"/mnt/old\"\n}\n",
     {"/mnt/old"}},
    {"escaped_quote", "\"libraryfolders\" { \"0\" { \"path\" \"/a \\\"b\\\"\" } }", {"/a \"b\""}},
    {"named_twice", "\"0\" { \"path\" \"/x\" } \"1\" { \"path\" \"/x\" }", {"/x"}},
    {"relative_and_empty_paths", "\"0\" { \"path\" \"x\" \"path\" \"\" }", {}},
    {"cut_off", "\"libraryfolders\" { \"0\" { \"path\" \"/unfinished", {"/unfinished"}},
    {"not_vdf", "\x01\x02{{}}\"", {}},
};

class SteamLibraries : public testing::TestWithParam<VdfCase> {};

TEST_P(SteamLibraries, ReadsThePathsNamed)
{
    EXPECT_EQ(jobs::ReadSteamLibraries(GetParam().vdf), GetParam().libraries);
}

INSTANTIATE_TEST_SUITE_P(Vdf, SteamLibraries, testing::ValuesIn(kVdfCases),
                         [](const auto& row) { return std::string(row.param.name); });

// A made-up home: Steam's file naming a library with games, one without, one that is gone;
// a Wine prefix of its own and one named by WINEPREFIX.
TEST(GamePlaces, ExistingLibrariesAndWinePrefixes)
{
    const TempDir home;
    const Path games = home / "lib1";
    std::filesystem::create_directories(games / "steamapps" / "common");
    std::filesystem::create_directories(home / "lib2");
    std::filesystem::create_directories(home / ".steam" / "steam" / "steamapps");
    std::filesystem::create_directories(home / ".wine" / "drive_c");
    std::filesystem::create_directories(home / "other" / "drive_c");
    const std::string vdf = "\"libraryfolders\" { \"0\" { \"path\" \"" + games.string() +
                            "\" } \"1\" { \"path\" \"" + (home / "lib2").string() +
                            "\" } \"2\" { \"path\" \"" + (home / "gone").string() + "\" } }";
    WriteBytes(home / ".steam/steam/steamapps/libraryfolders.vdf", Text(vdf));

    const std::vector<Path> expected{games / "steamapps" / "common", home / "lib2",
                                     home / "other" / "drive_c", home / ".wine" / "drive_c"};
    EXPECT_EQ(jobs::FindGamePlaces(home.path(), (home / "other").string()), expected);
    EXPECT_EQ(jobs::FindGamePlaces(home / "nobody", ""), std::vector<Path>{});
}

} // namespace
} // namespace varnox
