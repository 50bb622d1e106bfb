// The PNG reader against pictures written here in every colour type, depth and interlacing;
// the writer by round trip; damaged files and unwritable targets refused, touching nothing.

#include "formats/describe.h"
#include "formats/png.h"
#include "jobs/convert.h"
#include "tests/support/builders.h"
#include "tests/support/png_builder.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <functional>
#include <grp.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace varnox;
using test::PngColorType;
namespace fs = std::filesystem;

using test::RandomBytes;

namespace {

// Every row of the PNG at path (Rgb24, top row first), or the first error met.
Result<Bytes> ReadPng(const Path& path)
{
    auto source = OpenPngSource(path);
    if (!source)
        return source.error();
    const PictureInfo& info = (*source)->Info();
    EXPECT_EQ(info.format, RowFormat::Rgb24);
    EXPECT_EQ(info.description, "PNG");
    Bytes rows(info.RowBytes() * static_cast<std::size_t>(info.height));
    for (std::size_t at = 0; at < rows.size(); at += info.RowBytes())
        if (Status status = (*source)->ReadRow(std::span(rows).subspan(at, info.RowBytes())); !status)
            return status.error();
    return rows;
}

struct Variant {
    const char* name;
    PngColorType type;
    std::uint8_t depth;
    bool interlaced = false;
    bool transparency = false; // palette with tRNS
    friend std::ostream& operator<<(std::ostream& os, const Variant& v) { return os << v.name; }
};

// A picture of random samples in the variant, and the Rgb24 rows it must read as: grey
// and indices widened, 16-bit samples by their high byte, alpha dropped.
std::pair<test::PngSpec, Bytes> MakeVariant(const Variant& v, std::uint32_t width, std::uint32_t height)
{
    test::PngSpec spec{width, height, v.type, v.depth, v.interlaced};
    std::mt19937 random(width * 131 + height);
    const std::uint32_t maxSample = (1u << v.depth) - 1;
    const std::uint32_t entries = std::min(maxSample + 1, 256u);
    if (v.type == test::kPalette) {
        spec.palette = RandomBytes(entries * 3, entries);
        if (v.transparency)
            spec.paletteAlpha = RandomBytes(std::min(entries, 5u), 2);
    }
    const bool colour = v.type == test::kRgb || v.type == test::kRgba;
    const bool alpha = v.type == test::kGreyAlpha || v.type == test::kRgba;
    auto sample = [&](std::uint32_t limit) {
        const auto value = static_cast<std::uint16_t>(random() % limit);
        spec.samples.push_back(value);
        return value;
    };
    auto widen = [&](std::uint16_t value) {
        return static_cast<std::uint8_t>(v.depth == 16 ? value >> 8 : value * 255 / maxSample);
    };
    Bytes expected;
    for (std::uint32_t i = 0; i < width * height; ++i) {
        if (v.type == test::kPalette) {
            const std::uint16_t index = sample(entries);
            expected.insert(expected.end(), &spec.palette[index * 3], &spec.palette[index * 3 + 3]);
        } else {
            const std::uint8_t first = widen(sample(maxSample + 1));
            expected.push_back(first);
            expected.push_back(colour ? widen(sample(maxSample + 1)) : first);
            expected.push_back(colour ? widen(sample(maxSample + 1)) : first);
        }
        if (alpha)
            sample(maxSample + 1);
    }
    return {spec, expected};
}

class PngVariantTest : public testing::TestWithParam<Variant> {};

// Odd sizes leave part of a byte at the end of packed rows; the small ones leave passes of
// an interlaced picture empty.
TEST_P(PngVariantTest, ReadsEveryRow)
{
    test::TempDir dir;
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{13, 7}, {16, 10}, {1, 1},
                                                             {3, 1},  {1, 9},   {2, 2}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const auto [spec, expected] = MakeVariant(GetParam(), width, height);
        test::WriteBytes(dir / "p.png", test::MakePng(spec));
        const auto rows = ReadPng(dir / "p.png");
        ASSERT_TRUE(rows.ok()) << Describe(rows.error());
        EXPECT_EQ(rows.value(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PngVariantTest,
    testing::Values(Variant{"Grey1", test::kGrey, 1}, Variant{"Grey2", test::kGrey, 2},
                    Variant{"Grey4", test::kGrey, 4}, Variant{"Grey8", test::kGrey, 8},
                    Variant{"Grey16", test::kGrey, 16}, Variant{"GreyAlpha8", test::kGreyAlpha, 8},
                    Variant{"GreyAlpha16", test::kGreyAlpha, 16}, Variant{"Rgb8", test::kRgb, 8},
                    Variant{"Rgb16", test::kRgb, 16}, Variant{"Rgba8", test::kRgba, 8},
                    Variant{"Rgba16", test::kRgba, 16}, Variant{"Palette1", test::kPalette, 1},
                    Variant{"Palette4", test::kPalette, 4}, Variant{"Palette8", test::kPalette, 8},
                    Variant{"Palette8Transparency", test::kPalette, 8, false, true},
                    Variant{"InterlacedGrey2", test::kGrey, 2, true},
                    Variant{"InterlacedRgb8", test::kRgb, 8, true},
                    Variant{"InterlacedRgba16", test::kRgba, 16, true},
                    Variant{"InterlacedPalette4Transparency", test::kPalette, 4, true, true}),
    testing::PrintToStringParamName());

// A PNG sink over a file of its own, put in place by Commit.
struct PngFile {
    explicit PngFile(const Path& target)
    {
        EXPECT_TRUE(file.Open(target));
        sink = MakePngSink(file);
    }
    bool Commit() { return sink->Finish().ok() && file.Commit(); }

    AtomicFile file;
    std::unique_ptr<RowSink> sink;
};

// Writes rows through a PNG sink; stops after the first failure or after rowCount rows.
Status WritePng(RowSink& sink, std::int32_t width, std::int32_t height, const Bytes& rows,
                std::int32_t rowCount)
{
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    Status status = sink.Start(width, height);
    for (std::int32_t y = 0; y < rowCount && status.ok(); ++y)
        status = sink.WriteRow(std::span(rows).subspan(static_cast<std::size_t>(y) * rowBytes, rowBytes));
    return status;
}

TEST(PngSink, RoundTripIsExactAndReplacesTheTarget)
{
    test::TempDir dir;
    test::WriteBytes(dir / "p.png", Bytes{'o', 'l', 'd'});
    const std::pair<std::int32_t, std::int32_t> sizes[] = {{37, 23}, {1, 1}, {600, 3}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const Bytes rows =
            RandomBytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 7);
        PngFile png(dir / "p.png");
        EXPECT_EQ(png.sink->Format(), RowFormat::Rgb24);
        const Status written = WritePng(*png.sink, width, height, rows, height);
        ASSERT_TRUE(written.ok()) << Describe(written.error());
        ASSERT_TRUE(png.Commit());
        const auto read = ReadPng(dir / "p.png");
        ASSERT_TRUE(read.ok()) << Describe(read.error());
        EXPECT_EQ(read.value(), rows);
        EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{"p.png"});
    }
}

// Finish before the last row, or after a row too many, is refused and leaves the old file.
TEST(PngSink, UnfinishedWriteLeavesTheOldFile)
{
    test::TempDir dir;
    test::WriteBytes(dir / "p.png", Bytes{'o', 'l', 'd'});
    const auto before = test::Snapshot(dir.path());
    const Bytes rows = RandomBytes(8 * 5 * 3, 3);
    for (const std::int32_t written : {2, 5}) {
        PngFile png(dir / "p.png");
        EXPECT_EQ(WritePng(*png.sink, 8, 4, rows, written).ok(), written < 5);
        EXPECT_FALSE(png.sink->Finish().ok());
    }
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

// A read-only folder, and a write-protected file in a folder open to all.
TEST(PngSink, UnwritableTargetIsRefusedAndTouchesNothing)
{
    test::TempDir dir;
    const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(dir.path(), fs::perms::all);
    for (const char* folder : {"locked", "open"}) {
        fs::create_directory(dir / folder);
        fs::permissions(dir / folder, fs::perms::all);
        test::WriteBytes(dir / folder / "p.png", Bytes{'o', 'l', 'd'});
        test::WriteBytes(dir / folder / "p.gfp", test::MakeGfp());
    }
    fs::permissions(dir / "locked", write, fs::perm_options::remove);
    fs::permissions(dir / "open" / "p.png", write, fs::perm_options::remove);
    const auto before = test::Snapshot(dir.path());
    for (const char* target : {"locked/p.png", "open/p.png"}) {
        const Path folder = (dir / target).parent_path();
        const int refused = test::RunUnprivileged([&] {
            const auto result = jobs::ConvertGfpFiles(test::PathsOf(folder, {"p.gfp"}, 0, 0),
                                                      {.format = jobs::PictureFormat::Png});
            const std::string message =
                PathText(dir / target) + ": Die Datei kann nicht geschrieben werden: Keine Berechtigung";
            return result.refused.size() == 1 && MessageText(result.refused[0]) == message ? 0 : 1;
        });
        EXPECT_EQ(refused, 0) << target;
    }
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

struct Damage {
    const char* name;
    std::function<void(Bytes&)> change;
    ErrorCode code;
    friend std::ostream& operator<<(std::ostream& os, const Damage& d) { return os << d.name; }
};

// A 9 x 5 RGB PNG, its first IDAT chunk at 33.
const Bytes kGood = test::MakePng({9, 5, test::kRgb, 8, false, std::vector<std::uint16_t>(9 * 5 * 3, 77)});
constexpr std::size_t kIdatAt = 33;

std::function<void(Bytes&)> CutTo(std::size_t length)
{
    return [length](Bytes& png) { png.resize(std::min(length, png.size())); };
}

std::function<void(Bytes&)> Flip(std::size_t at)
{
    return [at](Bytes& png) { png[at] ^= 0x40; };
}

std::function<void(Bytes&)> Size(std::uint32_t width, std::uint32_t height)
{
    return [=](Bytes& png) { test::SetPngSize(png, width, height); };
}

// Sets one IHDR byte, its CRC made to match.
std::function<void(Bytes&)> Method(std::size_t at, std::uint8_t value)
{
    return [=](Bytes& png) { png[at] = value, test::SetPngSize(png, 9, 5); };
}

class PngDamageTest : public testing::TestWithParam<Damage> {};

TEST_P(PngDamageTest, RefusedWithItsReasonTouchingNothing)
{
    const Damage& d = GetParam();
    test::TempDir dir;
    Bytes png = kGood;
    d.change(png);
    test::WriteBytes(dir / "p.png", png);
    const auto before = test::Snapshot(dir.path());
    const auto rows = ReadPng(dir / "p.png");
    ASSERT_FALSE(rows.ok());
    const Error& error = rows.error();
    EXPECT_EQ(error.code, d.code) << Describe(error);
    EXPECT_EQ(error.file, dir / "p.png");
    if (d.code == ErrorCode(PngError::Damaged)) {
        EXPECT_FALSE(error.detail.empty());
        EXPECT_EQ(Describe(error), "Die PNG-Datei ist beschädigt: " + error.detail);
    }
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PngDamageTest,
    testing::Values(
        Damage{"Empty", CutTo(0), PngError::Signature},
        Damage{"HalfSignature", CutTo(4), PngError::Signature},
        Damage{"OtherSignature", Flip(1), PngError::Signature},
        Damage{"SignatureOnly", CutTo(8), PngError::Damaged},
        Damage{"CutInIhdr", CutTo(20), PngError::Damaged},
        Damage{"CutInImageData", CutTo(kIdatAt + 20), PngError::Damaged},
        Damage{"CutBeforeIend", CutTo(kGood.size() - 12), PngError::Damaged},
        Damage{"CutInIendCrc", CutTo(kGood.size() - 1), PngError::Damaged},
        Damage{"IhdrCrc", Flip(test::kPngIhdrCrcAt), PngError::Damaged},
        Damage{"IdatData", Flip(kIdatAt + 10), PngError::Damaged},
        Damage{"ColourType", [](Bytes& png) { png[25] = 1, test::SetPngSize(png, 9, 5); }, PngError::Damaged},
        Damage{"CompressionMethod", Method(26, 1), PngError::Method},
        Damage{"FilterMethod", Method(27, 1), PngError::Method},
        Damage{"InterlaceMethod", Method(28, 2), PngError::Method},
        Damage{"ZeroWidth", Size(0, 5), PngError::Size}, Damage{"ZeroHeight", Size(9, 0), PngError::Size},
        Damage{"WideSide", Size(32768, 1), PngError::TooLarge},
        Damage{"TallSide", Size(1, 32768), PngError::TooLarge},
        Damage{"LargestSides", Size(32767, 32767), PngError::TooLarge},
        Damage{"AboveInt32", Size(0x80000000u, 0x80000000u), PngError::TooLarge},
        // Accepted sizes whose image data is missing: refused without holding the picture.
        Damage{"LargeShortData", Size(16384, 16384), PngError::Damaged},
        Damage{"LargeInterlacedShortData",
               [](Bytes& png) { png[28] = 1, test::SetPngSize(png, 16384, 16384); }, PngError::Damaged}),
    testing::PrintToStringParamName());

// An index beyond the palette is refused wherever it stands, in every depth and interlacing.
TEST(PngSource, IndexBeyondThePaletteIsRefused)
{
    const test::PngSpec cases[] = {
        {3, 2, test::kPalette, 8, false, {0, 1, 2, 1, 0, 2}, Bytes(2 * 3, 9), {}},
        {5, 3, test::kPalette, 2, true, std::vector<std::uint16_t>(14, 0), Bytes(3 * 3, 9), {}},
        {4, 1, test::kPalette, 1, false, {0, 0, 0, 1}, Bytes(1 * 3, 9), {}},
    };
    for (test::PngSpec spec : cases) {
        if (spec.interlaced)
            spec.samples.push_back(3); // the last pixel: an even row, from an early pass
        test::TempDir dir;
        test::WriteBytes(dir / "p.png", test::MakePng(spec));
        const auto rows = ReadPng(dir / "p.png");
        ASSERT_FALSE(rows.ok()) << int(spec.bitDepth);
        EXPECT_EQ(rows.error().code, ErrorCode(PngError::PaletteIndex));
    }
}

TEST(PngSource, UnopenableFileIsRefusedWithTheSystemsReason)
{
    test::TempDir dir;
    fs::create_directory(dir / "folder.png");
    ASSERT_EQ(::mkfifo((dir / "fifo.png").c_str(), 0600), 0);
    const std::pair<const char*, std::string> cases[] = {{"missing.png", "Datei oder Ordner nicht gefunden"},
                                                         {"folder.png", "Ist ein Ordner"},
                                                         {"fifo.png", "Keine gewöhnliche Datei"}};
    for (const auto& [name, reason] : cases) {
        const auto source = OpenPngSource(dir / name);
        ASSERT_FALSE(source.ok()) << name;
        EXPECT_EQ(MessageText(source.error()),
                  PathText(dir / name) + ": Die Datei kann nicht geöffnet werden: " + reason);
    }
}

} // namespace
