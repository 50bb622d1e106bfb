// The archive round trip: extract -> pack on every layout, replace in place and at the end,
// and refusals that touch nothing.

#include "formats/describe.h"
#include "formats/gfp_length.h"
#include "jobs/archive.h"
#include "jobs/archive_shared.h"
#include "jobs/items.h"
#include "jobs/report.h"
#include "jobs/sidepicture.h"
#include "tests/support/builders.h"
#include "tests/support/cli_runner.h"
#include "tests/support/png_builder.h"
#include "tests/support/tga_builder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

using namespace varnox;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

Bytes Gfp(std::int32_t width, bool compressed = true)
{
    return test::MakeGfp({.width = width, .height = 3, .compressed = compressed, .filler = 7});
}

std::string Text(const Bytes& b)
{
    return {b.begin(), b.end()};
}

Bytes Junk(std::size_t n, std::uint8_t seed = 1)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

// Names that clash, carry junk after their NUL, fill the whole field or are no file name.
test::ResBuilder NamedItems()
{
    test::ResBuilder b;
    b.Directory();
    for (const std::string& name :
         {std::string("p"), std::string("p"), std::string("P"), std::string("p~2"),
          std::string("abc\0junk", 8), std::string(256, 'n'), std::string(".."), std::string("a/b"),
          std::string(""), std::string("x\x01"), std::string("b\xE4r"), std::string("B\xC4r")})
        b.Item(16, name, Junk(3));
    return b;
}

struct RoundTrip {
    const char* name;
    std::function<test::ResBuilder()> build;
    const char* notKept; // nullptr: packs back byte for byte; else part of the reason
    friend std::ostream& operator<<(std::ostream& os, const RoundTrip& c) { return os << c.name; }
};

class RoundTripTest : public testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, ExtractThenPack)
{
    const RoundTrip& c = GetParam();
    test::TempDir dir;
    const Bytes original = c.build().Build();
    test::WriteBytes(dir / "a.res", original);
    test::WriteBytes(dir / "b.res", Bytes{'o', 'l', 'd'});
    Module1 module;
    const auto extracted = jobs::ExtractArchive(dir / "a.res", dir / "x");
    ASSERT_TRUE(extracted.status.ok()) << MessageText(extracted.status.error());
    const std::string manifest = Text(test::ReadBytes(dir / "x" / kManifestName));
    EXPECT_TRUE(manifest.ends_with(extracted.summary + "\n")) << manifest;
    EXPECT_LT(manifest.size(), 8192u); // long runs of bytes go into files of their own
    const auto packed = jobs::PackArchive(dir / "x", dir / "b.res");
    ASSERT_TRUE(packed.status.ok()) << MessageText(packed.status.error());
    EXPECT_EQ(test::ReadBytes(dir / "b.res.bak"), (Bytes{'o', 'l', 'd'}));
    if (c.notKept == nullptr) {
        EXPECT_EQ(extracted.summary, kExact);
        EXPECT_EQ(test::ReadBytes(dir / "b.res"), original);
        return;
    }
    EXPECT_NE(extracted.summary.find(c.notKept), std::string::npos) << extracted.summary;

