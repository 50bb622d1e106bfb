#include "formats/module1.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <zlib.h>

namespace varnox {

std::string Describe(GfpError error)
{
    switch (error) {
    case GfpError::None: return "kein Fehler";
    case GfpError::CannotOpen: return "Die Datei kann nicht geöffnet werden";
    case GfpError::FirstTag: return "Die Datei beginnt nicht mit \"NALP\"";
    case GfpError::PictureHeader: return "Die Datei endet im Bildkopf";
    case GfpError::SecondTag: return "Vor dem Pixelkopf steht kein \"NALP\"";
    case GfpError::PixelHeader: return "Die Datei endet im Pixelkopf";
    case GfpError::StoredSize: return "storedSize ist kleiner als 8";
    case GfpError::RawSize: return "Die Bildgröße ist negativ oder zu groß";
    case GfpError::PayloadPastEnd: return "Die Bilddaten reichen über das Dateiende hinaus";
    case GfpError::ZlibData: return "Die zlib-Daten sind beschädigt";
    case GfpError::ShortPixels: return "Die Bilddaten sind kürzer als das Bild";
    }
    return "unbekannter Fehler";
}

std::int32_t BytesPerPixel(std::int32_t bitsPerPixel) { return CheckedAdd32(bitsPerPixel, 1) / 8; }

std::int64_t ZlibBufferSize(std::int64_t n)
{
    const double size = static_cast<double>(n) + static_cast<double>(n) * 0.01 + 12.0;
    return static_cast<std::int64_t>(std::nearbyint(size));  // default rounding: half to even
}

int UncompressBlock(Bytes& data, std::int32_t rawSize, std::size_t& produced)
{
    if (rawSize < 0)
        throw std::length_error("negative Bildgröße");
    Bytes out(static_cast<std::size_t>(ZlibBufferSize(rawSize)));
    uLongf destLen = static_cast<uLongf>(out.size());
    const std::uint8_t none = 0;
    const int code = ::uncompress(out.data(), &destLen, data.empty() ? &none : data.data(),
                                  static_cast<uLong>(data.size()));
    produced = static_cast<std::size_t>(destLen);
    out.resize(static_cast<std::size_t>(rawSize));
    data = std::move(out);
    return code;
}

int UncompressBlock(Bytes& data, std::int32_t rawSize)
{
    std::size_t produced = 0;
    return UncompressBlock(data, rawSize, produced);
}

int CompressBlock(Bytes& data, std::int16_t level)
{
    Bytes out(static_cast<std::size_t>(ZlibBufferSize(static_cast<std::int64_t>(data.size()))));
    uLongf destLen = static_cast<uLongf>(out.size());
    const std::uint8_t none = 0;
    const int code = ::compress2(out.data(), &destLen, data.empty() ? &none : data.data(),
                                 static_cast<uLong>(data.size()), static_cast<int>(level));
    out.resize(static_cast<std::size_t>(destLen));
    data = std::move(out);
    return code;
}

namespace {

bool IsTag(const std::array<std::uint8_t, 4>& tag) { return tag == kGfpTag; }

bool UsableRawSize(std::int32_t rawSize) { return rawSize >= 0 && rawSize <= kMaxRawSize; }

}  // namespace

namespace {

// The first of the problems a read finds; later ones do not replace it.
struct FirstError {
    GfpError status = GfpError::None;
    void operator()(GfpError e)
    {
        if (status == GfpError::None)
            status = e;
    }
};

// Where a GFP's pixels lie, as found from its header blocks.
struct GfpLayout {
    bool rawForm = false;          // pixels stored as they are, at kGfpPayloadAt
    std::int64_t streamLength = 0; // bytes of the zlib stream at kGfpStreamAt, cut at the file's end
};

// Reads both header blocks into the records, recomputes rawSize from width, height and
// bitsPerPixel, and finds where the pixels lie. Every problem goes to fail; only the first
// one found counts.
template <class Fail>
GfpLayout ReadGfpLayout(InputFile& file, GfpPictureHeaderRecord& picture, GfpPixelHeaderRecord& pixel, Fail& fail)
{
    GfpLayout layout;
    std::array<std::uint8_t, 4> tag{};
    if (!file.IsOpen() || !file.ReadAt(0, tag) || !IsTag(tag)) {
        fail(GfpError::FirstTag);
        return layout;
    }
    if (!file.ReadAt(kGfpPictureHeaderAt, picture.bytes)) {
        fail(GfpError::PictureHeader);
        return layout;
    }
    if (!file.ReadAt(kGfpPixelHeaderAt - 4, tag) || !IsTag(tag)) {
        fail(GfpError::SecondTag);
        return layout;
    }
    if (!file.ReadAt(kGfpPixelHeaderAt, pixel.bytes)) {
        fail(GfpError::PixelHeader);
        return layout;
    }

    layout.rawForm = pixel.compression() != kGfpCompressionZlib;
    if (!layout.rawForm) {
        // The stream is never taken as longer than what the file holds after the headers.
        const std::int32_t stored = pixel.storedSize();
        if (stored < 8) {
            fail(GfpError::StoredSize);
        } else {
            const std::int64_t wanted = std::int64_t(stored) - 8;
            const std::int64_t available = std::max<std::int64_t>(0, file.Size() - kGfpStreamAt);
            if (wanted > available)
                fail(GfpError::PayloadPastEnd);
            layout.streamLength = std::min(wanted, available);
        }
    }
    try {
        const std::int32_t bytesPerPixel = BytesPerPixel(pixel.bitsPerPixel());
        pixel.setRawSize(CheckedMul32(CheckedMul32(pixel.height(), pixel.width()), bytesPerPixel));
    } catch (const OverflowError&) {
        fail(GfpError::RawSize);
    }
    return layout;
}

constexpr std::size_t kRowChunk = 1024 * 1024;   // pixel bytes inflated between two hand-overs (fits the L2 cache)
constexpr std::size_t kStreamPiece = 256 * 1024; // stream bytes read from the file at a time

// Inflates the stream in pieces with the outcome uncompress() gives for an output buffer of
// ZlibBufferSize(rawSize) bytes: a stream longer than that buffer is cut, not refused.
// Whole rows of the first rawSize bytes go to sink while they are still in the cache.
GfpError InflateRows(InputFile& file, std::int64_t streamLength, std::int32_t rawSize, std::size_t rowBytes,
                     const GfpRowSink* sink)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return GfpError::ZlibData;

