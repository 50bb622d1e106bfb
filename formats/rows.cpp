#include "formats/rows.h"
#include "formats/rgb565.h"

#include <algorithm>

namespace varnox {

void ConvertRow(RowFormat from, std::span<const std::uint8_t> in, RowFormat to, std::uint8_t* out)
{
    if (from == RowFormat::Rgb565) {
        if (to == RowFormat::Bgr24)
            WidenRowToBgr(in, out);
        else
            WidenRowToRgb(in, out);
    } else if (to == RowFormat::Rgb565) {
        NarrowRow(in, from == RowFormat::Bgr24, out);
    } else {
        // Bgr24 <-> Rgb24: swap the outer bytes of each pixel.
        for (std::size_t at = 0; at + 2 < in.size(); at += 3) {
            out[at] = in[at + 2];
            out[at + 1] = in[at + 1];
            out[at + 2] = in[at];
        }
    }
}

Status CopyRows(RowSource& source, RowSink& sink, const RowProgress& progress)
{
    const PictureInfo& info = source.Info();
    if (auto status = sink.Start(info.width, info.height); !status)
        return status;
    const RowFormat wanted = sink.Format();
    Bytes row(info.RowBytes());
    Bytes converted(wanted == info.format ? 0 : static_cast<std::size_t>(info.width) * BytesPerPixel(wanted));
    for (std::int32_t y = 0; y < info.height; ++y) {
        if (auto status = source.ReadRow(row); !status)
            return status;
        if (wanted == info.format) {
            if (auto status = sink.WriteRow(row); !status)
                return status;
        } else {
            ConvertRow(info.format, row, wanted, converted.data());
            if (auto status = sink.WriteRow(converted); !status)
                return status;
        }
        if (progress && !progress(y + 1))
            return Error{IoError::Cancelled, {}, {}, {}};
    }
    return sink.Finish();
}

}  // namespace varnox
