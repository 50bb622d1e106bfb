// extract --png / --tga and pack taking the pictures beside the GFPs, run as a program.

#include "tests/support/builders.h"
#include "tests/support/cli_runner.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace varnox;

namespace {

using test::RunCli;

Bytes Picture(std::uint32_t seed)
{
    test::GfpSpec spec;
    spec.width = 5;
    spec.height = 3;
    spec.pixels = test::PatternPixels(5, 3, 2, seed);
    return test::MakeGfp(spec);
}

const Bytes kArchive = test::MakeRes(
    {{14, "a", Picture(1)}, {14, "b", Picture(2)}, {16, "klick", Bytes(9, 7)}, {14, "c", Picture(3)}});

struct SideCase {
    const char* name;
    const char* option;                           // "--png" or "--tga"
    std::function<void(const Path& folder)> edit; // what the user does to the extracted folder
    int exitCode;
    std::string errPart; // in stderr when refused
    // The GFP whose item a pack changes, and the picture whose pixels the item then shows.
    std::vector<std::string> changed;
    friend std::ostream& operator<<(std::ostream& os, const SideCase& c) { return os << c.name; }
};

void Copy(const Path& from, const Path& to)
{
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

const SideCase kCases[] = {
    {"png_unchanged", "--png", [](const Path&) {}, 0, "", {}},
    {"tga_unchanged", "--tga", [](const Path&) {}, 0, "", {}},
    {"one_png_edited",
     "--png",
     [](const Path& f) { Copy(f / "a.png", f / "b.png"); },
     0,
     "",
     {"b.gfp", "a.png"}},
    {"one_tga_edited",
     "--tga",
     [](const Path& f) { Copy(f / "c.tga", f / "a.tga"); },
     0,
     "",
     {"a.gfp", "c.tga"}},
    {"only_gfp_changed",
     "--png",
     [](const Path& f) { Copy(f / "c.gfp", f / "b.gfp"); },
     0,
     "",
     {"b.gfp", "c.png"}},
    {"both_changed",
     "--png",
     [](const Path& f) {
         Copy(f / "a.gfp", f / "b.gfp");
         Copy(f / "c.png", f / "b.png");
     },
     1,
     "#1: Sowohl b.gfp als auch b.png wurden geändert",
     {}},
    {"png_is_link",
     "--png",
     [](const Path& f) {
         std::filesystem::remove(f / "b.png");
         std::filesystem::create_symlink("a.png", f / "b.png");
     },
     1,
     "b.png: Ist ein symbolischer Link",
     {}},
    {"png_unreadable",
     "--png",
     [](const Path& f) { test::WriteBytes(f / "b.png", Bytes(20, 1)); },
     1,
     "b.png",
     {}},
};

class SidePictureTest : public ::testing::TestWithParam<SideCase> {};

TEST_P(SidePictureTest, PackTakesWhatWasChanged)
{
    const SideCase& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "x.res", kArchive);
    ASSERT_EQ(RunCli({"extract", c.option, "x.res", "x"}, dir.path()).exitCode, 0);
    const std::string ext = std::string(".") + (c.option + 2);
    for (const std::string stem : {"a", "b", "c"})
        ASSERT_TRUE(std::filesystem::exists(dir / "x" / (stem + ext))) << stem;
    EXPECT_EQ(test::ReadBytes(dir / "x" / "b.gfp"), Picture(2)); // the item's own bytes
    EXPECT_FALSE(std::filesystem::exists(dir / "x" / ("klick" + ext)));
    c.edit(dir / "x");

    const test::CliRun pack = RunCli({"pack", "x", "y.res"}, dir.path());
    ASSERT_EQ(pack.exitCode, c.exitCode) << pack.err;
    if (c.exitCode != 0) {
        EXPECT_NE(pack.err.find(c.errPart), std::string::npos) << pack.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "y.res"));
        return;
    }
    if (c.changed.empty()) {
        EXPECT_EQ(test::ReadBytes(dir / "y.res"), kArchive);
        return;
    }
    // Extracted again, only the edited item differs, and it shows the new pixels.
    ASSERT_EQ(RunCli({"extract", c.option, "y.res", "y"}, dir.path()).exitCode, 0);
    const std::string stem = c.changed[0].substr(0, 1);
    std::uint32_t seed = 1;
    for (const std::string file : {"a.gfp", "b.gfp", "c.gfp"})
        EXPECT_EQ(test::ReadBytes(dir / "y" / file) == Picture(seed++), file != c.changed[0]) << file;
    EXPECT_EQ(test::ReadBytes(dir / "y" / "klick.sound"), Bytes(9, 7));
    EXPECT_EQ(test::ReadBytes(dir / "y" / (stem + ext)), test::ReadBytes(dir / "x" / c.changed[1]));
}

INSTANTIATE_TEST_SUITE_P(Cases, SidePictureTest, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