    const auto raw = static_cast<std::uint64_t>(rawSize);
    const auto bufferSize = static_cast<std::uint64_t>(ZlibBufferSize(rawSize));
    // Never more than the picture (or, when only checking, the buffer) needs.
    const std::size_t rowsPerChunk =
        sink != nullptr ? std::min<std::size_t>(std::max<std::size_t>(1, kRowChunk / rowBytes), raw / rowBytes) : 0;
    Bytes chunk(sink != nullptr ? rowsPerChunk * rowBytes
                                : static_cast<std::size_t>(std::min<std::uint64_t>(kRowChunk, bufferSize)));
    Bytes piece(static_cast<std::size_t>(std::min<std::int64_t>(streamLength, kStreamPiece)));
    std::int64_t streamRead = 0;
    std::int32_t nextRow = 0;
    bool intoRows = false; // the current output window is the row chunk, not scratch

    auto handOver = [&] {
        const std::size_t filled = static_cast<std::size_t>(z.next_out - chunk.data());
        for (std::size_t at = 0; at + rowBytes <= filled; at += rowBytes)
            (*sink)(nextRow++, std::span<const std::uint8_t>(chunk.data() + at, rowBytes));
    };

    int code = Z_OK;
    do {
        if (z.avail_out == 0) {
            const std::uint64_t produced = z.total_out;
            intoRows = sink != nullptr && produced < raw;
            const std::uint64_t window = intoRows ? std::min<std::uint64_t>(chunk.size(), raw - produced)
                                                  : std::min<std::uint64_t>(chunk.size(), bufferSize - produced);
            z.next_out = chunk.data();
            z.avail_out = static_cast<uInt>(window);
        }
        if (z.avail_in == 0 && streamRead < streamLength) {
            const auto length =
                static_cast<std::size_t>(std::min<std::int64_t>(streamLength - streamRead, kStreamPiece));
            const std::span<std::uint8_t> into(piece.data(), length);
            const std::size_t got = file.ReadSomeAt(kGfpStreamAt + streamRead, into);
            std::fill(into.begin() + static_cast<std::ptrdiff_t>(got), into.end(), std::uint8_t{0});
            streamRead += static_cast<std::int64_t>(length);
            z.next_in = piece.data();
            z.avail_in = static_cast<uInt>(length);
        }
        code = inflate(&z, Z_NO_FLUSH);
        if (intoRows && (z.avail_out == 0 || z.total_out == raw)) {
            handOver();
            z.avail_out = 0;
        }
    } while (code == Z_OK);
    const std::uint64_t produced = z.total_out;
    inflateEnd(&z);

