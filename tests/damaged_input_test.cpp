// Damaged files as a user meets them, fed to the jobs and to varnox-cli: each is refused with
// its reason and exit code 1, and every file of the folder stays as it was.

#include "formats/describe.h"
#include "jobs/convert.h"
#include "jobs/report.h"
#include "tests/support/builders.h"
#include "tests/support/cli_runner.h"
#include "tests/support/tga_builder.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <set>
#include <unistd.h>

using namespace varnox;
using test::CliRun;
using test::RunCli;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

const std::string kInvalid = jobs::kInvalidRes;

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Exit code 1 and a single "varnox-cli: ...file: reason" line: no crash, no sanitizer report.
void ExpectRefusal(const CliRun& run, const std::string& message)
{
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.err.rfind("varnox-cli: ", 0), 0u) << run.err;
    EXPECT_TRUE(Has(run.err, message)) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

// --- RES archives ---

const Bytes kPic0 = test::MakeGfp();
const Bytes kPic1 = [] {
    test::GfpSpec spec;
    spec.width = 3, spec.filler = 7;
    return test::MakeGfp(spec);
}();
const std::vector<test::ResItemSpec> kItems = {{14, "p0", kPic0}, {14, "p1", kPic1}};

// The report's reason for an archive cut to length bytes ("" for a file too short for the
// magic); nothing when the directory and the names are whole.
std::optional<std::string> CutReason(std::size_t length, const test::ResOffsets& at)
{
    const auto n = static_cast<std::int64_t>(length);
    if (n < 4)
        return "";
    if (n < 12)
        return "Der Dateikopf ist kürzer als 12 Bytes";
    if (n < at.infoOffset)
        return "Das Verzeichnis reicht über das Dateiende hinaus";
    if (n < at.infoOffset + 2 * 256)
        return "Die Namenstabelle reicht über das Dateiende hinaus";
    return std::nullopt;
}

// The folder after unpacking in/a.res cut to length bytes: only whole items are written.
Names TreeAfterUnpack(std::size_t length, const test::ResOffsets& at)
{
    Names tree = {"in", "in/a.res"};
    const Bytes* pictures[] = {&kPic0, &kPic1};
    for (std::size_t i = 0; i < 2 && !CutReason(length, at); ++i)
        if (length >= static_cast<std::size_t>(at.itemOffsets[i]) + pictures[i]->size())
            tree.push_back("in/a/p" + std::to_string(i) + ".gfp");
    if (tree.size() > 2)
        tree.push_back("in/a");
    std::sort(tree.begin(), tree.end());
    return tree;
}

class TruncatedArchive : public testing::TestWithParam<bool> {};

// The jobs at every length; varnox-cli on both sides of each boundary between the parts.
TEST_P(TruncatedArchive, EveryLengthIsRefusedOrReportedAndUnpacksOnlyWholeItems)
{
    const test::ResLayout layout{GetParam()};
    const Bytes whole = test::MakeRes(kItems, layout);
    const test::ResOffsets at = test::LayoutRes(kItems, layout);
    const auto names = std::size_t(at.infoOffset), item0 = std::size_t(at.itemOffsets[0]),
               item1 = std::size_t(at.itemOffsets[1]);
    std::set<std::size_t> cliLengths = {0};
    for (const std::size_t boundary : {std::size_t(4), std::size_t(12), names, names + 512, item0 + 4,
                                       item0 + 60, item0 + 140, item1, item1 + 132, whole.size()})
        cliLengths.insert({boundary - 1, boundary});
    jobs::ReportOptions unpack;
    unpack.extractWanted = [] { return true; };
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        test::TempDir dir;
        fs::create_directory(dir / "in");
        test::WriteBytes(dir / "in" / "a.res", Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(length)));
        const auto reason = CutReason(length, at);
        const Names tree = TreeAfterUnpack(length, at);
        const std::string refused = std::to_string(tree.size() == 2 ? 2 : 5 - tree.size());

        const auto result = jobs::RunArchiveReport(dir / "in", "a.res", unpack);
        EXPECT_EQ(result.valid, !reason);
        if (reason) {
            EXPECT_EQ(result.lines, reason->empty() ? Names{kInvalid} : (Names{kInvalid, *reason}));
        } else {
            EXPECT_EQ(std::to_string(result.failures.size()), refused);
        }
        EXPECT_EQ(test::ListTree(dir.path()), tree);
        if (fs::exists(dir / "in" / "a" / "p0.gfp")) {
            EXPECT_EQ(test::ReadBytes(dir / "in" / "a" / "p0.gfp"), kPic0);
        }
        if (cliLengths.count(length) == 0)
            continue;
        for (const std::string command : {"report", "unpack"}) {
            const CliRun run = RunCli({command, "a.res"}, dir / "in");
            if (reason) {
                EXPECT_EQ(run.out, ""); // a file that is no archive is told on stderr alone
                ExpectRefusal(run, "a.res: " + (reason->empty() ? kInvalid : *reason));
            } else if (command == "report") {
                EXPECT_EQ(run.exitCode, 0) << run.err;
                EXPECT_TRUE(Has(run.out, "Gültige RES-File\nAnzahl:2\n")) << run.out;
            } else { // the last item is always cut
                ExpectRefusal(run, "a.res: " + refused + " Bilder nicht entpackt");
                EXPECT_TRUE(Has(run.out, "Nicht entpackt: " + refused + "\n\t")) << run.out;
            }
        }
        EXPECT_EQ(test::ListTree(dir.path()), tree);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, TruncatedArchive, testing::Values(true, false),
                         [](const auto& row) { return row.param ? "DirectoryFirst" : "DataFirst"; });

