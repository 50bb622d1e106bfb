#include "formats/module1.h"
#include "tests/support/builders.h"
#include "tests/support/tga_builder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace varnox;

namespace {

struct CliRun {
    int exit = -1;
    std::string err;
};

std::string Quoted(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs varnox-cli in folder with args; stdout is dropped, stderr kept.
CliRun RunCli(const Path& folder, const std::vector<std::string>& args)
{
    std::string command = "cd " + Quoted(folder.string()) + " && " + Quoted(VARNOX_CLI);
    for (const auto& arg : args)
        command += " " + Quoted(arg);
    command += " 2>&1 >/dev/null";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[512];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.err.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
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
    EXPECT_EQ(run.exit, 2);
    EXPECT_NE(run.err.find("Aufruf"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "a.tga"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.gfp.bak"));
}

INSTANTIATE_TEST_SUITE_P(Wrong, CliUsage,
                         ::testing::Values(Usage{"gfp2tgaNoFile", {"gfp2tga"}},
                                           Usage{"gfp2tgaOption", {"gfp2tga", "--all", "a.gfp"}},
                                           Usage{"tga2gfpOneFile", {"tga2gfp", "a.gfp"}},
                                           Usage{"tga2gfpThreeFiles", {"tga2gfp", "s.tga", "a.gfp", "b.gfp"}},
                                           Usage{"tga2gfpUnknownOption",
                                                 {"tga2gfp", "-u", "s.tga", "a.gfp"}}),
                         [](const auto& row) { return row.param.name; });

TEST(CliGfp2Tga, ConvertsEveryFileAndNamesTheRefusedOnes)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    test::WriteBytes(dir / "a.gfp", test::MakeGfp());
    test::WriteBytes(dir / "sub" / "b.gfp", Bytes{'b', 'a', 'd'});
    test::WriteBytes(dir / "sub" / "c.gfp", test::MakeGfp());

    const CliRun good = RunCli(dir.path(), {"gfp2tga", "a.gfp"});
    EXPECT_EQ(good.exit, 0);
    EXPECT_EQ(good.err, "");
    EXPECT_EQ(test::ReadBytes(dir / "a.tga").size(), 18u + 4 * 2 * 3);

    const CliRun mixed = RunCli(dir.path(), {"gfp2tga", "sub/b.gfp", "missing.gfp", "sub/c.gfp"});
    EXPECT_EQ(mixed.exit, 1);
    EXPECT_NE(mixed.err.find("sub/b.gfp: " + Describe(GfpError::FirstTag)), std::string::npos) << mixed.err;
    EXPECT_NE(mixed.err.find("missing.gfp: " + Describe(GfpError::CannotOpen) + ": "), std::string::npos)
        << mixed.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "sub" / "b.tga"));
    EXPECT_TRUE(std::filesystem::exists(dir / "sub" / "c.tga"));
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
    EXPECT_EQ(raw.exit, 0) << raw.err;
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp").size(), 144u);
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp.bak"), old);

    const CliRun packed = RunCli(dir.path(), {"tga2gfp", "s.tga", "t.gfp"});
    EXPECT_EQ(packed.exit, 0) << packed.err;
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp")[104], 11);
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp.bak").size(), 144u);

    spec.imageType = 3;
    spec.pixelDepth = 8;
    spec.pixelData = Bytes(6);
    test::WriteBytes(dir / "grey.tga", test::MakeTga(spec));
    const Bytes before = test::ReadBytes(dir / "t.gfp");
    const Bytes backup = test::ReadBytes(dir / "t.gfp.bak");
    const CliRun refused = RunCli(dir.path(), {"tga2gfp", "grey.tga", "t.gfp"});
    EXPECT_EQ(refused.exit, 1);
    EXPECT_NE(refused.err.find("grey.tga: " + Describe(TgaError::Grey)), std::string::npos) << refused.err;
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp"), before);
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp.bak"), backup);
}

}  // namespace
