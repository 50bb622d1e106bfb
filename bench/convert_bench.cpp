// GFP -> TGA and TGA -> GFP of square pictures of 512, 2048 and 4096 pixels a side, each
// beside the zlib call it rests on; the same of photograph-like pictures of 2048 and 4096;
// and the peak memory of both conversions.

#include "bench/floor.h"
#include "bench/folder.h"
#include "bench/ratio.h"
#include "formats/describe.h"
#include "formats/picture.h"
#include "formats/reduce.h"
#include "formats/rgb565.h"
#include "jobs/convert.h"
#include "tests/support/builders.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <random>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace varnox::bench {

namespace {

constexpr std::int32_t kSides[] = {512, 2048, 4096};
constexpr std::int32_t kPhotoSides[] = {2048, 4096};

// The painted pattern compresses unusually well; photographs' streams are far longer.
enum class Pixels { Painted, Photo };

// Smooth gradients with a little noise, like a painted picture.
Bytes PaintedPixels(std::int32_t side)
{
    std::mt19937 random(7);
    const auto n = static_cast<std::size_t>(side);
    Bytes pixels(n * n * 2);
    for (std::int32_t y = 0; y < side; ++y) {
        for (std::int32_t x = 0; x < side; ++x) {
            const auto noise = static_cast<std::int32_t>(random() & 3);
            const std::int32_t red = (x * 31 / (side - 1) + noise / 2) & 31;
            const std::int32_t green = (y * 63 / (side - 1) + noise) & 63;
            const std::int32_t blue = (((x + y) >> 6) + (noise & 1)) & 31;
            const std::int32_t p = red << 11 | green << 5 | blue;
            const auto at = (std::size_t(y) * n + std::size_t(x)) * 2;
            pixels[at] = static_cast<std::uint8_t>(p & 0xFF);
            pixels[at + 1] = static_cast<std::uint8_t>(p >> 8);
        }
    }
    return pixels;
}

// A run-length TGA of side x side pixels in runs of 128 (a row of bands): the file is
// small, the picture it declares is not.
void WriteRunLengthTga(const Path& path, std::int32_t side)
{
    Bytes file(kTgaHeaderSize, 0);
    file[2] = 10;
    file[16] = 24;
    PutLe16(&file[12], static_cast<std::uint16_t>(side));
    PutLe16(&file[14], static_cast<std::uint16_t>(side));
    const std::int64_t packets = std::int64_t(side) * side / 128;
    for (std::int64_t k = 0; k < packets; ++k)
        file.insert(file.end(),
                    {0xFF, static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8), 0x80});
    std::error_code error;
    if (!WriteFileAtomically(path, {std::span<const std::uint8_t>(file)}, error))
        throw std::runtime_error("cannot write the RLE TGA: " + error.message());
}

// A folder under the temporary folder holding a GFP of a side x side picture, its TGA, and
// a second GFP that TGA -> GFP rewrites.
struct PictureFiles {
    Path folder = MakeBenchFolder();
    Bytes pixels; // RGB565, top row first
    Bytes stream; // zlib stream of pixels at the default level
    Bytes tga;    // bytes of a TGA of the picture's size, for the write floor

    PictureFiles(std::int32_t side, Pixels kind)
        : pixels(kind == Pixels::Photo ? test::PhotoPixels(side, side, 7) : PaintedPixels(side)),
          stream(pixels)
    {
        const auto n = static_cast<std::size_t>(side);
        CompressBlock(stream, -1);

        GfpHead head;
        head.pixel.setWidth(side);
        head.pixel.setHeight(side);
        const Bytes gfp = MakeGfp(head, pixels, GfpPacking::Zlib);
        std::error_code error;
        if (!WriteFileAtomically(folder / "pic.gfp", {std::span<const std::uint8_t>(gfp)}, error))
            throw std::runtime_error("cannot write the GFP: " + error.message());
        if (!jobs::ConvertGfpFiles({folder / "pic.gfp"}).refused.empty() ||
            !jobs::ConvertGfpFiles({folder / "pic.gfp"}, {.format = jobs::PictureFormat::Png})
                 .refused.empty())
            throw std::runtime_error("cannot write the TGA or the PNG");
        std::filesystem::copy_file(folder / "pic.gfp", folder / "target.gfp");
        std::filesystem::copy_file(folder / "pic.gfp", folder / "fast.gfp");
        WriteRunLengthTga(folder / "rle.tga", side);
        tga.assign(kTgaHeaderSize + n * n * 3, 0x5A);
        if (!WriteFileAtomically(folder / "floor.tga", {std::span<const std::uint8_t>(tga)}, error))
            throw std::runtime_error("cannot write the floor TGA: " + error.message());
    }
    ~PictureFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    PictureFiles(const PictureFiles&) = delete;
    PictureFiles& operator=(const PictureFiles&) = delete;
};

