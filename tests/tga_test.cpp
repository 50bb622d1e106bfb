#include "formats/describe.h"
#include "formats/module1.h"
#include "formats/rgb565.h"
#include "tests/support/builders.h"
#include "tests/support/tga_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace varnox;
using test::TgaSpec;

namespace {

using Calls = std::vector<std::int32_t>; // rows done, as progress was told them

struct Read {
    Bytes pixels;
    TgaError error = TgaError::None;
    Calls calls;
};

Read ReadTga(Module1& module, const Bytes& file)
{
    test::TempDir dir;
    test::WriteBytes(dir / "p.tga", file);
    Read read;
    const Result<Bytes> result = module.ReadTgaAsRgb565(dir / "p.tga", [&read](std::int32_t done) {
        read.calls.push_back(done);
        return true;
    });
    read.pixels = result.value_or(Bytes());
    read.error = result.ok() ? TgaError::None : CodeOf<TgaError>(result.status());
    return read;
}

bool HeaderIs(const Module1& module, const Bytes& file)
{
    return std::equal(module.TgaHeader.bytes.begin(), module.TgaHeader.bytes.end(), file.begin());
}

TEST(TgaRead, KnownPixels)
{
    TgaSpec spec; // 2 x 2: bottom row blue, red; top row green, white
    spec.pixelData = Bytes{0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF};
    const Bytes file = test::MakeTga(spec);
    Module1 module;
    const Read read = ReadTga(module, file);
    EXPECT_EQ(read.pixels, (Bytes{0xE0, 0x07, 0xFF, 0xFF, 0x1F, 0x00, 0x00, 0xF8}));
    EXPECT_EQ(read.calls, (Calls{0, 1, 2}));
    EXPECT_TRUE(HeaderIs(module, file));

    spec = {};
    spec.width = 4;
    spec.height = 1;
    spec.pixelData = Bytes{0x64, 0x64, 0x64, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ReadTga(module, test::MakeTga(spec)).pixels, (Bytes{0x2C, 0x63, 0, 0, 0, 0, 0, 0}));

    // 5-5-5: green 31, 16 and 1 widen to 255, 128, 15 and narrow to 63, 32, 3; bit 15 is ignored.
    spec.pixelDepth = 16;
    spec.pixelData = Bytes{0xE0, 0x03, 0x00, 0x82, 0x3F, 0xFC, 0, 0};
    EXPECT_EQ(ReadTga(module, test::MakeTga(spec)).pixels, (Bytes{0xE0, 0x07, 0x00, 0x04, 0x7F, 0xF8, 0, 0}));
}

// Every accepted layout gives the picture upright, top row first.
struct Variant {
    const char* name;
    void (*shape)(TgaSpec&);
};

class TgaVariants : public ::testing::TestWithParam<Variant> {};

TEST_P(TgaVariants, ReadUpright)
{
    TgaSpec spec;
    spec.width = 5;
    spec.height = 3;
    spec.picture = test::PatternPicture(5, 3);
    GetParam().shape(spec);
    if (spec.pixelDepth < 24) // what 5-5-5 keeps: the top 5 bits, and green 31 (-> 63)
        for (auto& p : spec.picture)
            p.blue &= 0xF8, p.red &= 0xF8, p.green = 0xFC;
    Bytes expected;
    for (const auto& p : spec.picture) {
        const std::uint16_t v = NarrowToRgb565(p.red, p.green, p.blue); // checked against known values
        expected.insert(expected.end(),
                        {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)});
    }
    Module1 module;
    const Read read = ReadTga(module, test::MakeTga(spec));
    ASSERT_EQ(read.error, TgaError::None) << Describe(read.error);
    EXPECT_EQ(read.pixels, expected);
    EXPECT_EQ(read.calls.size(), 4u);
}

