#include "formats/buffer.h"
#include "formats/module1.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <libdeflate.h>
#include <limits>
#include <optional>
#include <zlib.h>

namespace varnox {

int CompressBlock(Bytes& data, std::int16_t level)
{
    Bytes out(static_cast<std::size_t>(ZlibBufferSize(static_cast<std::int64_t>(data.size()))));
    uLongf destLen = static_cast<uLongf>(out.size());
    const std::uint8_t none = 0;
    const int code = ::compress2(out.data(), &destLen, data.empty() ? &none : data.data(),
                                 static_cast<uLong>(data.size()), static_cast<int>(level));
    out.resize(static_cast<std::size_t>(destLen));
    data = std::move(out);
    return code;
}

namespace {

void PutHead(const GfpHead& head, std::uint8_t* out)
{
    std::copy(kGfpTag.begin(), kGfpTag.end(), out);
    std::copy(head.picture.bytes.begin(), head.picture.bytes.end(), out + kGfpPictureHeaderAt);
    std::copy(kGfpTag.begin(), kGfpTag.end(), out + (kGfpPixelHeaderAt - kGfpTagSize));
    std::copy(head.pixel.bytes.begin(), head.pixel.bytes.end(), out + kGfpPixelHeaderAt);
}

constexpr std::size_t kPackChunk = 1024 * 1024; // stream bytes written at a time

// libdeflate's level for GfpPacking::Fast: its quickest, and on painted pictures already
// smaller than compress2's default level.
constexpr int kFastLevel = 1;
// Longest fast stream held beside the picture: with the rest of the work, it keeps fast
// packing within the picture plus 16 MiB.
constexpr std::size_t kFastStreamRoom = std::size_t(12) << 20;

// Marks the head as holding a zlib stream of streamLength bytes and puts the two size
// fields before the stream into bytes.
Status SetStreamFields(GfpHead& head, std::int32_t rawSize, std::int64_t streamLength,
                       std::array<std::uint8_t, kGfpStreamAt>& bytes)
{
    if (streamLength > std::numeric_limits<std::int32_t>::max() - 8)
        return Error{GfpError::RawSize, {}, {}, {}};
    head.pixel.setCompression(kGfpCompressionZlib);
    head.pixel.setStoredSize(static_cast<std::int32_t>(streamLength) + 8);
    PutLe32(&bytes[kGfpPayloadAt], rawSize);
    PutLe32(&bytes[kGfpPayloadAt + 4], static_cast<std::int32_t>(streamLength));
    return {};
}

struct FreeCompressor {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// Writes the zlib stream of all rows at kGfpStreamAt, deflated by zlib at level as the
// rows come, its output a chunk at a time; returns its length. At the default level the
// stream is the one compress2() makes from the whole picture.
template <class NextRow>
Result<std::int64_t> PackZlib(const ByteWriter& write, std::int32_t rawSize, std::int32_t height,
                              const NextRow& nextRow, int level)
{
    z_stream z{};
    if (deflateInit(&z, level) != Z_OK)
        return Error{IoError::OutOfMemory, {}, {}, {}};
    Bytes chunk(std::min<std::size_t>(kPackChunk, deflateBound(&z, static_cast<uLong>(rawSize))));
    std::int64_t at = kGfpStreamAt;
    Status status;
    int code = Z_OK;
    for (std::int32_t k = 0; status && k <= height && code != Z_STREAM_END; ++k) {
        const bool last = k == height;
        std::span<const std::uint8_t> pixels;
        if (!last && !(status = nextRow(pixels)))
            break;
        z.next_in = const_cast<Bytef*>(pixels.data()); // zlib does not write through it
        z.avail_in = static_cast<uInt>(pixels.size());
        do {
            z.next_out = chunk.data();
            z.avail_out = static_cast<uInt>(chunk.size());
            code = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            const std::size_t produced = chunk.size() - z.avail_out;
            if (produced > 0 && !write(at, std::span<const std::uint8_t>(chunk.data(), produced)))
                status = Error{IoError::CannotWrite, {}, {}, {}};
            at += static_cast<std::int64_t>(produced);
        } while (status && (z.avail_out == 0 || (last && code == Z_OK)));
    }
    deflateEnd(&z);
    if (!status)
        return status.error();
    if (code != Z_STREAM_END)
        return Error{IoError::OutOfMemory, {}, {}, {}};
    return at - kGfpStreamAt;
}

// Writes the zlib stream of all rows at kGfpStreamAt, made by libdeflate from the whole
// picture at once; returns its length.
template <class NextRow>
Result<std::int64_t> PackFast(const ByteWriter& write, std::int32_t rawSize, std::int32_t height,
                              const NextRow& nextRow)
{
    PictureBuffer pixels(static_cast<std::size_t>(rawSize));
    std::size_t at = 0;
    for (std::int32_t k = 0; k < height; ++k) {
        std::span<const std::uint8_t> row;
        if (auto status = nextRow(row); !status)
            return status.error();
        std::copy(row.begin(), row.end(), pixels.data() + at);
        at += row.size();
    }
    const std::unique_ptr<libdeflate_compressor, FreeCompressor> packer(
        libdeflate_alloc_compressor(kFastLevel));
    if (!packer)
        return Error{IoError::OutOfMemory, {}, {}, {}};
    // The stream is held beside the picture only up to kFastStreamRoom; a longer one is
    // made again by zlib's quickest level, a chunk at a time from the picture held.
    std::uint8_t none = 0;
    const std::size_t bound = libdeflate_zlib_compress_bound(packer.get(), pixels.size());
    const PictureBuffer stream(std::min(bound, kFastStreamRoom));
    const std::size_t length =
        libdeflate_zlib_compress(packer.get(), pixels.size() == 0 ? &none : pixels.data(), pixels.size(),
                                 stream.data(), stream.size());
    if (length == 0 && stream.size() < bound) {
        std::size_t next = 0;
        const auto rowBytes =
            static_cast<std::size_t>(rawSize) / static_cast<std::size_t>(std::max(1, height));
        const auto heldRow = [&](std::span<const std::uint8_t>& out) -> Status {
            out = pixels.span().subspan(next, rowBytes);
            next += rowBytes;
            return {};
        };
        return PackZlib(write, rawSize, height, heldRow, Z_BEST_SPEED);
    }
    if (length == 0)
        return Error{IoError::OutOfMemory, {}, {}, {}};
    if (!write(kGfpStreamAt, stream.span().first(length)))
        return Error{IoError::CannotWrite, {}, {}, {}};
    return static_cast<std::int64_t>(length);
}

} // namespace

Status WriteGfp(const ByteWriter& write, GfpHead& head, RowSource& source, GfpPacking packing,
                const RowProgress& progress)
{
    const PictureInfo& info = source.Info();
    const Error writeFailed{IoError::CannotWrite, {}, {}, {}};
    const std::int64_t rawSize64 = std::int64_t(info.width) * info.height * 2;
    if (rawSize64 > kMaxRawSize)
        return Error{GfpError::RawSize, {}, {}, {}};
    const auto rawSize = static_cast<std::int32_t>(rawSize64);
    head.picture.setHeight(info.height);
    head.pixel.setHeight(info.height);
    head.picture.setWidth(info.width);
    head.pixel.setWidth(info.width);
    head.pixel.setBitsPerPixel(16);
    head.pixel.setRawSize(rawSize);

    Bytes row(info.RowBytes());
    Bytes narrowed(info.format == RowFormat::Rgb565 ? 0 : static_cast<std::size_t>(info.width) * 2);
    // The next row as RGB565, or an error.
    std::int32_t y = 0;
    const auto nextRow = [&](std::span<const std::uint8_t>& out) -> Status {
        if (auto status = source.ReadRow(row); !status)
            return status;
        if (progress && !progress(++y))
            return Error{IoError::Cancelled, {}, {}, {}};
        if (info.format == RowFormat::Rgb565) {
            out = row;
        } else {
            ConvertRow(info.format, row, RowFormat::Rgb565, narrowed.data());
            out = narrowed;
        }
        return {};
    };

    std::array<std::uint8_t, kGfpStreamAt> bytes{};
    std::size_t headLength = kGfpPayloadAt;
    if (packing == GfpPacking::Uncompressed) {
        head.pixel.setCompression(0);
        head.pixel.setRawMark(1);
        head.pixel.setStoredSize(0);
        std::int64_t at = kGfpPayloadAt;
        for (std::int32_t k = 0; k < info.height; ++k) {
            std::span<const std::uint8_t> pixels;
            if (auto status = nextRow(pixels); !status)
                return status;
            if (!write(at, pixels))
                return writeFailed;
            at += static_cast<std::int64_t>(pixels.size());
        }
    } else if (packing == GfpPacking::Fast) {
        auto streamLength = PackFast(write, rawSize, info.height, nextRow);
        if (!streamLength)
            return streamLength.error();
        if (auto status = SetStreamFields(head, rawSize, *streamLength, bytes); !status)
            return status;
        headLength = kGfpStreamAt;
    } else {
        auto streamLength = PackZlib(write, rawSize, info.height, nextRow, Z_DEFAULT_COMPRESSION);
        if (!streamLength)
            return streamLength.error();
        if (auto status = SetStreamFields(head, rawSize, *streamLength, bytes); !status)
            return status;
        headLength = kGfpStreamAt;
    }
    PutHead(head, bytes.data());
    if (!write(0, std::span<const std::uint8_t>(bytes.data(), headLength)))
        return writeFailed;
    return {};
}

namespace {

// RGB565 rows out of a buffer in memory.
class MemoryRows final : public RowSource {
  public:
    MemoryRows(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> pixels)
        : pixels_(pixels)
    {
        info_.width = width;
        info_.height = height;
    }
    const PictureInfo& Info() const override { return info_; }
    Status ReadRow(std::span<std::uint8_t> row) override
    {
        const std::size_t rowBytes = info_.RowBytes();
        std::copy_n(pixels_.begin() + static_cast<std::ptrdiff_t>(at_),
                    std::min(rowBytes, pixels_.size() - at_), row.begin());
        at_ += rowBytes;
        return {};
    }

  private:
    PictureInfo info_;
    std::span<const std::uint8_t> pixels_;
    std::size_t at_ = 0;
};

} // namespace

Bytes MakeGfp(GfpHead head, std::span<const std::uint8_t> pixels, GfpPacking packing)
{
    Bytes out;
    const auto write = [&](std::int64_t at, std::span<const std::uint8_t> bytes) {
        const auto end = static_cast<std::size_t>(at) + bytes.size();
        if (out.size() < end)
            out.resize(end);
        std::copy(bytes.begin(), bytes.end(), out.begin() + at);
        return true;
    };
    MemoryRows rows(head.pixel.width(), head.pixel.height(), pixels);
    (void)WriteGfp(write, head, rows, packing);
    return out;
}

} // namespace varnox
