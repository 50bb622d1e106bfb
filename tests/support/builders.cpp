#include "tests/support/builders.h"

#include "formats/gfp.h"
#include "formats/res.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <sys/stat.h>

namespace varnox::test {

Bytes RandomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "varnox-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Give back write permission that a test may have taken away, then remove.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(path_, ignored);
}

void WriteBytes(const Path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadBytes(const Path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes PatternPixels(std::int32_t width, std::int32_t height, std::int32_t bytesPerPixel, std::uint32_t seed)
{
    std::mt19937 random(seed);
    const auto count = static_cast<std::size_t>(std::max(0, width)) *
                       static_cast<std::size_t>(std::max(0, height)) *
                       static_cast<std::size_t>(std::max(0, bytesPerPixel));
    Bytes pixels(count);
    for (std::size_t i = 0; i < count; ++i)
        pixels[i] = static_cast<std::uint8_t>((i / 7 + (random() & 3)) & 0xFF); // compressible, not trivial
    return pixels;
}

Bytes PhotoPixels(std::int32_t width, std::int32_t height, std::uint32_t seed, int noise)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> grain(-noise, noise);
    const auto w = static_cast<std::size_t>(std::max(0, width));
    const auto h = static_cast<std::size_t>(std::max(0, height));
    const auto channel = [&](double field) {
        return std::clamp(static_cast<int>(128 + 100 * field) + grain(random), 0, 255);
    };
    Bytes pixels(w * h * 2);
    for (std::size_t y = 0; y < h; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            const double fx = static_cast<double>(x) / static_cast<double>(w);
            const double fy = static_cast<double>(y) / static_cast<double>(h);
            const int r = channel(std::sin(6.3 * fx + 2 * fy));
            const int g = channel(std::sin(4.1 * fy + 3 * fx * fy));
            const int b = channel(std::cos(5.2 * (fx - fy)));
            const auto pixel = static_cast<std::uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
            pixels[(y * w + x) * 2] = static_cast<std::uint8_t>(pixel);
            pixels[(y * w + x) * 2 + 1] = static_cast<std::uint8_t>(pixel >> 8);
        }
    }
    return pixels;
}

Bytes MakeGfp(const GfpSpec& spec)
{
    GfpPictureHeaderRecord picture;
    GfpPixelHeaderRecord pixel;
    if (spec.filler != 0) {
        for (std::size_t i = 0; i < picture.bytes.size(); ++i)
            picture.bytes[i] = static_cast<std::uint8_t>(spec.filler + i);
        for (std::size_t i = 0; i < pixel.bytes.size(); ++i)
            pixel.bytes[i] = static_cast<std::uint8_t>(spec.filler * 3 + i);
    }
    const std::int32_t bytesPerPixel = (spec.bitsPerPixel + 1) / 8;
    Bytes pixels = spec.pixels.empty() ? PatternPixels(spec.width, spec.height, bytesPerPixel) : spec.pixels;
    picture.setWidth(spec.width);
    picture.setHeight(spec.height);
    pixel.setWidth(spec.width);
    pixel.setHeight(spec.height);
    pixel.setBitsPerPixel(spec.bitsPerPixel);
    pixel.setRawSize(spec.rawSize.value_or(static_cast<std::int32_t>(pixels.size())));
    pixel.setCompression(spec.compressed ? kGfpCompressionZlib : 0);
    pixel.setRawMark(spec.rawMark);

    Bytes payload;
    if (spec.compressed) {
        Bytes stream = pixels;
        CompressBlock(stream, -1);
        payload.resize(8);
        PutLe32(payload, 0, static_cast<std::int32_t>(pixels.size()));
        PutLe32(payload, 4, static_cast<std::int32_t>(stream.size()));
        payload.insert(payload.end(), stream.begin(), stream.end());
        pixel.setStoredSize(spec.storedSize.value_or(static_cast<std::int32_t>(stream.size()) + 8));
    } else {
        payload = pixels;
        pixel.setStoredSize(spec.storedSize.value_or(0));
    }
    const Bytes tag(kGfpTag.begin(), kGfpTag.end());
    return Concat({tag, Bytes(picture.bytes.begin(), picture.bytes.end()), tag,
                   Bytes(pixel.bytes.begin(), pixel.bytes.end()), payload});
}

