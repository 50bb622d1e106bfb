#pragma once
// The row interface every picture codec meets through: a source yields a picture's rows
// top to bottom, a sink takes them. A conversion is a source joined to a sink, a preview
// a source joined to an image.

#include "formats/error.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace varnox {

enum class RowFormat {
    Rgb565, // 2 bytes a pixel, low byte first
    Bgr24,  // blue, green, red: a TGA's own order
    Rgb24,  // red, green, blue: a PNG's and an image's order
};

constexpr std::size_t BytesPerPixel(RowFormat format)
{
    return format == RowFormat::Rgb565 ? 2 : 3;
}

struct PictureInfo {
    std::int32_t width = 0;
    std::int32_t height = 0;
    RowFormat format = RowFormat::Rgb565; // of the rows the source yields
    std::string description;              // "GFP, zlib", "TGA 32 Bit RLE", "PNG" ...

    std::size_t RowBytes() const { return static_cast<std::size_t>(width) * BytesPerPixel(format); }
};

class RowSource {
  public:
    virtual ~RowSource() = default;
    virtual const PictureInfo& Info() const = 0;
    // Fills row (Info().RowBytes() bytes) with the next row, top row first.
    virtual Status ReadRow(std::span<std::uint8_t> row) = 0;
};

class RowSink {
  public:
    virtual ~RowSink() = default;
    // The format the sink wants its rows in; CopyRows converts when the source differs.
    virtual RowFormat Format() const = 0;
    virtual Status Start(std::int32_t width, std::int32_t height) = 0;
    // Takes the next row, top row first.
    virtual Status WriteRow(std::span<const std::uint8_t> row) = 0;
    virtual Status Finish() = 0;
};

// Told the number of rows done; returns false to stop the copy (the result is then
// IoError::Cancelled).
using RowProgress = std::function<bool(std::int32_t rowsDone)>;

// Converts one row of pixels between two different formats into out.
void ConvertRow(RowFormat from, std::span<const std::uint8_t> in, RowFormat to, std::uint8_t* out);

// Reads every row of source into sink, converting between row formats on the way.
Status CopyRows(RowSource& source, RowSink& sink, const RowProgress& progress = {});

} // namespace varnox
