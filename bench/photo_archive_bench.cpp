// Extract and pack of an archive of 32767 photograph-like pictures of varied small sizes,
// each beside the plain work of the same files: extract beside a copy of the extracted
// folder file by file (as cp -r copies), pack beside reading every file of the folder into
// one (as cat does).

#include "bench/folder.h"
#include "bench/ratio.h"
#include "formats/png.h"
#include "formats/res.h"
#include "jobs/archive.h"
#include "jobs/sidepicture.h"
#include "tests/support/builders.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace varnox::bench {

namespace {

constexpr std::int32_t kItems = kMaxResItems;
constexpr std::int32_t kChangedPngs = 100;

struct Side {
    std::int32_t width, height;
};

// A zlib-packed GFP of a photograph's likeness.
Bytes PhotoGfp(Side side, std::uint32_t seed)
{
    GfpHead head;
    head.picture.setWidth(side.width);
    head.picture.setHeight(side.height);
    head.pixel.setWidth(side.width);
    head.pixel.setHeight(side.height);
    return MakeGfp(head, test::PhotoPixels(side.width, side.height, seed), GfpPacking::Zlib);
}

// The archive: header, directory, names "foto-N", then the pictures, 8 to 64 pixels a side.
Bytes MakePhotoArchive(std::vector<Side>& sides)
{
    const auto n = static_cast<std::size_t>(kItems);
    Bytes file(kResHeaderSize + n * (kResEntrySize + kResNameSize));
    std::copy_n("RESF", 4, file.begin());
    PutLe32(file, 4, kItems);
    PutLe32(file, 8, static_cast<std::int32_t>(kResHeaderSize));
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int32_t> length(8, 64);
    for (std::size_t i = 0; i < n; ++i) {
        sides.push_back({length(random), length(random)});
        const Bytes gfp = PhotoGfp(sides.back(), static_cast<std::uint32_t>(i));
        const std::string name = "foto-" + std::to_string(i);
        PutLe32(file, kResHeaderSize + i * kResEntrySize, kItemTypePicture);
        PutLe32(file, kResHeaderSize + i * kResEntrySize + 4, static_cast<std::int32_t>(file.size()));
        std::copy(name.begin(), name.end(),
                  file.begin() +
                      static_cast<std::ptrdiff_t>(kResHeaderSize + n * kResEntrySize + i * kResNameSize));
        file.insert(file.end(), gfp.begin(), gfp.end());
    }
    return file;
}

// Writes the PNG of a picture of other pixels over item i's PNG in folder.
void ChangePng(const Path& folder, std::size_t i, Side side)
{
    const Bytes gfp = PhotoGfp(side, static_cast<std::uint32_t>(i) + 1000003);
    auto source = OpenGfpSource(std::span<const std::uint8_t>(gfp));
    AtomicFile out;
    if (!source || !out.Open(folder / ("foto-" + std::to_string(i) + ".png")) ||
        !CopyRows(**source, *MakePngSink(out)) || !out.Commit())
        throw std::runtime_error("cannot change a PNG");
}

// The archive and its extracted folders, made once: plain, with PNGs, and with PNGs of
// which 100 were changed.
struct PhotoArchive {
    Path root = MakeBenchFolder();
    std::vector<Side> sides;

