#include "formats/rgb565.h"
#include "jobs/convert.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstring>
#include <memory>
#include <optional>

namespace varnox::jobs {

std::string MessageText(const Refusal& refusal)
{
    return refusal.file + ": " + refusal.reason;
}

namespace {

constexpr std::uint8_t kTgaTrueColour = 2;
constexpr std::uint8_t kTgaDepth = 24;
constexpr std::int32_t kMaxTgaSize = 32767;

// The GFP name less its last 3 characters, then "tga"; empty for a name not ending in ".gfp",
// so that no other file (the source itself, say) can be taken as the TGA to write.
std::string TgaName(const std::string& gfpName)
{
    if (gfpName.size() < 4)
        return {};
    std::string ending = gfpName.substr(gfpName.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ending != ".gfp")
        return {};
    return gfpName.substr(0, gfpName.size() - 3) + "tga";
}

// The TGA bytes of a 16-bit pixel value widened by the system's rule, blue in the low byte,
// then green, then red, so that one little-endian store writes a pixel (the fourth byte is
// overwritten by the next pixel).
std::uint32_t Widened(std::int32_t v)
{
    const auto blue = static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(Blue5(v))));
    const auto green = static_cast<std::uint8_t>(Expand6To8(static_cast<std::int16_t>(Green6(v))));
    const auto red = static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(Red5(v))));
    return std::uint32_t{blue} | std::uint32_t{green} << 8 | std::uint32_t{red} << 16;
}

// The widening split by pixel byte: blue and the low three bits of green (with the odd
// bit's fill) come from the low byte, the high three bits of green and red from the high
// byte, so widened(v) = low[v & 255] | high[v >> 8]. Two 1 KiB tables stay in the
// first-level cache where one of 65536 entries (256 KiB) would not.
struct WideningTables {
    std::array<std::uint32_t, 256> low{};
    std::array<std::uint32_t, 256> high{};
    WideningTables()
    {
        for (std::int32_t b = 0; b < 256; ++b) {
            low[static_cast<std::size_t>(b)] = Widened(b);
            high[static_cast<std::size_t>(b)] = Widened(b << 8);
        }
    }
    std::uint32_t operator()(std::uint8_t lowByte, std::uint8_t highByte) const
    {
        return low[lowByte] | high[highByte];
    }
};

const WideningTables& Widening()
{
    static const WideningTables tables;
    return tables;
}

inline void Put4(std::uint32_t entry, std::uint8_t* out)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &entry, 4);
    } else {
        out[0] = static_cast<std::uint8_t>(entry);
        out[1] = static_cast<std::uint8_t>(entry >> 8);
        out[2] = static_cast<std::uint8_t>(entry >> 16);
    }
}

// Widens one row of GFP pixels into out (blue, green, red per pixel). Every pixel but the
// last is one 4-byte store whose fourth byte the next pixel overwrites; the last is stored
// byte by byte, since the TGA is bottom row first and rows arrive top first: the bytes
// after a row already hold the row above it. A pixel of more than two bytes is taken by
// its last two.
void WidenRow(std::span<const std::uint8_t> in, std::size_t width, std::size_t bytesPerPixel, std::uint8_t* out)
{
    const WideningTables& widen = Widening();
    const std::uint8_t* p = in.data() + (bytesPerPixel >= 2 ? bytesPerPixel - 2 : 0);
    const auto value = [&](std::size_t x) -> std::uint32_t {
        if (bytesPerPixel == 1)
            return widen(in[x], 0);
        return widen(p[x * bytesPerPixel], p[x * bytesPerPixel + 1]);
    };
    if (bytesPerPixel == 2) {
        for (std::size_t x = 0; x + 1 < width; ++x, out += 3)
            Put4(widen(in[2 * x], in[2 * x + 1]), out);
    } else {
        for (std::size_t x = 0; x + 1 < width; ++x, out += 3)
            Put4(value(x), out);
    }
    const std::uint32_t last = value(width - 1);
    out[0] = static_cast<std::uint8_t>(last);
    out[1] = static_cast<std::uint8_t>(last >> 8);
    out[2] = static_cast<std::uint8_t>(last >> 16);
}

// The header checks of a GFP that can be converted; empty when it can.
std::optional<std::string> UnfitPicture(const GfpPixelHeaderRecord& gfp)
{
    if (gfp.bitsPerPixel() < 7)
        return "bitsPerPixel " + std::to_string(gfp.bitsPerPixel()) + " ist kleiner als 7 (keine ganzen Bytes je Pixel)";
    if (gfp.width() < 0 || gfp.height() < 0)
        return "Breite oder Höhe ist negativ";
    if (gfp.width() > kMaxTgaSize || gfp.height() > kMaxTgaSize)
        return "Breite oder Höhe ist größer als 32767, zu groß für eine TGA-Datei";
    return std::nullopt;
}

