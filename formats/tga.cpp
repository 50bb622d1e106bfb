#include "formats/module1.h"
#include "formats/rgb565.h"

#include <algorithm>
#include <array>

namespace varnox {

std::string Describe(TgaError error)
{
    switch (error) {
    case TgaError::None: return "kein Fehler";
    case TgaError::CannotOpen: return "Die Datei kann nicht geöffnet werden";
    case TgaError::Truncated: return "Die Datei ist kürzer als ein TGA-Kopf (18 Bytes)";
    case TgaError::ColorMapped:
        return "Bilder mit Farbpalette werden nicht unterstützt, nur Echtfarbbilder (Bildtyp 2 oder 10)";
    case TgaError::Grey:
        return "Graustufenbilder werden nicht unterstützt, nur Echtfarbbilder (Bildtyp 2 oder 10)";
    case TgaError::ImageType:
        return "Der Bildtyp wird nicht unterstützt, nur Echtfarbbilder (Bildtyp 2 oder 10)";
    case TgaError::PixelDepth: return "Die Farbtiefe wird nicht unterstützt, nur 15, 16, 24 oder 32 Bit";
    case TgaError::Size: return "Breite oder Höhe ist negativ";
    case TgaError::TooLarge: return "Das Bild ist zu groß";
    case TgaError::PixelData: return "Die Pixeldaten sind kürzer als das Bild";
    case TgaError::RleData: return "Die lauflängenkodierten Daten reichen über das Bild hinaus";
    }
    return "unbekannter Fehler";
}

namespace {

constexpr std::uint8_t kTypeTrueColour = 2;
constexpr std::uint8_t kTypeTrueColourRle = 10;
constexpr std::uint8_t kTopFirstBit = 0x20;
constexpr std::uint8_t kRightToLeftBit = 0x10;
constexpr std::size_t kRowBlock = 1024 * 1024;  // stored bytes of a true-colour picture read at a time

TgaError CheckTgaHeader(const TgaHeaderRecord& header)
{
    switch (header.imageType()) {
    case kTypeTrueColour:
    case kTypeTrueColourRle: break;
    case 1:
    case 9: return TgaError::ColorMapped;
    case 3:
    case 11: return TgaError::Grey;
    default: return TgaError::ImageType;
    }
    switch (header.pixelDepth()) {
    case 15:
    case 16:
    case 24:
    case 32: break;
    default: return TgaError::PixelDepth;
    }
    if (header.width() < 0 || header.height() < 0)
        return TgaError::Size;
    return TgaError::None;
}

// RGB565 of one stored pixel: blue, green, red (then alpha, dropped) at 24 and 32 bits;
// a little-endian 5-5-5 value at 15 and 16 bits, widened and narrowed like the others.
std::uint16_t StoredToRgb565(const std::uint8_t* p, std::int32_t bytesPerPixel)
{
    std::int16_t blue = 0;
    std::int16_t green = 0;
    std::int16_t red = 0;
    if (bytesPerPixel == 2) {
        const std::int32_t v = Le16(p);
        blue = Expand5To8(static_cast<std::int16_t>(v & 31));
        green = Expand5To8(static_cast<std::int16_t>((v >> 5) & 31));
        red = Expand5To8(static_cast<std::int16_t>((v >> 10) & 31));
    } else {
        blue = p[0];
        green = p[1];
        red = p[2];
    }
    return static_cast<std::uint16_t>(PackRgb565(static_cast<std::uint8_t>(Reduce8To5(red)),
                                                 static_cast<std::uint8_t>(Reduce8To6(green)),
                                                 static_cast<std::uint8_t>(Reduce8To5(blue))));
}

// Unpacks run-length data into exactly out.size() bytes of stored pixels. Every packet's
// count is checked against the pixels still missing and its bytes against the input.
TgaError DecodeRle(const Bytes& in, std::int32_t bytesPerPixel, Bytes& out)
{
    const auto bpp = static_cast<std::size_t>(bytesPerPixel);
    std::size_t at = 0;
    std::size_t filled = 0;
    while (filled < out.size()) {
        if (at >= in.size())
            return TgaError::PixelData;
        const std::uint8_t packet = in[at++];
        const std::size_t count = std::size_t(packet & 0x7F) + 1;
        if (count * bpp > out.size() - filled)
            return TgaError::RleData;
        if (packet & 0x80) {
            if (bpp > in.size() - at)
                return TgaError::PixelData;
            for (std::size_t k = 0; k < count; ++k)
                std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(at), bpp,
                            out.begin() + static_cast<std::ptrdiff_t>(filled + k * bpp));
            at += bpp;
        } else {
            if (count * bpp > in.size() - at)
                return TgaError::PixelData;
            std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(at), count * bpp,
                        out.begin() + static_cast<std::ptrdiff_t>(filled));
            at += count * bpp;
        }
        filled += count * bpp;
    }
    return TgaError::None;
}

}  // namespace

