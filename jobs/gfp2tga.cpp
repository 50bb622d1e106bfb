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

// The TGA bytes of every 16-bit pixel value, widened by the system's rule: blue in the low
// byte, then green, then red, so that one little-endian store writes a pixel (the fourth
// byte is overwritten by the next pixel, or falls into the slack after the file).
struct WideningTable {
    std::array<std::uint32_t, 65536> entries{};
    WideningTable()
    {
        for (std::int32_t v = 0; v < 65536; ++v) {
            const auto blue = static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(Blue5(v))));
            const auto green = static_cast<std::uint8_t>(Expand6To8(static_cast<std::int16_t>(Green6(v))));
            const auto red = static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(Red5(v))));
            entries[static_cast<std::size_t>(v)] =
                std::uint32_t{blue} | std::uint32_t{green} << 8 | std::uint32_t{red} << 16;
        }
    }
};

const WideningTable& Widening()
{
    static const WideningTable table;
    return table;
}

constexpr std::size_t kSlack = 1;

// A byte buffer left uninitialised (every byte of the file is written once), with one byte
// of slack after the file for the last 4-byte store.
struct FileBuffer {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    explicit FileBuffer(std::size_t n) : bytes(new std::uint8_t[n + kSlack]), size(n) {}
    std::span<const std::uint8_t> span() const { return {bytes.get(), size}; }
};

inline void PutWidened(const std::uint32_t* table, std::size_t value, std::uint8_t* out)
{
    const std::uint32_t entry = table[value];
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &entry, 4);
    } else {
        out[0] = static_cast<std::uint8_t>(entry);
        out[1] = static_cast<std::uint8_t>(entry >> 8);
        out[2] = static_cast<std::uint8_t>(entry >> 16);
    }
}

// The TGA file: a clean 18-byte header, then the pixels bottom row first as blue, green, red.
FileBuffer BuildTga(const TgaHeaderRecord& header, const Bytes& pixels, std::int32_t width,
                    std::int32_t height, std::int32_t bytesPerPixel)
{
    const auto w = static_cast<std::size_t>(width);
    const auto bpp = static_cast<std::size_t>(bytesPerPixel);
    FileBuffer tga(kTgaHeaderSize + w * static_cast<std::size_t>(height) * 3);
    std::copy(header.bytes.begin(), header.bytes.end(), tga.bytes.get());
    const std::uint32_t* table = Widening().entries.data();
    std::uint8_t* out = tga.bytes.get() + kTgaHeaderSize;
    if (w == 0)
        return tga;  // header only; no pixel bytes to address
    for (std::int32_t row = height - 1; row >= 0; --row) {
        const std::uint8_t* in = pixels.data() + static_cast<std::size_t>(row) * w * bpp;
        if (bpp == 2) {
            for (std::size_t x = 0; x < w; ++x, out += 3)
                PutWidened(table, std::size_t{in[2 * x]} | std::size_t{in[2 * x + 1]} << 8, out);
        } else if (bpp == 1) {
            for (std::size_t x = 0; x < w; ++x, out += 3)
                PutWidened(table, in[x], out);
        } else {
            // The last two bytes of each pixel, low byte first.
            in += bpp - 2;
            for (std::size_t x = 0; x < w; ++x, in += bpp, out += 3)
                PutWidened(table, std::size_t{in[0]} | std::size_t{in[1]} << 8, out);
        }
    }
    return tga;
}

// Converts one GFP; a refusal leaves every file as it was.
std::optional<Refusal> ConvertOne(Module1& module, const Path& folder, const std::string& name)
{
    const Path source = folder / name;
    const std::string tgaName = TgaName(name);
    if (tgaName.empty())
        return Refusal{PathText(source), "Der Dateiname endet nicht auf .gfp"};

    GfpError gfpError = GfpError::None;
    const Bytes pixels = module.ReadGfpPixels(source, &gfpError);
    if (gfpError == GfpError::CannotOpen)
        return Refusal{PathText(source), Describe(gfpError) + ": " + SystemReason(module.lastIoError)};
    if (gfpError != GfpError::None)
        return Refusal{PathText(source), Describe(gfpError)};

    const GfpPixelHeaderRecord& gfp = module.GfpPixelHeader;
    const std::int32_t width = gfp.width();
    const std::int32_t height = gfp.height();
    if (gfp.bitsPerPixel() < 7)
        return Refusal{PathText(source), "bitsPerPixel " + std::to_string(gfp.bitsPerPixel()) +
                                             " ist kleiner als 7 (keine ganzen Bytes je Pixel)"};
    if (width < 0 || height < 0)
        return Refusal{PathText(source), "Breite oder Höhe ist negativ"};
    if (width > kMaxTgaSize || height > kMaxTgaSize)
        return Refusal{PathText(source), "Breite oder Höhe ist größer als 32767, zu groß für eine TGA-Datei"};
    const std::int32_t bytesPerPixel = BytesPerPixel(gfp.bitsPerPixel());
    if (static_cast<std::int64_t>(pixels.size()) < std::int64_t(width) * height * bytesPerPixel)
        return Refusal{PathText(source), Describe(GfpError::ShortPixels)};

    TgaHeaderRecord header;
    header.setPixelDepth(kTgaDepth);
    header.setImageType(kTgaTrueColour);
    header.setWidth(CheckedNarrow16(width));
    header.setHeight(CheckedNarrow16(height));
    const FileBuffer tga = BuildTga(header, pixels, width, height, bytesPerPixel);

    const Path target = folder / tgaName;
    std::error_code ioError;
    if (!WriteFileAtomically(target, {tga.span()}, ioError))
        return Refusal{PathText(target), "Die Datei kann nicht geschrieben werden: " + SystemReason(ioError)};
    module.TgaHeader = header;
    return std::nullopt;
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
        if (auto refusal = ConvertOne(module, folder, names[static_cast<std::size_t>(k)]))
            result.refused.push_back(std::move(*refusal));
    }
    return result;
}

}  // namespace varnox::jobs
