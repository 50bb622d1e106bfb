#include "formats/png.h"

#include "formats/buffer.h"
#include "formats/gfp.h"

#include <libdeflate.h>
#include <spng.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <utility>

namespace varnox {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Signature, IHDR length and type, width, height, depth, colour type and the three methods.
constexpr std::size_t kHeadSize = 29;
constexpr std::size_t kIhdrTypeAt = 12;
constexpr std::size_t kWidthAt = 16;
constexpr std::size_t kHeightAt = 20;
constexpr std::size_t kCompressionAt = 26;
constexpr std::size_t kFilterAt = 27;
constexpr std::size_t kInterlaceAt = 28;
// Largest ancillary chunk, and all of them together, that libspng keeps (text, ICC
// profiles): a crafted file cannot make it allocate more. Image data is not bounded by it.
constexpr std::size_t kMaxChunkSize = std::size_t(1) << 20;
constexpr std::size_t kMaxChunkCache = std::size_t(4) << 20;
// zlib level and filter of the PNGs written: fast, since the file is an exchange copy.
constexpr int kWriteLevel = 2;
constexpr int kWriteFilter = SPNG_FILTER_CHOICE_UP;
// Pictures of up to this many filtered bytes are deflated whole by libdeflate at its
// quickest level: several times faster than zlib's level 2 and smaller. Larger ones stream
// through libspng, so that their memory stays bounded.
constexpr std::size_t kWholeDeflateBytes = std::size_t(64) << 20;
constexpr int kWholeDeflateLevel = 1;
constexpr std::uint8_t kFilterUp = 2;
constexpr std::size_t kIdatBytes = std::size_t(1) << 20; // image data written per IDAT chunk
// The last pass of Adam7, the only one that yields the odd rows.
constexpr int kLastPass = 6;

std::uint32_t Be32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

void PutBe32(std::uint8_t* p, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        p[k] = static_cast<std::uint8_t>(v >> (24 - 8 * k));
}

struct SpngFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using SpngContext = std::unique_ptr<spng_ctx, SpngFree>;

// Refuses a zero size and one whose RGB565 picture a GFP could not hold.
std::optional<PngError> CheckSize(std::uint32_t width, std::uint32_t height)
{
    if (width == 0 || height == 0)
        return PngError::Size;
    const auto maxSide = static_cast<std::uint32_t>(kMaxPngSide);
    if (width > maxSide || height > maxSide || std::int64_t(width) * std::int64_t(height) * 2 > kMaxRawSize)
        return PngError::TooLarge;
    return std::nullopt;
}

class PngSource final : public RowSource {
  public:
    explicit PngSource(Path path) : path_(std::move(path)) {}

    Status Open(const Folder* in);
    const PictureInfo& Info() const override { return info_; }
    Status ReadRow(std::span<std::uint8_t> row) override;

  private:
    static int Read(spng_ctx* ctx, void* user, void* dest, std::size_t length);
    Error Failure(int spngError) const;
    Status Refuse(Error error);
    Status CheckHead();
    Status ReadPalette();
    Status DecodeRow(std::uint8_t* out, std::int32_t rowNumber);
    Status DecodeEvenRows();
    Status FinishImage();
    Status ExpandIndices(const std::uint8_t* in, std::span<std::uint8_t> row) const;

