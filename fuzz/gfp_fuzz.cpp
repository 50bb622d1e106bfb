// ReadGfpPixels on a fuzzed file, twice on one Module1 so stale records are exercised;
// then ReadGfpPixelRows, which must find the same outcome and pixels; then both again with
// zlib alone, which must find what libdeflate with its check found.

#include "formats/inflate.h"
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
        GfpError error = GfpError::None;
        const Bytes pixels = module.ReadGfpPixels(path, &error);
        const std::int32_t rawSize = module.GfpPixelHeader.rawSize();
        if (error == GfpError::None) {
            fuzz::Check(rawSize >= 0 && static_cast<std::size_t>(rawSize) == pixels.size(),
                        "a complete GFP gives rawSize bytes");
        }
        if (rawSize >= 0 && rawSize <= kMaxRawSize && error != GfpError::RawSize)
            fuzz::Check(pixels.size() == static_cast<std::size_t>(rawSize), "usable rawSize gives rawSize bytes");
    }

    GfpError whole = GfpError::None;
    const Bytes pixels = Module1().ReadGfpPixels(path, &whole);
    Bytes rows;
    const GfpError rowwise = Module1().ReadGfpPixelRows(
        path, [](const GfpPixelHeaderRecord&) { return true; },
        [&rows](std::int32_t, std::span<const std::uint8_t> bytes) { rows.insert(rows.end(), bytes.begin(), bytes.end()); });
    fuzz::Check(rowwise == whole, "rows and whole read find the same outcome");
    // Rows come only for a picture whose width and height are not negative (both negative
    // still give a usable size).
    const bool rowsCome = module.GfpPixelHeader.width() >= 0 && module.GfpPixelHeader.height() >= 0;
    if (whole == GfpError::None && rowsCome)
        fuzz::Check(rows == pixels, "rows and whole read give the same pixels");

    SetInflation(Inflation::ZlibOnly);
    Module1 reference;
    GfpError zlibWhole = GfpError::None;
    const Bytes zlibPixels = reference.ReadGfpPixels(path, &zlibWhole);
    Bytes zlibRows;
    const GfpError zlibRowwise = Module1().ReadGfpPixelRows(
        path, [](const GfpPixelHeaderRecord&) { return true; },
        [&zlibRows](std::int32_t, std::span<const std::uint8_t> bytes) {
            zlibRows.insert(zlibRows.end(), bytes.begin(), bytes.end());
        });
    SetInflation(Inflation::Libdeflate);
    fuzz::Check(zlibWhole == whole && zlibPixels == pixels,
                "libdeflate and zlib read the same whole picture");
    fuzz::Check(zlibRowwise == rowwise && zlibRows == rows, "libdeflate and zlib hand on the same rows");
    return 0;
}
