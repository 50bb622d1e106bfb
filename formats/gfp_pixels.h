#pragma once
// The pixel data of a GFP as stored, read in order from the start: one interface, one
// implementation per way the data lie (raw, a zlib stream inflated whole, or a piece at a time),
// and the two inflaters behind them.

#include "fileio/input_file.h"
#include "formats/error.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <zlib.h>

namespace varnox {

inline constexpr std::size_t kRowChunk = 1024 * 1024;   // pixel bytes inflated at a time (fits the L2 cache)
inline constexpr std::size_t kStreamPiece = 256 * 1024; // stream bytes read from the file at a time

// Inflates the zlib stream into out with libdeflate; the bytes produced when the stream
// ends within out, whole and with its checksum right. nullopt otherwise: zlib then reads
// the stream and names what is wrong with it. out's content is undefined after nullopt.
std::optional<std::size_t> InflateWhole(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out);

// Inflates a stream a piece at a time, from the file or from memory, with the outcome
// uncompress() gives for an output buffer of ZlibBufferSize(rawSize) bytes: a stream longer
// than that buffer is cut, not refused.
class StreamInflater {
  public:
    // The stream lies at kGfpStreamAt of file, length bytes long.
    StreamInflater(InputFile& file, std::int64_t length);
    // The stream is held in memory.
    explicit StreamInflater(std::span<const std::uint8_t> stream);
    StreamInflater(const StreamInflater&) = delete;
    StreamInflater& operator=(const StreamInflater&) = delete;
    ~StreamInflater();

    // Gets zlib ready; false when it cannot be.
    bool Start();
    // Fills out from the stream as far as it goes; the bytes produced.
    std::size_t Fill(std::span<std::uint8_t> out);
    // Goes on with no room left, as uncompress() does once its buffer is full: the rest
    // of the stream may still break (a bad code, a wrong check value) before it stalls.
    void Settle();
    // Fills up to bufferSize bytes in all, a scratch piece at a time, then settles: the
    // verdict of uncompress() on the whole stream.
    void Finish(std::uint64_t bufferSize);

    // Whether the stream came to its end, whole and with its check value right.
    bool Ended() const { return code_ == Z_STREAM_END; }
    // Whether uncompress() would refuse the stream inflated so far into a buffer of bufferSize
    // bytes; one cut at the end of the buffer is read as far as the buffer goes.
    bool Damaged(std::uint64_t bufferSize) const;
    // Bytes produced so far.
    std::uint64_t Produced() const { return z_.total_out; }

    // uncompress()'s code for the stream inflated so far into a buffer of bufferSize bytes:
    // a stream that stops before the buffer is full is damaged. Only UncompressBlock hands
    // zlib's codes on.
    int UncompressCode(std::uint64_t bufferSize) const;

  private:
    void Refill();

    z_stream z_{};
    bool ready_ = false;
    InputFile* file_ = nullptr;          // the stream lies at kGfpStreamAt of this file
    std::span<const std::uint8_t> held_; // or in memory
    std::int64_t streamLength_ = 0;
    Bytes piece_;
    std::int64_t streamRead_ = 0;
    int code_ = Z_OK;
};

// Where a GFP's pixel data lie, as found from its header blocks.
struct GfpPayload {
    InputFile* file = nullptr;
    Path path;                     // named in every refusal
    bool rawForm = false;          // pixels stored as they are, at kGfpPayloadAt
    std::int32_t rawSize = 0;      // pixel bytes of the picture, usable (0 to kMaxRawSize)
    std::int64_t streamLength = 0; // bytes of the zlib stream at kGfpStreamAt, cut at the file's end
    std::size_t rowBytes = 0;      // stored bytes of a row; 0 when rows are not read
};

class GfpPixels {
  public:
    virtual ~GfpPixels() = default;
    // The next row of stored bytes into the first rowBytes bytes of row.
    virtual Status ReadRow(std::span<std::uint8_t> row) = 0;
    // Reads the pixel data not yet read, with the checks of a whole read.
    virtual Status Drain() = 0;
    // All pixel bytes into pixels, which holds rawSize zero bytes; then Drain's checks.
    virtual Status ReadAll(Bytes& pixels) = 0;
};

// The reader for payload's pixel data: raw pixels are read as they lie; a stream short enough
// to be held beside the picture is inflated whole with libdeflate where libdeflate reads it;
// any other is inflated a piece at a time by zlib, which then names the damage.
Result<std::unique_ptr<GfpPixels>> OpenGfpPixels(const GfpPayload& payload);

} // namespace varnox