    Path path_;
    InputFile file_;
    std::int64_t offset_ = 0; // of the next byte libspng reads
    bool endMet_ = false;     // a read found the end of the file
    SpngContext ctx_;
    PictureInfo info_;
    bool interlaced_ = false;
    // Colour-mapped: rows are decoded as their indices and looked up here, so that an
    // index beyond the palette is found.
    bool indexed_ = false;
    int bitDepth_ = 8;
    std::uint32_t paletteEntries_ = 0;
    std::array<std::array<std::uint8_t, 3>, 256> palette_{};
    Bytes indices_;                   // one row of indices, packed as the file holds them
    std::size_t decodedRowBytes_ = 0; // of a row as libspng gives it
    // Interlaced: rows 0, 2, 4 ... as the first six passes fill them. Not cleared, so that
    // only the pages the file's data reaches are ever touched.
    std::unique_ptr<std::uint8_t[]> evenRows_;
    std::int32_t nextRow_ = 0;
    bool ended_ = false; // libspng has decoded the last row
    Status failed_;      // the first failure, repeated by every later call
};

int PngSource::Read(spng_ctx* /*ctx*/, void* user, void* dest, std::size_t length)
{
    auto& self = *static_cast<PngSource*>(user);
    const std::size_t got = self.file_.ReadSomeAt(self.offset_, {static_cast<std::uint8_t*>(dest), length});
    self.offset_ += static_cast<std::int64_t>(got);
    if (got == length)
        return 0;
    if (self.file_.error())
        return SPNG_IO_ERROR;
    self.endMet_ = true;
    return SPNG_IO_EOF;
}

// The error of a libspng call that failed.
Error PngSource::Failure(int spngError) const
{
    switch (spngError) {
    case SPNG_IO_ERROR: return {IoError::CannotRead, path_, file_.error()};
    case SPNG_EMEM: return {IoError::OutOfMemory, path_};
    case SPNG_ESIGNATURE: return {PngError::Signature, path_};
    case SPNG_EUSER_WIDTH:
    case SPNG_EUSER_HEIGHT: return {PngError::TooLarge, path_};
    default: return {PngError::Damaged, path_, {}, spng_strerror(spngError)};
    }
}

// Keeps the first failure: libspng cannot go on after one, so every later call repeats it.
Status PngSource::Refuse(Error error)
{
    failed_ = std::move(error);
    return failed_;
}

// Checks the signature, the size in IHDR and its methods before libspng allocates
// anything: PNG knows one compression and one filter method, and two interlace methods.
Status PngSource::CheckHead()
{
    std::array<std::uint8_t, kHeadSize> head{};
    const std::size_t got = file_.ReadSomeAt(0, head);
    if (file_.error())
        return Error{IoError::CannotRead, path_, file_.error()};
    if (got < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), head.begin()))
        return Error{PngError::Signature, path_};
    if (got < kHeadSize || std::memcmp(&head[kIhdrTypeAt], "IHDR", 4) != 0)
        return {}; // libspng names the damage
    if (const auto refused = CheckSize(Be32(&head[kWidthAt]), Be32(&head[kHeightAt])))
        return Error{*refused, path_};
    if (head[kCompressionAt] != 0 || head[kFilterAt] != 0 || head[kInterlaceAt] > 1)
        return Error{PngError::Method, path_};
    return {};
}

Status PngSource::Open(const Folder* in)
{
    if (!(in != nullptr ? file_.OpenIn(*in, path_.filename().string()) : file_.Open(path_)))
        return Error{IoError::CannotOpen, path_, file_.error()};
    if (Status head = CheckHead(); !head)
        return head;
    ctx_.reset(spng_ctx_new(0));
    if (!ctx_)
        return Error{IoError::OutOfMemory, path_};
    const auto maxSide = static_cast<std::uint32_t>(kMaxPngSide);
    spng_set_image_limits(ctx_.get(), maxSide, maxSide);
    spng_set_chunk_limits(ctx_.get(), kMaxChunkSize, kMaxChunkCache);
    spng_set_png_stream(ctx_.get(), &PngSource::Read, this);
    spng_ihdr ihdr{};
    if (const int error = spng_get_ihdr(ctx_.get(), &ihdr))
        return Failure(error);
    if (const auto refused = CheckSize(ihdr.width, ihdr.height))
        return Error{*refused, path_};
    indexed_ = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;
    bitDepth_ = ihdr.bit_depth;
    const int format = indexed_ ? SPNG_FMT_PNG : SPNG_FMT_RGB8;
    if (const int error = spng_decode_image(ctx_.get(), nullptr, 0, format, SPNG_DECODE_PROGRESSIVE))
        return Failure(error);
    info_.width = static_cast<std::int32_t>(ihdr.width);
    info_.height = static_cast<std::int32_t>(ihdr.height);
    info_.format = RowFormat::Rgb24;
    info_.description = "PNG";
    interlaced_ = ihdr.interlace_method != SPNG_INTERLACE_NONE;
    decodedRowBytes_ = info_.RowBytes();
    return indexed_ ? ReadPalette() : Status();
}

// Takes the palette of a colour-mapped picture; its rows are then decoded as indices.
Status PngSource::ReadPalette()
{
    spng_plte plte{};
    if (const int error = spng_get_plte(ctx_.get(), &plte))
        return Failure(error);
    paletteEntries_ = std::min<std::uint32_t>(plte.n_entries, 256);
    for (std::uint32_t k = 0; k < paletteEntries_; ++k)
        palette_[k] = {plte.entries[k].red, plte.entries[k].green, plte.entries[k].blue};
    decodedRowBytes_ = (static_cast<std::size_t>(info_.width) * static_cast<std::size_t>(bitDepth_) + 7) / 8;
    indices_.resize(decodedRowBytes_);
    return {};
}

