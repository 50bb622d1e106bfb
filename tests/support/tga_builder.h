#pragma once
// Builder for TGA test files: header fields, image ID, colour map, and pixel data stored
// raw or run-length encoded in any origin.

#include "formats/bytes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace varnox::test {

// One pixel as the picture shows it; alpha is written only at 32 bits.
struct Bgra {
    std::uint8_t blue = 0, green = 0, red = 0, alpha = 255;
};

// One run-length packet: a run repeats its first pixel count times, a raw packet holds count pixels.
struct RlePacket {
    bool run = false;
    int count = 1; // 1 to 128
};

struct TgaSpec {
    std::int16_t width = 2;
    std::int16_t height = 2;
    std::uint8_t imageType = 2;
    std::uint8_t pixelDepth = 24;
    std::uint8_t imageDescriptor = 0; // bit 5: top row first, bit 4: right to left
    Bytes imageId;                    // idLength is its size
    std::uint8_t colorMapType = 0;
    std::uint16_t colorMapLength = 0; // entries of colorMapEntrySize bits, filled with 0xCC
    std::uint16_t colorMapFirst = 0;  // the index of the map's first entry
    std::optional<Bytes> colorMap;    // replaces the 0xCC entries
    std::uint8_t colorMapEntrySize = 0;
    // The picture, top row first, left to right; width x height pixels.
    std::vector<Bgra> picture;
    // Run-length packets in file order for type 10; empty: raw packets of up to 128 pixels.
    std::vector<RlePacket> packets;
    std::optional<Bytes> pixelData; // replaces the pixel data that would be written
    Bytes trailer;                  // bytes after the pixel data
};

// The pixels of the picture in file order: rows as imageDescriptor says, each pixel in
// pixelDepth / 8 bytes (5-5-5 at 15 and 16 bits, from the top 5 bits of each channel; the
// blue byte alone at 8 bits, as a grey value or a colour index; grey at 16 bits: blue, then
// alpha).
Bytes StoredPixels(const TgaSpec& spec);

// The whole TGA file.
Bytes MakeTga(const TgaSpec& spec);

// A raw 24-bit TGA of width x height holding PatternPicture.
Bytes PatternTga(std::int16_t width, std::int16_t height);

// A picture of width x height pixels with distinct, varied colours.
std::vector<Bgra> PatternPicture(int width, int height, std::uint32_t seed = 1);

} // namespace varnox::test