Bytes Module1::ReadTgaAsRgb565(const Path& path, TgaError* error, const TgaProgress& progress)
{
    TgaError status = TgaError::None;
    Bytes result;
    [&] {
        InputFile file;
        if (!file.Open(path)) {
            lastIoError = file.error();
            status = TgaError::CannotOpen;
            return;
        }
        if (!file.ReadAt(0, TgaHeader.bytes)) {
            status = TgaError::Truncated;
            return;
        }
        status = CheckTgaHeader(TgaHeader);
        if (status != TgaError::None)
            return;

        const std::int32_t width = TgaHeader.width();
        const std::int32_t height = TgaHeader.height();
        const std::int32_t bytesPerPixel = (TgaHeader.pixelDepth() + 7) / 8;
        // Both sizes are at most 32767, so these products fit in 64 bits with room to spare.
        const std::int64_t pixelCount = std::int64_t(width) * height;
        if (pixelCount * 2 > kMaxRawSize) {
            status = TgaError::TooLarge;
            return;
        }
        const std::int64_t storedSize = pixelCount * bytesPerPixel;

        // The pixels follow the image ID and the colour map, whatever the image type.
        std::int64_t dataAt = std::int64_t(kTgaHeaderSize) + TgaHeader.idLength();
        if (TgaHeader.colorMapType() != 0)
            dataAt += std::int64_t(TgaHeader.colorMapLength()) * ((TgaHeader.colorMapEntrySize() + 7) / 8);
        const std::int64_t available = std::max<std::int64_t>(0, file.Size() - dataAt);

        const bool topFirst = (TgaHeader.imageDescriptor() & kTopFirstBit) != 0;
        const bool rightToLeft = (TgaHeader.imageDescriptor() & kRightToLeftBit) != 0;
        const auto rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel);
        const bool trueColour = TgaHeader.imageType() == kTypeTrueColour;
        Bytes stored;  // the whole stored picture (RLE), or a block of its rows (true colour)
        if (trueColour) {
            if (available < storedSize) {
                status = TgaError::PixelData;
                return;
            }
            const std::size_t rowsPerBlock = rowBytes == 0 ? 1 : std::max<std::size_t>(1, kRowBlock / rowBytes);
            stored.resize(std::min(rowsPerBlock, static_cast<std::size_t>(height)) * rowBytes);
        } else {
            // A packet holds at most 128 pixels in 1 + bytesPerPixel bytes: a file too short
            // even for that is refused before the picture is allocated.
            const std::int64_t packets = (pixelCount + 127) / 128;
            if (available < packets * (1 + bytesPerPixel)) {
                status = TgaError::PixelData;
                return;
            }
            Bytes packed(static_cast<std::size_t>(std::min(available, pixelCount * (1 + bytesPerPixel))));
            if (!file.ReadAt(dataAt, packed)) {
                lastIoError = file.error();
                status = TgaError::PixelData;
                return;
            }
            file.Close();
            stored.resize(static_cast<std::size_t>(storedSize));
            status = DecodeRle(packed, bytesPerPixel, stored);
            if (status != TgaError::None)
                return;
        }

        // A true-colour picture is read a block of rows at a time, in the order the rows
        // are needed, so that it is never held whole beside its RGB565 copy.
        const std::int32_t blockRows = rowBytes == 0 ? height : static_cast<std::int32_t>(stored.size() / rowBytes);
        std::int32_t blockFirst = 0;
        std::int32_t blockCount = trueColour ? 0 : height;
        // False when the block holding storedRow cannot be read.
        const auto loadRow = [&](std::int32_t storedRow) {
            if (storedRow >= blockFirst && storedRow < blockFirst + blockCount)
                return true;
            blockFirst = topFirst ? storedRow : std::max(0, storedRow - blockRows + 1);
            blockCount = std::min(blockRows, height - blockFirst);
            const std::span<std::uint8_t> rows(stored.data(), static_cast<std::size_t>(blockCount) * rowBytes);
            return file.ReadAt(dataAt + std::int64_t(blockFirst) * std::int64_t(rowBytes), rows);
        };

        result.resize(static_cast<std::size_t>(pixelCount) * 2);
        std::uint8_t* out = result.data();
        for (std::int32_t row = 1; row <= height; ++row) {
            if (progress)
                progress(row, false);
            const std::int32_t storedRow = topFirst ? row - 1 : height - row;
            if (!loadRow(storedRow)) {
                lastIoError = file.error();
                status = TgaError::PixelData;
                return;
            }
            const std::uint8_t* in = stored.data() + static_cast<std::size_t>(storedRow - blockFirst) * rowBytes;
            for (std::int32_t column = 0; column < width; ++column) {
                const std::int32_t storedColumn = rightToLeft ? width - 1 - column : column;
                const std::uint16_t pixel = StoredToRgb565(
                    in + static_cast<std::size_t>(storedColumn * bytesPerPixel), bytesPerPixel);
                out[0] = static_cast<std::uint8_t>(pixel & 0xFF);
                out[1] = static_cast<std::uint8_t>(pixel >> 8);
                out += 2;
            }
        }
        file.Close();
        if (progress)
            progress(height, true);
    }();
    if (error != nullptr)
        *error = status;
    if (status != TgaError::None)
        result.clear();
    return result;
}

}  // namespace varnox