// Looks up a row of packed indices (first pixel in the high bits) in the palette.
Status PngSource::ExpandIndices(const std::uint8_t* in, std::span<std::uint8_t> row) const
{
    const auto depth = static_cast<unsigned>(bitDepth_);
    const unsigned mask = (1U << depth) - 1;
    for (std::size_t x = 0; x < static_cast<std::size_t>(info_.width); ++x) {
        const std::size_t bit = x * depth;
        const unsigned index = (in[bit / 8] >> (8 - depth - bit % 8)) & mask;
        if (index >= paletteEntries_)
            return Error{PngError::PaletteIndex, path_};
        std::copy(palette_[index].begin(), palette_[index].end(),
                  row.begin() + static_cast<std::ptrdiff_t>(3 * x));
    }
    return {};
}

// Decodes the next row of the file, which must be row rowNumber of the picture, into out.
Status PngSource::DecodeRow(std::uint8_t* out, std::int32_t rowNumber)
{
    spng_row_info row{};
    if (const int error = spng_get_row_info(ctx_.get(), &row))
        return Failure(error);
    if (static_cast<std::int64_t>(row.row_num) != rowNumber)
        return Error{PngError::Damaged, path_};
    const int result = spng_decode_row(ctx_.get(), out, decodedRowBytes_);
    if (result == SPNG_EOI)
        ended_ = true;
    else if (result != 0)
        return Failure(result);
    return {};
}

// Interlaced: runs the first six passes, which fill the even rows; the odd rows then follow
// in the last pass, one at a time.
Status PngSource::DecodeEvenRows()
{
    try {
        const std::size_t size = static_cast<std::size_t>((info_.height + 1) / 2) * decodedRowBytes_;
        // libspng adds the pixels of indices below 8 bits into the bytes already there.
        if (indexed_ && bitDepth_ < 8)
            evenRows_ = std::make_unique<std::uint8_t[]>(size);
        else
            evenRows_ = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    } catch (const std::bad_alloc&) {
        return Error{IoError::OutOfMemory, path_};
    }
    while (!ended_) {
        spng_row_info row{};
        const int error = spng_get_row_info(ctx_.get(), &row);
        if (error == SPNG_EOI)
            ended_ = true;
        else if (error != 0)
            return Failure(error);
        else if (row.pass == kLastPass)
            break;
        else if (row.row_num % 2 != 0 || row.row_num >= static_cast<std::uint32_t>(info_.height))
            return Error{PngError::Damaged, path_};
        else if (Status decoded = DecodeRow(&evenRows_[row.row_num / 2 * decodedRowBytes_],
                                            static_cast<std::int32_t>(row.row_num));
                 !decoded)
            return decoded;
    }
    return {};
}

// After the last row: the image data must end there, and the chunks after it up to IEND
// must be whole.
Status PngSource::FinishImage()
{
    if (!ended_) {
        spng_row_info row{};
        if (spng_get_row_info(ctx_.get(), &row) != SPNG_EOI)
            return Error{PngError::Damaged, path_};
    }
    if (const int error = spng_decode_chunks(ctx_.get()))
        return Failure(error);
    // libspng forgives a file that ends inside the CRC of IEND; a cut file is refused here.
    if (endMet_)
        return Failure(SPNG_IO_EOF);
    return {};
}

Status PngSource::ReadRow(std::span<std::uint8_t> row)
{
    if (!failed_)
        return failed_;
    if (row.size() != info_.RowBytes() || nextRow_ >= info_.height)
        return Refuse({IoError::CannotRead, path_});
    if (interlaced_ && nextRow_ == 0)
        if (Status even = DecodeEvenRows(); !even)
            return Refuse(even.error());
    const std::uint8_t* decoded = indexed_ ? indices_.data() : row.data();
    if (interlaced_ && nextRow_ % 2 == 0)
        decoded = &evenRows_[static_cast<std::size_t>(nextRow_ / 2) * decodedRowBytes_];
    else if (Status status = DecodeRow(indexed_ ? indices_.data() : row.data(), nextRow_); !status)
        return Refuse(status.error());
    if (indexed_) {
        if (Status expanded = ExpandIndices(decoded, row); !expanded)
            return Refuse(expanded.error());
    } else if (decoded != row.data()) {
        std::copy_n(decoded, row.size(), row.begin());
    }
    if (++nextRow_ == info_.height) {
        evenRows_.reset();
        if (Status finished = FinishImage(); !finished)
            return Refuse(finished.error());
    }
    return {};
}

