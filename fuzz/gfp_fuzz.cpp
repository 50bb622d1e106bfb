// ReadGfpPixels on a fuzzed file, twice on one Module1 so stale records are exercised;
// then ReadGfpPixelRows, which must find the same outcome and pixels; where zlib alone
// reads the stream, both must give its pixels.

#include "formats/module1.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnox;
    if (fuzz::ClaimsHugePicture(data, size))
        return 0;
    const Path path = fuzz::WriteInput("input.gfp", data, size);
    Module1 module;
    for (int round = 0; round < 2; ++round) {
        Bytes pixels;
        const GfpError error = CodeOf<GfpError>(module.ReadGfpPixels(path, pixels));
        const std::int32_t rawSize = module.GfpPixelHeader.rawSize();
        if (error == GfpError::None) {
            fuzz::Check(rawSize >= 0 && static_cast<std::size_t>(rawSize) == pixels.size(),
                        "a complete GFP gives rawSize bytes");
        }
        if (rawSize >= 0 && rawSize <= kMaxRawSize && error != GfpError::RawSize)
            fuzz::Check(pixels.size() == static_cast<std::size_t>(rawSize),
                        "usable rawSize gives rawSize bytes");
    }

    Bytes pixels;
    const GfpError whole = CodeOf<GfpError>(Module1().ReadGfpPixels(path, pixels));
    Bytes rows;
    const GfpError rowwise = CodeOf<GfpError>(Module1().ReadGfpPixelRows(
        path, [](const GfpPixelHeaderRecord&) { return true; },
        [&rows](std::int32_t, std::span<const std::uint8_t> bytes) {
            rows.insert(rows.end(), bytes.begin(), bytes.end());
        }));
    fuzz::Check(rowwise == whole, "rows and whole read find the same outcome");
    // Rows come only for a picture whose width and height are not negative (both negative
    // still give a usable size).
    const bool rowsCome = module.GfpPixelHeader.width() >= 0 && module.GfpPixelHeader.height() >= 0;
    if (whole == GfpError::None && rowsCome)
        fuzz::Check(rows == pixels, "rows and whole read give the same pixels");

    // Wherever zlib reads the stream, the readers give its pixels; a few streams zlib
    // refuses are read by libdeflate, which decides.
    if (const auto reference = fuzz::ZlibPixels({data, size})) {
        fuzz::Check(whole == GfpError::None && pixels == *reference, "zlib's pixels read whole");
        fuzz::Check(!rowsCome || rows == *reference, "zlib's pixels handed on as rows");
    }
    return 0;
}
