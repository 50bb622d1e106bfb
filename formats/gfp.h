#pragma once
// GFP picture: two tagged header blocks and an RGB565 payload, normally zlib-compressed.

#include "fileio/fileio.h"
#include "formats/buffer.h"
#include "formats/bytes.h"
#include "formats/rows.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace varnox {

constexpr std::array<std::uint8_t, 4> kGfpTag{'N', 'A', 'L', 'P'};
constexpr std::size_t kGfpTagSize = 4;
constexpr std::size_t kGfpPictureHeaderSize = 52;
constexpr std::size_t kGfpPixelHeaderSize = 72;
constexpr std::int64_t kGfpPictureHeaderAt = 4;
constexpr std::int64_t kGfpPixelHeaderAt = 60;
constexpr std::int64_t kGfpPayloadAt = 132; // size fields (compressed) or raw pixels
constexpr std::int64_t kGfpStreamAt = 140;  // zlib stream of the compressed form
constexpr std::uint8_t kGfpCompressionZlib = 11;
// Largest pixel byte count ReadGfpPixels will make: 16384 x 16384 pixels at 4 bytes.
constexpr std::int64_t kMaxRawSize = 16384LL * 16384LL * 4LL;

// Byte-exact image of the 52-byte picture block.
struct GfpPictureHeaderRecord {
    std::array<std::uint8_t, kGfpPictureHeaderSize> bytes{};

    std::int32_t width() const { return Le32(&bytes[0]); }
    std::int32_t height() const { return Le32(&bytes[4]); }
    void setWidth(std::int32_t v) { PutLe32(&bytes[0], v); }
    void setHeight(std::int32_t v) { PutLe32(&bytes[4], v); }
};

// Byte-exact image of the 72-byte pixel block.
struct GfpPixelHeaderRecord {
    std::array<std::uint8_t, kGfpPixelHeaderSize> bytes{};

    std::int32_t width() const { return Le32(&bytes[4]); }
    std::int32_t height() const { return Le32(&bytes[8]); }
    std::int32_t bitsPerPixel() const { return Le32(&bytes[12]); }
    std::int32_t storedSize() const { return Le32(&bytes[36]); }
    std::int32_t rawSize() const { return Le32(&bytes[40]); }
    std::uint8_t compression() const { return bytes[44]; }
    std::uint8_t rawMark() const { return bytes[45]; }

    void setWidth(std::int32_t v) { PutLe32(&bytes[4], v); }
    void setHeight(std::int32_t v) { PutLe32(&bytes[8], v); }
    void setBitsPerPixel(std::int32_t v) { PutLe32(&bytes[12], v); }
    void setStoredSize(std::int32_t v) { PutLe32(&bytes[36], v); }
    void setRawSize(std::int32_t v) { PutLe32(&bytes[40], v); }
    void setCompression(std::uint8_t v) { bytes[44] = v; }
    void setRawMark(std::uint8_t v) { bytes[45] = v; }
};

// Why ReadGfpPixels did not find a complete GFP.
enum class GfpError {
    None,
    CannotOpen,
    FirstTag,       // no "NALP" at the start
    PictureHeader,  // file ends inside the picture block
    SecondTag,      // no "NALP" before the pixel block
    PixelHeader,    // file ends inside the pixel block
    StoredSize,     // storedSize below 8
    RawSize,        // computed pixel size negative, overflowing or above kMaxRawSize
    PayloadPastEnd, // payload runs past the end of the file
    ZlibData,       // damaged zlib stream
    ShortPixels,    // the stream holds fewer bytes than the picture
};

// Both header blocks of a GFP, as the file holds them.
struct GfpHead {
    GfpPictureHeaderRecord picture;
    GfpPixelHeaderRecord pixel;
};

// The one parse of a GFP's head from its first bytes (up to kGfpPayloadAt): each block is
// copied into its record once it is whole and its tag is right, so a refusal leaves the
// blocks not reached as they were. The error's code is FirstTag, PictureHeader, SecondTag
// or PixelHeader, for the first part missing or wrong.
Status ParseGfpBlocks(std::span<const std::uint8_t> bytes, GfpPictureHeaderRecord& picture,
                      GfpPixelHeaderRecord& pixel);

// Both blocks of a GFP from its first kGfpPayloadAt bytes (both tags, both blocks whole).
Result<GfpHead> ParseGfpHead(std::span<const std::uint8_t> bytes);

// The one write of a GFP's head: both tags and both blocks, as the file holds them.
using GfpHeadBytes = std::array<std::uint8_t, kGfpPayloadAt>;
void PutGfpHead(const GfpPictureHeaderRecord& picture, const GfpPixelHeaderRecord& pixel,
                std::span<std::uint8_t, kGfpPayloadAt> out);

// Reads and checks the head of a GFP file (ParseGfpHead's rules; CannotOpen with the
// system's reason).
Result<GfpHead> ReadGfpHead(const Path& path);

enum class GfpPacking {
    Zlib,         // compress2 at zlib's default level, byte for byte
    Uncompressed, // pixels stored as they are
    Fast,         // libdeflate's quickest level from the whole picture; a stream above
                  // 12 MiB by zlib's quickest level, a chunk at a time
};