class PngSink final : public RowSink {
  public:
    explicit PngSink(AtomicFile& file) : file_(file) {}

    RowFormat Format() const override { return RowFormat::Rgb24; }
    Status Start(std::int32_t width, std::int32_t height) override;
    Status WriteRow(std::span<const std::uint8_t> row) override;
    Status Finish() override;

  private:
    static int Write(spng_ctx* ctx, void* user, void* src, std::size_t length);
    Error Failure(int spngError) const;
    Status Refuse(Error error);
    Status StartSpng();
    Status FinishWhole();

    Path target_; // left empty: the caller knows the file
    AtomicFile& file_;
    SpngContext ctx_;
    // Deflated whole: every row, filtered, and the row before the next one.
    bool whole_ = false;
    PictureBuffer filtered_;
    Bytes above_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t rowsDone_ = 0;
    Status failed_; // the first failure, repeated by every later call
};

int PngSink::Write(spng_ctx* /*ctx*/, void* user, void* src, std::size_t length)
{
    auto& self = *static_cast<PngSink*>(user);
    return self.file_.Write({{static_cast<const std::uint8_t*>(src), length}}) ? 0 : SPNG_IO_ERROR;
}

Error PngSink::Failure(int spngError) const
{
    switch (spngError) {
    case SPNG_IO_ERROR: return {IoError::CannotWrite, target_, file_.error()};
    case SPNG_EMEM: return {IoError::OutOfMemory, target_};
    default: return {IoError::CannotWrite, target_, {}, spng_strerror(spngError)};
    }
}

// Keeps the first failure; the caller drops the file, so the target stays as it was.
Status PngSink::Refuse(Error error)
{
    failed_ = std::move(error);
    ctx_.reset();
    return failed_;
}

Status PngSink::Start(std::int32_t width, std::int32_t height)
{
    if (!failed_)
        return failed_;
    if (width <= 0 || height <= 0)
        return Refuse({PngError::Size, target_});
    width_ = width;
    height_ = height;
    rowsDone_ = 0;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t filteredBytes = (rowBytes + 1) * static_cast<std::size_t>(height);
    whole_ = filteredBytes <= kWholeDeflateBytes;
    if (!whole_)
        return StartSpng();
    try {
        filtered_ = PictureBuffer(filteredBytes);
        above_.assign(rowBytes, 0);
    } catch (const std::bad_alloc&) {
        return Refuse({IoError::OutOfMemory, target_});
    }
    return {};
}