struct DamagedArchive {
    const char* name;
    std::size_t at; // of the field set to value; 0: none
    std::int32_t value;
    const char* secondName; // of item p1; one starting with "/" is taken below the test folder
    std::string reason;     // of the refused archive, or of the refused item p1
    bool itemRefused;       // the report is given and only p1 is not unpacked
    friend std::ostream& operator<<(std::ostream& os, const DamagedArchive& c) { return os << c.name; }
};

class DamagedArchiveTest : public testing::TestWithParam<DamagedArchive> {};

TEST_P(DamagedArchiveTest, ReportAndUnpackSayWhyAndWriteOnlyTheGoodItem)
{
    const DamagedArchive& c = GetParam();
    test::TempDir dir;
    const std::string second = (c.secondName[0] == '/' ? dir.path().string() : "") + c.secondName;
    Bytes archive = test::MakeRes({kItems[0], {14, second, kPic1}});
    if (c.at != 0)
        PutLe32(archive, c.at, c.value);
    fs::create_directory(dir / "in");
    test::WriteBytes(dir / "in" / "a.res", archive);
    const CliRun report = RunCli({"report", "a.res"}, dir / "in");
    EXPECT_EQ(test::ListTree(dir.path()), (Names{"in", "in/a.res"}));
    const CliRun unpack = RunCli({"unpack", "a.res"}, dir / "in");
    if (c.itemRefused) {
        EXPECT_EQ(report.exitCode, 0) << report.err;
        ExpectRefusal(unpack, "a.res: 1 Bilder nicht entpackt");
        EXPECT_TRUE(Has(unpack.out, "Nicht entpackt: 1\n\t" + second + ": " + c.reason + "\n")) << unpack.out;
        EXPECT_EQ(test::ListTree(dir.path()), (Names{"in", "in/a", "in/a.res", "in/a/p0.gfp"}));
    } else {
        for (const CliRun* run : {&report, &unpack}) {
            EXPECT_EQ(run->out, "");
            ExpectRefusal(*run, "a.res: " + c.reason);
        }
        EXPECT_EQ(test::ListTree(dir.path()), (Names{"in", "in/a.res"}));
    }
}

