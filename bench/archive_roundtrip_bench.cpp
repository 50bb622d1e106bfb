// Extract and pack of a 32767-item archive against a plain read-and-write copy of the same
// bytes, extract of 32767 items of one name, replace of one item in a 200 MB archive against
// copying that archive once, and the peak memory of extract and pack with a 1.5 GiB item.

#include "bench/folder.h"
#include "bench/ratio.h"
#include "formats/gfp.h"
#include "formats/png.h"
#include "jobs/archive.h"
#include "jobs/sidepicture.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace varnox::bench {

namespace {

constexpr std::int32_t kItems = kMaxResItems;
constexpr std::int32_t kLargeItems = 100;
constexpr std::int32_t kLargeSide = 1024; // 100 pictures of 1024 x 1024 x 2 bytes: 200 MiB

// An uncompressed picture of width x width pixels, every one a little different.
Bytes RawGfp(std::int32_t width, std::uint32_t seed)
{
    GfpPictureHeaderRecord picture;
    GfpPixelHeaderRecord pixel;
    picture.setWidth(width);
    picture.setHeight(width);
    pixel.setWidth(width);
    pixel.setHeight(width);
    pixel.setBitsPerPixel(16);
    pixel.setRawSize(width * width * 2);
    Bytes file(kGfpTag.begin(), kGfpTag.end());
    file.insert(file.end(), picture.bytes.begin(), picture.bytes.end());
    file.insert(file.end(), kGfpTag.begin(), kGfpTag.end());
    file.insert(file.end(), pixel.bytes.begin(), pixel.bytes.end());
    const std::size_t head = file.size();
    file.resize(head + static_cast<std::size_t>(width * width * 2));
    for (std::size_t i = head; i < file.size(); ++i)
        file[i] = static_cast<std::uint8_t>((i / 3 + seed) & 0xFF);
    return file;
}

// An archive of count items named "i<N>", directory first; every fourth a sound, the rest pictures.
Bytes MakeArchive(std::int32_t count, std::int32_t side, std::vector<ByteRange>& items)
{
    const auto n = static_cast<std::size_t>(count);
    Bytes file(kResHeaderSize + n * (kResEntrySize + kResNameSize));
    std::copy_n("RESF", 4, file.begin());
    PutLe32(file, 4, count);
    PutLe32(file, 8, static_cast<std::int32_t>(kResHeaderSize));
    for (std::size_t i = 0; i < n; ++i) {
        const bool sound = i % 4 == 3;
        Bytes data = RawGfp(side, static_cast<std::uint32_t>(i));
        if (sound)
            data.erase(data.begin(), data.begin() + kGfpPayloadAt);
        const std::string name = "i" + std::to_string(i);
        PutLe32(file, kResHeaderSize + i * kResEntrySize, sound ? 16 : kItemTypePicture);
        PutLe32(file, kResHeaderSize + i * kResEntrySize + 4, static_cast<std::int32_t>(file.size()));
        std::copy(name.begin(), name.end(),
                  file.begin() +
                      static_cast<std::ptrdiff_t>(kResHeaderSize + n * kResEntrySize + i * kResNameSize));
        items.push_back({static_cast<std::int64_t>(file.size()), static_cast<std::int64_t>(data.size())});
        file.insert(file.end(), data.begin(), data.end());
    }
    return file;
}

// An archive of count small sounds all named "klang".
Bytes MakeOneNameArchive(std::int32_t count)
{
    std::vector<ByteRange> unused;
    Bytes file = MakeArchive(count, 1, unused);
    const auto n = static_cast<std::size_t>(count);
    for (std::size_t i = 0; i < n; ++i) {
        const auto name =
            file.begin() + static_cast<std::ptrdiff_t>(kResHeaderSize + n * kResEntrySize + i * kResNameSize);
        std::fill_n(name, kResNameSize, 0);
        std::copy_n("klang", 5, name);
        PutLe32(file, kResHeaderSize + i * kResEntrySize, 16);
    }
    return file;
}

struct Folder {
    Path path = MakeBenchFolder();
    std::vector<ByteRange> items;      // of the many-item archive
    std::vector<ByteRange> largeItems; // of the 200 MB archive

    Folder()
    {
        Write("many.res", MakeArchive(kItems, 8, items));
        Write("one-name.res", MakeOneNameArchive(kItems));
        Write("large.res", MakeArchive(kLargeItems, kLargeSide, largeItems));
        Write("new.gfp", RawGfp(kLargeSide, 99));
        std::filesystem::create_directory(path / "plain");
        if (!jobs::ExtractArchive(path / "many.res", path / "extracted").status.ok())
            throw std::runtime_error("cannot extract");
    }
    ~Folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    void Write(const std::string& name, const Bytes& bytes) const
    {
        std::error_code error;
        if (!WriteFileAtomically(path / name, {std::span<const std::uint8_t>(bytes)}, error))
            throw std::runtime_error("cannot write " + name + ": " + error.message());
    }
};

Folder& TheFolder()
{
    static Folder folder;
    return folder;
}

bool WriteFile(const Path& path, const std::uint8_t* data, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, data, size) == static_cast<ssize_t>(size);
    return ::close(fd) == 0 && ok;
}

