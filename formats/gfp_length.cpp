#include "formats/gfp_length.h"

#include <algorithm>
#include <zlib.h>

namespace varnox {

namespace {

template <class Code> Error Refused(Code code)
{
    return Error{code, {}, {}, {}};
}

} // namespace

std::optional<std::int32_t> GfpPayloadLength(const GfpPixelHeaderRecord& pixel)
{
    const std::optional<std::int32_t> area = CheckedMul32(pixel.width(), pixel.height());
    const std::optional<std::int32_t> length = pixel.compression() == kGfpCompressionZlib ? pixel.storedSize()
                                               : area ? CheckedMul32(*area, 2)
                                                      : std::nullopt;
    if (!length || *length < 0)
        return std::nullopt;
    return length;
}

Result<std::int64_t> MeasureGfp(std::span<const std::uint8_t> head, std::int64_t available)
{
    const std::int64_t have = std::min<std::int64_t>(static_cast<std::int64_t>(head.size()), available);
    GfpPictureHeaderRecord picture;
    GfpPixelHeaderRecord pixel;
    if (auto status = ParseGfpBlocks(head.first(static_cast<std::size_t>(std::max<std::int64_t>(0, have))),
                                     picture, pixel);
        !status) {
        const GfpError code = CodeOf<GfpError>(status);
        if (code == GfpError::FirstTag)
            return Refused(ExtractError::NoTag);
        return Refused(code == GfpError::SecondTag ? ExtractError::NoSecondTag
                                                   : ExtractError::HeaderTruncated);
    }
    const std::optional<std::int32_t> payload = GfpPayloadLength(pixel);
    if (!payload)
        return Refused(ExtractError::PayloadLength);
    if (kGfpPayloadAt + *payload > available)
        return Refused(ExtractError::PayloadPastEnd);
    return kGfpPayloadAt + *payload;
}

namespace {

constexpr std::size_t kCheckPiece = 64 * 1024;

// Inflates the stream of count bytes at offset with zlib, output dropped; ShortPixels when
// it ends short of pixels bytes, ZlibData when it is damaged, unfinished or gives more.
Status InflateToCount(InputFile& file, std::int64_t offset, std::int64_t count, std::int64_t pixels)
{
    z_stream stream{};
    if (::inflateInit(&stream) != Z_OK)
        return Refused(GfpError::ZlibData);
    Bytes in(kCheckPiece), out(kCheckPiece);
    int code = Z_OK;
    std::int64_t read = 0;
    while (code == Z_OK && static_cast<std::int64_t>(stream.total_out) <= pixels) {
        if (stream.avail_in == 0 && read < count) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(count - read, kCheckPiece));
            if (!file.ReadAt(offset + read, std::span(in.data(), n))) {
                ::inflateEnd(&stream);
                return Refused(GfpError::CannotOpen);
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
        return Refused(GfpError::ZlibData);
    return produced < pixels ? Status(Refused(GfpError::ShortPixels)) : Status();
}

} // namespace

Status CheckGfpPixels(InputFile& file, std::int64_t offset, std::int64_t length)
{
    GfpHeadBytes head{};
    if (length < kGfpPayloadAt || !file.ReadAt(offset, head))
        return Refused(GfpError::CannotOpen);
    GfpPixelHeaderRecord pixel;
    std::copy_n(head.begin() + kGfpPixelHeaderAt, kGfpPixelHeaderSize, pixel.bytes.begin());
    if (pixel.compression() != kGfpCompressionZlib)
        return {};
    const std::optional<std::int32_t> bytesPerPixel = BytesPerPixel(pixel.bitsPerPixel());
    if (!bytesPerPixel)
        return Refused(GfpError::RawSize);
    const std::int64_t area = std::int64_t{pixel.width()} * pixel.height();
    if (pixel.width() < 0 || pixel.height() < 0 || *bytesPerPixel < 0 ||
        (*bytesPerPixel > 0 && area > kMaxRawSize / *bytesPerPixel))
        return Refused(GfpError::RawSize);
    const std::int64_t pixels = area * *bytesPerPixel;
    if (length < kGfpStreamAt)
        return Refused(GfpError::StoredSize);
    return InflateToCount(file, offset + kGfpStreamAt, length - kGfpStreamAt, pixels);
}

} // namespace varnox
