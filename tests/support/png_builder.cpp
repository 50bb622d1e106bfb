#include "tests/support/png_builder.h"

#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace varnox::test {

namespace {

int Channels(PngColorType type)
{
    switch (type) {
    case kRgb: return 3;
    case kGreyAlpha: return 2;
    case kRgba: return 4;
    default: return 1;
    }
}

// The rows as a PNG stores them, before filtering: samples packed high bits first, 16-bit
// ones big-endian, each row starting on a byte.
Bytes PackRows(const PngSpec& spec)
{
    const std::size_t perRow = std::size_t(spec.width) * std::size_t(Channels(spec.colorType));
    const std::size_t rowBytes = (perRow * spec.bitDepth + 7) / 8;
    if (spec.samples.size() != perRow * spec.height)
        throw std::invalid_argument("PngSpec: wrong number of samples");
    Bytes out(rowBytes * spec.height, 0);
    for (std::size_t y = 0; y < spec.height; ++y) {
        std::uint8_t* row = &out[y * rowBytes];
        for (std::size_t i = 0; i < perRow; ++i) {
            const std::uint16_t v = spec.samples[y * perRow + i];
            if (spec.bitDepth == 16) {
                row[2 * i] = std::uint8_t(v >> 8);
                row[2 * i + 1] = std::uint8_t(v & 0xFF);
            } else if (spec.bitDepth == 8) {
                row[i] = std::uint8_t(v);
            } else {
                const std::size_t bit = i * spec.bitDepth;
                row[bit / 8] |= std::uint8_t(v << (8 - spec.bitDepth - bit % 8));
            }
        }
    }
    return out;
}

void Check(int error, const char* what)
{
    if (error != 0)
        throw std::runtime_error(std::string("MakePng: ") + what + ": " + spng_strerror(error));
}

void PutBe32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (24 - 8 * i));
}

} // namespace

Bytes MakePng(const PngSpec& spec)
{
    const std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
    Check(spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1), "buffer");
    spng_ihdr ihdr{};
    ihdr.width = spec.width;
    ihdr.height = spec.height;
    ihdr.bit_depth = spec.bitDepth;
    ihdr.color_type = spec.colorType;
    ihdr.interlace_method = spec.interlaced ? SPNG_INTERLACE_ADAM7 : SPNG_INTERLACE_NONE;
    Check(spng_set_ihdr(ctx.get(), &ihdr), "IHDR");
    if (!spec.palette.empty()) {
        spng_plte plte{};
        plte.n_entries = std::uint32_t(spec.palette.size() / 3);
        for (std::uint32_t i = 0; i < plte.n_entries; ++i)
            plte.entries[i] = {spec.palette[3 * i], spec.palette[3 * i + 1], spec.palette[3 * i + 2], 255};
        Check(spng_set_plte(ctx.get(), &plte), "PLTE");
    }
    if (!spec.paletteAlpha.empty()) {
        spng_trns trns{};
        trns.n_type3_entries = std::uint32_t(spec.paletteAlpha.size());
        std::copy(spec.paletteAlpha.begin(), spec.paletteAlpha.end(), trns.type3_alpha);
        Check(spng_set_trns(ctx.get(), &trns), "tRNS");
    }
    const Bytes rows = PackRows(spec);
    Check(spng_encode_image(ctx.get(), rows.data(), rows.size(), SPNG_FMT_RAW, SPNG_ENCODE_FINALIZE),
          "encode");
    std::size_t size = 0;
    int error = 0;
    void* buffer = spng_get_png_buffer(ctx.get(), &size, &error);
    Check(error, "buffer");
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    Bytes png(bytes, bytes + size);
    std::free(buffer);
    return png;
}

void SetPngSize(Bytes& png, std::uint32_t width, std::uint32_t height)
{
    PutBe32(&png[kPngWidthAt], width);
    PutBe32(&png[kPngHeightAt], height);
    // The CRC covers the chunk type and the 13 bytes of IHDR.
    PutBe32(&png[kPngIhdrCrcAt], std::uint32_t(crc32(0, &png[12], 17)));
}

} // namespace varnox::test