// Writes a whole GFP through write(offset, bytes): head, with its size and storage fields
// set for the source's picture, then the source's rows packed as packing says. progress is
// told each row read.
using ByteWriter = std::function<bool(std::int64_t at, std::span<const std::uint8_t> bytes)>;
Status WriteGfp(const ByteWriter& write, GfpHead& head, RowSource& source, GfpPacking packing,
                const RowProgress& progress = {});

// A whole GFP in memory from a head and RGB565 pixels (width x height of the pixel block).
Bytes MakeGfp(GfpHead head, std::span<const std::uint8_t> pixels, GfpPacking packing);

// The pixel data of a GFP as stored, read in order (gfp_pixels.h).
class GfpPixels;

// A GFP as a source of RGB565 rows, top row first: the stream is inflated whole when it is
// short enough to be held beside the picture, else a piece at a time. The head
// is read into the records given (blocks not reached keep their content); any problem
// of the head refuses the picture. Rows can be read only from an upright picture
// (Upright()); Drain() checks the rest of the pixel data as a whole read would.
class GfpSource final : public RowSource {
  public:
    GfpSource();
    ~GfpSource() override;
    GfpSource(const GfpSource&) = delete;
    GfpSource& operator=(const GfpSource&) = delete;

    Status Open(const Path& path, GfpPictureHeaderRecord& picture, GfpPixelHeaderRecord& pixel,
                const Folder* in = nullptr);

    const PictureInfo& Info() const override { return info_; }
    // Width and height not negative and whole bytes per pixel: rows can be handed on.
    bool Upright() const { return upright_; }
    // Pixel bytes as stored (width x bytes per pixel), next row.
    Status ReadStoredRow(std::span<std::uint8_t> row);
    // The next row as RGB565; a pixel of more than two bytes is taken by its last two.
    Status ReadRow(std::span<std::uint8_t> row) override;
    // Reads the pixel data not yet read, with the checks of a whole read.
    Status Drain();

    // Reads path's head into the records and all its pixel bytes as stored into pixels,
    // whatever the outcome: rawSize bytes, zero where the data ends early, whenever rawSize
    // is usable; else the stream as read. The status names the first problem found.
    Status ReadWhole(const Path& path, GfpPictureHeaderRecord& picture, GfpPixelHeaderRecord& pixel,
                     Bytes& pixels);

  private:
    // Opens the file, reads its head and finds its pixel data; the first problem found,
    // with everything found before and after it kept for ReadWhole.
    Status Locate(const Path& path, GfpPictureHeaderRecord& picture, GfpPixelHeaderRecord& pixel,
                  const Folder* in);
    Status ReadAll(Bytes& pixels);
    Status Fault(GfpError code) const;
    // The reader of the pixel data, made at the first read: raw, inflated whole, or
    // inflated a piece at a time.
    Result<GfpPixels*> Pixels();

    Path path_;
    InputFile file_;
    PictureInfo info_;
    bool upright_ = false;
    bool rawForm_ = false;
    std::int32_t rawSize_ = 0;
    std::size_t storedRowBytes_ = 0;
    std::size_t bytesPerPixel_ = 0;
    std::int64_t streamLength_ = 0;
    std::unique_ptr<GfpPixels> pixels_;
    Bytes storedRow_;
    std::int32_t rowsRead_ = 0;
};

// Opens a GFP as a source of RGB565 rows (GfpSource), refusing one whose rows cannot be
// read. head, when given, receives both blocks.
// With in given, path names a file of that held folder, opened without following a link.
Result<std::unique_ptr<RowSource>> OpenGfpSource(const Path& path, GfpHead* head = nullptr,
                                                 const Folder* in = nullptr);
// The same for a GFP held in memory (no path: the caller names the file in a refusal).
Result<std::unique_ptr<RowSource>> OpenGfpSource(std::span<const std::uint8_t> gfp);

// Told the pixel block (width and height not negative) before any row is handed on;
// returns whether the rows are wanted.
using GfpRowsWanted = std::function<bool(const GfpPixelHeaderRecord&)>;
// Takes one row of pixel bytes; rows come in file order, top row first, each once.
using GfpRowSink = std::function<void(std::int32_t row, std::span<const std::uint8_t> bytes)>;

// Bytes per pixel for a bitsPerPixel value: (bits + 1) / 8, rounded toward zero; nullopt
// when bits + 1 overflows.
std::optional<std::int32_t> BytesPerPixel(std::int32_t bitsPerPixel);

// Output buffer size of both zlib operations: n + n * 0.01 + 12, rounded half to even.
std::int64_t ZlibBufferSize(std::int64_t n);

// Decompresses data in place to exactly rawSize bytes (zero-padded or cut). Returns zlib's
// code; data is unchanged for a negative rawSize (Z_BUF_ERROR) and for a buffer that cannot
// be had (Z_MEM_ERROR).
int UncompressBlock(Bytes& data, std::int32_t rawSize);

// Like UncompressBlock; also tells how many bytes zlib produced.
int UncompressBlock(Bytes& data, std::int32_t rawSize, std::size_t& produced);

// Replaces data by its zlib stream at level (-1: zlib's default). Returns zlib's code.
int CompressBlock(Bytes& data, std::int16_t level);

} // namespace varnox
