// Files replaced whole: written aside, put in place only when complete, in the folder that
// was opened; backups that keep their permissions; temporary files of killed runs removed.

#include "fileio/fileio.h"
#include "formats/describe.h"
#include "jobs/restore.h"
#include "tests/support/builders.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <thread>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace varnox;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

using test::Text;

namespace {

// Every test of the writes runs with an anonymous file and with a named temporary file.
class AtomicFileTest : public testing::TestWithParam<bool> {
  protected:
    static TemporaryFile Temporary() { return GetParam() ? TemporaryFile::Named : TemporaryFile::Anonymous; }
};

TEST_P(AtomicFileTest, PiecesWrittenOutOfOrderMakeTheFile)
{
    test::TempDir dir;
    test::WriteBytes(dir / "t", Text("old content"));
    AtomicFile file(Temporary());
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
            AtomicFile file(Temporary());
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
    AtomicFile file(Temporary());
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
    AtomicFile file(Temporary());
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
        AtomicFile file(Temporary());
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
        ASSERT_TRUE(CopyFileAtomically(dir / "t", dir / "t.bak", error)) << error.message();
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

// ---- a writer's whole-file rewrite ----

bool Rewrites(const Path& path, const Bytes& bytes, std::chrono::milliseconds wait = kWriterWait)
{
    Rewrite rewrite;
    return rewrite.Begin(path, wait) && rewrite.File().Write({bytes}) && rewrite.Commit();
}

bool IsLink(const Path& path)
{
    return fs::is_symlink(fs::symlink_status(path));
}

// A path that ends in links names the file they lead to: it is replaced, its backup lies
// beside it, and the links stay links.
TEST(Rewrite, WritesThroughLinks)
{
    test::TempDir dir;
    fs::create_directory(dir / "real");
    test::WriteBytes(dir / "real" / "t", Text("old"));
    fs::create_symlink("real/t", dir / "link");
    fs::create_symlink(dir / "link", dir / "link2");
    ASSERT_TRUE(Rewrites(dir / "link2", Text("new")));
    EXPECT_TRUE(IsLink(dir / "link") && IsLink(dir / "link2"));
    EXPECT_EQ(test::ReadBytes(dir / "real" / "t"), Text("new"));
    EXPECT_EQ(test::ReadBytes(dir / "real" / "t.bak"), Text("old"));
    EXPECT_EQ(test::ListTree(dir / "real"), (Names{"t", "t.bak"}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "link.bak")) ||
                 fs::exists(fs::symlink_status(dir / "link2.bak")));
}

// The backup is the old file, never a second name of the new one; the same bytes again
// change nothing, not even the backup.
TEST(Rewrite, BackupIsAFileOfItsOwnAndEqualBytesWriteNothing)
{
    test::TempDir dir;
    test::WriteBytes(dir / "t", Text("one"));
    const auto first = test::InodeOf(dir / "t");
    ASSERT_TRUE(Rewrites(dir / "t", Text("two")));
    EXPECT_EQ(test::InodeOf(dir / "t.bak"), first);
    EXPECT_NE(test::InodeOf(dir / "t"), first);
    const auto second = test::InodeOf(dir / "t");
    ASSERT_TRUE(Rewrites(dir / "t", Text("two")));
    EXPECT_EQ(test::InodeOf(dir / "t"), second);
    EXPECT_EQ(test::ReadBytes(dir / "t.bak"), Text("one"));
    EXPECT_EQ(test::ListTree(dir.path()), (Names{"t", "t.bak"}));
}

// A second writer waits for the first; past the wait it refuses, else it rewrites what the
// first one left.
TEST(Rewrite, WritersOfOneFileExcludeEachOther)
{
    test::TempDir dir;
    test::WriteBytes(dir / "t", Text("old"));
    Rewrite first;
    ASSERT_TRUE(first.Begin(dir / "t"));
    Rewrite second;
    EXPECT_FALSE(second.Begin(dir / "t", std::chrono::milliseconds(50)));
    EXPECT_EQ(second.fault(), Rewrite::Fault::Busy);

    std::thread waiter([&] { EXPECT_TRUE(Rewrites(dir / "t", Text("second"))); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(first.File().Write({Text("first")}));
    ASSERT_TRUE(first.Commit());
    waiter.join();
    EXPECT_EQ(test::ReadBytes(dir / "t"), Text("second"));
    EXPECT_EQ(test::ReadBytes(dir / "t.bak"), Text("first"));
}

struct ChangedMeanwhile {
    const char* name;
    bool existing;
    std::function<void(const Path&)> change;
    friend std::ostream& operator<<(std::ostream& os, const ChangedMeanwhile& c) { return os << c.name; }
};

class ChangedMeanwhileTest : public testing::TestWithParam<ChangedMeanwhile> {};

// The files of a folder but a writer's own temporary one, which a refusal removes.
std::map<std::string, Bytes> OthersFiles(const Path& folder)
{
    std::map<std::string, Bytes> files = test::Snapshot(folder);
    std::erase_if(files, [](const auto& file) { return file.first.starts_with(".varnox-"); });
    return files;
}

// A program that ignores the lock and changes the file between a writer's read and its
// rename: the writer refuses and leaves that program's file and the backup as they are.
TEST_P(ChangedMeanwhileTest, Refused)
{
    const ChangedMeanwhile& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "t.bak", Text("older"));
    if (c.existing)
        test::WriteBytes(dir / "t", Text("old"));
    Rewrite rewrite;
    ASSERT_TRUE(rewrite.Begin(dir / "t"));
    ASSERT_TRUE(rewrite.File().Write({Text("ours")}));
    c.change(dir / "t");
    const auto after = OthersFiles(dir.path());
    EXPECT_FALSE(rewrite.Commit());
    EXPECT_EQ(rewrite.fault(), Rewrite::Fault::Changed);
    EXPECT_EQ(test::Snapshot(dir.path()), after);
}

// Every writer of a whole file does the same: a file it did not read is not replaced.
TEST_P(ChangedMeanwhileTest, RefusedByEveryWriter)
{
    const ChangedMeanwhile& c = GetParam();
    test::TempDir dir;
    if (c.existing)
        test::WriteBytes(dir / "t", Text("old"));
    AtomicFile file;
    ASSERT_TRUE(file.Open(dir / "t"));
    ASSERT_TRUE(file.Write({Text("ours")}));
    c.change(dir / "t");
    const auto after = OthersFiles(dir.path());
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(file.error(), FileLayerError::Changed);
    EXPECT_EQ(test::Snapshot(dir.path()), after);
}

// As cp -p, touch -r and rsync --inplace -t leave a file: new bytes of the same length,
// the old time of change; only the time of the entry's change tells.
void RewriteWithOldTimes(const Path& path)
{
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, "new", 3, 0), 3);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);
}

