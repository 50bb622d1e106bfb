// Unpacking the picture items of an archive: exact copies, replacement, refused items.

#include "formats/describe.h"
#include "jobs/report.h"
#include "tests/support/builders.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <unistd.h>

using namespace varnox;
using test::GfpSpec;
using test::ResItemSpec;
using Names = std::vector<std::string>;

namespace {

jobs::ReportResult Unpack(Module1& module, const test::TempDir& dir, const std::string& file = "a.res")
{
    jobs::ReportOptions options;
    options.extractWanted = [] { return true; };
    jobs::ReportResult result = jobs::RunArchiveReport(dir.path(), file, options);
    jobs::StoreRecords(module, result.records);
    return result;
}

Bytes Head(const Bytes& data, std::size_t n)
{
    return Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
}

TEST(Unpack, CopiesPictureItemsByteForByte)
{
    GfpSpec compressed;
    compressed.width = 7;
    compressed.height = 5;
    compressed.filler = 3;
    compressed.rawMark = 1;
    GfpSpec raw;
    raw.compressed = false;
    raw.bitsPerPixel = 24; // three bytes a pixel stored; two a pixel copied
    raw.storedSize = 5;
    const Bytes junk(10, 0xAB);
    const Bytes c = test::Concat({test::MakeGfp(compressed), junk});
    const Bytes u = test::Concat({test::MakeGfp(raw), junk});
    const std::size_t storedSize = static_cast<std::size_t>(Le32(&c[test::kGfpStoredSizeAt]));

    test::TempDir dir;
    test::WriteBytes(dir / "a.res",
                     test::MakeRes({{14, "c", c}, {16, "sound", c}, {14, "b\xE4r", u}, {14, "", c}}));
    Module1 module;
    const auto result = Unpack(module, dir);
    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(result.written, 3);
    EXPECT_EQ(test::ListTree(dir / "a"), (Names{".gfp", "bär.gfp", "c.gfp"}));
    EXPECT_EQ(test::ReadBytes(dir / "a" / "c.gfp"), Head(c, 132 + storedSize));
    EXPECT_EQ(test::ReadBytes(dir / "a" / ".gfp"), Head(c, 132 + storedSize));
    EXPECT_EQ(test::ReadBytes(dir / "a" / "bär.gfp"), Head(u, 132 + 4 * 2 * 2));
}

TEST(Unpack, NoFolderWithoutWrittenItems)
{
    struct Case {
        const char* name;
        bool ticked;
        std::int32_t type;
    };
    for (const Case c : {Case{"unticked", false, 14}, Case{"no pictures", true, 16}}) {
        test::TempDir dir;
        test::WriteBytes(dir / "a.res", test::MakeRes({{c.type, "p", test::MakeGfp()}, {17, "q", {}}}));
        jobs::ReportOptions options;
        options.extractWanted = [&c] { return c.ticked; };
        const auto result = jobs::RunArchiveReport(dir.path(), "a.res", options);
        EXPECT_EQ(result.lines.size(), 10u) << c.name;
        EXPECT_EQ(test::ListTree(dir.path()), Names{"a.res"}) << c.name;
    }
}

// Each file written is exactly one item: a later item of a name already written is refused.
TEST(Unpack, EachNameIsWrittenOnce)
{
    GfpSpec other;
    other.width = 2;
    const Bytes first = test::MakeGfp(), later = test::MakeGfp(other);
    const std::string clash = ": Gleicher Name wie das schon entpackte 1. Item";
    test::TempDir dir;
    test::WriteBytes(
        dir / "a.res",
        test::MakeRes({{14, "p\xE4", first}, {14, "q", first}, {14, "p\xE4", later}, {14, "P\xC4", later}}));
    Module1 module;
    auto result = Unpack(module, dir);
    EXPECT_EQ(result.written, 2);
    EXPECT_EQ(test::ReadBytes(dir / "a" / "p\xC3\xA4.gfp"), first);
    // A name differing only in case is the same file on a case-blind file system.
    EXPECT_EQ(Names(result.lines.end() - 3, result.lines.end()),
              (Names{"Nicht entpackt: 2", "\tp\xC3\xA4" + clash, "\tP\xC3\x84" + clash}));

    // A name whose first item was not written is free for the next.
    test::WriteBytes(dir / "b.res", test::MakeRes({{14, "p", Bytes(10, 0)}, {14, "p", later}}));
    result = Unpack(module, dir, "b.res");
    EXPECT_EQ(result.written, 1);
    EXPECT_EQ(test::ReadBytes(dir / "b" / "p.gfp"), later);
}

TEST(Unpack, SecondUnpackReplacesLongerFilesWhole)
{
    GfpSpec big;
    big.width = 64;
    big.height = 64;
    GfpSpec small;
    small.width = 1;
    small.height = 1;
    const Bytes smaller = test::MakeGfp(small);
    test::TempDir dir;
    Module1 module;
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "p", test::MakeGfp(big)}}));
    Unpack(module, dir);
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "p", smaller}}));
    EXPECT_TRUE(Unpack(module, dir).failures.empty());
    EXPECT_EQ(test::ReadBytes(dir / "a" / "p.gfp"), smaller);
    EXPECT_EQ(test::ListTree(dir / "a"), Names{"p.gfp"}); // no temporary file left
}

