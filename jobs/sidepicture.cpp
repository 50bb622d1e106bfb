#include "jobs/sidepicture.h"

#include "formats/gfp.h"
#include "formats/picture.h"
#include "formats/png.h"
#include "formats/tga.h"
#include "jobs/archive_shared.h"
#include "jobs/report.h"

#include <algorithm>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>

namespace varnox::jobs {

namespace {

constexpr std::size_t kPiece = 1 << 20;

// Hands on the rows of a source as they are, keeping the CRC-32 of their RGB565 form.
class SummingSource final : public RowSource {
  public:
    explicit SummingSource(RowSource& inner) : inner_(inner)
    {
        narrowed_.resize(static_cast<std::size_t>(inner.Info().width) * BytesPerPixel(RowFormat::Rgb565));
    }
    const PictureInfo& Info() const override { return inner_.Info(); }
    Status ReadRow(std::span<std::uint8_t> row) override
    {
        if (auto status = inner_.ReadRow(row); !status)
            return status;
        std::span<const std::uint8_t> rgb565 = row;
        if (Info().format != RowFormat::Rgb565) {
            ConvertRow(Info().format, row, RowFormat::Rgb565, narrowed_.data());
            rgb565 = narrowed_;
        }
        sum_ = Crc32(sum_, rgb565);
        return {};
    }
    // Reads the rows not yet read.
    Status ReadRest()
    {
        Bytes row(Info().RowBytes());
        while (rows_++ < Info().height)
            if (auto status = ReadRow(row); !status)
                return status;
        return {};
    }
    std::uint32_t sum() const { return sum_; }

  private:
    RowSource& inner_;
    Bytes narrowed_;
    std::uint32_t sum_ = 0;
    std::int32_t rows_ = 0;
};

// The CRC-32 of size bytes, read a piece at a time by read(offset, piece); false when a
// read fails.
template <class Read> bool SumInPieces(std::int64_t size, const Read& read, std::uint32_t& sum)
{
    Bytes piece(static_cast<std::size_t>(std::clamp<std::int64_t>(size, 0, kPiece)));
    sum = 0;
    for (std::int64_t at = 0; at < size;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - at, kPiece));
        if (!read(at, std::span(piece.data(), n)))
            return false;
        sum = Crc32(sum, std::span(piece.data(), n));
        at += static_cast<std::int64_t>(n);
    }
    return true;
}

// The CRC-32 of the file name of folder; false when it cannot be read.
bool SumFile(const Folder& folder, const std::string& name, std::uint32_t& sum, std::error_code& error)
{
    InputFile in;
    if (!in.OpenIn(folder, name)) {
        error = in.error();
        return false;
    }
    const auto read = [&in](std::int64_t at, std::span<std::uint8_t> piece) { return in.ReadAt(at, piece); };
    if (SumInPieces(in.Size(), read, sum))
        return true;
    error = in.error() ? in.error() : std::make_error_code(std::errc::io_error);
    return false;
}

// The CRC-32 of the RGB565 rows of the picture file of folder.
Result<std::uint32_t> SumPixels(const Folder& folder, const Path& file)
{
    auto source = OpenPictureSource(file, &folder);
    if (!source)
        return source.error();
    SummingSource summing(**source);
    if (auto status = summing.ReadRest(); !status) {
        Error error = status.error();
        if (error.file.empty())
            error.file = file;
        return error;
    }
    return summing.sum();
}

Error BothChanged(const std::string& label, const Path& path, const std::string& first,
                  const std::string& second)
{
    return Error{JobError::BothChanged,
                 path / second,
                 {},
                 {},
                 {label, DisplayFileName(first), DisplayFileName(second)}};
}

// Whether the recorded picture name beside item's GFP was changed: its bytes differ from what
// extract wrote, and its pixels from those it wrote and from the GFP's (gfpPixels, summed on
// first use). Refuses a picture that is no regular file or cannot be read.
Result<bool> SidePictureChanged(const Folder& folder, const Path& path, const ManifestItem& item,
                                const std::string& name, const PictureChecksum& sums,
                                std::optional<Result<std::uint32_t>>& gfpPixels)
{
    if (sums.file) {
        const Result<std::uint32_t> bytes = FileCrc(folder, path, name);
        if (!bytes)
            return bytes.error();
        if (*bytes == *sums.file)
            return false;
    }
    if (!sums.pixels)
        return true; // put there after extract, which could write none
    const Result<std::uint32_t> pixels = SumPixels(folder, path / name);
    if (!pixels)
        return pixels.error();
    if (*pixels == *sums.pixels)
        return false;
    if (!gfpPixels)
        gfpPixels = SumPixels(folder, path / item.file);
    return !(*gfpPixels && **gfpPixels == *pixels); // else both show the same picture
}

