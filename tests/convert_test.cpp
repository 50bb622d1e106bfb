#include "formats/describe.h"
#include "formats/rgb565.h"
#include "jobs/convert.h"
#include "tests/support/builders.h"
#include "tests/support/tga_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace varnox;
using test::TgaSpec;

namespace {

namespace fs = std::filesystem;
using test::Snapshot;

Bytes Gfp(std::int32_t width, std::int32_t height, std::int32_t bits, Bytes pixels)
{
    test::GfpSpec spec;
    spec.width = width, spec.height = height, spec.bitsPerPixel = bits, spec.pixels = std::move(pixels);
    return test::MakeGfp(spec);
}

Bytes CleanHeader(std::uint8_t width, std::uint8_t height)
{
    return {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, width, 0, height, 0, 24, 0};
}

std::vector<Error> ToTga(Module1& module, const test::TempDir& dir, const std::string& name)
{
    const jobs::GfpToTgaResult result = jobs::ConvertGfpFiles({dir / name});
    jobs::StoreRecords(module, result.records);
    return result.refused;
}

// Converts names[first..last] as the window does for its list: lastIndex counts in names.
jobs::GfpToTgaResult ConvertRange(const Path& folder, const std::vector<std::string>& names, int first,
                                  int last)
{
    jobs::GfpToTgaResult result = jobs::ConvertGfpFiles(test::PathsOf(folder, names, first, last));
    if (result.lastIndex >= 0)
        result.lastIndex += std::max(first, 0);
    return result;
}

// --- GFP -> TGA ---

struct Depth {
    const char* name;
    std::int32_t bitsPerPixel;
    Bytes pixels; // 2 x 1 picture
    Bytes tgaPixels;
};

class GfpToTgaDepths : public ::testing::TestWithParam<Depth> {};

TEST_P(GfpToTgaDepths, UseTheLastTwoBytesOfEachPixel)
{
    const Depth& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "p.gfp", Gfp(2, 1, c.bitsPerPixel, c.pixels));
    Module1 module;
    ASSERT_TRUE(ToTga(module, dir, "p.gfp").empty());
    EXPECT_EQ(test::ReadBytes(dir / "p.tga"), test::Concat({CleanHeader(2, 1), c.tgaPixels}));
}

INSTANTIATE_TEST_SUITE_P(
    Depths, GfpToTgaDepths,
    ::testing::Values(Depth{"bits8", 8, {0xFF, 0x21}, {255, 31, 0, 15, 7, 0}},
                      Depth{"bits15", 15, {0x1F, 0x00, 0x00, 0xF8}, {255, 0, 0, 0, 0, 255}},
                      Depth{"bits16", 16, {0x2C, 0x63, 0xE0, 0x07}, {96, 103, 96, 0, 255, 0}},
                      Depth{"bits24", 24, {0x11, 0x22, 0x33, 0x00, 0x00, 0xF8}, {16, 103, 48, 0, 0, 255}},
                      Depth{"bits32", 32, {9, 9, 0x22, 0x33, 9, 9, 0x1F, 0}, {16, 103, 48, 255, 0, 0}}),
    [](const auto& row) { return std::string(row.param.name); });

// A picture of many rows is written in blocks as it is decompressed; each row lands at
// its place, bottom row first, whatever the depth.
TEST(GfpToTga, LargePictureRowsInPlace)
{
    constexpr std::int32_t kWidth = 1001, kHeight = 400;
    for (const std::int32_t bits : {16, 24}) {
        const std::int32_t bytes = bits / 8;
        const Bytes pixels = test::PatternPixels(kWidth, kHeight, bytes, 3);
        test::TempDir dir;
        test::WriteBytes(dir / "p.gfp", Gfp(kWidth, kHeight, bits, pixels));
        Module1 module;
        ASSERT_TRUE(ToTga(module, dir, "p.gfp").empty());
        const Bytes tga = test::ReadBytes(dir / "p.tga");
        ASSERT_EQ(tga.size(), 18u + std::size_t{kWidth} * kHeight * 3);
        for (std::int32_t y = 0; y < kHeight; y += 37) {
            for (std::int32_t x : {0, 1, kWidth / 2, kWidth - 1}) {
                const std::size_t in =
                    (std::size_t(y) * kWidth + std::size_t(x)) * std::size_t(bytes) + std::size_t(bytes - 2);
                const std::int32_t v = pixels[in] | pixels[in + 1] << 8;
                const std::size_t at = 18 + (std::size_t(kHeight - 1 - y) * kWidth + std::size_t(x)) * 3;
                EXPECT_EQ(tga[at + 2],
                          static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(Red5(v)))))
                    << bits << " " << x << "," << y;
                EXPECT_EQ(tga[at],
                          static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(Blue5(v)))));
            }
        }
    }
}