TEST(Unpack, UntickedDuringTheUnpackStopsTheRest)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "one", test::MakeGfp()},
                                                   {16, "s", {}},
                                                   {14, "two", test::MakeGfp()},
                                                   {14, "three", test::MakeGfp()}}));
    bool ticked = true;
    int asked = 0;
    jobs::ReportOptions options;
    options.extractWanted = [&] { return ++asked, ticked; };
    jobs::JobProgress progress;
    progress.SetListener([&](const jobs::JobProgress& p) { ticked = ticked && p.Done() < 1; }); // after "one"
    options.progress = &progress;
    const auto result = jobs::RunArchiveReport(dir.path(), "a.res", options);
    EXPECT_EQ(result.lines.size(), 16u);
    EXPECT_EQ(asked, 3); // once for each picture item
    EXPECT_EQ(test::ListTree(dir / "a"), Names{"one.gfp"});
}

struct UnsafeItem {
    const char* name;
    ResItemSpec item;
    ExtractError reason;
    friend std::ostream& operator<<(std::ostream& os, const UnsafeItem& c) { return os << c.name; }
};

Bytes Gfp(const std::function<void(Bytes&)>& damage, const GfpSpec& spec = {})
{
    Bytes b = test::MakeGfp(spec);
    damage(b);
    return b;
}

GfpSpec Raw()
{
    GfpSpec spec;
    spec.compressed = false;
    return spec;
}

class UnsafeItemTest : public testing::TestWithParam<UnsafeItem> {};

