// GFP pictures: zlib buffer sizes and blocks, ReadGfpPixels on whole and damaged files.

#include "formats/describe.h"
#include "formats/module1.h"
#include "tests/support/builders.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <zlib.h>

using namespace varnox;
using test::GfpSpec;

namespace {

Bytes Compressed(const Bytes& plain)
{
    Bytes data = plain;
    EXPECT_EQ(CompressBlock(data, -1), Z_OK);
    return data;
}

TEST(ZlibBufferSize, RoundsHalfToEven)
{
    const std::pair<std::int64_t, std::int64_t> cases[] = {{0, 12},    {1, 13},    {50, 62},
                                                           {100, 113}, {150, 164}, {614400, 620556}};
    for (const auto& [n, size] : cases)
        EXPECT_EQ(ZlibBufferSize(n), size) << n;
}

TEST(ZlibBlocks, UncompressPadsOrCutsToRawSize)
{
    const Bytes plain = test::PatternPixels(10, 10, 2);
    struct Case {
        std::int32_t rawSize;
        int code;
    };
    // Shorter than the stream: cut; longer: zero bytes follow.
    for (const Case c : {Case{200, Z_OK}, Case{50, Z_BUF_ERROR}, Case{300, Z_OK}, Case{0, Z_BUF_ERROR}}) {
        Bytes data = Compressed(plain);
        EXPECT_EQ(UncompressBlock(data, c.rawSize), c.code) << c.rawSize;
        ASSERT_EQ(data.size(), static_cast<std::size_t>(c.rawSize));
        const auto common = std::min<std::size_t>(plain.size(), data.size());
        EXPECT_TRUE(
            std::equal(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(common), plain.begin()));
        EXPECT_TRUE(std::all_of(data.begin() + static_cast<std::ptrdiff_t>(common), data.end(),
                                [](std::uint8_t b) { return b == 0; }));
    }
}

TEST(ZlibBlocks, NegativeRawSizeFailsAndKeepsData)
{
    Bytes data = Compressed(Bytes(16, 3));
    const Bytes before = data;
    EXPECT_EQ(UncompressBlock(data, -1), Z_BUF_ERROR);
    EXPECT_EQ(data, before);
}

TEST(ZlibBlocks, CompressEmptyGivesStreamOfNothing)
{
    Bytes data;
    EXPECT_EQ(CompressBlock(data, -1), Z_OK);
    EXPECT_FALSE(data.empty());
    EXPECT_LE(data.size(), 12u);
    EXPECT_EQ(UncompressBlock(data, 0), Z_OK);
    EXPECT_TRUE(data.empty());
}

// Records as a read left them, to compare before and after.
struct Records {
    GfpPictureHeaderRecord picture;
    GfpPixelHeaderRecord pixel;
};

Records Take(const Module1& m)
{
    return {m.GfpPictureHeader, m.GfpPixelHeader};
}

void Set32(Bytes& b, std::size_t at, std::int32_t v)
{
    PutLe32(b, at, v);
}

struct ReadCase {
    const char* name;
    GfpSpec spec;
    std::function<void(Bytes&)> damage;
    GfpError error;
    std::function<Bytes(const Bytes& file, const Bytes& pixels)> expected;
    std::int32_t rawSizeAfter;
    friend std::ostream& operator<<(std::ostream& os, const ReadCase& c) { return os << c.name; }
};

const Bytes kPixels = test::PatternPixels(4, 2, 2);

GfpSpec Picture(bool compressed = true)
{
    GfpSpec spec;
    spec.pixels = kPixels;
    spec.compressed = compressed;
    spec.filler = 9;
    return spec;
}

constexpr std::int32_t kLargeBytes = 1000 * 600 * 2;

GfpSpec Large(bool compressed = true)
{
    GfpSpec spec;
    spec.width = 1000;
    spec.height = 600;
    spec.pixels = test::PatternPixels(1000, 600, 2, 5);
    spec.compressed = compressed;
    return spec;
}

const auto Same = [](const Bytes&, const Bytes& pixels) { return pixels; };
const auto Zeros16 = [](const Bytes&, const Bytes&) { return Bytes(16, 0); };
const auto StreamAsRead = [](const Bytes& file, const Bytes&) {
    return Bytes(file.begin() + 140, file.end());
};

class ReadGfpPixelsTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadGfpPixelsTest, ResultErrorAndRecords)
{
    const ReadCase& c = GetParam();
    Bytes file = test::MakeGfp(c.spec);
    if (c.damage)
        c.damage(file);
    test::TempDir dir;
    test::WriteBytes(dir / "p.gfp", file);
    Module1 module;
    Bytes result;
    const GfpError error = CodeOf<GfpError>(module.ReadGfpPixels(dir / "p.gfp", result));
    EXPECT_EQ(error, c.error) << Describe(error);
    EXPECT_EQ(result, c.expected(file, c.spec.pixels));
    EXPECT_EQ(module.GfpPixelHeader.rawSize(), c.rawSizeAfter);
    // Both blocks are byte-exact images of the file.
    EXPECT_TRUE(std::equal(module.GfpPictureHeader.bytes.begin(), module.GfpPictureHeader.bytes.end(),
                           file.begin() + 4));
    Bytes pixelBlock(file.begin() + 60, file.begin() + 132);
    Set32(pixelBlock, 40, c.rawSizeAfter);
    EXPECT_TRUE(std::equal(pixelBlock.begin(), pixelBlock.end(), module.GfpPixelHeader.bytes.begin()));