ResOffsets LayoutRes(const std::vector<ResItemSpec>& items, const ResLayout& layout)
{
    ResOffsets offsets;
    const auto count = static_cast<std::int32_t>(items.size());
    const std::int32_t tables = count * 8 + count * 256;
    std::int32_t dataSize = 0;
    for (const auto& item : items)
        dataSize += static_cast<std::int32_t>(item.data.size());
    std::int32_t at = 0;
    if (layout.directoryFirst) {
        offsets.dataOffset = 12;
        at = 12 + tables;
    } else {
        offsets.dataOffset = 12 + dataSize;
        at = 12;
    }
    offsets.infoOffset = offsets.dataOffset + count * 8;
    for (const auto& item : items) {
        offsets.itemOffsets.push_back(at);
        at += static_cast<std::int32_t>(item.data.size());
    }
    return offsets;
}

Bytes MakeRes(const std::vector<ResItemSpec>& items, const ResLayout& layout)
{
    const ResOffsets offsets = LayoutRes(items, layout);
    Bytes header(12);
    std::copy_n("RESF", 4, header.begin());
    PutLe32(header, 4, layout.itemCount.value_or(static_cast<std::int32_t>(items.size())));
    PutLe32(header, 8, layout.dataOffset.value_or(offsets.dataOffset));

    Bytes directory(items.size() * 8);
    Bytes names(items.size() * 256, 0);
    Bytes data;
    for (std::size_t i = 0; i < items.size(); ++i) {
        PutLe32(directory, i * 8, items[i].type);
        PutLe32(directory, i * 8 + 4, items[i].offset.value_or(offsets.itemOffsets[i]));
        const std::string& name = items[i].name;
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 256),
                    names.begin() + static_cast<std::ptrdiff_t>(i * 256));
        if (items[i].fullName)
            for (std::size_t k = name.size(); k < 256; ++k)
                names[i * 256 + k] = 'x';
        data.insert(data.end(), items[i].data.begin(), items[i].data.end());
    }
    return layout.directoryFirst ? Concat({header, directory, names, data})
                                 : Concat({header, data, directory, names});
}

std::size_t ResBuilder::Data(Bytes bytes)
{
    parts_.push_back({std::move(bytes), false});
    return parts_.size() - 1;
}

std::size_t ResBuilder::Directory()
{
    parts_.push_back({{}, true});
    return parts_.size() - 1;
}

ResBuilder& ResBuilder::Entry(std::int32_t type, const std::string& nameField, std::size_t data)
{
    entries_.push_back({type, nameField, data, 0});
    return *this;
}

ResBuilder& ResBuilder::EntryAt(std::int32_t type, const std::string& nameField, std::int32_t offset)
{
    entries_.push_back({type, nameField, std::nullopt, offset});
    return *this;
}

Bytes ResBuilder::Build() const
{
    const std::size_t count = entries_.size();
    std::vector<std::size_t> at;
    std::size_t end = 12, directory = 12;
    for (const Part& part : parts_) {
        at.push_back(end);
        if (part.directory)
            directory = end;
        end += part.directory ? count * 264 : part.bytes.size();
    }
    Bytes file(end, 0);
    std::copy_n("RESF", 4, file.begin());
    PutLe32(file, 4, static_cast<std::int32_t>(count));
    PutLe32(file, 8, static_cast<std::int32_t>(directory));
    for (std::size_t i = 0; i < parts_.size(); ++i)
        std::copy(parts_[i].bytes.begin(), parts_[i].bytes.end(),
                  file.begin() + static_cast<std::ptrdiff_t>(at[i]));
    for (std::size_t i = 0; i < count; ++i) {
        const Entrant& e = entries_[i];
        PutLe32(file, directory + i * 8, e.type);
        PutLe32(file, directory + i * 8 + 4, e.part ? static_cast<std::int32_t>(at[*e.part]) : e.offset);
        std::copy_n(e.nameField.begin(), std::min<std::size_t>(e.nameField.size(), 256),
                    file.begin() + static_cast<std::ptrdiff_t>(directory + count * 8 + i * 256));
    }
    return file;
}

std::uint64_t InodeOf(const Path& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_ino) : 0;
}

std::vector<std::string> ListTree(const Path& root)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        names.push_back(std::filesystem::relative(entry.path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<Path> PathsOf(const Path& folder, const std::vector<std::string>& names, int first, int last)
{
    std::vector<Path> paths;
    for (int k = std::max(first, 0); k <= last && k < static_cast<int>(names.size()); ++k)
        paths.push_back(folder / names[static_cast<std::size_t>(k)]);
    return paths;
}

std::map<std::string, Bytes> Snapshot(const Path& root)
{
    std::map<std::string, Bytes> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string name = std::filesystem::relative(entry.path(), root).string();
        if (entry.is_directory())
            files[name + "/"] = {};
        else
            files[name] = ReadBytes(entry.path());
    }
    return files;
}

} // namespace varnox::test