// A good item is read first, so stale headers would be at hand for the refused one.
TEST_P(UnsafeItemTest, WritesNothingAndSaysWhy)
{
    const UnsafeItem& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "good", test::MakeGfp()}, c.item}));
    Module1 module;
    const auto result = Unpack(module, dir);
    EXPECT_EQ(test::ListTree(dir.path()), (Names{"a", "a.res", "a/good.gfp"}));
    ASSERT_EQ(result.lines.size(), 12u);
    EXPECT_EQ(result.lines[9], "\tItemname:" + Latin1ToUtf8(c.item.name));
    EXPECT_EQ(result.lines[10], "Nicht entpackt: 1");
    EXPECT_EQ(result.lines[11], "\t" + Latin1ToUtf8(c.item.name) + ": " + Describe(c.reason));
    EXPECT_EQ(result.written, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnsafeItemTest,
    testing::Values(
        UnsafeItem{"ParentPath", {14, "../evil", test::MakeGfp()}, ExtractError::UnsafeName},
        UnsafeItem{"SubFolder", {14, "sub/x", test::MakeGfp()}, ExtractError::UnsafeName},
        UnsafeItem{"Backslash", {14, "..\\evil", test::MakeGfp()}, ExtractError::UnsafeName},
        UnsafeItem{"Dot", {14, ".", test::MakeGfp()}, ExtractError::UnsafeName},
        UnsafeItem{"DotDot", {14, "..", test::MakeGfp()}, ExtractError::UnsafeName},
        UnsafeItem{"NoTag", {14, "b", Bytes(200, 'N')}, ExtractError::NoTag},
        UnsafeItem{"NoSecondTag", {14, "b", Gfp([](Bytes& b) { b[58] = 'x'; })}, ExtractError::NoSecondTag},
        UnsafeItem{
            "HeadersCut", {14, "b", Gfp([](Bytes& b) { b.resize(131); })}, ExtractError::HeaderTruncated},
        UnsafeItem{"TagOnly", {14, "b", Gfp([](Bytes& b) { b.resize(4); })}, ExtractError::HeaderTruncated},
        UnsafeItem{"NegativeStoredSize",
                   {14, "b", Gfp([](Bytes& b) { PutLe32(b, test::kGfpStoredSizeAt, -1); })},
                   ExtractError::PayloadLength},
        UnsafeItem{"RawLengthOverflows",
                   {14, "b",
                    Gfp(
                        [](Bytes& b) {
                            PutLe32(b, test::kGfpWidthAt, 65536);
                            PutLe32(b, test::kGfpHeightAt, 32768);
                        },
                        Raw())},
                   ExtractError::PayloadLength},
        UnsafeItem{"RawLengthNegative",
                   {14, "b", Gfp([](Bytes& b) { PutLe32(b, test::kGfpWidthAt, -4); }, Raw())},
                   ExtractError::PayloadLength},
        UnsafeItem{"PayloadOneBytePastEnd",
                   {14, "b", Gfp([](Bytes& b) { b.pop_back(); })},
                   ExtractError::PayloadPastEnd},
        UnsafeItem{"StoredSizeHuge",
                   {14, "b", Gfp([](Bytes& b) { PutLe32(b, test::kGfpStoredSizeAt, INT_MAX); })},
                   ExtractError::PayloadPastEnd},
        UnsafeItem{"NegativeOffset", {14, "b", test::MakeGfp(), -1}, ExtractError::BadItemOffset},
        UnsafeItem{"OffsetPastEnd", {14, "b", test::MakeGfp(), INT_MAX}, ExtractError::BadItemOffset},
        UnsafeItem{"NoData", {14, "b", {}}, ExtractError::BadItemOffset}),
    test::CaseName());

struct ControlName {
    const char* name;
    std::string item; // raw
    std::string shown;
    friend std::ostream& operator<<(std::ostream& os, const ControlName& c) { return os << c.name; }
};

class ControlNameTest : public testing::TestWithParam<ControlName> {};

// A name with control characters is not written, and the report shows them as \xNN.
TEST_P(ControlNameTest, NotWrittenAndShownEscaped)
{
    const ControlName& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "a.res",
                     test::MakeRes({{14, "good", test::MakeGfp()}, {14, c.item, test::MakeGfp()}}));
    Module1 module;
    const auto result = Unpack(module, dir);
    EXPECT_EQ(test::ListTree(dir / "a"), Names{"good.gfp"});
    ASSERT_EQ(result.lines.size(), 12u);
    EXPECT_EQ(result.lines[9], "\tItemname:" + c.shown);
    EXPECT_EQ(result.lines[11], "\t" + c.shown + ": " + Describe(ExtractError::ControlCharacter));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ControlNameTest,
    testing::Values(ControlName{"ForgedLine", "p\r\n\tItemname:fake", "p\\x0D\\x0A\\x09Itemname:fake"},
                    ControlName{"TerminalEscape", "\x1B]0;x\x07\x1B[2J", "\\x1B]0;x\\x07\\x1B[2J"},
                    ControlName{"FirstAndLast", std::string("\x01\xE4\x1F", 3), "\\x01\xC3\xA4\\x1F"},
                    ControlName{"Delete", "a\x7F", "a\\x7F"}),
    test::CaseName());

