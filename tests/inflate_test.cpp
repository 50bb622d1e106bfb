// libdeflate reads what zlib reads: wherever zlib's uncompress() reads a GFP's stream, every
// way of reading the GFP gives its pixels; fast packing writes streams zlib reads back to
// the same pixels.

#include "formats/describe.h"
#include "formats/module1.h"
#include "fuzz/fuzz_support.h"
#include "jobs/convert.h"
#include "tests/support/builders.h"

#include <gtest/gtest.h>

#include <zlib.h>

using namespace varnox;

namespace {

// Every way of reading the GFP at path gives zlib's pixels where zlib reads its stream;
// where it does not, a refusal names the stream's damage or libdeflate read it.
void ExpectZlibsPixels(const Path& gfp)
{
    const Bytes file = test::ReadBytes(gfp);
    const auto reference = fuzz::ZlibPixels(file);
    Module1 module;
    Bytes pixels;
    const GfpError whole = CodeOf<GfpError>(module.ReadGfpPixels(gfp, pixels));
    Bytes rows;
    const GfpError rowwise = CodeOf<GfpError>(Module1().ReadGfpPixelRows(
        gfp, [](const GfpPixelHeaderRecord&) { return true; },
        [&](std::int32_t, std::span<const std::uint8_t> row) {
            rows.insert(rows.end(), row.begin(), row.end());
        }));
    EXPECT_EQ(whole, rowwise) << Describe(whole) << " / " << Describe(rowwise);
    if (!reference)
        return;
    EXPECT_EQ(whole, GfpError::None) << Describe(whole);
    EXPECT_TRUE(pixels == *reference);
    if (module.GfpPixelHeader.width() >= 0 && module.GfpPixelHeader.height() >= 0) {
        EXPECT_TRUE(rows == *reference);
    }
}

// The kept fuzz inputs and the seed corpus, among them streams libdeflate reads and zlib
// refuses.
TEST(InflateCrossCheck, KeptFuzzInputs)
{
    int files = 0;
    int zlibRead = 0;
    for (const Path& folder :
         {Path(VARNOX_FUZZ_REGRESSIONS) / "gfp", Path(VARNOX_FUZZ_REGRESSIONS) / "gfp2tga",
          Path(VARNOX_FUZZ_SEEDS) / "gfp", Path(VARNOX_FUZZ_SEEDS) / "gfp2tga"}) {
        std::error_code missing;
        for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
            if (!entry.is_regular_file() || entry.path().filename() == ".keep" ||
                entry.path().filename() == "stamp")
                continue;
            SCOPED_TRACE(entry.path().string());
            ExpectZlibsPixels(entry.path());
            zlibRead += fuzz::ZlibPixels(test::ReadBytes(entry.path())) ? 1 : 0;
            ++files;
        }
    }
    EXPECT_GE(files, 6);
    EXPECT_GE(zlibRead, 1);
}

struct Damage {
    const char* name;
    void (*apply)(Bytes&);
    friend std::ostream& operator<<(std::ostream& os, const Damage& d) { return os << d.name; }
};

class InflateCrossCheckTest : public testing::TestWithParam<Damage> {};

// A photograph, whose stream is long beside its picture, read by every reader as zlib reads it.
TEST(InflateCrossCheck, Photo)
{
    test::GfpSpec spec;
    spec.width = 1500;
    spec.height = 1500;
    spec.pixels = test::PhotoPixels(spec.width, spec.height, 7);
    const test::TempDir dir;
    test::WriteBytes(dir / "p.gfp", test::MakeGfp(spec));
    ExpectZlibsPixels(dir / "p.gfp");
}

// Pictures of more than a mebibyte, inflated whole.
TEST_P(InflateCrossCheckTest, ZlibsPixels)
{
    test::GfpSpec spec;
    spec.width = 1024;
    spec.height = 600;
    spec.pixels = test::PatternPixels(1024, 600, 2, 3);
    Bytes gfp = test::MakeGfp(spec);
    GetParam().apply(gfp);
    const test::TempDir dir;
    test::WriteBytes(dir / "p.gfp", gfp);
    ExpectZlibsPixels(dir / "p.gfp");
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
                               const int flags = 0x20; // a preset dictionary, check bits made right
                               b[141] = static_cast<std::uint8_t>(flags + 31 - (b[140] * 256 + flags) % 31);
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

INSTANTIATE_TEST_SUITE_P(
    Pictures, FastPackingTest,
    testing::Values(Picture{"Empty", 0, 0, {}}, Picture{"OnePixel", 1, 1, {0x34, 0x12}},
                    Picture{"Pattern", 33, 17, test::PatternPixels(33, 17, 2, 9)},
                    Picture{"Gradient", 700, 500, Gradient(700, 500)},
                    // Noise: a stream longer than its picture.
                    Picture{"Noise", 2800, 2700, test::RandomBytes(2800 * 2700 * 2, 5)},
                    // Photographs below and above the size that packs at the quicker level.
                    Picture{"SmallPhoto", 600, 400, test::PhotoPixels(600, 400)},
                    Picture{"LargePhoto", 1500, 1500, test::PhotoPixels(1500, 1500)}),
    test::CaseName());

} // namespace