PictureFiles& Files(std::int64_t side, Pixels kind = Pixels::Painted)
{
    static std::map<std::pair<std::int64_t, Pixels>, std::unique_ptr<PictureFiles>> files;
    auto& entry = files[{side, kind}];
    if (!entry)
        entry = std::make_unique<PictureFiles>(static_cast<std::int32_t>(side), kind);
    return *entry;
}

void CountPixelBytes(benchmark::State& state, const PictureFiles& files)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            std::int64_t(files.pixels.size()));
}

// Changes one byte of the file outside the timing, so that the next write replaces it
// instead of finding the same bytes in place.
void ChangeUntimed(benchmark::State& state, const Path& file)
{
    state.PauseTiming();
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    const off_t last = fd < 0 ? -1 : ::lseek(fd, -1, SEEK_END);
    std::uint8_t byte = 0;
    bool changed = last >= 0 && ::pread(fd, &byte, 1, last) == 1;
    byte ^= 1;
    changed = changed && ::pwrite(fd, &byte, 1, last) == 1;
    if (!changed)
        state.SkipWithError("cannot change the file");
    if (fd >= 0)
        ::close(fd);
    state.ResumeTiming();
}

// Replaces a TGA of the same name (one that differs), as a second conversion of a folder would.
void GfpToTga(benchmark::State& state)
{
    PictureFiles& files = Files(state.range(0));
    for (auto _ : state) {
        ChangeUntimed(state, files.folder / "pic.tga");
        const auto result = jobs::ConvertGfpFiles({files.folder / "pic.gfp"});
        if (!result.refused.empty())
            state.SkipWithError(MessageText(result.refused.front()).c_str());
    }
    CountPixelBytes(state, files);
}

// Writes a TGA where there was none, as a first conversion of a folder does.
void NewTgaOf(benchmark::State& state, PictureFiles& files)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(files.folder / "pic.tga");
        state.ResumeTiming();
        const auto result = jobs::ConvertGfpFiles({files.folder / "pic.gfp"});
        if (!result.refused.empty())
            state.SkipWithError(MessageText(result.refused.front()).c_str());
    }
    CountPixelBytes(state, files);
}

void GfpToNewTga(benchmark::State& state)
{
    NewTgaOf(state, Files(state.range(0)));
}

void PhotoGfpToNewTga(benchmark::State& state)
{
    NewTgaOf(state, Files(state.range(0), Pixels::Photo));
}

// The floor of GFP -> new TGA (floor.h), buffers kept from iteration to iteration.
void FloorTgaOf(benchmark::State& state, PictureFiles& files)
{
    FloorReader reader;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(files.folder / "floor-new.tga");
        state.ResumeTiming();
        if (!reader.Inflate(files.folder / "pic.gfp") || !reader.WriteTga(files.folder / "floor-new.tga"))
            state.SkipWithError("the floor failed");
    }
    CountPixelBytes(state, files);
}

void FloorGfpToTga(benchmark::State& state)
{
    FloorTgaOf(state, Files(state.range(0)));
}

void PhotoFloorGfpToTga(benchmark::State& state)
{
    FloorTgaOf(state, Files(state.range(0), Pixels::Photo));
}

// The window's preview without the window: the picture's rows averaged into a 256 x 256
// box as they come.
void Preview(benchmark::State& state)
{
    PictureFiles& files = Files(state.range(0));
    for (auto _ : state) {
        auto source = OpenPictureSource(files.folder / "pic.gfp");
        BoxReducer reducer(256);
        if (!source || !CopyRows(**source, reducer))
            state.SkipWithError("the preview failed");
        benchmark::DoNotOptimize(reducer.Pixels().data());
    }
    CountPixelBytes(state, files);
}

