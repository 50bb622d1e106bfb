// The PNG reader on a fuzzed file: a PNG it opens has a size within the limits and yields
// every row or a refusal that later calls repeat. The chunk CRCs of inputs of even length
// are made to match first, so that the fuzzer reaches past them.

#include "formats/gfp.h"
#include "formats/png.h"
#include "fuzz/fuzz_support.h"

#include <zlib.h>

namespace {

using namespace varnox;

std::uint32_t Be32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

// Sets the CRC of every whole chunk after the signature to match its type and data.
void MatchCrcs(Bytes& png)
{
    std::size_t at = 8;
    while (at + 12 <= png.size() && Be32(&png[at]) <= png.size() - at - 12) {
        const std::size_t length = Be32(&png[at]);
        const auto crc = static_cast<std::uint32_t>(crc32(0, &png[at + 4], static_cast<uInt>(length + 4)));
        for (std::size_t i = 0; i < 4; ++i)
            png[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        at += length + 12;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes png(data, data + size);
    if (size % 2 == 0)
        MatchCrcs(png);
    const Path path = fuzz::WriteInput("input.png", png.data(), png.size());
    auto source = OpenPngSource(path);
    if (!source) {
        fuzz::Check(source.error().file == path, "a refusal names the file");
        return 0;
    }
    const PictureInfo& info = (*source)->Info();
    fuzz::Check(info.width > 0 && info.height > 0 && info.width <= kMaxPngSide &&
                    info.height <= kMaxPngSide && std::int64_t(info.width) * info.height * 2 <= kMaxRawSize,
                "an opened PNG has a size within the limits");
    fuzz::Check(info.format == RowFormat::Rgb24, "rows are 24-bit RGB");
    Bytes row(info.RowBytes());
    Status status;
    for (std::int32_t y = 0; y < info.height && status.ok(); ++y)
        status = (*source)->ReadRow(row);
    const Status after = (*source)->ReadRow(row);
    fuzz::Check(!after.ok(), "no row after the last one or after a refusal");
    if (!status.ok())
        fuzz::Check(after.error().code == status.error().code, "a refusal is repeated");
    return 0;
}