    // Reading row by row finds the same outcome, and on success the same pixels.
    Module1 rowwise;
    Bytes rows;
    std::int32_t nextRow = 0;
    const GfpError rowError = CodeOf<GfpError>(rowwise.ReadGfpPixelRows(
        dir / "p.gfp", [](const GfpPixelHeaderRecord&) { return true; },
        [&](std::int32_t row, std::span<const std::uint8_t> bytes) {
            EXPECT_EQ(row, nextRow++);
            rows.insert(rows.end(), bytes.begin(), bytes.end());
        }));
    EXPECT_EQ(rowError, c.error) << Describe(rowError);
    if (c.error == GfpError::None) {
        EXPECT_EQ(rows, result);
    }
    EXPECT_EQ(rowwise.GfpPixelHeader.bytes, module.GfpPixelHeader.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadGfpPixelsTest,
    testing::Values(
        ReadCase{"Compressed4x2", Picture(), {}, GfpError::None, Same, 16},
        ReadCase{"FileRawSizeReplaced", Picture(), [](Bytes& b) { Set32(b, test::kGfpRawSizeAt, 999); },
                 GfpError::None, Same, 16},
        ReadCase{"ZeroWidth", Picture(), [](Bytes& b) { Set32(b, test::kGfpWidthAt, 0); }, GfpError::None,
                 [](const Bytes&, const Bytes&) { return Bytes{}; }, 0},
        ReadCase{"SixBitsPerPixel", Picture(), [](Bytes& b) { Set32(b, test::kGfpBitsPerPixelAt, 6); },
                 GfpError::None, [](const Bytes&, const Bytes&) { return Bytes{}; }, 0},
        ReadCase{"ShortStream", Picture(), [](Bytes& b) { Set32(b, test::kGfpHeightAt, 3); },
                 GfpError::ShortPixels,
                 [](const Bytes&, const Bytes& p) {
                     Bytes r = p;
                     r.resize(24, 0);
                     return r;
                 },
                 24},
        ReadCase{"LongStream", Picture(), [](Bytes& b) { Set32(b, test::kGfpHeightAt, 1); }, GfpError::None,
                 [](const Bytes&, const Bytes& p) { return Bytes(p.begin(), p.begin() + 8); }, 8},
        ReadCase{"StoredSizeEight", Picture(), [](Bytes& b) { Set32(b, test::kGfpStoredSizeAt, 8); },
                 GfpError::ZlibData, Zeros16, 16},
        ReadCase{"StoredSizeBelowEight", Picture(), [](Bytes& b) { Set32(b, test::kGfpStoredSizeAt, -3); },
                 GfpError::StoredSize, Zeros16, 16},
        ReadCase{"DamagedStream", Picture(), [](Bytes& b) { b[140] = 0xFF; }, GfpError::ZlibData, Zeros16,
                 16},
        ReadCase{"StreamCut", Picture(), [](Bytes& b) { b.resize(b.size() - 4); }, GfpError::PayloadPastEnd,
                 [](const Bytes&, const Bytes& p) { return p; }, 16},
        // The stream is whole; only the field claims more than the file holds.
        ReadCase{"StoredSizeHuge", Picture(), [](Bytes& b) { Set32(b, test::kGfpStoredSizeAt, INT_MAX); },
                 GfpError::PayloadPastEnd, Same, 16},
        ReadCase{"ProductOverflows", Picture(),
                 [](Bytes& b) {
                     Set32(b, test::kGfpWidthAt, 65536);
                     Set32(b, test::kGfpHeightAt, 65536);
                 },
                 GfpError::RawSize, Same, 16},
        ReadCase{"NegativeRawSize", Picture(), [](Bytes& b) { Set32(b, test::kGfpWidthAt, -4); },
                 GfpError::RawSize, StreamAsRead, -16},
        ReadCase{"RawSizeAboveLimit", Picture(),
                 [](Bytes& b) {
                     Set32(b, test::kGfpWidthAt, 16384);
                     Set32(b, test::kGfpHeightAt, 16384);
                     Set32(b, test::kGfpBitsPerPixelAt, 39);
                 },
                 GfpError::RawSize, StreamAsRead, 16384 * 16384 * 5},
        ReadCase{"Uncompressed", Picture(false), {}, GfpError::None, Same, 16},
        ReadCase{"UncompressedCut", Picture(false), [](Bytes& b) { b.resize(b.size() - 5); },
                 GfpError::PayloadPastEnd,
                 [](const Bytes&, const Bytes& p) {
                     Bytes r(p.begin(), p.end() - 5);
                     r.resize(16, 0);
                     return r;
                 },
                 16},
        ReadCase{"UncompressedAnyNon11", Picture(false), [](Bytes& b) { b[test::kGfpCompressionAt] = 10; },
                 GfpError::None, Same, 16},
        // Larger than one piece of stream and one chunk of rows read at a time.
        ReadCase{"ManyRows", Large(), {}, GfpError::None, Same, kLargeBytes},
        ReadCase{"ManyRowsUncompressed", Large(false), {}, GfpError::None, Same, kLargeBytes},
        // The stream gives far more than the buffer of 1 % over the picture: cut, not refused.
        ReadCase{"StreamFarLongerThanBuffer", Large(), [](Bytes& b) { Set32(b, test::kGfpHeightAt, 100); },
                 GfpError::None,
                 [](const Bytes&, const Bytes& p) { return Bytes(p.begin(), p.begin() + 200000); }, 200000}),
    test::CaseName());

struct TagCase {
    const char* name;
    std::function<void(Bytes&)> damage;
    GfpError error;
    bool pictureFromFile;
    friend std::ostream& operator<<(std::ostream& os, const TagCase& c) { return os << c.name; }
};

class MissingTagTest : public testing::TestWithParam<TagCase> {};

// A read that stops at a tag keeps the blocks it did not reach; the result is the
// earlier rawSize in zero bytes.
TEST_P(MissingTagTest, KeepsEarlierRecords)
{
    test::TempDir dir;
    GfpSpec first = Picture();
    first.filler = 1;
    test::WriteBytes(dir / "first.gfp", test::MakeGfp(first));
    GfpSpec second;
    second.width = 3;
    second.height = 3;
    second.filler = 77;
    Bytes bad = test::MakeGfp(second);
    GetParam().damage(bad);
    test::WriteBytes(dir / "bad.gfp", bad);

    Module1 module;
    Bytes firstPixels;
    ASSERT_TRUE(module.ReadGfpPixels(dir / "first.gfp", firstPixels).ok());
    ASSERT_EQ(firstPixels, kPixels);
    const Records before = Take(module);
    Bytes result;
    EXPECT_EQ(CodeOf<GfpError>(module.ReadGfpPixels(dir / "bad.gfp", result)), GetParam().error);
    EXPECT_EQ(result, Bytes(16, 0));
    EXPECT_EQ(module.GfpPixelHeader.bytes, before.pixel.bytes);
    if (GetParam().pictureFromFile)
        EXPECT_TRUE(std::equal(module.GfpPictureHeader.bytes.begin(), module.GfpPictureHeader.bytes.end(),
                               bad.begin() + 4));
    else
        EXPECT_EQ(module.GfpPictureHeader.bytes, before.picture.bytes);

    // A fresh module has read nothing: no bytes at all.
    Module1 fresh;
    Bytes freshResult{1};
    (void)fresh.ReadGfpPixels(dir / "bad.gfp", freshResult);
    EXPECT_TRUE(freshResult.empty());
    EXPECT_EQ(Take(fresh).pixel.bytes, GfpPixelHeaderRecord{}.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingTagTest,
    testing::Values(TagCase{"LowerCaseFirst", [](Bytes& b) { std::copy_n("nalp", 4, b.begin()); },
                            GfpError::FirstTag, false},
                    TagCase{"ShortFile", [](Bytes& b) { b.resize(3); }, GfpError::FirstTag, false},
                    TagCase{"SecondMissing", [](Bytes& b) { b[57] = 'X'; }, GfpError::SecondTag, true},
                    TagCase{"CutInPictureBlock", [](Bytes& b) { b.resize(30); }, GfpError::PictureHeader,
                            false},
                    TagCase{"CutInPixelBlock", [](Bytes& b) { b.resize(100); }, GfpError::PixelHeader, true}),
    test::CaseName());

TEST(ReadGfpPixels, PathThatCannotBeOpenedReadsAsNoTag)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "folder.gfp");
    for (const Path& path : {dir / "missing.gfp", dir / "folder.gfp"}) {
        Module1 module;
        Bytes pixels{1};
        EXPECT_EQ(CodeOf<GfpError>(module.ReadGfpPixels(path, pixels)), GfpError::CannotOpen) << path;
        EXPECT_TRUE(pixels.empty());
    }
}

} // namespace

