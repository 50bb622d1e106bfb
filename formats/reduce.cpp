#include "formats/reduce.h"

#include <algorithm>
#include <new>

namespace varnox {

namespace {

// The longer side becomes box, the other its share of box, rounded half up.
std::int32_t ShorterSide(std::int64_t longer, std::int64_t shorter, std::int64_t box)
{
    return static_cast<std::int32_t>(std::max<std::int64_t>(1, (2 * shorter * box + longer) / (2 * longer)));
}

// The first source row or column after block k of n blocks over length source pixels.
std::int32_t BlockEnd(std::int64_t k, std::int64_t n, std::int64_t length)
{
    return static_cast<std::int32_t>((k + 1) * length / n);
}

} // namespace

ReducedSize ReducedSizeFor(std::int32_t width, std::int32_t height, std::int32_t box)
{
    if (width <= 0 || height <= 0 || box <= 0)
        return {};
    if (width <= box && height <= box)
        return {width, height};
    if (width >= height)
        return {box, ShorterSide(width, height, box)};
    return {ShorterSide(height, width, box), box};
}

Status BoxReducer::Start(std::int32_t width, std::int32_t height)
{
    size_ = ReducedSizeFor(width, height, box_);
    if (size_.width == 0)
        return Error{PngError::Size, {}, {}, {}};
    sourceWidth_ = width;
    sourceHeight_ = height;
    rowsIn_ = rowsOut_ = blockRows_ = 0;
    try {
        const auto columns = static_cast<std::size_t>(size_.width);
        columnEnd_.resize(columns);
        for (std::size_t x = 0; x < columns; ++x)
            columnEnd_[x] = BlockEnd(static_cast<std::int64_t>(x), size_.width, width);
        sums_.assign(columns * 3, 0);
        pixels_.assign(columns * 3 * static_cast<std::size_t>(size_.height), 0);
    } catch (const std::bad_alloc&) {
        size_ = {};
        return Error{IoError::OutOfMemory, {}, {}, {}};
    }
    return {};
}

void BoxReducer::AddRow(std::span<const std::uint8_t> row)
{
    const std::uint8_t* in = row.data();
    std::uint64_t* sum = sums_.data();
    std::int32_t column = 0;
    for (const std::int32_t end : columnEnd_) {
        std::uint64_t red = 0, green = 0, blue = 0;
        for (; column < end; ++column, in += 3) {
            red += in[0];
            green += in[1];
            blue += in[2];
        }
        sum[0] += red;
        sum[1] += green;
        sum[2] += blue;
        sum += 3;
    }
}

void BoxReducer::FlushRow()
{
    std::uint8_t* out = pixels_.data() + static_cast<std::size_t>(rowsOut_) * sums_.size();
    std::int32_t start = 0;
    for (std::size_t x = 0; x < columnEnd_.size(); ++x) {
        const auto count =
            static_cast<std::uint64_t>(columnEnd_[x] - start) * static_cast<std::uint64_t>(blockRows_);
        for (std::size_t c = 0; c < 3; ++c) {
            std::uint64_t& sum = sums_[x * 3 + c];
            out[x * 3 + c] = static_cast<std::uint8_t>((sum + count / 2) / count);
            sum = 0;
        }
        start = columnEnd_[x];
    }
    ++rowsOut_;
    blockRows_ = 0;
}

Status BoxReducer::WriteRow(std::span<const std::uint8_t> row)
{
    // Rows beyond the picture, or too short for it, have nowhere to go.
    if (rowsIn_ >= sourceHeight_ || row.size() < static_cast<std::size_t>(sourceWidth_) * 3)
        return {};
    AddRow(row);
    ++rowsIn_;
    ++blockRows_;
    if (rowsIn_ == BlockEnd(rowsOut_, size_.height, sourceHeight_))
        FlushRow();
    return {};
}

Status BoxReducer::Finish()
{
    return {};
}

std::span<const std::uint8_t> BoxReducer::Row(std::int32_t y) const
{
    const std::size_t rowBytes = static_cast<std::size_t>(size_.width) * 3;
    return std::span<const std::uint8_t>(pixels_).subspan(static_cast<std::size_t>(y) * rowBytes, rowBytes);
}

} // namespace varnox