// A picture of width 0 gives a TGA of its header alone, at every depth.
TEST(GfpToTga, ZeroWidthGivesTheHeaderOnly)
{
    for (const std::int32_t bits : {8, 16, 24, 32}) {
        test::TempDir dir;
        test::WriteBytes(dir / "z.gfp", Gfp(0, 3, bits, {}));
        Module1 module;
        ASSERT_TRUE(ToTga(module, dir, "z.gfp").empty()) << bits;
        EXPECT_EQ(test::ReadBytes(dir / "z.tga"), CleanHeader(0, 3)) << bits;
    }
}

// Bottom row first; the header is clean even after a TGA with ID, colour map and origin bits was read.
TEST(GfpToTga, TwoByTwoUprightWithACleanHeader)
{
    test::TempDir dir;
    TgaSpec messy;
    messy.imageId = Bytes{1, 2, 3}, messy.colorMapType = 1, messy.colorMapLength = 2,
    messy.colorMapEntrySize = 24;
    messy.imageDescriptor = 0x28, messy.picture = test::PatternPicture(2, 2);
    test::WriteBytes(dir / "m.tga", test::MakeTga(messy));
    Module1 module;
    const Result<Bytes> read = module.ReadTgaAsRgb565(dir / "m.tga");
    ASSERT_FALSE(!read.ok() || read.value().empty());

    test::WriteBytes(dir / "PIC.GFP", Gfp(2, 2, 16, {0xE0, 0x07, 0xFF, 0xFF, 0x1F, 0x00, 0x00, 0xF8}));
    ASSERT_TRUE(ToTga(module, dir, "PIC.GFP").empty());
    EXPECT_EQ(test::ReadBytes(dir / "PIC.tga"),
              test::Concat({CleanHeader(2, 2), {0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF}}));
}

// Refusals: no TGA written, an existing TGA of that name unchanged, nothing else made.
struct GfpRefusal {
    const char* name;
    Bytes (*make)();
};

class GfpToTgaRefusals : public ::testing::TestWithParam<GfpRefusal> {};

TEST_P(GfpToTgaRefusals, LeaveEveryFileAsItWas)
{
    test::TempDir dir;
    test::WriteBytes(dir / "p.gfp", GetParam().make());
    test::WriteBytes(dir / "p.tga", Bytes{'o', 'l', 'd'});
    const auto before = Snapshot(dir.path());
    Module1 module;
    const auto refused = ToTga(module, dir, "p.gfp");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(PathText(refused[0].file), (dir / "p.gfp").string());
    EXPECT_FALSE(Describe(refused[0]).empty());
    EXPECT_EQ(Snapshot(dir.path()), before);
}