    // Equivalent: the same types, name fields and item bytes.
    ArchiveModel a, b;
    ASSERT_TRUE(ReadArchive(module, dir / "a.res", a).ok());
    ASSERT_TRUE(ReadArchive(module, dir / "b.res", b).ok());
    ASSERT_EQ(a.items.size(), b.items.size());
    for (std::size_t i = 0; i < a.items.size(); ++i) {
        EXPECT_EQ(a.items[i].entry.itemDataType, b.items[i].entry.itemDataType) << i;
        EXPECT_EQ(a.items[i].entry.itemName, b.items[i].entry.itemName) << i;
    }
    ASSERT_TRUE(jobs::ExtractArchive(dir / "b.res", dir / "y").status.ok());
    for (const auto& file : test::ListTree(dir / "x")) {
        if (file != kManifestName) {
            EXPECT_EQ(test::ReadBytes(dir / "x" / file), test::ReadBytes(dir / "y" / file)) << file;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, RoundTripTest,
    testing::Values(
        RoundTrip{"DirectoryFirstAllTypes",
                  [] {
                      test::ResBuilder b;
                      b.Directory();
                      b.Item(14, "bild", Gfp(4)).Item(16, "klang", Junk(9)).Item(17, "schrift", Junk(5));
                      b.Item(40, "figur", Junk(6)).Item(99, "neu", Junk(2)).Item(-7, "minus", Junk(4));
                      return b;
                  },
                  nullptr},
        RoundTrip{"DirectoryLast",
                  [] {
                      test::ResBuilder b;
                      b.Item(14, "roh", Gfp(3, false)).Item(16, "klang", Junk(9));
                      b.Directory();
                      return b;
                  },
                  nullptr},
        RoundTrip{"DirectoryBetweenWithBytesAroundIt",
                  [] {
                      test::ResBuilder b;
                      b.Data(Junk(21, 3));
                      b.Item(14, "vor", test::Concat({Gfp(2), Junk(5)}))
                          .Item(14, "null", test::Concat({Gfp(5), Bytes(7)}));
                      b.Directory();
                      b.Data(Junk(11, 9));
                      b.Item(17, "nach", Junk(8));
                      return b;
                  },
                  nullptr},
        RoundTrip{
            "ZeroBytesAfterHeaderAndEmptyLastItem",
            [] {
                test::ResBuilder b;
                b.Data(Bytes(20));
                b.Directory();
                b.Item(40, "figur", Junk(6)).Item(14, "kaputt", {'N', 'A', 'L', 'P', 1}).Item(14, "leer", {});
                return b;
            },
            nullptr},
        RoundTrip{"NamesCarriedWhole", NamedItems, nullptr},
        RoundTrip{"LargeUnclaimedBytesInFiles",
                  [] {
                      test::ResBuilder b;
                      b.Data(Junk(5000, 2));
                      b.Item(14, "bild", test::Concat({Gfp(3), Junk(6000, 4)}));
                      b.Directory();
                      b.Data(Junk(4097, 6));
                      b.Item(16, "klang", Junk(3));
                      return b;
                  },
                  nullptr},
        RoundTrip{"SharedOffsets",
                  [] {
                      test::ResBuilder b;
                      b.Directory();
                      const std::size_t data = b.Data(Junk(9));
                      b.Entry(16, "eins", data).Entry(16, "zwei", data).Item(14, "bild", Gfp(2));
                      b.Entry(14, "auch", data);
                      return b;
                  },
                  nullptr},
        RoundTrip{"DamagedStreamsAndPictureSharingASound",
                  [] {
                      Bytes broken = Gfp(3);
                      broken.back() ^= 0x55;
                      const Bytes cut = test::MakeGfp({.width = 4, .height = 3, .pixels = Bytes(10, 3)});
                      test::ResBuilder b;
                      b.Directory();
                      const std::size_t sound = b.Data(test::Concat({Junk(9), Gfp(2)}));
                      b.Entry(16, "klang", sound).Entry(14, "auch", sound).Item(14, "kaputt", broken);
                      b.Item(14, "kurz", cut);
                      return b;
                  },
                  nullptr},
        RoundTrip{"DataNotInDirectoryOrder",
                  [] {
                      test::ResBuilder b;
                      b.Directory();
                      const std::size_t first = b.Data(Junk(4)), second = b.Data(Junk(6, 5));
                      b.Entry(16, "zwei", second).Entry(16, "eins", first);
                      return b;
                  },
                  "früheren Eintrags"},
        RoundTrip{"OffsetOutsideTheFile",
                  [] {
                      test::ResBuilder b;
                      b.Directory();
                      b.Item(16, "da", Junk(4)).EntryAt(16, "fort", 1 << 30);
                      return b;
                  },
                  "außerhalb der Datei"},
        RoundTrip{"PictureRunsIntoTheNextItem",
                  [] {
                      const Bytes gfp = Gfp(6);
                      const auto half = static_cast<std::ptrdiff_t>(gfp.size() / 2);
                      test::ResBuilder b;
                      b.Directory();
                      b.Item(14, "bild", Bytes(gfp.begin(), gfp.begin() + half));
                      b.Item(16, "rest", Bytes(gfp.begin() + half, gfp.end()));
                      return b;
                  },
                  "reicht in die folgenden Daten"},
        RoundTrip{"ItemsInHeaderAndDirectory",
                  [] {
                      test::ResBuilder b;
                      const std::size_t tables = b.Directory();
                      b.Item(16, "da", Junk(4)).EntryAt(16, "kopf", 4).Entry(17, "verz", tables);
                      return b;
                  },
                  "überlappen Dateikopf oder Verzeichnis"}),
    testing::PrintToStringParamName());

TEST(ArchiveModel, ExtentsAndUnclaimedBytes)
{
    test::ResBuilder b;
    b.Data(Junk(10));                            // 12..22 unclaimed
    const std::size_t shared = b.Data(Junk(30)); // 22..52, up to the directory
    b.Directory();                               // 52..1372: five entries and names
    b.Data(Junk(4));                             // 1372..1376 unclaimed
    b.Entry(16, "a", shared).Entry(16, "b", shared).Item(17, "c", Junk(6)); // 1376..1382
    b.EntryAt(16, "fort", -1).EntryAt(16, "ende", 1382);
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", b.Build());
    Module1 module;
    ArchiveModel model;
    ASSERT_TRUE(ReadArchive(module, dir / "a.res", model).ok());
    const std::vector<std::int64_t> extents = {30, 30, 6, 0, 0};
    for (std::size_t i = 0; i < extents.size(); ++i)
        EXPECT_EQ(model.items[i].extent, extents[i]) << i;
    EXPECT_TRUE(model.items[1].shared);
    EXPECT_FALSE(model.items[3].inFile);
    EXPECT_TRUE(model.items[4].inFile);
    EXPECT_EQ(model.afterHeader.length, 10);
    ASSERT_EQ(model.unclaimed.size(), 2u);
    EXPECT_EQ(model.unclaimed[0].offset, 12);
    EXPECT_EQ(model.unclaimed[1].offset, 1372);
    EXPECT_EQ(model.unclaimed[1].length, 4);
}

// One rule for a name in a held folder; item and manifest names refuse "\" and control
// bytes on top of it.
TEST(FileNames, PlainAndSafe)
{
    struct Row {
        std::string name;
        bool plain;
        bool safe;
    };
    const Row rows[] = {
        {"a", true, true},      {"...", true, true},         {".gfp", true, true},  {"\xE4", true, true},
        {"", false, false},     {".", false, false},         {"..", false, false},  {"a/b", false, false},
        {"/", false, false},    {{"a\0b", 3}, false, false}, {"a\\b", true, false}, {"a\x01", true, false},
        {"a\x7F", true, false}, {"\x1B[2J", true, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsPlainFileName(row.name), row.plain) << testing::PrintToString(row.name);
        EXPECT_EQ(!IsUnsafeFileName(row.name), row.safe) << testing::PrintToString(row.name);
    }
}

TEST(Extract, RefusedWithoutWriting)
{
    test::TempDir dir;
    test::WriteBytes(dir / "kein.res", Junk(40));
    test::WriteBytes(dir / "p.gfp", test::MakeRes({{14, "p", Gfp(2)}}));
    test::WriteBytes(dir / "datei", Bytes{1});
    test::WriteBytes(dir / "game.png", test::MakeRes({{14, "game", Gfp(2)}}));
    const auto before = test::Snapshot(dir.path());
    const std::tuple<std::pair<const char*, const char*>, std::pair<const char*, const char*>,
                     jobs::SidePicture>
        cases[] = {
            {{"kein.res", "x"}, {"kein.res", "Keine gültige RES-File"}, jobs::SidePicture::None},
            {{"p.gfp", "datei/x"},
             {"datei/x", "Der Ordner kann nicht angelegt werden"},
             jobs::SidePicture::None},
            {{"p.gfp", "."}, {"p.gfp", "den Namen des Archivs"}, jobs::SidePicture::None},
            {{"game.png", "."}, {"game.png", "den Namen des Archivs"}, jobs::SidePicture::Png},
        };
    for (const auto& [args, refusal, pictures] : cases) {
        const auto result = jobs::ExtractArchive(dir / args.first, dir / args.second, {}, {}, pictures);
        EXPECT_FALSE(result.status.ok()) << args.second;
        EXPECT_EQ(PathText(result.status.error().file), (dir / refusal.first).string());
        EXPECT_NE(Describe(result.status.error()).find(refusal.second), std::string::npos)
            << Describe(result.status.error());
        EXPECT_EQ(test::Snapshot(dir.path()), before) << args.second;
    }
}

TEST(Extract, DistinctSafeFileNamesAndPicturesAsUnpackWritesThem)
{
    test::TempDir dir;
    test::WriteBytes(dir / "n.res", NamedItems().Build());
    ASSERT_TRUE(jobs::ExtractArchive(dir / "n.res", dir / "n").status.ok());
    EXPECT_EQ(test::ListTree(dir / "n"),
              (Names{"B\xC3\x84r~2.sound", "P~4.sound", "abc.sound", "archive.txt", "b\xC3\xA4r.sound",
                     "eintrag-5.sound", "eintrag-6.sound", "eintrag-7.sound", "eintrag-8.sound",
                     "eintrag-9.sound", "p.sound", "p~2.sound", "p~3.sound"}));
    const std::string manifest = Text(test::ReadBytes(dir / "n" / kManifestName));
    EXPECT_NE(manifest.find("eintrag 16 \"abc.sound\" name \"abc\\x00junk\"\n"), std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find("eintrag 16 \"eintrag-9.sound\" name \"x\\x01\"\n"), std::string::npos);
    EXPECT_NE(manifest.find("eintrag 16 \"p~3.sound\" name \"p\"\n"), std::string::npos);

    const Bytes picture = test::Concat({Gfp(5), Junk(12)});
    test::WriteBytes(dir / "g.res", test::MakeRes({{14, "bild", picture}, {14, "roh", Gfp(2, false)}}));
    ASSERT_TRUE(jobs::ExtractArchive(dir / "g.res", dir / "x").status.ok());
    jobs::ReportOptions unpack;
    unpack.extractWanted = [] { return true; };
    ASSERT_EQ(jobs::RunArchiveReport(dir.path(), "g.res", unpack).written, 2);
    for (const char* file : {"bild.gfp", "roh.gfp"})
        EXPECT_EQ(test::ReadBytes(dir / "x" / file), test::ReadBytes(dir / "g" / file)) << file;
}

// Entries sharing their data get one file, which the manifest names for each of them.
TEST(Extract, SharedDataWrittenOnce)
{
    test::ResBuilder b;
    b.Directory();
    const std::size_t data = b.Data(Junk(70000));
    for (const char* name : {"a", "b", "c", "d"})
        b.Entry(16, name, data);
    test::TempDir dir;
    test::WriteBytes(dir / "s.res", b.Build());
    ASSERT_TRUE(jobs::ExtractArchive(dir / "s.res", dir / "s").status.ok());
    EXPECT_EQ(test::ListTree(dir / "s"), (Names{"a.sound", "archive.txt"}));
    const std::string manifest = Text(test::ReadBytes(dir / "s" / kManifestName));
    EXPECT_NE(manifest.find("eintrag 16 \"a.sound\" name \"d\"\n"), std::string::npos) << manifest;
}

struct NotRealFolder {
    const char* name;
    const char* given; // nullptr: the default folder "a", a link
    friend std::ostream& operator<<(std::ostream& os, const NotRealFolder& c) { return os << c.name; }
};

class NotRealFolderTest : public testing::TestWithParam<NotRealFolder> {};

// A folder that is a link is refused, as unpack refuses it: nothing is written through it.
TEST_P(NotRealFolderTest, NothingWritten)
{
    test::TempDir dir;
    fs::create_directory(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", dir / "a");
    test::WriteBytes(dir / "a.res", test::MakeRes({{16, "k", Junk(3)}}));
    const auto before = test::Snapshot(dir.path());
    const Path folder = GetParam().given ? dir / GetParam().given : jobs::ExtractFolder(dir / "a.res");
    const auto result = jobs::ExtractArchive(dir / "a.res", folder);
    EXPECT_FALSE(result.status.ok());
    EXPECT_EQ(Describe(result.status.error()), Describe(ExtractError::FolderNotReal));
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, NotRealFolderTest,
                         testing::Values(NotRealFolder{"DefaultFolder", nullptr},
                                         NotRealFolder{"GivenFolder", "a"},
                                         NotRealFolder{"GivenWithSlash", "a/"}),
                         testing::PrintToStringParamName());

// The folder is opened once: swapped for a link while extract asks, the rest still goes
// into the folder that was opened.
TEST(Extract, FolderSwappedForALinkMeanwhile)
{
    test::TempDir dir;
    fs::create_directory(dir / "elsewhere");
    fs::create_directory(dir / "a");
    test::WriteBytes(dir / "a" / "eins.sound", Bytes{9});
    test::WriteBytes(dir / "a.res", test::MakeRes({{16, "eins", Junk(3)}, {16, "zwei", Junk(4)}}));
    const jobs::ReplaceQuestion swap = [&dir](const Path&) {
        fs::rename(dir / "a", dir / "moved");
        fs::create_directory_symlink(dir / "elsewhere", dir / "a");
        return jobs::ReplaceAnswer::Yes;
    };
    const auto result = jobs::ExtractArchive(dir / "a.res", dir / "a", {}, swap);
    ASSERT_TRUE(result.status.ok()) << MessageText(result.status.error());
    EXPECT_EQ(result.replaced, Names{"eins.sound"});
    EXPECT_EQ(test::ListTree(dir / "moved"), (Names{"archive.txt", "eins.sound", "zwei.sound"}));
    EXPECT_EQ(test::ListTree(dir / "elsewhere"), Names{});
}

struct Unfinished {
    const char* name;
    std::function<void(const Path& folder)> prepare; // makes the second extract stop
    jobs::ReplaceAnswer answer;
    friend std::ostream& operator<<(std::ostream& os, const Unfinished& c) { return os << c.name; }
};

class UnfinishedExtractTest : public testing::TestWithParam<Unfinished> {};

// An extract that does not end leaves no manifest, so the folder is never packed as a mix of
// the earlier archive and the new one.
TEST_P(UnfinishedExtractTest, LeavesNoManifest)
{
    test::TempDir dir;
    test::WriteBytes(dir / "old.res", test::MakeRes({{16, "a", Junk(3)}, {16, "b", Junk(4)}}));
    test::WriteBytes(dir / "new.res", test::MakeRes({{16, "a", Junk(5, 3)}, {16, "b", Junk(6, 3)}}));
    ASSERT_TRUE(jobs::ExtractArchive(dir / "old.res", dir / "x").status.ok());
    GetParam().prepare(dir / "x");
    const jobs::ReplaceQuestion ask = [](const Path&) { return GetParam().answer; };
    jobs::ExtractArchive(dir / "new.res", dir / "x", {}, ask);
    EXPECT_FALSE(fs::exists(dir / "x" / kManifestName));
    const auto packed = jobs::PackArchive(dir / "x", dir / "mix.res");
    EXPECT_FALSE(packed.status.ok());
    EXPECT_FALSE(fs::exists(dir / "mix.res"));
}

INSTANTIATE_TEST_SUITE_P(Cases, UnfinishedExtractTest,
                         testing::Values(Unfinished{"Cancelled", [](const Path&) {},
                                                    jobs::ReplaceAnswer::Cancel},
                                         Unfinished{"FileKept", [](const Path&) {}, jobs::ReplaceAnswer::No},
                                         Unfinished{"WriteFails",
                                                    [](const Path& folder) {
                                                        fs::permissions(folder / "b.sound", fs::perms::none);
                                                    },
                                                    jobs::ReplaceAnswer::Yes}),
                         testing::PrintToStringParamName());

// A file another program changes while extract asks about it is left as that program left it.
TEST(Extract, FileChangedWhileAskedIsKept)
{
    test::TempDir dir;
    const Bytes gfp = test::MakeGfp({.width = 3, .height = 2});
    test::WriteBytes(dir / "old.res", test::MakeRes({{14, "a", Gfp(2)}, {16, "b", Junk(4)}}));
    test::WriteBytes(dir / "new.res", test::MakeRes({{14, "a", gfp}, {16, "b", Junk(4)}}));
    ASSERT_TRUE(jobs::ExtractArchive(dir / "old.res", dir / "x", {}, {}, jobs::SidePicture::Png).status.ok());
    for (const char* file : {"a.gfp", "a.png"}) {
        const jobs::ReplaceQuestion ask = [&](const Path& target) {
            if (target.filename() == file)
                test::WriteBytes(target, Bytes{'n', 'e', 'u'});
            return jobs::ReplaceAnswer::Yes;
        };
        const auto result = jobs::ExtractArchive(dir / "new.res", dir / "x", {}, ask, jobs::SidePicture::Png);
        EXPECT_FALSE(result.status.ok()) << file;
        EXPECT_NE(Describe(result.status.error()).find("inzwischen geändert"), std::string::npos)
            << Describe(result.status.error());
        EXPECT_EQ(test::ReadBytes(dir / "x" / file), (Bytes{'n', 'e', 'u'})) << file;
        ASSERT_TRUE(jobs::ExtractArchive(dir / "old.res", dir / "x", {}, {}, jobs::SidePicture::Png,
                                         jobs::EditedFiles::Replace)
                        .status.ok());
    }
}

// ---- the manifest reader ----

struct BadManifest {
    const char* name;
    std::string text;
    ManifestError error;
    int line;
    friend std::ostream& operator<<(std::ostream& os, const BadManifest& c) { return os << c.name; }
};

class BadManifestTest : public testing::TestWithParam<BadManifest> {};

TEST_P(BadManifestTest, RefusedWithLine)
{
    Manifest manifest;
    manifest.status = "unverändert";
    const Status problem = ParseManifest(GetParam().text, manifest);
    ASSERT_FALSE(problem.ok());
    EXPECT_EQ(CodeOf<ManifestError>(problem), GetParam().error) << Describe(problem.error());
    EXPECT_EQ(problem.error().line, GetParam().line);
    EXPECT_EQ(manifest.status, "unverändert");
}

const std::string kHead = "varnox-archiv 1\nverzeichnis\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, BadManifestTest,
    testing::Values(
        BadManifest{"NoFormatLine", "# nur\neintrag 14 \"a.gfp\"\n", ManifestError::NoFormatLine, 2},
        BadManifest{"Latin1Bytes", kHead + "eintrag 14 \"b\xE4r.gfp\"\n", ManifestError::NotUtf8, 3},
        BadManifest{"TypeTooLarge", kHead + "eintrag 2147483648 a\n", ManifestError::BadType, 3},
        BadManifest{"FileInAnotherFolder", kHead + "eintrag 14 \"..\\x2fa\"\n", ManifestError::BadFileName,
                    3},
        BadManifest{"OpenString", kHead + "eintrag 14 \"a.gfp\n", ManifestError::BadString, 3},
        BadManifest{"OddHex", kHead + "eintrag 14 a füllung hex:abc\n", ManifestError::BadFill, 3},
        BadManifest{"NameBeyondLatin1", kHead + "eintrag 14 a name \"€\"\n", ManifestError::BadNameField, 3},
        BadManifest{"NameTooLong", kHead + "eintrag 14 a name " + std::string(257, 'n') + "\n",
                    ManifestError::BadNameField, 3},
        BadManifest{"OptionTwice", kHead + "eintrag 14 a füllung 1 füllung 2\n", ManifestError::BadOption, 3},
        BadManifest{"DirectoryTwice", kHead + "verzeichnis\n", ManifestError::DirectoryTwice, 3},
        BadManifest{"NoDirectory", "varnox-archiv 1\neintrag 14 a\n", ManifestError::NoDirectory, 0},
        BadManifest{"NoItems", kHead + "exakt\n", ManifestError::NoItems, 0},
        BadManifest{"ChecksumOfNoFile", kHead + "eintrag 14 a.gfp\nprüfsumme \"b.gfp\" 0123abcd\n",
                    ManifestError::ChecksumOfNoFile, 4},
        BadManifest{"PictureChecksumOfAnItem", kHead + "eintrag 14 a.gfp\nbild \"a.gfp\" fehlt\n",
                    ManifestError::ChecksumOfNoFile, 4},
        BadManifest{"ChecksumNotHex", kHead + "eintrag 14 a.gfp\nbild \"a.png\" 0123abcd-xyz\n",
                    ManifestError::BadChecksum, 4},
        BadManifest{"LineOverLimit",
                    kHead + "eintrag 14 a füllung hex:" + std::string(kMaxManifestLine, '0') + "\n",
                    ManifestError::LineTooLong, 3}),
    testing::PrintToStringParamName());

TEST(Manifest, WrittenTextReadsBackAndHandWrittenFormsAreRead)
{
    Manifest m;
    m.afterHeader = {3, {1, 0, 2}};
    m.afterDirectory = {5, {}};
    m.directoryAt = 1;
    NameField all{};
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::uint8_t>(i + 1);
    m.items = {{14, "\"a\" b.gfp", all, {}}, {-3, "ä.type-3", NameField{}, {2, {}}}};
    m.items[0].crc = 0xfedcba98;
    m.items[0].png = PictureChecksum{1, 2};
    m.items[0].tga = PictureChecksum{}; // none written
    m.items[1].crc = 0;
    m.status = "nicht exakt: #1: Gründe";
    Manifest back;
    ASSERT_EQ(CodeOf<ManifestError>(ParseManifest(WriteManifest(m), back)), ManifestError::None)
        << WriteManifest(m);
    EXPECT_EQ(back, m);

    const std::string hand =
        "\xEF\xBB\xBF# von Hand\r\nvarnox-archiv 1\r\n  eintrag 16 klick.sound  füllung hex:00ff\r\n"
        "verzeichnis füllung 4\r\n";
    ASSERT_EQ(CodeOf<ManifestError>(ParseManifest(hand, back)), ManifestError::None);
    EXPECT_EQ(back.directoryAt, 1u);
    EXPECT_EQ(back.items[0].file, "klick.sound");
    EXPECT_EQ(back.items[0].fill, (Fill{2, {0, 0xFF}}));
    EXPECT_EQ(NameFieldFromFile("klick.sound", 16), NameFieldFromFile("klick", 99));
}

// ---- pack refusals ----

struct PackRefusal {
    const char* name;
    std::string manifest;
    const char* reason;
    friend std::ostream& operator<<(std::ostream& os, const PackRefusal& c) { return os << c.name; }
};

class PackRefusalTest : public testing::TestWithParam<PackRefusal> {};

// A GFP whose zlib stream ends in a wrong checksum: zlib refuses it.
Bytes BrokenChecksumGfp()
{
    Bytes b = Gfp(2);
    b.back() ^= 0x55;
    return b;
}

// A GFP whose zlib stream holds fewer bytes than its picture.
Bytes ShortStreamGfp()
{
    return test::MakeGfp({.width = 4, .height = 3, .pixels = Bytes(10, 3)});
}

TEST_P(PackRefusalTest, NothingWritten)
{
    test::TempDir dir;
    fs::create_directory(dir / "f");
    test::WriteBytes(dir / "f" / "a.gfp", Gfp(2));
    test::WriteBytes(dir / "f" / "zlib.gfp", BrokenChecksumGfp());
    test::WriteBytes(dir / "f" / "\xE2\x82\xAC.sound", Junk(2));
    test::WriteBytes(dir / "f" / kManifestName,
                     Bytes(GetParam().manifest.begin(), GetParam().manifest.end()));
    test::WriteBytes(dir / "out.res", Bytes{'o', 'l', 'd'});
    const auto before = test::Snapshot(dir.path());
    const auto result = jobs::PackArchive(dir / "f", dir / "out.res");
    EXPECT_FALSE(result.status.ok());
    EXPECT_NE(Describe(result.status.error()).find(GetParam().reason), std::string::npos)
        << Describe(result.status.error());
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

std::string ManyItems()
{
    std::string text = kHead;
    for (int i = 0; i <= kMaxResItems; ++i)
        text += "eintrag 14 a.gfp\n";
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackRefusalTest,
    testing::Values(
        PackRefusal{"MissingFile", kHead + "eintrag 14 a.gfp\neintrag 16 weg.sound\n", "Die Datei fehlt"},
        PackRefusal{"TooManyItems", ManyItems(), "mehr als 32767"},
        PackRefusal{"OffsetsBeyond32Bits",
                    "varnox-archiv 1\nvorspann 2147483600\nverzeichnis\neintrag 14 a.gfp\n",
                    "32-Bit-Offsets"},
        PackRefusal{"DamagedLine", kHead + "eintrag 14 a.gfp\neintrag vierzehn a.gfp\n", "Zeile 4: "},
        PackRefusal{"NameBeyondLatin1", kHead + "eintrag 16 \"€.sound\"\n", "Latin-1"},
        PackRefusal{"PictureZlibCannotRead", kHead + "eintrag 14 a.gfp\neintrag 14 zlib.gfp\n", "zlib"}),
    testing::PrintToStringParamName());

struct ForeignFile {
    const char* name;
    std::function<void(const Path& dir)> prepare; // the folder is dir/f
    const char* archive;
    const char* reason;
    friend std::ostream& operator<<(std::ostream& os, const ForeignFile& c) { return os << c.name; }
};

class PackForeignFileTest : public testing::TestWithParam<ForeignFile> {};

// Pack reads regular files of its folder only, and never writes its archive into it.
TEST_P(PackForeignFileTest, RefusedWithNothingWritten)
{
    test::TempDir dir;
    fs::create_directory(dir / "f");
    test::WriteBytes(dir / "secret", Bytes{'s'});
    test::WriteBytes(dir / "f" / "a.gfp", Gfp(2));
    const std::string manifest = kHead + "eintrag 14 a.gfp\neintrag 16 leak.sound\n";
    test::WriteBytes(dir / "f" / kManifestName, Bytes(manifest.begin(), manifest.end()));
    test::WriteBytes(dir / "f" / "leak.sound", Bytes{1});
    GetParam().prepare(dir.path());
    const auto before = test::ListTree(dir.path());
    const auto result = jobs::PackArchive(dir / "f", dir / GetParam().archive);
    EXPECT_FALSE(result.status.ok());
    EXPECT_NE(Describe(result.status.error()).find(GetParam().reason), std::string::npos)
        << Describe(result.status.error());
    EXPECT_EQ(test::ListTree(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackForeignFileTest,
    testing::Values(ForeignFile{"ItemIsALink",
                                [](const Path& d) {
                                    fs::remove(d / "f" / "leak.sound");
                                    fs::create_symlink(d / "secret", d / "f" / "leak.sound");
                                },
                                "out.res", "symbolischer Link"},
                    ForeignFile{"ItemIsAFifo",
                                [](const Path& d) {
                                    fs::remove(d / "f" / "leak.sound");
                                    ASSERT_EQ(::mkfifo((d / "f" / "leak.sound").c_str(), 0600), 0);
                                },
                                "out.res", "FIFO"},
                    ForeignFile{"ManifestIsALink",
                                [](const Path& d) {
                                    fs::rename(d / "f" / kManifestName, d / "m");
                                    fs::create_symlink(d / "m", d / "f" / kManifestName);
                                },
                                "out.res", "symbolischer Link"},
                    ForeignFile{"SparseFilesPast32Bits",
                                [](const Path& d) {
                                    fs::resize_file(d / "f" / "a.gfp", std::uintmax_t{1} << 40);
                                    fs::resize_file(d / "f" / "leak.sound", std::uintmax_t{1} << 40);
                                },
                                "out.res", "32-Bit-Offsets"},
                    ForeignFile{"ArchiveIsTheManifest", [](const Path&) {}, "f/archive.txt",
                                "im Ordner, der gepackt wird"},
                    ForeignFile{"ArchiveBelowTheFolder",
                                [](const Path& d) { fs::create_directory(d / "f" / "sub"); }, "f/sub/x.res",
                                "im Ordner, der gepackt wird"}),
    testing::PrintToStringParamName());

// ---- replace ----

// Directory first, then: #0 picture "a" with room after it, #1 picture "b", #2 sound "c",
// #3 picture "d" sharing #1's data, #4 a damaged picture, #5 and #6 two pictures "a2".
Bytes ReplaceArchive()
{
    test::ResBuilder b;
    b.Directory();
    b.Item(14, "a", test::Concat({Gfp(6), Junk(50)}));
    const std::size_t shared = b.Data(Gfp(2));
    b.Entry(14, "b", shared).Item(16, "c", Junk(5)).Entry(14, "d", shared).Item(14, "kaputt", Junk(20));
    b.Item(14, "a2", Gfp(1)).Item(14, "a2", Gfp(1));
    return b.Build();
}

Bytes ItemGfp(const Bytes& archive, std::int32_t offset)
{
    const std::span<const std::uint8_t> rest(archive.data() + offset,
                                             archive.size() - static_cast<std::size_t>(offset));
    const Result<std::int64_t> length =
        MeasureGfp(rest.first(std::min<std::size_t>(rest.size(), 132)), std::int64_t(rest.size()));
    EXPECT_TRUE(length.ok());
    return Bytes(rest.begin(), rest.begin() + (length.ok() ? length.value() : 0));
}

// A GFP whose payload runs exactly to the end of item #0's extent.
Bytes GfpOfItem0sExtent()
{
    const std::size_t extent = Gfp(6).size() + 50;
    Bytes gfp = Gfp(2);
    gfp.resize(extent, 0xEE);
    PutLe32(gfp, test::kGfpStoredSizeAt, static_cast<std::int32_t>(extent - 132));
    return gfp;
}

struct Replace {
    const char* name;
    const char* item;
    std::function<Bytes()> file;
    const char* fileName;
    bool inPlace;
    GfpPacking packing = GfpPacking::Zlib;
    friend std::ostream& operator<<(std::ostream& os, const Replace& c) { return os << c.name; }
};

class ReplaceTest : public testing::TestWithParam<Replace> {};

TEST_P(ReplaceTest, EveryOtherByteStays)
{
    const Replace& c = GetParam();
    test::TempDir dir;
    const Bytes original = ReplaceArchive();
    test::WriteBytes(dir / "a.res", original);
    test::WriteBytes(dir / c.fileName, c.file());
    Module1 module;
    ArchiveModel model;
    ASSERT_TRUE(ReadArchive(module, dir / "a.res", model).ok());
    const auto result = jobs::ReplaceItem(dir / "a.res", c.item, dir / c.fileName, c.packing);
    ASSERT_TRUE(result.status.ok()) << MessageText(result.status.error());
    EXPECT_EQ(result.inPlace, c.inPlace);
    const ArchiveItem& item = model.items[static_cast<std::size_t>(result.index)];

    // What the item's data must be: the GFP as given, or the item's GFP with the TGA's picture.
    Bytes data;
    if (fs::path(c.fileName).extension() == ".gfp") {
        data = ItemGfp(test::ReadBytes(dir / c.fileName), 0);
    } else {
        test::WriteBytes(dir / "item.gfp", ItemGfp(original, item.entry.itemDataOffset));
        const auto format =
            fs::path(c.fileName).extension() == ".png" ? jobs::PictureFormat::Png : jobs::PictureFormat::Tga;
        ASSERT_TRUE(
            jobs::ConvertPictureToGfp(dir / c.fileName, format, dir / "item.gfp", c.packing).status.ok());
        data = test::ReadBytes(dir / "item.gfp");
    }
    Bytes expected = original;
    if (c.inPlace) {
        const auto at = static_cast<std::size_t>(item.entry.itemDataOffset);
        std::fill_n(expected.begin() + static_cast<std::ptrdiff_t>(at), item.extent, 0);
        std::copy(data.begin(), data.end(), expected.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
        PutLe32(expected,
                static_cast<std::size_t>(model.tables.offset) + 8 * static_cast<std::size_t>(result.index) +
                    4,
                static_cast<std::int32_t>(original.size()));
        expected.insert(expected.end(), data.begin(), data.end());
    }
    EXPECT_EQ(test::ReadBytes(dir / "a.res"), expected);
    EXPECT_EQ(test::ReadBytes(dir / "a.res.bak"), original);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTest,
    testing::Values(Replace{"SmallerGfpInPlace", "a", [] { return Gfp(2); }, "neu.gfp", true},
                    Replace{"GfpFillingTheExtentExactly", "#0", GfpOfItem0sExtent, "neu.gfp", true},
                    Replace{"LargerGfpAtTheEnd", "a", [] { return Gfp(40, false); }, "neu.gfp", false},
                    Replace{"SharedDataAtTheEnd", "d", [] { return Gfp(1); }, "neu.gfp", false},
                    Replace{"TgaIntoTheItemsGfp", "a",
                            [] {
                                return test::MakeTga(
                                    {.width = 3, .height = 2, .picture = test::PatternPicture(3, 2)});
                            },
                            "neu.tga", true},
                    Replace{"PngIntoTheItemsGfp", "a",
                            [] {
                                return test::MakePng(
                                    {3,
                                     2,
                                     test::kRgb,
                                     8,
                                     false,
                                     {9, 200, 31, 0, 0, 255, 7, 7, 7, 255, 255, 255, 1, 2, 3, 64, 128, 192}});
                            },
                            "neu.png", true},

                    Replace{"UncompressedTgaAtTheEnd", "a",
                            [] {
                                return test::MakeTga(
                                    {.width = 16, .height = 16, .picture = test::PatternPicture(16, 16)});
                            },
                            "neu.tga", false, GfpPacking::Uncompressed}),
    testing::PrintToStringParamName());

struct ReplaceRefusal {
    const char* name;
    const char* item;
    std::function<Bytes()> file;
    const char* reason;
    std::function<void(const Path&)> prepare = {};
    friend std::ostream& operator<<(std::ostream& os, const ReplaceRefusal& c) { return os << c.name; }
};

class ReplaceRefusalTest : public testing::TestWithParam<ReplaceRefusal> {};

TEST_P(ReplaceRefusalTest, NothingTouched)
{
    const ReplaceRefusal& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", ReplaceArchive());
    test::WriteBytes(dir / "neu", c.file());
    if (c.prepare)
        c.prepare(dir.path());
    const auto before = test::Snapshot(dir.path());
    const auto result = jobs::ReplaceItem(dir / "a.res", c.item, dir / "neu", GfpPacking::Zlib);
    EXPECT_FALSE(result.status.ok());
    EXPECT_NE(Describe(result.status.error()).find(c.reason), std::string::npos)
        << Describe(result.status.error());
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

Bytes WithoutSecondTag()
{
    Bytes b = Gfp(2);
    b[56] = 'X';
    return b;
}

const auto kReadOnly = [](const Path& dir) { fs::permissions(dir / "a.res", fs::perms::owner_read); };
const auto kReadOnlyBackup = [](const Path& dir) {
    test::WriteBytes(dir / "a.res.bak", Bytes{1});
    fs::permissions(dir / "a.res.bak", fs::perms::owner_read);
};

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceRefusalTest,
    testing::Values(
        ReplaceRefusal{"UnknownName", "z", [] { return Gfp(2); }, "Kein Eintrag heißt \"z\""},
        ReplaceRefusal{"TwoOfTheName", "a2", [] { return Gfp(2); }, "(#5, #6)"},
        ReplaceRefusal{"IndexBeyond", "#7", [] { return Gfp(2); }, "#0 bis #6"},
        ReplaceRefusal{"NotAPicture", "c", [] { return Gfp(2); }, "Sound(16)"},
        ReplaceRefusal{"GfpWithoutSecondTag", "a", WithoutSecondTag, "Vor dem Pixelkopf"},
        ReplaceRefusal{"GfpCutShort", "a",
                       [] {
                           Bytes b = Gfp(2);
                           b.pop_back();
                           return b;
                       },
                       "Dateiende"},
        ReplaceRefusal{"GfpZlibChecksumWrong", "a", BrokenChecksumGfp, "zlib-Daten sind beschädigt"},
        ReplaceRefusal{"GfpStreamShortOfPixels", "a", ShortStreamGfp, "kürzer als das Bild"},
        ReplaceRefusal{"NeitherGfpNorTga", "a", [] { return Bytes(10, 'x'); }, "TGA-Kopf"},
        ReplaceRefusal{"TgaIntoDamagedItem", "kaputt",
                       [] { return test::MakeTga({.picture = test::PatternPicture(2, 2)}); }, "beschädigt"},
        ReplaceRefusal{"ReadOnlyArchive", "a", [] { return Gfp(2); }, "Keine Berechtigung", kReadOnly},
        ReplaceRefusal{"ReadOnlyBackup", "a", [] { return Gfp(2); }, "Sicherungskopie", kReadOnlyBackup}),
    testing::PrintToStringParamName());

// ---- writers of one file ----

// Each writer that rewrites a whole file, with what it writes from beside its target.
struct Writer {
    const char* name;
    std::function<Bytes()> target;
    std::function<void(const Path&)> inputs;
    std::function<Status(const Path& dir, const Path& target)> run;
    friend std::ostream& operator<<(std::ostream& os, const Writer& c) { return os << c.name; }
};

class WriterTest : public testing::TestWithParam<Writer> {
  protected:
    void SetUp() override
    {
        fs::create_directory(dir_ / "real");
        test::WriteBytes(dir_ / "real" / "t", GetParam().target());
        GetParam().inputs(dir_.path());
    }
    Status Run(const Path& target) { return GetParam().run(dir_.path(), target); }
    test::TempDir dir_;
};

// A link to the file: the file it leads to is rewritten, its backup beside it; the link stays.
TEST_P(WriterTest, WritesThroughALink)
{
    fs::create_symlink("real/t", dir_ / "t");
    const Bytes before = test::ReadBytes(dir_ / "real" / "t");
    const Status status = Run(dir_ / "t");
    ASSERT_TRUE(status.ok()) << MessageText(status.error());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / "t")));
    EXPECT_NE(test::ReadBytes(dir_ / "real" / "t"), before);
    EXPECT_EQ(test::ReadBytes(dir_ / "real" / "t.bak"), before);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir_ / "t.bak")));
}

