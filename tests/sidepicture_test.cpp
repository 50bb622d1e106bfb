// extract --png / --tga and pack taking the pictures beside the GFPs, run as a program.

#include "formats/manifest.h"
#include "formats/png.h"
#include "jobs/archive.h"
#include "jobs/sidepicture.h"
#include "tests/support/builders.h"
#include "tests/support/cli_runner.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <regex>

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

// The same items, the pictures of a and b swapped.
const Bytes kSecond = test::MakeRes(
    {{14, "a", Picture(2)}, {14, "b", Picture(1)}, {16, "klick", Bytes(9, 7)}, {14, "c", Picture(3)}});

// An extract into the folder of an earlier one, after the user's changes, then a pack.
struct Again {
    const char* name;
    std::vector<std::string> first;               // extract's options for x.res
    std::function<void(const Path& folder)> edit; // what the user does to the folder
    std::vector<std::string> second;              // extract's options for y.res into the same folder
    int exitCode;
    std::string part; // in stdout (replaced files) or stderr (refusal)
    friend std::ostream& operator<<(std::ostream& os, const Again& c) { return os << c.name; }
};

const auto kNothing = [](const Path&) {};
const auto kEditB = [](const Path& f) { Copy(f / "c.png", f / "b.png"); };

const Again kAgain[] = {
    {"stale_png_not_packed", {"--png"}, kNothing, {}, 0, ""},
    {"stale_tga_not_packed", {"--tga"}, kNothing, {"--png"}, 0, "ersetzt: a.gfp, b.gfp (2 Dateien)"},
    {"changed_png_named_replaced",
     {"--png"},
     kNothing,
     {"--png"},
     0,
     "a.gfp, b.gfp, a.png, b.png (4 Dateien)"},
    {"edited_png_refused",
     {"--png"},
     kEditB,
     {"--png"},
     1,
     "Seit dem Entpacken geänderte Bilder werden nicht ersetzt (1)"},
    {"edited_gfp_replaced",
     {},
     [](const Path& f) { Copy(f / "c.gfp", f / "a.gfp"); },
     {},
     0,
     "ersetzt: a.gfp, b"},
    {"edited_tga_listed",
     {"--tga"},
     [](const Path& f) { Copy(f / "c.tga", f / "a.tga"); },
     {"--tga"},
     1,
     "\n  a.tga\n"},
    {"edited_png_overwritten", {"--png"}, kEditB, {"--png", "--overwrite"}, 0, "b.png"},
    {"edited_png_kept_without_png", {"--png"}, kEditB, {}, 0, "ersetzt: a.gfp, b.gfp (2"},
};

class AgainTest : public ::testing::TestWithParam<Again> {};

TEST_P(AgainTest, EditedFilesKeptAndOnlyRecordedPicturesPacked)
{
    const Again& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "x.res", kArchive);
    test::WriteBytes(dir / "y.res", kSecond);
    std::vector<std::string> first = {"extract"}, second = {"extract"};
    first.insert(first.end(), c.first.begin(), c.first.end());
    second.insert(second.end(), c.second.begin(), c.second.end());
    for (const std::string part : {"x.res", "x"})
        first.push_back(part);
    ASSERT_EQ(RunCli(first, dir.path()).exitCode, 0);
    c.edit(dir / "x");
    const auto before = test::Snapshot(dir.path());
    second.insert(second.end(), {"y.res", "x"});
    const test::CliRun run = RunCli(second, dir.path());
    ASSERT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_NE((c.exitCode == 0 ? run.out : run.err).find(c.part), std::string::npos) << run.out << run.err;
    if (c.exitCode != 0) {
        EXPECT_NE(run.err.find("--overwrite"), std::string::npos);
        EXPECT_EQ(test::Snapshot(dir.path()), before); // nothing written, the manifest kept
        return;
    }
    // Pictures left from the first extract, edited or not, are not packed.
    const test::CliRun pack = RunCli({"pack", "x", "z.res"}, dir.path());
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(test::ReadBytes(dir / "z.res"), kSecond);
}