// Runs of 7 and 8 pixels in file order, the second across two rows.
void Runs(TgaSpec& s, bool topFirst)
{
    for (std::size_t i = 0; i < 15; ++i) {
        const std::size_t stored = topFirst ? i : (2 - i / 5) * 5 + i % 5;
        s.picture[i] = s.picture[stored < 7 ? 0 : 14];
    }
    s.imageType = 10, s.imageDescriptor = topFirst ? 0x20 : 0, s.packets = {{true, 7}, {true, 8}};
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, TgaVariants,
    ::testing::Values(
        Variant{"bottomLeft", [](TgaSpec&) {}},
        Variant{"topLeft", [](TgaSpec& s) { s.imageDescriptor = 0x20; }},
        Variant{"bottomRight", [](TgaSpec& s) { s.imageDescriptor = 0x10; }},
        Variant{"topRightWithAlphaBits", [](TgaSpec& s) { s.imageDescriptor = 0x38; }},
        Variant{"depth32", [](TgaSpec& s) { s.pixelDepth = 32; }},
        Variant{"depth16", [](TgaSpec& s) { s.pixelDepth = 16; }},
        Variant{"depth15TopLeft", [](TgaSpec& s) { s.pixelDepth = 15, s.imageDescriptor = 0x20; }},
        Variant{"imageId", [](TgaSpec& s) { s.imageId = Bytes{1, 2, 3, 4, 5, 6, 7}; }},
        Variant{"colourMap24",
                [](TgaSpec& s) { s.colorMapType = 1, s.colorMapLength = 5, s.colorMapEntrySize = 24; }},
        Variant{"colourMap15",
                [](TgaSpec& s) { s.colorMapType = 1, s.colorMapLength = 3, s.colorMapEntrySize = 15; }},
        Variant{"footer", [](TgaSpec& s) { s.trailer = Bytes(26, 0x55); }},
        Variant{"rleRaw", [](TgaSpec& s) { s.imageType = 10; }},
        Variant{"rleRawAcrossRows",
                [](TgaSpec& s) {
                    s.imageType = 10, s.packets = {{false, 7}, {false, 8}};
                }},
        Variant{"rleRunsTopFirst", [](TgaSpec& s) { Runs(s, true); }},
        Variant{"rleRunsBottomFirst", [](TgaSpec& s) { Runs(s, false); }},
        Variant{"rle32",
                [](TgaSpec& s) {
                    s.imageType = 10, s.pixelDepth = 32, s.packets.assign(15, {false, 1});
                }},
        Variant{"rle16", [](TgaSpec& s) { s.imageType = 10, s.pixelDepth = 16; }}),
    [](const auto& row) { return std::string(row.param.name); });

// Refused files: no pixels, no progress, the file's own header in TgaHeader.
struct Refused {
    const char* name;
    TgaError error;
    void (*shape)(TgaSpec&);
    std::size_t cut = 0; // bytes taken off the end of the file
};

class TgaRefusals : public ::testing::TestWithParam<Refused> {};

TEST_P(TgaRefusals, SayWhy)
{
    const Refused& c = GetParam();
    TgaSpec spec;
    spec.width = 4;
    spec.height = 3;
    spec.picture = test::PatternPicture(4, 3);
    c.shape(spec);
    Bytes file = test::MakeTga(spec);
    file.resize(file.size() - c.cut);
    Module1 module;
    const Read read = ReadTga(module, file);
    EXPECT_EQ(read.error, c.error) << Describe(read.error);
    EXPECT_TRUE(read.pixels.empty());
    if (c.error != TgaError::ColorIndex) { // found while the rows are built
        EXPECT_TRUE(read.calls.empty());
    }
    EXPECT_TRUE(HeaderIs(module, file));
    EXPECT_NE(Describe(read.error), "unbekannter Fehler");
}

