#include "formats/describe.h"
#include "formats/module1.h"
#include "tests/support/builders.h"
#include "tests/support/cli_runner.h"
#include "tests/support/tga_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <sys/resource.h>
#include <tuple>
#include <vector>

using namespace varnox;

namespace {

using test::CliRun;

// Runs varnox-cli in folder with args.
CliRun RunCli(const Path& folder, const std::vector<std::string>& args)
{
    return test::RunCli(args, folder);
}

struct Usage {
    std::string name;
    std::vector<std::string> args;
};

class CliUsage : public ::testing::TestWithParam<Usage> {};

TEST_P(CliUsage, ExitsWithTwoAndTouchesNothing)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.gfp", test::MakeGfp());
    const CliRun run = RunCli(dir.path(), GetParam().args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("Aufruf"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "a.tga"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.gfp.bak"));
}

INSTANTIATE_TEST_SUITE_P(
    Wrong, CliUsage,
    ::testing::Values(Usage{"gfp2tgaNoFile", {"gfp2tga"}},
                      Usage{"gfp2tgaOption", {"gfp2tga", "--all", "a.gfp"}},
                      Usage{"tga2gfpOneFile", {"tga2gfp", "a.gfp"}},
                      Usage{"tga2gfpThreeFiles", {"tga2gfp", "s.tga", "a.gfp", "b.gfp"}},
                      Usage{"tga2gfpUnknownOption", {"tga2gfp", "-u", "s.tga", "a.gfp"}},
                      Usage{"tga2gfpTwoPackings", {"tga2gfp", "--fast", "--uncompressed", "s.tga", "a.gfp"}},
                      Usage{"gfp2tgaNoWorkers", {"gfp2tga", "-j", "0", "a.gfp"}},
                      Usage{"gfp2tgaWorkersNoNumber", {"gfp2tga", "-jx", "a.gfp"}},
                      Usage{"gfp2tgaWorkersLast", {"gfp2tga", "a.gfp", "-j"}},
                      Usage{"gfp2pngNoFile", {"gfp2png"}}, Usage{"png2gfpOneFile", {"png2gfp", "a.gfp"}}),
    [](const auto& row) { return row.param.name; });

TEST(CliGfp2Tga, ConvertsEveryFileAndNamesTheRefusedOnes)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    test::WriteBytes(dir / "a.gfp", test::MakeGfp());
    test::WriteBytes(dir / "sub" / "b.gfp", Bytes{'b', 'a', 'd'});
    test::WriteBytes(dir / "sub" / "c.gfp", test::MakeGfp());

    const CliRun good = RunCli(dir.path(), {"gfp2tga", "a.gfp"});
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_EQ(good.err, "");
    EXPECT_EQ(test::ReadBytes(dir / "a.tga").size(), 18u + 4 * 2 * 3);

    const CliRun mixed = RunCli(dir.path(), {"gfp2tga", "sub/b.gfp", "missing.gfp", "sub/c.gfp"});
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_NE(mixed.err.find("sub/b.gfp: " + Describe(GfpError::FirstTag)), std::string::npos) << mixed.err;
    EXPECT_NE(mixed.err.find("missing.gfp: " + Describe(GfpError::CannotOpen) + ": "), std::string::npos)
        << mixed.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "sub" / "b.tga"));
    EXPECT_TRUE(std::filesystem::exists(dir / "sub" / "c.tga"));
}

// Every file in the folder, by name, with its bytes.
std::map<std::string, Bytes> Files(const Path& folder)
{
    std::map<std::string, Bytes> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = test::ReadBytes(entry.path());
    return files;
}

// Several workers write the same files and print the same messages in the same order,
// with the same exit code, as one.
TEST(CliGfp2Tga, WorkersGiveWhatOneGives)
{
    test::GfpSpec large;
    large.width = 1024;
    large.height = 600;
    large.pixels = test::PatternPixels(1024, 600, 2, 4);
    const std::vector<std::string> args{"a.gfp",   "bad.gfp", "large.gfp", "missing.gfp",
                                        "cut.gfp", "b.gfp",   "c.gfp"};
    const auto run = [&](const std::vector<std::string>& options) {
        test::TempDir dir;
        test::WriteBytes(dir / "a.gfp", test::MakeGfp());
        test::WriteBytes(dir / "bad.gfp", Bytes{'b', 'a', 'd'});
        test::WriteBytes(dir / "large.gfp", test::MakeGfp(large));
        Bytes cut = test::MakeGfp(large);
        cut[cut.size() / 2] ^= 0x40;
        test::WriteBytes(dir / "cut.gfp", cut);
        test::WriteBytes(dir / "b.gfp", test::MakeGfp());
        test::WriteBytes(dir / "c.gfp", test::MakeGfp());
        std::vector<std::string> command{"gfp2tga"};
        command.insert(command.end(), options.begin(), options.end());
        command.insert(command.end(), args.begin(), args.end());
        const CliRun result = RunCli(dir.path(), command);
        return std::make_tuple(result.exitCode, result.err, Files(dir.path()));
    };
    const auto one = run({"-j", "1"});
    EXPECT_EQ(std::get<0>(one), 1);
    EXPECT_EQ(std::count(std::get<1>(one).begin(), std::get<1>(one).end(), '\n'), 3) << std::get<1>(one);
    for (const auto& options : std::vector<std::vector<std::string>>{{"-j", "2"}, {"-j4"}, {}})
        EXPECT_TRUE(run(options) == one) << options.size();

    // The large picture went through both threads of the copy and survived it.
    const auto& files = std::get<2>(one);
    test::TempDir check;
    test::WriteBytes(check / "large.tga", files.at("large.tga"));
    EXPECT_EQ(Module1().ReadTgaAsRgb565(check / "large.tga").value_or(Bytes()), large.pixels);
}

