#include "tests/support/tga_builder.h"

#include <random>
#include <stdexcept>

namespace varnox::test {

Bytes StoredPixels(const TgaSpec& spec)
{
    const int width = spec.width;
    const int height = spec.height;
    if (spec.picture.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        throw std::invalid_argument("picture does not match width x height");
    const bool topFirst = (spec.imageDescriptor & 0x20) != 0;
    const bool rightToLeft = (spec.imageDescriptor & 0x10) != 0;
    Bytes out;
    for (int r = 0; r < height; ++r) {
        const int row = topFirst ? r : height - 1 - r;
        for (int c = 0; c < width; ++c) {
            const int column = rightToLeft ? width - 1 - c : c;
            const Bgra& p = spec.picture[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                                         static_cast<std::size_t>(column)];
            if (spec.pixelDepth == 8) {
                out.push_back(p.blue);
            } else if (spec.pixelDepth == 16 && (spec.imageType == 3 || spec.imageType == 11)) {
                out.insert(out.end(), {p.blue, p.alpha});
            } else if (spec.pixelDepth == 15 || spec.pixelDepth == 16) {
                const int v = (p.red >> 3) << 10 | (p.green >> 3) << 5 | (p.blue >> 3);
                out.push_back(static_cast<std::uint8_t>(v & 0xFF));
                out.push_back(static_cast<std::uint8_t>(v >> 8));
            } else {
                out.insert(out.end(), {p.blue, p.green, p.red});
                if (spec.pixelDepth == 32)
                    out.push_back(p.alpha);
            }
        }
    }
    return out;
}

namespace {

Bytes Encode(const TgaSpec& spec, const Bytes& stored)
{
    const std::size_t bpp = static_cast<std::size_t>((spec.pixelDepth + 7) / 8);
    const std::size_t pixels = stored.size() / bpp;
    std::vector<RlePacket> packets = spec.packets;
    if (packets.empty())
        for (std::size_t at = 0; at < pixels; at += 128)
            packets.push_back({false, static_cast<int>(std::min<std::size_t>(128, pixels - at))});
    Bytes out;
    std::size_t at = 0;
    for (const auto& packet : packets) {
        const auto count = static_cast<std::size_t>(packet.count);
        out.push_back(static_cast<std::uint8_t>((packet.run ? 0x80 : 0) | (packet.count - 1)));
        const std::size_t take = packet.run ? 1 : count;
        for (std::size_t k = 0; k < take * bpp; ++k)
            out.push_back(at * bpp + k < stored.size() ? stored[at * bpp + k] : 0);
        at += count;
    }
    return out;
}

} // namespace

Bytes MakeTga(const TgaSpec& spec)
{
    Bytes file(18, 0);
    file[0] = static_cast<std::uint8_t>(spec.imageId.size());
    file[1] = spec.colorMapType;
    file[2] = spec.imageType;
    PutLe16(&file[3], spec.colorMapFirst);
    PutLe16(&file[5], spec.colorMapLength);
    file[7] = spec.colorMapEntrySize;
    PutLe16(&file[12], static_cast<std::uint16_t>(spec.width));
    PutLe16(&file[14], static_cast<std::uint16_t>(spec.height));
    file[16] = spec.pixelDepth;
    file[17] = spec.imageDescriptor;
    file.insert(file.end(), spec.imageId.begin(), spec.imageId.end());
    if (spec.colorMap)
        file.insert(file.end(), spec.colorMap->begin(), spec.colorMap->end());
    else
        file.insert(file.end(), std::size_t{spec.colorMapLength} * ((spec.colorMapEntrySize + 7u) / 8u),
                    0xCC);
    Bytes data;
    if (spec.pixelData) {
        data = *spec.pixelData;
    } else {
        const Bytes stored = StoredPixels(spec);
        data = spec.imageType >= 9 ? Encode(spec, stored) : stored;
    }
    file.insert(file.end(), data.begin(), data.end());
    file.insert(file.end(), spec.trailer.begin(), spec.trailer.end());
    return file;
}

std::vector<Bgra> PatternPicture(int width, int height, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<Bgra> picture(static_cast<std::size_t>(std::max(0, width * height)));
    for (auto& p : picture) {
        const auto v = static_cast<std::uint32_t>(random());
        p = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    }
    return picture;
}

Bytes PatternTga(std::int16_t width, std::int16_t height)
{
    TgaSpec spec;
    spec.width = width;
    spec.height = height;
    spec.picture = PatternPicture(width, height);
    return MakeTga(spec);
}

} // namespace varnox::test