    if (code != Z_STREAM_END && !(code == Z_BUF_ERROR && produced >= bufferSize))
        return GfpError::ZlibData;
    if (produced < raw)
        return GfpError::ShortPixels;
    return GfpError::None;
}

// Hands on the rows of the uncompressed form, read straight from the file.
GfpError ReadRawRows(InputFile& file, std::int32_t rawSize, std::size_t rowBytes, const GfpRowSink* sink)
{
    if (file.Size() - kGfpPayloadAt < std::int64_t{rawSize})
        return GfpError::PayloadPastEnd;
    if (sink == nullptr)
        return GfpError::None;
    const std::size_t rowsPerChunk = std::max<std::size_t>(1, kRowChunk / rowBytes);
    Bytes chunk(rowsPerChunk * rowBytes);
    std::int32_t row = 0;
    for (std::int64_t at = 0; at < rawSize;) {
        const auto length = static_cast<std::size_t>(std::min<std::int64_t>(rawSize - at, std::int64_t(chunk.size())));
        if (!file.ReadAt(kGfpPayloadAt + at, std::span<std::uint8_t>(chunk.data(), length)))
            return GfpError::PayloadPastEnd;
        for (std::size_t k = 0; k + rowBytes <= length; k += rowBytes)
            (*sink)(row++, std::span<const std::uint8_t>(chunk.data() + k, rowBytes));
        at += static_cast<std::int64_t>(length);
    }
    return GfpError::None;
}

}  // namespace

Bytes Module1::ReadGfpPixels(const Path& path, GfpError* error)
{
    FirstError fail;

    InputFile file;
    if (!file.Open(path)) {
        lastIoError = file.error();
        fail(GfpError::CannotOpen);
    }
    const GfpLayout layout = ReadGfpLayout(file, GfpPictureHeader, GfpPixelHeader, fail);
    Bytes payload;
    if (!layout.rawForm) {
        payload.resize(static_cast<std::size_t>(layout.streamLength));
        file.ReadSomeAt(kGfpStreamAt, payload);
    }

    const std::int32_t rawSize = GfpPixelHeader.rawSize();
    if (!UsableRawSize(rawSize)) {
        // A negative size cannot be decompressed; the payload goes back as read.
        fail(GfpError::RawSize);
        if (layout.rawForm)
            payload.clear();
    } else if (layout.rawForm) {
        payload.assign(static_cast<std::size_t>(rawSize), 0);
        if (file.ReadSomeAt(kGfpPayloadAt, payload) < payload.size())
            fail(GfpError::PayloadPastEnd);
    } else {
        file.Close();
        std::size_t produced = 0;
        const std::size_t bufferSize = static_cast<std::size_t>(ZlibBufferSize(rawSize));
        const int code = UncompressBlock(payload, rawSize, produced);
        if (code == Z_DATA_ERROR || code == Z_MEM_ERROR || (code == Z_BUF_ERROR && produced < bufferSize))
            fail(GfpError::ZlibData);
        else if (produced < static_cast<std::size_t>(rawSize))
            fail(GfpError::ShortPixels);
    }
    if (error != nullptr)
        *error = fail.status;
    return payload;
}

GfpError Module1::ReadGfpPixelRows(const Path& path, const GfpRowsWanted& wanted, const GfpRowSink& sink)
{
    FirstError fail;
    InputFile file;
    if (!file.Open(path)) {
        lastIoError = file.error();
        return GfpError::CannotOpen;
    }
    const GfpLayout layout = ReadGfpLayout(file, GfpPictureHeader, GfpPixelHeader, fail);
    const std::int32_t rawSize = GfpPixelHeader.rawSize();
    if (!UsableRawSize(rawSize))
        fail(GfpError::RawSize);
    if (fail.status != GfpError::None)
        return fail.status;

    const GfpPixelHeaderRecord& pixel = GfpPixelHeader;
    const bool rowsWanted = pixel.width() >= 0 && pixel.height() >= 0 && wanted(pixel);
    const GfpRowSink* rows = rowsWanted && rawSize > 0 ? &sink : nullptr;
    const std::size_t rowBytes =
        rows != nullptr ? static_cast<std::size_t>(rawSize) / static_cast<std::size_t>(pixel.height()) : 0;
    return layout.rawForm ? ReadRawRows(file, rawSize, rowBytes, rows)
                          : InflateRows(file, layout.streamLength, rawSize, rowBytes, rows);
}

}  // namespace varnox
