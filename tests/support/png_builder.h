#pragma once
// Builder for PNG test files, written with libspng's encoder in any colour type, depth and
// interlacing, and helpers that change fields as a damaged or crafted file would.

#include "formats/bytes.h"

#include <cstdint>
#include <vector>

namespace varnox::test {

enum PngColorType : std::uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

struct PngSpec {
    std::uint32_t width = 2;
    std::uint32_t height = 2;
    PngColorType colorType = kRgb;
    std::uint8_t bitDepth = 8;
    bool interlaced = false;
    // Sample values row by row, pixel by pixel, channel by channel; palette indices for
    // kPalette. Each below 2 ^ bitDepth.
    std::vector<std::uint16_t> samples;
    Bytes palette;      // red, green, blue of each entry
    Bytes paletteAlpha; // tRNS: alpha of the first entries; none when empty
};

// File offsets of the IHDR fields and of its CRC.
constexpr std::size_t kPngWidthAt = 16;
constexpr std::size_t kPngHeightAt = 20;
constexpr std::size_t kPngIhdrCrcAt = 29;

// The whole PNG; throws when libspng refuses the spec.
Bytes MakePng(const PngSpec& spec);

// Sets width and height in IHDR and its CRC to match, as a crafted file would.
void SetPngSize(Bytes& png, std::uint32_t width, std::uint32_t height);

} // namespace varnox::test
