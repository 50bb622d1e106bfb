#pragma once
// Shared by the fuzz targets: a private folder per process and the input written as a file,
// since the readers take paths.

#include "fileio/fileio.h"
#include "formats/gfp.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <unistd.h>
#include <zlib.h>

namespace varnox::fuzz {

inline const Path& Workspace()
{
    static const Path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "varnox-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Workspace(), ignored);
        });
        return Path(pattern);
    }();
    return folder;
}

inline Path WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const Path path = Workspace() / name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return path;
}

// True when the input claims a picture of more than 64 MiB of pixels. ReadGfpPixels then
// makes that many zero bytes, which is correct but costs seconds under the sanitizers; the
// large sizes are covered by the tests, so the fuzzer spends its time elsewhere.
inline bool ClaimsHugePicture(const std::uint8_t* data, std::size_t size)
{
    if (size < 132)
        return false;
    auto le32 = [data](std::size_t at) {
        return static_cast<std::int64_t>(
            static_cast<std::int32_t>(std::uint32_t(data[at]) | std::uint32_t(data[at + 1]) << 8 |
                                      std::uint32_t(data[at + 2]) << 16 | std::uint32_t(data[at + 3]) << 24));
    };
    const double pixels = double(le32(64)) * double(le32(68)) * double((le32(72) + 1) / 8);
    return pixels > double(64 << 20) || le32(100) > (64 << 20);
}

// Stops the run with a message when an invariant does not hold.
inline void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant violated: %s\n", what);
        std::abort();
    }
}

// The pixels zlib's uncompress() makes of a GFP's stream where it reads the stream without
// fault to at least the picture's bytes: the reference every GFP reader must agree with.
// nullopt for a stream zlib refuses, a GFP stored raw, or one refused before its stream.
inline std::optional<Bytes> ZlibPixels(std::span<const std::uint8_t> file)
{
    const auto parsed = file.size() < std::size_t(kGfpPayloadAt)
                            ? Result<GfpHead>(Error{GfpError::PixelHeader, {}, {}, {}})
                            : ParseGfpHead(file.first(kGfpPayloadAt));
    if (!parsed)
        return std::nullopt;
    const GfpHead& head = parsed.value();
    if (head.pixel.compression() != kGfpCompressionZlib || head.pixel.storedSize() < 8)
        return std::nullopt;
    const auto fits = [](std::int64_t v) {
        return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
    };
    const std::int64_t bytesPerPixel = (std::int64_t(head.pixel.bitsPerPixel()) + 1) / 8;
    const std::int64_t pixels = std::int64_t(head.pixel.width()) * head.pixel.height();
    if (!fits(pixels) || !fits(pixels * bytesPerPixel) || pixels * bytesPerPixel < 0 ||
        pixels * bytesPerPixel > kMaxRawSize)
        return std::nullopt;
    const auto rawSize = static_cast<std::int32_t>(pixels * bytesPerPixel);
    const std::size_t streamEnd = std::size_t(kGfpStreamAt) + std::size_t(head.pixel.storedSize()) - 8;
    if (streamEnd > file.size())
        return std::nullopt;
    // zlib's own uncompress(), not the readers' inflater, so that it judges them.
    const auto bufferSize = static_cast<std::size_t>(ZlibBufferSize(rawSize));
    Bytes data(bufferSize);
    uLongf produced = bufferSize;
    const std::uint8_t none = 0;
    const int code = ::uncompress(data.data(), &produced,
                                  streamEnd > std::size_t(kGfpStreamAt) ? &file[kGfpStreamAt] : &none,
                                  static_cast<uLong>(streamEnd - std::size_t(kGfpStreamAt)));
    const bool cut = code == Z_BUF_ERROR && produced == bufferSize;
    if ((code != Z_OK && !cut) || produced < static_cast<uLongf>(rawSize))
        return std::nullopt;
    data.resize(static_cast<std::size_t>(rawSize));
    return data;
}

} // namespace varnox::fuzz