TEST(CliTga2Gfp, FastPackingGivesTheSamePixels)
{
    test::TempDir dir;
    test::TgaSpec spec;
    spec.width = 300;
    spec.height = 200;
    spec.picture = test::PatternPicture(300, 200);
    test::WriteBytes(dir / "s.tga", test::MakeTga(spec));
    test::WriteBytes(dir / "t.gfp", test::MakeGfp());
    ASSERT_EQ(RunCli(dir.path(), {"tga2gfp", "s.tga", "t.gfp"}).exitCode, 0);
    const Bytes zlibPacked = test::ReadBytes(dir / "t.gfp");
    ASSERT_EQ(RunCli(dir.path(), {"tga2gfp", "--fast", "s.tga", "t.gfp"}).exitCode, 0);
    const Bytes fastPacked = test::ReadBytes(dir / "t.gfp");
    EXPECT_NE(fastPacked, zlibPacked);
    // zlib alone reads both streams to the same pixels.
    Bytes fast(fastPacked.begin() + kGfpStreamAt, fastPacked.end());
    Bytes packed(zlibPacked.begin() + kGfpStreamAt, zlibPacked.end());
    ASSERT_EQ(UncompressBlock(fast, 300 * 200 * 2), 0);
    ASSERT_EQ(UncompressBlock(packed, 300 * 200 * 2), 0);
    EXPECT_EQ(fast, packed);
}

TEST(CliTga2Gfp, ReplacesThePictureOrRefuses)
{
    test::TempDir dir;
    test::TgaSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.picture = test::PatternPicture(3, 2);
    test::WriteBytes(dir / "s.tga", test::MakeTga(spec));
    const Bytes old = test::MakeGfp();
    test::WriteBytes(dir / "t.gfp", old);

    const CliRun raw = RunCli(dir.path(), {"tga2gfp", "--uncompressed", "s.tga", "t.gfp"});
    EXPECT_EQ(raw.exitCode, 0) << raw.err;
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp").size(), 144u);
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp.bak"), old);

    const CliRun packed = RunCli(dir.path(), {"tga2gfp", "s.tga", "t.gfp"});
    EXPECT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp")[104], 11);
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp.bak").size(), 144u);

    spec.imageType = 3;
    spec.pixelDepth = 24;
    spec.pixelData = Bytes(18);
    test::WriteBytes(dir / "grey.tga", test::MakeTga(spec));
    const Bytes before = test::ReadBytes(dir / "t.gfp");
    const Bytes backup = test::ReadBytes(dir / "t.gfp.bak");
    const CliRun refused = RunCli(dir.path(), {"tga2gfp", "grey.tga", "t.gfp"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("grey.tga: " + Describe(TgaError::Grey)), std::string::npos) << refused.err;
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp"), before);
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp.bak"), backup);
}

// gfp2png writes X.png beside X.gfp; png2gfp refuses a damaged PNG and touches nothing.
TEST(CliPng, WritesBesideAndRefusesDamage)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.gfp", test::MakeGfp());
    const CliRun written = RunCli(dir.path(), {"gfp2png", "a.gfp"});
    EXPECT_EQ(written.exitCode, 0) << written.err;
    Bytes png = test::ReadBytes(dir / "a.png");
    ASSERT_GT(png.size(), 40u);
    png.resize(png.size() - 20);
    test::WriteBytes(dir / "cut.png", png);
    const auto before = test::Snapshot(dir.path());
    const CliRun refused = RunCli(dir.path(), {"png2gfp", "cut.png", "a.gfp"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("cut.png: Die PNG-Datei ist beschädigt"), std::string::npos) << refused.err;
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

#if !defined(__SANITIZE_ADDRESS__)
// A run-length TGA whose picture does not fit in the memory the process may use is refused
// with a German reason naming the file, and the target stays as it was.
TEST(CliTga2Gfp, OutOfMemoryIsARefusal)
{
    test::TempDir dir;
    Bytes tga(18, 0);
    tga[2] = 10;
    tga[16] = 24;
    PutLe16(&tga[12], 16000);
    PutLe16(&tga[14], 16000);
    for (int k = 0; k < 16000 * 16000 / 128; ++k)
        tga.insert(tga.end(), {0xFF, 1, 2, 3});
    test::WriteBytes(dir / "big.tga", tga);
    test::WriteBytes(dir / "t.gfp", test::MakeGfp());
    const Bytes before = test::ReadBytes(dir / "t.gfp");

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 256u << 20; // the picture alone needs 488 MiB
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    const CliRun run = RunCli(dir.path(), {"tga2gfp", "big.tga", "t.gfp"});
    ASSERT_EQ(setrlimit(RLIMIT_AS, &saved), 0);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("big.tga: Nicht genug Arbeitsspeicher"), std::string::npos) << run.err;
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp"), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "t.gfp.bak"));
}
#endif

} // namespace
