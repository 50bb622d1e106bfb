#include "formats/rgb565.h"

#include <bit>
#include <cstring>

namespace varnox {

namespace {

// The 24-bit value of a pixel, blue in the low byte, then green, then red.
std::uint32_t Widened(std::int32_t v)
{
    const auto blue = static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(Blue5(v))));
    const auto green = static_cast<std::uint8_t>(Expand6To8(static_cast<std::int16_t>(Green6(v))));
    const auto red = static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(Red5(v))));
    return std::uint32_t{blue} | std::uint32_t{green} << 8 | std::uint32_t{red} << 16;
}

WideningTables MakeTables()
{
    WideningTables tables;
    for (std::int32_t b = 0; b < 256; ++b) {
        tables.low[static_cast<std::size_t>(b)] = Widened(b);
        tables.high[static_cast<std::size_t>(b)] = Widened(b << 8);
    }
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

} // namespace

const WideningTables& Widening()
{
    static const WideningTables tables = MakeTables();
    return tables;
}

void WidenRowToBgr(std::span<const std::uint8_t> in, std::uint8_t* out)
{
    const WideningTables& widen = Widening();
    const std::size_t width = in.size() / 2;
    if (width == 0)
        return;
    // Every pixel but the last is one 4-byte store whose fourth byte the next one
    // overwrites; the last goes byte by byte, so that nothing past the row is touched.
    for (std::size_t x = 0; x + 1 < width; ++x, out += 3)
        Put4(widen(in[2 * x], in[2 * x + 1]), out);
    const std::uint32_t last = widen(in[2 * width - 2], in[2 * width - 1]);
    out[0] = static_cast<std::uint8_t>(last);
    out[1] = static_cast<std::uint8_t>(last >> 8);
    out[2] = static_cast<std::uint8_t>(last >> 16);
}

void WidenRowToRgb(std::span<const std::uint8_t> in, std::uint8_t* out)
{
    const WideningTables& widen = Widening();
    for (std::size_t x = 0; 2 * x + 1 < in.size(); ++x, out += 3) {
        const std::uint32_t v = widen(in[2 * x], in[2 * x + 1]);
        out[0] = static_cast<std::uint8_t>(v >> 16);
        out[1] = static_cast<std::uint8_t>(v >> 8);
        out[2] = static_cast<std::uint8_t>(v);
    }
}

void NarrowRow(std::span<const std::uint8_t> in, bool bgr, std::uint8_t* out)
{
    for (std::size_t at = 0; at + 2 < in.size(); at += 3, out += 2) {
        const std::uint8_t first = in[at];
        const std::uint8_t last = in[at + 2];
        const std::uint16_t v =
            bgr ? NarrowToRgb565(last, in[at + 1], first) : NarrowToRgb565(first, in[at + 1], last);
        out[0] = static_cast<std::uint8_t>(v & 0xFF);
        out[1] = static_cast<std::uint8_t>(v >> 8);
    }
}

} // namespace varnox
