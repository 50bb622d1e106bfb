// Files replaced whole: written aside, put in place only when complete, in the folder that
// was opened; backups that keep their permissions; temporary files of killed runs removed.

#include "formats/fileio.h"
#include "tests/support/builders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace varnox;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

Bytes Text(const char* s) { return Bytes(s, s + std::strlen(s)); }

// Every test of the writes runs with an anonymous file and with a named temporary file.
class AtomicFileTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override { UseNamedTemporaryFiles(GetParam()); }
    void TearDown() override { UseNamedTemporaryFiles(false); }
};

TEST_P(AtomicFileTest, PiecesWrittenOutOfOrderMakeTheFile)
{
    test::TempDir dir;
    test::WriteBytes(dir / "t", Text("old content"));
    AtomicFile file;
    ASSERT_TRUE(file.Open(dir / "t"));
    const Bytes tail = Text("world"), head = Text("hello ");
    ASSERT_TRUE(file.WriteAt(6, tail));
    ASSERT_TRUE(file.WriteAt(0, head));
    EXPECT_EQ(test::ReadBytes(dir / "t"), Text("old content")) << "the target changes only at Commit";
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(test::ReadBytes(dir / "t"), Text("hello world"));
    EXPECT_EQ(test::ListTree(dir.path()), Names{"t"});
}

TEST_P(AtomicFileTest, DroppedOrDiscardedLeavesTheFolderAsItWas)
{
    test::TempDir dir;
    test::WriteBytes(dir / "t", Text("keep"));
    for (const bool discard : {false, true}) {
        {
            AtomicFile file;
            ASSERT_TRUE(file.Open(dir / "t"));
            ASSERT_TRUE(file.Write({Text("half a file")}));
            if (discard) {
                file.Discard();
                EXPECT_FALSE(file.Commit());
            }
        }
        EXPECT_EQ(test::ReadBytes(dir / "t"), Text("keep"));
        EXPECT_EQ(test::ListTree(dir.path()), Names{"t"});
    }
}

TEST_P(AtomicFileTest, FolderThatIsMissingIsAnError)
{
    test::TempDir dir;
    AtomicFile file;
    EXPECT_FALSE(file.Open(dir / "missing" / "t"));
    EXPECT_EQ(file.error(), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(file.WriteAt(0, Text("x")));
    EXPECT_FALSE(file.Commit());
}

// The folder is held open: swapped for a link before the write, it still receives the file.
TEST_P(AtomicFileTest, WritesIntoTheFolderOpenedNotWhereItsPathLeads)
{
    test::TempDir dir;
    fs::create_directory(dir / "a");
    fs::create_directory(dir / "elsewhere");
    Folder folder;
    ASSERT_TRUE(folder.Open(dir / "a"));
    fs::rename(dir / "a", dir / "moved");
    fs::create_directory_symlink(dir / "elsewhere", dir / "a");
    AtomicFile file;
    ASSERT_TRUE(file.Open(folder, "t"));
    ASSERT_TRUE(file.Write({Text("x")}));
    ASSERT_TRUE(file.Commit(Flush::ByCaller));
    EXPECT_EQ(test::ListTree(dir / "moved"), Names{"t"});
    EXPECT_EQ(test::ListTree(dir / "elsewhere"), Names{});
}

// A target that holds the new bytes already is kept (the same file, not a copy); any
// difference replaces it.
TEST_P(AtomicFileTest, TargetWithTheSameBytesIsKept)
{
    const Bytes big = test::PatternPixels(700, 500, 2); // more than one block compared
    Bytes lastDiffers = big;
    lastDiffers.back() ^= 1;
    Bytes longer = big;
    longer.push_back(0);
    const std::pair<Bytes, bool> cases[] = {{big, true}, {lastDiffers, false}, {longer, false}, {{}, false}};
    for (const auto& [old, kept] : cases) {
        test::TempDir dir;
        test::WriteBytes(dir / "t", old);
        const auto before = test::InodeOf(dir / "t");
        AtomicFile file;
        ASSERT_TRUE(file.Open(dir / "t"));
        ASSERT_TRUE(file.Write({big}));
        EXPECT_EQ(file.MatchesTarget(), kept) << old.size();
        ASSERT_TRUE(file.Commit());
        EXPECT_EQ(test::InodeOf(dir / "t") == before, kept) << old.size();
        EXPECT_EQ(test::ReadBytes(dir / "t"), big);
        EXPECT_EQ(test::ListTree(dir.path()), Names{"t"});
    }
}

INSTANTIATE_TEST_SUITE_P(TemporaryFiles, AtomicFileTest, testing::Values(false, true),
                         [](const auto& row) { return row.param ? "Named" : "Anonymous"; });

// The backup keeps the permissions of the file it copies, not those of an older backup,
// and is the whole file though it is copied a block at a time.
TEST(CopyFileAtomically, KeepsTheModeOfTheSource)
{
    const Bytes content = test::PatternPixels(1200, 1000, 3);
    for (const fs::perms mode : {fs::perms(0600), fs::perms(0640), fs::perms(0755)}) {
        test::TempDir dir;
        test::WriteBytes(dir / "t", content);
        test::WriteBytes(dir / "t.bak", Text("older"));
        fs::permissions(dir / "t", mode);
        fs::permissions(dir / "t.bak", fs::perms(0666));
        std::error_code error;
        ASSERT_TRUE(CopyFileAtomically(dir / "t", dir / "t.bak", error)) << SystemReason(error);
        EXPECT_EQ(fs::status(dir / "t.bak").permissions(), mode);
        EXPECT_EQ(test::ReadBytes(dir / "t.bak"), content);
    }
}

struct Leftover {
    const char* name;
    std::string file;
    int ageSeconds;
    bool removed;
    friend std::ostream& operator<<(std::ostream& os, const Leftover& c) { return os << c.name; }
};

class LeftoverTest : public testing::TestWithParam<Leftover> {};

// The first write into a folder removes the temporary files of ours whose process is gone
// (and that have rested a while); nothing else.
TEST_P(LeftoverTest, RemovedOnlyWhenItsProcessIsGone)
{
    const Leftover& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / c.file, Text("left over"));
    const timespec times[2] = {{::time(nullptr) - c.ageSeconds, 0}, {::time(nullptr) - c.ageSeconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / c.file).c_str(), times, 0), 0);
    std::error_code error;
    ASSERT_TRUE(WriteFileAtomically(dir / "new", {Text("x")}, error));
    EXPECT_EQ(fs::exists(dir / c.file), !c.removed);
}

const std::string kGone = "999999999"; // above the largest process id the system gives

INSTANTIATE_TEST_SUITE_P(
    Cases, LeftoverTest,
    testing::Values(Leftover{"ProcessGone", ".varnox-" + kGone + "-3.tmp", 600, true},
                    Leftover{"ProcessGoneJustNow", ".varnox-" + kGone + "-3.tmp", 5, false},
                    Leftover{"ProcessAlive", ".varnox-1-3.tmp", 600, false},
                    Leftover{"OwnProcess", ".varnox-" + std::to_string(::getpid()) + "-3.tmp", 600, false},
                    Leftover{"OtherSuffix", ".varnox-" + kGone + "-3.tmp.gfp", 600, false},
                    Leftover{"NoCounter", ".varnox-" + kGone + ".tmp", 600, false},
                    Leftover{"NotANumber", ".varnox-" + kGone + "x-3.tmp", 600, false}),
    test::CaseName());

}  // namespace
