#include "formats/gfp_pixels.h"
#include "formats/buffer.h"
#include "formats/gfp.h"

#include <algorithm>
#include <cmath>
#include <libdeflate.h>

namespace varnox {

namespace {

struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

} // namespace

std::int64_t ZlibBufferSize(std::int64_t n)
{
    const double size = static_cast<double>(n) + static_cast<double>(n) * 0.01 + 12.0;
    return static_cast<std::int64_t>(std::nearbyint(size)); // default rounding: half to even
}

std::optional<std::size_t> InflateWhole(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out)
{
    thread_local const std::unique_ptr<libdeflate_decompressor, FreeDecompressor> inflater(
        libdeflate_alloc_decompressor());
    if (!inflater)
        return std::nullopt;
    std::uint8_t none = 0;
    std::size_t produced = 0;
    const libdeflate_result result =
        libdeflate_zlib_decompress_ex(inflater.get(), stream.empty() ? &none : stream.data(), stream.size(),
                                      out.empty() ? &none : out.data(), out.size(), nullptr, &produced);
    if (result != LIBDEFLATE_SUCCESS)
        return std::nullopt;
    return produced;
}

StreamInflater::StreamInflater(InputFile& file, std::int64_t length) : file_(&file), streamLength_(length)
{
    piece_.resize(static_cast<std::size_t>(std::min<std::int64_t>(length, kStreamPiece)));
}

StreamInflater::StreamInflater(std::span<const std::uint8_t> stream)
    : held_(stream), streamLength_(static_cast<std::int64_t>(stream.size()))
{
}

StreamInflater::~StreamInflater()
{
    if (ready_)
        inflateEnd(&z_);
}

bool StreamInflater::Start()
{
    ready_ = inflateInit(&z_) == Z_OK;
    return ready_;
}

std::size_t StreamInflater::Fill(std::span<std::uint8_t> out)
{
    z_.next_out = out.data();
    z_.avail_out = static_cast<uInt>(out.size());
    while (code_ == Z_OK && z_.avail_out > 0) {
        if (z_.avail_in == 0 && streamRead_ < streamLength_)
            Refill();
        code_ = inflate(&z_, Z_NO_FLUSH);
    }
    return out.size() - z_.avail_out;
}

void StreamInflater::Settle()
{
    z_.avail_out = 0;
    while (code_ == Z_OK) {
        if (z_.avail_in == 0 && streamRead_ < streamLength_)
            Refill();
        code_ = inflate(&z_, Z_NO_FLUSH);
    }
}

void StreamInflater::Finish(std::uint64_t bufferSize)
{
    Bytes scratch(static_cast<std::size_t>(std::min<std::uint64_t>(kRowChunk, bufferSize)));
    while (code_ == Z_OK && z_.total_out < bufferSize) {
        const auto window =
            static_cast<std::size_t>(std::min<std::uint64_t>(scratch.size(), bufferSize - z_.total_out));
        Fill(std::span<std::uint8_t>(scratch.data(), window));
    }
    Settle();
}

bool StreamInflater::Damaged(std::uint64_t bufferSize) const
{
    const int code = UncompressCode(bufferSize);
    return code != Z_OK && code != Z_BUF_ERROR;
}

int StreamInflater::UncompressCode(std::uint64_t bufferSize) const
{
    if (code_ == Z_STREAM_END)
        return Z_OK;
    if (code_ == Z_NEED_DICT || (code_ == Z_BUF_ERROR && z_.total_out < bufferSize))
        return Z_DATA_ERROR;
    return code_;
}

void StreamInflater::Refill()
{
    const auto length =
        static_cast<std::size_t>(std::min<std::int64_t>(streamLength_ - streamRead_, kStreamPiece));
    if (file_ == nullptr) {
        z_.next_in = const_cast<Bytef*>(held_.data() + streamRead_); // zlib does not write through it
    } else {
        const std::span<std::uint8_t> into(piece_.data(), length);
        const std::size_t got = file_->ReadSomeAt(kGfpStreamAt + streamRead_, into);
        std::fill(into.begin() + static_cast<std::ptrdiff_t>(got), into.end(), std::uint8_t{0});
        z_.next_in = piece_.data();
    }
    streamRead_ += static_cast<std::int64_t>(length);
    z_.avail_in = static_cast<uInt>(length);
}

int UncompressBlock(Bytes& data, std::int32_t rawSize, std::size_t& produced)
{
    produced = 0;
    if (rawSize < 0)
        return Z_BUF_ERROR;
    const auto bufferSize = static_cast<std::size_t>(ZlibBufferSize(rawSize));
    Bytes out;
    try {
        out.resize(bufferSize);
    } catch (const std::bad_alloc&) {
        return Z_MEM_ERROR;
    }
    StreamInflater inflater(data);
    if (!inflater.Start())
        return Z_MEM_ERROR;
    inflater.Fill(out);
    inflater.Settle();
    produced = static_cast<std::size_t>(inflater.Produced());
    out.resize(static_cast<std::size_t>(rawSize));
    data = std::move(out);
    return inflater.UncompressCode(bufferSize);
}

int UncompressBlock(Bytes& data, std::int32_t rawSize)
{
    std::size_t produced = 0;
    return UncompressBlock(data, rawSize, produced);
}

namespace {

Status Refuse(const GfpPayload& payload, GfpError code)
{
    return Error{code, payload.path, {}, {}};
}

// Bytes of the whole rows read at once: about kRowChunk, at least one row; 0 for empty rows.
std::size_t ChunkBytes(std::size_t rowBytes)
{
    return std::max<std::size_t>(1, kRowChunk / std::max<std::size_t>(1, rowBytes)) * rowBytes;
}

// Rows handed out of a chunk of whole rows read at once.
class ChunkedPixels : public GfpPixels {
  public:
    explicit ChunkedPixels(const GfpPayload& payload) : payload_(payload) {}