// A result equal to the file writes nothing and makes no backup.
TEST_P(WriterTest, EqualResultWritesNothing)
{
    const Path target = dir_ / "real" / "t";
    ASSERT_TRUE(Run(target).ok());
    fs::remove(dir_ / "real" / "t.bak");
    const auto inode = test::InodeOf(target);
    ASSERT_TRUE(Run(target).ok());
    EXPECT_EQ(test::InodeOf(target), inode);
    EXPECT_FALSE(fs::exists(dir_ / "real" / "t.bak"));
}

// While another writer holds the file, a writer waits; it refuses past the wait, touching
// nothing, and otherwise rewrites what the other one left, which becomes the backup.
TEST_P(WriterTest, WaitsForAnotherWriter)
{
    const Path target = dir_ / "real" / "t";
    int held = ::open(target.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const auto before = test::Snapshot(dir_.path());
    const std::string reason = test::ReasonOf(Run(target));
    EXPECT_NE(reason.find("gerade von einem anderen Vorgang geschrieben"), std::string::npos) << reason;
    EXPECT_EQ(test::Snapshot(dir_.path()), before);

    Bytes other = test::ReadBytes(target);
    other.push_back('!');
    std::thread first([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        test::WriteBytes(dir_ / "real" / "new", other);
        fs::rename(dir_ / "real" / "new", target);
        ::close(held);
    });
    const Status waited = Run(target);
    first.join();
    EXPECT_TRUE(waited.ok()) << MessageText(waited.error());
    EXPECT_EQ(test::ReadBytes(dir_ / "real" / "t.bak"), other);
}

Status Replaced(const Path& dir, const Path& target)
{
    return jobs::ReplaceItem(target, "a", dir / "neu.gfp", GfpPacking::Zlib).status;
}

Status Packed(const Path& dir, const Path& target)
{
    return jobs::PackArchive(dir / "f", target).status;
}

Status Converted(const Path& dir, const Path& target)
{
    return jobs::ConvertPictureToGfp(dir / "neu.tga", jobs::PictureFormat::Tga, target, GfpPacking::Zlib)
        .status;
}

INSTANTIATE_TEST_SUITE_P(
    Writers, WriterTest,
    testing::Values(Writer{"Replace", ReplaceArchive,
                           [](const Path& dir) { test::WriteBytes(dir / "neu.gfp", Gfp(3)); }, Replaced},
                    Writer{"Pack",
                           [] {
                               return Bytes{'o', 'l', 'd'};
                           },
                           [](const Path& dir) {
                               fs::create_directory(dir / "f");
                               test::WriteBytes(dir / "f" / "a.gfp", Gfp(2));
                               const std::string manifest = kHead + "eintrag 14 a.gfp\n";
                               test::WriteBytes(dir / "f" / kManifestName,
                                                Bytes(manifest.begin(), manifest.end()));
                           },
                           Packed},
                    Writer{"TgaToGfp", [] { return Gfp(2); },
                           [](const Path& dir) {
                               test::WriteBytes(dir / "neu.tga",
                                                test::MakeTga({.picture = test::PatternPicture(2, 2)}));
                           },
                           Converted}),
    testing::PrintToStringParamName());

// ---- the command line ----

TEST(ArchiveCli, ExtractPackReplace)
{
    test::TempDir dir;
    const Bytes original = test::MakeRes({{14, "bild", Gfp(3)}, {16, "klang", Junk(4)}});
    test::WriteBytes(dir / "a.res", original);
    test::WriteBytes(dir / "neu.gfp", Gfp(1));
    auto run = test::RunCli({"extract", "a.res"}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "2 Einträge nach a geschrieben\nexakt\n");
    test::WriteBytes(dir / "a" / "klang.sound", Bytes{1});
    run = test::RunCli({"extract", "a.res"}, dir.path());
    EXPECT_EQ(run.out, "ersetzt: klang.sound (1 Datei)\n2 Einträge nach a geschrieben\nexakt\n");
    run = test::RunCli({"pack", "a", "b.res"}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::ReadBytes(dir / "b.res"), original);
    run = test::RunCli({"replace", "b.res", "#0", "neu.gfp"}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "#0 ersetzt, an seinem Platz (Itemdataoffset:540)\n");
    run = test::RunCli({"replace", "b.res", "klang", "neu.gfp"}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "varnox-cli: b.res: #1 ist kein Bild, sondern Sound(16)\n");
    for (const Names& args :
         {Names{"extract"}, Names{"pack", "a"}, Names{"replace", "--best", "b.res", "#0", "x"},
          Names{"replace", "--fast", "--uncompressed", "b.res", "#0", "x"}})
        EXPECT_EQ(test::RunCli(args, dir.path()).exitCode, 2) << args[0];
}

} // namespace