Bytes Changed(std::size_t at, std::uint8_t value, std::size_t size = 0)
{
    Bytes b = test::MakeGfp();
    b[at] = value;
    b.resize(size != 0 ? size : b.size());
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Refused, GfpToTgaRefusals,
    ::testing::Values(GfpRefusal{"lowerCaseTag", [] { return Changed(0, 'n'); }},
                      GfpRefusal{"noSecondTag", [] { return Changed(56, 'X'); }},
                      GfpRefusal{"endsInPixelHeader", [] { return Changed(0, 'N', 100); }},
                      GfpRefusal{"payloadPastEnd",
                                 [] { return Changed(0, 'N', test::MakeGfp().size() - 1); }},
                      GfpRefusal{"damagedStream", [] { return Changed(140, 0xFF); }},
                      GfpRefusal{"shortStream", [] { return Gfp(8, 2, 16, Bytes(16, 1)); }},
                      GfpRefusal{"bitsPerPixel6", [] { return Gfp(4, 2, 6, Bytes{1}); }},
                      GfpRefusal{"bitsPerPixelNegative", [] { return Gfp(4, 2, -9, Bytes{1}); }},
                      GfpRefusal{"widthAbove32767", [] { return Gfp(32768, 1, 16, Bytes(65536, 0)); }},
                      GfpRefusal{"heightAbove32767", [] { return Gfp(1, 40000, 16, Bytes(80000, 0)); }},
                      GfpRefusal{"bothSizesNegative", [] { return Gfp(-2, -2, 16, Bytes(8, 0)); }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(GfpToTga, ConvertAllGoesOnAndNamesEveryRefusal)
{
    test::TempDir dir;
    const std::vector<std::string> names{"a.gfp", "b.gfp", "c.tga", "d.gfp"};
    for (const auto& name : names)
        test::WriteBytes(dir / name, name == "b.gfp" ? Bytes{'j', 'u', 'n', 'k'} : test::MakeGfp());
    const Bytes gfpNamedTga = test::ReadBytes(dir / "c.tga"); // would become its own target
    std::vector<int> selected;
    const auto all = jobs::ConvertGfpFiles(test::PathsOf(dir.path(), names, 0, 3));
    for (std::size_t k = 0; k < all.outcomes.size(); ++k)
        if (all.outcomes[k] != jobs::FileOutcome::NotStarted)
            selected.push_back(static_cast<int>(k));
    EXPECT_EQ(selected, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(all.lastIndex, 3);
    ASSERT_EQ(all.refused.size(), 2u);
    EXPECT_EQ(MessageText(all.refused[0]), (dir / "b.gfp").string() + ": " + Describe(GfpError::FirstTag));
    EXPECT_EQ(PathText(all.refused[1].file), (dir / "c.tga").string());
    EXPECT_EQ(test::ReadBytes(dir / "c.tga"), gfpNamedTga);
    EXPECT_TRUE(fs::exists(dir / "a.tga") && fs::exists(dir / "d.tga") && !fs::exists(dir / "b.tga"));

    fs::remove(dir / "a.tga");
    EXPECT_EQ(ConvertRange(dir.path(), names, 3, 3).lastIndex, 3);
    EXPECT_FALSE(fs::exists(dir / "a.tga"));
    EXPECT_EQ(ConvertRange(dir.path(), names, 4, 6).lastIndex, -1);
}

TEST(GfpToTga, WriteFailureNamesTheFileAndKeepsTheDestination)
{
    test::TempDir dir;
    test::WriteBytes(dir / "p.gfp", test::MakeGfp());
    fs::create_directory(dir / "p.tga"); // a file cannot be renamed over it
    Module1 module;
    const auto refused = ToTga(module, dir, "p.gfp");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(PathText(refused[0].file), (dir / "p.tga").string());
    EXPECT_NE(Describe(refused[0]).find(": "), std::string::npos); // with the system's reason
    EXPECT_TRUE(fs::is_directory(dir / "p.tga"));
    EXPECT_EQ(Snapshot(dir.path()).size(), 2u); // no temporary file left
}

// --- TGA -> GFP ---

TgaSpec ThreeByTwo()
{
    TgaSpec spec;
    spec.width = 3, spec.height = 2, spec.picture = test::PatternPicture(3, 2);
    return spec;
}

// A target whose uninterpreted header bytes are all set.
Bytes Target(std::uint8_t rawMark)
{
    test::GfpSpec spec;
    spec.filler = 0x40, spec.rawMark = rawMark;
    return test::MakeGfp(spec);
}

struct Layout {
    const char* name;
    bool uncompressed;
    std::uint8_t oldRawMark;
};

class TgaToGfpLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(TgaToGfpLayouts, ThreeByTwo)
{
    const Layout& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "s.tga", test::MakeTga(ThreeByTwo()));
    const Bytes old = Target(c.oldRawMark);
    test::WriteBytes(dir / "t.gfp", old);
    test::WriteBytes(dir / "t.gfp.bak", Bytes{'o', 'l', 'd'});
    std::vector<std::string> stages;
    jobs::JobProgress progress;
    progress.SetListener([&](const jobs::JobProgress& p) {
        const std::string now = jobs::StageText(static_cast<jobs::TgaToGfpStage>(p.Stage()));
        if (stages.empty() || stages.back() != now)
            stages.push_back(now);
    });
    const auto result =
        jobs::ConvertPictureToGfp(dir / "s.tga", jobs::PictureFormat::Tga, dir / "t.gfp",
                                  (c.uncompressed ? GfpPacking::Uncompressed : GfpPacking::Zlib), &progress);
    ASSERT_TRUE(result.status.ok()) << MessageText(result.status.error());
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp.bak"), old);

    const Bytes file = test::ReadBytes(dir / "t.gfp");
    Module1 reader;
    const Bytes pixels = reader.ReadTgaAsRgb565(dir / "s.tga").value_or(Bytes());
    Bytes payload(file.begin() + 132, file.end());
    if (c.uncompressed) {
        EXPECT_EQ(stages, (std::vector<std::string>{"Analysiere tga und gfp"}));
        EXPECT_EQ(file.size(), 144u);
        EXPECT_EQ(Le32(&file[96]), 0);
        EXPECT_EQ(file[104], 0);
        EXPECT_EQ(file[105], 1);
    } else {
        EXPECT_EQ(stages, (std::vector<std::string>{"Analysiere tga und gfp", "Packe Daten"}));
        const auto streamLength = static_cast<std::int32_t>(file.size()) - 140;
        EXPECT_EQ(Le32(&file[96]), streamLength + 8);
        EXPECT_EQ(file[104], 11);
        EXPECT_EQ(file[105], c.oldRawMark);
        EXPECT_EQ(Le32(&file[132]), 12);
        EXPECT_EQ(Le32(&file[136]), streamLength);
        payload.erase(payload.begin(), payload.begin() + 8);
        UncompressBlock(payload, 12);
    }
    EXPECT_EQ(payload, pixels);
    for (std::size_t at : {4u, 64u}) { // width and height in both blocks
        EXPECT_EQ(Le32(&file[at]), 3);
        EXPECT_EQ(Le32(&file[at + 4]), 2);
    }
    EXPECT_EQ(Le32(&file[72]), 16);
    EXPECT_EQ(Le32(&file[100]), 12);
    // Every other header byte is the target's own.
    for (std::size_t i = 0; i < 132; ++i) {
        const bool set = (i >= 4 && i < 12) || (i >= 64 && i < 76) || (i >= 96 && i < 106);
        EXPECT_TRUE(set || file[i] == old[i]) << "header byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, TgaToGfpLayouts,
                         ::testing::Values(Layout{"compressed", false, 0},
                                           Layout{"compressedKeepsRawMark", false, 1},
                                           Layout{"uncompressed", true, 0}),
                         [](const auto& row) { return std::string(row.param.name); });

// Every 16-bit pixel value, through a TGA and back, is the same pixel in a complete GFP.
TEST(TgaToGfp, RoundTripKeepsEveryPixel)
{
    test::TempDir dir;
    Bytes pixels(65536 * 2);
    for (std::size_t v = 0; v < 65536; ++v)
        pixels[2 * v] = static_cast<std::uint8_t>(v & 0xFF),
                   pixels[2 * v + 1] = static_cast<std::uint8_t>(v >> 8);
    for (const bool uncompressed : {false, true}) {
        test::WriteBytes(dir / "p.gfp", Gfp(256, 256, 16, pixels));
        Module1 module;
        ASSERT_TRUE(ToTga(module, dir, "p.gfp").empty());
        // Every value widens channel by channel, bottom row first in the TGA.
        const Bytes tga = test::ReadBytes(dir / "p.tga");
        ASSERT_EQ(tga.size(), 18u + 65536u * 3u);
        for (std::int32_t v = 0; v < 65536; ++v) {
            const std::size_t at = 18 + (std::size_t(255 - v / 256) * 256 + std::size_t(v % 256)) * 3;
            const auto channel = [](std::int32_t n) { return static_cast<std::uint8_t>(n); };
            ASSERT_EQ(tga[at], channel(Expand5To8(static_cast<std::int16_t>(Blue5(v))))) << v;
            ASSERT_EQ(tga[at + 1], channel(Expand6To8(static_cast<std::int16_t>(Green6(v))))) << v;
            ASSERT_EQ(tga[at + 2], channel(Expand5To8(static_cast<std::int16_t>(Red5(v))))) << v;
        }
        ASSERT_TRUE(jobs::ConvertPictureToGfp(dir / "p.tga", jobs::PictureFormat::Tga, dir / "p.gfp",
                                              (uncompressed ? GfpPacking::Uncompressed : GfpPacking::Zlib))
                        .status.ok());
        Bytes read;
        const GfpError error = CodeOf<GfpError>(Module1().ReadGfpPixels(dir / "p.gfp", read));
        EXPECT_EQ(read, pixels) << "uncompressed " << uncompressed;
        EXPECT_EQ(error, GfpError::None);
    }
}

// A second conversion of the same picture writes nothing: the backup still holds the
// original, and the target and an identical TGA are the files they were.
TEST(TgaToGfp, RepeatedConversionKeepsTheOriginalBackup)
{
    test::TempDir dir;
    test::WriteBytes(dir / "s.tga", test::MakeTga(ThreeByTwo()));
    const Bytes original = Target(0);
    test::WriteBytes(dir / "t.gfp", original);
    Module1 module;
    for (const bool uncompressed : {false, true}) {
        ASSERT_TRUE(jobs::ConvertPictureToGfp(dir / "s.tga", jobs::PictureFormat::Tga, dir / "t.gfp",
                                              (uncompressed ? GfpPacking::Uncompressed : GfpPacking::Zlib))
                        .status.ok());
        fs::copy_file(dir / "t.gfp.bak", dir / "first.bak", fs::copy_options::overwrite_existing);
        const auto before = Snapshot(dir.path());
        const auto inode = test::InodeOf(dir / "t.gfp");
        const auto result =
            jobs::ConvertPictureToGfp(dir / "s.tga", jobs::PictureFormat::Tga, dir / "t.gfp",
                                      (uncompressed ? GfpPacking::Uncompressed : GfpPacking::Zlib));
        EXPECT_TRUE(result.status.ok()) << MessageText(result.status.error());
        EXPECT_EQ(Snapshot(dir.path()), before);
        EXPECT_EQ(test::InodeOf(dir / "t.gfp"), inode);
    }
    EXPECT_EQ(test::ReadBytes(dir / "first.bak"), test::ReadBytes(dir / "t.gfp.bak"));

    fs::rename(dir / "t.gfp", dir / "p.gfp");
    ASSERT_TRUE(ToTga(module, dir, "p.gfp").empty());
    const auto inode = test::InodeOf(dir / "p.tga");
    ASSERT_TRUE(ToTga(module, dir, "p.gfp").empty());
    EXPECT_EQ(test::InodeOf(dir / "p.tga"), inode);
}

// The backup is as private as the file it copies.
TEST(TgaToGfp, BackupKeepsTheModeOfTheTarget)
{
    for (const fs::perms mode : {fs::perms(0600), fs::perms(0604)}) {
        test::TempDir dir;
        test::WriteBytes(dir / "s.tga", test::MakeTga(ThreeByTwo()));
        test::WriteBytes(dir / "t.gfp", Target(0));
        fs::permissions(dir / "t.gfp", mode);
        ASSERT_TRUE(jobs::ConvertPictureToGfp(dir / "s.tga", jobs::PictureFormat::Tga, dir / "t.gfp",
                                              GfpPacking::Zlib)
                        .status.ok());
        EXPECT_EQ(fs::status(dir / "t.gfp.bak").permissions(), mode);
        EXPECT_EQ(test::ReadBytes(dir / "t.gfp.bak"), Target(0));
    }
}

struct TgaGfpRefusal {
    const char* name;
    const char* refusedFile;
    void (*make)(const test::TempDir&);
};

class TgaToGfpRefusals : public ::testing::TestWithParam<TgaGfpRefusal> {};

TEST_P(TgaToGfpRefusals, TouchNothingAndMakeNoBackup)
{
    const TgaGfpRefusal& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "s.tga", test::MakeTga(ThreeByTwo()));
    test::WriteBytes(dir / "t.gfp", Target(0));
    c.make(dir);
    const auto before = Snapshot(dir.path());
    for (const bool uncompressed : {false, true}) {
        const auto result =
            jobs::ConvertPictureToGfp(dir / "s.tga", jobs::PictureFormat::Tga, dir / "t.gfp",
                                      (uncompressed ? GfpPacking::Uncompressed : GfpPacking::Zlib));
        EXPECT_FALSE(result.status.ok());
        EXPECT_EQ(PathText(result.status.error().file), (dir / c.refusedFile).string());
        EXPECT_FALSE(Describe(result.status.error()).empty());
        EXPECT_EQ(Snapshot(dir.path()), before);
    }
}

void Cut(const test::TempDir& dir, const char* name, std::size_t size)
{
    Bytes b = test::ReadBytes(dir / name);
    b.resize(size);
    test::WriteBytes(dir / name, b);
}

INSTANTIATE_TEST_SUITE_P(
    Refused, TgaToGfpRefusals,
    ::testing::Values(
        TgaGfpRefusal{"targetWithoutFirstTag", "t.gfp",
                      [](const auto& d) { test::WriteBytes(d / "t.gfp", Bytes(200, 'N')); }},
        TgaGfpRefusal{"targetWithoutSecondTag", "t.gfp",
                      [](const auto& d) {
                          Bytes b = Target(0);
                          b[59] = 'p';
                          test::WriteBytes(d / "t.gfp", b);
                      }},
        TgaGfpRefusal{"targetEndsInPictureBlock", "t.gfp", [](const auto& d) { Cut(d, "t.gfp", 30); }},
        TgaGfpRefusal{"targetEndsInPixelBlock", "t.gfp", [](const auto& d) { Cut(d, "t.gfp", 131); }},
        TgaGfpRefusal{"targetMissing", "t.gfp", [](const auto& d) { fs::remove(d / "t.gfp"); }},
        TgaGfpRefusal{"sourceColourMapped", "s.tga",
                      [](const auto& d) {
                          TgaSpec s = ThreeByTwo();
                          s.imageType = 1;
                          test::WriteBytes(d / "s.tga", test::MakeTga(s));
                      }},
        TgaGfpRefusal{"sourceTruncated", "s.tga", [](const auto& d) { Cut(d, "s.tga", 18 + 17); }},
        TgaGfpRefusal{"sourceMissing", "s.tga", [](const auto& d) { fs::remove(d / "s.tga"); }},
        TgaGfpRefusal{"backupCannotBeWritten", "t.gfp.bak",
                      [](const auto& d) { fs::create_directory(d / "t.gfp.bak"); }}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace

namespace {

// GFP -> TGA or PNG -> GFP gives the original file back, byte for byte, for both storages:
// so PNG and TGA of the same pixels pack into the same GFP.
struct RoundTrip {
    const char* name;
    jobs::PictureFormat format;
    bool compressed;
};

class PictureRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(PictureRoundTrip, GivesTheGfpBack)
{
    const RoundTrip& c = GetParam();
    test::TempDir dir;
    const Bytes original = test::MakeGfp({.width = 300,
                                          .height = 1100,
                                          .pixels = test::PatternPixels(300, 1100, 2),
                                          .compressed = c.compressed,
                                          .rawMark = std::uint8_t(c.compressed ? 0 : 1),
                                          .filler = 9});
    test::WriteBytes(dir / "p.gfp", original);
    ASSERT_TRUE(jobs::ConvertGfpFiles(test::PathsOf(dir.path(), {"p.gfp"}, 0, 0), {.format = c.format})
                    .refused.empty());
    const bool png = c.format == jobs::PictureFormat::Png;
    const auto result = jobs::ConvertPictureToGfp(dir / (png ? "p.png" : "p.tga"), c.format, dir / "p.gfp",
                                                  c.compressed ? GfpPacking::Zlib : GfpPacking::Uncompressed);
    ASSERT_TRUE(result.status.ok()) << MessageText(result.status.error());
    EXPECT_TRUE(test::ReadBytes(dir / "p.gfp") == original);
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureRoundTrip,
                         ::testing::Values(RoundTrip{"tgaZlib", jobs::PictureFormat::Tga, true},
                                           RoundTrip{"tgaRaw", jobs::PictureFormat::Tga, false},
                                           RoundTrip{"pngZlib", jobs::PictureFormat::Png, true},
                                           RoundTrip{"pngRaw", jobs::PictureFormat::Png, false}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
