// The archive report and unpack of a 32767-item archive of small pictures, against a plain
// copy of the same item bytes into files of their own.

#include "bench/folder.h"
#include "bench/ratio.h"
#include "jobs/report.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace varnox::bench {

namespace {

constexpr std::int32_t kItems = kMaxResItems;

// An 8 x 8 picture at 16 bits per pixel, compressed; every picture a little different.
Bytes SmallGfp(std::uint32_t seed)
{
    Bytes pixels(8 * 8 * 2);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>((i / 5 + seed) & 0xFF);
    Bytes stream = pixels;
    CompressBlock(stream, -1);
    GfpPictureHeaderRecord picture;
    GfpPixelHeaderRecord pixel;
    picture.setWidth(8);
    picture.setHeight(8);
    pixel.setWidth(8);
    pixel.setHeight(8);
    pixel.setBitsPerPixel(16);
    pixel.setRawSize(static_cast<std::int32_t>(pixels.size()));
    pixel.setStoredSize(static_cast<std::int32_t>(stream.size()) + 8);
    pixel.setCompression(kGfpCompressionZlib);
    Bytes file(kGfpTag.begin(), kGfpTag.end());
    file.insert(file.end(), picture.bytes.begin(), picture.bytes.end());
    file.insert(file.end(), kGfpTag.begin(), kGfpTag.end());
    file.insert(file.end(), pixel.bytes.begin(), pixel.bytes.end());
    Bytes sizes(8);
    PutLe32(sizes, 0, pixel.rawSize());
    PutLe32(sizes, 4, static_cast<std::int32_t>(stream.size()));
    file.insert(file.end(), sizes.begin(), sizes.end());
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

struct Item {
    std::string name;
    std::size_t offset;
    std::size_t size;
};

// The archive on disk, made once: header, directory, names, then the pictures.
struct Archive {
    Path folder = MakeBenchFolder();
    std::vector<Item> items;

    Archive()
    {
        const std::size_t tables = kResHeaderSize + kItems * (kResEntrySize + kResNameSize);
        Bytes file(tables);
        std::copy_n("RESF", 4, file.begin());
        PutLe32(file, 4, kItems);
        PutLe32(file, 8, static_cast<std::int32_t>(kResHeaderSize));
        for (std::int32_t i = 0; i < kItems; ++i) {
            const auto at = static_cast<std::size_t>(i);
            char name[16];
            std::snprintf(name, sizeof name, "p%05d", i);
            const Bytes gfp = SmallGfp(static_cast<std::uint32_t>(i));
            items.push_back({name, file.size(), gfp.size()});
            PutLe32(file, kResHeaderSize + at * kResEntrySize, kItemTypePicture);
            PutLe32(file, kResHeaderSize + at * kResEntrySize + 4, static_cast<std::int32_t>(file.size()));
            std::copy_n(name, std::strlen(name),
                        file.begin() + static_cast<std::ptrdiff_t>(kResHeaderSize + kItems * kResEntrySize +
                                                                   at * kResNameSize));
            file.insert(file.end(), gfp.begin(), gfp.end());
        }
        std::error_code error;
        if (!WriteFileAtomically(folder / "bench.res", {std::span<const std::uint8_t>(file)}, error))
            throw std::runtime_error("cannot write the archive: " + error.message());
    }
    ~Archive()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

Archive& TheArchive()
{
    static Archive archive;
    return archive;
}

void Report(benchmark::State& state)
{
    Archive& archive = TheArchive();
    for (auto _ : state) {
        const auto result = jobs::RunArchiveReport(archive.folder, "bench.res", {});
        if (!result.valid)
            state.SkipWithError("archive refused");
        benchmark::DoNotOptimize(result.lines.data());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

// Removes folder with everything in it, outside the timing.
void RemoveUntimed(benchmark::State& state, const Path& folder)
{
    state.PauseTiming();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    state.ResumeTiming();
}

// Unpacks into a new folder each time: a repeated unpack would find every file in place.
void Unpack(benchmark::State& state)
{
    Archive& archive = TheArchive();
    jobs::ReportOptions options;
    options.extractWanted = [] { return true; };
    for (auto _ : state) {
        RemoveUntimed(state, archive.folder / "bench");
        const auto result = jobs::RunArchiveReport(archive.folder, "bench.res", options);
        if (result.written != kItems)
            state.SkipWithError("items not written");
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

// The floor: read the archive once, write each item's bytes to a new file of its own.
void PlainCopy(benchmark::State& state)
{
    Archive& archive = TheArchive();
    for (auto _ : state) {
        RemoveUntimed(state, archive.folder / "plain");
        std::filesystem::create_directory(archive.folder / "plain");
        Bytes file;
        std::error_code error;
        if (!ReadWholeFile(archive.folder / "bench.res", file, error))
            state.SkipWithError("cannot read the archive");
        for (const Item& item : archive.items) {
            const Path out = archive.folder / "plain" / (item.name + ".gfp");
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (fd < 0 ||
                ::write(fd, file.data() + item.offset, item.size) != static_cast<ssize_t>(item.size))
                state.SkipWithError("cannot write");
            if (fd >= 0)
                ::close(fd);
        }
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

BENCHMARK(Report)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Unpack)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(5);

const bool kRatios = AddRatio("Unpack over plain copy", "Unpack", "PlainCopy");

} // namespace

} // namespace varnox::bench