void Extract(benchmark::State& state)
{
    Folder& folder = TheFolder();
    for (auto _ : state) {
        if (!jobs::ExtractArchive(folder.path / "many.res", folder.path / "again").status.ok())
            state.SkipWithError("extract failed");
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

void ExtractOneName(benchmark::State& state)
{
    Folder& folder = TheFolder();
    for (auto _ : state) {
        if (!jobs::ExtractArchive(folder.path / "one-name.res", folder.path / "one-name").status.ok())
            state.SkipWithError("extract failed");
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

// The floor of extract: read the archive once, write each item's bytes to a file of its own.
void ExtractPlainCopy(benchmark::State& state)
{
    Folder& folder = TheFolder();
    for (auto _ : state) {
        Bytes file;
        std::error_code error;
        if (!ReadWholeFile(folder.path / "many.res", file, error))
            state.SkipWithError("cannot read the archive");
        for (std::size_t i = 0; i < folder.items.size(); ++i) {
            const ByteRange& item = folder.items[i];
            if (!WriteFile(folder.path / "plain" / ("i" + std::to_string(i)), file.data() + item.offset,
                           static_cast<std::size_t>(item.length)))
                state.SkipWithError("cannot write");
        }
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

void Pack(benchmark::State& state)
{
    Folder& folder = TheFolder();
    for (auto _ : state) {
        if (!jobs::PackArchive(folder.path / "extracted", folder.path / "packed.res").status.ok())
            state.SkipWithError("pack failed");
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

// The floor of pack: read every item file, write them one after the other into one file.
void PackPlainCopy(benchmark::State& state)
{
    Folder& folder = TheFolder();
    for (auto _ : state) {
        Bytes joined;
        for (std::size_t i = 0; i < folder.items.size(); ++i) {
            const std::string name = "i" + std::to_string(i) + (i % 4 == 3 ? ".sound" : ".gfp");
            Bytes item;
            std::error_code error;
            if (!ReadWholeFile(folder.path / "extracted" / name, item, error))
                state.SkipWithError("cannot read an item");
            joined.insert(joined.end(), item.begin(), item.end());
        }
        if (!WriteFile(folder.path / "joined.res", joined.data(), joined.size()))
            state.SkipWithError("cannot write");
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

// Extract with every picture also written as a PNG beside its GFP.
void ExtractPng(benchmark::State& state)
{
    Folder& folder = TheFolder();
    for (auto _ : state) {
        if (!jobs::ExtractArchive(folder.path / "many.res", folder.path / "again-png", {}, {},
                                  jobs::SidePicture::Png)
                 .status.ok())
            state.SkipWithError("extract --png failed");
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

// The many-item archive extracted with PNGs, every PNG then replaced by one of other pixels.
const Path& ChangedFolder()
{
    static const Path changed = [] {
        Folder& folder = TheFolder();
        Path to = folder.path / "changed";
        if (!jobs::ExtractArchive(folder.path / "many.res", to, {}, {}, jobs::SidePicture::Png).status.ok())
            throw std::runtime_error("cannot extract with PNGs");
        folder.Write("other.gfp", RawGfp(9, 7));
        auto source = OpenGfpSource(folder.path / "other.gfp");
        AtomicFile out;
        if (!source || !out.Open(folder.path / "other.png") || !CopyRows(**source, *MakePngSink(out)) ||
            !out.Commit())
            throw std::runtime_error("cannot write other.png");
        for (std::int32_t i = 0; i < kItems; ++i)
            if (i % 4 != 3)
                std::filesystem::copy_file(folder.path / "other.png", to / ("i" + std::to_string(i) + ".png"),
                                           std::filesystem::copy_options::overwrite_existing);
        return to;
    }();
    return changed;
}

// Pack of a folder whose every picture was changed as a PNG: each converted into its GFP.
void PackChanged(benchmark::State& state)
{
    const Path& changed = ChangedFolder();
    for (auto _ : state) {
        if (!jobs::PackArchive(changed, TheFolder().path / "packed-changed.res").status.ok())
            state.SkipWithError("pack failed");
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

void Replace(benchmark::State& state)
{
    Folder& folder = TheFolder();
    for (auto _ : state) {
        const auto result =
            jobs::ReplaceItem(folder.path / "large.res", "#50", folder.path / "new.gfp", GfpPacking::Zlib);
        if (!result.status.ok() || !result.inPlace)
            state.SkipWithError("replace failed");
    }
    state.SetBytesProcessed(state.iterations() * TheFolder().largeItems.back().end());
}

// The floor of replace: copy the archive once, a mebibyte at a time.
void CopyArchive(benchmark::State& state)
{
    Folder& folder = TheFolder();
    Bytes chunk(1 << 20);
    for (auto _ : state) {
        const int in = ::open((folder.path / "large.res").c_str(), O_RDONLY);
        const int out = ::open((folder.path / "copy.res").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ssize_t n = 0;
        while (in >= 0 && out >= 0 && (n = ::read(in, chunk.data(), chunk.size())) > 0)
            if (::write(out, chunk.data(), static_cast<std::size_t>(n)) != n)
                state.SkipWithError("cannot write");
        if (in < 0 || out < 0 || n < 0)
            state.SkipWithError("cannot copy");
        ::close(in);
        ::close(out);
    }
    state.SetBytesProcessed(state.iterations() * TheFolder().largeItems.back().end());
}

BENCHMARK(Extract)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ExtractOneName)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ExtractPlainCopy)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(Pack)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PackPlainCopy)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ExtractPng)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(PackChanged)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Replace)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(CopyArchive)->Unit(benchmark::kMillisecond)->Iterations(5);

const bool kRatios = AddRatio("Extract over plain copy", "Extract", "ExtractPlainCopy") &&
                     AddRatio("Pack over plain copy", "Pack", "PackPlainCopy") &&
                     AddRatio("Replace in 200 MiB over one copy", "Replace", "CopyArchive");

// An archive of a 32 x 32 picture followed by 256 MiB of zero bytes and a sound item of
// 1.5 GiB, sparse where it is zero.
void WriteLargeItemArchive(const Path& path)
{
    constexpr std::int64_t kGap = std::int64_t{256} << 20;
    constexpr std::int64_t kSound = std::int64_t{3} << 29;
    const Bytes picture = RawGfp(32, 1);
    const std::int64_t directory = kResHeaderSize;
    const std::int64_t first = directory + 2 * (kResEntrySize + kResNameSize);
    const std::int64_t second = first + static_cast<std::int64_t>(picture.size()) + kGap;
    Bytes head(static_cast<std::size_t>(first));
    std::copy_n("RESF", 4, head.begin());
    PutLe32(head, 4, 2);
    PutLe32(head, 8, static_cast<std::int32_t>(directory));
    PutLe32(head, kResHeaderSize, kItemTypePicture);
    PutLe32(head, kResHeaderSize + 4, static_cast<std::int32_t>(first));
    PutLe32(head, kResHeaderSize + kResEntrySize, 16);
    PutLe32(head, kResHeaderSize + kResEntrySize + 4, static_cast<std::int32_t>(second));
    std::copy_n("bild", 4, head.begin() + kResHeaderSize + 2 * kResEntrySize);
    std::copy_n("klang", 5, head.begin() + kResHeaderSize + 2 * kResEntrySize + kResNameSize);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const Bytes marks(4096, 0x5A); // some bytes of the sound are not zero
    bool ok = fd >= 0 && ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size()) &&
              ::pwrite(fd, picture.data(), picture.size(), first) == static_cast<ssize_t>(picture.size());
    for (std::int64_t at = second; ok && at < second + kSound; at += std::int64_t{64} << 20)
        ok = ::pwrite(fd, marks.data(), marks.size(), at) == static_cast<ssize_t>(marks.size());
    ok = ok && ::ftruncate(fd, second + kSound) == 0;
    if (fd < 0 || ::close(fd) != 0 || !ok)
        throw std::runtime_error("cannot write the large archive");
}

} // namespace

bool RunArchiveJob(const std::string& job, const Path& folder)
{
    if (job == "extract-large")
        return jobs::ExtractArchive(folder / "large.res", folder / "large").status.ok();
    if (job == "pack-large")
        return jobs::PackArchive(folder / "large", folder / "packed.res").status.ok();
    return false;
}

void PrintArchivePeakMemory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "varnox-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return;
    const Path folder = pattern;
    try {
        WriteLargeItemArchive(folder / "large.res");
        const std::int64_t extract = PeakOfFreshRun("extract-large", folder);
        const std::int64_t pack = PeakOfFreshRun("pack-large", folder);
        std::printf(
            "Peak memory with a 1.5 GiB item and a 256 MiB gap, each in a fresh process: extract %.1f "
            "MiB, pack %.1f MiB\n",
            MiB(extract), MiB(pack));
    } catch (const std::exception& error) {
        std::printf("Peak memory with a 1.5 GiB item: %s\n", error.what());
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace varnox::bench
