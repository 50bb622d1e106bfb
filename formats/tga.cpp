#include "formats/tga.h"
#include "formats/gfp.h"
#include "formats/rgb565.h"
#include "formats/text.h"

#include <algorithm>
#include <array>
#include <new>

namespace varnox {

namespace {

constexpr std::uint8_t kTopFirstBit = 0x20;
constexpr std::uint8_t kRightToLeftBit = 0x10;
constexpr std::size_t kRowBlock = 1024 * 1024; // stored bytes read from the file at a time
constexpr std::uint8_t kTgaTrueColour = 2;
constexpr std::uint8_t kTgaDepth = 24;

enum class Kind { TrueColour, Grey, Mapped };

struct Layout {
    Kind kind = Kind::TrueColour;
    bool rle = false;
};

// The kind of picture, or why it is refused.
TgaError CheckTgaHeader(const TgaHeaderRecord& header, Layout& layout)
{
    const std::uint8_t type = header.imageType();
    layout.rle = type >= 9;
    switch (type) {
    case 2:
    case 10:
        layout.kind = Kind::TrueColour;
        switch (header.pixelDepth()) {
        case 15:
        case 16:
        case 24:
        case 32: break;
        default: return TgaError::PixelDepth;
        }
        break;
    case 3:
    case 11:
        // 16 bits: grey in the first byte, alpha (dropped) in the second.
        layout.kind = Kind::Grey;
        if (header.pixelDepth() != 8 && header.pixelDepth() != 16)
            return TgaError::Grey;
        break;
    case 1:
    case 9:
        layout.kind = Kind::Mapped;
        if (header.pixelDepth() != 8)
            return TgaError::ColorMapped;
        if (header.colorMapType() != 1 || header.colorMapLength() == 0)
            return TgaError::ColorMap;
        switch (header.colorMapEntrySize()) {
        case 15:
        case 16:
        case 24:
        case 32: break;
        default: return TgaError::ColorMap;
        }
        break;
    default: return TgaError::ImageType;
    }
    if (header.width() < 0 || header.height() < 0)
        return TgaError::Size;
    return TgaError::None;
}

// RGB565 of a true-colour value: blue, green, red (then alpha, dropped) at 24 and 32 bits;
// a little-endian 5-5-5 value at 15 and 16 bits, widened and narrowed like the others.
std::uint16_t TrueColourToRgb565(const std::uint8_t* p, std::size_t bytesPerPixel)
{
    if (bytesPerPixel == 2) {
        const std::int32_t v = Le16(p);
        const auto widen = [](std::int32_t five) {
            return static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(five & 31)));
        };
        return NarrowToRgb565(widen(v >> 10), widen(v >> 5), widen(v));
    }
    return NarrowToRgb565(p[2], p[1], p[0]);
}

Error TgaFault(TgaError code, const Path& path, std::error_code system = {})
{
    return Error{code, path, system, {}};
}

// Turns stored pixels into RGB565: true colour directly, grey (its first byte) as three
// equal channels, an index through the colour map (256 entries, the ones outside the map
// marked).
class Narrower {
  public:
    Narrower(Kind kind, std::size_t bytesPerPixel) : kind_(kind), bytesPerPixel_(bytesPerPixel) {}

    // Reads the colour map at mapAt; entry k stands for index first + k.
    bool ReadMap(InputFile& file, std::int64_t mapAt, const TgaHeaderRecord& header)
    {
        const std::size_t entryBytes = (header.colorMapEntrySize() + 7u) / 8u;
        const std::size_t first = header.colorMapFirstEntry();
        const std::size_t length = header.colorMapLength();
        if (first >= 256)
            return true; // no 8-bit index reaches the map
        const std::size_t used = std::min<std::size_t>(length, 256 - first);
        Bytes map(used * entryBytes);
        if (!file.ReadAt(mapAt, map))
            return false;
        for (std::size_t k = 0; k < used; ++k) {
            palette_[first + k] = TrueColourToRgb565(map.data() + k * entryBytes, entryBytes);
            inMap_[first + k] = true;
        }
        return true;
    }

    // RGB565 of one stored pixel; false for an index outside the map.
    bool Narrow(const std::uint8_t* p, std::uint16_t& out) const
    {
        switch (kind_) {
        case Kind::TrueColour: out = TrueColourToRgb565(p, bytesPerPixel_); return true;
        case Kind::Grey: out = NarrowToRgb565(p[0], p[0], p[0]); return true;
        case Kind::Mapped: out = palette_[p[0]]; return inMap_[p[0]];
        }
        return false;
    }

