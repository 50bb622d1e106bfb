#pragma once
// RGB565 pixels: splitting into channels, widening to 8 bits, narrowing and packing.
// Even channel values widen to the bottom of their band of 8-bit values, odd ones to the
// top, so that every 16-bit pixel survives a trip to 24 bits and back.

#include "formats/bytes.h"

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace varnox {

// Low 5 bits, as the remainder of the pixel divided by 32 (sign of the dividend).
constexpr std::int32_t Blue5(std::int32_t pixel)
{
    return pixel % 32;
}

// Bits 10 to 5.
constexpr std::int32_t Green6(std::int32_t pixel)
{
    return (pixel >> 5) & 63;
}

// Bits 15 to 11 (all bits from 11 up, divided by 2048 toward zero).
constexpr std::int32_t Red5(std::int32_t pixel)
{
    return (pixel & ~std::int32_t{2047}) / 2048;
}

// Raised by a widening given a value beyond its channel, which no pixel holds: a fault of
// the caller, never of a file.
class OverflowError : public std::overflow_error {
  public:
    OverflowError() : std::overflow_error("Überlauf") {}
};

namespace detail {

// Signed 16-bit result of a widening; throws OverflowError when it does not fit.
constexpr std::int16_t Widened16(std::int32_t value)
{
    if (value < -32768 || value > 32767)
        throw OverflowError();
    return static_cast<std::int16_t>(value);
}

} // namespace detail

// n -> 8n, or 8n + 7 for odd n: 1 gives 15, 16 gives 128, 31 gives 255.
constexpr std::int16_t Expand5To8(std::int16_t n)
{
    return detail::Widened16(n % 2 == 0 ? n * 8 : (n + 1) * 8 - 1);
}

// n -> 4n, or 4n + 3 for odd n: 1 gives 7, 32 gives 128, 63 gives 255.
constexpr std::int16_t Expand6To8(std::int16_t n)
{
    return detail::Widened16(n % 2 == 0 ? n * 4 : (n + 1) * 4 - 1);
}

// v >> 3 for 0 to 255; every other value gives 0.
constexpr std::int16_t Reduce8To5(std::int16_t v)
{
    return v >= 0 && v <= 255 ? static_cast<std::int16_t>(v >> 3) : std::int16_t{0};
}

// v >> 2 for 0 to 255; every other value gives 0.
constexpr std::int16_t Reduce8To6(std::int16_t v)
{
    return v >= 0 && v <= 255 ? static_cast<std::int16_t>(v >> 2) : std::int16_t{0};
}

// r in bits 15 to 11, g in bits 10 to 5, b in bits 4 to 0, joined with OR.
constexpr std::int32_t PackRgb565(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return std::int32_t{r} * 2048 | std::int32_t{g} * 32 | std::int32_t{b};
}

// RGB565 of an 8-bit colour, each channel narrowed by the rule above.
constexpr std::uint16_t NarrowToRgb565(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return static_cast<std::uint16_t>(PackRgb565(static_cast<std::uint8_t>(r >> 3),
                                                 static_cast<std::uint8_t>(g >> 2),
                                                 static_cast<std::uint8_t>(b >> 3)));
}

// The widening of every 16-bit pixel split by pixel byte: blue and the low three bits of
// green (with the odd bit's fill) come from the low byte, the high three bits of green and
// red from the high byte, so widened(v) = low[v & 255] | high[v >> 8], blue in the lowest
// byte. Two 1 KiB tables stay in the first-level cache where one of 65536 entries would not.
struct WideningTables {
    std::array<std::uint32_t, 256> low{};
    std::array<std::uint32_t, 256> high{};

    std::uint32_t operator()(std::uint8_t lowByte, std::uint8_t highByte) const
    {
        return low[lowByte] | high[highByte];
    }
};

const WideningTables& Widening();

// Widens a row of RGB565 pixels (2 bytes each, low byte first) into blue, green, red bytes.
void WidenRowToBgr(std::span<const std::uint8_t> in, std::uint8_t* out);

// Widens a row of RGB565 pixels into red, green, blue bytes.
void WidenRowToRgb(std::span<const std::uint8_t> in, std::uint8_t* out);

// Narrows a row of 24-bit pixels (blue first when bgr, else red first) into RGB565.
void NarrowRow(std::span<const std::uint8_t> in, bool bgr, std::uint8_t* out);

} // namespace varnox
