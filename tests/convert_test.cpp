#include "jobs/convert.h"
#include "tests/support/builders.h"
#include "tests/support/tga_builder.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace varnox;
using test::TgaSpec;

namespace {

// Every file of a folder with its bytes, to show that a refusal touched nothing.
std::map<std::string, Bytes> Snapshot(const Path& folder)
{
    std::map<std::string, Bytes> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? test::ReadBytes(entry.path()) : Bytes{'d', 'i', 'r'};
    return files;
}

Bytes Header(const Bytes& file)
{
    return Bytes(file.begin(), file.begin() + 18);
}

Bytes Gfp16(std::int32_t width, std::int32_t height, Bytes pixels)
{
    test::GfpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.pixels = std::move(pixels);
    return test::MakeGfp(spec);
}

jobs::GfpToTgaResult ConvertOne(Module1& module, const test::TempDir& dir, const std::string& name)
{
    return jobs::ConvertGfpToTga(module, dir.path(), {name}, 0, 0);
}

// --- GFP -> TGA ---

TEST(GfpToTga, TwoByTwoExampleByteForByte)
{
    test::TempDir dir;
    test::WriteBytes(dir / "pic.gfp", Gfp16(2, 2, {0xE0, 0x07, 0xFF, 0xFF, 0x1F, 0x00, 0x00, 0xF8}));
    Module1 module;
    const auto result = ConvertOne(module, dir, "pic.gfp");
    EXPECT_TRUE(result.refused.empty());
    EXPECT_EQ(result.lastIndex, 0);
    EXPECT_EQ(test::ReadBytes(dir / "pic.tga"),
              (Bytes{0,    0, 2, 0, 0, 0,    0, 0,    0, 0,    0,    0,   2, 0, 2, 0, 0x18, 0, // header
                     0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF}));
}

TEST(GfpToTga, NameKeepsItsCaseBeforeTheNewEnding)
{
    test::TempDir dir;
    test::WriteBytes(dir / "PIC.GFP", test::MakeGfp());
    Module1 module;
    EXPECT_TRUE(ConvertOne(module, dir, "PIC.GFP").refused.empty());
    EXPECT_TRUE(std::filesystem::exists(dir / "PIC.tga"));
}

// Pixel value of bytes per pixel 1, 2, 3 and 4, widened to blue, green, red.
struct DepthCase {
    std::string name;
    std::int32_t bitsPerPixel;
    Bytes pixels; // 2 x 1 picture
    Bytes tgaPixels;
};

class GfpToTgaDepths : public ::testing::TestWithParam<DepthCase> {};

TEST_P(GfpToTgaDepths, UsesTheLastTwoBytesOfEachPixel)
{
    const DepthCase& c = GetParam();
    test::TempDir dir;
    test::GfpSpec spec;
    spec.width = 2;
    spec.height = 1;
    spec.bitsPerPixel = c.bitsPerPixel;
    spec.pixels = c.pixels;
    test::WriteBytes(dir / "p.gfp", test::MakeGfp(spec));
    Module1 module;
    ASSERT_TRUE(ConvertOne(module, dir, "p.gfp").refused.empty());
    const Bytes tga = test::ReadBytes(dir / "p.tga");
    EXPECT_EQ(Bytes(tga.begin() + 18, tga.end()), c.tgaPixels);
    EXPECT_EQ(Header(tga), (Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Depths, GfpToTgaDepths,
    ::testing::Values(DepthCase{"bits8", 8, {0xFF, 0x21}, {255, 31, 0, 15, 7, 0}},
                      DepthCase{"bits15", 15, {0x1F, 0x00, 0x00, 0xF8}, {255, 0, 0, 0, 0, 255}},
                      DepthCase{"bits16", 16, {0x2C, 0x63, 0xE0, 0x07}, {96, 103, 96, 0, 255, 0}},
                      DepthCase{"bits24", 24, {0x11, 0x22, 0x33, 0x00, 0x00, 0xF8}, {16, 103, 48, 0, 0, 255}},
                      DepthCase{"bits32", 32, {9, 9, 0x22, 0x33, 9, 9, 0x1F, 0}, {16, 103, 48, 255, 0, 0}}),
    [](const auto& row) { return row.param.name; });

// Refusals: no TGA written, an existing TGA of that name unchanged, nothing else made.
struct GfpRefusal {
    std::string name;
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
    const auto result = ConvertOne(module, dir, "p.gfp");
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(result.refused[0].file, (dir / "p.gfp").string());
    EXPECT_FALSE(result.refused[0].reason.empty());
    EXPECT_EQ(Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Refused, GfpToTgaRefusals,
                         ::testing::Values(GfpRefusal{"lowerCaseTag",
                                                      [] {
                                                          Bytes b = test::MakeGfp();
                                                          std::copy_n("nalp", 4, b.begin());
                                                          return b;
                                                      }},
                                           GfpRefusal{"noSecondTag",
                                                      [] {
                                                          Bytes b = test::MakeGfp();
                                                          b[56] = 'X';
                                                          return b;
                                                      }},
                                           GfpRefusal{"endsInPixelHeader",
                                                      [] {
                                                          Bytes b = test::MakeGfp();
                                                          b.resize(100);
                                                          return b;
                                                      }},
                                           GfpRefusal{"payloadPastEnd",
                                                      [] {
                                                          Bytes b = test::MakeGfp();
                                                          b.pop_back();
                                                          return b;
                                                      }},
                                           GfpRefusal{"damagedStream",
                                                      [] {
                                                          Bytes b = test::MakeGfp();
                                                          b[140] ^= 0xFF;
                                                          return b;
                                                      }},
                                           GfpRefusal{"shortStream",
                                                      [] {
                                                          test::GfpSpec s;
                                                          s.width = 8;
                                                          s.pixels = Bytes(16, 1); // half the picture
                                                          return test::MakeGfp(s);
                                                      }},
                                           GfpRefusal{"bitsPerPixel6",
                                                      [] {
                                                          test::GfpSpec s;
                                                          s.bitsPerPixel = 6;
                                                          s.pixels = Bytes{1};
                                                          return test::MakeGfp(s);
                                                      }},
                                           GfpRefusal{"bitsPerPixelNegative",
                                                      [] {
                                                          test::GfpSpec s;
                                                          s.bitsPerPixel = -9;
                                                          s.pixels = Bytes{1};
                                                          return test::MakeGfp(s);
                                                      }},
                                           GfpRefusal{"widthAbove32767",
                                                      [] {
                                                          test::GfpSpec s;
                                                          s.width = 32768;
                                                          s.height = 1;
                                                          s.pixels = Bytes(65536, 0);
                                                          return test::MakeGfp(s);
                                                      }},
                                           GfpRefusal{"heightAbove32767",
                                                      [] {
                                                          test::GfpSpec s;
                                                          s.width = 1;
                                                          s.height = 40000;
                                                          s.pixels = Bytes(80000, 0);
                                                          return test::MakeGfp(s);
                                                      }},
                                           GfpRefusal{"bothSizesNegative",
                                                      [] {
                                                          test::GfpSpec s;
                                                          s.width = -2;
                                                          s.height = -2;
                                                          s.pixels = Bytes(8, 0);
                                                          return test::MakeGfp(s);
                                                      }}),
                         [](const auto& row) { return row.param.name; });

TEST(GfpToTga, NameNotEndingInGfpIsNeverOverwritten)
{
    test::TempDir dir;
    const Bytes gfp = test::MakeGfp();
    test::WriteBytes(dir / "p.tga", gfp); // a GFP under a TGA name would become its own target
    Module1 module;
    const auto result = ConvertOne(module, dir, "p.tga");
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(test::ReadBytes(dir / "p.tga"), gfp);
}

TEST(GfpToTga, ConvertAllGoesOnAfterARefusalAndNamesIt)
{
    test::TempDir dir;
    const std::vector<std::string> names{"a.gfp", "b.gfp", "c.gfp"};
    test::WriteBytes(dir / "a.gfp", test::MakeGfp());
    test::WriteBytes(dir / "b.gfp", Bytes{'j', 'u', 'n', 'k'});
    test::WriteBytes(dir / "c.gfp", test::MakeGfp());
    Module1 module;
    std::vector<int> selected;
    const auto result =
        jobs::ConvertGfpToTga(module, dir.path(), names, 0, 2, [&selected](int k) { selected.push_back(k); });
    EXPECT_EQ(selected, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(result.lastIndex, 2);
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(result.refused[0].file, (dir / "b.gfp").string());
    EXPECT_EQ(jobs::MessageText(result.refused[0]),
              (dir / "b.gfp").string() + ": " + Describe(GfpError::FirstTag));
    EXPECT_TRUE(std::filesystem::exists(dir / "a.tga"));
    EXPECT_FALSE(std::filesystem::exists(dir / "b.tga"));
    EXPECT_TRUE(std::filesystem::exists(dir / "c.tga"));

    // Not ticked: only the selected entry; out-of-range entries are not touched.
    std::filesystem::remove(dir / "a.tga");
    const auto one = jobs::ConvertGfpToTga(module, dir.path(), names, 2, 2);
    EXPECT_EQ(one.lastIndex, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "a.tga"));
    EXPECT_EQ(jobs::ConvertGfpToTga(module, dir.path(), names, 3, 5).lastIndex, -1);
}

TEST(GfpToTga, HeaderIsCleanAfterReadingAMessyTga)
{
    test::TempDir dir;
    TgaSpec messy;
    messy.imageId = Bytes{1, 2, 3};
    messy.colorMapType = 1;
    messy.colorMapLength = 2;
    messy.colorMapEntrySize = 24;
    messy.imageDescriptor = 0x28;
    messy.picture = test::PatternPicture(2, 2);
    test::WriteBytes(dir / "m.tga", test::MakeTga(messy));
    Module1 module;
    ASSERT_FALSE(module.ReadTgaAsRgb565(dir / "m.tga").empty());

    test::WriteBytes(dir / "p.gfp", Gfp16(3, 1, Bytes(6, 0)));
    ASSERT_TRUE(ConvertOne(module, dir, "p.gfp").refused.empty());
    EXPECT_EQ(Header(test::ReadBytes(dir / "p.tga")),
              (Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 1, 0, 24, 0}));
}

TEST(GfpToTga, WriteFailureReportsTheFileAndKeepsTheDestination)
{
    test::TempDir dir;
    test::WriteBytes(dir / "p.gfp", test::MakeGfp());
    std::filesystem::create_directory(dir / "p.tga"); // cannot be replaced by a file
    test::WriteBytes(dir / "p.tga" / "inside", Bytes{1});
    Module1 module;
    const auto result = ConvertOne(module, dir, "p.gfp");
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(result.refused[0].file, (dir / "p.tga").string());
    EXPECT_NE(result.refused[0].reason.find(": "), std::string::npos); // with the system's reason
    EXPECT_EQ(test::ReadBytes(dir / "p.tga" / "inside"), Bytes{1});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2); // no temporary left
}

// --- TGA -> GFP ---

struct Target {
    Bytes bytes;
    GfpPictureHeaderRecord picture;
    GfpPixelHeaderRecord pixel;
};

// A GFP target whose uninterpreted header bytes are all set.
Target MakeTarget(std::uint8_t rawMark)
{
    test::GfpSpec spec;
    spec.filler = 0x40;
    spec.rawMark = rawMark;
    Target t;
    t.bytes = test::MakeGfp(spec);
    std::copy_n(t.bytes.begin() + 4, 52, t.picture.bytes.begin());
    std::copy_n(t.bytes.begin() + 60, 72, t.pixel.bytes.begin());
    return t;
}

TgaSpec ThreeByTwo()
{
    TgaSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.picture = test::PatternPicture(3, 2);
    return spec;
}

// Header blocks equal except at the fields the conversion sets.
void ExpectCarried(const Target& old, const Bytes& file)
{
    for (std::size_t i = 8; i < 52; ++i)
        EXPECT_EQ(file[4 + i], old.picture.bytes[i]) << "picture block byte " << i;
    for (std::size_t i = 0; i < 72; ++i) {
        const bool set = (i >= 4 && i < 16) || (i >= 36 && i < 46);
        if (!set) {
            EXPECT_EQ(file[60 + i], old.pixel.bytes[i]) << "pixel block byte " << i;
        }
    }
}

TEST(TgaToGfp, CompressedThreeByTwo)
{
    test::TempDir dir;
    const TgaSpec spec = ThreeByTwo();
    test::WriteBytes(dir / "s.tga", test::MakeTga(spec));
    const Target old = MakeTarget(1);
    test::WriteBytes(dir / "t.gfp", old.bytes);
    Module1 module;
    std::vector<jobs::TgaToGfpStage> stages;
    int rows = 0;
    const auto result = jobs::ConvertTgaToGfp(
        module, dir / "s.tga", dir / "t.gfp", false,
        [&stages](jobs::TgaToGfpStage s) { stages.push_back(s); },
        [&rows](int, bool done) { rows += done ? 0 : 1; });
    ASSERT_TRUE(result.ok) << jobs::MessageText(result.refusal);
    EXPECT_EQ(stages, (std::vector{jobs::TgaToGfpStage::Analysing, jobs::TgaToGfpStage::Packing}));
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp.bak"), old.bytes);

    const Bytes file = test::ReadBytes(dir / "t.gfp");
    ASSERT_GT(file.size(), 140u);
    const std::int32_t streamLength = static_cast<std::int32_t>(file.size()) - 140;
    EXPECT_EQ(Le32(&file[4]), 3);
    EXPECT_EQ(Le32(&file[8]), 2);
    EXPECT_EQ(Le32(&file[64]), 3);
    EXPECT_EQ(Le32(&file[68]), 2);
    EXPECT_EQ(Le32(&file[72]), 16);
    EXPECT_EQ(Le32(&file[96]), streamLength + 8);
    EXPECT_EQ(Le32(&file[100]), 12);
    EXPECT_EQ(file[104], 11);
    EXPECT_EQ(file[105], 1); // rawMark kept
    EXPECT_EQ(Le32(&file[132]), 12);
    EXPECT_EQ(Le32(&file[136]), streamLength);
    Bytes stream(file.begin() + 140, file.end());
    UncompressBlock(stream, 12);
    Module1 reader;
    EXPECT_EQ(stream, reader.ReadTgaAsRgb565(dir / "s.tga"));
    ExpectCarried(old, file);
}

TEST(TgaToGfp, UncompressedThreeByTwo)
{
    test::TempDir dir;
    test::WriteBytes(dir / "s.tga", test::MakeTga(ThreeByTwo()));
    const Target old = MakeTarget(0);
    test::WriteBytes(dir / "t.gfp", old.bytes);
    test::WriteBytes(dir / "t.gfp.bak", Bytes{'o', 'l', 'd'});
    Module1 module;
    std::vector<jobs::TgaToGfpStage> stages;
    ASSERT_TRUE(
        jobs::ConvertTgaToGfp(module, dir / "s.tga", dir / "t.gfp", true, [&stages](jobs::TgaToGfpStage s) {
            stages.push_back(s);
        }).ok);
    EXPECT_EQ(stages, (std::vector{jobs::TgaToGfpStage::Analysing}));
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp.bak"), old.bytes); // the old copy replaced

    const Bytes file = test::ReadBytes(dir / "t.gfp");
    ASSERT_EQ(file.size(), 144u);
    EXPECT_EQ(Le32(&file[96]), 0);
    EXPECT_EQ(Le32(&file[100]), 12);
    EXPECT_EQ(file[104], 0);
    EXPECT_EQ(file[105], 1);
    Module1 reader;
    EXPECT_EQ(Bytes(file.begin() + 132, file.end()), reader.ReadTgaAsRgb565(dir / "s.tga"));
    ExpectCarried(old, file);
    EXPECT_EQ(jobs::StageText(jobs::TgaToGfpStage::Analysing), "Analysiere tga und gfp");
    EXPECT_EQ(jobs::StageText(jobs::TgaToGfpStage::Packing), "Packe Daten");
}

// Every 16-bit pixel value, through a TGA and back, is the same pixel; both ways the file reads as
// a complete GFP again.
TEST(TgaToGfp, RoundTripKeepsEveryPixel)
{
    test::TempDir dir;
    Bytes pixels(65536 * 2);
    for (std::size_t v = 0; v < 65536; ++v)
        pixels[2 * v] = static_cast<std::uint8_t>(v & 0xFF),
                   pixels[2 * v + 1] = static_cast<std::uint8_t>(v >> 8);
    for (const bool uncompressed : {false, true}) {
        test::WriteBytes(dir / "p.gfp", Gfp16(256, 256, pixels));
        Module1 module;
        ASSERT_TRUE(ConvertOne(module, dir, "p.gfp").refused.empty());
        ASSERT_TRUE(jobs::ConvertTgaToGfp(module, dir / "p.tga", dir / "p.gfp", uncompressed).ok);
        Module1 reader;
        GfpError error = GfpError::None;
        EXPECT_EQ(reader.ReadGfpPixels(dir / "p.gfp", &error), pixels) << "uncompressed " << uncompressed;
        EXPECT_EQ(error, GfpError::None);
    }
}

struct TgaGfpRefusal {
    std::string name;
    std::string refusedFile; // "s.tga" or "t.gfp"
    void (*make)(const test::TempDir&);
};

class TgaToGfpRefusals : public ::testing::TestWithParam<TgaGfpRefusal> {};

TEST_P(TgaToGfpRefusals, TouchNothingAndMakeNoBackup)
{
    const TgaGfpRefusal& c = GetParam();
    test::TempDir dir;
    test::WriteBytes(dir / "s.tga", test::MakeTga(ThreeByTwo()));
    test::WriteBytes(dir / "t.gfp", MakeTarget(0).bytes);
    c.make(dir);
    const auto before = Snapshot(dir.path());
    Module1 module;
    for (const bool uncompressed : {false, true}) {
        const auto result = jobs::ConvertTgaToGfp(module, dir / "s.tga", dir / "t.gfp", uncompressed);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.refusal.file, (dir / c.refusedFile).string());
        EXPECT_FALSE(result.refusal.reason.empty());
        EXPECT_EQ(Snapshot(dir.path()), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Refused, TgaToGfpRefusals,
    ::testing::Values(TgaGfpRefusal{"targetWithoutFirstTag", "t.gfp",
                                    [](const test::TempDir& d) {
                                        test::WriteBytes(d / "t.gfp", Bytes(200, 'N'));
                                    }},
                      TgaGfpRefusal{"targetWithoutSecondTag", "t.gfp",
                                    [](const test::TempDir& d) {
                                        Bytes b = MakeTarget(0).bytes;
                                        b[59] = 'p';
                                        test::WriteBytes(d / "t.gfp", b);
                                    }},
                      TgaGfpRefusal{"targetEndsInPictureBlock", "t.gfp",
                                    [](const test::TempDir& d) {
                                        Bytes b = MakeTarget(0).bytes;
                                        b.resize(30);
                                        test::WriteBytes(d / "t.gfp", b);
                                    }},
                      TgaGfpRefusal{"targetEndsInPixelBlock", "t.gfp",
                                    [](const test::TempDir& d) {
                                        Bytes b = MakeTarget(0).bytes;
                                        b.resize(131);
                                        test::WriteBytes(d / "t.gfp", b);
                                    }},
                      TgaGfpRefusal{"targetMissing", "t.gfp",
                                    [](const test::TempDir& d) { std::filesystem::remove(d / "t.gfp"); }},
                      TgaGfpRefusal{"sourceColourMapped", "s.tga",
                                    [](const test::TempDir& d) {
                                        TgaSpec s = ThreeByTwo();
                                        s.imageType = 1;
                                        test::WriteBytes(d / "s.tga", test::MakeTga(s));
                                    }},
                      TgaGfpRefusal{"sourceTruncated", "s.tga",
                                    [](const test::TempDir& d) {
                                        Bytes b = test::MakeTga(ThreeByTwo());
                                        b.pop_back();
                                        test::WriteBytes(d / "s.tga", b);
                                    }},
                      TgaGfpRefusal{"sourceMissing", "s.tga",
                                    [](const test::TempDir& d) { std::filesystem::remove(d / "s.tga"); }}),
    [](const auto& row) { return row.param.name; });

TEST(TgaToGfp, FailedBackupLeavesTheTargetAsItWas)
{
    test::TempDir dir;
    test::WriteBytes(dir / "s.tga", test::MakeTga(ThreeByTwo()));
    const Bytes old = MakeTarget(0).bytes;
    test::WriteBytes(dir / "t.gfp", old);
    std::filesystem::create_directory(dir / "t.gfp.bak"); // the copy cannot replace a folder
    Module1 module;
    const auto result = jobs::ConvertTgaToGfp(module, dir / "s.tga", dir / "t.gfp", false);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.refusal.file, (dir / "t.gfp.bak").string());
    EXPECT_NE(result.refusal.reason.find(": "), std::string::npos);
    EXPECT_EQ(test::ReadBytes(dir / "t.gfp"), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

}  // namespace
