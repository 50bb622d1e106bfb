// GFP -> TGA and TGA -> GFP of a 2048 x 2048 picture, each beside the zlib call it rests on.

#include "bench/ratio.h"
#include "jobs/convert.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <random>
#include <stdexcept>

namespace varnox::bench {

namespace {

constexpr std::int32_t kSide = 2048;

// A folder under the temporary folder holding a GFP of the picture and its TGA.
struct PictureFiles {
    Path folder;
    Bytes pixels; // RGB565, top row first
    Bytes stream; // zlib stream of pixels at the default level

    PictureFiles()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "varnox-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        folder = pattern;

        // Smooth gradients with a little noise, like a painted picture.
        std::mt19937 random(7);
        pixels.resize(std::size_t{kSide} * kSide * 2);
        for (std::int32_t y = 0; y < kSide; ++y) {
            for (std::int32_t x = 0; x < kSide; ++x) {
                const auto noise = static_cast<std::int32_t>(random() & 3);
                const std::int32_t red = (x * 31 / (kSide - 1) + noise / 2) & 31;
                const std::int32_t green = (y * 63 / (kSide - 1) + noise) & 63;
                const std::int32_t blue = (((x + y) >> 6) + (noise & 1)) & 31;
                const std::int32_t p = red << 11 | green << 5 | blue;
                const auto at = (std::size_t(y) * kSide + std::size_t(x)) * 2;
                pixels[at] = static_cast<std::uint8_t>(p & 0xFF);
                pixels[at + 1] = static_cast<std::uint8_t>(p >> 8);
            }
        }
        stream = pixels;
        CompressBlock(stream, -1);

        GfpPictureHeaderRecord picture;
        GfpPixelHeaderRecord pixel;
        picture.setWidth(kSide);
        picture.setHeight(kSide);
        pixel.setWidth(kSide);
        pixel.setHeight(kSide);
        pixel.setBitsPerPixel(16);
        pixel.setRawSize(static_cast<std::int32_t>(pixels.size()));
        pixel.setCompression(kGfpCompressionZlib);
        pixel.setStoredSize(static_cast<std::int32_t>(stream.size()) + 8);
        std::array<std::uint8_t, 8> sizes{};
        PutLe32(&sizes[0], pixel.rawSize());
        PutLe32(&sizes[4], static_cast<std::int32_t>(stream.size()));
        std::error_code error;
        if (!WriteFileAtomically(
                folder / "pic.gfp",
                {kGfpTag, picture.bytes, kGfpTag, pixel.bytes, sizes, std::span<const std::uint8_t>(stream)},
                error))
            throw std::runtime_error("cannot write the GFP: " + SystemReason(error));
        Module1 module;
        if (!jobs::ConvertGfpToTga(module, folder, {"pic.gfp"}, 0, 0).refused.empty())
            throw std::runtime_error("cannot write the TGA");
        std::filesystem::copy_file(folder / "pic.gfp", folder / "target.gfp");
    }
    ~PictureFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

PictureFiles& Files()
{
    static PictureFiles files;
    return files;
}

void GfpToTga(benchmark::State& state)
{
    PictureFiles& files = Files();
    Module1 module;
    for (auto _ : state) {
        const auto result = jobs::ConvertGfpToTga(module, files.folder, {"pic.gfp"}, 0, 0);
        if (!result.refused.empty())
            state.SkipWithError(jobs::MessageText(result.refused.front()).c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            std::int64_t(files.pixels.size()));
}

// The bare decompression of the same stream into a buffer of the picture's size.
void Uncompress(benchmark::State& state)
{
    PictureFiles& files = Files();
    Bytes out(files.pixels.size());
    for (auto _ : state) {
        uLongf length = static_cast<uLongf>(out.size());
        if (::uncompress(out.data(), &length, files.stream.data(), static_cast<uLong>(files.stream.size())) !=
            Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            std::int64_t(files.pixels.size()));
}

void TgaToGfp(benchmark::State& state)
{
    PictureFiles& files = Files();
    Module1 module;
    for (auto _ : state) {
        const auto result =
            jobs::ConvertTgaToGfp(module, files.folder / "pic.tga", files.folder / "target.gfp", false);
        if (!result.ok)
            state.SkipWithError(jobs::MessageText(result.refusal).c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            std::int64_t(files.pixels.size()));
}

// The bare compression of the same pixels at the default level.
void Compress2(benchmark::State& state)
{
    PictureFiles& files = Files();
    Bytes out(files.pixels.size() + files.pixels.size() / 100 + 12);
    for (auto _ : state) {
        uLongf length = static_cast<uLongf>(out.size());
        if (::compress2(out.data(), &length, files.pixels.data(), static_cast<uLong>(files.pixels.size()),
                        Z_DEFAULT_COMPRESSION) != Z_OK)
            state.SkipWithError("compress2 failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            std::int64_t(files.pixels.size()));
}

BENCHMARK(GfpToTga)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Uncompress)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TgaToGfp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Compress2)->Unit(benchmark::kMillisecond)->UseRealTime();

const bool kRatios = AddRatio("GFP -> TGA over uncompress", "GfpToTga", "Uncompress") &&
                     AddRatio("TGA -> GFP over compress2", "TgaToGfp", "Compress2");

}  // namespace

}  // namespace varnox::bench
