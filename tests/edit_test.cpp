// varnox-cli edit with VARNOX_EDITOR set to small scripts: a changed picture is taken back
// as replace and png2gfp take it, an unchanged one writes nothing, garbage is refused.

#include "formats/describe.h"
#include "jobs/edit.h"
#include "tests/support/builders.h"
#include "tests/support/cli_runner.h"
#include "tests/support/png_builder.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace varnox {
namespace {

using test::RunCli;
using test::Text;

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

// Runs "edit bild.gfp" (or "edit demo.res #0") in dir with script as the editor; the private
// folder is made in dir/tmp.
test::CliRun RunEdit(const Path& dir, const std::string& script, bool gfpFile)
{
    test::WriteBytes(dir / "edit.sh", Bytes(script.begin(), script.end()));
    std::filesystem::create_directory(dir / "tmp");
    ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    ::setenv("VARNOX_EDITOR", ("sh '" + (dir / "edit.sh").string() + "'").c_str(), 1);
    test::CliRun run = RunCli(gfpFile ? std::vector<std::string>{"edit", "bild.gfp"}
                                      : std::vector<std::string>{"edit", "demo.res", "#0"},
                              dir);
    ::unsetenv("VARNOX_EDITOR");
    ::unsetenv("TMPDIR");
    return run;
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
    const Path target = dir / (c.gfpFile ? "bild.gfp" : "demo.res");
    const test::CliRun run = RunEdit(dir.path(), c.script, c.gfpFile);

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
                    EditCase{"LeftWithoutTerminal", kCheckGiven + "true\n", false, 1, false, true},
                    EditCase{"SamePixelsOtherBytes", "cp gleich.png \"$1\"\n", false, 0, false, false},
                    EditCase{"Garbage", "printf kaputt > \"$1\"\n", false, 1, false, true},
                    EditCase{"GarbageGfpFile", "printf kaputt > \"$1\"\n", true, 1, false, true},
                    EditCase{"EditorFails", "cp neu.png \"$1\"; exit 3\n", false, 1, false, true}),
    test::CaseName());

struct ChangedCase {
    std::string name;
    std::string script; // the editor; bild.gfp and demo.res stand beside it
    bool gfpFile;
};

class ChangedMeanwhileTest : public testing::TestWithParam<ChangedCase> {};

// Another program changes the GFP or archive while the picture is in the editor: nothing is
// written over its work, with or without a change of the picture, and the picture stays.
TEST_P(ChangedMeanwhileTest, EditRefusedAndPictureKept)
{
    const ChangedCase& c = GetParam();
    test::TempDir dir;
    test::GfpSpec spec;
    spec.pixels = BlackAndWhite();
    const Bytes gfp = test::MakeGfp(spec);
    test::WriteBytes(dir / "demo.res", test::MakeRes({{14, "verlauf", gfp, {}, false}}));
    test::WriteBytes(dir / "bild.gfp", gfp);
    test::WriteBytes(dir / "other.res", test::MakeRes({{14, "anders", test::PlainGfp(4, 2), {}, false}}));
    test::WriteBytes(dir / "neu.png", OtherPicturePng());
    const test::CliRun run = RunEdit(dir.path(), c.script, c.gfpFile);
    const Path target = dir / (c.gfpFile ? "bild.gfp" : "demo.res");
    const Bytes left = test::ReadBytes(target);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_FALSE(std::filesystem::exists(Path(target) += ".bak"));
    EXPECT_EQ(test::ReadBytes(dir / "theirs"), left) << "the other program's file is kept";
    EXPECT_FALSE(test::ListTree(dir / "tmp").empty()) << "the picture stays";
}

// The other program's change: bytes of the same length with the old times, as cp -p leaves them.
const std::string kRewriteGfp =
    "cp -p bild.gfp ref; printf '\\377\\377' | dd of=bild.gfp bs=1 seek=$(( $(wc -c < "
    "bild.gfp) - 2 )) conv=notrunc 2>/dev/null; touch -r ref bild.gfp; cp bild.gfp theirs\n";
const std::string kReplaceArchive = "cp other.res demo.res; cp demo.res theirs\n";

INSTANTIATE_TEST_SUITE_P(
    Cli, ChangedMeanwhileTest,
    testing::Values(ChangedCase{"GfpRewrittenPictureChanged", "cp neu.png \"$1\"; " + kRewriteGfp, true},
                    ChangedCase{"GfpRewrittenPictureLeft", kRewriteGfp, true},
                    ChangedCase{"ArchiveReplaced", "cp neu.png \"$1\"; " + kReplaceArchive, false}),
    test::CaseName());

