#include "formats/gfp_pixels.h"
#include "formats/module1.h"
#include "formats/text.h"

#include <algorithm>
#include <optional>

namespace varnox {

std::optional<std::int32_t> BytesPerPixel(std::int32_t bitsPerPixel)
{
    const std::optional<std::int32_t> bits = CheckedAdd32(bitsPerPixel, 1);
    return bits ? std::optional(*bits / 8) : std::nullopt;
}

namespace {

bool UsableRawSize(std::int32_t rawSize)
{
    return rawSize >= 0 && rawSize <= kMaxRawSize;
}

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

Result<GfpPixels*> GfpSource::Pixels()
{
    if (!pixels_) {
        auto made = OpenGfpPixels({&file_, path_, rawForm_, rawSize_, streamLength_, storedRowBytes_});
        if (!made)
            return made.error();
        pixels_ = std::move(*made);
    }
    return pixels_.get();
}

Status GfpSource::ReadStoredRow(std::span<std::uint8_t> row)
{
    const auto pixels = Pixels();
    if (!pixels)
        return pixels.error();
    if (auto status = (*pixels)->ReadRow(row); !status)
        return status;
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
    const auto pixels = Pixels();
    return pixels ? (*pixels)->Drain() : pixels.status();
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
    const auto reader = Pixels();
    return reader ? (*reader)->ReadAll(pixels) : reader.status();
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
