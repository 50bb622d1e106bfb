// The colour-mapped TGA path: the first seven bytes choose the header (run-length or raw,
// map entry size, map origin and length, width, height, orientation), the rest is the map
// and the pixel data. An accepted picture holds only colours of its map.

#include "formats/module1.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnox;
    if (size < 7)
        return 0;
    constexpr std::array<std::uint8_t, 4> kEntrySizes{15, 16, 24, 32};
    const std::uint8_t entrySize = kEntrySizes[data[1] % 4];
    const std::uint16_t first = data[2];
    const std::uint16_t length = static_cast<std::uint16_t>(data[3] + 1);
    Bytes file(18, 0);
    file[1] = 1;
    file[2] = (data[0] & 1) != 0 ? 9 : 1;
    PutLe16(&file[3], first);
    PutLe16(&file[5], length);
    file[7] = entrySize;
    PutLe16(&file[12], static_cast<std::uint16_t>(data[4] % 64));
    PutLe16(&file[14], static_cast<std::uint16_t>(data[5] % 64));
    file[16] = 8;
    file[17] = static_cast<std::uint8_t>(data[6] & 0x30);
    file.insert(file.end(), data + 7, data + size);
    const Path path = fuzz::WriteInput("input.tga", file.data(), file.size());

    Module1 module;
    const Result<Bytes> read = module.ReadTgaAsRgb565(path);
    if (!read.ok())
        return 0;
    const Bytes& pixels = read.value();
    const std::size_t width = data[4] % 64;
    const std::size_t height = data[5] % 64;
    fuzz::Check(pixels.size() == width * height * 2, "accepted picture has width x height pixels");
    if (pixels.empty())
        return 0; // no pixel data follows, so the map need not be whole

    // Every pixel is the RGB565 form of one map entry: read the map back as a one-row picture.
    const std::size_t entryBytes = (entrySize + 7u) / 8u;
    const std::size_t mapBytes = std::size_t{length} * entryBytes;
    fuzz::Check(file.size() >= 18 + mapBytes, "a picture with pixels has its whole map");
    Bytes row(18, 0);
    row[2] = 2;
    PutLe16(&row[12], length);
    PutLe16(&row[14], 1);
    row[16] = entrySize;
    row[17] = 0x20;
    row.insert(row.end(), file.begin() + 18, file.begin() + static_cast<std::ptrdiff_t>(18 + mapBytes));
    const Path mapPath = fuzz::WriteInput("map.tga", row.data(), row.size());
    const Bytes map = Module1().ReadTgaAsRgb565(mapPath).value_or(Bytes());
    for (std::size_t at = 0; at < pixels.size(); at += 2) {
        bool found = false;
        for (std::size_t k = 0; k + 1 < map.size() && !found; k += 2)
            found = map[k] == pixels[at] && map[k + 1] == pixels[at + 1];
        fuzz::Check(found, "every pixel is a colour of the map");
    }
    return 0;
}
