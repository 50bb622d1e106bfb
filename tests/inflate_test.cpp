// libdeflate against zlib: every way of reading a GFP gives the same pixels and refusals
// with either; fast packing writes streams zlib reads back to the same pixels.

#include "formats/inflate.h"
#include "formats/module1.h"
#include "jobs/convert.h"
#include "tests/support/builders.h"

#include <gtest/gtest.h>

#include <zlib.h>

using namespace varnox;

namespace {

// What each reader made of one file.
struct Outcome {
    GfpError whole = GfpError::None;
    Bytes pixels;
    std::array<std::uint8_t, kGfpPixelHeaderSize> pixelBlock{};
    GfpError rowwise = GfpError::None;
    Bytes rows;
    std::string refusal; // of GFP -> TGA, empty when written
    Bytes tga;

    bool operator==(const Outcome&) const = default;
};

Outcome ReadEveryWay(const Path& gfp, Inflation inflation)
{
    SetInflation(inflation);
    Outcome o;
    Module1 module;
    o.pixels = module.ReadGfpPixels(gfp, &o.whole);
    o.pixelBlock = module.GfpPixelHeader.bytes;
    o.rowwise = Module1().ReadGfpPixelRows(
        gfp, [](const GfpPixelHeaderRecord&) { return true; },
        [&](std::int32_t, std::span<const std::uint8_t> row) {
            o.rows.insert(o.rows.end(), row.begin(), row.end());
        });
    const test::TempDir dir;
    std::filesystem::copy_file(gfp, dir / "p.gfp");
    const auto job = jobs::ConvertGfpToTga(module, dir.path(), {"p.gfp"}, 0, 0);
    if (!job.refused.empty())
        o.refusal = job.refused.front().reason;
    o.tga = test::ReadBytes(dir / "p.tga");
    SetInflation(Inflation::Libdeflate);
    return o;
}

void ExpectSameBothWays(const Path& gfp)
{
    const Outcome fast = ReadEveryWay(gfp, Inflation::Libdeflate);
    const Outcome zlib = ReadEveryWay(gfp, Inflation::ZlibOnly);
    EXPECT_EQ(fast.whole, zlib.whole) << Describe(fast.whole) << " / " << Describe(zlib.whole);
    EXPECT_EQ(fast.rowwise, zlib.rowwise) << Describe(fast.rowwise) << " / " << Describe(zlib.rowwise);
    EXPECT_EQ(fast.refusal, zlib.refusal);
    EXPECT_TRUE(fast == zlib);
}

// The kept fuzz inputs, among them streams libdeflate reads and zlib refuses.
TEST(InflateCrossCheck, KeptFuzzInputs)
{
    int files = 0;
    for (const char* folder : {"gfp", "gfp2tga"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(Path(VARNOX_FUZZ_REGRESSIONS) / folder)) {
            if (entry.path().filename() == ".keep")
                continue;
            SCOPED_TRACE(entry.path().string());
            ExpectSameBothWays(entry.path());
            ++files;
        }
    }
    EXPECT_GE(files, 6);
}

struct Damage {
    const char* name;
    void (*apply)(Bytes&);
    friend std::ostream& operator<<(std::ostream& os, const Damage& d) { return os << d.name; }
};

class InflateCrossCheckTest : public testing::TestWithParam<Damage> {};

// Pictures of more than a mebibyte, inflated beside the check on a second thread.
TEST_P(InflateCrossCheckTest, SameOutcome)
{
    test::GfpSpec spec;
    spec.width = 1024;
    spec.height = 600;
    spec.pixels = test::PatternPixels(1024, 600, 2, 3);
    Bytes gfp = test::MakeGfp(spec);
    GetParam().apply(gfp);
    const test::TempDir dir;
    test::WriteBytes(dir / "p.gfp", gfp);
    ExpectSameBothWays(dir / "p.gfp");
}

INSTANTIATE_TEST_SUITE_P(
    Damages, InflateCrossCheckTest,
    testing::Values(Damage{"Whole", [](Bytes&) {}},
                    Damage{"ByteFlipped", [](Bytes& b) { b[140 + (b.size() - 140) / 2] ^= 0x21; }},
                    Damage{"ChecksumFlipped", [](Bytes& b) { b.back() ^= 1; }},
                    Damage{"StreamCut",
                           [](Bytes& b) {
                               PutLe32(b, test::kGfpStoredSizeAt, Le32(&b[test::kGfpStoredSizeAt]) - 9);
                           }},
                    Damage{"LongerThanPicture", [](Bytes& b) { PutLe32(b, test::kGfpHeightAt, 599); }},
                    Damage{"FarLongerThanBuffer", [](Bytes& b) { PutLe32(b, test::kGfpHeightAt, 300); }},
                    Damage{"ShorterThanPicture", [](Bytes& b) { PutLe32(b, test::kGfpHeightAt, 601); }},
                    Damage{"BytesAfterStream", [](Bytes& b) { b.insert(b.end(), 7, 0x5A); }},
                    Damage{"DictionaryFlag",
                           [](Bytes& b) {
                               b[141] = 0x20;
                               b[141] = static_cast<std::uint8_t>(b[141] + 31 - (b[140] * 256 + b[141]) % 31);
                           }}),
    test::CaseName());

// A fast-packed GFP's stream, read by zlib alone.
Bytes ZlibPixels(const Bytes& gfp, std::int32_t rawSize)
{
    Bytes stream(gfp.begin() + kGfpStreamAt, gfp.end());
    EXPECT_EQ(UncompressBlock(stream, rawSize), Z_OK);
    return stream;
}

struct Picture {
    const char* name;
    std::int32_t width, height;
    Bytes pixels;
    friend std::ostream& operator<<(std::ostream& os, const Picture& p) { return os << p.name; }
};

Bytes Gradient(std::int32_t width, std::int32_t height)
{
    Bytes pixels;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            pixels.insert(pixels.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y / 4)});
    return pixels;
}

class FastPackingTest : public testing::TestWithParam<Picture> {};

TEST_P(FastPackingTest, ZlibReadsTheSamePixels)
{
    const Picture& p = GetParam();
    GfpHead head;
    head.pixel.setWidth(p.width);
    head.pixel.setHeight(p.height);
    const Bytes gfp = MakeGfp(head, p.pixels, GfpPacking::Fast);
    ASSERT_GE(gfp.size(), static_cast<std::size_t>(kGfpStreamAt));
    EXPECT_EQ(gfp[test::kGfpCompressionAt], kGfpCompressionZlib);
    EXPECT_EQ(Le32(&gfp[test::kGfpStoredSizeAt]), static_cast<std::int32_t>(gfp.size() - kGfpStreamAt + 8));
    EXPECT_EQ(ZlibPixels(gfp, static_cast<std::int32_t>(p.pixels.size())), p.pixels);
}

INSTANTIATE_TEST_SUITE_P(Pictures, FastPackingTest,
                         testing::Values(Picture{"Empty", 0, 0, {}}, Picture{"OnePixel", 1, 1, {0x34, 0x12}},
                                         Picture{"Pattern", 33, 17, test::PatternPixels(33, 17, 2, 9)},
                                         Picture{"Gradient", 700, 500, Gradient(700, 500)}),
                         test::CaseName());

} // namespace