  private:
    Kind kind_;
    std::size_t bytesPerPixel_;
    std::array<std::uint16_t, 256> palette_{};
    std::array<bool, 256> inMap_{};
};

class TgaSource final : public RowSource {
  public:
    // Reads and checks the header, the colour map and, for run-length data, the picture.
    Status Open(const Path& path, TgaHeaderRecord& header, const Folder* in);

    const PictureInfo& Info() const override { return info_; }
    Status ReadRow(std::span<std::uint8_t> row) override;

  private:
    Status DecodeRle();
    Status LoadStoredRow(std::int32_t storedRow);

    Path path_;
    InputFile file_;
    PictureInfo info_;
    Layout layout_;
    std::unique_ptr<Narrower> narrower_;
    std::size_t bytesPerPixel_ = 0;
    std::size_t storedRowBytes_ = 0;
    bool topFirst_ = false;
    bool rightToLeft_ = false;
    std::int64_t dataAt_ = 0;
    std::int32_t nextRow_ = 0;
    Bytes block_; // raw data: a block of stored rows, blockFirst_ on
    std::int32_t blockFirst_ = 0;
    std::int32_t blockCount_ = 0;
    Bytes picture_; // run-length data: the whole picture in RGB565, top row first
};

Status TgaSource::Open(const Path& path, TgaHeaderRecord& header, const Folder* in)
{
    path_ = path;
    if (!(in != nullptr ? file_.OpenIn(*in, path.filename().string()) : file_.Open(path)))
        return TgaFault(TgaError::CannotOpen, path, file_.error());
    if (!file_.ReadAt(0, header.bytes))
        return TgaFault(TgaError::Truncated, path);
    if (const TgaError e = CheckTgaHeader(header, layout_); e != TgaError::None)
        return TgaFault(e, path);

    const std::int32_t width = header.width();
    const std::int32_t height = header.height();
    // Both sizes are at most kMaxTgaSize, so these products fit in 64 bits with room to spare.
    const std::int64_t pixelCount = std::int64_t(width) * height;
    if (pixelCount * 2 > kMaxRawSize)
        return TgaFault(TgaError::TooLarge, path);
    bytesPerPixel_ = (header.pixelDepth() + 7u) / 8u;
    storedRowBytes_ = static_cast<std::size_t>(width) * bytesPerPixel_;
    topFirst_ = (header.imageDescriptor() & kTopFirstBit) != 0;
    rightToLeft_ = (header.imageDescriptor() & kRightToLeftBit) != 0;

    // The pixels follow the image ID and the colour map, whatever the image type.
    const std::int64_t mapAt = std::int64_t(kTgaHeaderSize) + header.idLength();
    dataAt_ = mapAt;
    if (header.colorMapType() != 0)
        dataAt_ += std::int64_t(header.colorMapLength()) * ((header.colorMapEntrySize() + 7) / 8);
    narrower_ = std::make_unique<Narrower>(layout_.kind, bytesPerPixel_);
    if (layout_.kind == Kind::Mapped && !narrower_->ReadMap(file_, mapAt, header))
        return TgaFault(TgaError::ColorMap, path, file_.error());

    info_.width = width;
    info_.height = height;
    info_.format = RowFormat::Rgb565;
    info_.description = TranslateWith(layout_.rle ? QT_TRANSLATE_NOOP("Varnox", "TGA %1 Bit RLE")
                                                  : QT_TRANSLATE_NOOP("Varnox", "TGA %1 Bit"),
                                      {std::to_string(header.pixelDepth())});

    const std::int64_t available = std::max<std::int64_t>(0, file_.Size() - dataAt_);
    if (!layout_.rle) {
        if (available < pixelCount * std::int64_t(bytesPerPixel_))
            return TgaFault(TgaError::PixelData, path);
        const std::size_t rowsPerBlock =
            storedRowBytes_ == 0 ? 1 : std::max<std::size_t>(1, kRowBlock / storedRowBytes_);
        block_.resize(std::min(rowsPerBlock, static_cast<std::size_t>(height)) * storedRowBytes_);
        return {};
    }
    // A packet holds at most 128 pixels in 1 + bytesPerPixel bytes: a file too short even
    // for that is refused before the picture is allocated.
    const std::int64_t packets = (pixelCount + 127) / 128;
    if (available < packets * std::int64_t(1 + bytesPerPixel_))
        return TgaFault(TgaError::PixelData, path);
    try {
        picture_.resize(static_cast<std::size_t>(pixelCount) * 2);
    } catch (const std::bad_alloc&) {
        return Error{IoError::OutOfMemory, path, {}, {}};
    }
    return DecodeRle();
}

