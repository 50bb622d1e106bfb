#include "formats/png.h"
#include "formats/reduce.h"
#include "tests/support/builders.h"
#include "tests/support/cli_runner.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace varnox;

namespace {

struct ThumbnailCase {
    std::string name;
    test::GfpSpec spec;
    std::vector<std::string> options;
    int exitCode = 0;
    std::int32_t width = 0; // of the PNG written
    std::int32_t height = 0;
    std::function<void(Bytes&)> damage = {};
};

class Thumbnail : public ::testing::TestWithParam<ThumbnailCase> {};

TEST_P(Thumbnail, FitsTheBoxOrWritesNothing)
{
    const ThumbnailCase& row = GetParam();
    test::TempDir dir;
    Bytes gfp = test::MakeGfp(row.spec);
    if (row.damage)
        row.damage(gfp);
    test::WriteBytes(dir / "in.gfp", gfp);
    std::vector<std::string> args{"thumbnail"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    args.insert(args.end(), {"in.gfp", "out.png"});

    const test::CliRun run = test::RunCli(args, dir.path());
    ASSERT_EQ(run.exitCode, row.exitCode) << run.err;
    if (row.exitCode != 0) {
        EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
        EXPECT_NE(run.err.find(row.exitCode == 1 ? "in.gfp" : "Aufruf"), std::string::npos) << run.err;
        return;
    }
    auto png = OpenPngSource(dir / "out.png");
    ASSERT_TRUE(png.ok());
    EXPECT_EQ((*png)->Info().width, row.width);
    EXPECT_EQ((*png)->Info().height, row.height);
}

test::GfpSpec Picture(std::int32_t width, std::int32_t height, bool compressed = true)
{
    test::GfpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.compressed = compressed;
    return spec;
}

// A head that claims a picture of that size, before a stream far too short for it.
test::GfpSpec Claimed(std::int32_t width, std::int32_t height)
{
    test::GfpSpec spec = Picture(width, height);
    spec.pixels = Bytes(16);
    spec.rawSize = width * height * 2;
    return spec;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Thumbnail,
    ::testing::Values(
        ThumbnailCase{"WideToDefaultBox", Picture(600, 300), {}, 0, 256, 128},
        ThumbnailCase{"TallRounded", Picture(30, 91), {"-s", "64"}, 0, 21, 64},
        ThumbnailCase{"SmallNeverEnlarged", Picture(4, 2), {"-s256"}, 0, 4, 2},
        ThumbnailCase{"Uncompressed", Picture(300, 300, false), {"-s", "100"}, 0, 100, 100},
        ThumbnailCase{"ThinKeepsOnePixel", Picture(1, 1000), {"-s", "10"}, 0, 1, 10},
        ThumbnailCase{"NoTag", Picture(8, 8), {}, 1, 0, 0, [](Bytes& b) { b[0] = 'X'; }},
        ThumbnailCase{"StreamCut", Picture(64, 64), {}, 1, 0, 0, [](Bytes& b) { b.resize(b.size() - 40); }},
        ThumbnailCase{"StreamDamaged", Picture(64, 64), {}, 1, 0, 0, [](Bytes& b) { b[141] ^= 0xff; }},
        ThumbnailCase{"Empty", Picture(0, 0), {}, 1, 0, 0},
        ThumbnailCase{"TooWide", Picture(40000, 1), {}, 1, 0, 0},
        ThumbnailCase{"TooManyPixels", Claimed(8193, 8192), {}, 1},
        ThumbnailCase{"SizeZero", Picture(8, 8), {"-s", "0"}, 2},
        ThumbnailCase{"SizeTooLarge", Picture(8, 8), {"-s", "4097"}, 2},
        ThumbnailCase{"SizeNoNumber", Picture(8, 8), {"-s", "x"}, 2},
        ThumbnailCase{"UnknownOption", Picture(8, 8), {"-x"}, 2}),
    [](const auto& row) { return row.param.name; });

TEST(Thumbnail, OnePngArgumentIsAUsageError)
{
    test::TempDir dir;
    test::WriteBytes(dir / "in.gfp", test::MakeGfp());
    EXPECT_EQ(test::RunCli({"thumbnail", "in.gfp"}, dir.path()).exitCode, 2);
}

// Blocks of unequal width: 3 columns into 2 give blocks of 1 and 2 columns.
TEST(BoxReducer, AveragesEachBlock)
{
    BoxReducer reducer(2);
    ASSERT_TRUE(reducer.Start(3, 2).ok());
    const Bytes top{10, 20, 30, 100, 0, 0, 200, 0, 255};
    const Bytes bottom{30, 40, 50, 0, 0, 0, 100, 1, 0};
    ASSERT_TRUE(reducer.WriteRow(top).ok());
    ASSERT_TRUE(reducer.WriteRow(bottom).ok());
    ASSERT_TRUE(reducer.Finish().ok());
    ASSERT_EQ(reducer.Width(), 2);
    ASSERT_EQ(reducer.Height(), 1);
    const Bytes expected{20, 30, 40, 100, 0, 64}; // (255 + 0) / 4 rounds to 64
    EXPECT_EQ(Bytes(reducer.Pixels().begin(), reducer.Pixels().end()), expected);
}

} // namespace
