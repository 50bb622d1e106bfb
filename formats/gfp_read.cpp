#include "formats/buffer.h"
#include "formats/module1.h"
#include "formats/text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <libdeflate.h>
#include <limits>
#include <optional>
#include <zlib.h>

namespace varnox {

std::optional<std::int32_t> BytesPerPixel(std::int32_t bitsPerPixel)
{
    const std::optional<std::int32_t> bits = CheckedAdd32(bitsPerPixel, 1);
    return bits ? std::optional(*bits / 8) : std::nullopt;
}

std::int64_t ZlibBufferSize(std::int64_t n)
{
    const double size = static_cast<double>(n) + static_cast<double>(n) * 0.01 + 12.0;
    return static_cast<std::int64_t>(std::nearbyint(size)); // default rounding: half to even
}

namespace {

bool UsableRawSize(std::int32_t rawSize)
{
    return rawSize >= 0 && rawSize <= kMaxRawSize;
}

struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// Inflates the zlib stream into out with libdeflate; the bytes produced when the stream
// ends within out, whole and with its checksum right. nullopt otherwise: zlib then reads
// the stream and names what is wrong with it. out's content is undefined after nullopt.
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

} // namespace

namespace {

// The first of the problems a read finds; later ones do not replace it.
struct FirstError {
    GfpError status = GfpError::None;
    void operator()(GfpError e)
    {
        if (status == GfpError::None)
            status = e;
    }
};

// Where a GFP's pixels lie, as found from its header blocks.
struct GfpLayout {
    bool rawForm = false;          // pixels stored as they are, at kGfpPayloadAt
    std::int64_t streamLength = 0; // bytes of the zlib stream at kGfpStreamAt, cut at the file's end
};

// Reads both header blocks into the records, recomputes rawSize from width, height and
// bitsPerPixel, and finds where the pixels lie. Every problem goes to fail; only the first
// one found counts.
template <class Fail>
GfpLayout ReadGfpLayout(InputFile& file, GfpPictureHeaderRecord& picture, GfpPixelHeaderRecord& pixel,
                        Fail& fail)
{
    GfpLayout layout;
    GfpHeadBytes head{};
    const std::size_t got = file.IsOpen() ? file.ReadSomeAt(0, head) : 0;
    if (auto status = ParseGfpBlocks(std::span(head.data(), got), picture, pixel); !status) {
        fail(CodeOf<GfpError>(status));
        return layout;
    }

    layout.rawForm = pixel.compression() != kGfpCompressionZlib;
    if (!layout.rawForm) {
        // The stream is never taken as longer than what the file holds after the headers.
        const std::int32_t stored = pixel.storedSize();
        if (stored < 8) {
            fail(GfpError::StoredSize);
        } else {
            const std::int64_t wanted = std::int64_t(stored) - 8;
            const std::int64_t available = std::max<std::int64_t>(0, file.Size() - kGfpStreamAt);
            if (wanted > available)
                fail(GfpError::PayloadPastEnd);
            layout.streamLength = std::min(wanted, available);
        }
    }
    const std::optional<std::int32_t> bytesPerPixel = BytesPerPixel(pixel.bitsPerPixel());
    const std::optional<std::int32_t> area = CheckedMul32(pixel.height(), pixel.width());
    if (const auto rawSize = bytesPerPixel && area ? CheckedMul32(*area, *bytesPerPixel) : std::nullopt)
        pixel.setRawSize(*rawSize);
    else
        fail(GfpError::RawSize);
    return layout;
}

} // namespace

Status ParseGfpBlocks(std::span<const std::uint8_t> bytes, GfpPictureHeaderRecord& picture,
                      GfpPixelHeaderRecord& pixel)
{
    const auto refuse = [](GfpError code) { return Error{code, {}, {}, {}}; };
    const auto tagAt = [&](std::size_t at) {
        return bytes.size() >= at + kGfpTagSize &&
               std::equal(kGfpTag.begin(), kGfpTag.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    };
    constexpr auto kSecondTagAt = static_cast<std::size_t>(kGfpPixelHeaderAt) - kGfpTagSize;
    if (!tagAt(0))
        return refuse(GfpError::FirstTag);
    if (bytes.size() < kSecondTagAt)
        return refuse(GfpError::PictureHeader);
    std::copy_n(bytes.begin() + kGfpPictureHeaderAt, kGfpPictureHeaderSize, picture.bytes.begin());
    if (!tagAt(kSecondTagAt))
        return refuse(GfpError::SecondTag);
    if (bytes.size() < static_cast<std::size_t>(kGfpPayloadAt))
        return refuse(GfpError::PixelHeader);
    std::copy_n(bytes.begin() + kGfpPixelHeaderAt, kGfpPixelHeaderSize, pixel.bytes.begin());
    return {};
}

Result<GfpHead> ParseGfpHead(std::span<const std::uint8_t> bytes)
{
    GfpHead head;
    if (auto status = ParseGfpBlocks(bytes, head.picture, head.pixel); !status)
        return status.error();
    return head;
}

Result<GfpHead> ReadGfpHead(const Path& path)
{
    InputFile file;
    if (!file.Open(path))
        return Error{GfpError::CannotOpen, path, file.error(), {}};
    GfpHeadBytes bytes{};
    const std::size_t got = file.ReadSomeAt(0, bytes);
    auto head = ParseGfpHead(std::span<const std::uint8_t>(bytes.data(), got));
    if (!head)
        return Error{head.error().code, path, {}, {}};
    return head;
}

namespace {

constexpr std::size_t kRowChunk = 1024 * 1024;   // pixel bytes inflated at a time (fits the L2 cache)
constexpr std::size_t kStreamPiece = 256 * 1024; // stream bytes read from the file at a time

} // namespace

// Inflates a stream a piece at a time, from the file or from memory, with the outcome
// uncompress() gives for an output buffer of ZlibBufferSize(rawSize) bytes: a stream longer
// than that buffer is cut, not refused.
struct StreamInflater {
    z_stream z{};
    bool ready = false;
    InputFile* file = nullptr;          // the stream lies at kGfpStreamAt of this file
    std::span<const std::uint8_t> held; // or in memory
    std::int64_t streamLength = 0;
    Bytes piece;
    std::int64_t streamRead = 0;
    int code = Z_OK;

    StreamInflater(InputFile& in, std::int64_t length) : file(&in), streamLength(length)
    {
        piece.resize(static_cast<std::size_t>(std::min<std::int64_t>(length, kStreamPiece)));
    }
    explicit StreamInflater(std::span<const std::uint8_t> stream)
        : held(stream), streamLength(static_cast<std::int64_t>(stream.size()))
    {
    }
    StreamInflater(const StreamInflater&) = delete;
    StreamInflater& operator=(const StreamInflater&) = delete;
    ~StreamInflater()
    {
        if (ready)
            inflateEnd(&z);
    }

    bool Start()
    {
        ready = inflateInit(&z) == Z_OK;
        return ready;
    }

    // Fills out from the stream as far as it goes; the bytes produced.
    std::size_t Fill(std::span<std::uint8_t> out)
    {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        while (code == Z_OK && z.avail_out > 0) {
            if (z.avail_in == 0 && streamRead < streamLength)
                Refill();
            code = inflate(&z, Z_NO_FLUSH);
        }
        return out.size() - z.avail_out;
    }

    // Goes on with no room left, as uncompress() does once its buffer is full: the rest
    // of the stream may still break (a bad code, a wrong check value) before it stalls.
    void Settle()
    {
        z.avail_out = 0;
        while (code == Z_OK) {
            if (z.avail_in == 0 && streamRead < streamLength)
                Refill();
            code = inflate(&z, Z_NO_FLUSH);
        }
    }

    // Fills up to bufferSize bytes in all, a scratch piece at a time, then settles: the
    // verdict of uncompress() on the whole stream.
    void Finish(std::uint64_t bufferSize)
    {
        Bytes scratch(static_cast<std::size_t>(std::min<std::uint64_t>(kRowChunk, bufferSize)));
        while (code == Z_OK && z.total_out < bufferSize) {
            const auto window =
                static_cast<std::size_t>(std::min<std::uint64_t>(scratch.size(), bufferSize - z.total_out));
            Fill(std::span<std::uint8_t>(scratch.data(), window));
        }
        Settle();
    }

    // uncompress()'s code for the stream inflated so far into a buffer of bufferSize bytes:
    // a stream that stops before the buffer is full is damaged.
    int UncompressCode(std::uint64_t bufferSize) const
    {
        if (code == Z_STREAM_END)
            return Z_OK;
        if (code == Z_NEED_DICT || (code == Z_BUF_ERROR && z.total_out < bufferSize))
            return Z_DATA_ERROR;
        return code;
    }

    void Refill()
    {
        const auto length =
            static_cast<std::size_t>(std::min<std::int64_t>(streamLength - streamRead, kStreamPiece));
        if (file == nullptr) {
            z.next_in = const_cast<Bytef*>(held.data() + streamRead); // zlib does not write through it
        } else {
            const std::span<std::uint8_t> into(piece.data(), length);
            const std::size_t got = file->ReadSomeAt(kGfpStreamAt + streamRead, into);
            std::fill(into.begin() + static_cast<std::ptrdiff_t>(got), into.end(), std::uint8_t{0});
            z.next_in = piece.data();
        }
        streamRead += static_cast<std::int64_t>(length);
        z.avail_in = static_cast<uInt>(length);
    }
};

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
    produced = static_cast<std::size_t>(inflater.z.total_out);
    out.resize(static_cast<std::size_t>(rawSize));
    data = std::move(out);
    return inflater.UncompressCode(bufferSize);
}

int UncompressBlock(Bytes& data, std::int32_t rawSize)
{
    std::size_t produced = 0;
    return UncompressBlock(data, rawSize, produced);
}

GfpSource::GfpSource() = default;
GfpSource::~GfpSource() = default;

Status GfpSource::Fault(GfpError code) const
{
    return Error{code, path_, code == GfpError::CannotOpen ? file_.error() : std::error_code(), {}};
}

Status GfpSource::Locate(const Path& path, GfpPictureHeaderRecord& picture, GfpPixelHeaderRecord& pixel,
                         const Folder* in)
{
    path_ = path;
    FirstError fail;
    if (!(in != nullptr ? file_.OpenIn(*in, path.filename().string()) : file_.Open(path)))
        fail(GfpError::CannotOpen);
    const GfpLayout layout = ReadGfpLayout(file_, picture, pixel, fail);
    rawForm_ = layout.rawForm;
    streamLength_ = layout.streamLength;
    rawSize_ = pixel.rawSize();
    if (!UsableRawSize(rawSize_))
        fail(GfpError::RawSize);
    return fail.status == GfpError::None ? Status() : Fault(fail.status);
}

Status GfpSource::Open(const Path& path, GfpPictureHeaderRecord& picture, GfpPixelHeaderRecord& pixel,
                       const Folder* in)
{
    if (auto status = Locate(path, picture, pixel, in); !status)
        return status;
    if (rawForm_ && file_.Size() - kGfpPayloadAt < std::int64_t{rawSize_})
        return Fault(GfpError::PayloadPastEnd);

    // rawSize was computed, so bitsPerPixel + 1 does not overflow.
    const std::int32_t bytesPerPixel = BytesPerPixel(pixel.bitsPerPixel()).value_or(0);
    upright_ = pixel.width() >= 0 && pixel.height() >= 0 && bytesPerPixel >= 1;
    info_.width = upright_ ? pixel.width() : 0;
    info_.height = upright_ ? pixel.height() : 0;
    info_.format = RowFormat::Rgb565;
    info_.description = rawForm_ ? Translate(QT_TRANSLATE_NOOP("Varnox", "GFP, unkomprimiert")) : "GFP, zlib";
    bytesPerPixel_ = upright_ ? static_cast<std::size_t>(bytesPerPixel) : 0;
    storedRowBytes_ = static_cast<std::size_t>(info_.width) * bytesPerPixel_;
    return {};
}

Status GfpSource::Inflate()
{
    if (rawForm_ || whole_ || inflater_)
        return {};
    // The whole stream is held beside the picture while libdeflate inflates it: zlib reads
    // only streams that libdeflate refuses, to name their damage.
    if (rawSize_ > 0) {
        try {
            PictureBuffer picture(static_cast<std::size_t>(rawSize_));
            const PictureBuffer stream(static_cast<std::size_t>(streamLength_));
            // Bytes the file no longer has are read as zero, as in a piece-wise read.
            const std::size_t got = file_.ReadSomeAt(kGfpStreamAt, stream.span());
            std::fill(stream.data() + got, stream.data() + stream.size(), std::uint8_t{0});
            if (const auto produced = InflateWhole(stream.span(), picture.span())) {
                picture_ = std::move(picture);
                produced_ = *produced;
                whole_ = true;
                return {};
            }
        } catch (const std::bad_alloc&) {
            // Inflating a piece at a time needs far less memory.
        }
    }
    inflater_ = std::make_unique<StreamInflater>(file_, streamLength_);
    if (!inflater_->Start())
        return Fault(GfpError::ZlibData);
    return {};
}

Status GfpSource::Fill(std::span<std::uint8_t> out)
{
    if (rawForm_) {
        if (!file_.ReadAt(kGfpPayloadAt + consumed_, out))
            return Fault(GfpError::PayloadPastEnd);
    } else if (auto status = Inflate(); !status) {
        return status;
    } else if (whole_) {
        if (static_cast<std::size_t>(consumed_) + out.size() > produced_)
            return Fault(GfpError::ShortPixels);
        std::copy_n(picture_.data() + consumed_, out.size(), out.begin());
    } else if (inflater_->Fill(out) < out.size()) {
        // The stream ended, or broke, before the picture was whole.
        return Fault(inflater_->code == Z_STREAM_END ? GfpError::ShortPixels : GfpError::ZlibData);
    }
    consumed_ += static_cast<std::int64_t>(out.size());
    return {};
}

Status GfpSource::ReadStoredRow(std::span<std::uint8_t> row)
{
    if (auto status = Inflate(); !status)
        return status;
    const std::size_t chunkBytes =
        std::max<std::size_t>(1, kRowChunk / std::max<std::size_t>(1, storedRowBytes_)) * storedRowBytes_;
    if (whole_) {
        // Rows come straight out of the whole picture, but only from a chunk the stream
        // filled, as when inflating a piece at a time.
        const auto at = static_cast<std::size_t>(consumed_);
        if (chunkBytes == 0 || std::min(at / chunkBytes * chunkBytes + chunkBytes,
                                        static_cast<std::size_t>(rawSize_)) > produced_)
            return Fault(GfpError::ShortPixels);
        if (auto status = Fill(row.first(storedRowBytes_)); !status)
            return status;
        ++rowsRead_;
        return {};
    }
    // Rows come out of a chunk of whole rows inflated at once.
    if (chunkAt_ == stored_.size()) {
        const auto left = static_cast<std::size_t>(rawSize_ - consumed_);
        stored_.resize(std::min(chunkBytes, left));
        chunkAt_ = 0;
        if (stored_.size() < storedRowBytes_)
            return Fault(GfpError::ShortPixels);
        if (auto status = Fill(stored_); !status)
            return status;
    }
    std::copy_n(stored_.begin() + static_cast<std::ptrdiff_t>(chunkAt_), storedRowBytes_, row.begin());
    chunkAt_ += storedRowBytes_;
    ++rowsRead_;
    return {};
}

Status GfpSource::ReadRow(std::span<std::uint8_t> row)
{
    if (bytesPerPixel_ == 2) {
        if (auto status = ReadStoredRow(row); !status)
            return status;
    } else {
        storedRow_.resize(storedRowBytes_);
        if (auto status = ReadStoredRow(storedRow_); !status)
            return status;
        // One byte: the low byte of the pixel; more than two: the last two.
        const std::size_t skip = bytesPerPixel_ >= 2 ? bytesPerPixel_ - 2 : 0;
        for (std::size_t x = 0; x < static_cast<std::size_t>(info_.width); ++x) {
            const std::uint8_t* p = storedRow_.data() + x * bytesPerPixel_ + skip;
            row[2 * x] = p[0];
            row[2 * x + 1] = bytesPerPixel_ == 1 ? std::uint8_t{0} : p[1];
        }
    }
    // After the last row the rest of the stream is checked, as a whole read would.
    return rowsRead_ == info_.height ? Drain() : Status();
}

Status GfpSource::Drain()
{
    if (rawForm_)
        return {};
    if (auto status = Inflate(); !status)
        return status;
    if (whole_)
        return produced_ < static_cast<std::size_t>(rawSize_) ? Fault(GfpError::ShortPixels) : Status();
    StreamInflater& inflater = *inflater_;
    const auto raw = static_cast<std::uint64_t>(rawSize_);
    const auto bufferSize = static_cast<std::uint64_t>(ZlibBufferSize(rawSize_));
    inflater.Finish(bufferSize);
    // A stream cut at the end of the buffer (Z_BUF_ERROR) is read as far as the buffer goes.
    if (const int code = inflater.UncompressCode(bufferSize); code != Z_OK && code != Z_BUF_ERROR)
        return Fault(GfpError::ZlibData);
    if (inflater.z.total_out < raw)
        return Fault(GfpError::ShortPixels);
    return {};
}

Status GfpSource::ReadWhole(const Path& path, GfpPictureHeaderRecord& picture, GfpPixelHeaderRecord& pixel,
                            Bytes& pixels)
{
    const Status found = Locate(path, picture, pixel, nullptr);
    const Status read = ReadAll(pixels);
    return found ? read : found;
}

Status GfpSource::ReadAll(Bytes& pixels)
{
    if (!UsableRawSize(rawSize_)) {
        // A size that cannot be made: the stream goes back as read.
        pixels.assign(rawForm_ ? 0 : static_cast<std::size_t>(streamLength_), 0);
        file_.ReadSomeAt(kGfpStreamAt, pixels);
        return Fault(GfpError::RawSize);
    }
    // Bytes past the end of short pixel data are zero, as zlib's buffer leaves them.
    pixels.assign(static_cast<std::size_t>(rawSize_), 0);
    if (rawForm_)
        return file_.ReadSomeAt(kGfpPayloadAt, pixels) < pixels.size() ? Fault(GfpError::PayloadPastEnd)
                                                                       : Status();
    if (auto status = Inflate(); !status)
        return status;
    if (whole_)
        std::copy_n(picture_.data(), std::min(produced_, pixels.size()), pixels.begin());
    else
        inflater_->Fill(pixels);
    return Drain();
}

Result<std::unique_ptr<RowSource>> OpenGfpSource(const Path& path, GfpHead* head, const Folder* in)
{
    GfpHead scratch;
    GfpHead& into = head != nullptr ? *head : scratch;
    auto source = std::make_unique<GfpSource>();
    if (auto status = source->Open(path, into.picture, into.pixel, in); !status)
        return status.error();
    if (!source->Upright()) {
        // A picture whose rows cannot be handed on is named for its damage first.
        if (auto status = source->Drain(); !status)
            return status.error();
        return Error{GfpError::RawSize, path, {}, {}};
    }
    return std::unique_ptr<RowSource>(std::move(source));
}

Status Module1::ReadGfpPixels(const Path& path, Bytes& pixels)
{
    GfpSource source;
    return source.ReadWhole(path, GfpPictureHeader, GfpPixelHeader, pixels);
}

Status Module1::ReadGfpPixelRows(const Path& path, const GfpRowsWanted& wanted, const GfpRowSink& sink)
{
    // Every refusal is the picture's: a reason of another kind reads as a damaged stream.
    const auto refused = [&path](const Status& status) -> Status {
        if (std::holds_alternative<GfpError>(status.error().code))
            return status;
        return Error{GfpError::ZlibData, path, {}, {}};
    };
    GfpSource source;
    if (auto status = source.Open(path, GfpPictureHeader, GfpPixelHeader); !status)
        return refused(status);
    const bool rows = source.Upright() && wanted(GfpPixelHeader) && GfpPixelHeader.rawSize() > 0;
    if (rows) {
        Bytes row(static_cast<std::size_t>(GfpPixelHeader.rawSize()) /
                  static_cast<std::size_t>(source.Info().height));
        for (std::int32_t y = 0; y < source.Info().height; ++y) {
            if (auto status = source.ReadStoredRow(row); !status)
                return refused(status);
            sink(y, row);
        }
    }
    if (auto status = source.Drain(); !status)
        return refused(status);
    return {};
}

} // namespace varnox
