#pragma once
// Byte strings, little-endian fields and checked signed 32-bit arithmetic.

#include "fileio/fileio.h"
#include "formats/text.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace varnox {

inline std::uint16_t Le16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

inline std::int16_t Le16s(const std::uint8_t* p)
{
    return static_cast<std::int16_t>(Le16(p));
}

inline std::int32_t Le32(const std::uint8_t* p)
{
    const std::uint32_t v = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                            std::uint32_t(p[3]) << 24;
    return static_cast<std::int32_t>(v);
}

inline void PutLe16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v & 0xFF);
    p[1] = std::uint8_t(v >> 8);
}

inline void PutLe32(std::uint8_t* p, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    p[0] = std::uint8_t(v & 0xFF);
    p[1] = std::uint8_t((v >> 8) & 0xFF);
    p[2] = std::uint8_t((v >> 16) & 0xFF);
    p[3] = std::uint8_t(v >> 24);
}

inline void PutLe32(Bytes& b, std::size_t at, std::int32_t value)
{
    PutLe32(b.data() + at, value);
}

// Signed 32-bit arithmetic with overflow detection: nullopt when the result does not fit.
inline std::optional<std::int32_t> CheckedAdd32(std::int32_t a, std::int32_t b)
{
    std::int32_t r = 0;
    if (__builtin_add_overflow(a, b, &r))
        return std::nullopt;
    return r;
}

inline std::optional<std::int32_t> CheckedMul32(std::int32_t a, std::int32_t b)
{
    std::int32_t r = 0;
    if (__builtin_mul_overflow(a, b, &r))
        return std::nullopt;
    return r;
}

} // namespace varnox