// Saves of one session: the first keeps the original as .bak, later ones keep that backup.
TEST(EditSession, BackupIsTheOriginalThroughEverySave)
{
    for (const bool gfpFile : {true, false}) {
        test::TempDir dir;
        const Bytes gfp = test::PlainGfp(4, 2);
        const Bytes archive = test::MakeRes({{14, "verlauf", gfp, {}, false}});
        test::WriteBytes(dir / "bild.gfp", gfp);
        test::WriteBytes(dir / "demo.res", archive);
        std::filesystem::create_directory(dir / "edit");
        const Path target = dir / (gfpFile ? "bild.gfp" : "demo.res");
        jobs::EditStart start = gfpFile ? jobs::StartGfpEdit(target, dir / "edit")
                                        : jobs::StartItemEdit(target, "#0", dir / "edit");
        ASSERT_TRUE(start.status.ok()) << Describe(start.status.error());
        Bytes previous = test::ReadBytes(target);
        for (const Bytes& picture : {OtherPicturePng(), SamePicturePng()}) {
            test::WriteBytes(start.session.png, picture);
            ASSERT_EQ(jobs::CheckEdit(start.session).state, jobs::EditState::Changed);
            const jobs::EditResult result = jobs::ApplyEdit(start.session, GfpPacking::Zlib);
            ASSERT_TRUE(result.status.ok()) << Describe(result.status.error());
            EXPECT_NE(test::ReadBytes(target), previous);
            EXPECT_EQ(test::ReadBytes(Path(target) += ".bak"), gfpFile ? gfp : archive) << gfpFile;
            previous = test::ReadBytes(target);
        }
        EXPECT_EQ(jobs::CheckEdit(start.session).state, jobs::EditState::Unchanged);
    }
}

// A file that could not be written back is refused before the user's work begins.
TEST(EditSession, WriteProtectedRefusedBeforeTheEditor)
{
    test::TempDir dir;
    test::WriteBytes(dir / "bild.gfp", test::PlainGfp(4, 2));
    test::WriteBytes(dir / "demo.res", test::MakeRes({{14, "verlauf", test::PlainGfp(4, 2), {}, false}}));
    test::WriteBytes(dir / "edit.sh", Text("touch opened\n"));
    for (const char* file : {"bild.gfp", "demo.res"})
        std::filesystem::permissions(dir / file, std::filesystem::perms(0444));
    ::setenv("VARNOX_EDITOR", ("sh '" + (dir / "edit.sh").string() + "'").c_str(), 1);
    const test::CliRun gfpRun = RunCli({"edit", "bild.gfp"}, dir.path());
    const test::CliRun itemRun = RunCli({"edit", "demo.res", "#0"}, dir.path());
    ::unsetenv("VARNOX_EDITOR");
    EXPECT_EQ(gfpRun.exitCode, 1);
    EXPECT_EQ(itemRun.exitCode, 1);
    EXPECT_NE(gfpRun.err.find("überschrieben"), std::string::npos) << gfpRun.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "opened")) << "the editor was started";
}

// restore swaps a file and its .bak (through a link to the file); a missing or linked .bak
// is refused with that reason.
TEST(Restore, FromTheCommandLine)
{
    test::TempDir dir;
    test::WriteBytes(dir / "bild.gfp", Text("new"));
    test::WriteBytes(dir / "bild.gfp.bak", Text("old"));
    std::filesystem::create_symlink("bild.gfp", dir / "link.gfp");
    EXPECT_EQ(RunCli({"restore", "link.gfp"}, dir.path()).exitCode, 0);
    EXPECT_EQ(test::ReadBytes(dir / "bild.gfp"), Text("old"));
    EXPECT_EQ(test::ReadBytes(dir / "bild.gfp.bak"), Text("new"));
    EXPECT_EQ(test::ReadBytes(dir / "link.gfp"), Text("old"));

    test::WriteBytes(dir / "ohne.gfp", Text("x"));
    const test::CliRun missing = RunCli({"restore", "ohne.gfp"}, dir.path());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("ohne.gfp.bak: Datei oder Ordner nicht gefunden"), std::string::npos)
        << missing.err;
    std::filesystem::create_symlink("bild.gfp", dir / "ohne.gfp.bak");
    const test::CliRun linked = RunCli({"restore", "ohne.gfp"}, dir.path());
    EXPECT_EQ(linked.exitCode, 1);
    EXPECT_EQ(test::ReadBytes(dir / "ohne.gfp"), Text("x"));
    EXPECT_EQ(RunCli({"restore"}, dir.path()).exitCode, 2);
}

} // namespace
} // namespace varnox
