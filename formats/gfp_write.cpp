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

void PutGfpHead(const GfpPictureHeaderRecord& picture, const GfpPixelHeaderRecord& pixel,
                std::span<std::uint8_t, kGfpPayloadAt> out)
{
    std::copy(kGfpTag.begin(), kGfpTag.end(), out.begin());
    std::copy(picture.bytes.begin(), picture.bytes.end(), out.begin() + kGfpPictureHeaderAt);
    std::copy(kGfpTag.begin(), kGfpTag.end(), out.begin() + (kGfpPixelHeaderAt - kGfpTagSize));
    std::copy(pixel.bytes.begin(), pixel.bytes.end(), out.begin() + kGfpPixelHeaderAt);
}

namespace {

constexpr std::size_t kPackChunk = 1024 * 1024; // stream bytes written at a time

// libdeflate's levels for GfpPacking::Fast. On photographs its quickest level gives 3 to
// 10 % more than compress2's default level; level 3 gives less from about 2048 x 2048 on, in
// a third of the time, and level 6 less on smaller pictures, whose time is small anyway.
constexpr int kFastLevel = 3;
constexpr int kFastLevelSmall = 6;
constexpr std::int32_t kSmallPicture = 4 << 20; // pixel bytes below which kFastLevelSmall packs

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
                              NextRow& nextRow, int level)
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
                              NextRow& nextRow)
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
        libdeflate_alloc_compressor(rawSize < kSmallPicture ? kFastLevelSmall : kFastLevel));
    if (!packer)
        return Error{IoError::OutOfMemory, {}, {}, {}};
    // The stream gets room for the worst case, so that libdeflate never gives up on a
    // picture that packs badly.
    std::uint8_t none = 0;
    const PictureBuffer stream(libdeflate_zlib_compress_bound(packer.get(), pixels.size()));
    const std::size_t length =
        libdeflate_zlib_compress(packer.get(), pixels.size() == 0 ? &none : pixels.data(), pixels.size(),
                                 stream.data(), stream.size());
    if (length == 0)
        return Error{IoError::OutOfMemory, {}, {}, {}};
    if (!write(kGfpStreamAt, stream.span().first(length)))
        return Error{IoError::CannotWrite, {}, {}, {}};
    return static_cast<std::int64_t>(length);
}

} // namespace

int CompressBlock(Bytes& data, std::int16_t level)
{
    if (level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION)
        return Z_STREAM_ERROR;
    // The packer that writes GFPs, with the whole block as one row; compress2()'s codes.
    const auto bufferSize = static_cast<std::size_t>(ZlibBufferSize(static_cast<std::int64_t>(data.size())));
    Bytes out;
    const auto write = [&](std::int64_t at, std::span<const std::uint8_t> bytes) {
        const auto from = static_cast<std::size_t>(at - kGfpStreamAt);
        out.resize(std::max(out.size(), from + bytes.size()));
        std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(from));
        return true;
    };
    const auto wholeBlock = [&data](std::span<const std::uint8_t>& row) -> Status {
        row = data;
        return {};
    };
    if (data.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return Z_BUF_ERROR;
    const auto length = PackZlib(write, static_cast<std::int32_t>(data.size()), 1, wholeBlock, level);
    if (!length)
        return Z_MEM_ERROR;
    const bool fits = out.size() <= bufferSize;
    out.resize(std::min(out.size(), bufferSize));
    data = std::move(out);
    return fits ? Z_OK : Z_BUF_ERROR;
}

namespace {

// Sets the head's size fields for a 16-bit picture of info's size; its pixel bytes.
Result<std::int32_t> SetPictureFields(GfpHead& head, const PictureInfo& info)
{
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
    return rawSize;
}

// The source's rows as RGB565, each told to progress.
class Rgb565Rows {
  public:
    Rgb565Rows(RowSource& source, const RowProgress& progress)
        : source_(source), progress_(progress), row_(source.Info().RowBytes()),
          narrowed_(source.Info().format == RowFormat::Rgb565
                        ? 0
                        : static_cast<std::size_t>(source.Info().width) * 2)
    {
    }

    // The next row, or an error (IoError::Cancelled when progress says stop).
    Status operator()(std::span<const std::uint8_t>& out)
    {
        const PictureInfo& info = source_.Info();
        if (auto status = source_.ReadRow(row_); !status)
            return status;
        if (progress_ && !progress_(++rowsDone_))
            return Error{IoError::Cancelled, {}, {}, {}};
        if (info.format == RowFormat::Rgb565) {
            out = row_;
        } else {
            ConvertRow(info.format, row_, RowFormat::Rgb565, narrowed_.data());
            out = narrowed_;
        }
        return {};
    }

  private:
    RowSource& source_;
    const RowProgress& progress_;
    Bytes row_;
    Bytes narrowed_;
    std::int32_t rowsDone_ = 0;
};

// Writes the rows as they are at kGfpPayloadAt and marks the head as uncompressed.
Status PackUncompressed(const ByteWriter& write, GfpHead& head, std::int32_t height, Rgb565Rows& nextRow)
{
    head.pixel.setCompression(0);
    head.pixel.setRawMark(1);
    head.pixel.setStoredSize(0);
    std::int64_t at = kGfpPayloadAt;
    for (std::int32_t k = 0; k < height; ++k) {
        std::span<const std::uint8_t> pixels;
        if (auto status = nextRow(pixels); !status)
            return status;
        if (!write(at, pixels))
            return Error{IoError::CannotWrite, {}, {}, {}};
        at += static_cast<std::int64_t>(pixels.size());
    }
    return {};
}

} // namespace

Status WriteGfp(const ByteWriter& write, GfpHead& head, RowSource& source, GfpPacking packing,
                const RowProgress& progress)
{
    const std::int32_t height = source.Info().height;
    Result<std::int32_t> rawSize = SetPictureFields(head, source.Info());
    if (!rawSize)
        return rawSize.status();
    Rgb565Rows nextRow(source, progress);

    std::array<std::uint8_t, kGfpStreamAt> bytes{};
    std::size_t headLength = kGfpPayloadAt;
    if (packing == GfpPacking::Uncompressed) {
        if (auto status = PackUncompressed(write, head, height, nextRow); !status)
            return status;
    } else {
        auto streamLength = packing == GfpPacking::Fast
                                ? PackFast(write, *rawSize, height, nextRow)
                                : PackZlib(write, *rawSize, height, nextRow, Z_DEFAULT_COMPRESSION);
        if (!streamLength)
            return streamLength.error();
        if (auto status = SetStreamFields(head, *rawSize, *streamLength, bytes); !status)
            return status;
        headLength = kGfpStreamAt;
    }
    PutGfpHead(head.picture, head.pixel, std::span(bytes).first<kGfpPayloadAt>());
    if (!write(0, std::span<const std::uint8_t>(bytes.data(), headLength)))
        return Error{IoError::CannotWrite, {}, {}, {}};
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