TEST(Unpack, EveryFailureListedAfterTheItems)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "a/b", test::MakeGfp()},
                                                   {14, "ok", test::MakeGfp()},
                                                   {14, "\xF6", Bytes(10, 0)},
                                                   {16, "snd", Bytes(10, 0)}}));
    Module1 module;
    const auto result = Unpack(module, dir);
    const Names tail(result.lines.end() - 3, result.lines.end());
    EXPECT_EQ(result.lines.size(), 4u + 12u + 3u);
    EXPECT_EQ(result.lines[15], "\tItemname:snd");
    EXPECT_EQ(tail, (Names{"Nicht entpackt: 2", "\ta/b: " + Describe(ExtractError::UnsafeName),
                           "\t\xC3\xB6: " + Describe(ExtractError::NoTag)}));
}

TEST(Unpack, LongestNameThatFitsIsWritten)
{
    // 251 bytes and ".gfp" make the longest file name the system takes.
    const std::string fits(251, 'n');
    const std::string tooLong(252, 'm');
    test::TempDir dir;
    test::WriteBytes(dir / "a.res",
                     test::MakeRes({{14, fits, test::MakeGfp()}, {14, tooLong, test::MakeGfp()}}));
    Module1 module;
    const auto result = Unpack(module, dir);
    EXPECT_EQ(test::ListTree(dir / "a"), Names{fits + ".gfp"});
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].name, tooLong);
    EXPECT_EQ(result.failures[0].reason, Describe(ExtractError::WriteFailed) + ": Der Name ist zu lang");
}

// The unpack folder's name is the archive's name less four characters; one that names the
// archive's own folder or its parent is refused, and nothing is written anywhere.
TEST(Unpack, FolderNameThatIsNoNewFolderIsRefused)
{
    for (const char* archive : {".res", "..res", "...res"}) {
        test::TempDir dir;
        std::filesystem::create_directory(dir / "w");
        test::WriteBytes(dir / "w" / archive,
                         test::MakeRes({{14, "p", test::MakeGfp()}, {14, "q", test::MakeGfp()}}));
        const auto before = test::Snapshot(dir.path());
        jobs::ReportOptions options;
        options.extractWanted = [] { return true; };
        const auto result = jobs::RunArchiveReport(dir / "w", archive, options);
        EXPECT_EQ(test::Snapshot(dir.path()), before) << archive;
        EXPECT_EQ(result.written, 0) << archive;
        EXPECT_EQ(result.lines.back(), "\tq: " + Describe(ExtractError::FolderName)) << archive;
    }
}

struct NotAFolder {
    const char* name;
    const char* linkTo; // in the folder "elsewhere"; none: a file
    friend std::ostream& operator<<(std::ostream& os, const NotAFolder& c) { return os << c.name; }
};

class NotAFolderTest : public testing::TestWithParam<NotAFolder> {};

// Whatever stands at the unpack folder's path other than a real folder is left alone, and
// nothing is written, neither there nor where a link points.
TEST_P(NotAFolderTest, WritesNothing)
{
    const NotAFolder& c = GetParam();
    test::TempDir dir;
    std::filesystem::create_directory(dir / "elsewhere");
    test::WriteBytes(dir / "elsewhere" / "f", Bytes{1});
    if (c.linkTo == nullptr)
        test::WriteBytes(dir / "a", Bytes{1, 2, 3});
    else
        std::filesystem::create_symlink(dir / "elsewhere" / c.linkTo, dir / "a");
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "p", test::MakeGfp()}}));
    const auto before = test::Snapshot(dir.path());
    Module1 module;
    const auto result = Unpack(module, dir);
    EXPECT_EQ(test::Snapshot(dir.path()), before);
    EXPECT_EQ(result.lines.back(), "\tp: " + Describe(ExtractError::FolderNotReal));
}

