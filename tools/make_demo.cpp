// Writes the demo files into a folder: demo.res (a few generated pictures and one sound item),
// demo.gfp and demo.tga, so that a first start of the tool has something to show.
// Usage: varnox-demo FOLDER

#include "fileio/fileio.h"
#include "formats/bytes.h"
#include "formats/gfp.h"
#include "formats/res.h"
#include "formats/rgb565.h"
#include "formats/tga.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace {

using varnox::Bytes;
using varnox::Path;

struct Rgb {
    std::uint8_t red, green, blue;
};

using Pattern = std::function<Rgb(int x, int y, int width, int height)>;

std::uint8_t Byte(int value)
{
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

Rgb Gradient(int x, int y, int width, int height)
{
    return {Byte(255 * x / (width - 1)), Byte(255 * y / (height - 1)), Byte(255 - 255 * x / (width - 1))};
}

Rgb Checkerboard(int x, int y, int, int)
{
    return ((x / 8) + (y / 8)) % 2 == 0 ? Rgb{240, 240, 240} : Rgb{40, 60, 160};
}

Rgb ColourBars(int x, int, int width, int)
{
    static constexpr Rgb kBars[] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                    {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
    return kBars[x * 8 / width];
}

Rgb Rings(int x, int y, int width, int height)
{
    const double dx = x - width / 2.0;
    const double dy = y - height / 2.0;
    const int ring = static_cast<int>(std::sqrt(dx * dx + dy * dy) / 6.0);
    return ring % 2 == 0 ? Rgb{250, 200, 40} : Rgb{120, 20, 90};
}

Rgb Stripes(int x, int y, int, int)
{
    return ((x + y) / 10) % 3 == 0   ? Rgb{30, 160, 60}
           : ((x + y) / 10) % 3 == 1 ? Rgb{230, 230, 210}
                                     : Rgb{200, 60, 40};
}

// RGB565 pixel bytes, top row first, low byte first.
Bytes Rgb565Pixels(const Pattern& pattern, int width, int height)
{
    Bytes pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 2);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = pattern(x, y, width, height);
            const auto v = varnox::PackRgb565(static_cast<std::uint8_t>(varnox::Reduce8To5(c.red)),
                                              static_cast<std::uint8_t>(varnox::Reduce8To6(c.green)),
                                              static_cast<std::uint8_t>(varnox::Reduce8To5(c.blue)));
            pixels.push_back(static_cast<std::uint8_t>(v & 0xFF));
            pixels.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    return pixels;
}

// A whole GFP file of a 16-bit picture, zlib-compressed or raw.
Bytes MakeGfp(const Pattern& pattern, int width, int height, bool compressed)
{
    varnox::GfpHead head;
    head.pixel.setWidth(width);
    head.pixel.setHeight(height);
    const Bytes pixels = Rgb565Pixels(pattern, width, height);
    return varnox::MakeGfp(head, pixels,
                           compressed ? varnox::GfpPacking::Zlib : varnox::GfpPacking::Uncompressed);
}

// An uncompressed 24-bit TGA, bottom row first.
Bytes MakeTga(const Pattern& pattern, int width, int height)
{
    varnox::TgaHeaderRecord header;
    header.setImageType(2);
    header.setPixelDepth(24);
    header.setWidth(static_cast<std::int16_t>(width));
    header.setHeight(static_cast<std::int16_t>(height));
    Bytes file(header.bytes.begin(), header.bytes.end());
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = pattern(x, y, width, height);
            file.insert(file.end(), {c.blue, c.green, c.red});
        }
    return file;
}

struct Item {
    std::int32_t type;
    std::string name;
    Bytes data;
};

// A RES archive: header, directory at offset 12, name table, then the item data.
Bytes MakeRes(const std::vector<Item>& items)
{
    const auto count = static_cast<std::int32_t>(items.size());
    const std::int32_t dataOffset = varnox::kResHeaderSize;
    const std::int32_t infoOffset = dataOffset + count * static_cast<std::int32_t>(varnox::kResEntrySize);
    std::int32_t at = infoOffset + count * static_cast<std::int32_t>(varnox::kResNameSize);

    Bytes file(static_cast<std::size_t>(at), 0);
    std::copy_n("RESF", 4, file.begin());
    varnox::PutLe32(file, 4, count);
    varnox::PutLe32(file, 8, dataOffset);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::size_t entry = static_cast<std::size_t>(dataOffset) + i * varnox::kResEntrySize;
        varnox::PutLe32(file, entry, items[i].type);
        varnox::PutLe32(file, entry + 4, at);
        std::copy(items[i].name.begin(), items[i].name.end(),
                  file.begin() + static_cast<std::ptrdiff_t>(infoOffset) +
                      static_cast<std::ptrdiff_t>(i * varnox::kResNameSize));
        file.insert(file.end(), items[i].data.begin(), items[i].data.end());
        at += static_cast<std::int32_t>(items[i].data.size());
    }
    return file;
}

Bytes SoundBytes()
{
    Bytes sound(2000);
    for (std::size_t i = 0; i < sound.size(); ++i)
        sound[i] = static_cast<std::uint8_t>(128 + 100 * std::sin(static_cast<double>(i) * 0.2));
    return sound;
}

bool Write(const Path& path, const Bytes& bytes)
{
    std::error_code error;
    if (varnox::WriteFileAtomically(path, {std::span<const std::uint8_t>(bytes)}, error))
        return true;
    std::fprintf(stderr, "varnox-demo: %s: %s\n", varnox::PathText(path).c_str(), error.message().c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: varnox-demo ORDNER\n");
        return 2;
    }
    const Path folder = argv[1];
    const Bytes archive = MakeRes({
        {varnox::kItemTypePicture, "verlauf", MakeGfp(Gradient, 64, 48, true)},
        {varnox::kItemTypePicture, "schachbrett", MakeGfp(Checkerboard, 64, 64, true)},
        {16, "glocke", SoundBytes()},
        {varnox::kItemTypePicture, "farbbalken", MakeGfp(ColourBars, 80, 40, false)},
    });
    const bool ok = Write(folder / "demo.res", archive) &&
                    Write(folder / "demo.gfp", MakeGfp(Rings, 96, 64, true)) &&
                    Write(folder / "demo.tga", MakeTga(Stripes, 96, 64));
    return ok ? 0 : 1;
}