INSTANTIATE_TEST_SUITE_P(
    Refused, TgaRefusals,
    ::testing::Values(
        Refused{"colourMappedWithoutMap", TgaError::ColorMap,
                [](TgaSpec& s) { s.imageType = 1, s.pixelDepth = 8, s.pixelData = Bytes(12); }},
        Refused{"colourMapOf8BitEntries", TgaError::ColorMap,
                [](TgaSpec& s) {
                    s.imageType = 1, s.pixelDepth = 8, s.colorMapType = 1, s.colorMapLength = 4,
                    s.colorMapEntrySize = 8, s.pixelData = Bytes(12);
                }},
        Refused{"colourMapped24", TgaError::ColorMapped, [](TgaSpec& s) { s.imageType = 1; }},
        Refused{"colourMappedRle24", TgaError::ColorMapped, [](TgaSpec& s) { s.imageType = 9; }},
        Refused{"indexOutsideMap", TgaError::ColorIndex,
                [](TgaSpec& s) {
                    s.imageType = 1, s.pixelDepth = 8, s.colorMapType = 1, s.colorMapFirst = 2,
                    s.colorMapLength = 3, s.colorMapEntrySize = 24, s.pixelData = Bytes(12, 2);
                    (*s.pixelData)[7] = 5;
                }},
        Refused{"indexOutsideMapRle", TgaError::ColorIndex,
                [](TgaSpec& s) {
                    s.imageType = 9, s.pixelDepth = 8, s.colorMapType = 1, s.colorMapLength = 3,
                    s.colorMapEntrySize = 24, s.pixelData = Bytes{0x8B, 3};
                }},
        Refused{"grey32", TgaError::Grey,
                [](TgaSpec& s) { s.imageType = 3, s.pixelDepth = 32, s.pixelData = Bytes(48); }},
        Refused{"greyRle24", TgaError::Grey, [](TgaSpec& s) { s.imageType = 11; }},
        Refused{"noImage", TgaError::ImageType, [](TgaSpec& s) { s.imageType = 0; }},
        Refused{"depth8", TgaError::PixelDepth,
                [](TgaSpec& s) { s.pixelDepth = 8, s.pixelData = Bytes(12); }},
        Refused{"depth48", TgaError::PixelDepth,
                [](TgaSpec& s) { s.pixelDepth = 48, s.pixelData = Bytes(72); }},
        Refused{"negativeWidth", TgaError::Size, [](TgaSpec& s) { s.width = -4, s.pixelData = Bytes(36); }},
        Refused{"negativeHeight", TgaError::Size, [](TgaSpec& s) { s.height = -3, s.pixelData = Bytes(36); }},
        Refused{"tooLarge", TgaError::TooLarge,
                [](TgaSpec& s) { s.width = s.height = 32767, s.pixelData = Bytes(36); }},
        Refused{"rawOneByteShort", TgaError::PixelData, [](TgaSpec&) {}, 1},
        Refused{"imageIdTakesPixelBytes", TgaError::PixelData,
                [](TgaSpec& s) { s.imageId = Bytes(1, 9), s.pixelData = Bytes(35); }},
        Refused{"colourMapPastEnd", TgaError::PixelData,
                [](TgaSpec& s) { s.colorMapType = 1, s.colorMapLength = 200, s.colorMapEntrySize = 24; },
                600},
        Refused{"rleEndsInPacket", TgaError::PixelData, [](TgaSpec& s) { s.imageType = 10; }, 2},
        Refused{"rleEndsBetweenPackets", TgaError::PixelData,
                [](TgaSpec& s) {
                    s.imageType = 10, s.packets = {{true, 8}};
                }},
        Refused{"rleRunPastPicture", TgaError::RleData,
                [](TgaSpec& s) {
                    s.imageType = 10, s.packets = {{false, 4}, {true, 9}};
                }},
        Refused{"rleRawPastPicture", TgaError::RleData,
                [](TgaSpec& s) {
                    s.imageType = 10, s.packets = {{false, 13}};
                }},
        Refused{"rleHugeClaimTinyFile", TgaError::PixelData,
                [](TgaSpec& s) { s.imageType = 10, s.width = s.height = 16000, s.pixelData = Bytes(8); }}),
    [](const auto& row) { return std::string(row.param.name); });

// A picture larger than the blocks a true-colour file is read in gives the same pixels in
// every origin as its run-length form, which is decoded whole.
TEST(TgaRead, LargePictureSameInEveryOrigin)
{
    TgaSpec spec;
    spec.width = 700;
    spec.height = 600;
    spec.picture = test::PatternPicture(700, 600, 4);
    spec.imageType = 10;
    Module1 module;
    const Read reference = ReadTga(module, test::MakeTga(spec));
    ASSERT_EQ(reference.error, TgaError::None);
    ASSERT_EQ(reference.pixels.size(), 700u * 600u * 2u);
    spec.imageType = 2;
    for (const int descriptor : {0x00, 0x20, 0x10, 0x30}) {
        spec.imageDescriptor = static_cast<std::uint8_t>(descriptor);
        const Read read = ReadTga(module, test::MakeTga(spec));
        EXPECT_EQ(read.error, TgaError::None) << descriptor;
        EXPECT_TRUE(read.pixels == reference.pixels) << descriptor;
        EXPECT_EQ(read.calls.size(), 601u);
    }
}