INSTANTIATE_TEST_SUITE_P(Cases, AgainTest, ::testing::ValuesIn(kAgain),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace

namespace {

// The manifest of folder as text.
std::string ManifestText(const Path& folder)
{
    const Bytes bytes = test::ReadBytes(folder / kManifestName);
    return {bytes.begin(), bytes.end()};
}

// A manifest of the earlier form ("prüfsumme GFP-PIXELS", either kind of picture beside the
// GFP) packs as before: the picture that changed is taken, two changed are refused.
TEST(SidePictureRecords, OlderManifest)
{
    test::TempDir dir;
    test::WriteBytes(dir / "x.res", kArchive);
    ASSERT_EQ(RunCli({"extract", "--tga", "x.res", "t"}, dir.path()).exitCode, 0);
    ASSERT_EQ(RunCli({"extract", "--png", "x.res", "x"}, dir.path()).exitCode, 0);
    Manifest manifest;
    ASSERT_TRUE(ParseManifest(ManifestText(dir / "x"), manifest).ok());
    for (ManifestItem& item : manifest.items)
        if (item.png)
            item.png = item.tga = PictureChecksum{std::nullopt, item.png->pixels};
    const std::string older = WriteManifest(manifest);
    ASSERT_TRUE(
        std::regex_search(older, std::regex("\neintrag 14 \"b.gfp\" prüfsumme [0-9a-f]{8}-[0-9a-f]{8}\n")))
        << older;
    ASSERT_EQ(older.find("\nbild "), std::string::npos) << older;
    test::WriteBytes(dir / "x" / kManifestName, Bytes(older.begin(), older.end()));
    Copy(dir / "t" / "b.tga", dir / "x" / "b.tga");
    ASSERT_EQ(RunCli({"pack", "x", "same.res"}, dir.path()).exitCode, 0);
    EXPECT_EQ(test::ReadBytes(dir / "same.res"), kArchive);

    Copy(dir / "t" / "c.tga", dir / "x" / "b.tga"); // the TGA changed, the PNG not
    ASSERT_EQ(RunCli({"pack", "x", "tga.res"}, dir.path()).exitCode, 0);
    ASSERT_EQ(RunCli({"extract", "--tga", "tga.res", "y"}, dir.path()).exitCode, 0);
    EXPECT_EQ(test::ReadBytes(dir / "y" / "b.tga"), test::ReadBytes(dir / "t" / "c.tga"));

    Copy(dir / "x" / "a.png", dir / "x" / "b.png"); // both changed
    const test::CliRun both = RunCli({"pack", "x", "both.res"}, dir.path());
    EXPECT_EQ(both.exitCode, 1);
    EXPECT_NE(both.err.find("#1: Sowohl b.png als auch b.tga wurden geändert"), std::string::npos)
        << both.err;
}

// A PNG put beside a GFP whose stream is damaged, where extract could write none, is taken.
TEST(SidePictureRecords, NewPictureBesideDamagedGfp)
{
    test::TempDir dir;
    Bytes damaged = Picture(1);
    damaged.back() ^= 0x55; // the stream's checksum
    test::WriteBytes(dir / "x.res", test::MakeRes({{14, "a", damaged}, {14, "b", Picture(2)}}));
    const test::CliRun extract = RunCli({"extract", "--png", "x.res", "x"}, dir.path());
    ASSERT_EQ(extract.exitCode, 0) << extract.err;
    EXPECT_NE(ManifestText(dir / "x").find("bild \"a.png\" fehlt"), std::string::npos)
        << ManifestText(dir / "x");
    ASSERT_EQ(RunCli({"pack", "x", "same.res"}, dir.path()).exitCode, 0);
    EXPECT_EQ(test::ReadBytes(dir / "same.res"), test::ReadBytes(dir / "x.res"));

    Copy(dir / "x" / "b.png", dir / "x" / "a.png");
    const test::CliRun pack = RunCli({"pack", "x", "y.res"}, dir.path());
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    ASSERT_EQ(RunCli({"extract", "--png", "y.res", "y"}, dir.path()).exitCode, 0);
    EXPECT_EQ(test::ReadBytes(dir / "y" / "a.png"), test::ReadBytes(dir / "x" / "b.png"));
}

struct Sizes {
    const char* name;
    std::vector<std::pair<std::int32_t, std::int32_t>> sides; // of the pictures, in archive order
};

// Orders in which memory kept from one picture is handed to the next of another size.
const Sizes kSizes[] = {
    {"growing", {{8, 8}, {17, 9}, {40, 33}, {64, 64}}},
    {"shrinking", {{64, 64}, {40, 33}, {17, 9}, {8, 8}}},
    {"large_between_small", {{9, 9}, {800, 700}, {10, 7}, {64, 3}, {1, 1}}},
};

class ExtractedPngTest : public ::testing::TestWithParam<Sizes> {};

// Each PNG extract writes shows its own GFP's pixels, whatever the pictures before it.
TEST_P(ExtractedPngTest, ShowsItsGfpsPixels)
{
    std::vector<test::ResItemSpec> items;
    std::vector<Bytes> pixels;
    for (const auto& [width, height] : GetParam().sides) {
        pixels.push_back(test::PhotoPixels(width, height, static_cast<std::uint32_t>(pixels.size() + 1)));
        items.push_back({14, "p" + std::to_string(items.size()),
                         test::MakeGfp({.width = width, .height = height, .pixels = pixels.back()})});
    }
    test::TempDir dir;
    test::WriteBytes(dir / "x.res", test::MakeRes(items));
    ASSERT_TRUE(jobs::ExtractArchive(dir / "x.res", dir / "x", {}, {}, jobs::SidePicture::Png).status.ok());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        auto source = OpenPngSource(dir / "x" / ("p" + std::to_string(i) + ".png"));
        ASSERT_TRUE(source) << i;
        const PictureInfo info = (*source)->Info();
        Bytes row(info.RowBytes()), shown;
        Bytes narrowed(static_cast<std::size_t>(info.width) * 2);
        for (std::int32_t y = 0; y < info.height && (*source)->ReadRow(row); ++y) {
            ConvertRow(info.format, row, RowFormat::Rgb565, narrowed.data());
            shown.insert(shown.end(), narrowed.begin(), narrowed.end());
        }
        EXPECT_TRUE(shown == pixels[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, ExtractedPngTest, ::testing::ValuesIn(kSizes),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