// The recorded pictures beside item's GFP that were changed; refuses one that is no regular file.
Result<std::vector<std::string>> ChangedSidePictures(const Folder& folder, const Path& path,
                                                     const ManifestItem& item)
{
    std::vector<std::string> changed;
    std::optional<Result<std::uint32_t>> gfpPixels;
    for (const SidePicture kind : {SidePicture::Png, SidePicture::Tga}) {
        const std::optional<PictureChecksum> sums = RecordedSidePicture(item, kind);
        const std::string name = SidePictureName(item.file, kind);
        struct stat st {};
        if (!sums || name.empty() || ::fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISREG(st.st_mode))
            return Error{S_ISLNK(st.st_mode) ? JobError::LinkNotPacked : JobError::NotRegularFile,
                         path / name,
                         {},
                         {}};
        const Result<bool> isChanged = SidePictureChanged(folder, path, item, name, *sums, gfpPixels);
        if (!isChanged)
            return isChanged.error();
        if (*isChanged)
            changed.push_back(name);
    }
    return changed;
}

} // namespace

std::string SidePictureName(const std::string& gfpFile, SidePicture kind)
{
    return kind == SidePicture::None ? std::string() : SidePictureFile(gfpFile, kind == SidePicture::Png);
}

std::optional<PictureChecksum> RecordedSidePicture(const ManifestItem& item, SidePicture kind)
{
    return kind == SidePicture::Png ? item.png : kind == SidePicture::Tga ? item.tga : std::nullopt;
}

Result<std::uint32_t> FileCrc(const Folder& folder, const Path& path, const std::string& name)
{
    std::uint32_t sum = 0;
    std::error_code error;
    if (!SumFile(folder, name, sum, error))
        return Error{IoError::CannotRead, path / name, error, {}};
    return sum;
}

Result<std::uint32_t> WrittenCrc(const AtomicFile& out, const Path& file)
{
    const auto read = [&out](std::int64_t at, std::span<std::uint8_t> piece) {
        return out.ReadBack(at, piece);
    };
    const std::int64_t size = out.SizeSoFar();
    std::uint32_t sum = 0;
    if (size < 0 || !SumInPieces(size, read, sum))
        return Error{IoError::CannotRead, file, std::make_error_code(std::errc::io_error), {}};
    return sum;
}

Result<std::uint32_t> PixelCrc(const Folder& folder, const Path& path, const std::string& name)
{
    try {
        return SumPixels(folder, path / name);
    } catch (const std::bad_alloc&) {
        return Error{IoError::OutOfMemory, path / name, {}, {}};
    }
}

Status WriteSidePicture(const Folder& folder, const Path& path, const std::string& gfpFile, SidePicture kind,
                        AtomicFile& out, std::uint32_t& pixels, std::span<const std::uint8_t> gfpBytes)
{
    const std::string name = SidePictureName(gfpFile, kind);
    if (name.empty())
        return Error{IoError::CannotRead, path / gfpFile, {}, {}};
    try {
        auto source =
            gfpBytes.empty() ? OpenGfpSource(path / gfpFile, nullptr, &folder) : OpenGfpSource(gfpBytes);
        if (!source) {
            Error error = source.error();
            if (error.file.empty())
                error.file = path / gfpFile;
            return error;
        }
        SummingSource summing(**source);
        if (!out.Open(folder, name))
            return Error{IoError::CannotWrite, path / name, out.error(), {}};
        const std::unique_ptr<RowSink> sink = kind == SidePicture::Png ? MakePngSink(out) : MakeTgaSink(out);
        if (auto status = CopyRows(summing, *sink); !status) {
            if (out.error())
                return Error{IoError::CannotWrite, path / name, out.error(), {}};
            Error failed = status.error();
            if (failed.file.empty())
                failed.file = path / gfpFile;
            return failed;
        }
        pixels = summing.sum();
    } catch (const std::bad_alloc&) {
        return Error{IoError::OutOfMemory, path / gfpFile, {}, {}};
    }
    return {};
}

Result<std::string> ChooseSidePicture(const Folder& folder, const Path& path, const ManifestItem& item,
                                      const std::string& label)
{
    try {
        const Result<std::vector<std::string>> changed = ChangedSidePictures(folder, path, item);
        if (!changed)
            return changed.error();
        if (changed->size() > 1)
            return BothChanged(label, path, (*changed)[0], (*changed)[1]);
        if (changed->empty())
            return std::string();
        if (item.crc) {
            const Result<std::uint32_t> gfp = FileCrc(folder, path, item.file);
            if (!gfp)
                return gfp.error();
            if (*gfp != *item.crc)
                return BothChanged(label, path, item.file, changed->front());
        }
        return changed->front();
    } catch (const std::bad_alloc&) {
        return Error{IoError::OutOfMemory, path / item.file, {}, {}};
    }
}

ItemGfp ConvertSidePicture(const Folder& folder, const Path& path, const std::string& gfpFile,
                           const std::string& picture, GfpPacking packing)
{
    ItemGfp result;
    InputFile in;
    if (!in.OpenIn(folder, gfpFile)) {
        result.status = Error{IoError::CannotOpen, path / gfpFile, in.error(), {}};
        return result;
    }
    // The head is all that is kept of the GFP; a picture's head lies in its first bytes.
    Bytes head(static_cast<std::size_t>(std::min<std::int64_t>(in.Size(), kGfpPayloadAt)));
    if (!in.ReadAt(0, head)) {
        result.status = Error{IoError::CannotRead, path / gfpFile, in.error(), {}};
        return result;
    }
    return ConvertPictureIntoItemGfp(head, path / picture, packing, &folder);
}

} // namespace varnox::jobs