constexpr std::size_t kCountAt = 4, kDataOffsetAt = 8, kItem1OffsetAt = 12 + 8 + 4;
const auto kArchiveSize = static_cast<std::int32_t>(test::MakeRes(kItems).size());
const std::string kBadCount = "Die Anzahl der Einträge liegt nicht zwischen 1 und 32767";
const std::string kDirectoryPastEnd = "Das Verzeichnis reicht über das Dateiende hinaus";
const std::string kBadOffset = "Itemdataoffset liegt außerhalb der Datei";
const std::string kUnsafe = "Der Name enthält \"/\" oder \"\\\" oder ist \".\" oder \"..\"";

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedArchiveTest,
    testing::Values(
        DamagedArchive{"CountNegative", kCountAt, -1, "p1", kBadCount, false},
        DamagedArchive{"CountDirectoryPastEnd", kCountAt, 1000, "p1", kDirectoryPastEnd, false},
        DamagedArchive{"CountNamesPastEnd", kCountAt, 10, "p1",
                       "Die Namenstabelle reicht über das Dateiende hinaus", false},
        DamagedArchive{"DataOffsetNegative", kDataOffsetAt, -12, "p1", "Dataoffset ist negativ", false},
        DamagedArchive{"DataOffsetPastEnd", kDataOffsetAt, 100000, "p1", kDirectoryPastEnd, false},
        DamagedArchive{"DataOffsetOverflows", kDataOffsetAt, INT_MAX - 8, "p1",
                       "Infooffset liegt außerhalb des 32-Bit-Bereichs", false},
        DamagedArchive{"ItemOffsetNegative", kItem1OffsetAt, INT_MIN, "p1", kBadOffset, true},
        DamagedArchive{"ItemOffsetAtEnd", kItem1OffsetAt, kArchiveSize, "p1", kBadOffset, true},
        DamagedArchive{"ItemOffsetPastEnd", kItem1OffsetAt, INT_MAX, "p1", kBadOffset, true},
        DamagedArchive{"ItemOffsetIntoNames", kItem1OffsetAt, 28, "p1",
                       "Die Daten beginnen nicht mit \"NALP\"", true},
        DamagedArchive{"NameWithSlash", 0, 0, "sub/p1", kUnsafe, true},
        DamagedArchive{"NameWithBackslash", 0, 0, "..\\p1", kUnsafe, true},
        DamagedArchive{"NameDotDot", 0, 0, "..", kUnsafe, true},
        DamagedArchive{"NameParentOfParent", 0, 0, "../../p1", kUnsafe, true},
        DamagedArchive{"NameAbsolute", 0, 0, "/outside", kUnsafe, true}),
    test::CaseName());

// --- GFP pictures, through gfp2tga ---

struct DamagedGfp {
    const char* name;
    void (*damage)(Bytes&);
    const char* reason; // nullptr: converted all the same
    bool raw = false;   // the uncompressed form
    friend std::ostream& operator<<(std::ostream& os, const DamagedGfp& c) { return os << c.name; }
};

class DamagedGfpTest : public testing::TestWithParam<DamagedGfp> {};