// Decodes the run-length stream into the RGB565 picture, a piece of the file at a time.
// Packets may cross rows; each count is checked against the pixels still missing.
Status TgaSource::DecodeRle()
{
    const auto width = static_cast<std::size_t>(info_.width);
    const auto height = static_cast<std::size_t>(info_.height);
    const std::size_t total = width * height;
    Bytes piece(kRowBlock);
    std::size_t begin = 0; // unread bytes of piece: [begin, end)
    std::size_t end = 0;
    std::int64_t fileAt = dataAt_;
    // Makes n bytes available at piece[begin]; false when the file ends first.
    const auto have = [&](std::size_t n) {
        if (end - begin >= n)
            return true;
        std::copy(piece.begin() + static_cast<std::ptrdiff_t>(begin),
                  piece.begin() + static_cast<std::ptrdiff_t>(end), piece.begin());
        end -= begin;
        begin = 0;
        const std::size_t got =
            file_.ReadSomeAt(fileAt, std::span<std::uint8_t>(piece.data() + end, piece.size() - end));
        fileAt += static_cast<std::int64_t>(got);
        end += got;
        return end >= n;
    };

    std::size_t done = 0;
    std::size_t column = 0;
    std::size_t storedRow = 0;
    std::uint8_t* rowOut = nullptr;
    const auto startRow = [&] {
        const std::size_t row = topFirst_ ? storedRow : height - 1 - storedRow;
        rowOut = picture_.data() + row * width * 2;
    };
    if (total > 0)
        startRow();
    const auto put = [&](std::uint16_t v) {
        const std::size_t x = rightToLeft_ ? width - 1 - column : column;
        rowOut[2 * x] = static_cast<std::uint8_t>(v & 0xFF);
        rowOut[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        if (++column == width && ++storedRow < height) {
            column = 0;
            startRow();
        }
    };
    const Narrower& narrower = *narrower_;
    std::uint16_t v = 0;
    while (done < total) {
        if (!have(1))
            return TgaFault(TgaError::PixelData, path_, file_.error());
        const std::uint8_t packet = piece[begin++];
        const std::size_t count = std::size_t(packet & 0x7F) + 1;
        if (count > total - done)
            return TgaFault(TgaError::RleData, path_);
        if (packet & 0x80) {
            if (!have(bytesPerPixel_))
                return TgaFault(TgaError::PixelData, path_, file_.error());
            if (!narrower.Narrow(piece.data() + begin, v))
                return TgaFault(TgaError::ColorIndex, path_);
            begin += bytesPerPixel_;
            for (std::size_t k = 0; k < count; ++k)
                put(v);
        } else {
            if (!have(count * bytesPerPixel_))
                return TgaFault(TgaError::PixelData, path_, file_.error());
            for (std::size_t k = 0; k < count; ++k, begin += bytesPerPixel_) {
                if (!narrower.Narrow(piece.data() + begin, v))
                    return TgaFault(TgaError::ColorIndex, path_);
                put(v);
            }
        }
        done += count;
    }
    file_.Close();
    return {};
}

// Makes the stored row available in block_, reading the block that holds it; blocks run
// in the order rows are needed, so that each byte is read once.
Status TgaSource::LoadStoredRow(std::int32_t storedRow)
{
    if (storedRow >= blockFirst_ && storedRow < blockFirst_ + blockCount_)
        return {};
    const std::int32_t blockRows =
        storedRowBytes_ == 0 ? info_.height : static_cast<std::int32_t>(block_.size() / storedRowBytes_);
    blockFirst_ = topFirst_ ? storedRow : std::max(0, storedRow - blockRows + 1);
    blockCount_ = std::min(blockRows, info_.height - blockFirst_);
    const std::span<std::uint8_t> rows(block_.data(),
                                       static_cast<std::size_t>(blockCount_) * storedRowBytes_);
    if (!file_.ReadAt(dataAt_ + std::int64_t(blockFirst_) * std::int64_t(storedRowBytes_), rows))
        return TgaFault(TgaError::PixelData, path_, file_.error());
    return {};
}

Status TgaSource::ReadRow(std::span<std::uint8_t> row)
{
    const std::int32_t y = nextRow_++;
    const auto width = static_cast<std::size_t>(info_.width);
    if (layout_.rle) {
        std::copy_n(picture_.begin() + static_cast<std::ptrdiff_t>(std::size_t(y) * width * 2), width * 2,
                    row.begin());
        return {};
    }
    const std::int32_t storedRow = topFirst_ ? y : info_.height - 1 - y;
    if (auto status = LoadStoredRow(storedRow); !status)
        return status;
    const std::uint8_t* in =
        block_.data() + static_cast<std::size_t>(storedRow - blockFirst_) * storedRowBytes_;
    std::uint16_t v = 0;
    for (std::size_t column = 0; column < width; ++column) {
        const std::size_t storedColumn = rightToLeft_ ? width - 1 - column : column;
        if (!narrower_->Narrow(in + storedColumn * bytesPerPixel_, v))
            return TgaFault(TgaError::ColorIndex, path_);
        row[2 * column] = static_cast<std::uint8_t>(v & 0xFF);
        row[2 * column + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    return {};
}

constexpr std::size_t kBlockBytes = 256 * 1024; // TGA bytes gathered between two writes

// Rows come top first and the TGA holds them bottom first, so a block of consecutive rows
// is gathered in file order and written at its place with one call.
class TgaSink final : public RowSink {
  public:
    explicit TgaSink(AtomicFile& file) : file_(file) {}

    RowFormat Format() const override { return RowFormat::Bgr24; }

    Status Start(std::int32_t width, std::int32_t height) override
    {
        if (width < 0 || height < 0 || width > kMaxTgaSize || height > kMaxTgaSize)
            return Error{TgaError::TooLarge, {}, {}, {}};
        width_ = static_cast<std::size_t>(width);
        height_ = static_cast<std::size_t>(height);
        const std::size_t rowBytes = width_ * 3;
        rowsPerBlock_ = rowBytes == 0 ? 1 : std::max<std::size_t>(1, kBlockBytes / rowBytes);
        block_.resize(std::min(rowsPerBlock_, height_) * rowBytes);
        const TgaHeaderRecord header =
            TgaHeaderFor(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
        return Written(file_.WriteAt(0, header.bytes));
    }

    Status WriteRow(std::span<const std::uint8_t> bytes) override
    {
        const std::size_t row = row_++;
        if (row % rowsPerBlock_ == 0)
            blockEnd_ = std::min(row + rowsPerBlock_, height_);
        const std::size_t rowBytes = width_ * 3;
        std::copy(bytes.begin(), bytes.end(),
                  block_.begin() + static_cast<std::ptrdiff_t>((blockEnd_ - 1 - row) * rowBytes));
        if (row + 1 < blockEnd_)
            return {};
        const std::size_t rows = blockEnd_ - row / rowsPerBlock_ * rowsPerBlock_;
        const std::size_t fileRow = height_ - blockEnd_;
        return Written(file_.WriteAt(static_cast<std::int64_t>(kTgaHeaderSize + fileRow * rowBytes),
                                     std::span<const std::uint8_t>(block_.data(), rows * rowBytes)));
    }

    Status Finish() override { return {}; }

  private:
    Status Written(bool ok) const
    {
        if (ok)
            return {};
        return Error{IoError::CannotWrite, {}, file_.error(), {}};
    }

    AtomicFile& file_;
    std::size_t width_ = 0;
    std::size_t height_ = 0;
    std::size_t row_ = 0;
    std::size_t rowsPerBlock_ = 1;
    std::size_t blockEnd_ = 0;
    Bytes block_;
};

} // namespace

Result<std::unique_ptr<RowSource>> OpenTgaSource(const Path& path, TgaHeaderRecord* header, const Folder* in)
{
    TgaHeaderRecord scratch;
    auto source = std::make_unique<TgaSource>();
    if (auto status = source->Open(path, header != nullptr ? *header : scratch, in); !status)
        return status.error();
    return std::unique_ptr<RowSource>(std::move(source));
}

TgaHeaderRecord TgaHeaderFor(std::int16_t width, std::int16_t height)
{
    TgaHeaderRecord header;
    header.setImageType(kTgaTrueColour);
    header.setPixelDepth(kTgaDepth);
    header.setWidth(width);
    header.setHeight(height);
    return header;
}

std::unique_ptr<RowSink> MakeTgaSink(AtomicFile& file)
{
    return std::make_unique<TgaSink>(file);
}

} // namespace varnox
