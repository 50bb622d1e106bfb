#include "formats/module1.h"
#include "tests/support/builders.h"
#include "tests/support/tga_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace varnox;
using test::Bgra;
using test::TgaSpec;

namespace {

using Calls = std::vector<std::pair<int, bool>>;

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
    read.pixels = module.ReadTgaAsRgb565(dir / "p.tga", &read.error,
                                         [&read](int row, bool done) { read.calls.emplace_back(row, done); });
    return read;
}

// The picture as RGB565 bytes, top row first: each 8-bit channel narrowed.
Bytes Expected24(const std::vector<Bgra>& picture)
{
    Bytes out;
    for (const Bgra& p : picture) {
        const int v = (p.red >> 3) << 11 | (p.green >> 2) << 5 | (p.blue >> 3);
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    return out;
}

TEST(TgaRead, TwoByTwoExample)
{
    TgaSpec spec;
    spec.pixelData = Bytes{0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF};
    const Bytes file = test::MakeTga(spec);
    Module1 module;
    const Read read = ReadTga(module, file);
    EXPECT_EQ(read.error, TgaError::None);
    EXPECT_EQ(read.pixels, (Bytes{0xE0, 0x07, 0xFF, 0xFF, 0x1F, 0x00, 0x00, 0xF8}));
    EXPECT_EQ(read.calls, (Calls{{1, false}, {2, false}, {2, true}}));
    EXPECT_TRUE(std::equal(module.TgaHeader.bytes.begin(), module.TgaHeader.bytes.end(), file.begin()));
}

TEST(TgaRead, GreyHundredAndFiveFiveFiveGreen)
{
    Module1 module;
    TgaSpec grey;
    grey.width = 1;
    grey.height = 1;
    grey.pixelData = Bytes{0x64, 0x64, 0x64};
    EXPECT_EQ(ReadTga(module, test::MakeTga(grey)).pixels, (Bytes{0x2C, 0x63}));

    // 5-5-5 pixels: green 31, 16 and 1 widen to 255, 128, 15 and narrow to 63, 32, 3;
    // red and blue keep their 5 bits; the top (attribute) bit is ignored.
    TgaSpec five;
    five.width = 3;
    five.height = 1;
    five.pixelDepth = 16;
    five.pixelData = Bytes{0xE0, 0x03, 0x00, 0x82, 0x3F, 0xFC};
    const Read read = ReadTga(module, test::MakeTga(five));
    ASSERT_EQ(read.error, TgaError::None);
    EXPECT_EQ(read.pixels, (Bytes{0xE0, 0x07, 0x00, 0x04, 0x7F, 0xF8}));
}

// Every accepted variant yields the same upright picture.
struct Variant {
    std::string name;
    void (*shape)(TgaSpec&);
};

class TgaVariants : public ::testing::TestWithParam<Variant> {};

TEST_P(TgaVariants, ReadUpright)
{
    TgaSpec spec;
    spec.width = 5;
    spec.height = 3;
    spec.picture = test::PatternPicture(spec.width, spec.height);
    GetParam().shape(spec);
    const bool fiveBit = spec.pixelDepth == 15 || spec.pixelDepth == 16;
    if (fiveBit) {
        // 5-5-5 keeps the top 5 bits of red and blue; green 31 widens to 255 and narrows to 63.
        for (auto& p : spec.picture) {
            p.blue = static_cast<std::uint8_t>(p.blue & 0xF8);
            p.red = static_cast<std::uint8_t>(p.red & 0xF8);
            p.green = 0xF8; // 31 -> 255 -> 63
        }
    }
    Module1 module;
    const Read read = ReadTga(module, test::MakeTga(spec));
    ASSERT_EQ(read.error, TgaError::None) << Describe(read.error);
    Bytes expected = Expected24(spec.picture);
    if (fiveBit)
        for (std::size_t i = 1; i < expected.size(); i += 2)
            expected[i - 1] |= 0xE0, expected[i] |= 0x07; // green 63
    EXPECT_EQ(read.pixels, expected);
    ASSERT_EQ(read.calls.size(), 4u);
    EXPECT_EQ(read.calls.back(), std::make_pair(3, true));
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, TgaVariants,
    ::testing::Values(
        Variant{"bottomLeft24", [](TgaSpec&) {}},
        Variant{"topLeft", [](TgaSpec& s) { s.imageDescriptor = 0x20; }},
        Variant{"bottomRight", [](TgaSpec& s) { s.imageDescriptor = 0x10; }},
        Variant{"topRight", [](TgaSpec& s) { s.imageDescriptor = 0x30; }},
        Variant{"alphaBitsCounted", [](TgaSpec& s) { s.imageDescriptor = 0x08; }},
        Variant{"depth32", [](TgaSpec& s) { s.pixelDepth = 32; }},
        Variant{"depth16", [](TgaSpec& s) { s.pixelDepth = 16; }},
        Variant{"depth15TopLeft", [](TgaSpec& s) { s.pixelDepth = 15, s.imageDescriptor = 0x20; }},
        Variant{"imageId", [](TgaSpec& s) { s.imageId = Bytes{1, 2, 3, 4, 5, 6, 7}; }},
        Variant{"colourMapWithType2",
                [](TgaSpec& s) { s.colorMapType = 1, s.colorMapLength = 5, s.colorMapEntrySize = 24; }},
        Variant{"colourMap15BitEntries",
                [](TgaSpec& s) { s.colorMapType = 1, s.colorMapLength = 3, s.colorMapEntrySize = 15; }},
        Variant{"footerAfterPixels", [](TgaSpec& s) { s.trailer = Bytes(26, 0x55); }},
        Variant{"rleRawPackets", [](TgaSpec& s) { s.imageType = 10; }},
        Variant{"rleOnePixelPackets",
                [](TgaSpec& s) {
                    s.imageType = 10;
                    s.packets.assign(15, {false, 1});
                }},
        Variant{"rleRawAcrossRows",
                [](TgaSpec& s) {
                    s.imageType = 10;
                    s.packets = {{false, 7}, {false, 8}};
                }},
        Variant{"rleRunsAcrossRows",
                [](TgaSpec& s) {
                    // Runs of 7 and 8 pixels: the second and third rows share the second run.
                    s.imageType = 10;
                    s.imageDescriptor = 0x20;
                    for (int i = 0; i < 15; ++i)
                        s.picture[static_cast<std::size_t>(i)] = s.picture[i < 7 ? 0u : 7u];
                    s.packets = {{true, 7}, {true, 8}};
                }},
        Variant{"rleMixed32",
                [](TgaSpec& s) {
                    s.imageType = 10;
                    s.pixelDepth = 32;
                    s.picture[3] = s.picture[4] = s.picture[5] = s.picture[2];
                    // Stored bottom row first: picture rows 2, 1, 0.
                    s.packets = {{false, 5}, {false, 2}, {false, 1}, {false, 4}, {false, 3}};
                }},
        Variant{"rleRunsBottomUp",
                [](TgaSpec& s) {
                    s.imageType = 10;
                    s.imageDescriptor = 0x10;
                    for (auto& p : s.picture)
                        p = s.picture[0];
                    s.packets = {{true, 15}};
                }},
        Variant{"rle16", [](TgaSpec& s) { s.imageType = 10, s.pixelDepth = 16; }}),
    [](const auto& row) { return row.param.name; });

// Refused files: empty result, the reason, the file's header in TgaHeader, no progress.
struct Refused {
    std::string name;
    TgaError error;
    Bytes (*make)();
};

class TgaRefusals : public ::testing::TestWithParam<Refused> {};

Bytes Shaped(void (*shape)(TgaSpec&))
{
    TgaSpec spec;
    spec.width = 4;
    spec.height = 3;
    spec.picture = test::PatternPicture(4, 3);
    shape(spec);
    return test::MakeTga(spec);
}

TEST_P(TgaRefusals, RefusedWithReason)
{
    const Refused& c = GetParam();
    const Bytes file = c.make();
    Module1 module;
    module.TgaHeader.bytes.fill(0x77);
    const Read read = ReadTga(module, file);
    EXPECT_EQ(read.error, c.error) << Describe(read.error);
    EXPECT_TRUE(read.pixels.empty());
    EXPECT_TRUE(read.calls.empty());
    ASSERT_GE(file.size(), kTgaHeaderSize);
    EXPECT_TRUE(std::equal(module.TgaHeader.bytes.begin(), module.TgaHeader.bytes.end(), file.begin()));
    const std::string text = Describe(read.error);
    EXPECT_NE(text, Describe(TgaError::None));
    EXPECT_NE(text, "unbekannter Fehler");
}

INSTANTIATE_TEST_SUITE_P(
    Refused, TgaRefusals,
    ::testing::Values(
        Refused{"colourMapped8", TgaError::ColorMapped,
                [] {
                    return Shaped(
                        [](TgaSpec& s) { s.imageType = 1, s.pixelDepth = 8, s.pixelData = Bytes(12); });
                }},
        Refused{"colourMapped24", TgaError::ColorMapped,
                [] { return Shaped([](TgaSpec& s) { s.imageType = 1; }); }},
        Refused{"colourMappedRle", TgaError::ColorMapped,
                [] {
                    return Shaped(
                        [](TgaSpec& s) { s.imageType = 9, s.pixelDepth = 8, s.pixelData = Bytes(24); });
                }},
        Refused{"grey", TgaError::Grey,
                [] {
                    return Shaped(
                        [](TgaSpec& s) { s.imageType = 3, s.pixelDepth = 8, s.pixelData = Bytes(12); });
                }},
        Refused{"greyRle", TgaError::Grey,
                [] {
                    return Shaped(
                        [](TgaSpec& s) { s.imageType = 11, s.pixelDepth = 8, s.pixelData = Bytes(24); });
                }},
        Refused{"noImage", TgaError::ImageType, [] { return Shaped([](TgaSpec& s) { s.imageType = 0; }); }},
        Refused{"depth8TrueColour", TgaError::PixelDepth,
                [] { return Shaped([](TgaSpec& s) { s.pixelDepth = 8, s.pixelData = Bytes(12); }); }},
        Refused{"depth48", TgaError::PixelDepth,
                [] { return Shaped([](TgaSpec& s) { s.pixelDepth = 48, s.pixelData = Bytes(72); }); }},
        Refused{"negativeWidth", TgaError::Size,
                [] { return Shaped([](TgaSpec& s) { s.width = -4, s.pixelData = Bytes(36); }); }},
        Refused{"negativeHeight", TgaError::Size,
                [] { return Shaped([](TgaSpec& s) { s.height = -3, s.pixelData = Bytes(36); }); }},
        Refused{"tooLarge", TgaError::TooLarge,
                [] {
                    return Shaped(
                        [](TgaSpec& s) { s.width = 32767, s.height = 32767, s.pixelData = Bytes(36); });
                }},
        Refused{"rawOneByteShort", TgaError::PixelData,
                [] {
                    Bytes b = Shaped([](TgaSpec&) {});
                    b.pop_back();
                    return b;
                }},
        Refused{"imageIdEatsPixels", TgaError::PixelData,
                [] { return Shaped([](TgaSpec& s) { s.imageId = Bytes(1, 9), s.pixelData = Bytes(35); }); }},
        Refused{"colourMapPastEnd", TgaError::PixelData,
                [] {
                    Bytes b = Shaped([](TgaSpec&) {});
                    b[1] = 1, b[5] = 200, b[7] = 24; // a map that is not in the file
                    return b;
                }},
        Refused{"rleEndsInPacket", TgaError::PixelData,
                [] {
                    Bytes b = Shaped([](TgaSpec& s) { s.imageType = 10; });
                    b.resize(b.size() - 2);
                    return b;
                }},
        Refused{"rleEndsBetweenPackets", TgaError::PixelData,
                [] { return Shaped([](TgaSpec& s) {
                         s.imageType = 10, s.packets = {{true, 8}};
                     }); }},
        Refused{"rleRunPastPicture", TgaError::RleData,
                [] {
                    return Shaped([](TgaSpec& s) { s.imageType = 10, s.packets = {{false, 4}, {true, 9}}; });
                }},
        Refused{"rleRawPastPicture", TgaError::RleData,
                [] { return Shaped([](TgaSpec& s) {
                         s.imageType = 10, s.packets = {{false, 13}};
                     }); }},
        Refused{"rleHugeClaimTinyFile", TgaError::PixelData,
                [] {
                    return Shaped([](TgaSpec& s) {
                        s.imageType = 10, s.width = 16000, s.height = 16000, s.pixelData = Bytes(8);
                    });
                }}),
    [](const auto& row) { return row.param.name; });

TEST(TgaRead, ShortOrMissingFileKeepsTheRecord)
{
    Module1 module;
    module.TgaHeader.bytes.fill(0x77);
    const auto before = module.TgaHeader.bytes;
    EXPECT_EQ(ReadTga(module, Bytes(17, 0)).error, TgaError::Truncated);
    EXPECT_EQ(module.TgaHeader.bytes, before);

    test::TempDir dir;
    TgaError error = TgaError::None;
    EXPECT_TRUE(module.ReadTgaAsRgb565(dir / "missing.tga", &error).empty());
    EXPECT_EQ(error, TgaError::CannotOpen);
    EXPECT_TRUE(module.lastIoError);
    EXPECT_EQ(module.TgaHeader.bytes, before);
}

TEST(TgaRead, EmptyPictures)
{
    Module1 module;
    TgaSpec noColumns;
    noColumns.width = 0;
    noColumns.height = 3;
    const Read rows = ReadTga(module, test::MakeTga(noColumns));
    EXPECT_EQ(rows.error, TgaError::None);
    EXPECT_TRUE(rows.pixels.empty());
    EXPECT_EQ(rows.calls, (Calls{{1, false}, {2, false}, {3, false}, {3, true}}));

    TgaSpec nothing;
    nothing.width = 0;
    nothing.height = 0;
    nothing.imageType = 10;
    const Read none = ReadTga(module, test::MakeTga(nothing));
    EXPECT_EQ(none.error, TgaError::None);
    EXPECT_EQ(none.calls, (Calls{{0, true}}));
}

}  // namespace