INSTANTIATE_TEST_SUITE_P(Cases, NotAFolderTest,
                         testing::Values(NotAFolder{"File", nullptr}, NotAFolder{"LinkToFolder", "."},
                                         NotAFolder{"LinkToFile", "f"},
                                         NotAFolder{"DanglingLink", "missing"}),
                         test::CaseName());

// The folder is opened once: swapped for a link in the middle of the unpack, the rest of
// the items still go into the folder that was opened.
TEST(Unpack, FolderSwappedForALinkMeanwhile)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "elsewhere");
    test::WriteBytes(dir / "a.res",
                     test::MakeRes({{14, "one", test::MakeGfp()}, {14, "two", test::MakeGfp()}}));
    jobs::ReportOptions options;
    options.extractWanted = [] { return true; };
    jobs::JobProgress progress;
    progress.SetListener([&dir](const jobs::JobProgress& p) {
        if (p.Done() != 1 || std::filesystem::is_symlink(dir / "a"))
            return; // once, after the first item
        std::filesystem::rename(dir / "a", dir / "moved");
        std::filesystem::create_directory_symlink(dir / "elsewhere", dir / "a");
    });
    options.progress = &progress;
    EXPECT_EQ(jobs::RunArchiveReport(dir.path(), "a.res", options).written, 2);
    EXPECT_EQ(test::ListTree(dir / "moved"), (Names{"one.gfp", "two.gfp"}));
    EXPECT_EQ(test::ListTree(dir / "elsewhere"), Names{});
}

TEST(Unpack, WriteProtectedOutputIsKept)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "p", test::MakeGfp()}, {14, "q", test::MakeGfp()}}));
    std::filesystem::create_directory(dir / "a");
    test::WriteBytes(dir / "a" / "p.gfp", Bytes{9, 9});
    std::filesystem::permissions(dir / "a" / "p.gfp", std::filesystem::perms::owner_read);
    Module1 module;
    const auto result = Unpack(module, dir);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].reason, Describe(ExtractError::WriteFailed) + ": Keine Berechtigung");
    EXPECT_EQ(test::ReadBytes(dir / "a" / "p.gfp"), (Bytes{9, 9}));
    EXPECT_EQ(result.written, 1);
}

TEST(Unpack, FolderThatCannotBeWritten)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "p", test::MakeGfp()}}));
    // Read-only folders bind only a user without root's rights: those steps run as one.
    std::filesystem::create_directory(dir / "a");
    test::OpenToAll(dir.path());
    std::filesystem::permissions(
        dir / "a", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                       std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    const std::string refused = Describe(ExtractError::WriteFailed) + ": Keine Berechtigung";
    const auto unpackRefused = [&] {
        Module1 other;
        const auto r = Unpack(other, dir);
        return r.failures.size() == 1 && r.failures[0].reason == refused &&
                       r.lines.back() == "\tp: " + refused
                   ? 0
                   : 1;
    };
    EXPECT_EQ(test::RunUnprivileged(unpackRefused), 0);

    // The archive's own folder is read-only: the unpack folder cannot be made.
    std::filesystem::permissions(dir / "a", std::filesystem::perms::all);
    std::filesystem::remove(dir / "a");
    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                        std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    EXPECT_EQ(test::RunUnprivileged(unpackRefused), 0);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_FALSE(std::filesystem::exists(dir / "a"));
}

TEST(UnpackFolder, FileNameLessItsLastFourCharacters)
{
    const std::pair<const char*, const char*> cases[] = {
        {"gfx.res", "gfx"}, {"GFX.RES", "GFX"}, {"b\xC3\xA4r.res", "b\xC3\xA4r"},
        {"...res", ".."},   {"ab", ""},
    };
    for (const auto& [file, folder] : cases)
        EXPECT_EQ(jobs::UnpackFolderName(file), folder) << file;
}

} // namespace
