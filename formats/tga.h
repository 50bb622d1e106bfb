#pragma once
// TGA header record and the reader's error values.

#include "fileio/fileio.h"
#include "formats/bytes.h"
#include "formats/rows.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace varnox {

constexpr std::size_t kTgaHeaderSize = 18;
// The largest width and height a TGA header holds (signed 16-bit).
constexpr std::int32_t kMaxTgaSize = 32767;

// Byte-exact image of the 18-byte TGA header.
struct TgaHeaderRecord {
    std::array<std::uint8_t, kTgaHeaderSize> bytes{};

    std::uint8_t idLength() const { return bytes[0]; }
    std::uint8_t colorMapType() const { return bytes[1]; }
    std::uint8_t imageType() const { return bytes[2]; }
    std::uint16_t colorMapFirstEntry() const { return Le16(&bytes[3]); }
    std::uint16_t colorMapLength() const { return Le16(&bytes[5]); }
    std::uint8_t colorMapEntrySize() const { return bytes[7]; }
    std::int16_t xOrigin() const { return Le16s(&bytes[8]); }
    std::int16_t yOrigin() const { return Le16s(&bytes[10]); }
    std::int16_t width() const { return Le16s(&bytes[12]); }
    std::int16_t height() const { return Le16s(&bytes[14]); }
    std::uint8_t pixelDepth() const { return bytes[16]; }
    std::uint8_t imageDescriptor() const { return bytes[17]; }

    void setImageType(std::uint8_t v) { bytes[2] = v; }
    void setWidth(std::int16_t v) { PutLe16(&bytes[12], static_cast<std::uint16_t>(v)); }
    void setHeight(std::int16_t v) { PutLe16(&bytes[14], static_cast<std::uint16_t>(v)); }
    void setPixelDepth(std::uint8_t v) { bytes[16] = v; }
};

enum class TgaError {
    None,
    CannotOpen,
    Truncated,   // shorter than its header
    ColorMapped, // types 1 and 9 with indices of other than 8 bits
    Grey,        // types 3 and 11 of other than 8 or 16 bits
    ImageType,   // not true colour (2, 10), colour-mapped (1, 9) or grey (3, 11)
    PixelDepth,  // true colour of other than 15, 16, 24 or 32 bits
    ColorMap,    // a colour-mapped picture without a usable map
    ColorIndex,  // an index outside the colour map
    Size,        // negative width or height
    TooLarge,    // more pixel bytes than a GFP may hold
    PixelData,   // pixel data shorter than the picture
    RleData,     // a run-length packet reaches past the end of the picture
};

// Opens a TGA as a source of RGB565 rows, top row first: true colour (15, 16, 24, 32 bits),
// grey (8 bits, or 16 with alpha), colour-mapped (8 bits), raw or run-length encoded, in
// any origin. header, when given, receives the file's header even when the picture is
// refused after reading it. A run-length picture is decoded at once, into its RGB565 form only.
// With in given, path names a file of that held folder, opened without following a link.
Result<std::unique_ptr<RowSource>> OpenTgaSource(const Path& path, TgaHeaderRecord* header = nullptr,
                                                 const Folder* in = nullptr);

// The header of the 24-bit uncompressed TGA the writer makes.
TgaHeaderRecord TgaHeaderFor(std::int16_t width, std::int16_t height);

// A sink writing an uncompressed 24-bit TGA, bottom row first, into file from its start.
// The file is not committed: the caller decides.
std::unique_ptr<RowSink> MakeTgaSink(AtomicFile& file);

} // namespace varnox
