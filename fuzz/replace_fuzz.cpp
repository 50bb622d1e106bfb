// Replace on a fuzzed archive. Input: the item's index, a choice of picture (bit 0: a TGA,
// bit 1: a large GFP), then the archive. A refusal touches nothing; a replacement changes
// only the item's extent or appends its data and changes its entry.

#include "formats/gfp_length.h"
#include "fuzz/fuzz_support.h"
#include "jobs/archive.h"

#include <algorithm>
#include <system_error>

namespace {

using namespace varnox;

Bytes Gfp(std::int32_t width, std::int32_t height)
{
    GfpPictureHeaderRecord picture;
    GfpPixelHeaderRecord pixel;
    picture.setWidth(width);
    picture.setHeight(height);
    pixel.setWidth(width);
    pixel.setHeight(height);
    pixel.setBitsPerPixel(16);
    pixel.setRawSize(width * height * 2);
    Bytes file(kGfpTag.begin(), kGfpTag.end());
    file.insert(file.end(), picture.bytes.begin(), picture.bytes.end());
    file.insert(file.end(), kGfpTag.begin(), kGfpTag.end());
    file.insert(file.end(), pixel.bytes.begin(), pixel.bytes.end());
    file.resize(file.size() + static_cast<std::size_t>(width * height * 2), 0x5A);
    return file;
}

Bytes Tga()
{
    Bytes tga(18, 0);
    tga[2] = 2;
    tga[12] = 2;
    tga[14] = 2;
    tga[16] = 24;
    tga.resize(18 + 2 * 2 * 3, 0x77);
    return tga;
}

Bytes Read(const Path& path)
{
    Bytes bytes;
    std::error_code ignored;
    ReadWholeFile(path, bytes, ignored);
    return bytes;
}

std::int64_t GfpLengthAt(const Bytes& file, std::int64_t offset)
{
    const auto at = static_cast<std::size_t>(offset);
    const std::span<const std::uint8_t> rest(file.data() + at, file.size() - at);
    const Result<std::int64_t> length =
        MeasureGfp(rest.first(std::min<std::size_t>(rest.size(), kGfpPayloadAt)), std::int64_t(rest.size()));
    return length.ok() ? length.value() : -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace fs = std::filesystem;
    if (size < 2)
        return 0;
    const Path root = fuzz::Workspace() / "replace";
    std::error_code ignored;
    fs::remove_all(root, ignored);
    fs::create_directories(root);
    const Bytes original(data + 2, data + size);
    const Path archive = fuzz::WriteInput("replace/a.res", original.data(), original.size());
    const bool tga = (data[1] & 1) != 0;
    const Bytes picture = tga ? Tga() : (data[1] & 2) != 0 ? Gfp(40, 40) : Gfp(2, 1);
    const Path file =
        fuzz::WriteInput(tga ? "replace/p.tga" : "replace/p.gfp", picture.data(), picture.size());
    const std::string item = "#" + std::to_string(data[0]);

    Module1 module;
    ArchiveModel model;
    const bool readable = ReadArchive(module, archive, model).ok();
    const auto result = jobs::ReplaceItem(archive, item, file, GfpPacking::Zlib);
    const Bytes after = Read(archive);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root))
        ++files;
    if (!result.status.ok()) {
        fuzz::Check(after == original, "a refusal leaves the archive");
        fuzz::Check(files == 2, "and makes no file");
        return 0;
    }
    fuzz::Check(readable && result.index == data[0], "only a readable archive's item is replaced");
    fuzz::Check(Read(fs::path(archive) += ".bak") == original, "the old archive is kept");
    fuzz::Check(files == 3, "beside the archive only its backup");
    const ArchiveItem& old = model.items[static_cast<std::size_t>(result.index)];
    const std::int64_t length = GfpLengthAt(after, result.offset);
    fuzz::Check(length > 0, "the item's data are a GFP");
    if (!tga)
        fuzz::Check(length == std::int64_t(picture.size()) &&
                        std::equal(picture.begin(), picture.end(), after.begin() + result.offset),
                    "the GFP as given");
    const auto at = static_cast<std::size_t>(result.offset);
    if (result.inPlace) {
        const auto extentEnd = at + static_cast<std::size_t>(old.extent);
        fuzz::Check(result.offset == old.entry.itemDataOffset && length <= old.extent,
                    "in place within the extent");
        fuzz::Check(after.size() == original.size() &&
                        std::equal(after.begin(), after.begin() + result.offset, original.begin()),
                    "bytes before the item stay");
        fuzz::Check(std::equal(after.begin() + std::ptrdiff_t(extentEnd), after.end(),
                               original.begin() + std::ptrdiff_t(extentEnd)),
                    "bytes after the extent stay");
        fuzz::Check(std::all_of(after.begin() + std::ptrdiff_t(at + static_cast<std::size_t>(length)),
                                after.begin() + std::ptrdiff_t(extentEnd),
                                [](std::uint8_t b) { return b == 0; }),
                    "the rest of the extent is zeroed");
    } else {
        fuzz::Check(at == original.size() &&
                        after.size() == original.size() + static_cast<std::size_t>(length),
                    "appended at the end");
        Bytes expected = original;
        PutLe32(expected,
                static_cast<std::size_t>(model.tables.offset) + 8 * static_cast<std::size_t>(result.index) +
                    4,
                result.offset);
        fuzz::Check(std::equal(expected.begin(), expected.end(), after.begin()),
                    "only the entry changes before");
    }
    return 0;
}