    Status ReadRow(std::span<std::uint8_t> row) final
    {
        const std::size_t rowBytes = payload_.rowBytes;
        if (chunkAt_ == chunk_.size()) {
            const auto left = static_cast<std::size_t>(payload_.rawSize - consumed_);
            chunk_.resize(std::min(ChunkBytes(rowBytes), left));
            chunkAt_ = 0;
            if (chunk_.size() < rowBytes)
                return Refuse(payload_, GfpError::ShortPixels);
            if (auto status = Next(chunk_); !status)
                return status;
            consumed_ += static_cast<std::int64_t>(chunk_.size());
        }
        std::copy_n(chunk_.begin() + static_cast<std::ptrdiff_t>(chunkAt_), rowBytes, row.begin());
        chunkAt_ += rowBytes;
        return {};
    }

  protected:
    // The next out.size() bytes of pixel data.
    virtual Status Next(std::span<std::uint8_t> out) = 0;
    // Pixel bytes read so far.
    std::int64_t Consumed() const { return consumed_; }

    const GfpPayload payload_;

  private:
    std::int64_t consumed_ = 0;
    Bytes chunk_; // a chunk of whole stored rows
    std::size_t chunkAt_ = 0;
};

// Pixels stored as they are, read from the file a chunk at a time.
class RawPixels final : public ChunkedPixels {
  public:
    using ChunkedPixels::ChunkedPixels;

    Status Drain() override { return {}; }

    Status ReadAll(Bytes& pixels) override
    {
        if (payload_.file->ReadSomeAt(kGfpPayloadAt, pixels) < pixels.size())
            return Refuse(payload_, GfpError::PayloadPastEnd);
        return {};
    }

  private:
    Status Next(std::span<std::uint8_t> out) override
    {
        if (!payload_.file->ReadAt(kGfpPayloadAt + Consumed(), out))
            return Refuse(payload_, GfpError::PayloadPastEnd);
        return {};
    }
};

// A stream inflated by zlib a chunk of rows at a time.
class StreamPixels final : public ChunkedPixels {
  public:
    explicit StreamPixels(const GfpPayload& payload)
        : ChunkedPixels(payload), inflater_(*payload.file, payload.streamLength)
    {
    }

    bool Start() { return inflater_.Start(); }