TEST_P(DamagedGfpTest, NoTgaAndNothingChanged)
{
    const DamagedGfp& c = GetParam();
    test::GfpSpec spec;
    spec.width = 16, spec.height = 8, spec.compressed = !c.raw;
    Bytes gfp = test::MakeGfp(spec);
    c.damage(gfp);
    test::TempDir dir;
    test::WriteBytes(dir / "p.gfp", gfp);
    test::WriteBytes(dir / "q.tga", Bytes{'o', 'l', 'd'});
    auto before = test::Snapshot(dir.path());

    const auto job = jobs::ConvertGfpFiles(test::PathsOf(dir.path(), {"p.gfp"}, 0, 0));
    const CliRun run = RunCli({"gfp2tga", "p.gfp"}, dir.path());
    if (c.reason == nullptr) {
        EXPECT_TRUE(job.refused.empty());
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        before["p.tga"] = test::ReadBytes(dir / "p.tga");
        EXPECT_EQ(before["p.tga"].size(), 18u + 16 * 8 * 3);
    } else {
        ASSERT_EQ(job.refused.size(), 1u);
        EXPECT_TRUE(Has(Describe(job.refused[0]), c.reason)) << Describe(job.refused[0]);
        ExpectRefusal(run, "p.gfp: " + std::string(c.reason));
    }
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

constexpr const char* kGfpPastEnd = "Die Bilddaten reichen über das Dateiende hinaus";
constexpr const char* kGfpZlib = "Die zlib-Daten sind beschädigt";
constexpr const char* kGfpSize = "Die Bildgröße ist negativ oder zu groß";

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedGfpTest,
    testing::Values(
        DamagedGfp{"Empty", [](Bytes& b) { b.clear(); }, "Die Datei beginnt nicht mit \"NALP\""},
        DamagedGfp{"CutInFirstTag", [](Bytes& b) { b.resize(2); }, "Die Datei beginnt nicht mit \"NALP\""},
        DamagedGfp{"CutInPictureHeader", [](Bytes& b) { b.resize(30); }, "Die Datei endet im Bildkopf"},
        DamagedGfp{"CutInSecondTag", [](Bytes& b) { b.resize(58); }, "Vor dem Pixelkopf steht kein \"NALP\""},
        DamagedGfp{"CutInPixelHeader", [](Bytes& b) { b.resize(100); }, "Die Datei endet im Pixelkopf"},
        DamagedGfp{"CutInSizeFields", [](Bytes& b) { b.resize(135); }, kGfpPastEnd},
        DamagedGfp{"CutInStream", [](Bytes& b) { b.resize(b.size() - 1); }, kGfpPastEnd},
        DamagedGfp{"StoredSizeHuge", [](Bytes& b) { PutLe32(b, test::kGfpStoredSizeAt, INT_MAX); },
                   kGfpPastEnd},
        DamagedGfp{"StoredSizeNegative", [](Bytes& b) { PutLe32(b, test::kGfpStoredSizeAt, INT_MIN); },
                   "storedSize ist kleiner als 8"},
        DamagedGfp{"StoredSizeCutsStream",
                   [](Bytes& b) { PutLe32(b, test::kGfpStoredSizeAt, Le32(&b[test::kGfpStoredSizeAt]) - 4); },
                   kGfpZlib},
        DamagedGfp{"StreamByteFlipped", [](Bytes& b) { b[140 + (b.size() - 140) / 2] ^= 0x5A; }, kGfpZlib},
        DamagedGfp{"ChecksumFlipped", [](Bytes& b) { b.back() ^= 1; }, kGfpZlib},
        DamagedGfp{"RawSizeNegative", [](Bytes& b) { PutLe32(b, test::kGfpWidthAt, -16); }, kGfpSize},
        DamagedGfp{"RawSizeOverflows", [](Bytes& b) { PutLe32(b, test::kGfpHeightAt, 1 << 28); }, kGfpSize},
        DamagedGfp{
            "RawSizeAboveLimit",
            [](Bytes& b) { PutLe32(b, test::kGfpWidthAt, 32767), PutLe32(b, test::kGfpHeightAt, 32767); },
            kGfpSize},
        DamagedGfp{"RawPixelsCut", [](Bytes& b) { b.resize(b.size() - 1); }, kGfpPastEnd, true},
        DamagedGfp{"RawHeightHuge", [](Bytes& b) { PutLe32(b, test::kGfpHeightAt, 30000); }, kGfpPastEnd,
                   true},
        DamagedGfp{"RawSizeFieldLies", [](Bytes& b) { PutLe32(b, test::kGfpRawSizeAt, -1); }, nullptr},
        DamagedGfp{"BytesAfterStream", [](Bytes& b) { b.insert(b.end(), 9, 0xEE); }, nullptr}),
    test::CaseName());

// --- TGA pictures, through tga2gfp ---

constexpr std::size_t kAll = SIZE_MAX;

struct DamagedTga {
    const char* name;
    const char* reason;
    std::size_t keep = kAll; // bytes kept of the file
    std::uint8_t type = 2;
    std::uint8_t depth = 24;                // 8: six bytes of 1, and a one-entry palette for types 1 and 9
    std::int16_t width = 3, height = 2;     // of the header; the pixels stay those of 3 x 2
    std::vector<test::RlePacket> packets{}; // for type 10
    friend std::ostream& operator<<(std::ostream& os, const DamagedTga& c) { return os << c.name; }
};

Bytes Tga(const DamagedTga& c)
{
    test::TgaSpec spec;
    spec.width = 3, spec.height = 2, spec.picture = test::PatternPicture(3, 2);
    spec.imageType = c.type, spec.pixelDepth = c.depth, spec.packets = c.packets;
    if (c.depth == 8)
        spec.pixelData = Bytes(6, 1);
    if (c.type == 1 || c.type == 9)
        spec.colorMapType = 1, spec.colorMapLength = 1, spec.colorMapEntrySize = 24;
    Bytes b = test::MakeTga(spec);
    PutLe16(&b[12], static_cast<std::uint16_t>(c.width));
    PutLe16(&b[14], static_cast<std::uint16_t>(c.height));
    b.resize(std::min(c.keep, b.size()));
    return b;
}

