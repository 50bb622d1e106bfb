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

Bytes Module1::ReadGfpPixels(const Path& path, GfpError* error)
{
    GfpError status = GfpError::None;
    auto fail = [&status](GfpError e) {
        if (status == GfpError::None)
            status = e;
    };

    InputFile file;
    Bytes payload;
    bool rawForm = false;
    if (!file.Open(path)) {
        lastIoError = file.error();
        fail(GfpError::CannotOpen);
    }

    [&] {
        std::array<std::uint8_t, 4> tag{};
        if (!file.IsOpen() || !file.ReadAt(0, tag) || !IsTag(tag))
            return fail(GfpError::FirstTag);
        if (!file.ReadAt(kGfpPictureHeaderAt, GfpPictureHeader.bytes))
            return fail(GfpError::PictureHeader);
        if (!file.ReadAt(kGfpPixelHeaderAt - 4, tag) || !IsTag(tag))
            return fail(GfpError::SecondTag);
        if (!file.ReadAt(kGfpPixelHeaderAt, GfpPixelHeader.bytes))
            return fail(GfpError::PixelHeader);

        rawForm = GfpPixelHeader.compression() != kGfpCompressionZlib;
        if (!rawForm) {
            // The stream is never taken as longer than what the file holds after the headers.
            const std::int32_t stored = GfpPixelHeader.storedSize();
            if (stored < 8) {
                fail(GfpError::StoredSize);
            } else {
                const std::int64_t wanted = std::int64_t(stored) - 8;
                const std::int64_t available = std::max<std::int64_t>(0, file.Size() - kGfpStreamAt);
                if (wanted > available)
                    fail(GfpError::PayloadPastEnd);
                payload.resize(static_cast<std::size_t>(std::min(wanted, available)));
                file.ReadSomeAt(kGfpStreamAt, payload);
            }
        }
        try {
            const std::int32_t bytesPerPixel = BytesPerPixel(GfpPixelHeader.bitsPerPixel());
            GfpPixelHeader.setRawSize(CheckedMul32(
                CheckedMul32(GfpPixelHeader.height(), GfpPixelHeader.width()), bytesPerPixel));
        } catch (const OverflowError&) {
            fail(GfpError::RawSize);
        }
    }();

    const std::int32_t rawSize = GfpPixelHeader.rawSize();
    if (!UsableRawSize(rawSize)) {
        // A negative size cannot be decompressed; the payload goes back as read.
        fail(GfpError::RawSize);
        if (rawForm)
            payload.clear();
    } else if (rawForm) {
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
        *error = status;
    return payload;
}

}  // namespace varnox