void FloorPreview(benchmark::State& state)
{
    PictureFiles& files = Files(state.range(0));
    FloorReader reader;
    for (auto _ : state)
        if (!reader.Reduce(files.folder / "pic.gfp", 256))
            state.SkipWithError("the floor failed");
    CountPixelBytes(state, files);
}

// One uncompress of the picture's stream into out, which holds the picture's size.
void UncompressInto(benchmark::State& state, const PictureFiles& files, Bytes& out)
{
    uLongf length = static_cast<uLongf>(out.size());
    if (::uncompress(out.data(), &length, files.stream.data(), static_cast<uLong>(files.stream.size())) !=
        Z_OK)
        state.SkipWithError("uncompress failed");
}

// The bare decompression of the same stream into a buffer of the picture's size.
void Uncompress(benchmark::State& state)
{
    PictureFiles& files = Files(state.range(0));
    Bytes out(files.pixels.size());
    for (auto _ : state) {
        UncompressInto(state, files, out);
        benchmark::DoNotOptimize(out.data());
    }
    CountPixelBytes(state, files);
}

// The floor of GFP -> TGA: the same decompression, then a TGA's worth of bytes written
// over an existing file the way every job writes.
void UncompressAndWrite(benchmark::State& state)
{
    PictureFiles& files = Files(state.range(0));
    Bytes out(files.pixels.size());
    for (auto _ : state) {
        UncompressInto(state, files, out);
        files.tga.back() ^= 1; // never the bytes in place
        std::error_code error;
        if (!WriteFileAtomically(files.folder / "floor.tga", {std::span<const std::uint8_t>(files.tga)},
                                 error))
            state.SkipWithError("cannot write");
    }
    CountPixelBytes(state, files);
}

// TGA -> GFP packed as zlib's default level packs.
void PackTgaOf(benchmark::State& state, PictureFiles& files)
{
    for (auto _ : state) {
        ChangeUntimed(state, files.folder / "target.gfp");
        const auto result = jobs::ConvertPictureToGfp(files.folder / "pic.tga", jobs::PictureFormat::Tga,
                                                      files.folder / "target.gfp", GfpPacking::Zlib);
        if (!result.status.ok())
            state.SkipWithError(MessageText(result.status.error()).c_str());
    }
    CountPixelBytes(state, files);
}

void TgaToGfp(benchmark::State& state)
{
    PackTgaOf(state, Files(state.range(0)));
}

void PhotoTgaToGfp(benchmark::State& state)
{
    PackTgaOf(state, Files(state.range(0), Pixels::Photo));
}

// Writes the PNG over the one of the previous iteration (changed, so that it is replaced).
void GfpToPng(benchmark::State& state)
{
    PictureFiles& files = Files(state.range(0));
    for (auto _ : state) {
        ChangeUntimed(state, files.folder / "pic.png");
        const auto result =
            jobs::ConvertGfpFiles({files.folder / "pic.gfp"}, {.format = jobs::PictureFormat::Png});
        if (!result.refused.empty())
            state.SkipWithError(MessageText(result.refused.front()).c_str());
    }
    CountPixelBytes(state, files);
}

void PngToGfp(benchmark::State& state)
{
    PictureFiles& files = Files(state.range(0));
    for (auto _ : state) {
        ChangeUntimed(state, files.folder / "target.gfp");
        const auto result = jobs::ConvertPictureToGfp(files.folder / "pic.png", jobs::PictureFormat::Png,
                                                      files.folder / "target.gfp", GfpPacking::Zlib);
        if (!result.status.ok())
            state.SkipWithError(MessageText(result.status.error()).c_str());
    }
    CountPixelBytes(state, files);
}

// The bare compression of the same pixels at the default level.
void Compress2(benchmark::State& state)
{
    PictureFiles& files = Files(state.range(0));
    Bytes out(compressBound(static_cast<uLong>(files.pixels.size())));
    for (auto _ : state) {
        uLongf length = static_cast<uLongf>(out.size());
        if (::compress2(out.data(), &length, files.pixels.data(), static_cast<uLong>(files.pixels.size()),
                        Z_DEFAULT_COMPRESSION) != Z_OK)
            state.SkipWithError("compress2 failed");
        benchmark::DoNotOptimize(out.data());
    }
    CountPixelBytes(state, files);
}