class DamagedTgaTest : public testing::TestWithParam<DamagedTga> {};

TEST_P(DamagedTgaTest, TargetKeptAndNoBackupMade)
{
    const DamagedTga& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "s.tga", Tga(c));
    test::WriteBytes(dir / "t.gfp", test::MakeGfp());
    const auto before = test::Snapshot(dir.path());
    for (const bool uncompressed : {false, true}) {
        SCOPED_TRACE(uncompressed ? "uncompressed" : "compressed");
        const auto job =
            jobs::ConvertPictureToGfp(dir / "s.tga", jobs::PictureFormat::Tga, dir / "t.gfp",
                                      (uncompressed ? GfpPacking::Uncompressed : GfpPacking::Zlib));
        EXPECT_FALSE(job.status.ok());
        EXPECT_TRUE(Has(MessageText(job.status.error()), "s.tga: " + std::string(c.reason)))
            << MessageText(job.status.error());
        Names args = {"tga2gfp", "s.tga", "t.gfp"};
        if (uncompressed)
            args.insert(args.begin() + 1, "--uncompressed");
        ExpectRefusal(RunCli(args, dir.path()), "s.tga: " + std::string(c.reason));
        EXPECT_EQ(test::Snapshot(dir.path()), before);
    }
}

constexpr const char* kTgaShort = "Die Datei ist kürzer als ein TGA-Kopf (18 Bytes)";
constexpr const char* kTgaPixels = "Die Pixeldaten sind kürzer als das Bild";
constexpr const char* kTgaRle = "Die lauflängenkodierten Daten reichen über das Bild hinaus";
constexpr const char* kTgaIndex = "Ein Farbindex liegt außerhalb der Farbpalette";
constexpr const char* kTgaGrey =
    "Graustufenbilder werden nur mit 8 Bit oder 16 Bit (Grau und Alpha) unterstützt";

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedTgaTest,
    testing::Values(
        DamagedTga{.name = "Empty", .reason = kTgaShort, .keep = 0},
        DamagedTga{.name = "CutInHeader", .reason = kTgaShort, .keep = 10},
        DamagedTga{.name = "HeaderOnly", .reason = kTgaPixels, .keep = 18},
        DamagedTga{.name = "CutInPixels", .reason = kTgaPixels, .keep = 18 + 17},
        DamagedTga{.name = "WidthLies", .reason = kTgaPixels, .width = 300},
        DamagedTga{.name = "HeightLies", .reason = kTgaPixels, .height = 200},
        DamagedTga{.name = "NegativeHeight", .reason = "Breite oder Höhe ist negativ", .height = -2},
        DamagedTga{.name = "LargestSizes", .reason = "Das Bild ist zu groß", .width = 32767, .height = 32767},
        DamagedTga{.name = "RleCut", .reason = kTgaPixels, .keep = 18 + 9, .type = 10},
        DamagedTga{.name = "RleSizesLie", .reason = kTgaPixels, .type = 10, .width = 1000, .height = 1000},
        DamagedTga{.name = "RleRunOverrunsPicture", .reason = kTgaRle, .type = 10, .packets = {{true, 7}}},
        DamagedTga{.name = "RleRawOverrunsPicture",
                   .reason = kTgaRle,
                   .type = 10,
                   .packets = {{false, 4}, {false, 4}}},
        DamagedTga{.name = "IndexOutsideMap", .reason = kTgaIndex, .type = 1, .depth = 8},
        DamagedTga{.name = "IndexOutsideMapRle", .reason = kTgaIndex, .type = 9, .depth = 8},
        DamagedTga{.name = "Grey24", .reason = kTgaGrey, .type = 3, .depth = 24},
        DamagedTga{.name = "GreyRle32", .reason = kTgaGrey, .type = 11, .depth = 32},
        DamagedTga{
            .name = "TrueColourAtEightBits", .reason = "Die Farbtiefe wird nicht unterstützt", .depth = 8}),
    test::CaseName());