namespace {

// Cancelled from their start, an extract leaves no manifest and a pack the archive as it was.
TEST(Cancel, ExtractAndPackLeaveWhatTheyPromise)
{
    test::TempDir dir;
    const Bytes archive = test::MakeRes({{14, "eins", test::PlainGfp(2, 2)}, {16, "klang", {1, 2, 3}}});
    test::WriteBytes(dir / "g.res", archive);
    ASSERT_TRUE(jobs::ExtractArchive(dir / "g.res", dir / "out").status.ok());
    jobs::JobProgress cancelled;
    cancelled.Cancel();
    const jobs::ExtractResult extract =
        jobs::ExtractArchive(dir / "g.res", dir / "again", {}, {}, {}, jobs::EditedFiles::Refuse, &cancelled);
    EXPECT_TRUE(extract.status.ok());
    EXPECT_EQ(extract.written, 0);
    EXPECT_FALSE(fs::exists(dir / "again" / "archive.txt"));
    test::WriteBytes(dir / "new.res", Bytes{'o', 'l', 'd'});
    const jobs::PackResult pack =
        jobs::PackArchive(dir / "out", dir / "new.res", GfpPacking::Zlib, &cancelled);
    EXPECT_FALSE(pack.status.ok());
    EXPECT_TRUE(pack.cancelled);
    EXPECT_EQ(test::ReadBytes(dir / "new.res"), (Bytes{'o', 'l', 'd'}));
    EXPECT_FALSE(fs::exists(dir / "new.res.bak"));
}

} // namespace

// The checksums of the manifest are zlib's CRC-32, at every length and when summed in pieces.
TEST(Crc32, IsZlibs)
{
    Bytes bytes(1 << 20);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    for (const std::size_t length : {0, 1, 15, 64, 1000, 1 << 20}) {
        const std::span<const std::uint8_t> part(bytes.data(), length);
        const auto zlib = static_cast<std::uint32_t>(::crc32_z(0, part.data(), part.size()));
        EXPECT_EQ(jobs::Crc32(0, part), zlib) << length;
        EXPECT_EQ(jobs::Crc32(jobs::Crc32(0, part.first(length / 3)), part.subspan(length / 3)), zlib)
            << length;
    }
}