namespace {

// The one GFP writer: the same bytes as the hand-made layout of the test builder (whose
// stream is compress2's of the whole picture), for a picture spanning several pieces of
// the packer and of the row source; and the row source gives the pixels back.
TEST(GfpWriter, MatchesTheLayoutAndReadsBack)
{
    for (const bool compressed : {true, false}) {
        const Bytes pixels = test::PatternPixels(1200, 900, 2);
        const Bytes expected = test::MakeGfp({.width = 1200,
                                              .height = 900,
                                              .pixels = pixels,
                                              .compressed = compressed,
                                              .rawMark = std::uint8_t(compressed ? 0 : 1)});
        GfpHead head;
        head.pixel.setWidth(1200);
        head.pixel.setHeight(900);
        const Bytes written = MakeGfp(head, pixels, compressed ? GfpPacking::Zlib : GfpPacking::Uncompressed);
        EXPECT_TRUE(written == expected) << "compressed " << compressed;

        test::TempDir dir;
        test::WriteBytes(dir / "p.gfp", written);
        auto source = OpenGfpSource(dir / "p.gfp");
        ASSERT_TRUE(source.ok()) << Describe(source.error());
        Bytes row((*source)->Info().RowBytes());
        Bytes read;
        for (int y = 0; y < 900; ++y) {
            ASSERT_TRUE((*source)->ReadRow(row).ok()) << y;
            read.insert(read.end(), row.begin(), row.end());
        }
        EXPECT_TRUE(read == pixels);
    }
}

} // namespace