Status PngSink::StartSpng()
{
    ctx_.reset(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx_)
        return Refuse({IoError::OutOfMemory, target_});
    spng_ihdr ihdr{};
    ihdr.width = static_cast<std::uint32_t>(width_);
    ihdr.height = static_cast<std::uint32_t>(height_);
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    int error = spng_set_png_stream(ctx_.get(), &PngSink::Write, this);
    if (error == 0)
        error = spng_set_ihdr(ctx_.get(), &ihdr);
    if (error == 0)
        error = spng_set_option(ctx_.get(), SPNG_IMG_COMPRESSION_LEVEL, kWriteLevel);
    if (error == 0)
        error = spng_set_option(ctx_.get(), SPNG_FILTER_CHOICE, kWriteFilter);
    if (error == 0)
        error = spng_encode_image(ctx_.get(), nullptr, 0, SPNG_FMT_PNG,
                                  SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    return error == 0 ? Status() : Refuse(Failure(error));
}

Status PngSink::WriteRow(std::span<const std::uint8_t> row)
{
    if (!failed_)
        return failed_;
    if (whole_ && rowsDone_ < height_ && row.size() == above_.size()) {
        // Each byte less the one above it (PNG's "up" filter).
        std::uint8_t* out = filtered_.data() + static_cast<std::size_t>(rowsDone_) * (row.size() + 1);
        *out++ = kFilterUp;
        for (std::size_t k = 0; k < row.size(); ++k)
            out[k] = static_cast<std::uint8_t>(row[k] - above_[k]);
        std::copy(row.begin(), row.end(), above_.begin());
        ++rowsDone_;
        return {};
    }
    if (!ctx_ || rowsDone_ >= height_ || row.size() != static_cast<std::size_t>(width_) * 3)
        return Refuse({IoError::CannotWrite, target_});
    const int result = spng_encode_row(ctx_.get(), row.data(), row.size());
    ++rowsDone_;
    // The last row ends the image; libspng then writes IEND.
    if (result != (rowsDone_ == height_ ? SPNG_EOI : 0))
        return Refuse(Failure(result == SPNG_EOI ? SPNG_EINTERNAL : result));
    return {};
}

// The frame of one chunk: length and type before its data, the CRC of type and data after.
struct ChunkFrame {
    std::array<std::uint8_t, 8> head{};
    std::array<std::uint8_t, 4> tail{};
};

ChunkFrame FrameOf(const char* type, std::span<const std::uint8_t> data)
{
    ChunkFrame frame;
    PutBe32(frame.head.data(), static_cast<std::uint32_t>(data.size()));
    std::memcpy(&frame.head[4], type, 4);
    std::uint32_t crc = libdeflate_crc32(0, &frame.head[4], 4);
    if (!data.empty()) // libdeflate answers 0 for no bytes at null, whatever the sum so far
        crc = libdeflate_crc32(crc, data.data(), data.size());
    PutBe32(frame.tail.data(), crc);
    return frame;
}

// Deflates the filtered rows at once and writes the whole file: signature, IHDR, the
// stream in IDAT chunks, IEND.
Status PngSink::FinishWhole()
{
    struct FreeCompressor {
        void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
    };
    // One per thread: a folder of small pictures would otherwise set one up for each.
    thread_local const std::unique_ptr<libdeflate_compressor, FreeCompressor> packer(
        libdeflate_alloc_compressor(kWholeDeflateLevel));
    if (!packer)
        return Refuse({IoError::OutOfMemory, target_});
    std::size_t length = 0;
    try {
        PictureBuffer stream(libdeflate_zlib_compress_bound(packer.get(), filtered_.size()));
        length = libdeflate_zlib_compress(packer.get(), filtered_.data(), filtered_.size(), stream.data(),
                                          stream.size());
        filtered_ = std::move(stream);
    } catch (const std::bad_alloc&) {
        return Refuse({IoError::OutOfMemory, target_});
    }
    std::array<std::uint8_t, 13> ihdr{};
    PutBe32(&ihdr[0], static_cast<std::uint32_t>(width_));
    PutBe32(&ihdr[4], static_cast<std::uint32_t>(height_));
    ihdr[8] = 8;                         // bits per sample
    ihdr[9] = SPNG_COLOR_TYPE_TRUECOLOR; // compression, filter and interlace methods 0
    // Each IDAT chunk in one write with what comes before or after it: a small picture is
    // written at once.
    const ChunkFrame header = FrameOf("IHDR", ihdr);
    const ChunkFrame end = FrameOf("IEND", {});
    const auto when = [](bool wanted, std::span<const std::uint8_t> bytes) {
        return wanted ? bytes : std::span<const std::uint8_t>();
    };
    bool ok = length > 0;
    for (std::size_t at = 0; ok && at < length; at += kIdatBytes) {
        const std::span<const std::uint8_t> data =
            filtered_.span().subspan(at, std::min(kIdatBytes, length - at));
        const ChunkFrame idat = FrameOf("IDAT", data);
        const bool first = at == 0, last = length - at <= kIdatBytes;
        ok = file_.Write({when(first, kSignature), when(first, header.head), when(first, ihdr),
                          when(first, header.tail), idat.head, data, idat.tail, when(last, end.head),
                          when(last, end.tail)});
    }
    filtered_ = PictureBuffer();
    if (!ok)
        return Refuse({IoError::CannotWrite, target_, file_.error()});
    return {};
}

Status PngSink::Finish()
{
    if (!failed_)
        return failed_;
    if (whole_)
        return rowsDone_ == height_ ? FinishWhole() : Refuse({IoError::CannotWrite, target_});
    if (!ctx_ || rowsDone_ != height_)
        return Refuse({IoError::CannotWrite, target_});
    ctx_.reset();
    if (file_.error())
        return Refuse({IoError::CannotWrite, target_, file_.error()});
    return {};
}

} // namespace

Result<std::unique_ptr<RowSource>> OpenPngSource(const Path& path, const Folder* in)
{
    std::unique_ptr<PngSource> source;
    try {
        source = std::make_unique<PngSource>(path);
    } catch (const std::bad_alloc&) {
        return Error{IoError::OutOfMemory, path};
    }
    if (Status opened = source->Open(in); !opened)
        return opened.error();
    return std::unique_ptr<RowSource>(std::move(source));
}

std::unique_ptr<RowSink> MakePngSink(AtomicFile& file)
{
    return std::make_unique<PngSink>(file);
}

} // namespace varnox
