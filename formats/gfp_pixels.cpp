#include "formats/gfp_pixels.h"
#include "formats/buffer.h"
#include "formats/gfp.h"
#include "formats/gfp_inflate.h"

#include <algorithm>

namespace varnox {

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