void WriteInPlace(const Path& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, "new", 3, 0), 3);
    const timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 5, 0}};
    ::futimens(fd, later);
    ::close(fd);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangedMeanwhileTest,
    testing::Values(ChangedMeanwhile{"WrittenInPlace", true, WriteInPlace},
                    ChangedMeanwhile{"RewrittenWithOldTimes", true, RewriteWithOldTimes},
                    ChangedMeanwhile{"ReplacedByRename", true,
                                     [](const Path& file) {
                                         test::WriteBytes(Path(file) += "x", Text("new"));
                                         fs::rename(Path(file) += "x", file);
                                     }},
                    ChangedMeanwhile{"Removed", true, [](const Path& file) { fs::remove(file); }},
                    ChangedMeanwhile{"MadeWhileMissing", false,
                                     [](const Path& file) { test::WriteBytes(file, Text("new")); }}),
    test::CaseName());

// Where the final rename is refused (a sticky folder, a file of another user), the file,
// its backup and the number of its names stay as they were.
TEST(Rewrite, FailedRenameLeavesFileAndBackup)
{
    test::TempDir dir;
    fs::create_directory(dir / "s");
    test::WriteBytes(dir / "s" / "t", Text("old"));
    test::WriteBytes(dir / "s" / "t.bak", Text("older"));
    test::OpenToAll(dir.path());
    fs::permissions(dir / "s", fs::perms::all | fs::perms::sticky_bit);
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs a file of another user";
    const auto before = test::Snapshot(dir.path());
    EXPECT_EQ(test::RunUnprivileged([&] {
                  Rewrite rewrite;
                  if (!rewrite.Begin(dir / "s" / "t") || !rewrite.File().Write({Text("new")}))
                      return 2;
                  return rewrite.Commit() ? 1 : rewrite.fault() == Rewrite::Fault::Write ? 0 : 3;
              }),
              0);
    EXPECT_EQ(test::Snapshot(dir.path()), before);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "s" / "t").c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 1u);
}

