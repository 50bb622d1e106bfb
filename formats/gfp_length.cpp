#include "formats/gfp_length.h"

#include <algorithm>

namespace varnox {

std::optional<std::int32_t> GfpPayloadLength(const GfpPixelHeaderRecord& pixel)
{
    std::int32_t length = 0;
    try {
        length = pixel.compression() == kGfpCompressionZlib
                     ? pixel.storedSize()
                     : CheckedMul32(CheckedMul32(pixel.width(), pixel.height()), 2);
    } catch (const OverflowError&) {
        return std::nullopt;
    }
    if (length < 0)
        return std::nullopt;
    return length;
}

ExtractError MeasureGfp(std::span<const std::uint8_t> head, std::int64_t available, std::int64_t& length)
{
    const std::int64_t have = std::min<std::int64_t>(static_cast<std::int64_t>(head.size()), available);
    const auto tagAt = [&](std::int64_t at) {
        return have >= at + static_cast<std::int64_t>(kGfpTagSize) &&
               std::equal(kGfpTag.begin(), kGfpTag.end(), head.begin() + at);
    };
    const std::int64_t secondTagAt = kGfpPixelHeaderAt - static_cast<std::int64_t>(kGfpTagSize);
    if (!tagAt(0))
        return ExtractError::NoTag;
    if (have < secondTagAt)
        return ExtractError::HeaderTruncated;
    if (!tagAt(secondTagAt))
        return ExtractError::NoSecondTag;
    if (have < kGfpPayloadAt)
        return ExtractError::HeaderTruncated;
    GfpPixelHeaderRecord pixel;
    std::copy_n(head.begin() + kGfpPixelHeaderAt, kGfpPixelHeaderSize, pixel.bytes.begin());
    const std::optional<std::int32_t> payload = GfpPayloadLength(pixel);
    if (!payload)
        return ExtractError::PayloadLength;
    if (kGfpPayloadAt + *payload > available)
        return ExtractError::PayloadPastEnd;
    length = kGfpPayloadAt + *payload;
    return ExtractError::None;
}

} // namespace varnox