// --- Files and folders without permission ---

struct Locked {
    const char* name;
    const char* locked; // in the folder; "." the folder itself
    fs::perms mode;
    bool accessControl; // refused only for a user bound by permissions: run as one
    Names args;
    std::string message;    // on stderr
    bool oldBackup = false; // t.gfp.bak exists beforehand
    friend std::ostream& operator<<(std::ostream& os, const Locked& c) { return os << c.name; }
};

class LockedTest : public testing::TestWithParam<Locked> {};

TEST_P(LockedTest, RefusedAndNothingChanged)
{
    const Locked& c = GetParam();
    test::TempDir dir;
    const Path w = dir / "w";
    fs::create_directory(w);
    test::WriteBytes(w / "a.res", test::MakeRes({{14, "p", test::MakeGfp()}}));
    test::WriteBytes(w / "p.gfp", test::MakeGfp());
    test::WriteBytes(w / "p.tga", Bytes{'o', 'l', 'd'});
    test::WriteBytes(w / "s.tga", Tga({}));
    test::WriteBytes(w / "t.gfp", test::MakeGfp());
    if (c.oldBackup)
        test::WriteBytes(w / "t.gfp.bak", Bytes{'b', 'a', 'k'});
    // Root reads and writes regardless of permissions: those cases run as another user.
    if (c.accessControl)
        test::OpenToAll(dir.path());
    const auto before = test::Snapshot(dir.path());
    fs::permissions(w / c.locked, c.mode);
    const CliRun run =
        test::RunCli(c.args, w, c.accessControl ? test::RunAs::Unprivileged : test::RunAs::Self);
    fs::permissions(w / c.locked, fs::perms::owner_all, fs::perm_options::add);
    ExpectRefusal(run, c.message);
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

constexpr fs::perms kNone = fs::perms::none;
constexpr fs::perms kReadOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms kReadOnlyFolder =
    kReadOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
const std::string kCannotOpen = ": Die Datei kann nicht geöffnet werden: Keine Berechtigung";
const std::string kCannotWrite = ": Die Datei kann nicht geschrieben werden: Keine Berechtigung";
const std::string kNoBackup =
    "t.gfp.bak: Die Sicherungskopie kann nicht geschrieben werden: Keine Berechtigung";
const Names kGfp2Tga = {"gfp2tga", "p.gfp"}, kTga2Gfp = {"tga2gfp", "s.tga", "t.gfp"};

INSTANTIATE_TEST_SUITE_P(
    Cases, LockedTest,
    testing::Values(
        Locked{"UnreadableArchive", "a.res", kNone, true, {"report", "a.res"}, "a.res" + kCannotOpen},
        Locked{"ReadOnlyArchiveFolder",
               ".",
               kReadOnlyFolder,
               true,
               {"unpack", "a.res"},
               "1 Bilder nicht entpackt"},
        Locked{"UnreadableGfp", "p.gfp", kNone, true, kGfp2Tga, "p.gfp" + kCannotOpen},
        Locked{"ReadOnlyGfpFolder", ".", kReadOnlyFolder, true, kGfp2Tga, "p.tga" + kCannotWrite},
        Locked{"ReadOnlyOldTga", "p.tga", kReadOnly, false, kGfp2Tga, "p.tga" + kCannotWrite},
        Locked{"UnreadableSource", "s.tga", kNone, true, kTga2Gfp, "s.tga" + kCannotOpen},
        Locked{"UnreadableTarget", "t.gfp", kNone, true, kTga2Gfp, "t.gfp" + kCannotOpen},
        Locked{"ReadOnlyTarget", "t.gfp", kReadOnly, false, kTga2Gfp, "t.gfp" + kCannotWrite},
        Locked{"ReadOnlyTargetWithOldBackup", "t.gfp", kReadOnly, false, kTga2Gfp, "t.gfp" + kCannotWrite,
               true},
        Locked{"ReadOnlyBackup", "t.gfp.bak", kReadOnly, false, kTga2Gfp, kNoBackup, true},
        Locked{"ReadOnlyTargetFolder", ".", kReadOnlyFolder, true, kTga2Gfp, "t.gfp" + kCannotWrite}),
    test::CaseName());

} // namespace