constexpr std::size_t kBlockBytes = 256 * 1024;  // TGA bytes widened between two writes

// The TGA being written while the GFP is decompressed. Rows come top first and the TGA
// holds them bottom first, so a block of consecutive rows is widened into one buffer in
// file order and written at its place with one call; the whole picture is never held.
class TgaWriter {
public:
    // False when the target cannot be written; the picture is then only checked.
    bool Start(const Path& target, const GfpPixelHeaderRecord& gfp)
    {
        width_ = static_cast<std::size_t>(gfp.width());
        height_ = static_cast<std::size_t>(gfp.height());
        bytesPerPixel_ = static_cast<std::size_t>(BytesPerPixel(gfp.bitsPerPixel()));
        header.setPixelDepth(kTgaDepth);
        header.setImageType(kTgaTrueColour);
        header.setWidth(CheckedNarrow16(gfp.width()));
        header.setHeight(CheckedNarrow16(gfp.height()));
        const std::size_t rowBytes = width_ * 3;
        rowsPerBlock_ = rowBytes == 0 ? 1 : std::max<std::size_t>(1, kBlockBytes / rowBytes);
        block_.resize(std::min(rowsPerBlock_, height_) * rowBytes);
        return file_.Open(target) && file_.Write({header.bytes});
    }

    void Row(std::int32_t index, std::span<const std::uint8_t> bytes)
    {
        const auto row = static_cast<std::size_t>(index);
        if (row % rowsPerBlock_ == 0)
            blockEnd_ = std::min(row + rowsPerBlock_, height_);
        const std::size_t rowBytes = width_ * 3;
        WidenRow(bytes, width_, bytesPerPixel_, block_.data() + (blockEnd_ - 1 - row) * rowBytes);
        if (row + 1 == blockEnd_) {
            const std::size_t rows = blockEnd_ - (blockEnd_ - 1) / rowsPerBlock_ * rowsPerBlock_;
            const std::size_t fileRow = height_ - blockEnd_;
            file_.WriteAt(static_cast<std::int64_t>(kTgaHeaderSize + fileRow * rowBytes),
                          std::span<const std::uint8_t>(block_.data(), rows * rowBytes));
        }
    }

    bool Commit() { return file_.Commit(); }
    const std::error_code& error() const { return file_.error(); }

    TgaHeaderRecord header;

private:
    AtomicFile file_;
    std::size_t width_ = 0;
    std::size_t height_ = 0;
    std::size_t bytesPerPixel_ = 0;
    std::size_t rowsPerBlock_ = 1;
    std::size_t blockEnd_ = 0;
    Bytes block_;
};

// Converts one GFP; a refusal leaves every file as it was. A damaged GFP is named before
// a target that cannot be written.
std::optional<Refusal> ConvertOne(Module1& module, const Path& source, const Path& target)
{
    TgaWriter tga;
    bool writing = false;
    const auto wanted = [&](const GfpPixelHeaderRecord& gfp) {
        writing = !UnfitPicture(gfp) && tga.Start(target, gfp);
        return writing;
    };
    const auto row = [&](std::int32_t index, std::span<const std::uint8_t> bytes) { tga.Row(index, bytes); };

    const GfpError gfpError = module.ReadGfpPixelRows(source, wanted, row);
    if (gfpError == GfpError::CannotOpen)
        return Refusal{PathText(source), Describe(gfpError) + ": " + SystemReason(module.lastIoError)};
    if (gfpError != GfpError::None)
        return Refusal{PathText(source), Describe(gfpError)};
    if (auto unfit = UnfitPicture(module.GfpPixelHeader))
        return Refusal{PathText(source), std::move(*unfit)};
    if (!writing || !tga.Commit())
        return Refusal{PathText(target), "Die Datei kann nicht geschrieben werden: " + SystemReason(tga.error())};
    module.TgaHeader = tga.header;
    return std::nullopt;
}

// Converts one GFP of the folder, after checking its name.
std::optional<Refusal> ConvertNamed(Module1& module, const Path& folder, const std::string& name)
{
    const Path source = folder / name;
    const std::string tgaName = TgaName(name);
    if (tgaName.empty())
        return Refusal{PathText(source), "Der Dateiname endet nicht auf .gfp"};
    return ConvertOne(module, source, folder / tgaName);
}

}  // namespace

GfpToTgaResult ConvertGfpToTga(Module1& module, const Path& folder, const std::vector<std::string>& names,
                               int first, int last, const std::function<void(int)>& select)
{
    GfpToTgaResult result;
    const int count = static_cast<int>(names.size());
    for (int k = std::max(first, 0); k <= last && k < count; ++k) {
        if (select)
            select(k);
        result.lastIndex = k;
        if (auto refusal = ConvertNamed(module, folder, names[static_cast<std::size_t>(k)]))
            result.refused.push_back(std::move(*refusal));
    }
    return result;
}

}  // namespace varnox::jobs
