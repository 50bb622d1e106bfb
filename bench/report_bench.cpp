// The archive report and unpack of a 32767-item archive of small pictures, against a plain
// copy of the same item bytes into files of their own. Prints the ratios at the end.

#include "jobs/report.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <stdexcept>
#include <unistd.h>

using namespace varnox;

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
    Path folder;
    std::vector<Item> items;

    Archive()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "varnox-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        folder = pattern;
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
            throw std::runtime_error("cannot write the archive: " + SystemReason(error));
        std::filesystem::create_directory(folder / "plain");
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

void BM_Report(benchmark::State& state)
{
    Archive& archive = TheArchive();
    for (auto _ : state) {
        Module1 module;
        const auto result = jobs::RunArchiveReport(module, archive.folder, "bench.res", {});
        if (!result.valid)
            state.SkipWithError("archive refused");
        benchmark::DoNotOptimize(result.lines.data());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

void BM_Unpack(benchmark::State& state)
{
    Archive& archive = TheArchive();
    jobs::ReportOptions options;
    options.extractWanted = [] { return true; };
    for (auto _ : state) {
        Module1 module;
        const auto result = jobs::RunArchiveReport(module, archive.folder, "bench.res", options);
        if (result.written != kItems)
            state.SkipWithError("items not written");
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

// The floor: read the archive once, write each item's bytes to its own file.
void BM_PlainCopy(benchmark::State& state)
{
    Archive& archive = TheArchive();
    for (auto _ : state) {
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

BENCHMARK(BM_Report)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Unpack)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(5);

// Shows the runs as usual and keeps each benchmark's real time for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(::isatty(1) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto& t = reporter.times;
    if (t.count("BM_PlainCopy") != 0 && t.at("BM_PlainCopy") > 0) {
        for (const char* name : {"BM_Report", "BM_Unpack"})
            if (t.count(name) != 0)
                std::printf("%s / BM_PlainCopy: %.4f\n", name, t.at(name) / t.at("BM_PlainCopy"));
    }
    return 0;
}
