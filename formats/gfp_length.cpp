#include "formats/gfp_length.h"

#include <algorithm>
#include <zlib.h>

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

namespace {

constexpr std::size_t kCheckPiece = 64 * 1024;

// Inflates the stream of count bytes at offset with zlib, output dropped; ShortPixels when
// it ends short of pixels bytes, ZlibData when it is damaged, unfinished or gives more.
GfpError InflateToCount(InputFile& file, std::int64_t offset, std::int64_t count, std::int64_t pixels)
{
    z_stream stream{};
    if (::inflateInit(&stream) != Z_OK)
        return GfpError::ZlibData;
    Bytes in(kCheckPiece), out(kCheckPiece);
    int code = Z_OK;
    std::int64_t read = 0;
    while (code == Z_OK && static_cast<std::int64_t>(stream.total_out) <= pixels) {
        if (stream.avail_in == 0 && read < count) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(count - read, kCheckPiece));
            if (!file.ReadAt(offset + read, std::span(in.data(), n))) {
                ::inflateEnd(&stream);
                return GfpError::CannotOpen;
            }
            read += static_cast<std::int64_t>(n);
            stream.next_in = in.data();
            stream.avail_in = static_cast<uInt>(n);
        } else if (stream.avail_in == 0) {
            break; // the stored bytes end before the stream does
        }
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        code = ::inflate(&stream, Z_NO_FLUSH);
        if (code == Z_BUF_ERROR && stream.avail_in == 0 && read < count)
            code = Z_OK;
    }
    const auto produced = static_cast<std::int64_t>(stream.total_out);
    ::inflateEnd(&stream);
    if (code != Z_STREAM_END || produced > pixels)
        return GfpError::ZlibData;
    return produced < pixels ? GfpError::ShortPixels : GfpError::None;
}

} // namespace

GfpError CheckGfpPixels(InputFile& file, std::int64_t offset, std::int64_t length)
{
    std::array<std::uint8_t, kGfpPayloadAt> head{};
    if (length < kGfpPayloadAt || !file.ReadAt(offset, head))
        return GfpError::CannotOpen;
    GfpPixelHeaderRecord pixel;
    std::copy_n(head.begin() + kGfpPixelHeaderAt, kGfpPixelHeaderSize, pixel.bytes.begin());
    if (pixel.compression() != kGfpCompressionZlib)
        return GfpError::None;
    std::int32_t bytesPerPixel = 0;
    try {
        bytesPerPixel = BytesPerPixel(pixel.bitsPerPixel());
    } catch (const OverflowError&) {
        return GfpError::RawSize;
    }
    const std::int64_t area = std::int64_t{pixel.width()} * pixel.height();
    if (pixel.width() < 0 || pixel.height() < 0 || bytesPerPixel < 0 ||
        (bytesPerPixel > 0 && area > kMaxRawSize / bytesPerPixel))
        return GfpError::RawSize;
    const std::int64_t pixels = area * bytesPerPixel;
    if (length < kGfpStreamAt)
        return GfpError::StoredSize;
    return InflateToCount(file, offset + kGfpStreamAt, length - kGfpStreamAt, pixels);
}

} // namespace varnox