// A run killed in the middle leaves temporary names that the next writer in the folder
// removes once they have rested.
TEST(Rewrite, KilledRunsLeaveNothingForGood)
{
    test::TempDir dir;
    test::WriteBytes(dir / "t", Text("old"));
    const pid_t child = ::fork();
    if (child == 0) {
        Rewrite rewrite(TemporaryFile::Named);
        if (rewrite.Begin(dir / "t") && rewrite.File().Write({Text("half")}))
            ::kill(::getpid(), SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const Names left = test::ListTree(dir.path());
    ASSERT_EQ(left.size(), 2u);
    const Path temp = dir / left[0];
    const timespec old[2] = {{::time(nullptr) - 600, 0}, {::time(nullptr) - 600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, temp.c_str(), old, 0), 0);
    ASSERT_TRUE(Rewrites(dir / "t", Text("new")));
    EXPECT_EQ(test::ListTree(dir.path()), (Names{"t", "t.bak"}));
}

} // namespace

namespace {

struct PlantedMode {
    const char* name;
    bool link;     // the output name is a link to a file of this mode, else that file itself
    unsigned mode; // of the file found there
    unsigned expected;
    friend std::ostream& operator<<(std::ostream& os, const PlantedMode& c) { return os << c.name; }
};

class NewFileModeTest : public testing::TestWithParam<PlantedMode> {};

// A new file takes the mode of the regular file it replaces, never through a link and never
// setuid, setgid or sticky; else 0666 less the umask. Run as the user and as root.
TEST_P(NewFileModeTest, TakenOnlyFromTheFileReplaced)
{
    const PlantedMode& c = GetParam();
    for (const bool unprivileged : {false, true}) {
        if (unprivileged && !c.link)
            continue; // a user's own file is the case above; another's is refused
        test::TempDir dir;
        test::WriteBytes(dir / "elsewhere", Text("program"));
        test::OpenToAll(dir.path());
        ::chmod((dir / "elsewhere").c_str(), c.mode);
        if (c.link)
            fs::create_symlink(dir / "elsewhere", dir / "out");
        else
            fs::rename(dir / "elsewhere", dir / "out");
        const auto write = [&] {
            ::umask(022);
            std::error_code error;
            return WriteFileAtomically(dir / "out", {Text("archive bytes")}, error) ? 0 : 1;
        };
        ASSERT_EQ(unprivileged ? test::RunUnprivileged(write) : write(), 0) << unprivileged;
        struct stat st {};
        ASSERT_EQ(::lstat((dir / "out").c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, c.expected) << unprivileged;
        if (c.link) {
            EXPECT_EQ(test::ReadBytes(dir / "elsewhere"), Text("program"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, NewFileModeTest,
                         testing::Values(PlantedMode{"LinkToSetuidProgram", true, 04755, 0644},
                                         PlantedMode{"LinkToWorldWritable", true, 0666, 0644},
                                         PlantedMode{"SetuidFile", false, 04755, 0755},
                                         PlantedMode{"SetgidStickyFile", false, 03775, 0775},
                                         PlantedMode{"PrivateFile", false, 0600, 0600},
                                         PlantedMode{"WorldWritableFile", false, 0666, 0666}),
                         test::CaseName());

// An edit session keeps its first backup, the original; a backup that is a second name of
// the file leaves no temporary name behind.
TEST(Rewrite, BackupRules)
{
    test::TempDir dir;
    test::WriteBytes(dir / "t", Text("original"));
    ASSERT_TRUE(Rewrites(dir / "t", Text("first save")));
    for (const char* save : {"second save", "third save"}) {
        Rewrite rewrite;
        rewrite.SetBackup(Backup::KeepFirst);
        ASSERT_TRUE(rewrite.Begin(dir / "t") && rewrite.File().Write({Text(save)}) && rewrite.Commit());
        EXPECT_EQ(test::ReadBytes(dir / "t"), Text(save));
        EXPECT_EQ(test::ReadBytes(dir / "t.bak"), Text("original"));
        EXPECT_EQ(rewrite.Identity(), IdentityOf(dir / "t"));
    }
    fs::remove(dir / "t.bak");
    fs::create_hard_link(dir / "t", dir / "t.bak");
    ASSERT_TRUE(Rewrites(dir / "t", Text("after a link")));
    EXPECT_EQ(test::ReadBytes(dir / "t.bak"), Text("third save"));
    EXPECT_EQ(test::ListTree(dir.path()), (Names{"t", "t.bak"}));
}

// A writer pinned to the state it handed out refuses any later state, its own name's too.
TEST(Rewrite, ExpectsTheStateHandedOut)
{
    test::TempDir dir;
    test::WriteBytes(dir / "t", Text("old"));
    const FileIdentity handedOut = IdentityOf(dir / "t");
    RewriteWithOldTimes(dir / "t");
    Rewrite rewrite;
    ASSERT_TRUE(rewrite.Begin(dir / "t"));
    EXPECT_FALSE(rewrite.Expect(handedOut));
    EXPECT_EQ(rewrite.fault(), Rewrite::Fault::Changed);
    EXPECT_EQ(test::ListTree(dir.path()), Names{"t"});
}

// On a file system without hard links, anonymous files or renameat2's flags (FAT, exFAT,
// FUSE; the test runs once more with such calls failing), every writer still writes and
// restores, and leaves no temporary file.
TEST(FileSystemWithoutLinks, WritersFallBack)
{
    test::TempDir dir;
    if (std::getenv("VARNOX_EXPECT_NO_LINKS") != nullptr) {
        test::WriteBytes(dir / "probe", Text("x"));
        ASSERT_NE(::link((dir / "probe").c_str(), (dir / "probe2").c_str()), 0)
            << "the stand-in is not loaded";
        fs::remove(dir / "probe");
    }
    std::error_code error;
    ASSERT_TRUE(WriteFileAtomically(dir / "new", {Text("one")}, error)) << error.message();
    ASSERT_TRUE(Rewrites(dir / "made", Text("made")));
    ASSERT_TRUE(Rewrites(dir / "new", Text("two")));
    EXPECT_EQ(test::ReadBytes(dir / "new"), Text("two"));
    EXPECT_EQ(test::ReadBytes(dir / "new.bak"), Text("one"));
    Folder folder;
    ASSERT_TRUE(folder.Open(dir.path()));
    ASSERT_TRUE(SwapNames(folder, "new", "new.bak", error)) << error.message();
    EXPECT_EQ(test::ReadBytes(dir / "new"), Text("one"));
    EXPECT_EQ(test::ReadBytes(dir / "new.bak"), Text("two"));
    const Status restored = jobs::RestoreBackup(dir / "new");
    ASSERT_TRUE(restored.ok()) << Describe(restored.error());
    EXPECT_EQ(test::ReadBytes(dir / "new"), Text("two"));
    EXPECT_EQ(test::ListTree(dir.path()), (Names{"made", "new", "new.bak"}));
}

} // namespace

namespace {

bool IsOpenDescriptor(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

// A descriptor is closed exactly once: when its owner goes or takes another, never after
// it was moved away or released.
TEST(Descriptor, ClosesWhatItOwnsOnce)
{
    int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    {
        Descriptor owner(fd);
        Descriptor moved = std::move(owner);
        // NOLINTNEXTLINE(bugprone-use-after-move,clang-analyzer-cplusplus.Move): moved-from is empty
        EXPECT_FALSE(owner.IsOpen());
        EXPECT_TRUE(IsOpenDescriptor(fd));
    }
    EXPECT_FALSE(IsOpenDescriptor(fd));
    fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    {
        Descriptor owner(fd);
        EXPECT_EQ(owner.Release(), fd);
    }
    EXPECT_TRUE(IsOpenDescriptor(fd));
    Descriptor owner(fd);
    owner.Reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    EXPECT_FALSE(IsOpenDescriptor(fd));
    EXPECT_TRUE(owner.Close());
    EXPECT_FALSE(owner.IsOpen());
}

} // namespace

// Reads of every size, small ones served from the read-ahead, give the file's bytes and stop
// at its end, whatever was read before.
TEST(InputFile, ReadsAtOffsetsGiveTheFilesBytes)
{
    test::TempDir dir;
    Bytes bytes(200000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    test::WriteBytes(dir / "f", bytes);
    struct Read {
        std::int64_t at;
        std::size_t size;
    };
    const Read reads[] = {{0, 8},      {4, 4},      {65530, 12},  {8, 4},      {65536, 70000}, {199990, 10},
                          {199995, 9}, {200000, 1}, {100, 64000}, {130000, 1}, {0, 200000}};
    InputFile in;
    ASSERT_TRUE(in.Open(dir / "f"));
    for (const Read& read : reads) {
        SCOPED_TRACE(read.at);
        Bytes out(read.size, 0xEE);
        const std::size_t expected = std::min<std::size_t>(read.size, bytes.size() - std::size_t(read.at));
        ASSERT_EQ(in.ReadSomeAt(read.at, out), expected);
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + std::ptrdiff_t(expected), bytes.begin() + read.at));
        EXPECT_EQ(in.ReadAt(read.at, out), expected == read.size);
    }
    // A file opened after a smaller one is read whole.
    test::WriteBytes(dir / "small", Text("ab"));
    ASSERT_TRUE(in.Open(dir / "small"));
    ASSERT_TRUE(in.Open(dir / "f"));
    Bytes head(16);
    ASSERT_TRUE(in.ReadAt(70000, head));
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin() + 70000));
}
