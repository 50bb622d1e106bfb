// varnox-cli edit with VARNOX_EDITOR set to small scripts: a changed picture is taken back
// as replace and png2gfp take it, an unchanged one writes nothing, garbage is refused.

#include "tests/support/builders.h"
#include "tests/support/cli_runner.h"
#include "tests/support/png_builder.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace varnox {
namespace {

using test::RunCli;

// 4 x 2 pixels of black and white, which survive the way to 24 bits and back unchanged.
Bytes BlackAndWhite()
{
    return {0, 0, 0xff, 0xff, 0xff, 0xff, 0, 0, 0xff, 0xff, 0, 0, 0, 0, 0xff, 0xff};
}

// The same picture as an interlaced PNG: other bytes than the PNG edit writes.
Bytes SamePicturePng()
{
    test::PngSpec spec;
    spec.width = 4;
    spec.height = 2;
    spec.interlaced = true;
    for (int pixel : {0, 1, 1, 0, 1, 0, 0, 1})
        for (int channel = 0; channel < 3; ++channel)
            spec.samples.push_back(static_cast<std::uint16_t>(pixel * 255));
    return test::MakePng(spec);
}

Bytes OtherPicturePng()
{
    test::PngSpec spec;
    spec.width = 3;
    spec.height = 1;
    spec.samples = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    return test::MakePng(spec);
}

struct EditCase {
    std::string name;
    std::string script; // the editor; $1 is the PNG
    bool gfpFile;       // edit a GFP file, not an archive item
    int exitCode;
    bool changed; // the archive or GFP was rewritten (and .bak made)
    bool pngKept; // the private folder stays, named on stderr
};

class EditTest : public testing::TestWithParam<EditCase> {};

TEST_P(EditTest, TakesBackOnlyChangedPictures)
{
    const EditCase& c = GetParam();
    test::TempDir dir;
    test::GfpSpec spec;
    spec.pixels = BlackAndWhite();
    const Bytes gfp = test::MakeGfp(spec);
    const Bytes archive =
        test::MakeRes({{14, "verlauf", gfp, {}, false}, {16, "klang", Bytes(40, 7), {}, false}});
    test::WriteBytes(dir / "demo.res", archive);
    test::WriteBytes(dir / "bild.gfp", gfp);
    test::WriteBytes(dir / "neu.png", OtherPicturePng());
    test::WriteBytes(dir / "gleich.png", SamePicturePng());
    test::WriteBytes(dir / "edit.sh", Bytes(c.script.begin(), c.script.end()));
    std::filesystem::create_directory(dir / "tmp");
    ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    ::setenv("VARNOX_EDITOR", ("sh '" + (dir / "edit.sh").string() + "'").c_str(), 1);

    const Path target = dir / (c.gfpFile ? "bild.gfp" : "demo.res");
    const std::vector<std::string> args = c.gfpFile ? std::vector<std::string>{"edit", "bild.gfp"}
                                                    : std::vector<std::string>{"edit", "demo.res", "#0"};
    const test::CliRun run = RunCli(args, dir.path());
    ::unsetenv("VARNOX_EDITOR");
    ::unsetenv("TMPDIR");

    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    const Bytes before = c.gfpFile ? gfp : archive;
    EXPECT_EQ(test::ReadBytes(target) != before, c.changed);
    Path backup = target;
    backup += ".bak";
    EXPECT_EQ(std::filesystem::exists(backup), c.changed);
    if (c.changed) {
        EXPECT_EQ(test::ReadBytes(backup), before);
    }
    const std::vector<std::string> left = test::ListTree(dir / "tmp");
    if (!c.pngKept) {
        EXPECT_TRUE(left.empty()) << "the private folder stays";
        return;
    }
    const auto png = std::find_if(left.begin(), left.end(),
                                  [](const std::string& name) { return name.ends_with(".png"); });
    ASSERT_NE(png, left.end());
    EXPECT_NE(run.err.find((dir / "tmp" / *png).string()), std::string::npos) << run.err;
}

// The picture handed to the editor is a PNG of the item's pixels.
const std::string kCheckGiven =
    "case \"$1\" in *.png) ;; *) exit 9;; esac; head -c 8 \"$1\" | grep -q PNG || exit 8\n";

INSTANTIATE_TEST_SUITE_P(
    Cli, EditTest,
    testing::Values(EditCase{"Changed", kCheckGiven + "cp neu.png \"$1\"\n", false, 0, true, false},
                    EditCase{"ChangedGfpFile", "cp neu.png \"$1\"\n", true, 0, true, false},
                    EditCase{"Left", kCheckGiven + "true\n", false, 0, false, false},
                    EditCase{"SamePixelsOtherBytes", "cp gleich.png \"$1\"\n", false, 0, false, false},
                    EditCase{"Garbage", "printf kaputt > \"$1\"\n", false, 1, false, true},
                    EditCase{"GarbageGfpFile", "printf kaputt > \"$1\"\n", true, 1, false, true},
                    EditCase{"EditorFails", "cp neu.png \"$1\"; exit 3\n", false, 1, false, true}),
    test::CaseName());

} // namespace
} // namespace varnox
