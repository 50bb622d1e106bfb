#pragma once
// A picture reduced in one pass: a sink that averages the rows as they come straight into
// a picture that fits a box, never holding the picture at its full size.

#include "formats/bytes.h"
#include "formats/rows.h"

#include <cstdint>
#include <span>
#include <vector>

namespace varnox {

struct ReducedSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The size of a width x height picture scaled to fit a box x box square, the aspect kept
// (each side rounded, at least 1) and never larger than the picture itself; 0 x 0 for an
// empty picture or a box below 1.
ReducedSize ReducedSizeFor(std::int32_t width, std::int32_t height, std::int32_t box);

// Takes Rgb24 rows and averages each block of source pixels that falls on one pixel of the
// reduced picture (a box filter; blocks differ by at most one pixel in each direction). It
// holds the reduced picture and one row of sums, nothing of the size of the source.
class BoxReducer final : public RowSink {
  public:
    explicit BoxReducer(std::int32_t box) : box_(box) {}

    RowFormat Format() const override { return RowFormat::Rgb24; }
    // Refuses an empty picture (PngError::Size); IoError::OutOfMemory when the reduced
    // picture cannot be held.
    Status Start(std::int32_t width, std::int32_t height) override;
    Status WriteRow(std::span<const std::uint8_t> row) override;
    Status Finish() override;

    std::int32_t Width() const { return size_.width; }
    std::int32_t Height() const { return size_.height; }
    // The reduced picture once Finish succeeded: Rgb24 rows of Width() pixels, top row first.
    std::span<const std::uint8_t> Pixels() const { return pixels_; }
    std::span<const std::uint8_t> Row(std::int32_t y) const;

  private:
    void AddRow(std::span<const std::uint8_t> row);
    void FlushRow();

    std::int32_t box_;
    std::int32_t sourceWidth_ = 0;
    std::int32_t sourceHeight_ = 0;
    ReducedSize size_;
    std::vector<std::int32_t> columnEnd_; // the source column after each reduced column
    std::vector<std::uint64_t> sums_;     // red, green, blue of each block of the rows taken
    Bytes pixels_;
    std::int32_t rowsIn_ = 0;  // source rows taken
    std::int32_t rowsOut_ = 0; // reduced rows made
    std::int32_t blockRows_ = 0;
};

} // namespace varnox
