// The PNG reader against pictures written here in every colour type, depth and interlacing;
// the writer by round trip; damaged files and unwritable targets refused, touching nothing.

#include "formats/png.h"
#include "tests/support/builders.h"
#include "tests/support/png_builder.h"

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

namespace {

struct Picture {
    Status status;
    Bytes rows; // Rgb24, top row first, as far as they were read
};

// Every row of the PNG at path, or the first error met.
Picture ReadPng(const Path& path)
{
    auto source = OpenPngSource(path);
    if (!source)
        return {source.error(), {}};
    const PictureInfo& info = (*source)->Info();
    EXPECT_EQ(info.format, RowFormat::Rgb24);
    EXPECT_EQ(info.description, "PNG");
    Picture picture;
    Bytes row(info.RowBytes());
    for (std::int32_t y = 0; y < info.height && picture.status.ok(); ++y) {
        picture.status = (*source)->ReadRow(row);
        picture.rows.insert(picture.rows.end(), row.begin(), row.end());
    }
    return picture;
}

Bytes RandomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
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
        const Picture picture = ReadPng(dir / "p.png");
        ASSERT_TRUE(picture.status.ok()) << Describe(picture.status.error());
        EXPECT_EQ(picture.rows, expected);
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
        const Bytes rows = RandomBytes(static_cast<std::size_t>(width * height * 3), 7);
        const auto sink = MakePngSink(dir / "p.png");
        EXPECT_EQ(sink->Format(), RowFormat::Rgb24);
        const Status written = WritePng(*sink, width, height, rows, height);
        ASSERT_TRUE(written.ok()) << Describe(written.error());
        ASSERT_TRUE(sink->Finish().ok());
        const Picture picture = ReadPng(dir / "p.png");
        ASSERT_TRUE(picture.status.ok()) << Describe(picture.status.error());
        EXPECT_EQ(picture.rows, rows);
        EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{"p.png"});
    }
}

TEST(PngSink, UnfinishedWriteLeavesTheOldFile)
{
    test::TempDir dir;
    test::WriteBytes(dir / "p.png", Bytes{'o', 'l', 'd'});
    const auto before = test::Snapshot(dir.path());
    const Bytes rows = RandomBytes(8 * 4 * 3, 3);
    {
        const auto sink = MakePngSink(dir / "p.png");
        ASSERT_TRUE(WritePng(*sink, 8, 4, rows, 2).ok());
        // Finish before the last row is refused, and so is a row too many.
        EXPECT_FALSE(sink->Finish().ok());
    }
    {
        const auto sink = MakePngSink(dir / "p.png");
        ASSERT_TRUE(WritePng(*sink, 8, 4, rows, 4).ok());
        EXPECT_FALSE(sink->WriteRow(std::span(rows).first(24)).ok());
        EXPECT_FALSE(sink->Finish().ok());
    }
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

// Runs body in a child process, as nobody when this is root (root writes regardless of
// permissions); returns body's result, or -1 when the child could not run it.
int RunUnprivileged(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 100)
        return -1;
    return WEXITSTATUS(status);
}

TEST(PngSink, UnwritableTargetIsRefusedAndTouchesNothing)
{
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    fs::create_directory(dir / "locked");
    fs::create_directory(dir / "open");
    test::WriteBytes(dir / "locked" / "p.png", Bytes{'o', 'l', 'd'});
    test::WriteBytes(dir / "open" / "p.png", Bytes{'o', 'l', 'd'});
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    fs::permissions(dir / "open", fs::perms::all);
    fs::permissions(dir / "open" / "p.png",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto before = test::Snapshot(dir.path());
    const Bytes rows(2 * 2 * 3, 9);
    for (const char* target : {"locked/p.png", "open/p.png"}) {
        SCOPED_TRACE(target);
        const int refused = RunUnprivileged([&] {
            const auto sink = MakePngSink(dir / target);
            const Status status = WritePng(*sink, 2, 2, rows, 2);
            const bool ok =
                !status.ok() &&
                MessageText(status.error()) ==
                    PathText(dir / target) + ": Die Datei kann nicht geschrieben werden: Keine Berechtigung";
            return ok && !sink->Finish().ok() ? 0 : 1;
        });
        EXPECT_EQ(refused, 0);
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

class PngDamageTest : public testing::TestWithParam<Damage> {};

TEST_P(PngDamageTest, RefusedWithItsReasonTouchingNothing)
{
    const Damage& d = GetParam();
    test::TempDir dir;
    Bytes png = kGood;
    d.change(png);
    test::WriteBytes(dir / "p.png", png);
    const auto before = test::Snapshot(dir.path());
    const Picture picture = ReadPng(dir / "p.png");
    ASSERT_FALSE(picture.status.ok());
    const Error& error = picture.status.error();
    EXPECT_EQ(error.code, d.code) << Describe(error);
    EXPECT_EQ(error.file, dir / "p.png");
    if (d.code == ErrorCode(PngError::Damaged)) {
        EXPECT_FALSE(error.detail.empty());
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