    PhotoArchive()
    {
        const Bytes archive = MakePhotoArchive(sides);
        std::error_code error;
        if (!WriteFileAtomically(root / "fotos.res", {std::span<const std::uint8_t>(archive)}, error))
            throw std::runtime_error("cannot write the archive: " + error.message());
        if (!jobs::ExtractArchive(root / "fotos.res", root / "plain").status.ok() ||
            !jobs::ExtractArchive(root / "fotos.res", root / "png", {}, {}, jobs::SidePicture::Png)
                 .status.ok() ||
            !jobs::ExtractArchive(root / "fotos.res", root / "changed", {}, {}, jobs::SidePicture::Png)
                 .status.ok())
            throw std::runtime_error("cannot extract the archive");
        for (std::int32_t k = 0; k < kChangedPngs; ++k) {
            const auto i = static_cast<std::size_t>(k) * (kItems / kChangedPngs);
            ChangePng(root / "changed", i, sides[i]);
        }
    }
    // VARNOX_BENCH_KEEP leaves the folder behind, for profiling the commands on it.
    ~PhotoArchive()
    {
        if (std::getenv("VARNOX_BENCH_KEEP") != nullptr)
            return;
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    PhotoArchive(const PhotoArchive&) = delete;
    PhotoArchive& operator=(const PhotoArchive&) = delete;
};

PhotoArchive& ThePhotoArchive()
{
    static PhotoArchive archive;
    return archive;
}

// Removes folder with everything in it, outside the timing.
void RemoveUntimed(benchmark::State& state, const Path& folder)
{
    state.PauseTiming();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    state.ResumeTiming();
}

// The whole file at path into bytes; false when it cannot be read.
bool ReadAll(const Path& path, Bytes& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    bool ok = fd >= 0 && ::fstat(fd, &st) == 0;
    bytes.resize(ok ? static_cast<std::size_t>(st.st_size) : 0);
    ok = ok && ::read(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (fd >= 0)
        ::close(fd);
    return ok;
}

bool WriteAll(int fd, const Bytes& bytes)
{
    return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

// Extracts into a new folder each time, as a first extract does.
void ExtractPhotosInto(benchmark::State& state, jobs::SidePicture pictures)
{
    PhotoArchive& archive = ThePhotoArchive();
    for (auto _ : state) {
        RemoveUntimed(state, archive.root / "again");
        if (!jobs::ExtractArchive(archive.root / "fotos.res", archive.root / "again", {}, {}, pictures)
                 .status.ok())
            state.SkipWithError("extract failed");
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

void PhotoExtract(benchmark::State& state)
{
    ExtractPhotosInto(state, jobs::SidePicture::None);
}

void PhotoExtractPng(benchmark::State& state)
{
    ExtractPhotosInto(state, jobs::SidePicture::Png);
}

// The floor of extract: every file of the extracted folder copied into a new folder.
void PhotoCopyFolder(benchmark::State& state)
{
    PhotoArchive& archive = ThePhotoArchive();
    const Path to = archive.root / "copy";
    Bytes bytes;
    for (auto _ : state) {
        RemoveUntimed(state, to);
        std::filesystem::create_directory(to);
        for (const auto& entry : std::filesystem::directory_iterator(archive.root / "plain")) {
            const int out =
                ::open((to / entry.path().filename()).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (!ReadAll(entry.path(), bytes) || out < 0 || !WriteAll(out, bytes))
                state.SkipWithError("cannot copy");
            if (out >= 0)
                ::close(out);
        }
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

void PackPhotos(benchmark::State& state, const std::string& folder)
{
    PhotoArchive& archive = ThePhotoArchive();
    for (auto _ : state)
        if (!jobs::PackArchive(archive.root / folder, archive.root / "packed.res").status.ok())
            state.SkipWithError("pack failed");
    state.SetItemsProcessed(state.iterations() * kItems);
}

void PhotoPack(benchmark::State& state)
{
    PackPhotos(state, "plain");
}

void PhotoPackPng(benchmark::State& state)
{
    PackPhotos(state, "png");
}

void PhotoPackPngChanged(benchmark::State& state)
{
    PackPhotos(state, "changed");
}

// The floor of pack: every file of the extracted folder read and written into one file.
void PhotoCatFolder(benchmark::State& state)
{
    PhotoArchive& archive = ThePhotoArchive();
    Bytes bytes;
    for (auto _ : state) {
        const int out =
            ::open((archive.root / "cat.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        for (const auto& entry : std::filesystem::directory_iterator(archive.root / "plain"))
            if (!ReadAll(entry.path(), bytes) || out < 0 || !WriteAll(out, bytes))
                state.SkipWithError("cannot read or write");
        if (out >= 0)
            ::close(out);
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

BENCHMARK(PhotoExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PhotoExtractPng)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PhotoCopyFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PhotoPack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PhotoPackPng)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PhotoPackPngChanged)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PhotoCatFolder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

const bool kGoals =
    AddGoal("pack of 32767 photo items over cat", "PhotoPack", "PhotoCatFolder", 1.5) &&
    AddGoal("extract of 32767 photo items over cp -r", "PhotoExtract", "PhotoCopyFolder", 1.3) &&
    AddGoal("extract --png of 32767 photo items over cp -r", "PhotoExtractPng", "PhotoCopyFolder", 3.0) &&
    AddGoal("pack of an unchanged extract --png folder over the plain folder", "PhotoPackPng", "PhotoPack",
            1.2) &&
    AddGoal("pack after 100 PNGs changed over the plain folder", "PhotoPackPngChanged", "PhotoPack", 1.5);

} // namespace

} // namespace varnox::bench
