// Files replaced whole: written under a temporary name, put in place only when complete.

#include "formats/fileio.h"
#include "tests/support/builders.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace varnox;

namespace {

Bytes Text(const char* s) { return Bytes(s, s + std::strlen(s)); }

TEST(AtomicFile, PiecesWrittenOutOfOrderMakeTheFile)
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
    EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{"t"});
}

TEST(AtomicFile, DroppedOrDiscardedLeavesTheFolderAsItWas)
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
        EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{"t"});
    }
}

TEST(AtomicFile, FolderThatIsMissingIsAnError)
{
    test::TempDir dir;
    AtomicFile file;
    EXPECT_FALSE(file.Open(dir / "missing" / "t"));
    EXPECT_EQ(file.error(), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(file.WriteAt(0, Text("x")));
    EXPECT_FALSE(file.Commit());
}

}  // namespace