TEST(TgaRead, ShortMissingAndEmptyFiles)
{
    Module1 module;
    module.TgaHeader.bytes.fill(0x77);
    const auto before = module.TgaHeader.bytes;
    EXPECT_EQ(ReadTga(module, Bytes(17, 0)).error, TgaError::Truncated);
    test::TempDir dir;
    const Result<Bytes> missing = module.ReadTgaAsRgb565(dir / "missing.tga");
    EXPECT_TRUE(missing.value_or(Bytes()).empty());
    EXPECT_EQ(CodeOf<TgaError>(missing.status()), TgaError::CannotOpen);
    EXPECT_EQ(module.TgaHeader.bytes, before);

    TgaSpec noColumns;
    noColumns.width = 0;
    noColumns.height = 2;
    const Read rows = ReadTga(module, test::MakeTga(noColumns));
    EXPECT_EQ(rows.error, TgaError::None);
    EXPECT_TRUE(rows.pixels.empty());
    EXPECT_EQ(rows.calls, (Calls{0, 1, 2}));
}

} // namespace

namespace {

// Grey and colour-mapped pictures: 8-bit values, through the map (its origin honoured);
// grey with alpha at 16 bits, the alpha dropped.
struct Indexed {
    const char* name;
    std::uint8_t imageType;
    std::uint8_t entryBits; // 0: grey
    std::uint16_t first;
    std::uint8_t descriptor;
    std::uint8_t depth = 8;
};

class TgaIndexed : public ::testing::TestWithParam<Indexed> {};

TEST_P(TgaIndexed, ReadThroughMapOrAsGrey)
{
    const Indexed& c = GetParam();
    constexpr int kEntries = 6;
    TgaSpec spec;
    spec.width = 4;
    spec.height = 3;
    spec.imageType = c.imageType;
    spec.pixelDepth = c.depth;
    spec.imageDescriptor = c.descriptor;
    spec.picture = test::PatternPicture(4, 3, 7);
    // The RGB565 of each entry: 24 and 32-bit entries narrowed; 15 and 16-bit ones as 5-5-5,
    // widened to 8 bits, then narrowed.
    const std::vector<std::uint16_t> palette =
        c.entryBits > 16 ? std::vector<std::uint16_t>{0x17E0, 0x3EC5, 0x6DAA, 0x9C8F, 0xC354, 0xF239}
                         : std::vector<std::uint16_t>{0x17E0, 0x3EE5, 0x6D8A, 0x9C8F, 0xC374, 0xF219};
    if (c.entryBits != 0) {
        spec.colorMapType = 1;
        spec.colorMapFirst = c.first;
        spec.colorMapLength = kEntries;
        spec.colorMapEntrySize = c.entryBits;
        spec.colorMap = Bytes();
        for (int k = 0; k < kEntries; ++k) {
            const auto b = static_cast<std::uint8_t>(40 * k + 3);
            const auto g = static_cast<std::uint8_t>(255 - 37 * k);
            const auto r = static_cast<std::uint8_t>(17 + 45 * k);
            if (c.entryBits <= 16) {
                const int v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
                spec.colorMap->insert(spec.colorMap->end(), {std::uint8_t(v & 0xFF), std::uint8_t(v >> 8)});
            } else {
                spec.colorMap->insert(spec.colorMap->end(), {b, g, r});
                if (c.entryBits == 32)
                    spec.colorMap->push_back(0x40);
            }
        }
        for (auto& p : spec.picture)
            p.blue = static_cast<std::uint8_t>(c.first + p.blue % kEntries);
    }
    Bytes expected;
    for (const auto& p : spec.picture) {
        const std::uint16_t v = c.entryBits != 0 ? palette[static_cast<std::size_t>(p.blue - c.first)]
                                                 : NarrowToRgb565(p.blue, p.blue, p.blue);
        expected.insert(expected.end(),
                        {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)});
    }
    Module1 module;
    const Read read = ReadTga(module, test::MakeTga(spec));
    ASSERT_EQ(read.error, TgaError::None) << Describe(read.error);
    EXPECT_EQ(read.pixels, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, TgaIndexed,
    ::testing::Values(Indexed{"grey", 3, 0, 0, 0}, Indexed{"greyRleTopRight", 11, 0, 0, 0x30},
                      Indexed{"map24", 1, 24, 0, 0}, Indexed{"map32Origin5", 1, 32, 5, 0x20},
                      Indexed{"map16", 1, 16, 0, 0x10}, Indexed{"map15Origin250", 1, 15, 250, 0},
                      Indexed{"mapRle24Origin3", 9, 24, 3, 0x20}, Indexed{"greyAlpha", 3, 0, 0, 0, 16},
                      Indexed{"greyAlphaTopRight", 3, 0, 0, 0x30, 16},
                      Indexed{"greyAlphaRle", 11, 0, 0, 0x10, 16},
                      Indexed{"greyAlphaRleTopLeft", 11, 0, 0, 0x20, 16}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