    Status Drain() override
    {
        const auto bufferSize = static_cast<std::uint64_t>(ZlibBufferSize(payload_.rawSize));
        inflater_.Finish(bufferSize);
        if (inflater_.Damaged(bufferSize))
            return Refuse(payload_, GfpError::ZlibData);
        if (inflater_.Produced() < static_cast<std::uint64_t>(payload_.rawSize))
            return Refuse(payload_, GfpError::ShortPixels);
        return {};
    }

    Status ReadAll(Bytes& pixels) override
    {
        inflater_.Fill(pixels);
        return Drain();
    }

  private:
    Status Next(std::span<std::uint8_t> out) override
    {
        // The stream ended, or broke, before the picture was whole.
        if (inflater_.Fill(out) < out.size())
            return Refuse(payload_, inflater_.Ended() ? GfpError::ShortPixels : GfpError::ZlibData);
        return {};
    }

    StreamInflater inflater_;
};

// A stream inflated whole by libdeflate; rows are copied out of the whole picture.
class WholePixels final : public GfpPixels {
  public:
    WholePixels(const GfpPayload& payload, PictureBuffer picture, std::size_t produced)
        : payload_(payload), picture_(std::move(picture)), produced_(produced)
    {
    }

    Status ReadRow(std::span<std::uint8_t> row) override
    {
        // Rows come straight out of the whole picture, but only from a chunk the stream
        // filled, as when inflating a piece at a time.
        const std::size_t rowBytes = payload_.rowBytes;
        const std::size_t chunkBytes = ChunkBytes(rowBytes);
        const auto rawSize = static_cast<std::size_t>(payload_.rawSize);
        if (chunkBytes == 0 ||
            std::min(consumed_ / chunkBytes * chunkBytes + chunkBytes, rawSize) > produced_ ||
            consumed_ + rowBytes > produced_)
            return Refuse(payload_, GfpError::ShortPixels);
        std::copy_n(picture_.data() + consumed_, rowBytes, row.begin());
        consumed_ += rowBytes;
        return {};
    }

    Status Drain() override
    {
        if (produced_ < static_cast<std::size_t>(payload_.rawSize))
            return Refuse(payload_, GfpError::ShortPixels);
        return {};
    }

    Status ReadAll(Bytes& pixels) override
    {
        std::copy_n(picture_.data(), std::min(produced_, pixels.size()), pixels.begin());
        return Drain();
    }

  private:
    const GfpPayload payload_;
    PictureBuffer picture_;
    std::size_t produced_ = 0; // bytes the stream gave
    std::size_t consumed_ = 0; // bytes handed on
};

// The picture inflated whole, when the stream and the picture can be held at once and
// libdeflate reads the stream; else null.
std::unique_ptr<GfpPixels> InflatedWhole(const GfpPayload& payload)
{
    if (payload.rawSize <= 0)
        return nullptr;
    try {
        PictureBuffer picture(static_cast<std::size_t>(payload.rawSize));
        const PictureBuffer stream(static_cast<std::size_t>(payload.streamLength));
        // Bytes the file no longer has are read as zero, as in a piece-wise read.
        const std::size_t got = payload.file->ReadSomeAt(kGfpStreamAt, stream.span());
        std::fill(stream.data() + got, stream.data() + stream.size(), std::uint8_t{0});
        if (const auto produced = InflateWhole(stream.span(), picture.span()))
            return std::make_unique<WholePixels>(payload, std::move(picture), *produced);
    } catch (const std::bad_alloc&) {
        // Inflating a piece at a time needs far less memory.
    }
    return nullptr;
}

} // namespace

Result<std::unique_ptr<GfpPixels>> OpenGfpPixels(const GfpPayload& payload)
{
    if (payload.rawForm)
        return std::unique_ptr<GfpPixels>(std::make_unique<RawPixels>(payload));
    if (auto whole = InflatedWhole(payload))
        return whole;
    auto stream = std::make_unique<StreamPixels>(payload);
    if (!stream->Start())
        return Refuse(payload, GfpError::ZlibData).error();
    return std::unique_ptr<GfpPixels>(std::move(stream));
}

} // namespace varnox