// TGA -> GFP packed by libdeflate (--fast).
void FastPackTgaOf(benchmark::State& state, PictureFiles& files)
{
    for (auto _ : state) {
        const auto result = jobs::ConvertPictureToGfp(files.folder / "pic.tga", jobs::PictureFormat::Tga,
                                                      files.folder / "fast.gfp", GfpPacking::Fast);
        if (!result.status.ok())
            state.SkipWithError(MessageText(result.status.error()).c_str());
    }
    CountPixelBytes(state, files);
}

void TgaToGfpFast(benchmark::State& state)
{
    FastPackTgaOf(state, Files(state.range(0)));
}

void PhotoTgaToGfpFast(benchmark::State& state)
{
    FastPackTgaOf(state, Files(state.range(0), Pixels::Photo));
}

constexpr int kBatchFiles = 200;

// A folder of kBatchFiles GFPs of 512 x 512 pixels, for the worker pool.
struct BatchFiles {
    Path folder;
    std::vector<Path> gfps;

    BatchFiles()
    {
        const PictureFiles& picture = Files(512);
        folder = picture.folder / "batch";
        std::filesystem::create_directory(folder);
        for (int k = 0; k < kBatchFiles; ++k) {
            gfps.push_back(folder / ("p" + std::to_string(k) + ".gfp"));
            std::filesystem::copy_file(picture.folder / "pic.gfp", gfps.back(),
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
};

const BatchFiles& Batch()
{
    static const BatchFiles batch;
    return batch;
}

// Removes the TGAs of the batch outside the timing, so that each run writes new ones.
void RemoveBatchTgas(benchmark::State& state)
{
    state.PauseTiming();
    for (const Path& gfp : Batch().gfps)
        std::filesystem::remove(Path(gfp).replace_extension(".tga"));
    state.ResumeTiming();
}

// gfp2tga over kBatchFiles files with range(0) workers.
void GfpBatch(benchmark::State& state)
{
    const BatchFiles& batch = Batch();
    for (auto _ : state) {
        RemoveBatchTgas(state);
        jobs::BatchOptions options;
        options.workers = static_cast<unsigned>(state.range(0));
        if (!jobs::ConvertGfpFiles(batch.gfps, options).refused.empty())
            state.SkipWithError("a file was refused");
    }
}

void Sides(benchmark::internal::Benchmark* b)
{
    for (const std::int32_t side : kSides)
        b->Arg(side);
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

// The floor converting the same files in one process, its buffers kept from file to file.
void FloorBatch(benchmark::State& state)
{
    const BatchFiles& batch = Batch();
    FloorReader reader;
    for (auto _ : state) {
        RemoveBatchTgas(state);
        for (const Path& gfp : batch.gfps)
            if (!reader.Inflate(gfp) || !reader.WriteTga(Path(gfp).replace_extension(".tga")))
                state.SkipWithError("the floor failed");
    }
}

BENCHMARK(GfpToTga)->Apply(Sides);
BENCHMARK(FloorGfpToTga)->Apply(Sides);
BENCHMARK(Preview)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FloorPreview)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(GfpToNewTga)->Apply(Sides);
BENCHMARK(Uncompress)->Apply(Sides);
BENCHMARK(UncompressAndWrite)->Apply(Sides);
BENCHMARK(TgaToGfp)->Apply(Sides);
BENCHMARK(Compress2)->Apply(Sides);
// The PNG's own deflate: the widened picture, filtered as the PNG writer filters it, at the
// writer's level in one call.
void PngDeflate(benchmark::State& state)
{
    PictureFiles& files = Files(state.range(0));
    const auto side = static_cast<std::size_t>(state.range(0));
    Bytes rgb(side * (side * 3 + 1), 2);
    for (std::size_t y = 0; y < side; ++y)
        WidenRowToRgb(std::span<const std::uint8_t>(files.pixels).subspan(y * side * 2, side * 2),
                      rgb.data() + y * (side * 3 + 1) + 1);
    // The writer's filter: each byte less the one above it, bottom row first so that the
    // row above is still unfiltered.
    const std::size_t stride = side * 3 + 1;
    for (std::size_t y = side - 1; y > 0; --y)
        for (std::size_t x = 1; x < stride; ++x)
            rgb[y * stride + x] = static_cast<std::uint8_t>(rgb[y * stride + x] - rgb[(y - 1) * stride + x]);
    Bytes out(compressBound(static_cast<uLong>(rgb.size())));
    for (auto _ : state) {
        uLongf length = static_cast<uLongf>(out.size());
        if (::compress2(out.data(), &length, rgb.data(), static_cast<uLong>(rgb.size()), 2) != Z_OK)
            state.SkipWithError("compress2 failed");
        benchmark::DoNotOptimize(out.data());
    }
    CountPixelBytes(state, files);
}

BENCHMARK(PngDeflate)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(GfpToPng)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PngToGfp)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TgaToGfpFast)->Apply(Sides);
BENCHMARK(GfpBatch)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FloorBatch)->Unit(benchmark::kMillisecond)->UseRealTime();

