#include "jobs/thumbnail.h"

#include "formats/gfp.h"
#include "formats/png.h"
#include "formats/reduce.h"

#include <new>

namespace varnox::jobs {

namespace {

// Reads the whole picture into reducer; errors name the GFP.
Status ReduceGfp(const Path& gfp, BoxReducer& reducer)
{
    auto source = OpenGfpSource(gfp);
    if (!source)
        return source.error();
    const PictureInfo& info = (*source)->Info();
    if (info.width > kMaxPngSide || info.height > kMaxPngSide ||
        std::int64_t{info.width} * info.height > kMaxThumbnailPixels)
        return Error{PngError::TooLarge, gfp, {}, {}};
    if (auto status = CopyRows(**source, reducer); !status) {
        Error error = status.error();
        error.file = gfp;
        return error;
    }
    return {};
}

Status WritePng(const BoxReducer& reducer, const Path& png)
{
    AtomicFile file;
    if (!file.Open(png))
        return Error{IoError::CannotWrite, png, file.error(), {}};
    const std::unique_ptr<RowSink> sink = MakePngSink(file);
    Status status = sink->Start(reducer.Width(), reducer.Height());
    for (std::int32_t y = 0; status && y < reducer.Height(); ++y)
        status = sink->WriteRow(reducer.Row(y));
    if (status)
        status = sink->Finish();
    if (!status)
        return Error{IoError::CannotWrite, png, file.error() ? file.error() : status.error().system, {}};
    if (!file.Commit())
        return Error{IoError::CannotWrite, png, file.error(), {}};
    return {};
}

} // namespace

Status WriteThumbnail(const Path& gfp, const Path& png, std::int32_t size)
{
    try {
        BoxReducer reducer(size);
        if (auto status = ReduceGfp(gfp, reducer); !status)
            return status;
        return WritePng(reducer, png);
    } catch (const std::bad_alloc&) {
        return Error{IoError::OutOfMemory, gfp, {}, {}};
    }
}

} // namespace varnox::jobs
