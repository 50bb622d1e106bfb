// A GFP held in memory as a source of RGB565 rows, for the preview of an archive's item and
// for edit, which have its bytes in hand already.
#include "formats/buffer.h"
#include "formats/gfp.h"
#include "formats/text.h"

#include <zlib.h>

namespace varnox {

namespace {

// A GFP held in memory as a source of RGB565 rows, read by GfpSource's rules: the head by
// the one parse, the pixels inflated whole by the block routine, each count checked first.
class GfpBytesSource final : public RowSource {
  public:
    Status Open(std::span<const std::uint8_t> gfp)
    {
        const Result<GfpHead> head = ParseGfpHead(gfp);
        if (!head)
            return head.error();
        const GfpPixelHeaderRecord& pixel = head->pixel;
        const std::optional<std::int32_t> bytesPerPixel = BytesPerPixel(pixel.bitsPerPixel());
        const std::optional<std::int32_t> area = CheckedMul32(pixel.height(), pixel.width());
        const std::optional<std::int32_t> rawSize =
            bytesPerPixel && area ? CheckedMul32(*area, *bytesPerPixel) : std::nullopt;
        if (!rawSize || *rawSize < 0 || *rawSize > kMaxRawSize)
            return Error{GfpError::RawSize, {}, {}, {}};
        if (Status stored = TakePixels(gfp, pixel, *rawSize); !stored)
            return stored;
        const bool upright = pixel.width() >= 0 && pixel.height() >= 0 && *bytesPerPixel >= 1;
        info_.width = upright ? pixel.width() : 0;
        info_.height = upright ? pixel.height() : 0;
        info_.format = RowFormat::Rgb565;
        info_.description = pixel.compression() != kGfpCompressionZlib
                                ? Translate(QT_TRANSLATE_NOOP("Varnox", "GFP, unkomprimiert"))
                                : std::string("GFP, zlib");
        bytesPerPixel_ = upright ? static_cast<std::size_t>(*bytesPerPixel) : 0;
        return {};
    }

    const PictureInfo& Info() const override { return info_; }

    // The next row; a pixel of more than two bytes is taken by its last two, of one byte as the low one.
    Status ReadRow(std::span<std::uint8_t> row) override
    {
        const std::size_t width = static_cast<std::size_t>(info_.width);
        const std::size_t skip = bytesPerPixel_ >= 2 ? bytesPerPixel_ - 2 : 0;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t* p = pixels_.data() + at_ + x * bytesPerPixel_ + skip;
            row[2 * x] = p[0];
            row[2 * x + 1] = bytesPerPixel_ == 1 ? std::uint8_t{0} : p[1];
        }
        at_ += width * bytesPerPixel_;
        return {};
    }

  private:
    // The pixels as stored, rawSize bytes: raw after the head, or inflated from the stream.
    Status TakePixels(std::span<const std::uint8_t> gfp, const GfpPixelHeaderRecord& pixel,
                      std::int32_t rawSize)
    {
        const auto size = static_cast<std::int64_t>(gfp.size());
        if (pixel.compression() != kGfpCompressionZlib) {
            if (size - kGfpPayloadAt < std::int64_t{rawSize})
                return Error{GfpError::PayloadPastEnd, {}, {}, {}};
            pixels_.assign(gfp.begin() + kGfpPayloadAt, gfp.begin() + kGfpPayloadAt + rawSize);
            return {};
        }
        if (pixel.storedSize() < 8)
            return Error{GfpError::StoredSize, {}, {}, {}};
        const std::int64_t stream = std::int64_t{pixel.storedSize()} - 8;
        if (stream > size - kGfpStreamAt)
            return Error{GfpError::PayloadPastEnd, {}, {}, {}};
        pixels_.assign(gfp.begin() + kGfpStreamAt, gfp.begin() + kGfpStreamAt + stream);
        std::size_t produced = 0;
        if (UncompressBlock(pixels_, rawSize, produced) != Z_OK)
            return Error{GfpError::ZlibData, {}, {}, {}};
        if (produced < static_cast<std::size_t>(rawSize))
            return Error{GfpError::ShortPixels, {}, {}, {}};
        return {};
    }

    PictureInfo info_;
    Bytes pixels_;
    std::size_t bytesPerPixel_ = 0;
    std::size_t at_ = 0;
};

} // namespace

Result<std::unique_ptr<RowSource>> OpenGfpSource(std::span<const std::uint8_t> gfp)
{
    auto source = std::make_unique<GfpBytesSource>();
    if (Status opened = source->Open(gfp); !opened)
        return opened.error();
    return std::unique_ptr<RowSource>(std::move(source));
}

} // namespace varnox