void PhotoSides(benchmark::internal::Benchmark* b)
{
    for (const std::int32_t side : kPhotoSides)
        b->Arg(side);
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(PhotoGfpToNewTga)->Apply(PhotoSides);
BENCHMARK(PhotoFloorGfpToTga)->Apply(PhotoSides);
BENCHMARK(PhotoTgaToGfp)->Apply(PhotoSides);
BENCHMARK(PhotoTgaToGfpFast)->Apply(PhotoSides);

const bool kRatios = [] {
    for (const std::int32_t side : kSides) {
        const std::string s = "/" + std::to_string(side);
        const std::string size = " " + std::to_string(side) + "x" + std::to_string(side);
        AddRatio("GFP -> TGA" + size + " over uncompress", "GfpToTga" + s, "Uncompress" + s);
        AddRatio("GFP -> new TGA" + size + " over uncompress", "GfpToNewTga" + s, "Uncompress" + s);
        AddRatio("GFP -> TGA" + size + " over uncompress and write", "GfpToTga" + s,
                 "UncompressAndWrite" + s);
        AddRatio("TGA -> GFP" + size + " over compress2", "TgaToGfp" + s, "Compress2" + s);
        AddRatio("fast packing" + size + " over compress2", "TgaToGfpFast" + s, "Compress2" + s);
    }
    AddRatio("GFP -> PNG 2048x2048 over uncompress", "GfpToPng/2048", "Uncompress/2048");
    AddRatio("GFP -> PNG 2048x2048 over GFP -> new TGA plus the PNG's deflate", "GfpToPng/2048",
             "GfpToNewTga/2048+PngDeflate/2048");
    AddRatio("PNG -> GFP 2048x2048 over compress2", "PngToGfp/2048", "Compress2/2048");
    AddRatio("gfp2tga -j 2 over -j 1, 200 files of 512x512", "GfpBatch/2", "GfpBatch/1");
    // The goals: the jobs beside the floor of this machine.
    for (const std::int32_t side : {2048, 4096}) {
        const std::string s = "/" + std::to_string(side);
        const std::string size = " " + std::to_string(side) + "x" + std::to_string(side);
        AddRatio("GFP -> new TGA" + size + " over the floor", "GfpToNewTga" + s, "FloorGfpToTga" + s);
    }
    AddRatio("gfp2tga -j 1 over the floor, 200 files of 512x512", "GfpBatch/1", "FloorBatch");
    AddRatio("gfp2tga -j 2 over -j 1", "GfpBatch/2", "GfpBatch/1");
    AddRatio("preview 4096x4096 over its floor", "Preview/4096", "FloorPreview/4096");
    AddRatio("GFP -> PNG 4096x4096 over GFP -> new TGA", "GfpToPng/4096", "GfpToNewTga/4096");
    for (const std::int32_t side : kPhotoSides) {
        const std::string s = "/" + std::to_string(side);
        const std::string size = " " + std::to_string(side) + "x" + std::to_string(side) + " photo";
        AddRatio("GFP -> new TGA" + size + " over the floor", "PhotoGfpToNewTga" + s,
                 "PhotoFloorGfpToTga" + s);
        AddRatio("fast packing" + size + " over default packing", "PhotoTgaToGfpFast" + s,
                 "PhotoTgaToGfp" + s);
    }
    AddGoal("gfp2tga 4096x4096 photo over the floor", "PhotoGfpToNewTga/4096", "PhotoFloorGfpToTga/4096",
            1.2);
    AddGoal("tga2gfp --fast 4096x4096 photo over default packing", "PhotoTgaToGfpFast/4096",
            "PhotoTgaToGfp/4096", 0.35);
    return true;
}();

} // namespace

// A field of /proc/self/status ("VmRSS", "VmHWM") in bytes; -1 when it cannot be read.
std::int64_t StatusBytes(const std::string& field)
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return -1;
    char line[256];
    std::int64_t kib = -1;
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::strncmp(line, field.c_str(), field.size()) == 0 && line[field.size()] == ':')
            kib = std::strtoll(line + field.size() + 1, nullptr, 10);
    std::fclose(status);
    return kib < 0 ? -1 : kib * 1024;
}

// Runs varnox-bench --peak-of JOB FOLDER in a fresh process and reads the peak it found;
// -1 when the run failed.
std::int64_t PeakOfFreshRun(const std::string& job, const Path& folder)
{
    const Path result = folder / "peak.txt";
    std::vector<std::string> args{"/proc/self/exe", "--peak-of", job, folder.string()};
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, result.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    std::FILE* in = std::fopen(result.c_str(), "r");
    long long peak = -1;
    if (in != nullptr) {
        if (std::fscanf(in, "%lld", &peak) != 1)
            peak = -1;
        std::fclose(in);
    }
    std::filesystem::remove(result);
    return peak;
}

double MiB(std::int64_t bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

int PrintPeakOf(const std::string& job, const Path& folder)
{
    // The peak is counted from here: the kernel's high-water mark is reset to what is
    // resident now.
    if (std::FILE* reset = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", reset);
        std::fclose(reset);
    }
    const std::int64_t before = StatusBytes("VmRSS");
    bool ok = false;
    if (job == "gfp2tga")
        ok = jobs::ConvertGfpFiles({folder / "pic.gfp"}).refused.empty();
    else if (job == "tga2gfp")
        ok = jobs::ConvertPictureToGfp(folder / "pic.tga", jobs::PictureFormat::Tga, folder / "target.gfp",
                                       GfpPacking::Zlib)
                 .status.ok();
    else if (job == "gfp2png")
        ok =
            jobs::ConvertGfpFiles({folder / "pic.gfp"}, {.format = jobs::PictureFormat::Png}).refused.empty();
    else if (job == "png2gfp")
        ok = jobs::ConvertPictureToGfp(folder / "pic.png", jobs::PictureFormat::Png, folder / "target.gfp",
                                       GfpPacking::Zlib)
                 .status.ok();
    else if (job == "fasttga2gfp")
        ok = jobs::ConvertPictureToGfp(folder / "pic.tga", jobs::PictureFormat::Tga, folder / "target.gfp",
                                       GfpPacking::Fast)
                 .status.ok();
    else if (job == "rletga2gfp")
        ok = jobs::ConvertPictureToGfp(folder / "rle.tga", jobs::PictureFormat::Tga, folder / "target.gfp",
                                       GfpPacking::Zlib)
                 .status.ok();
    else
        ok = RunArchiveJob(job, folder);
    const std::int64_t peak = StatusBytes("VmHWM");
    if (!ok || before < 0 || peak < 0)
        return 1;
    std::printf("%lld\n", static_cast<long long>(peak - before));
    return 0;
}

namespace {

// The stream sizes of the default and the fast packing of one picture.
void PrintStreamSize(std::int32_t side, Pixels kind)
{
    PictureFiles& files = Files(side, kind);
    const bool ok = jobs::ConvertPictureToGfp(files.folder / "pic.tga", jobs::PictureFormat::Tga,
                                              files.folder / "fast.gfp", GfpPacking::Fast)
                        .status.ok();
    const auto fast =
        static_cast<std::int64_t>(std::filesystem::file_size(files.folder / "fast.gfp")) - kGfpStreamAt;
    std::printf("  %dx%d%s: %zu / %lld bytes (%.3f x)%s\n", side, side, kind == Pixels::Photo ? " photo" : "",
                files.stream.size(), static_cast<long long>(fast),
                static_cast<double>(fast) / static_cast<double>(files.stream.size()),
                ok ? "" : " (fast packing failed)");
}

} // namespace

void PrintStreamSizes()
{
    std::printf("Stream sizes, compress2 at the default level / fast packing:\n");
    for (const std::int32_t side : kSides)
        PrintStreamSize(side, Pixels::Painted);
    for (const std::int32_t side : kPhotoSides)
        PrintStreamSize(side, Pixels::Photo);
}

// The peak of --fast packing of a 8192 x 8192 TGA (the painted pattern, rows of gradients
// with a little noise), beside its bound: the RGB565 picture plus 16 MiB.
void PrintFastPackingPeak()
{
    constexpr std::int32_t kSide = 8192;
    const Path folder = Files(512).folder / "fast8192";
    std::filesystem::create_directory(folder);
    const auto n = static_cast<std::size_t>(kSide);
    Bytes tga(kTgaHeaderSize + n * n * 3);
    const TgaHeaderRecord header = TgaHeaderFor(kSide - 1, kSide - 1);
    std::copy(header.bytes.begin(), header.bytes.end(), tga.begin());
    PutLe16(&tga[12], static_cast<std::uint16_t>(kSide));
    PutLe16(&tga[14], static_cast<std::uint16_t>(kSide));
    std::mt19937 random(7);
    for (std::size_t y = 0; y < n; ++y)
        for (std::size_t x = 0; x < n; ++x) {
            std::uint8_t* p = &tga[kTgaHeaderSize + (y * n + x) * 3];
            const auto noise = static_cast<std::uint8_t>(random() & 7);
            p[0] = static_cast<std::uint8_t>(((x + y) >> 5) + noise);
            p[1] = static_cast<std::uint8_t>(y * 255 / (n - 1) + noise);
            p[2] = static_cast<std::uint8_t>(x * 255 / (n - 1));
        }
    std::error_code error;
    GfpHead head;
    const Bytes target = MakeGfp(head, {}, GfpPacking::Zlib);
    if (!WriteFileAtomically(folder / "pic.tga", {std::span<const std::uint8_t>(tga)}, error) ||
        !WriteFileAtomically(folder / "target.gfp", {std::span<const std::uint8_t>(target)}, error)) {
        std::printf("fast packing 8192x8192: cannot write its files\n");
        return;
    }
    tga = Bytes();
    const std::int64_t peak = PeakOfFreshRun("fasttga2gfp", folder);
    const double bound = MiB(std::int64_t(n * n * 2)) + 16.0;
    std::printf("peak memory of --fast packing at 8192x8192: %.1f MiB (bound %.1f MiB: %s)\n", MiB(peak),
                bound, peak >= 0 && MiB(peak) <= bound ? "within" : "above");
    std::filesystem::remove_all(folder, error);
}

void PrintPeakMemory()
{
    std::printf("Peak memory of one conversion, each in a fresh process, above what it held before:\n");
    for (const std::int32_t side : kSides) {
        PictureFiles& files = Files(side);
        const auto pixelBytes = static_cast<double>(files.pixels.size());
        const std::int64_t toTga = PeakOfFreshRun("gfp2tga", files.folder);
        const std::int64_t toGfp = PeakOfFreshRun("tga2gfp", files.folder);
        const std::int64_t rleToGfp = PeakOfFreshRun("rletga2gfp", files.folder);
        const std::int64_t fastToGfp = PeakOfFreshRun("fasttga2gfp", files.folder);
        const std::int64_t toPng = PeakOfFreshRun("gfp2png", files.folder);
        const std::int64_t pngToGfp = PeakOfFreshRun("png2gfp", files.folder);
        std::printf(
            "  %dx%d, pixel bytes %.1f MiB: GFP -> TGA %.1f MiB (%.2f x), TGA -> GFP %.1f MiB (%.2f x), "
            "RLE TGA -> GFP %.1f MiB (%.2f x), fast packing %.1f MiB (%.2f x)\n",
            side, side, MiB(files.pixels.size()), MiB(toTga), static_cast<double>(toTga) / pixelBytes,
            MiB(toGfp), static_cast<double>(toGfp) / pixelBytes, MiB(rleToGfp),
            static_cast<double>(rleToGfp) / pixelBytes, MiB(fastToGfp),
            static_cast<double>(fastToGfp) / pixelBytes);
        std::printf("  %dx%d: GFP -> PNG %.1f MiB (%.2f x), PNG -> GFP %.1f MiB (%.2f x)\n", side, side,
                    MiB(toPng), static_cast<double>(toPng) / pixelBytes, MiB(pngToGfp),
                    static_cast<double>(pngToGfp) / pixelBytes);
    }
}

} // namespace varnox::bench
